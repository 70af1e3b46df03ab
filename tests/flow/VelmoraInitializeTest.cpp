#include "devices/CVelmora.h"
#include "flow/ScriptedTransporter.h"

#include <gtest/gtest.h>

using namespace dax;
using namespace dax::flow;

namespace {

struct Started {
    ScriptedTransporter t;
    NoInteraction ui;
    std::unique_ptr<CVelmora> v;
    Started(const Inquiry& q, std::map<int, int> states, std::deque<uint16_t> printerSenses = {}) {
        t.elementStates = std::move(states);
        t.printerSenses = std::move(printerSenses);
        EXPECT_TRUE(StoreInquiry(q));
        v = std::make_unique<CVelmora>(t.port.get(), t.clock, ui);
        v->Initialize();
    }
};

std::string Configuration(const CVelmora& v) {
    std::string c = std::string(v.m_bOtpFirmware ? "otp" : "") + (v.m_bShortStatus ? "short" : "") +
                    (v.m_bBasicConfig ? "basic" : "") + (v.m_bDrive1Config ? "drive1" : "") +
                    (v.m_bDrive3Config ? "drive3" : "") + (v.m_bBin4Config ? "bin4" : "");
    return c.empty() ? "none" : c;
}

const std::string kTail = " !f0280C !f0300C !f12600C";

} // namespace

TEST(VelmoraInitialize, SendsTheProbeSequenceOfItsConfiguration) {
    struct {
        const char* name;
        Inquiry inquiry;
        std::map<int, int> states; // elements not listed answer state 2
        std::string sequence;
        std::string configuration;
    } const cases[] = {
        // clang-format off
        {"basic", {}, {{240, 0}, {241, 0}}, "!e1C !f0240C !f0241C !f0243C" + kTail, "basic"},
        {"drive1", {}, {{240, 0}}, "!e1C !f0240C !f0241C" + kTail, "drive1"},
        {"drive3", {}, {{240, 0}, {241, 0}, {243, 0}}, "!e1C !f0240C !f0241C !f0243C" + kTail,
         "drive3"},
        {"bin4", {.revision = "3.23 "}, {{203, 0}, {240, 0}}, "!e1C !f0203C !f0240C" + kTail,
         "bin4"},
        {"short_after_bin4", {.revision = "3.23 "}, {{203, 0}}, "!e1C !f0203C !f0240C", "short"},
        {"short", {}, {}, "!e1C !f0240C", "short"},
        {"no_drive_home_probe", {.revision = "3.06 "}, {{241, 0}}, "!e1C !f0241C !f0243C" + kTail,
         "basic"},
        {"loader", {.product = "KORVIX 6400", .revision = "6.01 "}, {}, "!e1C" + kTail, "none"},
        {"old_firmware", {.revision = "2.50 "}, {}, "!e1C" + kTail, "none"},
        // Start-up (OTP) firmware is left alone: by revision, and by its name.
        {"otp", {.revision = "3.04 "}, {}, "", "otp"},
        {"otp_below_2", {.revision = "1.999"}, {}, "", "otp"},
        {"not_otp_3041", {.revision = "3.041"}, {}, "!e1C !f0241C" + kTail, "drive1"},
        {"not_otp_2", {.revision = "2.00 "}, {}, "!e1C" + kTail, "none"},
        {"otp_boot_name", {.product = "KORVIX BOOT", .revision = "3.20 "}, {}, "", "otp"},
        {"boot_capable", {.product = "Korvix 240x", .revision = "1.00 "}, {}, "!e1C !f12600C",
         "none"},
        // clang-format on
    };
    for (const auto& c : cases) {
        Started s(c.inquiry, c.states);
        EXPECT_EQ(s.t.Sequence(), c.sequence) << c.name;
        EXPECT_EQ(Configuration(*s.v), c.configuration) << c.name;
    }
}

TEST(VelmoraStart, FlagsFollowTheProbes) {
    Started full({.revision = "3.23 "}, {{203, 0}, {240, 0}, {280, 0}, {300, 1}});
    EXPECT_TRUE(full.v->m_bRotator && full.v->m_bPocketCalibration && full.v->m_bMailbox);
    EXPECT_TRUE(full.v->m_bWritableSettings && full.v->m_bCalibration && full.v->m_bLedFlashing);

    Started brief({.revision = "3.23 "}, {{203, 0}, {280, 0}});
    EXPECT_FALSE(brief.v->m_bCalibration || brief.v->m_bSerialNumbers || brief.v->m_bRotator);
    brief.t.transporterSense = 4; // short-status mode asks sense in the start-up form
    uint16_t sense = 0;
    EXPECT_TRUE(brief.v->RequestSense(-1, &sense, nullptr));
    EXPECT_EQ(brief.t.commands.back(), "!f0C");
    EXPECT_EQ(sense, 4);

    Started old({.revision = "2.50 "}, {});
    EXPECT_TRUE(old.v->m_bOldFirmware && !old.v->m_bWritableSettings);
}

TEST(VelmoraStart, PrinterProbePollsWhileBusyThenClosesTheDrawer) {
    const Inquiry printer{.count = 64, .printerRevision = "4.00 "};
    Started s(printer, {{240, 0}}, {0, 2, 2, 0});
    EXPECT_TRUE(s.v->m_bAlignPasses);
    EXPECT_NE(s.t.Sequence().find("!f0300C !a3H !e1C !e1C !e1C !d1C !e1C !f12600C"),
              std::string::npos);
    EXPECT_EQ(s.t.clock.sleeps, (std::vector<uint32_t>{7000, 500, 500, 500, 1000, 1000}));
    const auto timeouts = s.t.AnswerTimeouts();
    EXPECT_EQ(std::vector<uint32_t>(timeouts.end() - 5, timeouts.end() - 1),
              (std::vector<uint32_t>{30000, 30000, 30000, 3000}));

    Started fault(printer, {{240, 0}}, {0, 2, 13});
    EXPECT_FALSE(fault.v->m_bAlignPasses);

    Started silent(printer, {{240, 0}});
    silent.t.commands.clear();
    silent.t.silenceAfter["!a3H"] = 2;
    silent.v->Initialize();
    EXPECT_NE(silent.t.Sequence().find("!a3H !e1C !e1C !f12600C"), std::string::npos);

    // A printer that stays busy must not hold start-up forever.
    Started busy(printer, {{240, 0}}, {0, 2});
    EXPECT_FALSE(busy.v->m_bAlignPasses);
    EXPECT_EQ(std::count(busy.t.commands.begin(), busy.t.commands.end(), "!e1C"),
              CVelmora::kAlignMaxPolls + 2);
    EXPECT_EQ(busy.t.commands.back(), "!f12600C");
}
