#include "app/CDaxtoolApp.h"

#include <gtest/gtest.h>
#include <map>
#include <set>

namespace dax {
namespace {

TEST(StartupOptions, TestLevelComesFromTheLastTestToken) {
    const std::pair<const char*, int> cases[] = {
        {"daxtool -Test1", 1},           {"daxtool /test1", 1},    {"daxtool -TEST2", 2},
        {"daxtool -Test", -48}, // the character after "Test" is the end of the token
        {"daxtool -TestX", 40},          {"daxtool -Testing", 57}, {"daxtool", 0},
        {"daxtool x-Test1", 0}, // only whole tokens count
        {"daxtool\t-Test1", 0}, // a tab does not separate tokens
        {"daxtool  -Test1   -Test3", 3}, {"daxtool -Tesx1", 0},
    };
    for (const auto& [line, level] : cases)
        EXPECT_EQ(ParseTestLevel(line), level) << line;
}

TEST(StartupOptions, VersionTextJoinsTheFileVersionWithDots) {
    EXPECT_EQ(MakeVersionText("1, 2, 3, 0"), "1.2.3.0");
    EXPECT_EQ(MakeVersionText("1,2,3,0"), "1.2.3.0");
    EXPECT_EQ(MakeVersionText("  4 ,, 5 "), "4.5");
    EXPECT_EQ(MakeVersionText(""), "");

    CDaxtoolApp app;
    app.ReadStartupOptions("daxtool -Test1", VersionBlock{});
    EXPECT_EQ(app.GetVersion(), ""); // no block: the About box shows "Version " alone
    EXPECT_EQ(app.GetTestLevel(), 1);
    EXPECT_EQ(app.VersionReport("daxtool"), "daxtool \nVersion ");

    app.ReadStartupOptions("", VersionBlock{true, "1, 2, 3, 0", "2026-12-06", "Copyright (C) X"});
    EXPECT_EQ(app.VersionReport("daxtool-cli"),
              "daxtool-cli 1.2.3.0\nVersion 1.2.3.0\nCopyright (C) X\n2026-12-06");
}

// Mutexes that exist by name for as long as one object holds them.
class FakeMutexes : public NamedMutexFactory {
public:
    class Mutex : public NamedMutex {
    public:
        explicit Mutex(FakeMutexes& all) : m_all(all) {}
        ~Mutex() override { release(); }
        Result create(const std::string& name) override {
            m_obstacle = m_all.planted.count(name) ? m_all.planted[name] : "";
            if (m_all.denied.count(name) || !m_obstacle.empty())
                return Result::AccessDenied;
            if (m_all.broken.count(name))
                return Result::OtherError;
            if (m_all.held[name]++ > 0)
                return Result::AlreadyExists;
            m_name = name;
            return Result::Created;
        }
        void release() override {
            if (!m_name.empty())
                m_all.held[m_name] = 0;
            m_name.clear();
        }
        int lastError() const override { return 0; }
        std::string lastErrorText() const override { return "no lock here"; }
        std::string obstacle() const override { return m_obstacle; }

    private:
        FakeMutexes& m_all;
        std::string m_name;
        std::string m_obstacle;
    };
    std::unique_ptr<NamedMutex> create() override { return std::make_unique<Mutex>(*this); }
    std::map<std::string, int> held;
    std::set<std::string> denied;
    std::set<std::string> broken;               // cannot be made at all
    std::map<std::string, std::string> planted; // what stands in a name's place
};

TEST(StartupGuard, ASecondCopyAndTheJobServerAreRefusedWithTheirMessages) {
    FakeMutexes mutexes;
    std::string refusal;
    CDaxtoolApp first;
    ASSERT_TRUE(first.AcquireInstance(mutexes, refusal));

    CDaxtoolApp second;
    EXPECT_FALSE(second.AcquireInstance(mutexes, refusal));
    EXPECT_EQ(refusal, CDaxtoolApp::kAlreadyRunning);

    FakeMutexes withJobServer;
    withJobServer.denied.insert(CDaxtoolApp::kJobServerMutex);
    CDaxtoolApp third;
    EXPECT_FALSE(third.AcquireInstance(withJobServer, refusal));
    EXPECT_EQ(refusal, CDaxtoolApp::kJobServerRunning);
    // Refused, it let go of its own mutex: a later start succeeds once the job server ends.
    withJobServer.denied.clear();
    CDaxtoolApp fourth;
    EXPECT_TRUE(fourth.AcquireInstance(withJobServer, refusal));

    // Something that is no running copy's lock is named: removing it lets the program start.
    FakeMutexes planted;
    planted.planted[CDaxtoolApp::kJobServerMutex] = "/tmp/x.lock is a FIFO";
    CDaxtoolApp fifth;
    EXPECT_FALSE(fifth.AcquireInstance(planted, refusal));
    EXPECT_EQ(refusal, "Daxtool cannot start: /tmp/x.lock is a FIFO");
}

TEST(StartupGuard, AMutexThatCannotBeMadeLetsTheProgramStartWithOneWarning) {
    FakeMutexes mutexes;
    mutexes.broken = {CDaxtoolApp::kOwnMutex, CDaxtoolApp::kJobServerMutex};
    std::string refusal;
    CDaxtoolApp app;
    EXPECT_TRUE(app.AcquireInstance(mutexes, refusal));
    EXPECT_EQ(app.GetGuardWarning(),
              "Warning: starting without the single-instance guard (no lock here; no lock here); "
              "another copy or the job server would go unnoticed");
    mutexes.broken.clear();
    CDaxtoolApp guarded;
    EXPECT_TRUE(guarded.AcquireInstance(mutexes, refusal));
    EXPECT_EQ(guarded.GetGuardWarning(), "");
}

} // namespace
} // namespace dax
