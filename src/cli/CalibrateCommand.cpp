#include "cli/CalibrateCommand.h"

#include "app/CPocketDlg.h"
#include "app/CRotationalDlg.h"
#include "app/CalibrationPanelView.h"
#include "app/CalibrationStrings.h"
#include "app/CommandGate.h"
#include "app/ControlIds.h"
#include "app/IntegerField.h"
#include "platform/RealClock.h"

#include <optional>

namespace dax {

namespace {

using Json = nlohmann::ordered_json;

// An option of calibrate-rotator and the field it is typed into.
struct FieldOption {
    const std::optional<std::string> CliOptions::*value;
    int id;
    const char* name;
    int upper;
    bool ignoredByRestore; // Restore Default sends the default offset whatever the field holds
};

constexpr FieldOption kRotationalOptions[] = {
    {&CliOptions::leftOffset, IDC_LEFT_OFFSET, "--left", CRotationalDlg::kMaxOffset, true},
    {&CliOptions::rightOffset, IDC_RIGHT_OFFSET, "--right", CRotationalDlg::kMaxOffset, true},
    {&CliOptions::leftMargin, IDC_LEFT_MARGIN, "--left-margin", CRotationalDlg::kMaxLeftMargin,
     false},
    {&CliOptions::topMargin, IDC_TOP_MARGIN, "--top-margin", CRotationalDlg::kMaxTopMargin, false},
};

// The fields as a technician would type them; a field without its option keeps what it shows.
void TypeRotational(const CliOptions& o, CalibrationView& v) {
    for (const FieldOption& f : kRotationalOptions)
        if (const auto& value = o.*f.value)
            v.SetControlText(f.id, *value);
    v.SetCheck(IDC_PRINTER_A, o.printer == "A");
    v.SetCheck(IDC_PRINTER_B, o.printer == "B");
}

int SizeIndex(int millimetres) {
    for (int i = 0; i < CPocketDlg::kSizes; ++i)
        if (CPocketDlg::Millimetres(i) == millimetres)
            return i;
    return -1;
}

// The boxes of the dialog are shown and answered as the main dialog's are.
void AnswerBoxes(CalibrationPanelView& panel, CliView& view) {
    panel.answerBox = [&view](Question question, const std::string& text, MessageBoxType type) {
        return view.AnswerBox(question, text, type);
    };
}

// The device's reason when Save Offset was pressed and the settings were not saved.
std::optional<std::string> SaveFailure(int saved, CTransporter& device) {
    if (saved != 0)
        return std::nullopt;
    return "Save Offset failed - " + device.GetErrorText();
}

Json SentJson(const SentSetting& s) {
    return s.sent < 0 ? Json(nullptr) : Json(s.sent);
}

Json AcceptedJson(const SentSetting& s) {
    return s.sent < 0 ? Json(nullptr) : Json(s.accepted);
}

std::string SentText(const SentSetting& s) {
    if (s.sent < 0)
        return "not sent";
    return std::to_string(s.sent) + (s.accepted ? "" : " (refused)");
}

Json Saved(int saved) {
    return saved < 0 ? Json(nullptr) : Json(saved == 1);
}

std::string SavedText(int saved, bool asked) {
    if (!asked)
        return "no";
    return saved < 0 ? "not done (the round failed)" : saved == 1 ? "yes" : "failed";
}

// The values typed into a dialog opened on a window nobody sees, through its own field
// exchange: nothing is sent. The message, or empty.
template <class Dlg> std::string CheckTyped(Dlg& check, CalibrationPanelView& panel) {
    if (check.UpdateData(true))
        return {};
    return panel.messages.empty() ? std::string("invalid value") : panel.messages.front();
}

// A round refused before anything is sent: the reason on stderr, and as the report's status.
int Refuse(CDaxtoolDlg& dlg, const std::string& why, int exit) {
    dlg.m_strStatus = why;
    std::fprintf(stderr, "%s\n", why.c_str());
    return exit;
}

} // namespace

std::string CheckCalibrationValues(const CliOptions& o) {
    int value = 0;
    if (o.command == "calibrate-pocket") {
        if (!o.angle)
            return o.restoreDefault ? std::string()
                                    : std::string("--angle is required unless --restore-default");
        const std::string message = ReadIntegerField(*o.angle, 0, CPocketDlg::kMaxAngle, value);
        return message.empty() ? message : "--angle: " + message;
    }
    if (o.command != "calibrate-rotator")
        return {};
    for (const FieldOption& f : kRotationalOptions)
        if (const auto& text = o.*f.value)
            if (std::string message = ReadIntegerField(*text, 0, f.upper, value); !message.empty())
                return f.name + (": " + message);
    return {};
}

void CalibrationSummary::PrintHuman(std::FILE* out) const {
    for (const auto& [key, value] : lines)
        std::fprintf(out, "%s: %s\n", key.c_str(), value.c_str());
}

int RunCalibrateRotator(const CliOptions& o, CDaxtoolDlg& dlg, CliView& view,
                        CalibrationSummary& summary) {
    CTransporter& device = *dlg.GetTransporter();
    if (!device.m_bCalibration)
        return Refuse(dlg, "This transporter has no rotator or margin calibration", kExitFailed);
    RealClock idle; // the check prints nothing
    const bool twoPrinters = device.m_nPrinters > 1;
    if (twoPrinters && o.printer.empty())
        return Refuse(dlg, std::string(kPrinterNotSelected) + " (--printer A or B)", kExitUsage);
    if (!twoPrinters && o.printer == "B")
        return Refuse(dlg, "This transporter has no printer B", kExitUsage);
    // The window's own enable rules, on a dialog nobody sees: a value for a field it disables
    // is refused before anything is sent, as the window cannot send one; a field it leaves to
    // the technician needs its value, unless Restore Default ignores it.
    CalibrationPanelView panel;
    CRotationalDlg check(device, idle);
    check.Attach(panel);
    check.OnInitDialog();
    for (const FieldOption& f : kRotationalOptions) {
        const std::string unavailable = CalibrationFieldUnavailableReason(panel, f.id);
        if ((o.*f.value) && !unavailable.empty()) {
            dlg.m_strStatus = unavailable;
            return kExitFailed;
        }
        if (!(o.*f.value) && unavailable.empty() && !(o.restoreDefault && f.ignoredByRestore))
            return Refuse(dlg, std::string(f.name) + " is required on this transporter",
                          kExitUsage);
    }
    TypeRotational(o, panel);
    if (const std::string invalid = CheckTyped(check, panel); !invalid.empty())
        return Refuse(dlg, invalid, kExitUsage);

    CRotationalDlg::Round round;
    view.onRotational = [&](CRotationalDlg& d) {
        AnswerBoxes(view.rotationalPanel, view);
        TypeRotational(o, d.View());
        if (o.printer == "A")
            d.OnPrinterA();
        else if (o.printer == "B")
            d.OnPrinterB();
        if (o.restoreDefault)
            d.OnRestoreDefault();
        else
            d.OnTest();
        if (o.save && d.LastRound().printed)
            d.OnSaveOffset();
        round = d.LastRound();
        summary.status = SaveFailure(round.saved, device).value_or(d.m_strStatus);
    };
    dlg.OnCalibrateRotator();
    view.onRotational = nullptr;

    const std::string printer = round.printer < 0 ? "" : round.printer == 0 ? "A" : "B";
    summary.json = {{"kind", "rotator"},
                    {"printer", printer.empty() ? Json(nullptr) : Json(printer)},
                    {"restore_default", o.restoreDefault},
                    {"sent",
                     {{"rotational_offset", SentJson(round.offset)},
                      {"left_margin", SentJson(round.leftMargin)},
                      {"top_margin", SentJson(round.topMargin)}}},
                    {"accepted",
                     {{"rotational_offset", AcceptedJson(round.offset)},
                      {"left_margin", AcceptedJson(round.leftMargin)},
                      {"top_margin", AcceptedJson(round.topMargin)}}},
                    {"disc", round.reloaded ? "reloaded" : "loaded from bin 1"},
                    {"loaded", round.loaded},
                    {"printed", round.printed},
                    {"saved", Saved(round.saved)}};
    if (!printer.empty())
        summary.lines.emplace_back("printer", printer);
    summary.lines.emplace_back("rotational offset sent", SentText(round.offset));
    summary.lines.emplace_back("left margin sent", SentText(round.leftMargin));
    summary.lines.emplace_back("top margin sent", SentText(round.topMargin));
    summary.lines.emplace_back("disc loaded", round.loaded ? "yes" : "no");
    summary.lines.emplace_back("offset marks printed", round.printed ? "yes" : "no");
    summary.lines.emplace_back("saved", SavedText(round.saved, o.save));
    // The round is good only once the marks are on the disc: they are what the technician reads.
    if (!round.printed || (o.save && round.saved != 1))
        return kExitFailed;
    return kExitDone;
}

int RunCalibratePocket(const CliOptions& o, CDaxtoolDlg& dlg, CliView& view,
                       CalibrationSummary& summary) {
    CTransporter& device = *dlg.GetTransporter();
    if (!device.m_bPocketCalibration)
        return Refuse(dlg, "This transporter does not calibrate pocket discs", kExitFailed);
    const int index = SizeIndex(o.sizeMm);
    // Without --angle (Restore Default ignores it) the field keeps the 90 it shows.
    auto type = [&](CalibrationView& v) {
        for (int i = 0; i < CPocketDlg::kSizes; ++i)
            v.SetCheck(IDC_SIZE_58 + i, i == index);
        if (o.angle)
            v.SetControlText(IDC_ANGLE, *o.angle);
    };
    CalibrationPanelView panel;
    CPocketDlg check(device);
    check.Attach(panel);
    check.OnInitDialog();
    type(panel);
    if (const std::string invalid = CheckTyped(check, panel); !invalid.empty())
        return Refuse(dlg, invalid, kExitUsage);

    CPocketDlg::Round round;
    view.onPocket = [&](CPocketDlg& d) {
        AnswerBoxes(view.pocketPanel, view);
        type(d.View());
        d.OnSize(index);
        const std::string prompt = d.m_strStatus;
        const size_t boxes = view.pocketPanel.messages.size();
        if (o.restoreDefault)
            d.OnRestoreDefault();
        else
            d.OnTest();
        if (o.save && d.LastRound().loaded)
            d.OnSaveOffset();
        round = d.LastRound();
        summary.status = SaveFailure(round.saved, device).value_or(d.m_strStatus);
        // A Test the window stops with a message box leaves its prompt: the box says why.
        if (d.m_strStatus == prompt && view.pocketPanel.messages.size() > boxes)
            summary.status = view.pocketPanel.messages.back();
    };
    dlg.OnCalibratePocket();
    view.onPocket = nullptr;
    if (!summary.status)
        return kExitFailed; // the rate could not be lowered: the main status says why

    summary.json = {
        {"kind", "pocket"},
        {"size_mm", o.sizeMm},
        {"angle", o.angle ? Json(std::stoi(*o.angle)) : Json(nullptr)},
        {"restore_default", o.restoreDefault},
        {"sent",
         {{"media_size", SentJson(round.mediaSize)}, {"pocket_offset", SentJson(round.offset)}}},
        {"accepted",
         {{"media_size", AcceptedJson(round.mediaSize)},
          {"pocket_offset", AcceptedJson(round.offset)}}},
        {"disc", round.reloaded ? "picked up from the printer" : "loaded from bin 1"},
        {"loaded", round.loaded},
        {"confirmed_by_hand", round.confirmedByHand},
        {"saved", Saved(round.saved)}};
    summary.lines.emplace_back("pocket size", std::to_string(o.sizeMm) + " mm");
    summary.lines.emplace_back("media size sent", SentText(round.mediaSize));
    summary.lines.emplace_back("pocket offset sent", SentText(round.offset));
    summary.lines.emplace_back("disc loaded", !round.loaded           ? "no"
                                              : round.confirmedByHand ? "yes (placed by hand)"
                                                                      : "yes");
    summary.lines.emplace_back("saved", SavedText(round.saved, o.save));
    if (!round.loaded || (o.save && round.saved != 1))
        return kExitFailed;
    return kExitDone;
}

} // namespace dax
