#include "platform/ProgramDirectory.h"

#include <filesystem>
#include <gtest/gtest.h>

// The printer alignment files are looked up beside the running program: the directory named must
// be the one holding this very test program.
TEST(ProgramDirectory, IsTheDirectoryOfTheRunningProgramWithItsSeparator) {
    const std::string dir = dax::ProgramDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
    EXPECT_TRUE(std::filesystem::is_regular_file(dir + "platform_tests")) << dir;
}
