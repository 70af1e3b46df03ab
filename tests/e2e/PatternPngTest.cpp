// daxtool-cli pattern: the picture a technician looks at before spending a disc.
#include "patterns/BuiltInPatterns.h"
#include "patterns/RasterPicture.h"
#include "support/Process.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>

namespace {

using daxtest::RunResult;
using daxtest::TempDir;

uint32_t BigEndian(const std::string& s, size_t at) {
    return uint32_t(uint8_t(s[at])) << 24 | uint32_t(uint8_t(s[at + 1])) << 16 |
           uint32_t(uint8_t(s[at + 2])) << 8 | uint8_t(s[at + 3]);
}

class PatternPng : public ::testing::Test {
protected:
    RunResult Cli(std::vector<std::string> args) {
        args.insert(args.begin(), DAXTOOL_CLI_PATH);
        return daxtest::Run(args, {{"XDG_CONFIG_HOME", dir.Path() + "/config"},
                                   {"XDG_RUNTIME_DIR", dir.Path()},
                                   {"DAXTOOL_DEVICE_DIR", dir.Path()}});
    }
    TempDir dir;
};

TEST_F(PatternPng, GridIsDrawnFromItsPrintDataAsA1536DotWidePng) {
    const std::string path = dir.Path() + "/grid.png";
    const RunResult r = Cli({"pattern", "grid", "--png", path});
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("bytes: 53957"), std::string::npos) << r.out;

    const std::string png = daxtest::ReadFile(path);
    ASSERT_GE(png.size(), 33u);
    EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1A\n");
    EXPECT_EQ(BigEndian(png, 8), 13u); // IHDR length
    EXPECT_EQ(png.substr(12, 4), "IHDR");
    EXPECT_EQ(BigEndian(png, 16), 1536u);
    EXPECT_EQ(BigEndian(png, 20), 1383u); // dot rows 0 to 1382
    EXPECT_EQ(png[24], 1);                // one bit a dot
    EXPECT_EQ(png[25], 0);                // grey

    // Dot for dot what the block prints: black where a dot is, white elsewhere.
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_memory(&image, png.data(), png.size()));
    image.format = PNG_FORMAT_GRAY;
    std::vector<uint8_t> grey(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, grey.data(), 0, nullptr));
    dax::RasterPicture picture;
    std::string error;
    ASSERT_TRUE(dax::DecodeRasterPicture(dax::BuiltInPattern(2), picture, error));
    size_t differences = 0, dots = 0;
    for (int y = 0; y < picture.rows; ++y)
        for (int x = 0; x < 1536; ++x) {
            const bool dot = picture.bits[y * 192 + x / 8] & (0x80 >> (x % 8));
            dots += dot;
            differences += dot != (grey[y * 1536 + x] == 0);
        }
    EXPECT_GT(dots, 10000u);
    EXPECT_EQ(differences, 0u);
}

TEST_F(PatternPng, MarksJson) {
    const std::string path = dir.Path() + "/marks.png";
    RunResult r = Cli({"--json", "pattern", "marks", "--png", path});
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("\"bytes\":3370"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"height\":1148"), std::string::npos) << r.out;
    EXPECT_EQ(BigEndian(daxtest::ReadFile(path), 16), 1536u);
}

TEST_F(PatternPng, OnlyRegularFilesAreReplacedAndALostReportIsAFailure) {
    namespace fs = std::filesystem;
    // Through a link the picture replaces the file it leads to; the link stays.
    const std::string target = dir.Path() + "/target.png", link = dir.Path() + "/link.png";
    std::ofstream(target) << "old";
    fs::create_symlink(target, link);
    RunResult r = Cli({"pattern", "marks", "--png", link});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(daxtest::ReadFile(target).substr(0, 8), "\x89PNG\r\n\x1A\n");

    // Anything else is refused with its reason and left as it was.
    const std::string fifo = dir.Path() + "/fifo.png", toNull = dir.Path() + "/null.png";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_symlink("/dev/null", toNull);
    for (const std::string& path : {fifo, toNull}) {
        r = Cli({"pattern", "marks", "--png", path});
        EXPECT_EQ(r.exitCode, 1) << path;
        EXPECT_NE(r.err.find("not a regular file; the picture replaces regular files only"),
                  std::string::npos)
            << r.err;
    }
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_EQ(fs::read_symlink(toNull), "/dev/null");

    // A report that cannot be written fails the run.
    for (const auto& [redirect, why] :
         {std::pair<std::string, std::string>{">/dev/full", "No space left on device"},
          {">&-", "Bad file descriptor"}}) {
        r = daxtest::Run({"/bin/sh", "-c", "exec \"$@\" " + redirect, "sh", DAXTOOL_CLI_PATH,
                          "pattern", "marks", "--png", target},
                         {{"XDG_CONFIG_HOME", dir.Path() + "/config"}});
        EXPECT_EQ(r.exitCode, 1) << redirect;
        EXPECT_NE(r.err.find("Unable to write the output: " + why), std::string::npos) << r.err;
    }
}

} // namespace
