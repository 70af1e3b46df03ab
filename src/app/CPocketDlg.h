#pragma once

#include "app/CalibrationView.h"
#include "app/SentSetting.h"
#include "devices/CTransporter.h"

#include <string>

namespace dax {

// The "Pocket CD Calibration" dialog: a pocket disc of the chosen size is loaded with the
// current offset; the technician enters the angle at which it came to rest and tests again
// until it is 90 degrees, then saves. It borrows the device for one modal run.
class CPocketDlg {
public:
    static constexpr int kIdealAngle = 90;
    static constexpr int kMaxAngle = 180;
    // The span of angles that maps onto offsets 0 to 64, the arrows' range.
    static constexpr int kSpinLower = 58;
    static constexpr int kSpinUpper = 122;
    static constexpr int kMaxOffset = 64;
    static constexpr int kDefaultOffsetRequest = 100;
    static constexpr int kSizes = 3;

    // What the last Test sent and how it went, for reports.
    struct Round {
        bool ran = false;
        SentSetting mediaSize;
        SentSetting offset;
        bool reloaded = false; // the disc on the printer was picked up again, not one from bin 1
        bool loaded = false;
        bool confirmedByHand = false; // the load failed and the technician said it is there
        int saved = -1;               // Save Offset: -1 not pressed, else the device's answer
    };

    CPocketDlg(CTransporter& device, void* parent = nullptr);

    void Attach(CalibrationView& view) { m_pView = &view; }
    CalibrationView& View() { return *m_pView; }

    void OnInitDialog();
    bool UpdateData(bool save);

    // index 0, 1, 2: "58 mm", "61 mm", "63 mm".
    void OnSize(int index);
    void OnTest();
    void OnRestoreDefault();
    void OnSaveOffset();
    void OnExit();

    // The media-size code of a size index; the millimetres of it.
    static int MediaSizeCode(int index);
    static int Millimetres(int index);
    // The offset an angle asks for.
    static int OffsetForAngle(int angle);

    CTransporter& Device() { return m_device; }
    void* Parent() const { return m_pParent; }
    bool IsDiscLoaded() const { return m_bDiscLoaded; }
    int MediaSize() const { return m_nMediaSize; }
    const Round& LastRound() const { return m_round; }

    // Fields.
    int m_nRadio = -1; // no size chosen
    int m_nAngle = kIdealAngle;
    std::string m_strStatus;

private:
    void Unload();

    CTransporter& m_device;
    void* m_pParent;
    CalibrationView* m_pView = nullptr;
    bool m_bDiscLoaded = false;
    int m_nMediaSize = 0;
    bool m_bRestorePending = false;
    Round m_round;
};

} // namespace dax
