#include "platform/posix/PosixNamedMutex.h"

#include "unit/platform/TempDir.h"

#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace dax;
using dax::test::TempDir;
using Result = NamedMutex::Result;

TEST(PosixNamedMutex, SecondHolderIsRefusedUntilTheFirstLetsGo) {
    TempDir dir;
    PosixNamedMutexFactory factory(dir.path());
    auto first = factory.create();
    auto second = factory.create();
    ASSERT_EQ(first->create("Kvx_DaxtoolIsLaunchedMutex"), Result::Created) << first->lastError();
    EXPECT_EQ(second->create("Kvx_DaxtoolIsLaunchedMutex"), Result::AlreadyExists);
    EXPECT_EQ(second->create("Kvx_eJDIsLaunchedMutex"), Result::Created);

    first.reset(); // destruction lets go
    PosixNamedMutex third(dir.path());
    EXPECT_EQ(third.create("Kvx_DaxtoolIsLaunchedMutex"), Result::Created);
    third.release();
    EXPECT_EQ(PosixNamedMutex(dir.path()).create("Kvx_DaxtoolIsLaunchedMutex"), Result::Created);
}

TEST(PosixNamedMutex, SomethingPlantedAtTheLockPathIsRefused) {
    TempDir dir;
    TempDir elsewhere;
    const std::string victim = elsewhere.touch("victim", "keep");
    dir.link("Kvx_DaxtoolIsLaunchedMutex.lock", victim);
    PosixNamedMutex m(dir.path());
    EXPECT_EQ(m.create("Kvx_DaxtoolIsLaunchedMutex"), Result::AccessDenied);
    EXPECT_EQ(m.lastError(), ELOOP);
    dir.link("dangling.lock", elsewhere / "nothing");
    EXPECT_EQ(m.create("dangling"), Result::AccessDenied);
    EXPECT_FALSE(std::filesystem::exists(elsewhere / "nothing"));

    // A FIFO would block an open for reading; it must be refused at once.
    ASSERT_EQ(::mkfifo((dir / "fifo.lock").c_str(), 0600), 0);
    EXPECT_EQ(m.create("fifo"), Result::AccessDenied);
}

TEST(PosixNamedMutex, NamesStayInsideTheDirectory) {
    TempDir dir;
    PosixNamedMutex m(dir.path());
    ASSERT_EQ(m.create("Global\\../../etc/x y"), Result::Created);
    EXPECT_EQ(m.path(), dir / "Global_.._.._etc_x_y.lock");
    EXPECT_EQ(PosixNamedMutex::fileNameFor(".."), "_..");
    EXPECT_EQ(PosixNamedMutex::fileNameFor(""), "_");

    PosixNamedMutex missing(dir / "no-such-dir");
    EXPECT_EQ(missing.create("x"), Result::OtherError);
}
