#include "devices/CVelmora.h"
#include "flow/ScriptedTransporter.h"

#include <gtest/gtest.h>

using namespace dax;
using namespace dax::flow;

namespace {

struct Velmora : ::testing::Test {
    ScriptedTransporter t;
    CountingInteraction ui;
    std::unique_ptr<CVelmora> Make(const Inquiry& inquiry = {}) {
        EXPECT_TRUE(StoreInquiry(inquiry));
        return std::make_unique<CVelmora>(t.port.get(), t.clock, ui);
    }
};

} // namespace

TEST_F(Velmora, IdentificationSetsModelPrinterAndRevisions) {
    auto v = Make({.product = "Moltrian II E06", .count = 63});
    EXPECT_TRUE(v->m_bMoltrianLoader && v->HasVaultekParams() && !v->m_bLoaderModel);
    EXPECT_EQ(v->m_nPrinters, 0);
    EXPECT_EQ(v->m_strTransporterId, "Moltrian II E06 VERSION 3.07 A  ");
    EXPECT_FALSE(Make({.product = "Moltrian II E05"})->m_bMoltrianLoader);
    EXPECT_TRUE(Make({.product = "Moltrian III E06"})->m_bMoltrianLoader);

    v = Make({.product = "KORVIX 1400x", .revision = "3.209", .count = 64});
    EXPECT_TRUE(v->m_bBuiltInPrinterModel && v->m_bLoaderModel && !v->m_bCalibration);
    EXPECT_EQ(std::tuple(v->m_nTransporterRevision, v->m_nPrinters, v->m_nPrinterRevision),
              std::tuple(3209, 1, 4000));

    v = Make({.count = 64, .printerName = "MORRANE DP", .printerModel = "DKPR22"});
    EXPECT_TRUE(v->m_bMorranePrinter && v->m_bMorraneDKPR22 && !v->m_bPrinterSerialEditable);
    // Counted only once found on USB.
    EXPECT_EQ(std::tuple(v->m_nPrinters, v->m_nPrinterRevision), std::tuple(0, 0));
    EXPECT_EQ(v->GetPrinterSenseText(), "Sense = 0");

    // A revision that is not digits is reported, and the device is left alone.
    v = Make({.revision = "3.x7 "});
    EXPECT_EQ(v->GetErrorText(), "Transporter identification: Malformed firmware revision");
    v->Initialize();
    EXPECT_TRUE(v->m_bOtpFirmware && t.commands.empty());
}

TEST_F(Velmora, FailuresSayWhy) {
    auto v = Make();
    t.refusals["!f7050C"] = {5, 1};
    EXPECT_FALSE(v->SetTopMargin(50));
    EXPECT_EQ(v->GetErrorText(), "Transporter: Illegal Request");
    EXPECT_EQ(t.Sent(), "!e1C !f7050C !e1C");
    t.refusals["!e40C"] = {0, 1};
    EXPECT_FALSE(v->SetMediaSize(0));
    EXPECT_EQ(v->GetErrorText(), "Printer: Ribbon Out");
    // No confirmation, yet nothing wrong reported (a garbled answer): the step is named.
    t.refusals["!f9000CTS1     "] = {0, 0};
    EXPECT_FALSE(v->SetSerialNumbers("TS1", "PS1"));
    EXPECT_EQ(v->GetErrorText(), "ESC !f9000C was not confirmed, and no fault is reported");
    // When the reason cannot be read, the link says why.
    t.refusals["!f6003C"] = {0, 0};
    t.silenceAfter["!f6003C"] = 2;
    EXPECT_FALSE(v->SetLeftMargin(3));
    EXPECT_EQ(v->GetErrorText(), "Receive timeout");

    t.overrides["!e1C"] = "\x1B!e1a0x000C";
    EXPECT_FALSE(v->RequestSense(-1, nullptr, nullptr));
    EXPECT_EQ(v->GetErrorText(), "Malformed sense answer");
    t.overrides["!f0280C"] = "\x1B!f01?abcdeC";
    int state = 0;
    EXPECT_FALSE(v->ReadElementStatus(280, state));
    EXPECT_EQ(v->GetErrorText(), "Malformed element status answer");
}

TEST_F(Velmora, RequestSenseRetriesOnceAfterATimeout) {
    auto v = Make();
    t.transporterSense = 6;
    t.silentSenses = 1;
    uint16_t sense = 0;
    EXPECT_TRUE(v->RequestSense(10, &sense, nullptr));
    EXPECT_EQ(sense, 6);
    EXPECT_EQ(t.AnswerTimeouts(), (std::vector<uint32_t>{10000, 3000}));

    t.silentSenses = 2;
    v->m_strError = "earlier";
    EXPECT_FALSE(v->RequestSense(-1, &sense, nullptr));
    EXPECT_EQ(std::tuple(v->m_nTransporterSense, v->GetErrorText()), std::tuple(0, "earlier"));
    EXPECT_EQ(t.commands.size(), 4u);
}

TEST_F(Velmora, ElementCommandsAndBootFirmware) {
    auto v = Make();
    EXPECT_TRUE(v->PositionMedium(201, kActionGet, 10));
    EXPECT_TRUE(v->SetBaudRate(115200));
    EXPECT_EQ(t.AnswerTimeouts(), (std::vector<uint32_t>{60000, 20000}));
    EXPECT_EQ(t.Sent(), "!f12012C !b11520C");

    auto boot = Make({.product = "620x-T"});
    boot->m_strError = "kept";
    int state = 0;
    EXPECT_FALSE(boot->ReadElementStatus(280, state));
    EXPECT_EQ(boot->GetErrorText(), "kept");
    EXPECT_EQ(t.Sent(), "");
}

TEST_F(Velmora, UnloadPrinterClosesTheDrawerWhenNoDiscIsThere) {
    t.refusals["!f12602C"] = {3, 0};
    EXPECT_FALSE(Make()->UnloadPrinter());
    EXPECT_EQ(t.Sent(), "!e1C !f12602C !e1C !f22600C");
    t.refusals.clear();
    EXPECT_TRUE(Make({.product = "BENCHER 2"})->UnloadPrinter());
    EXPECT_EQ(t.Sent(), "!e1C !f12602C !f22600C !f13001C");
}

TEST_F(Velmora, LedsAndMailboxTest) {
    auto v = Make();
    v->FlashLeds(2);
    EXPECT_EQ(t.Sent(), "!f5111C !f5000C !f5111C !f5000C");
    EXPECT_EQ(t.clock.sleeps, (std::vector<uint32_t>{500, 500, 500, 500}));

    t.elementStates[300] = 0;
    t.refusals["!f23001C"] = {18, 0};
    v->TestMailbox(); // cycles the door until a command fails
    EXPECT_EQ(t.Sent(), "!f0300C !f23000C !f23001C !e1C");
    EXPECT_EQ(ui.pumps, 1);
    EXPECT_EQ(v->m_nMailboxCycles, 0);

    // Stopped from outside: whole cycles are counted.
    struct StopAfterTwoCycles : CountingInteraction {
        bool LoopStopRequested() override { return pumps >= 4; }
    } stopping;
    t.refusals.clear();
    CVelmora w(t.port.get(), t.clock, stopping);
    w.TestMailbox();
    EXPECT_EQ(w.m_nMailboxCycles, 2);
}

TEST_F(Velmora, PrinterCounterNeedsCountingFirmware) {
    t.counters['2'] = 4711;
    auto v = Make({.revision = "4.10 ", .count = 64, .printerRevision = "5.021"});
    EXPECT_EQ(v->GetPrinterCounter(0, 2), 4711);
    EXPECT_EQ(v->GetPrinterCounter(1, 1), -1);
    EXPECT_EQ(t.Sent(), "!f;2C");
    v = Make({.revision = "4.05 ", .count = 64, .printerRevision = "5.021"});
    EXPECT_EQ(v->GetPrinterCounter(0, 1), -1);
    EXPECT_EQ(t.Sent(), "");
}
