#include "devices/CTransporter.h"

#include "devices/SenseText.h"
#include "platform/fake/FakeClock.h"

#include <deque>
#include <gtest/gtest.h>

namespace dax {
namespace {

// A device whose status polls answer from a script: one transporter code per poll, -1 for a
// failed poll. Everything else is inert.
class ScriptedTransporter : public CTransporter {
public:
    using CTransporter::CTransporter;
    std::deque<int> script;
    std::vector<int> pollTimeouts;

    bool RequestSense(int seconds, uint16_t* transporterSense, uint16_t*) override {
        pollTimeouts.push_back(seconds);
        const int code = script.empty() ? -1 : script.front();
        if (!script.empty()) {
            script.pop_front();
        }
        m_nTransporterSense = static_cast<uint16_t>(code < 0 ? 0 : code);
        if (code >= 0 && transporterSense != nullptr) {
            *transporterSense = m_nTransporterSense;
        }
        return code >= 0;
    }
    const std::string& GetPrinterSenseText() override {
        return m_strPrinterSenseText = PrinterSenseText(m_nPrinterSense, false);
    }
    const std::string& GetSenseText() override { return m_strTransporterSenseText; }

    void Initialize() override {}
    bool SetTopMargin(int) override { return false; }
    bool SetLeftMargin(int) override { return false; }
    bool SetRotationalOffset(int) override { return false; }
    bool SetPocketOffset(int) override { return false; }
    bool SetMediaSize(int) override { return false; }
    bool LoadPrinter(int) override { return false; }
    bool ReloadPrinter(int) override { return false; }
    bool LoadPocketDisc(bool) override { return false; }
    bool UnloadPrinter() override { return false; }
    bool CheckFlashFile(const uint8_t*, uint32_t) override { return false; }
    bool BeginFlash(uint32_t) override { return false; }
    bool SendFlashData(const uint8_t*, uint32_t) override { return false; }
    bool GetSerialNumbers(std::string&, std::string&) override { return false; }
    bool SetSerialNumbers(const std::string&, const std::string&) override { return false; }
    bool SaveSettings(bool) override { return false; }
    void FlashLeds(int) override {}
    bool SendPrintData(const uint8_t*, uint32_t) override { return false; }
    bool OpenPrinterDrawer() override { return false; }
    int GetRebootDelay() override { return 0; }
    bool SendPrePrint() override { return false; }
};

class CTransporterBase : public ::testing::Test {
protected:
    FakeClock clock;
    NoInteraction interaction;
    ScriptedTransporter device{clock, interaction};
};

TEST_F(CTransporterBase, PrintWaitEndsAtTheFirstIdlePoll) {
    device.script = {2, 2, 0};
    EXPECT_TRUE(device.WaitPrintComplete());
    EXPECT_EQ(clock.sleeps, (std::vector<uint32_t>{1000, 1000}));
    ASSERT_EQ(device.pollTimeouts.size(), 3u);
    EXPECT_GT(device.pollTimeouts[0], 0) << "each poll is bounded";
}

TEST_F(CTransporterBase, PrintWaitGivesUpAfterThirtyBusyPolls) {
    device.script = std::deque<int>(40, 2);
    const uint64_t start = clock.nowMs();
    EXPECT_FALSE(device.WaitPrintComplete());
    EXPECT_EQ(device.GetErrorText(), "Timed out waiting for print completion");
    EXPECT_EQ(device.pollTimeouts.size(), 30u);
    EXPECT_EQ(clock.nowMs() - start, 30000u);
}

TEST_F(CTransporterBase, PrintWaitFailures) {
    device.m_nPrinterSense = 1;
    device.script = {2, 4};
    EXPECT_FALSE(device.WaitPrintComplete());
    EXPECT_EQ(device.GetErrorText(), "Print failed - Ribbon Out");

    device.m_strError = "Receive timeout"; // a failed poll keeps the text it found
    device.script = {2, -1};
    EXPECT_FALSE(device.WaitPrintComplete());
    EXPECT_EQ(device.GetErrorText(), "Receive timeout");
}

} // namespace
} // namespace dax
