// daxsim's --set keys as its help (and so its manual page) lists them: one a line, apart from
// its description, each one the simulator takes.
#include "Profile.h"

#include <gtest/gtest.h>
#include <regex>
#include <sstream>

namespace {

TEST(DaxsimSettings, EveryKeyTheHelpListsIsTakenAndHasALineOfItsOwn) {
    std::istringstream help(dax::sim::SettingsHelp());
    const std::regex entry(R"(^  ([a-z_0-9.]+)=(\S*)(.*)$)");
    int keys = 0;
    for (std::string line; std::getline(help, line);) {
        std::smatch m;
        if (!std::regex_match(line, m, entry))
            continue;
        ++keys;
        EXPECT_EQ(m[3].str().find('='), std::string::npos) << "two keys on: " << line;
        // The description stands apart, so that the manual page makes an entry of each key.
        EXPECT_TRUE(m[3].length() == 0 || m[3].str().rfind("  ", 0) == 0) << line;
        // The dual-printer keys belong to its profiles; the others to every profile.
        std::string key = m[1].str();
        if (key == "element.NNN")
            key = "element.240";
        bool taken = false;
        for (const char* profile : {"basic", "halcyra"}) {
            dax::sim::SDeviceConfig config;
            ASSERT_TRUE(dax::sim::LoadProfile(profile, config));
            std::string error;
            dax::sim::ApplySetting(key + "=?", config, error);
            taken = taken || error.find("unknown key") == std::string::npos;
        }
        EXPECT_TRUE(taken) << "no profile takes " << key << ", which the help lists";
    }
    EXPECT_GT(keys, 40);
}

} // namespace
