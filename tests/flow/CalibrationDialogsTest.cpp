// The calibration dialogs over a device that records what it is asked: what is sent in which
// order, what the fields and the status show, which boxes come up.
#include "app/CPocketDlg.h"
#include "app/CRotationalDlg.h"
#include "app/CalibrationPanelView.h"
#include "app/CalibrationStrings.h"
#include "app/ControlIds.h"
#include "flow/RecordingTransporter.h"

#include <gtest/gtest.h>

namespace dax::flow {
namespace {

using Calls = std::vector<std::string>;

template <class Dlg> struct Rig {
    Rig() { dlg.Attach(view); }
    void Open() {
        dlg.OnInitDialog();
        device.calls.clear();
    }
    std::string Text(int id) { return view.GetControlText(id); }
    void Type(int id, const std::string& text) { view.SetControlText(id, text); }
    RecordingTransporter device;
    CalibrationPanelView view;
    Dlg dlg = Make();

private:
    Dlg Make() {
        if constexpr (std::is_same_v<Dlg, CRotationalDlg>)
            return Dlg(device, device.clock);
        else
            return Dlg(device);
    }
};

struct Rotational : Rig<CRotationalDlg> {
    explicit Rotational(int printers = 1, bool rotator = true, bool margins = true) {
        device.m_nPrinters = printers;
        device.m_bRotator = rotator;
        device.m_bMarginsEditable = margins;
        device.m_bWritableSettings = true;
        Open();
    }
    void Enter(int left, int right, int leftMargin, int topMargin) {
        Type(IDC_LEFT_OFFSET, std::to_string(left));
        Type(IDC_RIGHT_OFFSET, std::to_string(right));
        Type(IDC_LEFT_MARGIN, std::to_string(leftMargin));
        Type(IDC_TOP_MARGIN, std::to_string(topMargin));
    }
    std::string Fields() {
        return Text(IDC_LEFT_OFFSET) + " " + Text(IDC_RIGHT_OFFSET) + " " + Text(IDC_LEFT_MARGIN) +
               " " + Text(IDC_TOP_MARGIN);
    }
};

TEST(RotationalDialog, OpensWithTheScaleCentresAndThePrinterChoiceOnlyForTwoPrinters) {
    Rotational one;
    EXPECT_EQ(one.Fields(), "32 32 5 75");
    EXPECT_EQ(one.Text(IDC_CAL_STATUS), kRotationalOpen);
    EXPECT_FALSE(one.view.IsControlVisible(IDC_PRINTER_A));
    EXPECT_TRUE(one.device.calls.empty());

    Rotational two(2);
    EXPECT_TRUE(two.view.IsControlVisible(IDC_PRINTER_A));
    EXPECT_TRUE(two.view.IsControlVisible(IDC_PRINTER_B));
    EXPECT_FALSE(two.view.GetCheck(IDC_PRINTER_A) || two.view.GetCheck(IDC_PRINTER_B));
    EXPECT_EQ(two.Text(IDC_CAL_STATUS), kRotationalOpenTwoPrinters);

    // A printer with writable settings and no rotator calibrates margins only; a printer
    // whose margins are fixed leaves those fields alone.
    Rotational fixed(1, false, false);
    for (int id : {IDC_LEFT_OFFSET, IDC_RIGHT_OFFSET, IDC_LEFT_MARGIN, IDC_TOP_MARGIN})
        EXPECT_FALSE(fixed.view.IsControlEnabled(id)) << id;
}

TEST(RotationalDialog, AFieldOutOfItsRangeStopsTestBeforeAnythingIsSent) {
    struct Case {
        int id;
        std::string text;
        std::string message;
    };
    const Case cases[] = {
        {IDC_LEFT_MARGIN, "11", "Please enter an integer between 0 and 10."},
        {IDC_LEFT_OFFSET, "65", "Please enter an integer between 0 and 64."},
        {IDC_RIGHT_OFFSET, "-1", "Please enter an integer between 0 and 64."},
        {IDC_TOP_MARGIN, "151", "Please enter an integer between 0 and 150."},
        {IDC_TOP_MARGIN, "7x", "Please enter an integer."},
    };
    for (const Case& c : cases) {
        Rotational rig;
        rig.Type(c.id, c.text);
        rig.dlg.OnTest();
        EXPECT_EQ(rig.view.messages, Calls{c.message}) << c.text;
        EXPECT_EQ(rig.view.focus, c.id);
        EXPECT_TRUE(rig.device.calls.empty()) << c.text;
        EXPECT_EQ(rig.Text(c.id), c.text); // left for the technician to correct
    }
    // The limits themselves are accepted.
    Rotational rig;
    rig.Enter(0, 64, 10, 150);
    rig.dlg.OnTest();
    EXPECT_TRUE(rig.view.messages.empty());
    EXPECT_EQ(rig.device.Moves(), (Calls{"SetRotationalOffset(32)", "SetLeftMargin(10)",
                                         "SetTopMargin(150)", "LoadPrinter(0)"}));
}

TEST(RotationalDialog, TestSendsTheMeanOffsetAndMarginsLoadsThenPrintsAndResetsTheFields) {
    Rotational rig;
    rig.Enter(30, 35, 4, 80);
    std::vector<std::string> whileRunning;
    rig.view.onPump = [&] {
        whileRunning.push_back(rig.Text(IDC_CAL_STATUS) + ": " + rig.Fields());
    };
    rig.dlg.OnTest();
    EXPECT_EQ(rig.device.Moves(), (Calls{"SetRotationalOffset(32)", "SetLeftMargin(4)",
                                         "SetTopMargin(80)", "LoadPrinter(0)"}));
    EXPECT_GT(rig.device.printed, 0u); // the offset marks went to the printer
    ASSERT_FALSE(whileRunning.empty());
    EXPECT_EQ(whileRunning.front(), std::string(kLoadingPrinter) + ": 32 32 4 80");
    EXPECT_EQ(rig.Text(IDC_CAL_STATUS), kEnterNewOffsets);
    EXPECT_EQ(rig.Fields(), "32 32 5 75");
    EXPECT_TRUE(rig.dlg.IsDiscLoaded());
    EXPECT_FALSE(rig.view.waitCursor);
    EXPECT_GT(rig.view.waitCursors, 0);

    // The disc is still in the printer: the next Test re-seats it.
    rig.device.calls.clear();
    rig.dlg.OnTest();
    EXPECT_EQ(rig.device.Moves()[3], "ReloadPrinter(0)");
}

TEST(RotationalDialog, AFailedLoadOrPrintSaysTheValuesWereSentAnyway) {
    Rotational rig;
    rig.dlg.OnTest();
    rig.device.calls.clear();
    rig.device.printed = 0;
    rig.device.failing = {"ReloadPrinter"};
    rig.Enter(40, 40, 5, 75);
    rig.dlg.OnTest();
    EXPECT_EQ(rig.Text(IDC_CAL_STATUS),
              std::string("Transporter: Medium Error") + kCalibrationFailedSuffix);
    EXPECT_EQ(rig.Fields(), "32 32 5 75");
    EXPECT_FALSE(rig.dlg.IsDiscLoaded());
    EXPECT_EQ(rig.device.printed, 0u);

    // Nothing is in the printer any more: the next Test fetches a disc from bin 1.
    rig.device.failing = {"SendPrintData"};
    rig.device.calls.clear();
    rig.dlg.OnTest();
    EXPECT_EQ(rig.device.Moves()[3], "LoadPrinter(0)");
    // The print's own reason stays between the step and the suffix.
    EXPECT_EQ(rig.Text(IDC_CAL_STATUS), std::string(kPrintingOffsetMarks) +
                                            "\nTransporter: Medium Error" +
                                            kCalibrationFailedSuffix);
    EXPECT_TRUE(rig.dlg.IsDiscLoaded());

    // Print data that cannot be had (an alignment file that cannot be read) are known before
    // anything is sent or the disc moves.
    Rotational fresh;
    fresh.device.failing = {"GetPattern"};
    fresh.device.failText = "MoAlignCMY.prn is a FIFO, not a regular file";
    fresh.dlg.OnTest();
    EXPECT_EQ(fresh.device.calls, Calls{"GetPattern(3)"});
    EXPECT_EQ(fresh.Text(IDC_CAL_STATUS), fresh.device.failText);
    EXPECT_FALSE(fresh.dlg.IsDiscLoaded());
    EXPECT_FALSE(rig.dlg.LastRound().printed);

    // Without a printer counted nothing prints the marks: the status must not ask for readings.
    rig.device.failing.clear();
    rig.device.m_nPrinters = 0;
    rig.dlg.OnTest();
    EXPECT_EQ(rig.Text(IDC_CAL_STATUS), std::string(kPrintingOffsetMarks) + "\n" +
                                            kNoPrinterForMarks + kCalibrationFailedSuffix);
    EXPECT_FALSE(rig.dlg.LastRound().printed);
}

TEST(RotationalDialog, TheRoundRecordsWhatWasSentAndWhatTheDeviceTook) {
    Rotational rig;
    rig.device.failing = {"SetLeftMargin"};
    rig.Enter(30, 34, 4, 80);
    rig.dlg.OnTest();
    // A refused value stops the Test: the top margin never goes out.
    EXPECT_EQ(rig.device.Moves(), (Calls{"SetRotationalOffset(32)", "SetLeftMargin(4)"}));
    const CRotationalDlg::Round& r = rig.dlg.LastRound();
    EXPECT_EQ(std::tuple(r.offset.sent, r.offset.accepted), std::tuple(32, true));
    EXPECT_EQ(std::tuple(r.leftMargin.sent, r.leftMargin.accepted), std::tuple(4, false));
    EXPECT_EQ(r.topMargin.sent, -1);
    EXPECT_FALSE(r.loaded);
}

TEST(RotationalDialog, RestoreDefaultSendsOneHundredForThatTestOnly) {
    Rotational rig;
    rig.Enter(20, 40, 6, 70);
    std::vector<std::string> whileRunning;
    rig.view.onPump = [&] { whileRunning.push_back(rig.Fields()); };
    rig.dlg.OnRestoreDefault();
    EXPECT_EQ(rig.device.Moves(), (Calls{"SetRotationalOffset(100)", "SetLeftMargin(6)",
                                         "SetTopMargin(70)", "LoadPrinter(0)"}));
    ASSERT_FALSE(whileRunning.empty());
    EXPECT_EQ(whileRunning.front(), "100 100 6 70");
    EXPECT_EQ(rig.Fields(), "32 32 5 75");

    rig.device.calls.clear();
    rig.dlg.OnTest();
    EXPECT_EQ(rig.device.Moves().front(), "SetRotationalOffset(32)");

    // A Restore Default that stopped at a field leaves no default request behind.
    rig.Type(IDC_LEFT_MARGIN, "11");
    rig.dlg.OnRestoreDefault();
    rig.Type(IDC_LEFT_MARGIN, "5");
    rig.device.calls.clear();
    rig.dlg.OnTest();
    EXPECT_EQ(rig.device.Moves().front(), "SetRotationalOffset(32)");
}

TEST(RotationalDialog, TwoPrintersNeedAChoiceAndSwitchingUnloadsTheDisc) {
    Rotational rig(2);
    rig.dlg.OnTest();
    EXPECT_EQ(rig.view.messages, Calls{kPrinterNotSelected});
    EXPECT_TRUE(rig.device.calls.empty());

    rig.view.SetCheck(IDC_PRINTER_A, true);
    rig.dlg.OnPrinterA();
    rig.dlg.OnTest();
    EXPECT_EQ(rig.device.Moves().front(), "SelectPrinter(0)");
    rig.device.calls.clear();
    rig.dlg.OnPrinterA();
    rig.dlg.OnPrinterA();
    EXPECT_TRUE(rig.device.calls.empty());

    rig.view.SetCheck(IDC_PRINTER_A, false);
    rig.view.SetCheck(IDC_PRINTER_B, true);
    rig.dlg.OnPrinterB();
    EXPECT_EQ(rig.device.calls, Calls{"UnloadPrinter()"});
    rig.device.calls.clear();
    rig.dlg.OnTest();
    EXPECT_EQ(rig.device.Moves()[0], "SelectPrinter(1)");
    EXPECT_EQ(rig.device.Moves()[4], "LoadPrinter(0)");
}

TEST(RotationalDialog, ExitUnloadsOnlyADiscItLoadedAndSaveStoresAndResetsTheMediaSize) {
    Rotational untouched;
    untouched.dlg.OnExit();
    EXPECT_TRUE(untouched.device.calls.empty());
    EXPECT_TRUE(untouched.view.ended);
    EXPECT_EQ(untouched.view.endResult, IDOK);

    Rotational rig;
    rig.dlg.OnTest();
    rig.device.calls.clear();
    rig.dlg.OnSaveOffset();
    EXPECT_EQ(rig.device.calls, (Calls{"SaveSettings(1)", "SetMediaSize(0)"}));
    EXPECT_EQ(rig.Text(IDC_CAL_STATUS), kEnterNewOffsets);
    EXPECT_EQ(rig.dlg.LastRound().saved, 1);
    rig.device.calls.clear();
    rig.dlg.OnExit();
    EXPECT_EQ(rig.device.calls, Calls{"UnloadPrinter()"});

    // The stand-alone printer has handed the disc back after saving.
    Rotational standAlone;
    standAlone.device.m_bStandAlonePrinter = true;
    standAlone.dlg.OnTest();
    standAlone.dlg.OnSaveOffset();
    standAlone.device.calls.clear();
    standAlone.dlg.OnExit();
    EXPECT_TRUE(standAlone.device.calls.empty());
}

struct Pocket : Rig<CPocketDlg> {
    Pocket() { Open(); }
    void Choose(int index) {
        for (int i = 0; i < 3; ++i)
            view.SetCheck(IDC_SIZE_58 + i, i == index);
        dlg.OnSize(index);
    }
};

TEST(PocketDialog, TheAngleGivesTheOffsetWithinItsLimits) {
    const std::pair<std::string, std::string> cases[] = {{"90", "SetPocketOffset(32)"},
                                                         {"57", "SetPocketOffset(0)"},
                                                         {"123", "SetPocketOffset(64)"},
                                                         {"180", "SetPocketOffset(64)"},
                                                         {"0", "SetPocketOffset(0)"}};
    for (const auto& [angle, sent] : cases) {
        Pocket rig;
        rig.Choose(1);
        rig.Type(IDC_ANGLE, angle);
        rig.dlg.OnTest();
        EXPECT_EQ(rig.device.calls, (Calls{"SetMediaSize(5)", sent, "LoadPocketDisc(1)"}));
    }
    Pocket rig;
    EXPECT_EQ(rig.Text(IDC_ANGLE), "90");
    EXPECT_EQ(rig.view.Control(IDC_ANGLE_SPIN).spinLower, 58);
    EXPECT_EQ(rig.view.Control(IDC_ANGLE_SPIN).spinUpper, 122);
    EXPECT_EQ(rig.Text(IDC_CAL_STATUS), kPocketOpen);
    rig.Choose(0);
    rig.Type(IDC_ANGLE, "181");
    rig.dlg.OnTest();
    EXPECT_EQ(rig.view.messages, Calls{"Please enter an integer between 0 and 180."});
    EXPECT_TRUE(rig.device.calls.empty());
    EXPECT_FALSE(rig.view.waitCursor);
}

TEST(PocketDialog, NoSizeOrARefusedSettingStopsWithABox) {
    Pocket rig;
    rig.dlg.OnTest();
    EXPECT_EQ(rig.view.messages, Calls{kSelectSizeFirst});
    EXPECT_TRUE(rig.device.calls.empty());

    rig.Choose(2);
    rig.device.failing = {"SetMediaSize"};
    rig.dlg.OnTest();
    EXPECT_EQ(rig.view.messages.back(), "Set Media Size failed - Transporter: Medium Error");
    rig.device.failing = {"SetPocketOffset"};
    rig.dlg.OnTest();
    EXPECT_EQ(rig.view.messages.back(),
              "Set Business Card Offset failed - Transporter: Medium Error");
    EXPECT_EQ(rig.Text(IDC_CAL_STATUS), kPocketOpen);
    EXPECT_FALSE(rig.dlg.IsDiscLoaded());
}

TEST(PocketDialog, AFailedLoadAsksWhetherTheDiscIsOnThePrinter) {
    Pocket no;
    no.Choose(0);
    no.Type(IDC_ANGLE, "95");
    no.device.failing = {"LoadPocketDisc"};
    no.dlg.OnTest();
    EXPECT_EQ(no.view.messages, Calls{"Failed to load disc - Transporter: Medium Error\n"
                                      "Is the disc on the printer?"});
    EXPECT_EQ(no.Text(IDC_CAL_STATUS), kPocketNotLoaded);
    EXPECT_EQ(no.Text(IDC_ANGLE), "95");
    EXPECT_FALSE(no.dlg.IsDiscLoaded());

    Pocket yes;
    yes.Choose(0);
    yes.Type(IDC_ANGLE, "95");
    yes.device.failing = {"LoadPocketDisc"};
    yes.view.answers = {MessageBoxResult::Yes};
    yes.dlg.OnTest();
    EXPECT_EQ(yes.Text(IDC_CAL_STATUS), kPocketLoaded);
    EXPECT_EQ(yes.Text(IDC_ANGLE), "90");
    EXPECT_TRUE(yes.dlg.IsDiscLoaded());
    // Counted as loaded: the next Test picks it up from the printer.
    yes.device.failing.clear();
    yes.device.calls.clear();
    yes.dlg.OnTest();
    EXPECT_EQ(yes.device.calls.back(), "LoadPocketDisc(0)");
}

TEST(PocketDialog, AnotherSizeOrExitUnloadsTheDiscOnce) {
    Pocket rig;
    rig.Choose(1);
    rig.dlg.OnTest();
    rig.device.calls.clear();
    rig.Choose(1); // the same size again: the disc stays
    EXPECT_TRUE(rig.device.calls.empty());
    rig.Choose(2);
    EXPECT_EQ(rig.device.calls, Calls{"UnloadPrinter()"});
    rig.Choose(0);
    EXPECT_EQ(rig.device.calls, Calls{"UnloadPrinter()"});
    rig.Choose(2);
    rig.device.calls.clear();
    rig.dlg.OnTest();
    EXPECT_EQ(rig.device.calls,
              (Calls{"SetMediaSize(4)", "SetPocketOffset(32)", "LoadPocketDisc(1)"}));
    rig.device.calls.clear();
    rig.dlg.OnExit();
    EXPECT_EQ(rig.device.calls, Calls{"UnloadPrinter()"});
    EXPECT_TRUE(rig.view.ended);

    Pocket untouched;
    untouched.dlg.OnExit();
    EXPECT_TRUE(untouched.device.calls.empty());
}

TEST(PocketDialog, RestoreDefaultThenSaveOffset) {
    Pocket rig;
    rig.Choose(0);
    rig.Type(IDC_ANGLE, "70");
    rig.dlg.OnRestoreDefault();
    EXPECT_EQ(rig.device.calls,
              (Calls{"SetMediaSize(6)", "SetPocketOffset(100)", "LoadPocketDisc(1)"}));
    rig.Type(IDC_ANGLE, "70");
    rig.device.calls.clear();
    rig.dlg.OnTest();
    EXPECT_EQ(rig.device.calls,
              (Calls{"SetMediaSize(6)", "SetPocketOffset(12)", "LoadPocketDisc(0)"}));

    rig.Type(IDC_ANGLE, "101");
    rig.device.calls.clear();
    rig.dlg.OnSaveOffset();
    EXPECT_EQ(rig.device.calls, (Calls{"SaveSettings(0)", "SetMediaSize(6)"}));
    EXPECT_EQ(rig.Text(IDC_ANGLE), "90");
    EXPECT_TRUE(rig.dlg.IsDiscLoaded());

    // A Restore Default stopped by a field does not turn the next Test into one.
    rig.Type(IDC_ANGLE, "x");
    rig.dlg.OnRestoreDefault();
    rig.Type(IDC_ANGLE, "90");
    rig.device.calls.clear();
    rig.dlg.OnTest();
    EXPECT_EQ(rig.device.calls[1], "SetPocketOffset(32)");
}

} // namespace
} // namespace dax::flow
