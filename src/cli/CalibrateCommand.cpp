#include "cli/CalibrateCommand.h"

#include "app/CPocketDlg.h"
#include "app/CRotationalDlg.h"
#include "app/CalibrationPanelView.h"
#include "app/CalibrationStrings.h"
#include "app/ControlIds.h"
#include "app/IntegerField.h"
#include "platform/RealClock.h"

#include <optional>

namespace dax {

namespace {

using Json = nlohmann::ordered_json;

// The fields as a technician would type them.
void TypeRotational(const CliOptions& o, CalibrationView& v) {
    v.SetControlText(IDC_LEFT_OFFSET, o.leftOffset);
    v.SetControlText(IDC_RIGHT_OFFSET, o.rightOffset);
    v.SetControlText(IDC_LEFT_MARGIN, o.leftMargin);
    v.SetControlText(IDC_TOP_MARGIN, o.topMargin);
    v.SetCheck(IDC_PRINTER_A, o.printer == "A");
    v.SetCheck(IDC_PRINTER_B, o.printer == "B");
}

int SizeIndex(int millimetres) {
    for (int i = 0; i < CPocketDlg::kSizes; ++i)
        if (CPocketDlg::Millimetres(i) == millimetres)
            return i;
    return -1;
}

// The boxes of the dialog go to stderr, as the main dialog's do.
void PrintBoxes(const CalibrationPanelView& panel) {
    for (const std::string& text : panel.messages)
        std::fprintf(stderr, "%s\n", text.c_str());
}

// The device's reason when Save Offset was pressed and the settings were not saved.
std::optional<std::string> SaveFailure(int saved, CTransporter& device) {
    if (saved != 0)
        return std::nullopt;
    return "Save Offset failed - " + device.GetErrorText();
}

Json Optional(int value) {
    return value < 0 ? Json(nullptr) : Json(value);
}

Json Saved(int saved) {
    return saved < 0 ? Json(nullptr) : Json(saved == 1);
}

std::string SavedText(int saved, bool asked) {
    if (!asked)
        return "no";
    return saved < 0 ? "not done (the round failed)" : saved == 1 ? "yes" : "failed";
}

// Checks the values with the dialog's own field exchange on a window nobody sees: nothing is
// sent. The message, or empty.
template <class Dlg, class Typing> std::string CheckFields(Dlg&& check, const Typing& type) {
    CalibrationPanelView panel;
    check.Attach(panel);
    check.OnInitDialog();
    type(panel);
    if (check.UpdateData(true))
        return {};
    return panel.messages.empty() ? std::string("invalid value") : panel.messages.front();
}

} // namespace

std::string CheckCalibrationValues(const CliOptions& o) {
    int value = 0;
    if (o.command == "calibrate-pocket")
        return ReadIntegerField(o.angle, 0, CPocketDlg::kMaxAngle, value);
    if (o.command != "calibrate-rotator")
        return {};
    const std::pair<const std::string*, int> fields[] = {
        {&o.leftOffset, CRotationalDlg::kMaxOffset},
        {&o.rightOffset, CRotationalDlg::kMaxOffset},
        {&o.leftMargin, CRotationalDlg::kMaxLeftMargin},
        {&o.topMargin, CRotationalDlg::kMaxTopMargin},
    };
    for (const auto& [text, upper] : fields)
        if (std::string message = ReadIntegerField(*text, 0, upper, value); !message.empty())
            return message;
    return {};
}

void CalibrationSummary::PrintHuman(std::FILE* out) const {
    for (const auto& [key, value] : lines)
        std::fprintf(out, "%s: %s\n", key.c_str(), value.c_str());
}

int RunCalibrateRotator(const CliOptions& o, CDaxtoolDlg& dlg, CliView& view,
                        CalibrationSummary& summary) {
    CTransporter& device = *dlg.GetTransporter();
    if (!device.m_bCalibration) {
        std::fprintf(stderr, "This transporter has no rotator or margin calibration\n");
        return kExitFailed;
    }
    RealClock idle; // the check prints nothing
    const bool twoPrinters = device.m_nPrinters > 1;
    if (twoPrinters && o.printer.empty()) {
        std::fprintf(stderr, "%s (--printer A or B)\n", kPrinterNotSelected);
        return kExitUsage;
    }
    if (!twoPrinters && o.printer == "B") {
        std::fprintf(stderr, "This transporter has no printer B\n");
        return kExitUsage;
    }
    const std::string invalid = CheckFields(CRotationalDlg(device, idle),
                                            [&](CalibrationView& v) { TypeRotational(o, v); });
    if (!invalid.empty()) {
        std::fprintf(stderr, "%s\n", invalid.c_str());
        return kExitUsage;
    }

    CRotationalDlg::Round round;
    view.onRotational = [&](CRotationalDlg& d) {
        TypeRotational(o, d.View());
        if (o.printer == "A")
            d.OnPrinterA();
        else if (o.printer == "B")
            d.OnPrinterB();
        if (o.restoreDefault)
            d.OnRestoreDefault();
        else
            d.OnTest();
        const CRotationalDlg::Round& r = d.LastRound();
        if (o.save && r.loaded && (r.printed || device.m_nPrinters == 0))
            d.OnSaveOffset();
        round = d.LastRound();
        summary.status = SaveFailure(round.saved, device).value_or(d.m_strStatus);
    };
    dlg.OnCalibrateRotator();
    view.onRotational = nullptr;
    PrintBoxes(view.rotationalPanel);

    const bool good = round.loaded && (round.printed || device.m_nPrinters == 0);
    const std::string printer = round.printer < 0 ? "" : round.printer == 0 ? "A" : "B";
    summary.json = {{"kind", "rotator"},
                    {"printer", printer.empty() ? Json(nullptr) : Json(printer)},
                    {"restore_default", o.restoreDefault},
                    {"sent",
                     {{"rotational_offset", Optional(round.offset)},
                      {"left_margin", Optional(round.leftMargin)},
                      {"top_margin", Optional(round.topMargin)}}},
                    {"disc", round.reloaded ? "reloaded" : "loaded from bin 1"},
                    {"loaded", round.loaded},
                    {"printed", round.printed},
                    {"saved", Saved(round.saved)}};
    auto sent = [](int v) { return v < 0 ? std::string("not sent") : std::to_string(v); };
    if (!printer.empty())
        summary.lines.emplace_back("printer", printer);
    summary.lines.emplace_back("rotational offset sent", sent(round.offset));
    summary.lines.emplace_back("left margin sent", sent(round.leftMargin));
    summary.lines.emplace_back("top margin sent", sent(round.topMargin));
    summary.lines.emplace_back("disc loaded", round.loaded ? "yes" : "no");
    summary.lines.emplace_back("offset marks printed", round.printed ? "yes" : "no");
    summary.lines.emplace_back("saved", SavedText(round.saved, o.save));
    if (!good || (o.save && round.saved != 1))
        return kExitFailed;
    return kExitDone;
}

int RunCalibratePocket(const CliOptions& o, CDaxtoolDlg& dlg, CliView& view,
                       CalibrationSummary& summary) {
    CTransporter& device = *dlg.GetTransporter();
    if (!device.m_bPocketCalibration) {
        std::fprintf(stderr, "This transporter does not calibrate pocket discs\n");
        return kExitFailed;
    }
    const int index = SizeIndex(o.sizeMm);
    auto type = [&](CalibrationView& v) {
        for (int i = 0; i < CPocketDlg::kSizes; ++i)
            v.SetCheck(IDC_SIZE_58 + i, i == index);
        v.SetControlText(IDC_ANGLE, o.angle);
    };
    const std::string invalid = CheckFields(CPocketDlg(device), type);
    if (!invalid.empty()) {
        std::fprintf(stderr, "%s\n", invalid.c_str());
        return kExitUsage;
    }

    CPocketDlg::Round round;
    view.onPocket = [&](CPocketDlg& d) {
        type(d.View());
        d.OnSize(index);
        if (o.assumeLoaded)
            view.pocketPanel.answers = {MessageBoxResult::Yes};
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
    PrintBoxes(view.pocketPanel);
    if (!summary.status)
        return kExitFailed; // the rate could not be lowered: the main status says why

    summary.json = {
        {"kind", "pocket"},
        {"size_mm", o.sizeMm},
        {"angle", std::stoi(o.angle)},
        {"restore_default", o.restoreDefault},
        {"sent",
         {{"media_size", Optional(round.mediaSize)}, {"pocket_offset", Optional(round.offset)}}},
        {"disc", round.reloaded ? "picked up from the printer" : "loaded from bin 1"},
        {"loaded", round.loaded},
        {"confirmed_by_hand", round.confirmedByHand},
        {"saved", Saved(round.saved)}};
    auto sent = [](int v) { return v < 0 ? std::string("not sent") : std::to_string(v); };
    summary.lines.emplace_back("pocket size", std::to_string(o.sizeMm) + " mm");
    summary.lines.emplace_back("media size sent", sent(round.mediaSize));
    summary.lines.emplace_back("pocket offset sent", sent(round.offset));
    summary.lines.emplace_back("disc loaded", !round.loaded           ? "no"
                                              : round.confirmedByHand ? "yes (placed by hand)"
                                                                      : "yes");
    summary.lines.emplace_back("saved", SavedText(round.saved, o.save));
    if (!round.loaded || (o.save && round.saved != 1))
        return kExitFailed;
    return kExitDone;
}

} // namespace dax
