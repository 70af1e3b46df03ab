#pragma once

#include "app/CalibrationView.h"
#include "app/ControlPanel.h"

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace dax {

// A calibration dialog without a window: controls in memory, boxes recorded and answered from
// a list of answers, else with the safe answer (No, Cancel), or all by `answerBox`. The command
// line and the tests drive the dialogs through it.
class CalibrationPanelView : public CalibrationView {
public:
    void SetControlText(int id, const std::string& text) override { m_controls[id].text = text; }
    std::string GetControlText(int id) override { return m_controls[id].text; }
    void SetCheck(int id, bool checked) override { m_controls[id].checked = checked; }
    bool GetCheck(int id) override { return m_controls[id].checked; }
    void EnableControl(int id, bool enabled) override { m_controls[id].enabled = enabled; }
    bool IsControlEnabled(int id) override { return m_controls[id].enabled; }
    void ShowControl(int id, bool visible) override { m_controls[id].visible = visible; }
    bool IsControlVisible(int id) override { return m_controls[id].visible; }
    void SetSpinRange(int id, int lower, int upper) override {
        m_controls[id].spinLower = lower;
        m_controls[id].spinUpper = upper;
    }
    void SetFocusId(int id) override { focus = id; }

    MessageBoxResult MessageBox(const std::string& text, MessageBoxType type) override {
        return Ask(Question::None, text, type);
    }
    MessageBoxResult Ask(Question question, const std::string& text, MessageBoxType type) override {
        messages.push_back(text);
        if (answerBox)
            return answerBox(question, text, type);
        if (type == MessageBoxType::Ok)
            return MessageBoxResult::Ok;
        if (!answers.empty()) {
            const MessageBoxResult answer = answers.front();
            answers.pop_front();
            return answer;
        }
        return type == MessageBoxType::YesNo ? MessageBoxResult::No : MessageBoxResult::Cancel;
    }
    void SetWaitCursor(bool wait) override {
        waitCursor = wait;
        if (wait)
            ++waitCursors;
    }
    void PumpMessages() override {
        ++pumps;
        if (onPump)
            onPump();
    }
    void EndDialog(int result) override {
        ended = true;
        endResult = result;
    }

    const ControlPanel::Control& Control(int id) { return m_controls[id]; }

    std::vector<std::string> messages;
    std::deque<MessageBoxResult> answers; // for the questions, in order
    // Who answers every box instead, when set (the command line).
    std::function<MessageBoxResult(Question, const std::string&, MessageBoxType)> answerBox;
    int focus = IDC_NONE;
    bool waitCursor = false;
    int waitCursors = 0;
    int pumps = 0;
    std::function<void()> onPump; // what happens while the window repaints
    bool ended = false;
    int endResult = -1;

private:
    std::map<int, ControlPanel::Control> m_controls;
};

} // namespace dax
