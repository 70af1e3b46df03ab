// The flash-file search and CheckFlashFile over whole files, through the firmware update of the
// main dialog. The input is a file (after one byte of choices). Properties: with checking off
// exactly the first image (the whole file, or the first record of a multi-image file) reaches
// the device, byte for byte, unless it carries no identification of any product (refused even
// then); with checking on only a whole record the search could reach does;
// a damaged or empty file sends nothing; whatever was sent was announced first.
#include "FlashRig.h"
#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "app/FlashFile.h"
#include "devices/FlashImageDescription.h"
#include "devices/ImageIdentification.h"

#include <algorithm>
#include <cstring>
#include <optional>

using namespace daxfuzz;

namespace {

struct Record {
    size_t offset;
    size_t size;
};

// The file's images as the layout defines them, up to the first damaged record.
std::vector<Record> Images(const std::vector<uint8_t>& f, bool& damaged) {
    damaged = false;
    const size_t n = f.size();
    const bool multi = n > 65536 && (std::memcmp(&f[164], "DISC TRANSPORTER", 16) == 0 ||
                                     std::memcmp(&f[164], "QUENTAR CD XPTR ", 16) == 0);
    if (!multi)
        return n == 0 ? std::vector<Record>{} : std::vector<Record>{{0, n}};
    std::vector<Record> records;
    for (size_t at = 0; at + 4 < n || records.empty();) {
        if (at + 4 > n) {
            damaged = true;
            break;
        }
        const size_t size = size_t(f[at]) | size_t(f[at + 1]) << 8 | size_t(f[at + 2]) << 16 |
                            size_t(f[at + 3]) << 24;
        if (size == 0 || size > n - at - 4) {
            damaged = true;
            break;
        }
        records.push_back({at + 4, size});
        at += 4 + size;
    }
    return records;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const bool checking = in.Flag();
    const std::vector<uint8_t> file = in.Rest();

    FlashRig rig("3.25 ");
    rig.Flash(file, checking);

    bool damaged = false;
    const std::vector<Record> images = Images(file, damaged);
    const auto& sent = rig.t->flashData;
    const auto commands = rig.ProgrammingCommands();
    FUZZ_CHECK(commands.size() <= 1);
    if (sent.empty()) {
        // Nothing sent: a file without images, a damaged first record, nothing that fits, or
        // (unchecked) a first image that is no product's firmware.
        const bool firstKnown =
            !images.empty() &&
            dax::DescribeFlashImage(
                &file[images[0].offset],
                uint32_t(std::min<size_t>(images[0].size, dax::FlashFile::kHeaderBlock)))
                .known;
        FUZZ_CHECK(checking || !firstKnown);
        FUZZ_CHECK(rig.Dialog().m_strStatus.rfind(dax::kFlashSucceeded, 0) != 0);
        return 0;
    }
    // Announced first, then exactly that many bytes.
    FUZZ_CHECK(commands.size() == 1 && commands[0] == "!g0" + std::to_string(sent.size()) + "C");
    std::optional<size_t> chosen;
    for (size_t i = 0; i < images.size() && !chosen; ++i)
        if (images[i].size == sent.size() &&
            std::memcmp(&file[images[i].offset], sent.data(), sent.size()) == 0)
            chosen = i;
    FUZZ_CHECK(chosen.has_value());
    if (!checking)
        FUZZ_CHECK(*chosen == 0);
    // A whole image is a success, unless it names a revision the restarted transporter does not
    // run (the rig's transporter comes back as it was).
    dax::ImageIdentification id;
    const bool named =
        dax::ReadImageIdentification(sent.data(), uint32_t(sent.size()), id) && !id.printerFirmware;
    const std::string& status = rig.Dialog().m_strStatus;
    FUZZ_CHECK(status == "Flash update succeeded - now 3.25 A" ||
               (named && status.rfind("Flash update did not take - ", 0) == 0));
    return 0;
}
