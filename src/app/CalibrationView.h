#pragma once

#include "app/DialogView.h"

#include <string>

namespace dax {

// What a calibration dialog asks of its window: its controls by id, message boxes, the wait
// cursor, letting the window repaint during device moves, and ending the modal run.
class CalibrationView {
public:
    virtual ~CalibrationView() = default;

    virtual void SetControlText(int id, const std::string& text) = 0;
    virtual std::string GetControlText(int id) = 0;
    // Radio buttons.
    virtual void SetCheck(int id, bool checked) = 0;
    virtual bool GetCheck(int id) = 0;
    virtual void EnableControl(int id, bool enabled) = 0;
    virtual bool IsControlEnabled(int id) = 0;
    virtual void ShowControl(int id, bool visible) = 0;
    virtual bool IsControlVisible(int id) = 0;
    virtual void SetSpinRange(int id, int lower, int upper) = 0;
    virtual void SetFocusId(int id) = 0;

    virtual MessageBoxResult MessageBox(const std::string& text, MessageBoxType type) = 0;
    // As DialogView::Ask: `question` for a front end that answers without a person.
    virtual MessageBoxResult Ask(Question question, const std::string& text, MessageBoxType type) {
        (void)question;
        return MessageBox(text, type);
    }
    virtual void SetWaitCursor(bool wait) = 0;
    virtual void PumpMessages() = 0;
    virtual void EndDialog(int result) = 0;
};

// The wait cursor for as long as a command runs, whichever way it ends.
class WaitCursorScope {
public:
    explicit WaitCursorScope(CalibrationView& view) : m_view(view) { m_view.SetWaitCursor(true); }
    ~WaitCursorScope() { m_view.SetWaitCursor(false); }
    WaitCursorScope(const WaitCursorScope&) = delete;
    WaitCursorScope& operator=(const WaitCursorScope&) = delete;

private:
    CalibrationView& m_view;
};

} // namespace dax
