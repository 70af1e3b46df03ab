#include "app/CDaxtoolDlg.h"
#include "app/ControlIds.h"
#include "app/DialogStrings.h"
#include "platform/Format.h"

#include <cerrno>
#include <cstdlib>

namespace dax {

namespace {

// Reads an edit control holding an integer; false when it holds none.
bool ParseInt(const std::string& text, int& value) {
    const char* p = text.c_str();
    while (*p == ' ' || *p == '\t')
        ++p;
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(p, &end, 10);
    if (end == p || errno == ERANGE || v < INT32_MIN || v > INT32_MAX)
        return false;
    while (*end == ' ' || *end == '\t')
        ++end;
    if (*end != '\0')
        return false;
    value = int(v);
    return true;
}

} // namespace

bool CDaxtoolDlg::UpdateData(bool save) {
    DialogView& v = m_view;
    if (!save) {
        v.SetControlText(IDC_INQUIRY_ID, m_strInquiryId);
        v.SetControlText(IDC_STATUS, m_strStatus);
        v.SetComboSelection(IDC_PORT, m_nPort);
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
    // A text field is stored, then checked against its length, as the toolkit does.
    auto text = [&](int id, std::string& field, size_t maxChars) {
        field = v.GetControlText(id);
        return field.size() <= maxChars || fail(id, Format(kTooManyCharacters, int(maxChars)));
    };
    m_strInquiryId = v.GetControlText(IDC_INQUIRY_ID);
    m_strStatus = v.GetControlText(IDC_STATUS);
    m_nPort = v.GetComboSelection(IDC_PORT);
    m_strBaudText = v.GetControlText(IDC_BAUD_TEXT);
    if (!text(IDC_TRANSPORTER_SN, m_strTransporterSn, 8) ||
        !text(IDC_PRINTER_SN, m_strPrinterSn, 8) || !text(IDC_PRINTER_B_SN, m_strPrinterBSn, 8))
        return false;
    m_bEnableShutdown = v.GetCheck(IDC_ENABLE_SHUTDOWN);
    m_strCountPrint = v.GetControlText(IDC_COUNT_PRINT);
    m_strCountRibbon = v.GetControlText(IDC_COUNT_RIBBON);
    m_strCountImage = v.GetControlText(IDC_COUNT_IMAGE);
    m_bOverrideName = v.GetCheck(IDC_OVERRIDE_NAME);
    if (!text(IDC_DISPLAY_NAME, m_strDisplayName, 16))
        return false;
    int beeps = 0;
    if (!ParseInt(v.GetControlText(IDC_BEEPS), beeps))
        return fail(IDC_BEEPS, kNotAnInteger);
    if (beeps < 0 || beeps > 9)
        return fail(IDC_BEEPS, Format(kIntegerRange, 0, 9));
    m_nBeeps = beeps;
    m_bUseComputerName = v.GetCheck(IDC_USE_COMPUTER_NAME);
    return true;
}

} // namespace dax
