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
