#include "platform/ProgramDirectory.h"

#include <filesystem>
#include <gtest/gtest.h>

// The system's own separator and program name: a backslash and ".exe" on Windows.
#ifdef _WIN32
constexpr char kSeparator = '\\';
constexpr char kProgram[] = "platform_tests.exe";
#else
constexpr char kSeparator = '/';
constexpr char kProgram[] = "platform_tests";
#endif

// The printer alignment files are looked up beside the running program: the directory named must
// be the one holding this very test program.
TEST(ProgramDirectory, IsTheDirectoryOfTheRunningProgramWithItsSeparator) {
    const std::string dir = dax::ProgramDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), kSeparator);
    EXPECT_TRUE(std::filesystem::is_regular_file(dir + kProgram)) << dir;
}

#ifndef _WIN32
// An installed program finds its alignment files in the XDG data directories after its own.
TEST(ProgramDirectory, DataDirectoriesFollowTheProgramsOwnInTheBaseDirectoryOrder) {
    using dax::DataDirectories;
    using V = std::vector<std::string>;
    EXPECT_EQ(DataDirectories("/opt/dax/", {std::nullopt, std::nullopt, "/home/u"}),
              (V{"/opt/dax/", "/home/u/.local/share/daxtool/", "/usr/local/share/daxtool/",
                 "/usr/share/daxtool/"}));
    // Relative entries are ignored, as are repeats; an empty list is the default one.
    EXPECT_EQ(DataDirectories("/opt/dax/", {"/x/data", "rel:/usr/share:/y/:/usr/share/", "/h"}),
              (V{"/opt/dax/", "/x/data/daxtool/", "/usr/share/daxtool/", "/y/daxtool/"}));
    EXPECT_EQ(DataDirectories("", {"relative", "", "/h"}),
              (V{"/h/.local/share/daxtool/", "/usr/local/share/daxtool/", "/usr/share/daxtool/"}));
}
#endif
