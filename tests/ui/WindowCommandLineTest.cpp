// What daxtool decides before the toolkit starts: help, version, or no display to open on.
#include "ui/qt/WindowCommandLine.h"

#include <gtest/gtest.h>
#include <map>
#include <vector>

namespace dax {
namespace {

WindowStart Classify(std::vector<const char*> args, std::map<std::string, std::string> env) {
    args.insert(args.begin(), "daxtool");
    return ClassifyWindowStart(int(args.size()), args.data(), [&env](const char* name) {
        auto it = env.find(name);
        return it == env.end() ? std::string() : it->second;
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
        {{}, {{"WAYLAND_DISPLAY", "wayland-0"}}, Run},
        {{}, {{"QT_QPA_PLATFORM", "offscreen"}}, Run},
        {{}, {{"QT_QPA_PLATFORM", "xcb"}, {"WAYLAND_DISPLAY", "wayland-0"}}, NoDisplay},
        {{}, {{"QT_QPA_PLATFORM", "wayland;xcb"}, {"DISPLAY", ":1"}}, Run},
        {{}, {{"QT_QPA_PLATFORM", "wayland"}, {"DISPLAY", ":1"}}, NoDisplay},
        {{}, {{"QT_QPA_PLATFORM", "xcb:display=:2"}}, Run},
        {{"-platform", "offscreen"}, {}, Run},
        {{"-platform", "xcb"}, {{"QT_QPA_PLATFORM", "offscreen"}}, NoDisplay}, // the line wins
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

} // namespace
} // namespace dax
