#include "app/CDaxtoolDlg.h"
#include "app/ControlIds.h"
#include "app/FieldValidation.h"
#include "platform/Format.h"

namespace dax {

bool CDaxtoolDlg::UpdateData(bool save) {
    DialogView& v = m_view;
    if (!save) {
        v.SetControlText(IDC_INQUIRY_ID, m_strInquiryId);
        v.SetControlText(IDC_STATUS, m_strStatus);
        v.SetComboSelection(IDC_PORT, m_portList.IndexOf(m_nPort));
        v.SetControlText(IDC_BAUD_TEXT, m_strBaudText);
        v.SetControlText(IDC_TRANSPORTER_SN, m_strTransporterSn);
        v.SetControlText(IDC_PRINTER_SN, m_strPrinterSn);
        v.SetControlText(IDC_PRINTER_B_SN, m_strPrinterBSn);
        v.SetCheck(IDC_ENABLE_SHUTDOWN, m_bEnableShutdown);
        v.SetControlText(IDC_COUNT_PRINT, m_strCountPrint);
        v.SetControlText(IDC_COUNT_RIBBON, m_strCountRibbon);
        v.SetControlText(IDC_COUNT_IMAGE, m_strCountImage);
        v.SetCheck(IDC_OVERRIDE_NAME, m_bOverrideName);
        v.SetControlText(IDC_DISPLAY_NAME, m_strDisplayName);
        v.SetControlText(IDC_BEEPS, Format("%d", m_nBeeps));
        v.SetCheck(IDC_USE_COMPUTER_NAME, m_bUseComputerName);
        return true;
    }

    // Fields are taken in control order; the first that does not validate stops the exchange
    // with its message and the focus on it, as the toolkit's field exchange does.
    auto fail = [&](int id, const std::string& message) {
        v.MessageBox(message, MessageBoxType::Ok);
        v.SetFocusId(id);
        return false;
    };
    // A text field keeps its value until the control's text validates. A text still as the
    // device gave it (a serial number never programmed reads as 0xFF bytes) goes back as it
    // is; what the user typed must be printable ASCII.
    auto text = [&](int id, std::string& field, size_t maxChars) {
        const std::string typed = v.GetControlText(id);
        const std::string why =
            typed == field ? CheckTextLength(typed, maxChars) : CheckDeviceText(typed, maxChars);
        if (!why.empty())
            return fail(id, why);
        field = typed;
        return true;
    };
    m_strInquiryId = v.GetControlText(IDC_INQUIRY_ID);
    m_strStatus = v.GetControlText(IDC_STATUS);
    // A combo without a selection leaves the port as it is.
    if (auto port = m_portList.PortAt(v.GetComboSelection(IDC_PORT)))
        m_nPort = *port;
    m_strBaudText = v.GetControlText(IDC_BAUD_TEXT);
    if (!text(IDC_TRANSPORTER_SN, m_strTransporterSn, kSerialNumberChars) ||
        !text(IDC_PRINTER_SN, m_strPrinterSn, kSerialNumberChars) ||
        !text(IDC_PRINTER_B_SN, m_strPrinterBSn, kSerialNumberChars))
        return false;
    m_bEnableShutdown = v.GetCheck(IDC_ENABLE_SHUTDOWN);
    m_strCountPrint = v.GetControlText(IDC_COUNT_PRINT);
    m_strCountRibbon = v.GetControlText(IDC_COUNT_RIBBON);
    m_strCountImage = v.GetControlText(IDC_COUNT_IMAGE);
    m_bOverrideName = v.GetCheck(IDC_OVERRIDE_NAME);
    if (!text(IDC_DISPLAY_NAME, m_strDisplayName, kDisplayNameChars))
        return false;
    const std::string why = CheckBeeps(v.GetControlText(IDC_BEEPS), m_nBeeps);
    if (!why.empty())
        return fail(IDC_BEEPS, why);
    m_bUseComputerName = v.GetCheck(IDC_USE_COMPUTER_NAME);
    return true;
}

} // namespace dax
