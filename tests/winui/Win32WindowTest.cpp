// The Windows window under Wine, from its resource templates, over fake serial ports: the
// start-up scan, the controls the device allows, field checks, keys, context help, closing, the
// busy look and the progress bar, and a round in each calibration dialog.
#include "app/CalibrationStrings.h"
#include "app/ContextHelp.h"
#include "winui/Win32WindowRig.h"

#include <algorithm>

namespace dax::win32 {
namespace {

using flow::Inquiry;
using flow::ScriptedTransporter;

TEST(Win32Window, StartupScanFillsTheWindowBehindTheWaitBox) {
    WindowRig rig;
    ScriptedTransporter& t = rig.Attach(2, General());
    // What the "Scanning..." box says while the inquiry is on the line.
    std::string boxSeen;
    auto answer = t.line->onWrite;
    t.line->onWrite = [&](FakeSerialLine& l, const std::vector<uint8_t>& bytes) {
        if (WaitBox* box = rig.window->GetWaitBox(); box && boxSeen.empty())
            boxSeen = WindowText(box->Window()) + "|" + box->Message() + "|" +
                      (::IsWindowVisible(box->Window()) ? "shown" : "hidden");
        answer(l, bytes);
    };
    DaxtoolWindow& w = rig.Start();

    EXPECT_EQ(boxSeen, "Scanning...|Looking for a transporter on COM2 at 38400 baud|shown");
    EXPECT_EQ(w.GetWaitBox(), nullptr);
    EXPECT_TRUE(::IsWindowVisible(w.Window()));
    EXPECT_TRUE(rig.prompter.messages.empty());
    EXPECT_EQ(rig.TextOf(IDC_INQUIRY_ID).rfind("DISC TRANSPORTER", 0), 0u);
    EXPECT_EQ(rig.TextOf(IDC_TRANSPORTER_SN), "TS000001");
    EXPECT_EQ(rig.TextOf(IDC_PRINTER_SN), "PS000002");
    EXPECT_EQ(rig.TextOf(IDC_COUNT_PRINT), "4321");
    EXPECT_TRUE(::GetWindowLongW(rig.Get(IDC_COUNT_PRINT), GWL_STYLE) & ES_READONLY);
    EXPECT_EQ(rig.TextOf(IDC_BAUD_TEXT), "Current Baud Rate: 38400");
    EXPECT_EQ(::SendMessageW(rig.Get(IDC_PORT), CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(rig.TextOf(IDC_PRINTER_SN_LABEL), "Printer SN:");
    for (int id : {IDC_EXERCISER, IDC_TEST, IDC_PRINTER_B_SN, IDC_PRINTER_B_SN_LABEL})
        EXPECT_FALSE(rig.Shown(id)) << id;
    // The window menu has the About item.
    const HMENU menu = ::GetSystemMenu(w.Window(), FALSE);
    wchar_t item[64] = L"";
    ::GetMenuStringW(menu, IDM_ABOUTBOX, item, 64, MF_BYCOMMAND);
    EXPECT_EQ(Narrow(item), kAboutMenuItem);
    ::SendMessageW(w.Window(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    EXPECT_EQ(rig.prompter.abouts.size(), 1u);
}

// The scenarios the Qt window runs too.
TEST(Win32Window, ControlsFollowWhatTheDeviceOffers) {
    scenarios::ControlsFollowWhatTheDeviceOffers<WindowRig>();
    // The beep count's arrows step within 0..9.
    WindowRig rig(1);
    Inquiry loader = General();
    loader.product = "KORVIX QT6400   ";
    loader.revision = "6.20 ";
    loader.count = 32;
    rig.Attach(2, loader);
    rig.Start();
    int lower = -1, upper = -1;
    ::SendMessageW(rig.Get(IDC_BEEPS_SPIN), UDM_GETRANGE32, WPARAM(&lower), LPARAM(&upper));
    EXPECT_EQ(lower, 0);
    EXPECT_EQ(upper, 9);
}

TEST(Win32Window, ATooLongSerialIsRefusedAndNothingIsSent) {
    scenarios::ATooLongSerialIsRefusedAndNothingIsSent<WindowRig>();
}

TEST(Win32Window, CtrlPPutsThePrintCounterIntoThePrinterSerialField) {
    scenarios::CtrlPPutsThePrintCounterIntoThePrinterSerialField<WindowRig>();
}

TEST(Win32Window, EnterAndEscapeNeverCloseAndExitWritesTheNextPort) {
    scenarios::EnterAndEscapeNeverCloseAndExitWritesTheNextPort<WindowRig>();
}

TEST(Win32Window, ContextHelpShowsTheSentenceJustAboveThePointAndInsideTheScreen) {
    WindowRig rig;
    rig.Attach(2, General());
    DaxtoolWindow& w = rig.Start();
    HelpPopup& popup = w.Popup();

    const POINT at = CentreOf(rig.Get(IDC_STATUS));
    rig.RightClick(IDC_STATUS);
    const std::string sentence = GetHelpText(IDC_STATUS);
    int tw = 0, th = 0;
    popup.Measure(sentence, tw, th);
    EXPECT_GT(tw, 100);
    EXPECT_TRUE(popup.IsShown());
    EXPECT_EQ(popup.Text(), sentence);
    RECT r;
    ::GetWindowRect(popup.Window(), &r);
    EXPECT_EQ(r.left, at.x - tw / 2);
    EXPECT_EQ(r.top, at.y - th);
    EXPECT_EQ(r.right - r.left, tw + 4);
    EXPECT_EQ(r.bottom - r.top, th + 4);

    // A disabled control and a control without a sentence both say there is no help.
    for (int id : {IDC_SET_PARAMS, IDC_COUNT_PRINT}) {
        rig.RightClick(id);
        EXPECT_EQ(popup.Text(), kNoHelp) << id;
    }

    // Near any corner of the screen, or asked from the keyboard, it stays inside the screen.
    RECT area;
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    const POINT corners[] = {{area.left, area.top},
                             {area.right - 1, area.top},
                             {area.right - 1, area.bottom - 1},
                             {-1, -1}}; // the context-menu key gives no point
    for (const POINT& p : corners) {
        w.Dialog().OnContextHelp(p.x, p.y);
        ::GetWindowRect(popup.Window(), &r);
        EXPECT_TRUE(r.left >= area.left && r.top >= area.top && r.right <= area.right &&
                    r.bottom <= area.bottom)
            << p.x << "," << p.y;
    }
}

TEST(Win32Window, ACloseRequestDuringAnOperationWaitsForItsEnd) {
    WindowRig rig;
    ScriptedTransporter& t = rig.Attach(2, General());
    DaxtoolWindow& w = rig.Start();
    // Arrives while the update pumps messages.
    ::PostMessageW(w.Window(), WM_CLOSE, 0, 0);
    bool deviceAfterClose = false;
    t.line->onWrite = [&, answer = t.line->onWrite](FakeSerialLine& l,
                                                    const std::vector<uint8_t>& bytes) {
        // Every command after the close was dispatched still finds its device.
        deviceAfterClose = w.Dialog().GetTransporter() != nullptr;
        answer(l, bytes);
    };
    rig.Click(IDC_UPDATE_SERIAL);
    EXPECT_TRUE(deviceAfterClose);
    EXPECT_TRUE(rig.Sent(t, "!g1C"));
    EXPECT_EQ(w.Dialog().GetTransporter(), nullptr);
    EXPECT_TRUE(w.Dialog().IsEnded());
}

TEST(Win32Window, CommandsLookDisabledDuringAnOperationAndTheProgressBarShowsADownload) {
    WindowRig rig;
    ScriptedTransporter& t = rig.Attach(2, General());
    DaxtoolWindow& w = rig.Start();
    // Which of the command controls are enabled, and Exit.
    auto states = [&] {
        std::string s;
        for (int id : kCommandControls)
            s += rig.Enabled(id) ? '1' : '0';
        return s + (rig.Enabled(IDC_EXIT) ? "+exit" : "");
    };
    const std::string before = states();
    std::string during;
    t.line->onWrite = [&, answer = t.line->onWrite](FakeSerialLine& l,
                                                    const std::vector<uint8_t>& bytes) {
        if (during.empty())
            during = states();
        answer(l, bytes);
    };
    rig.Click(IDC_UPDATE_SERIAL);
    EXPECT_EQ(during, std::string(std::size(kCommandControls), '0') + "+exit");
    EXPECT_EQ(states(), before);
    EXPECT_NE(before.find('1'), std::string::npos);

    EXPECT_FALSE(rig.Shown(IDC_PROGRESS));
    w.ShowProgress(40);
    EXPECT_TRUE(rig.Shown(IDC_PROGRESS));
    EXPECT_EQ(::SendMessageW(rig.Get(IDC_PROGRESS), PBM_GETPOS, 0, 0), 40);
    w.ShowProgress(-1);
    EXPECT_FALSE(rig.Shown(IDC_PROGRESS));
}

TEST(Win32Window, RotationalDialogHasEveryControlAndRunsATestRound) {
    WindowRig rig;
    ScriptedTransporter& t = rig.Attach(2, General());
    t.elementStates[280] = 0; // the rotator
    DaxtoolWindow& main = rig.Start();
    ASSERT_TRUE(rig.Enabled(IDC_CALIBRATE_ROTATOR));
    std::string title, status, statusAfter, left;
    main.onCalibrationShown = [&](CalibrationWindow& w) {
        const HWND d = w.Window();
        title = WindowText(d);
        for (int id : {IDC_CAL_EXIT, IDC_CAL_TEST, IDC_SAVE_OFFSET, IDC_RESTORE_DEFAULT,
                       IDC_CAL_STATUS, IDC_LEFT_OFFSET, IDC_RIGHT_OFFSET, IDC_LEFT_MARGIN,
                       IDC_TOP_MARGIN, IDC_PRINTER_A, IDC_PRINTER_B})
            EXPECT_NE(::GetDlgItem(d, id), nullptr) << id;
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(d, IDC_PRINTER_A))); // one printer
        EXPECT_EQ(WindowText(::GetDlgItem(d, IDC_CAL_EXIT)), "E&xit");
        status = WindowText(::GetDlgItem(d, IDC_CAL_STATUS));
        ::SetDlgItemTextW(d, IDC_LEFT_OFFSET, L"30");
        ::SetDlgItemTextW(d, IDC_RIGHT_OFFSET, L"35");
        Click(::GetDlgItem(d, IDC_CAL_TEST));
        statusAfter = WindowText(::GetDlgItem(d, IDC_CAL_STATUS));
        left = WindowText(::GetDlgItem(d, IDC_LEFT_OFFSET));
        // Escape leaves through Exit.
        ::SendMessageW(d, WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(w.IsEnded());
    };
    rig.Click(IDC_CALIBRATE_ROTATOR);
    EXPECT_EQ(title, kRotationalTitle);
    EXPECT_EQ(status, kRotationalOpen);
    EXPECT_EQ(statusAfter, kEnterNewOffsets);
    EXPECT_EQ(left, "32");
    EXPECT_TRUE(rig.Sent(t, "!f4032C"));
    EXPECT_TRUE(::IsWindowEnabled(main.Window()));
    EXPECT_TRUE(rig.prompter.messages.empty());
}

TEST(Win32Window, PocketDialogHasEveryControlAndRunsATestRound) {
    WindowRig rig;
    ScriptedTransporter& t = rig.Attach(2, General());
    t.elementStates[280] = 0;
    DaxtoolWindow& main = rig.Start();
    ASSERT_TRUE(rig.Enabled(IDC_CALIBRATE_POCKET));
    std::string title, status, statusAfter;
    int lower = 0, upper = 0;
    main.onCalibrationShown = [&](CalibrationWindow& w) {
        const HWND d = w.Window();
        title = WindowText(d);
        for (int id :
             {IDC_CAL_EXIT, IDC_CAL_TEST, IDC_SAVE_OFFSET, IDC_RESTORE_DEFAULT, IDC_CAL_STATUS,
              IDC_SIZE_58, IDC_SIZE_61, IDC_SIZE_63, IDC_ANGLE, IDC_ANGLE_SPIN})
            EXPECT_NE(::GetDlgItem(d, id), nullptr) << id;
        EXPECT_EQ(WindowText(::GetDlgItem(d, IDC_SIZE_61)), "61 mm");
        status = WindowText(::GetDlgItem(d, IDC_CAL_STATUS));
        ::SendMessageW(::GetDlgItem(d, IDC_ANGLE_SPIN), UDM_GETRANGE32, WPARAM(&lower),
                       LPARAM(&upper));
        Click(::GetDlgItem(d, IDC_SIZE_61));
        ::SetDlgItemTextW(d, IDC_ANGLE, L"93");
        Click(::GetDlgItem(d, IDC_CAL_TEST));
        statusAfter = WindowText(::GetDlgItem(d, IDC_CAL_STATUS));
        Click(::GetDlgItem(d, IDC_CAL_EXIT));
    };
    rig.Click(IDC_CALIBRATE_POCKET);
    EXPECT_EQ(title, kPocketTitle);
    EXPECT_EQ(status, kPocketOpen);
    EXPECT_EQ(lower, 58);
    EXPECT_EQ(upper, 122);
    EXPECT_EQ(statusAfter, kPocketLoaded);
    EXPECT_TRUE(rig.Sent(t, "!e45C"));
    EXPECT_TRUE(rig.Sent(t, "!f4035C"));
    EXPECT_EQ(t.commands.back(), "!f12011C"); // Exit put the disc away
    EXPECT_TRUE(rig.prompter.messages.empty());
}

} // namespace
} // namespace dax::win32
