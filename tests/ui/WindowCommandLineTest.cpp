// What daxtool decides before the toolkit starts: help, version, or no display to open on.
#include "ui/qt/WindowCommandLine.h"

#include "support/Process.h"
#include "ui/qt/DisplayProbe.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <map>
#include <netinet/in.h>
#include <set>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace dax {
namespace {

WindowStart Classify(std::vector<const char*> args, std::map<std::string, std::string> env) {
    args.insert(args.begin(), "daxtool");
    // The servers that answer here: X11 on :0, :1 and :2, Wayland on wayland-0.
    const std::set<std::string> live = {"xcb :0", "xcb :1", "xcb :2", "wayland wayland-0"};
    return ClassifyWindowStart(
        int(args.size()), args.data(),
        [&env](const char* name) {
            auto it = env.find(name);
            return it == env.end() ? std::string() : it->second;
        },
        [&live](const std::string& plugin, const std::string& display) {
            return live.count(plugin + " " + display) > 0;
        });
}

TEST(WindowCommandLine, HelpAndVersionNeedNoDisplayAndNoDisplayIsSaidBeforeTheToolkitAborts) {
    using enum WindowStart;
    struct Case {
        std::vector<const char*> args;
        std::map<std::string, std::string> env;
        WindowStart expected;
    };
    const Case cases[] = {
        {{"--help"}, {}, Help},
        {{"-Test1", "-h"}, {}, Help},
        {{"--version"}, {}, Version},
        {{}, {}, NoDisplay},
        {{}, {{"DISPLAY", ""}, {"QT_QPA_PLATFORM", ""}}, NoDisplay}, // set but empty
        {{}, {{"DISPLAY", ":0"}}, Run},
        {{}, {{"DISPLAY", ":5"}}, NoDisplay}, // set, but no server there
        {{}, {{"DISPLAY", ":5"}, {"WAYLAND_DISPLAY", "wayland-0"}}, Run},
        {{}, {{"WAYLAND_DISPLAY", "wayland-0"}}, Run},
        {{}, {{"QT_QPA_PLATFORM", "offscreen"}}, Run},
        {{}, {{"QT_QPA_PLATFORM", "xcb"}, {"WAYLAND_DISPLAY", "wayland-0"}}, NoDisplay},
        {{}, {{"QT_QPA_PLATFORM", "wayland;xcb"}, {"DISPLAY", ":1"}}, Run},
        {{}, {{"QT_QPA_PLATFORM", "wayland"}, {"DISPLAY", ":1"}}, NoDisplay},
        {{}, {{"QT_QPA_PLATFORM", "xcb;wayland"}, {"WAYLAND_DISPLAY", "wayland-0"}}, Run},
        {{}, {{"QT_QPA_PLATFORM", "xcb:display=:2"}}, Run},
        {{"-platform", "offscreen"}, {}, Run},
        {{"-platform", "xcb"}, {{"QT_QPA_PLATFORM", "offscreen"}}, NoDisplay}, // the line wins
        // Options neither daxtool's nor the toolkit's are refused before any display is sought.
        {{"--port", "3"}, {{"DISPLAY", ":0"}}, BadUsage},
        {{"scan"}, {}, BadUsage},
        {{"-Test1", "-style"}, {{"DISPLAY", ":0"}}, BadUsage}, // its value is missing
        {{"/test2", "-style=fusion", "--reverse", "-qwindowtitle", "T"}, {{"DISPLAY", ":0"}}, Run},
    };
    for (const auto& c : cases) {
        std::string line;
        for (const char* a : c.args)
            line += std::string(a) + " ";
        for (const auto& [k, v] : c.env)
            line += k + "=" + v + " ";
        EXPECT_EQ(Classify(c.args, c.env), c.expected) << line;
    }
}

// A listening socket of each kind a display server uses, made and then taken away.
TEST(DisplayProbe, AnswersOnlyWhereAServerListens) {
    daxtest::TempDir dir;
    const std::string path = dir.Path() + "/wayland-7";
    const int unixFd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un local{};
    local.sun_family = AF_UNIX;
    path.copy(local.sun_path, sizeof local.sun_path - 1);
    ASSERT_EQ(bind(unixFd, reinterpret_cast<sockaddr*>(&local), sizeof local), 0);
    ASSERT_EQ(listen(unixFd, 1), 0);
    EXPECT_TRUE(WaylandDisplayAnswers("wayland-7", dir.Path()));
    EXPECT_TRUE(WaylandDisplayAnswers(path, ""));
    EXPECT_FALSE(WaylandDisplayAnswers("wayland-8", dir.Path()));
    close(unixFd);
    EXPECT_FALSE(WaylandDisplayAnswers("wayland-7", dir.Path())); // a socket file left behind

    // A forwarded X display: TCP 6000+N on a host.
    const int tcpFd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in inet{};
    inet.sin_family = AF_INET;
    inet.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int number = 0;
    for (int n = 50; n < 100 && !number; ++n) {
        inet.sin_port = htons(uint16_t(6000 + n));
        if (bind(tcpFd, reinterpret_cast<sockaddr*>(&inet), sizeof inet) == 0)
            number = n;
    }
    ASSERT_NE(number, 0) << "no free port from 6050 to 6099";
    ASSERT_EQ(listen(tcpFd, 1), 0);
    EXPECT_TRUE(X11DisplayAnswers("127.0.0.1:" + std::to_string(number) + ".0"));
    close(tcpFd);
    EXPECT_FALSE(X11DisplayAnswers("127.0.0.1:" + std::to_string(number)));
    EXPECT_FALSE(X11DisplayAnswers("nonsense"));
    EXPECT_FALSE(X11DisplayAnswers(":x"));
}

} // namespace
} // namespace dax
