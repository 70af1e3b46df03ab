#include "devices/SenseText.h"
#include "flow/RecordingTransporter.h"

#include <deque>
#include <gtest/gtest.h>

namespace dax {
namespace {

// A device whose status polls answer from a script: one transporter code per poll, -1 for a
// failed poll. It waits for a print as every transporter does.
class ScriptedSenses : public flow::RecordingTransporter {
public:
    std::deque<int> script;
    std::vector<int> pollTimeouts;

    bool RequestSense(int seconds, uint16_t* transporterSense, uint16_t*) override {
        pollTimeouts.push_back(seconds);
        const int code = script.empty() ? -1 : script.front();
        if (!script.empty())
            script.pop_front();
        m_nTransporterSense = static_cast<uint16_t>(code < 0 ? 0 : code);
        if (code >= 0 && transporterSense != nullptr)
            *transporterSense = m_nTransporterSense;
        return code >= 0;
    }
    const std::string& GetPrinterSenseText() override {
        return m_strPrinterSenseText = PrinterSenseText(m_nPrinterSense, false);
    }
    bool WaitPrintComplete() override { return CTransporter::WaitPrintComplete(); }
};

TEST(CTransporterBase, PrintWaitEndsAtTheFirstIdlePollOrGivesUpAfterThirtyBusyOnes) {
    ScriptedSenses device;
    FakeClock& clock = device.clock;
    device.script = {2, 2, 0};
    EXPECT_TRUE(device.WaitPrintComplete());
    EXPECT_EQ(clock.sleeps, (std::vector<uint32_t>{1000, 1000}));
    ASSERT_EQ(device.pollTimeouts.size(), 3u);
    EXPECT_GT(device.pollTimeouts[0], 0) << "each poll is bounded";

    device.pollTimeouts.clear();
    device.script = std::deque<int>(40, 2);
    const uint64_t start = clock.nowMs();
    EXPECT_FALSE(device.WaitPrintComplete());
    EXPECT_EQ(device.GetErrorText(), "Timed out waiting for print completion");
    EXPECT_EQ(device.pollTimeouts.size(), 30u);
    EXPECT_EQ(clock.nowMs() - start, 30000u);
}

TEST(CTransporterBase, PrintWaitFailures) {
    ScriptedSenses device;
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
