#include "platform/posix/PosixNamedMutex.h"

#include "support/Process.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace dax;
using Result = NamedMutex::Result;
namespace fs = std::filesystem;

TEST(PosixNamedMutex, SecondHolderIsRefusedUntilTheFirstLetsGo) {
    daxtest::TempDir dir;
    PosixNamedMutexFactory factory(dir.Path());
    auto first = factory.create();
    auto second = factory.create();
    ASSERT_EQ(first->create("Kvx_DaxtoolIsLaunchedMutex"), Result::Created) << first->lastError();
    EXPECT_EQ(second->create("Kvx_DaxtoolIsLaunchedMutex"), Result::AlreadyExists);
    EXPECT_EQ(second->create("Kvx_eJDIsLaunchedMutex"), Result::Created);

    first.reset(); // destruction lets go
    PosixNamedMutex third(dir.Path());
    EXPECT_EQ(third.create("Kvx_DaxtoolIsLaunchedMutex"), Result::Created);
    third.release();
    EXPECT_EQ(PosixNamedMutex(dir.Path()).create("Kvx_DaxtoolIsLaunchedMutex"), Result::Created);
}

TEST(PosixNamedMutex, SomethingPlantedAtTheLockPathIsRefused) {
    daxtest::TempDir dir, elsewhere;
    const std::string victim = elsewhere.Path() + "/victim", nothing = elsewhere.Path() + "/none";
    std::ofstream(victim) << "keep";
    fs::create_symlink(victim, dir.Path() + "/Kvx_DaxtoolIsLaunchedMutex.lock");
    PosixNamedMutex m(dir.Path());
    EXPECT_EQ(m.create("Kvx_DaxtoolIsLaunchedMutex"), Result::AccessDenied);
    EXPECT_EQ(m.lastError(), ELOOP);
    fs::create_symlink(nothing, dir.Path() + "/dangling.lock");
    EXPECT_EQ(m.create("dangling"), Result::AccessDenied);
    EXPECT_FALSE(fs::exists(nothing));

    // A FIFO would block an open for reading; it must be refused at once.
    ASSERT_EQ(::mkfifo((dir.Path() + "/fifo.lock").c_str(), 0600), 0);
    EXPECT_EQ(m.create("fifo"), Result::AccessDenied);
}

TEST(PosixNamedMutex, NamesStayInsideTheDirectory) {
    daxtest::TempDir dir;
    PosixNamedMutex m(dir.Path());
    ASSERT_EQ(m.create("Global\\../../etc/x y"), Result::Created);
    EXPECT_EQ(m.path(), dir.Path() + "/Global_.._.._etc_x_y.lock");
    EXPECT_EQ(PosixNamedMutex::fileNameFor(".."), "_..");
    EXPECT_EQ(PosixNamedMutex::fileNameFor(""), "_");
    EXPECT_EQ(PosixNamedMutex(dir.Path() + "/no-such-dir").create("x"), Result::OtherError);
}

TEST(PosixNamedMutex, ALockFileThatCannotBeMadeIsNoSignOfAnotherCopy) {
    // A directory nobody may create files in; root may write anywhere but in sysfs.
    daxtest::TempDir dir;
    std::string unwritable = dir.Path() + "/ro";
    if (::geteuid() == 0)
        unwritable = "/sys";
    else if (fs::create_directory(unwritable))
        fs::permissions(unwritable, fs::perms::owner_read | fs::perms::owner_exec);
    PosixNamedMutex m(unwritable);
    EXPECT_EQ(m.create("Kvx_DaxtoolIsLaunchedMutex"), Result::OtherError);
    EXPECT_EQ(m.lastError(), EACCES);
    EXPECT_EQ(m.lastErrorText(),
              unwritable + "/Kvx_DaxtoolIsLaunchedMutex.lock: " + std::strerror(EACCES));
}
