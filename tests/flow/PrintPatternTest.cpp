// Printing a pattern: CPrint's order of bytes and its failure paths on a transporter, and the
// main dialog's Print Calibration Grid.
#include "app/CPrint.h"
#include "devices/CVelmora.h"
#include "flow/DialogRig.h"
#include "patterns/BuiltInPatterns.h"
#include "platform/fake/FakePrinterDevices.h"
#include "printers/CUsbPrinterPort.h"

#include <gtest/gtest.h>

namespace dax::flow {
namespace {

const std::string kUsb = "\\\\?\\usb#vid_044e&pid_200a#P#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";

std::string Grid() {
    const auto grid = BuiltInPattern(kPatternCalibrationGrid);
    return std::string(grid.begin(), grid.end());
}

std::string PrintRun(size_t n) {
    return "[" + std::to_string(n) + "]";
}

struct PrintJob : ::testing::Test {
    ScriptedTransporter t;
    CountingInteraction ui;
    FakePrinterDevices printers;
    std::unique_ptr<CVelmora> v;
    std::unique_ptr<CUsbPrinterPort> usb;

    void SetUp() override {
        ASSERT_TRUE(StoreInquiry({.count = 64}));
        v = std::make_unique<CVelmora>(t.port.get(), t.clock, ui, PrinterAccess{&printers, {}});
        ASSERT_EQ(v->GetPrinterKind(), 0);
        ASSERT_GT(Grid().size(), 0u);
    }
    // Matches a USB printer to the device, as start-up would.
    FakePrinter& WithUsbPrinter() {
        FakePrinter& p = printers.AddUsbPrinter(kUsb);
        usb = std::make_unique<CUsbPrinterPort>(printers, kUsb, 0);
        EXPECT_TRUE(v->ProbeUsbPrinter(usb.get()));
        p.writes.clear();
        p.received.clear();
        t.commands.clear();
        return p;
    }
};

TEST_F(PrintJob, AlignPassesSendThePatternThreeTimesEachAfterItsSelection) {
    v->m_bAlignPasses = true;
    CPrint print(*v, t.clock);
    ASSERT_TRUE(print.PrintPattern(kPatternCalibrationGrid)) << print.GetErrorText();

    const std::string n = PrintRun(Grid().size());
    EXPECT_EQ(t.Sequence(), "[19] !a1H " + n + " !a2H " + n + " !a3H " + n + " !d0C !e1C !d0C");
    EXPECT_TRUE(t.printed == "\x1B!u0C\x1B!t000C\x1B!s400C" + Grid() + Grid() + Grid());
    EXPECT_EQ(t.clock.sleeps, (std::vector<uint32_t>{2000, 2000, 2000}));
    EXPECT_EQ(print.GetErrorText(), "");
}

TEST_F(PrintJob, AFailedPatternWriteStillOpensTheDrawerAndPollsTheStatus) {
    FakePrinter& p = WithUsbPrinter();
    printers.errorTexts[EIO] = "Input/output error";
    p.writeOutcomes = {{EIO}};
    CPrint print(*v, t.clock);
    EXPECT_FALSE(print.PrintPattern(kPatternCalibrationGrid));
    EXPECT_EQ(print.GetErrorText(), "Input/output error");
    ASSERT_EQ(p.writes.size(), 1u); // the failed piece took nothing; then the drawer
    EXPECT_EQ(std::string(p.writes[0].begin(), p.writes[0].end()), "\x1B!d0C");
    EXPECT_EQ(t.Sequence(), "[19] !e1C"); // the set-up goes over the link, then the poll
}

TEST_F(PrintJob, AFailedDrawerCommandEndsTheJobBeforeTheWait) {
    FakePrinter& p = WithUsbPrinter();
    const size_t pieces = (Grid().size() + 1023) / 1024;
    p.writeOutcomes.resize(pieces);
    p.writeOutcomes.push_back({EIO});
    CPrint print(*v, t.clock);
    EXPECT_FALSE(print.PrintPattern(kPatternCalibrationGrid));
    EXPECT_EQ(print.GetErrorText(), printers.ErrorText(EIO));
    EXPECT_EQ(t.Sequence(), "[19]"); // no wait, no drawer over the link
    EXPECT_TRUE(std::string(p.received.begin(), p.received.end()) == Grid());
}

TEST_F(PrintJob, APatternTheDeviceCannotGiveIsReportedAndNothingIsSent) {
    ASSERT_TRUE(StoreInquiry({.count = 64, .printerName = "MORRANE DP"}));
    CVelmora morrane(t.port.get(), t.clock, ui);
    morrane.m_strError = "an older failure";
    CPrint print(morrane, t.clock);
    EXPECT_FALSE(print.PrintPattern(kPatternCalibrationGrid));
    EXPECT_EQ(print.GetErrorText(), CVelmora::kGridNotOnMorrane);
    CPrint none(*v, t.clock);
    EXPECT_FALSE(none.PrintPattern(4));
    EXPECT_EQ(none.GetErrorText(), "No print data for pattern 4 on this printer");
    EXPECT_EQ(t.Sequence(), "");
}

// The main dialog with a transporter and its printer found on COM2.
struct PrintRig : DialogRig {
    // A printer without align passes.
    PrintRig() : t(Start(Attach(2, {.count = 64, .printerRevision = "3.00 "}))) {
        t.printed.clear();
    }
    ScriptedTransporter& t;
};

TEST(PrintGrid, LoadsPrintsAndUnloadsBehindTheWaitCursor) {
    PrintRig rig;
    ASSERT_TRUE(rig.view.IsControlEnabled(IDC_PRINT_GRID));
    rig.view.SetCheck(IDC_DISABLE_CHECK, true);
    int reentries = 0;
    bool cursorWhilePrinting = false;
    rig.view.onPump = [&] {
        cursorWhilePrinting = rig.view.waitCursor;
        rig.Dialog().OnPrintGrid(); // a second press while busy does nothing
        ++reentries;
    };
    rig.Dialog().OnPrintGrid();

    EXPECT_FALSE(rig.view.GetCheck(IDC_DISABLE_CHECK));
    EXPECT_EQ(rig.t.Sequence(), "!e1C !f12002C !f12601C " + PrintRun(12 + 19 + Grid().size()) +
                                    " !d0C !e1C !d0C !e1C !f12602C !f22600C !f12011C");
    EXPECT_TRUE(rig.t.printed ==
                std::string("\x1B!t0C\x1B!s500C\x1B!u0C\x1B!t000C\x1B!s400C") + Grid());
    const std::vector<std::string> expected = {kPrintingPattern, kPrintingCompleted};
    EXPECT_EQ(std::vector<std::string>(rig.view.statuses.end() - 2, rig.view.statuses.end()),
              expected);
    EXPECT_GE(reentries, 1);
    EXPECT_TRUE(cursorWhilePrinting);
    EXPECT_FALSE(rig.view.waitCursor);
    EXPECT_EQ(rig.Dialog().LastOutcome(), CommandOutcome::Succeeded);
    EXPECT_FALSE(rig.Dialog().IsBusy());
}

TEST(PrintGrid, EachFailureShowsItsReason) {
    PrintRig rig;
    rig.t.refusals["!f12002C"] = {3, 0};
    rig.Dialog().OnPrintGrid();
    EXPECT_EQ(rig.Dialog().m_strStatus, "Transporter: Medium Error");
    EXPECT_EQ(rig.t.Sequence(), "!e1C !f12002C !e1C"); // nothing printed
    rig.t.refusals.clear();

    // The printer fails the print: the disc stays where it is.
    rig.t.commands.clear();
    rig.t.transporterSense = 5;
    rig.t.printerSense = 1;
    rig.Dialog().OnPrintGrid();
    EXPECT_EQ(rig.Dialog().m_strStatus, "Print failed - Ribbon Out");
    EXPECT_EQ(rig.t.commands.back(), "!e1C");

    rig.t.transporterSense = 0;
    rig.t.refusals["!f12011C"] = {4, 0};
    rig.Dialog().OnPrintGrid();
    EXPECT_EQ(rig.Dialog().m_strStatus, "Transporter: Hardware Error");
    EXPECT_EQ(rig.Dialog().LastOutcome(), CommandOutcome::Failed);
}

} // namespace
} // namespace dax::flow
