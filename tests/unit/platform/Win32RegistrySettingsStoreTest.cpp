#include "platform/win32/RegistrySettingsStore.h"

#include <gtest/gtest.h>
#include <string>
#include <windows.h>

namespace dax {
namespace {

// A key of this test's own, so a user's settings are never touched.
class RegistrySettingsStoreTest : public ::testing::Test {
protected:
    const std::string key =
        "Software\\Korvix\\DaxtoolTest-" + std::to_string(::GetCurrentProcessId());
    void TearDown() override { ::RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str()); }
};

TEST(RegistrySettingsStoreKey, IsTheProgramsOwn) {
    EXPECT_EQ(RegistrySettingsStore().key(), "Software\\Korvix\\Daxtool");
}

TEST_F(RegistrySettingsStoreTest, KeepsDwordsBySectionAndValue) {
    RegistrySettingsStore store(key);
    EXPECT_EQ(store.GetInt("Last Good", "Baud Rate", 1200), 1200);
    store.WriteInt("Last Good", "Baud Rate", 38400);
    store.WriteInt("Last Good", "First Port", -3);
    store.WriteInt("COM Params", "Baud", 9600);
    RegistrySettingsStore again(key);
    EXPECT_EQ(again.GetInt("Last Good", "Baud Rate", 1200), 38400);
    EXPECT_EQ(again.GetInt("Last Good", "First Port", 1), -3);
    EXPECT_EQ(again.GetInt("COM Params", "Baud", 0), 9600);

    // Stored as REG_DWORD under HKEY_CURRENT_USER\<key>\<section>, as other tools read them.
    DWORD type = 0, data = 0, size = sizeof data;
    ASSERT_EQ(::RegGetValueA(HKEY_CURRENT_USER, (key + "\\Last Good").c_str(), "Baud Rate",
                             RRF_RT_ANY, &type, &data, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, DWORD(REG_DWORD));
    EXPECT_EQ(data, 38400u);
}

TEST_F(RegistrySettingsStoreTest, AValueOfAnotherTypeReadsAsTheDefault) {
    const char text[] = "38400";
    ASSERT_EQ(::RegSetKeyValueA(HKEY_CURRENT_USER, (key + "\\Last Good").c_str(), "Baud Rate",
                                REG_SZ, text, sizeof text),
              ERROR_SUCCESS);
    const uint8_t word[2] = {1, 2};
    ASSERT_EQ(::RegSetKeyValueA(HKEY_CURRENT_USER, (key + "\\Last Good").c_str(), "First Port",
                                REG_BINARY, word, sizeof word),
              ERROR_SUCCESS);
    RegistrySettingsStore store(key);
    EXPECT_EQ(store.GetInt("Last Good", "Baud Rate", 1200), 1200);
    EXPECT_EQ(store.GetInt("Last Good", "First Port", 1), 1);
}

} // namespace
} // namespace dax
