#include "app/CommandGate.h"

#include "app/ControlIds.h"

namespace dax {

namespace {

// The text a user reads for a control: a label without its mnemonic '&' and closing ':'.
std::string Plain(std::string text) {
    std::string out;
    for (char c : text)
        if (c != '&')
            out += c;
    while (!out.empty() && (out.back() == ':' || out.back() == ' '))
        out.pop_back();
    return out;
}

// Edit fields carry no text of their own: the label beside them names them.
std::string FieldName(DialogView& view, int id) {
    switch (id) {
    case IDC_TRANSPORTER_SN:
        return "Transporter SN";
    case IDC_PRINTER_SN:
        return Plain(view.GetControlText(IDC_PRINTER_SN_LABEL));
    case IDC_PRINTER_B_SN:
        return Plain(view.GetControlText(IDC_PRINTER_B_SN_LABEL));
    case IDC_DISPLAY_NAME:
        return "Display Name";
    case IDC_BEEPS:
        return "# of Beeps on Fault";
    default:
        return {};
    }
}

// A calibration field by the label above it; the offsets' labels ("Left", "Right") sit under
// one that says they are offsets.
std::string CalibrationFieldName(int id) {
    switch (id) {
    case IDC_LEFT_OFFSET:
        return "Left Offset";
    case IDC_RIGHT_OFFSET:
        return "Right Offset";
    case IDC_LEFT_MARGIN:
        return "Left Margin";
    case IDC_TOP_MARGIN:
        return "Top Margin";
    case IDC_ANGLE:
        return "Angle";
    default:
        return "This field";
    }
}

} // namespace

std::string CalibrationFieldUnavailableReason(CalibrationView& view, int id) {
    if (view.IsControlVisible(id) && view.IsControlEnabled(id))
        return {};
    return CalibrationFieldName(id) + " cannot be changed on this printer";
}

std::string ControlUnavailableReason(DialogView& view, int id) {
    if (view.IsControlVisible(id) && view.IsControlEnabled(id))
        return {};
    const std::string field = FieldName(view, id);
    if (!field.empty())
        return field + " cannot be changed on this transporter";
    return Plain(view.GetControlText(id)) + " is not available on this transporter";
}

} // namespace dax
