#pragma once

#include "app/CalibrationView.h"
#include "app/SentSetting.h"
#include "devices/CTransporter.h"
#include "platform/Clock.h"

#include <string>

namespace dax {

// The "Rotational Calibration" dialog: a calibration disc from bin 1 gets the offset marks
// printed with the offsets and margins entered; the technician enters where the marks fell and
// tests again until they sit on their scales' centres, then saves. It borrows the device for
// one modal run; the view it is attached to is its window.
class CRotationalDlg {
public:
    // Centres of the printed scales: what the fields show at start and after every Test.
    static constexpr int kCentreOffset = 32;
    static constexpr int kCentreLeftMargin = 5;
    static constexpr int kCentreTopMargin = 75;
    static constexpr int kMaxOffset = 64;
    static constexpr int kMaxLeftMargin = 10;
    static constexpr int kMaxTopMargin = 150;
    // The rotational offset that asks the device for its default.
    static constexpr int kDefaultOffsetRequest = 100;
    static constexpr int kOffsetMarksPattern = 3;
    // The calibration disc is always taken from bin 1.
    static constexpr int kCalibrationBin = 0;

    // What the last Test sent and how far it got, for reports.
    struct Round {
        bool ran = false;
        int printer = -1;
        SentSetting offset;
        SentSetting leftMargin;
        SentSetting topMargin;
        bool reloaded = false; // re-seated rather than fetched from bin 1
        bool loaded = false;
        bool printed = false;
        int saved = -1; // Save Offset: -1 not pressed, else the device's answer
    };

    CRotationalDlg(CTransporter& device, Clock& clock, void* parent = nullptr);

    // The window to show it in; before OnInitDialog.
    void Attach(CalibrationView& view) { m_pView = &view; }
    CalibrationView& View() { return *m_pView; }

    void OnInitDialog();
    // Field exchange: false after a validation message (the focus is on the field).
    bool UpdateData(bool save);

    void OnTest();
    void OnRestoreDefault();
    void OnSaveOffset();
    void OnPrinterA();
    void OnPrinterB();
    void OnExit();

    CTransporter& Device() { return m_device; }
    void* Parent() const { return m_pParent; }
    bool IsDiscLoaded() const { return m_bDiscLoaded; }
    const Round& LastRound() const { return m_round; }

    // Fields.
    std::string m_strStatus;
    int m_nPrinter = -1; // -1 none, 0 printer A, 1 printer B
    int m_nLeftMargin = kCentreLeftMargin;
    int m_nLeftOffset = kCentreOffset;
    int m_nRightOffset = kCentreOffset;
    int m_nTopMargin = kCentreTopMargin;

private:
    void ResetFields();
    void ShowStatus(const std::string& text);
    void Unload();
    // Sends one value; the round records it and whether the device took it.
    bool Send(bool (CTransporter::*set)(int), int value, SentSetting& record);

    CTransporter& m_device;
    Clock& m_clock;
    void* m_pParent;
    CalibrationView* m_pView = nullptr;
    bool m_bDiscLoaded = false;
    bool m_bRestorePending = false;
    Round m_round;
};

} // namespace dax
