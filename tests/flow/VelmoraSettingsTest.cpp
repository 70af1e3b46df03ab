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
};

} // namespace

TEST_F(Settings, SaveSettingsWaitsForTheRestartedTransporter) {
    t->silenceAfter["!g1C"] = 3; // a silent sense is asked twice (retry after a time-out)
    EXPECT_TRUE(Make()->SaveSettings(true));
    EXPECT_EQ(t->Sent(), "!e1C !h1C !g1C !e1C !e1C !e1C !e1C");
    EXPECT_EQ(t->clock.sleeps, (std::vector<uint32_t>{2000}));
    t->clock.sleeps.clear();
    // A refused store is no save, and the restart that would lose the values is not sent.
    t->refusals["!h1C"] = {16, 0};
    auto refused = Make();
    EXPECT_FALSE(refused->SaveSettings(true));
    EXPECT_EQ(refused->GetErrorText(), "Settings not stored - Transporter: Prog Flash Failure");
    EXPECT_EQ(t->Sent(), "!e1C !h1C !e1C");
    t->refusals.clear();
    t->silenceAfter["!g1C"] = 1000;
    auto v = Make({.product = "Korvix 240x"});
    EXPECT_FALSE(v->SaveSettings(true));
    EXPECT_EQ(v->GetErrorText(),
              "Settings sent, but the transporter did not answer after its restart");
    EXPECT_EQ(t->commands[1], "!g1C"); // boot-capable models store nothing
    EXPECT_EQ(std::count(t->commands.begin(), t->commands.end(), "!e1C"), 1 + 2 * 11);
    EXPECT_EQ(t->clock.sleeps, std::vector<uint32_t>(10, 2000));
}

TEST_F(Settings, SaveSettingsStepsDownFrom115200AndBack) {
    t = std::make_unique<ScriptedTransporter>(115200);
    auto v = Make();
    EXPECT_TRUE(v->SaveSettings(true));
    EXPECT_EQ(t->Sent(), "!e1C !b38400C !h1C !g1C !e1C !b11520C");
    EXPECT_EQ(t->rates, (std::vector<uint32_t>{115200, 115200, 38400, 38400, 38400, 38400}));
    EXPECT_EQ(t->port->GetBaudRate(), 115200u);

    t->overrides["!b38400C"] = "\x1B!b0C";
    EXPECT_FALSE(v->SaveSettings(true));
    EXPECT_EQ(t->Sent(), "!e1C !b38400C !e1C"); // nothing stored at a rate it refused
}

// What an operation on the settings sends, or why it refuses without sending anything.
TEST_F(Settings, OtpAndRevisionGates) {
    const Inquiry boot{.product = "KORVIX BOOT"}, old{.revision = "3.069"},
        loader{.product = "KORVIX 6400", .revision = "6.012"};
    const std::string otp = " failed - OTP firmware", low = " failed - low revision firmware";
    // clang-format off
    const std::tuple<Inquiry, char, std::string> cases[] = {
        {boot, 'g', "GetSerialNumbers" + otp}, {boot, 's', "SetSerialNumbers" + otp},
        {boot, 'p', "SetVaultekParams" + otp}, {boot, 'q', "GetVaultekParams" + otp},
        {old, 'g', "GetSerialNumbers" + low}, {old, 's', "SetSerialNumbers" + low},
        {loader, 'p', "SetVaultekParams" + low}, {loader, 'q', "GetVaultekParams" + low},
        {{.revision = "3.07 "}, 'g', "sent !e1C !f:000C"},
        // Built-in printer: no printer serial.
        {{.product = "Korvix 240x", .revision = "1.00 "}, 's', "sent !e1C !f9000CA       "},
        {{.product = "KORVIX 6400", .revision = "6.013"}, 'p', "sent !e1C !f9099C00000000"},
        {{.product = "Moltrian III E06", .revision = "3.00 "}, 'p', "sent !e1C !f9099C00000000"},
    };
    // clang-format on
    for (const auto& [inquiry, op, expected] : cases) {
        auto v = Make(inquiry);
        if (inquiry.product == boot.product)
            v->Initialize(); // start-up firmware is known by its name from here on
        t->Sent();
        std::string a, b;
        bool f = false;
        int n = 0;
        const bool ok = op == 'g'   ? v->GetSerialNumbers(a, b)
                        : op == 's' ? v->SetSerialNumbers("A", "B")
                        : op == 'p' ? v->SetVaultekParams("N", false, false, false, 0)
                                    : v->GetVaultekParams(a, f, f, f, n);
        const std::string sent = t->Sent();
        EXPECT_EQ(ok ? "sent " + sent : v->GetErrorText() + sent, expected) << inquiry.product;
    }
}

TEST_F(Settings, SerialNumbersGoOutAsEightCharacters) {
    t->stored = {{0, "TR123   "}};
    t->refusals["!f:260C"] = {0, 9};
    auto v = Make({.count = 64});
    std::string transporter, printer = "old";
    EXPECT_TRUE(v->GetSerialNumbers(transporter, printer));
    // A refused printer read only empties the field.
    EXPECT_EQ(std::tuple(transporter, printer), std::tuple("TR123   ", ""));
    EXPECT_EQ(t->Sent(), "!e1C !f:000C !f:260C !e1C");

    EXPECT_TRUE(v->SetSerialNumbers("ABCDEFGHIJ", "P1"));
    EXPECT_EQ(t->Sent(), "!e1C !f9000CABCDEFGH !f9260CP1      ");
}

TEST_F(Settings, LoaderParametersOnTheWire) {
    auto v = Make({.product = "KORVIX 6800", .revision = "6.10 "});
    EXPECT_TRUE(v->SetVaultekParams("HELLO", true, true, false, 12));
    EXPECT_EQ(t->Sent(), "!e1C !f9099C11100000 !f9100CHELLO    !f9101C        ");
    EXPECT_TRUE(v->SetVaultekParams("HELLO", false, false, true, 7));
    EXPECT_EQ(t->Sent(), "!e1C !f9099C00071000");

    t->stored = {{99, "10?x1000"}, {100, "LOADER 1"}, {101, "        "}};
    std::string name;
    bool shutdown = false, override = false, computer = false;
    int beeps = -1;
    EXPECT_TRUE(v->GetVaultekParams(name, shutdown, override, computer, beeps));
    // A letter where the digit belongs counts as no beeps.
    EXPECT_EQ(std::tuple(name, shutdown, override, computer, beeps), std::tuple("", 1, 0, 1, 0));
    t->stored[99] = "01?51000";
    EXPECT_TRUE(v->GetVaultekParams(name, shutdown, override, computer, beeps));
    EXPECT_EQ(std::tuple(name, override, beeps), std::tuple("LOADER 1        ", 1, 5));
}

// Text that would put a control byte on the wire (an ESC starts a second command) is refused
// before anything is sent, whichever field holds it.
TEST_F(Settings, TextWithControlOrNonAsciiBytesNeverReachesTheWire) {
    auto v = Make({.product = "KORVIX 6800", .revision = "6.10 ", .count = 64});
    for (const std::string& bad :
         std::vector<std::string>{"AB\x1B!g1C", std::string("A\0B", 3), "TAB\t", "DEL\x7F",
                                  "\xC3\xA9t\xC3\xA9", "\x80", "LF\n"}) {
        t->line->written.clear();
        EXPECT_FALSE(v->SetSerialNumbers(bad, "P1"));
        EXPECT_EQ(v->GetErrorText(), CVelmora::kSerialNotPrintable);
        EXPECT_FALSE(v->SetSerialNumbers("T1", bad));
        EXPECT_FALSE(v->SetVaultekParams(bad, false, true, false, 0));
        EXPECT_EQ(v->GetErrorText(), CVelmora::kNameNotPrintable);
        EXPECT_TRUE(t->line->written.empty()) << bad;
    }
    // The whole printable range goes out; a name that is not sent is not looked at.
    EXPECT_TRUE(v->SetSerialNumbers(" ~AZaz09", "!}"));
    EXPECT_TRUE(v->SetVaultekParams("\x1B", false, false, false, 0));
    EXPECT_EQ(t->Sent(), "!e1C !f9000C ~AZaz09 !f9260C!}       !e1C !f9099C00000000");

    // What the device itself reported goes back unchanged (an erased area reads 0xFF), unless
    // it holds a control byte.
    const std::string erased(8, '\xFF'), withEsc = "AB\x1B!g1C ";
    t->stored = {{0, erased}, {260, withEsc}};
    std::string transporter, printer;
    ASSERT_TRUE(v->GetSerialNumbers(transporter, printer));
    t->Sent();
    EXPECT_TRUE(v->SetSerialNumbers(erased, "P1"));
    EXPECT_EQ(t->Sent(), "!e1C !f9000C" + erased + " !f9260CP1      ");
    ASSERT_EQ(printer, withEsc);
    EXPECT_FALSE(v->SetSerialNumbers(erased, withEsc));
    EXPECT_EQ(t->Sent(), "");
}
