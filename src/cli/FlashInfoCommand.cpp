#include "cli/FlashInfoCommand.h"

#include "app/FlashFile.h"
#include "app/FlashLayout.h"
#include "cli/CliOptions.h"
#include "cli/CliReport.h"
#include "devices/FlashImageDescription.h"
#include "platform/Format.h"

#include <algorithm>
#include <nlohmann/json.hpp>

namespace dax {

namespace {

using Json = nlohmann::ordered_json;

Json TextOrNull(const std::string& text) {
    return text.empty() ? Json(nullptr) : Json(text);
}

} // namespace

int RunFlashInfoCommand(const std::string& path, bool json, std::FILE* out, std::FILE* err) {
    FlashFile file;
    std::vector<FlashImagePlace> images;
    std::string status;
    const bool whole = ListFlashImages(file, path, images, status);
    std::vector<FlashImageDescription> described;
    for (const FlashImagePlace& place : images)
        described.push_back(DescribeFlashImage(
            place.header.data(), std::min<uint32_t>(place.size, FlashFile::kHeaderBlock)));
    const auto known = std::count_if(described.begin(), described.end(),
                                     [](const FlashImageDescription& d) { return d.known; });
    int exit = kExitDone;
    if (!whole) {
        exit = file.ReadFailed() ? kExitFailed : kExitUsage;
    } else if (known == 0) {
        status =
            path + " is not a flash file: " +
            (images.size() == 1 ? std::string("it carries no identification")
                                : std::string("none of its images carries an identification")) +
            " of a product this program knows";
        exit = kExitUsage;
    } else {
        status =
            Format("Flash file with %zu image%s", images.size(), images.size() == 1 ? "" : "s");
        if (size_t(known) < images.size())
            status += Format(", %zu of them with no identification of a product this program knows",
                             images.size() - size_t(known));
    }
    const bool opened = whole || !images.empty();
    if (json) {
        Json list = Json::array();
        for (size_t i = 0; i < images.size(); ++i) {
            const FlashImageDescription& d = described[i];
            list.push_back({{"image", i + 1},
                            {"offset", images[i].offset},
                            {"length", images[i].size},
                            {"identification", TextOrNull(d.identification)},
                            {"for", TextOrNull(d.product)},
                            {"kind", TextOrNull(d.kindText)},
                            {"family", TextOrNull(d.family)},
                            {"version", TextOrNull(d.version)}});
        }
        const Json j = {{"file", path},
                        {"size", opened ? Json(images.front().fileSize) : Json(nullptr)},
                        {"multi_image", opened ? Json(images.front().multi) : Json(nullptr)},
                        {"images", list},
                        {"status", status}};
        std::fprintf(out, "%s\n",
                     j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
    } else {
        std::fprintf(out, "file: %s\n", Printable(path).c_str());
        if (opened)
            std::fprintf(out, "size: %u bytes%s\n", images.front().fileSize,
                         images.front().multi ? ", multi-image" : "");
        for (size_t i = 0; i < images.size(); ++i) {
            const FlashImageDescription& d = described[i];
            std::string what = FlashImageSummary(d);
            if (!d.identification.empty())
                what = "\"" + d.identification + "\", " + what;
            std::fprintf(out, "image %zu: offset %llu, %u bytes, %s\n", i + 1,
                         static_cast<unsigned long long>(images[i].offset), images[i].size,
                         what.c_str());
        }
        std::fprintf(out, "status: %s\n", Printable(status).c_str());
    }
    if (exit != kExitDone)
        std::fprintf(err, "%s\n", status.c_str());
    return exit;
}

} // namespace dax
