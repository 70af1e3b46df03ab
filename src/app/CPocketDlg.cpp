#include "app/CPocketDlg.h"

#include "app/CalibrationStrings.h"
#include "app/ControlIds.h"
#include "app/IntegerField.h"
#include "platform/Format.h"

#include <algorithm>

namespace dax {

namespace {

constexpr int kSizeIds[CPocketDlg::kSizes] = {IDC_SIZE_58, IDC_SIZE_61, IDC_SIZE_63};
constexpr int kSizeCodes[CPocketDlg::kSizes] = {6, 5, 4};
constexpr int kSizeMillimetres[CPocketDlg::kSizes] = {58, 61, 63};

} // namespace

CPocketDlg::CPocketDlg(CTransporter& device, void* parent) : m_device(device), m_pParent(parent) {}

int CPocketDlg::MediaSizeCode(int index) {
    return index >= 0 && index < kSizes ? kSizeCodes[index] : 0;
}

int CPocketDlg::Millimetres(int index) {
    return index >= 0 && index < kSizes ? kSizeMillimetres[index] : 0;
}

int CPocketDlg::OffsetForAngle(int angle) {
    return std::clamp(angle - kSpinLower, 0, kMaxOffset);
}

void CPocketDlg::OnInitDialog() {
    m_strStatus = kPocketOpen;
    m_pView->SetSpinRange(IDC_ANGLE_SPIN, kSpinLower, kSpinUpper);
    UpdateData(false);
}

bool CPocketDlg::UpdateData(bool save) {
    CalibrationView& v = *m_pView;
    if (!save) {
        for (int i = 0; i < kSizes; ++i)
            v.SetCheck(kSizeIds[i], m_nRadio == i);
        v.SetControlText(IDC_ANGLE, Format("%d", m_nAngle));
        v.SetControlText(IDC_CAL_STATUS, m_strStatus);
        return true;
    }
    m_nRadio = -1;
    for (int i = 0; i < kSizes && m_nRadio < 0; ++i)
        if (v.GetCheck(kSizeIds[i]))
            m_nRadio = i;
    const std::string message =
        ReadIntegerField(v.GetControlText(IDC_ANGLE), 0, kMaxAngle, m_nAngle);
    if (!message.empty()) {
        v.MessageBox(message, MessageBoxType::Ok);
        v.SetFocusId(IDC_ANGLE);
        return false;
    }
    return true;
}

void CPocketDlg::OnSize(int index) {
    if (index < 0 || index >= kSizes)
        return;
    const int code = MediaSizeCode(index);
    const bool changed = code != m_nMediaSize;
    m_nMediaSize = code;
    m_nRadio = index;
    // The disc on the printer is of the old size: it goes before the next size is tried.
    if (changed && m_bDiscLoaded)
        Unload();
}

void CPocketDlg::OnTest() {
    WaitCursorScope wait(*m_pView);
    if (!UpdateData(true))
        return;
    if (m_nRadio < 0) {
        m_pView->MessageBox(kSelectSizeFirst, MessageBoxType::Ok);
        return;
    }
    m_round = Round();
    m_round.ran = true;
    m_round.mediaSize = {m_nMediaSize, m_device.SetMediaSize(m_nMediaSize)};
    if (!m_round.mediaSize.accepted) {
        m_pView->MessageBox(Format(kSetMediaSizeFailed, m_device.GetErrorText().c_str()),
                            MessageBoxType::Ok);
        return;
    }
    const int offset = m_bRestorePending ? kDefaultOffsetRequest : OffsetForAngle(m_nAngle);
    m_bRestorePending = false;
    m_round.offset = {offset, m_device.SetPocketOffset(offset)};
    if (!m_round.offset.accepted) {
        m_pView->MessageBox(Format(kSetPocketOffsetFailed, m_device.GetErrorText().c_str()),
                            MessageBoxType::Ok);
        return;
    }
    m_round.reloaded = m_bDiscLoaded;
    if (!m_device.LoadPocketDisc(!m_bDiscLoaded)) {
        const MessageBoxResult answer = m_pView->Ask(
            Question::DiscOnPrinter, Format(kPocketLoadFailed, m_device.GetErrorText().c_str()),
            MessageBoxType::YesNo);
        if (answer != MessageBoxResult::Yes) {
            m_bDiscLoaded = false;
            m_strStatus = kPocketNotLoaded;
            UpdateData(false);
            return;
        }
        // Placed by hand: measured like a loaded one.
        m_round.confirmedByHand = true;
    }
    m_bDiscLoaded = true;
    m_round.loaded = true;
    m_strStatus = kPocketLoaded;
    m_nAngle = kIdealAngle;
    UpdateData(false);
}

void CPocketDlg::OnRestoreDefault() {
    m_bRestorePending = true;
    OnTest();
    // A Test that stopped before its offset step must not leave the default request behind
    // for the next plain Test.
    m_bRestorePending = false;
}

void CPocketDlg::OnSaveOffset() {
    WaitCursorScope wait(*m_pView);
    m_round.saved = m_device.SaveSettings(false) ? 1 : 0;
    m_device.SetMediaSize(m_nMediaSize);
    if (m_device.m_bStandAlonePrinter)
        m_bDiscLoaded = false;
    m_nAngle = kIdealAngle;
    UpdateData(false);
}

void CPocketDlg::Unload() {
    WaitCursorScope wait(*m_pView);
    m_device.UnloadPrinter();
    m_bDiscLoaded = false;
}

void CPocketDlg::OnExit() {
    if (m_bDiscLoaded)
        Unload();
    m_pView->EndDialog(IDOK);
}

} // namespace dax
