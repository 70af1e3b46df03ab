#include "cli/PatternCommand.h"

#include "cli/CliOptions.h"
#include "cli/PngFile.h"
#include "patterns/BuiltInPatterns.h"
#include "patterns/RasterCodec.h"
#include "patterns/RasterPicture.h"

#include <nlohmann/json.hpp>

namespace dax {

int RunPatternCommand(const std::string& name, const std::string& pngFile, bool json,
                      std::FILE* out, std::FILE* err) {
    const int number = name == "grid" ? kPatternCalibrationGrid : kPatternOffsetMarks;
    const auto block = BuiltInPattern(number);
    RasterPicture picture;
    std::string error;
    if (!DecodeRasterPicture(block, picture, error) ||
        !WriteMonoPng(pngFile, kRasterRowDots, picture.rows, picture.bits, error)) {
        if (error.empty())
            error = "Unable to write " + pngFile;
        std::fprintf(err, "%s\n", error.c_str());
        if (json) {
            const nlohmann::ordered_json j = {
                {"pattern", name}, {"number", number}, {"png", pngFile}, {"status", error}};
            std::fprintf(out, "%s\n",
                         j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
        }
        return kExitFailed;
    }
    if (json) {
        nlohmann::ordered_json j = {{"pattern", name},        {"number", number},
                                    {"bytes", block.size()},  {"width", kRasterRowDots},
                                    {"height", picture.rows}, {"png", pngFile}};
        std::fprintf(out, "%s\n",
                     j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
    } else {
        std::fprintf(out, "pattern: %s (%d)\nbytes: %zu\npicture: %d x %d dots\npng: %s\n",
                     name.c_str(), number, block.size(), kRasterRowDots, picture.rows,
                     pngFile.c_str());
    }
    return kExitDone;
}

} // namespace dax
