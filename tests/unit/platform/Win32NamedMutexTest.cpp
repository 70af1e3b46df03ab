#include "platform/win32/Win32NamedMutex.h"

#include <gtest/gtest.h>
#include <string>
#include <windows.h>

namespace dax {
namespace {

// Unlike the POSIX lock file, a Windows mutex is a kernel object: it exists while any handle is
// open, so a second create in the same session sees ERROR_ALREADY_EXISTS and gives its handle up.
TEST(Win32NamedMutexTest, SecondCreateSeesTheFirstUntilItIsReleased) {
    const std::string name = "Kvx_DaxtoolTest_" + std::to_string(::GetCurrentProcessId());
    Win32NamedMutexFactory factory;
    auto first = factory.create();
    auto second = factory.create();
    ASSERT_EQ(first->create(name), NamedMutex::Result::Created);
    EXPECT_EQ(second->create(name), NamedMutex::Result::AlreadyExists);
    EXPECT_EQ(second->lastError(), ERROR_ALREADY_EXISTS);
    // The refused copy kept no handle: once the first lets go the name is free.
    first->release();
    EXPECT_EQ(second->create(name), NamedMutex::Result::Created);
    EXPECT_EQ(second->lastError(), 0);
}

TEST(Win32NamedMutexTest, ANameTheSystemRefusesIsNoOtherCopy) {
    // A backslash names a kernel namespace; an unknown one cannot be made.
    Win32NamedMutex mutex;
    EXPECT_EQ(mutex.create("NoSuchNamespace\\Kvx_DaxtoolTest"), NamedMutex::Result::OtherError);
    EXPECT_NE(mutex.lastError(), 0);
}

} // namespace
} // namespace dax
