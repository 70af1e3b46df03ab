#include "platform/posix/PosixNamedMutex.h"

#include "support/Process.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/file.h>
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
    const std::string link = dir.Path() + "/Kvx_DaxtoolIsLaunchedMutex.lock";
    fs::create_symlink(victim, link);
    PosixNamedMutex m(dir.Path());
    EXPECT_EQ(m.create("Kvx_DaxtoolIsLaunchedMutex"), Result::AccessDenied);
    // No running copy holds it: the refusal can say what to remove.
    EXPECT_EQ(m.obstacle(),
              link + " is a symbolic link; it is no lock of a running copy: remove it");
    fs::create_symlink(nothing, dir.Path() + "/dangling.lock");
    EXPECT_EQ(m.createShared("dangling"), Result::AccessDenied);
    EXPECT_FALSE(fs::exists(nothing));

    // A FIFO would block an open for reading; it must be refused at once.
    ASSERT_EQ(::mkfifo((dir.Path() + "/fifo.lock").c_str(), 0600), 0);
    EXPECT_EQ(m.create("fifo"), Result::AccessDenied);
    EXPECT_EQ(m.obstacle(), dir.Path() + "/fifo.lock is a FIFO; it is no lock of a running "
                                         "copy: remove it");
    // A lock held by a running copy is no obstacle.
    PosixNamedMutex holder(dir.Path());
    ASSERT_EQ(holder.create("held"), Result::Created);
    EXPECT_EQ(m.create("held"), Result::AlreadyExists);
    EXPECT_EQ(m.obstacle(), "");
}

// /tmp, where every user may create files, when there is no runtime directory.
struct SharedDirectory : daxtest::TempDir {
    SharedDirectory() { fs::permissions(Path(), fs::perms::all | fs::perms::sticky_bit); }
    std::string Own(const std::string& name) const {
        return Path() + "/" + name + "-" + std::to_string(::geteuid()) + ".lock";
    }
};

TEST(PosixNamedMutex, InASharedDirectoryOwnNamesArePerUserAndTheJobServersIsLockedShared) {
    SharedDirectory dir;
    ASSERT_FALSE(PosixNamedMutex::isPrivateDirectory(dir.Path()));
    PosixNamedMutex own(dir.Path()), again(dir.Path());
    ASSERT_EQ(own.create("Kvx_DaxtoolIsLaunchedMutex"), Result::Created);
    EXPECT_EQ(own.path(), dir.Own("Kvx_DaxtoolIsLaunchedMutex"));
    EXPECT_EQ(again.create("Kvx_DaxtoolIsLaunchedMutex"), Result::AlreadyExists);

    // The job server makes its own name, unchanged; copies of several users hold it together,
    // and keep the job server from taking it.
    PosixNamedMutex first(dir.Path()), second(dir.Path());
    ASSERT_EQ(first.createShared("Kvx_eJDIsLaunchedMutex"), Result::Created);
    EXPECT_EQ(first.path(), dir.Path() + "/Kvx_eJDIsLaunchedMutex.lock");
    EXPECT_EQ(second.createShared("Kvx_eJDIsLaunchedMutex"), Result::Created);
    const int fd = ::open(first.path().c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    EXPECT_NE(::flock(fd, LOCK_EX | LOCK_NB), 0);
    first.release();
    second.release();
    // A running job server refuses the start.
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(first.createShared("Kvx_eJDIsLaunchedMutex"), Result::AlreadyExists);
    ::close(fd);

    // In a runtime directory of the user's own the names are as given.
    daxtest::TempDir runtime;
    fs::permissions(runtime.Path(), fs::perms::owner_all);
    ASSERT_TRUE(PosixNamedMutex::isPrivateDirectory(runtime.Path()));
    PosixNamedMutex private_(runtime.Path());
    ASSERT_EQ(private_.create("Kvx_DaxtoolIsLaunchedMutex"), Result::Created);
    EXPECT_EQ(private_.path(), runtime.Path() + "/Kvx_DaxtoolIsLaunchedMutex.lock");
}

TEST(PosixNamedMutex, AnotherUsersFileAtTheOwnNameIsNamedNotTakenForARunningCopy) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving a file to another user needs root";
    SharedDirectory dir;
    const std::string planted = dir.Own("Kvx_DaxtoolIsLaunchedMutex");
    std::ofstream(planted).flush();
    ASSERT_EQ(::chown(planted.c_str(), 4242, 4242), 0);
    PosixNamedMutex m(dir.Path());
    EXPECT_EQ(m.create("Kvx_DaxtoolIsLaunchedMutex"), Result::AccessDenied);
    EXPECT_EQ(m.obstacle(), planted + " belongs to another user (uid 4242); it is no lock of a "
                                      "running copy: remove it");
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
