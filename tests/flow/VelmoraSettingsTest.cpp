#include "devices/CVelmora.h"
#include "flow/ScriptedTransporter.h"

#include <gtest/gtest.h>

using namespace dax;
using namespace dax::flow;

namespace {

struct Settings : ::testing::Test {
    std::unique_ptr<ScriptedTransporter> t = std::make_unique<ScriptedTransporter>();
    NoInteraction ui;
    std::unique_ptr<CVelmora> Make(const Inquiry& inquiry = {}) {
        EXPECT_TRUE(StoreInquiry(inquiry));
        return std::make_unique<CVelmora>(t->port.get(), t->clock, ui);
    }
    long Count(const std::string& command) const {
        return std::count(t->commands.begin(), t->commands.end(), command);
    }
};

} // namespace

TEST_F(Settings, SaveSettingsWaitsForTheRestartedTransporter) {
    t->silenceAfter["!g1C"] = 3; // a silent sense is asked twice (retry after a time-out)
    EXPECT_TRUE(Make()->SaveSettings(true));
    EXPECT_EQ(t->Sequence(), "!e1C !h1C !g1C !e1C !e1C !e1C !e1C");
    EXPECT_EQ(t->clock.sleeps, (std::vector<uint32_t>{2000}));

    t->commands.clear();
    t->clock.sleeps.clear();
    t->silenceAfter["!g1C"] = 1000;
    auto v = Make({.product = "Korvix 240x"});
    EXPECT_FALSE(v->SaveSettings(true));
    EXPECT_EQ(v->GetErrorText(),
              "Settings sent, but the transporter did not answer after its restart");
    EXPECT_EQ(t->commands[1], "!g1C"); // boot-capable models store nothing
    EXPECT_EQ(Count("!e1C"), 1 + 2 * 11);
    EXPECT_EQ(t->clock.sleeps, std::vector<uint32_t>(10, 2000));
}

TEST_F(Settings, SaveSettingsStepsDownFrom115200AndBack) {
    t = std::make_unique<ScriptedTransporter>(115200);
    auto v = Make();
    EXPECT_TRUE(v->SaveSettings(true));
    EXPECT_EQ(t->Sequence(), "!e1C !b38400C !h1C !g1C !e1C !b11520C");
    EXPECT_EQ(t->rates, (std::vector<uint32_t>{115200, 115200, 38400, 38400, 38400, 38400}));
    EXPECT_EQ(t->port->GetBaudRate(), 115200u);

    t->commands.clear();
    t->overrides["!b38400C"] = "\x1B!b0C";
    EXPECT_FALSE(v->SaveSettings(true));
    EXPECT_EQ(t->Sequence(), "!e1C !b38400C !e1C"); // nothing stored at a rate it refused
}

TEST_F(Settings, OtpAndRevisionGates) {
    auto otp = Make({.product = "KORVIX BOOT"});
    otp->Initialize();
    std::string a, b;
    bool f1, f2, f3;
    int beeps;
    EXPECT_FALSE(otp->GetSerialNumbers(a, b));
    EXPECT_EQ(otp->GetErrorText(), "GetSerialNumbers failed - OTP firmware");
    EXPECT_FALSE(otp->SetSerialNumbers("A", "B"));
    EXPECT_FALSE(otp->SetVaultekParams("N", true, true, true, 1));
    EXPECT_EQ(otp->GetErrorText(), "SetVaultekParams failed - OTP firmware");
    EXPECT_FALSE(otp->GetVaultekParams(a, f1, f2, f3, beeps));
    EXPECT_FALSE(Make({.revision = "3.069"})->SetSerialNumbers("A", "B"));
    EXPECT_FALSE(Make({.revision = "3.069"})->GetSerialNumbers(a, b));
    auto low = Make({.product = "KORVIX 6400", .revision = "6.012"});
    EXPECT_FALSE(low->SetVaultekParams("N", false, false, false, 0));
    EXPECT_EQ(low->GetErrorText(), "SetVaultekParams failed - low revision firmware");
    EXPECT_TRUE(t->commands.empty());

    EXPECT_TRUE(Make({.revision = "3.07 "})->GetSerialNumbers(a, b));
    EXPECT_TRUE(Make({.product = "Korvix 240x", .revision = "1.00 "})->SetSerialNumbers("A", "B"));
    EXPECT_EQ(t->commands.back(), "!f9000CA       "); // built-in printer: no printer serial
    auto ok = Make({.product = "KORVIX 6400", .revision = "6.013"});
    EXPECT_TRUE(ok->SetVaultekParams("N", false, false, false, 0));
    auto moltrian = Make({.product = "Moltrian III E06", .revision = "3.00 "});
    EXPECT_TRUE(moltrian->SetVaultekParams("N", false, false, false, 0));
}

TEST_F(Settings, SerialNumbersGoOutAsEightCharacters) {
    t->stored = {{0, "TR123   "}};
    t->refusals["!f:260C"] = {0, 9};
    auto v = Make({.count = 64});
    std::string transporter, printer = "old";
    EXPECT_TRUE(v->GetSerialNumbers(transporter, printer));
    EXPECT_EQ(transporter, "TR123   ");
    EXPECT_EQ(printer, ""); // a refused printer read only empties the field
    EXPECT_EQ(t->Sequence(), "!e1C !f:000C !f:260C !e1C");

    t->commands.clear();
    EXPECT_TRUE(v->SetSerialNumbers("ABCDEFGHIJ", "P1"));
    EXPECT_EQ(t->Sequence(), "!e1C !f9000CABCDEFGH !f9260CP1      ");
}

TEST_F(Settings, LoaderParametersOnTheWire) {
    auto v = Make({.product = "KORVIX 6800", .revision = "6.10 "});
    EXPECT_TRUE(v->SetVaultekParams("HELLO", true, true, false, 12));
    EXPECT_EQ(t->Sequence(), "!e1C !f9099C11100000 !f9100CHELLO    !f9101C        ");
    t->commands.clear();
    EXPECT_TRUE(v->SetVaultekParams("HELLO", false, false, true, 7));
    EXPECT_EQ(t->Sequence(), "!e1C !f9099C00071000");

    t->stored = {{99, "10?x1000"}, {100, "LOADER 1"}, {101, "        "}};
    std::string name;
    bool shutdown = false, override = false, computer = false;
    int beeps = -1;
    EXPECT_TRUE(v->GetVaultekParams(name, shutdown, override, computer, beeps));
    EXPECT_TRUE(shutdown && !override && computer && name.empty());
    EXPECT_EQ(beeps, 0); // a letter where the digit belongs
    t->stored[99] = "01?51000";
    EXPECT_TRUE(v->GetVaultekParams(name, shutdown, override, computer, beeps));
    EXPECT_EQ(name, "LOADER 1        ");
    EXPECT_EQ(beeps, 5);
}
