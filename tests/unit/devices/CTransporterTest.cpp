#include "devices/CTransporter.h"

#include "devices/SenseText.h"
#include "platform/fake/FakeClock.h"

#include <deque>
#include <gtest/gtest.h>

namespace dax {
namespace {

// A device whose status polls answer from a script: a transporter code per poll, or a failed
// poll (-1).
class ScriptedTransporter : public CTransporter {
public:
    using CTransporter::CTransporter;

    std::deque<int> script;
    std::vector<int> pollTimeouts;

    bool RequestSense(int seconds, uint16_t* transporterSense, uint16_t* printerSense) override {
        pollTimeouts.push_back(seconds);
        m_nTransporterSense = 0;
        if (script.empty() || script.front() < 0) {
            if (!script.empty()) {
                script.pop_front();
            }
            return false;
        }
        m_nTransporterSense = static_cast<uint16_t>(script.front());
        script.pop_front();
        if (transporterSense != nullptr) {
            *transporterSense = m_nTransporterSense;
        }
        if (printerSense != nullptr) {
            *printerSense = m_nPrinterSense;
        }
        return true;
    }
    const std::string& GetPrinterSenseText() override {
        m_strPrinterSenseText = PrinterSenseText(m_nPrinterSense, false);
        return m_strPrinterSenseText;
    }
    const std::string& GetSenseText() override {
        m_strTransporterSenseText = TransporterSenseText(m_nTransporterSense);
        return m_strTransporterSenseText;
    }

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

class WaitPrintComplete : public ::testing::Test {
protected:
    FakeClock clock;
    NoInteraction interaction;
    ScriptedTransporter device{clock, interaction};
};

TEST_F(WaitPrintComplete, DoneAtOnce) {
    device.script = {0};
    device.m_strError = "earlier";
    EXPECT_TRUE(device.WaitPrintComplete());
    EXPECT_TRUE(clock.sleeps.empty());
    ASSERT_EQ(device.pollTimeouts.size(), 1u);
    EXPECT_GT(device.pollTimeouts[0], 0) << "every poll is bounded";
}

TEST_F(WaitPrintComplete, PollsEverySecondWhileBusy) {
    device.script = {2, 2, 2, 0};
    EXPECT_TRUE(device.WaitPrintComplete());
    EXPECT_EQ(clock.sleeps, (std::vector<uint32_t>{1000, 1000, 1000}));
}

TEST_F(WaitPrintComplete, GivesUpAfterThirtyBusyPolls) {
    device.script = std::deque<int>(40, 2);
    const uint64_t start = clock.nowMs();
    EXPECT_FALSE(device.WaitPrintComplete());
    EXPECT_EQ(device.GetErrorText(), "Timed out waiting for print completion");
    EXPECT_EQ(device.pollTimeouts.size(), 30u);
    EXPECT_EQ(clock.nowMs() - start, 30000u);
}

TEST_F(WaitPrintComplete, OtherCodeIsAPrintFailure) {
    device.m_nPrinterSense = 1;
    device.script = {2, 4};
    EXPECT_FALSE(device.WaitPrintComplete());
    EXPECT_EQ(device.GetErrorText(), "Print failed - Ribbon Out");
}

TEST_F(WaitPrintComplete, FailedPollKeepsTheErrorText) {
    device.m_strError = "Receive timeout";
    device.script = {2, -1};
    EXPECT_FALSE(device.WaitPrintComplete());
    EXPECT_EQ(device.GetErrorText(), "Receive timeout");
    EXPECT_EQ(device.pollTimeouts.size(), 2u);
}

TEST(CTransporterBase, Defaults) {
    FakeClock clock;
    NoInteraction interaction;
    ScriptedTransporter device(clock, interaction);
    EXPECT_EQ(device.SelectPrinter(1), 1);
    EXPECT_EQ(device.m_nSelectedPrinter, 1);
    EXPECT_FALSE(device.SupportsAlignPasses());
    device.m_bAlignPasses = true;
    EXPECT_TRUE(device.SupportsAlignPasses());
    std::string serial = "keep";
    EXPECT_FALSE(device.GetPrinterSerial2(serial));
    EXPECT_FALSE(device.SetPrinterSerial2("x"));
    EXPECT_EQ(device.GetPrinterCounter(0, 1), -1);
    const uint8_t* data = nullptr;
    EXPECT_EQ(device.GetPattern(2, &data), 0u);
    EXPECT_EQ(device.GetPrinterKind(), 3);
    EXPECT_FALSE(device.HasVaultekParams());
    EXPECT_FALSE(device.SetVaultekParams("name", true, true, true, 3));
    bool a = false, b = false, c = false;
    int beeps = 0;
    EXPECT_FALSE(device.GetVaultekParams(serial, a, b, c, beeps));
    EXPECT_TRUE(device.m_bGridPrintable);
    EXPECT_TRUE(device.m_bCalibration);
    EXPECT_EQ(device.m_nPrinters, 0);
}

} // namespace
} // namespace dax
