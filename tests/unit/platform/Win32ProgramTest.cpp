#include "platform/VersionBlock.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace dax {
namespace {

// The version block is the executable's version resource on Windows (built into daxtool-cli.exe
// only), where Linux builds it in from the project's version.
TEST(Win32ProgramTest, AProgramWithoutVersionResourceHasNoBlock) {
    const VersionBlock block = ReadVersionBlock();
    EXPECT_FALSE(block.present);
    EXPECT_TRUE(block.fileVersion.empty());
}

} // namespace
} // namespace dax
