// The main dialog's commands over a scripted transporter: what is sent, what is shown.
#include "flow/DialogRig.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace dax::flow {
namespace {

Inquiry WithRevision(const std::string& revision, uint32_t count = 64) {
    Inquiry q;
    q.printerRevision = "5.21 "; // a printer that reports its counters
    q.revision = revision;
    q.count = count;
    return q;
}

// A rig with a transporter found on COM2 at `rate`.
struct Found : DialogRig {
    explicit Found(Inquiry inquiry = WithRevision("3.25 "), uint32_t rate = 38400,
                   int testLevel = 0)
        : DialogRig(testLevel), t(Attach(2, inquiry, rate)) {
        t.stored[0] = "TS000001";
        t.stored[260] = "PS000002";
        t.counters['1'] = 4321;
        Start(t);
    }
    size_t Count(const std::string& command) const {
        return size_t(std::count(t.commands.begin(), t.commands.end(), command));
    }
    ScriptedTransporter& t;
};

TEST(DialogCommands, UpdateSerialStepsDownToStoreThenReadsBack) {
    Found rig(WithRevision("3.25 "), 115200);
    EXPECT_EQ(rig.view.GetControlText(IDC_TRANSPORTER_SN), "TS000001");
    EXPECT_EQ(rig.view.GetControlText(IDC_COUNT_PRINT), "4321");
    EXPECT_EQ(rig.view.GetControlText(IDC_COUNT_RIBBON), "0");
    rig.view.SetControlText(IDC_TRANSPORTER_SN, "NEW1");
    rig.view.SetControlText(IDC_PRINTER_SN, "NEW2");
    rig.view.cursorOffAt.clear();
    rig.Dialog().OnUpdateSerial();

    EXPECT_EQ(rig.Dialog().m_strStatus, kUpdateSucceeded);
    EXPECT_EQ(rig.Dialog().LastOutcome(), CommandOutcome::Succeeded);
    // The wait cursor stays on through the store and the restart wait.
    EXPECT_EQ(rig.view.cursorOffAt, std::vector<std::string>{kUpdateSucceeded});
    // The rate drop is asked at 115200; everything after it goes at 38400.
    const auto drop = std::find(rig.t.commands.begin(), rig.t.commands.end(), "!b38400C");
    ASSERT_NE(drop, rig.t.commands.end());
    const size_t i = size_t(drop - rig.t.commands.begin());
    EXPECT_EQ(rig.t.rates[i], 115200u);
    EXPECT_EQ(rig.t.commands[i + 1], "!e1C");
    EXPECT_EQ(rig.t.commands[i + 2], "!f9000CNEW1    ");
    EXPECT_EQ(rig.t.commands[i + 3], "!f9260CNEW2    ");
    EXPECT_TRUE(std::all_of(rig.t.rates.begin() + long(i) + 1, rig.t.rates.end(),
                            [](uint32_t r) { return r == 38400; }));
    EXPECT_EQ(rig.Count("!h1C"), 1u);
    EXPECT_EQ(rig.Count("!g1C"), 1u);
    EXPECT_EQ(rig.Dialog().m_nBaud, 38400);
    EXPECT_EQ(rig.t.commands.back(), "!f:260C");
}

TEST(DialogCommands, ARefusedOrUnconfirmedUpdateIsNoSuccess) {
    const std::string unknown = std::string("; ") + kValuesNotKnown;
    Found refused;
    refused.t.refusals["!f9000CTS000001"] = {5, 0};
    refused.Dialog().OnUpdateSerial();
    EXPECT_EQ(refused.Dialog().m_strStatus, "Transporter: Illegal Request");
    EXPECT_EQ(refused.Dialog().LastOutcome(), CommandOutcome::Failed);
    EXPECT_EQ(refused.Count("!h1C"), 0u);                              // nothing stored
    EXPECT_FALSE(refused.Dialog().IsFieldUnknown(IDC_TRANSPORTER_SN)); // refused: as it was

    // A confirmation that cannot be read: the serial may or may not be the new one.
    Found garbled;
    garbled.view.SetControlText(IDC_TRANSPORTER_SN, "NEW1");
    garbled.t.overrides["!f9000CNEW1    "] = "\x1B!f9?0C";
    garbled.Dialog().OnUpdateSerial();
    EXPECT_EQ(garbled.Dialog().m_strStatus,
              "ESC !f9000C was not confirmed, and no fault is reported" + unknown);
    EXPECT_TRUE(garbled.Dialog().IsFieldUnknown(IDC_TRANSPORTER_SN));
    EXPECT_TRUE(garbled.Dialog().IsFieldUnknown(IDC_PRINTER_SN));
    EXPECT_FALSE(garbled.Dialog().IsFieldUnknown(IDC_BEEPS));

    Found silent; // the transporter does not come back from its restart
    silent.t.silenceAfter["!g1C"] = 1000;
    silent.view.cursorOffAt.clear();
    silent.Dialog().OnUpdateSerial();
    EXPECT_EQ(silent.Dialog().LastOutcome(), CommandOutcome::Failed);
    EXPECT_EQ(silent.view.cursorOffAt, std::vector<std::string>{silent.Dialog().m_strStatus});
    EXPECT_NE(silent.Dialog().m_strStatus.find("did not"), std::string::npos)
        << silent.Dialog().m_strStatus;
    EXPECT_TRUE(silent.Dialog().m_strStatus.ends_with(unknown)) << silent.Dialog().m_strStatus;
    // What the technician typed is still there to try again.
    EXPECT_EQ(silent.view.GetControlText(IDC_TRANSPORTER_SN), "TS000001");
}

// What was stored is read back and compared: a value the transporter holds otherwise fails the
// update, naming it, and the page shows the device's value.
TEST(DialogCommands, AStoreIsJudgedByWhatTheTransporterReadsBack) {
    Found serial;
    serial.view.SetControlText(IDC_TRANSPORTER_SN, "TX000123");
    serial.t.onCommand = [&](const std::string& c) {
        if (c.rfind("!f9000C", 0) == 0)
            serial.t.stored[0] = "XX000123"; // a byte changed on the line
    };
    serial.Dialog().OnUpdateSerial();
    EXPECT_EQ(serial.Dialog().m_strStatus, "Parameter update failed - the transporter serial "
                                           "number reads back as \"XX000123\", \"TX000123\" was "
                                           "sent");
    EXPECT_EQ(serial.view.GetControlText(IDC_TRANSPORTER_SN), "XX000123");
    EXPECT_TRUE(serial.Dialog().StoredFieldsReadBack());

    Found loader(Inquiry{.product = "KORVIX QT6400", .revision = "6.20 ", .count = 64});
    loader.view.SetControlText(IDC_DISPLAY_NAME, "LINE 4");
    loader.view.SetCheck(IDC_OVERRIDE_NAME, true);
    loader.view.SetControlText(IDC_BEEPS, "3");
    loader.t.onCommand = [&](const std::string& c) {
        if (c.rfind("!f9099C", 0) == 0)
            loader.t.stored[99][3] = '7';
    };
    loader.Dialog().OnSetParams();
    EXPECT_EQ(loader.Dialog().m_strStatus,
              "Parameter update failed - the beep count reads back as 7, 3 was sent");
    EXPECT_EQ(loader.view.GetControlText(IDC_BEEPS), "7");
    EXPECT_EQ(loader.view.GetControlText(IDC_DISPLAY_NAME), "LINE 4          ");

    // The whole store runs with interrupts held; a stop asked for meanwhile ends it after the
    // last value went out (never between the name's halves), before the values are committed.
    loader.t.onCommand = nullptr;
    loader.t.commands.clear();
    loader.view.stopWhen = [&] { return loader.Count("!f9101C        ") > 0; };
    loader.view.SetControlText(IDC_BEEPS, "3");
    loader.Dialog().OnSetParams();
    EXPECT_EQ(loader.Dialog().m_strStatus,
              std::string("Parameter update stopped before the values were stored: the "
                          "transporter keeps them only until it restarts; ") +
                  kValuesNotKnown);
    EXPECT_EQ(loader.Count("!f9100CLINE 4  "), 1u);
    EXPECT_EQ(loader.Count("!h1C"), 0u);
    EXPECT_TRUE(loader.Dialog().IsFieldUnknown(IDC_DISPLAY_NAME));
    EXPECT_EQ(loader.view.storing, (std::vector<bool>{true, false, true, false}));
}

TEST(DialogCommands, AboutFromTheButtonOrTheWindowMenu) {
    Found rig;
    rig.view.SetCheck(IDC_DISABLE_CHECK, true);
    EXPECT_TRUE(rig.Dialog().OnSysCommand(IDM_ABOUTBOX | 0x3));
    EXPECT_TRUE(rig.view.GetCheck(IDC_DISABLE_CHECK)); // no button was pressed
    EXPECT_FALSE(rig.Dialog().OnSysCommand(0xF060));   // closing goes its own way
    rig.Dialog().OnAbout();
    EXPECT_FALSE(rig.view.GetCheck(IDC_DISABLE_CHECK));
    EXPECT_EQ(rig.view.aboutBoxes.size(), 2u);
}

TEST(DialogCommands, TheEndlessMailboxTestStopsWhenTheWindowCloses) {
    Inquiry loader = WithRevision("6.20 ", 32);
    loader.product = "KORVIX QT6400   ";
    Found rig(loader, 38400, 1);
    rig.t.elementStates[300] = 0;
    rig.Dialog().m_nPort = 2;
    ASSERT_TRUE(rig.Dialog().ScanPort(false));
    int pumps = 0;
    rig.view.onPump = [&] {
        if (++pumps == 5)
            rig.Dialog().OnClose();
        if (pumps == 50) // a refusal ends the test anyway, so a fault cannot hang the suite
            rig.t.refusals["!f23001C"] = {4, 0};
    };
    rig.Dialog().OnTest(); // would cycle the door for as long as the transporter answers
    EXPECT_LT(pumps, 10);
    EXPECT_TRUE(rig.Dialog().IsEnded());
    EXPECT_GE(rig.Count("!f2300"
                        "1C"),
              2u);
}

// A close during a command waits for its end, then writes the next port; an end of the session
// writes nothing, even when it comes after a close kept back that way.
TEST(DialogCommands, ACloseDuringACommandWaitsForItsEndAndEndOfSessionWritesNothing) {
    Found closed;
    bool deviceAliveAtClose = false;
    closed.view.onPump = [&] {
        closed.Dialog().OnClose();
        deviceAliveAtClose = closed.Dialog().GetTransporter() != nullptr;
    };
    closed.Dialog().OnUpdateSerial();
    EXPECT_TRUE(deviceAliveAtClose);
    EXPECT_EQ(closed.Count("!g1C"), 1u); // the update ran to its end
    EXPECT_EQ(closed.Dialog().GetTransporter(), nullptr);
    EXPECT_TRUE(closed.Dialog().IsEnded());
    EXPECT_EQ(closed.settings.GetInt(kSectionLastGood, kValueFirstPort, 0), 3);

    Found idle;
    const int before = idle.settings.writes;
    idle.Dialog().OnEndSession();
    EXPECT_EQ(idle.settings.writes, before);
    EXPECT_EQ(idle.view.endResult, IDCANCEL);

    Found rig;
    const int writes = rig.settings.writes;
    rig.view.onPump = [&] {
        rig.view.onPump = nullptr;
        rig.Dialog().OnClose(); // kept until the update ends
        rig.Dialog().OnEndSession();
    };
    rig.Dialog().OnUpdateSerial();
    EXPECT_TRUE(rig.Dialog().IsEnded());
    EXPECT_EQ(rig.view.endResult, IDCANCEL);
    EXPECT_EQ(rig.settings.writes, writes);
    rig.Dialog().OnClose(); // a late close of an ended dialog writes nothing either
    EXPECT_EQ(rig.settings.writes, writes);
}

TEST(DialogCommands, FieldsThatDoNotValidateStopTheCommandBeforeAnythingIsSent) {
    Found rig;
    rig.view.SetCheck(IDC_DISABLE_CHECK, true);
    const std::tuple<int, std::string, std::string> typed[] = {
        {IDC_TRANSPORTER_SN, "123456789", "Please enter no more than 8 characters."},
        {IDC_BEEPS, "10", "Please enter an integer between 0 and 9."},
        {IDC_TRANSPORTER_SN, "AB\tCD", kNotPrintableAscii},
        {IDC_PRINTER_SN, "M\xFCller", kNotPrintableAscii},
        {IDC_DISPLAY_NAME, "Line\x7F", kNotPrintableAscii}};
    for (const auto& [id, text, message] : typed) {
        rig.view.SetControlText(id, text);
        if (id == IDC_DISPLAY_NAME || id == IDC_BEEPS)
            rig.Dialog().OnSetParams();
        else
            rig.Dialog().OnUpdateSerial();
        ASSERT_FALSE(rig.view.messages.empty()) << text;
        EXPECT_EQ(rig.view.messages.back(), message) << text;
        EXPECT_EQ(rig.view.GetFocusId(), id) << text;
        EXPECT_FALSE(rig.view.GetCheck(IDC_DISABLE_CHECK));
        rig.Dialog().UpdateData(false);
    }
    EXPECT_TRUE(rig.t.commands.empty());
    EXPECT_EQ(rig.Dialog().m_strTransporterSn, "TS000001"); // the refused text was not taken

    // What the device itself holds goes back unchanged: a serial never programmed.
    rig.t.stored[0] = std::string(8, '\xFF');
    ASSERT_TRUE(rig.Dialog().ScanPort(false));
    rig.t.commands.clear();
    rig.view.SetControlText(IDC_PRINTER_SN, "NEW2");
    rig.Dialog().OnUpdateSerial();
    EXPECT_EQ(rig.Dialog().m_strStatus, kUpdateSucceeded);
    EXPECT_EQ(rig.Count("!f9260CNEW2    "), 1u);
}

TEST(DialogCommands, CtrlPPutsThePrintCounterIntoThePrinterSerialField) {
    Found rig;
    rig.view.SetControlText(IDC_TRANSPORTER_SN, "edited");
    rig.view.SetFocusId(IDC_PRINTER_SN);
    rig.Dialog().OnCounterToSerial();
    EXPECT_EQ(rig.view.GetControlText(IDC_PRINTER_SN), "4321");
    EXPECT_EQ(rig.view.GetControlText(IDC_TRANSPORTER_SN), "TS000001"); // fields win
    EXPECT_EQ(rig.view.beeps, 0);
    rig.view.SetFocusId(IDC_TRANSPORTER_SN);
    rig.Dialog().OnCounterToSerial();
    EXPECT_EQ(rig.view.beeps, 1);
}

// A read of the page that fails after the device was found names itself; the rest stays shown.
TEST(DialogCommands, AFailedReadOfThePageNamesItself) {
    struct Case {
        std::string command, answer, status;
    };
    const Case cases[] = {
        {"!f:000C", "", "Get SN - Receive timeout"},
        {"!f:000C", std::string("\x1B!f:?0#&*@!^~%", 14),
         "Get SN - unreadable answer, and the transporter reports no fault"},
        {"!f:260C", std::string("\x1B!f:?0#&*@!^~%", 14),
         "Get Printer SN - unreadable answer, and the transporter reports no fault"},
        {"!f;2C", "", "Get Ribbon Count - Receive timeout"},
    };
    for (const Case& c : cases) {
        Found rig;
        rig.t.overrides[c.command] = c.answer;
        rig.dlg.reset();
        rig.Dialog().OnInitDialog();
        ASSERT_NE(rig.Dialog().GetTransporter(), nullptr);
        EXPECT_EQ(rig.Dialog().m_strStatus, c.status);
        EXPECT_TRUE(rig.Dialog().PageReadFailed()) << c.status;
        EXPECT_EQ(rig.view.GetControlText(IDC_COUNT_PRINT), "4321");
    }
    // Firmware that keeps no serial numbers says so, but no read failed.
    Found old(WithRevision("3.06 "));
    EXPECT_EQ(old.Dialog().m_strStatus, "GetSerialNumbers failed - low revision firmware");
    EXPECT_FALSE(old.Dialog().PageReadFailed());
}

TEST(DialogCommands, AFailedFlashLedsIsShown) {
    Found rig;
    rig.t.refusals["!f5111C"] = {4, 0};
    rig.Dialog().OnFlashLeds();
    EXPECT_EQ(rig.Dialog().m_strStatus, "Transporter: Hardware Error");
    EXPECT_EQ(rig.Dialog().LastOutcome(), CommandOutcome::Failed);
    EXPECT_EQ(rig.Count("!f5111C"), 1u); // it stops at the first failure
    rig.t.refusals.clear();
    rig.Dialog().OnFlashLeds();
    EXPECT_EQ(rig.Dialog().LastOutcome(), CommandOutcome::Succeeded);
}

} // namespace
} // namespace dax::flow
