#include "devices/FlashImageDescription.h"

#include "devices/Answers.h"
#include "devices/FlashImageHeader.h"
#include "devices/KnownFlashImages.h"
#include "platform/Format.h"

#include <iterator>
#include <string_view>
#include <vector>

namespace dax {

namespace {

constexpr std::string_view kImageVersionWord = "VERSION";

struct KnownImageId {
    size_t offset;
    std::string_view id;
    const char* kind;
    bool ignoreCase = false;
};

// The identifications a device of this program takes an image by, besides the loaders' own.
constexpr KnownImageId kKnownImages[] = {
    {kImageIdOffset, kPrinterImageId, "printer firmware", true},
    // The dual-printer transporter's own printer files begin with it.
    {0, kPrinterImageId, "printer firmware", true},
    {kImageIdOffset, kGeneralImageId, "general transporter firmware"},
    {kImageIdOffset, kHalcyraImageId, "dual-printer transporter firmware"},
};

std::string TrimmedId(std::string text) {
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

// The printable bytes from `at`, at most `length`.
std::string PrintableIdAt(const ImageHeader& header, size_t at, size_t length) {
    std::string text;
    for (size_t i = 0; i < length; ++i) {
        const int c = header.At(at + i);
        if (c < 0x20 || c >= 0x7F)
            break;
        text += char(c);
    }
    return text;
}

} // namespace

FlashImageDescription DescribeFlashImage(const uint8_t* image, uint32_t readable) {
    FlashImageDescription d;
    const ImageHeader header(image, readable);
    std::vector<KnownImageId> knownIds(std::begin(kKnownImages), std::end(kKnownImages));
    for (const LoaderImage& loader : kLoaderImages)
        knownIds.push_back({loader.offset, loader.id, "loader firmware"});
    for (const KnownImageId& known : knownIds) {
        if (!header.Has(known.offset, known.id, known.ignoreCase))
            continue;
        d.known = true;
        d.product =
            TrimmedId(PrintableIdAt(header, known.offset, Identification::kProductNameLength));
        const size_t revisionAt = known.offset + Identification::kRevisionOffset;
        const bool versioned =
            header.Has(known.offset + Identification::kProductNameLength, kImageVersionWord);
        d.identification = TrimmedId(
            PrintableIdAt(header, known.offset,
                          versioned ? Identification::kRevisionSuffixOffset + 1 : known.id.size()));
        int revision = 0;
        if (versioned && header.At(revisionAt + 4) >= 0 &&
            ParseRevision(image + revisionAt, 5, revision)) {
            const int suffix = header.At(known.offset + Identification::kRevisionSuffixOffset);
            d.version = RevisionText(revision, suffix);
        }
        d.kindText = known.kind;
        break;
    }
    for (std::string_view family : kKnownFamilies)
        if (header.HasFamily(family)) {
            d.family = family;
            break;
        }
    return d;
}

std::string FamilyText(const std::string& family) {
    return family.empty() ? std::string("no family this program knows")
                          : "family " + TrimmedId(family);
}

std::string FlashImageSummary(const FlashImageDescription& d) {
    if (!d.known)
        return "no identification of a product this program knows";
    std::string text = d.kindText + " for " + d.product;
    if (!d.version.empty())
        text += " " + d.version;
    if (!d.family.empty())
        text += ", " + FamilyText(d.family);
    return text;
}

std::string RevisionText(int revision, int suffix) {
    std::string text = revision % 10 == 0 ? Format("%d.%02d", revision / 1000, revision % 1000 / 10)
                                          : Format("%d.%03d", revision / 1000, revision % 1000);
    if (suffix > ' ' && suffix < 0x7F)
        text += Format(" %c", char(suffix));
    return text;
}

} // namespace dax
