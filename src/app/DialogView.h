#pragma once

#include "devices/Interaction.h"

#include <string>
#include <vector>

namespace dax {

class CRotationalDlg;
class CPocketDlg;

enum class MessageBoxType { Ok, YesNo, RetryCancel };
enum class MessageBoxResult { Ok, Cancel, Yes, No, Retry };

// Everything the dialog logic asks of the screen. The window implements it with widgets, the
// command line with its options and stdout/stderr, the tests with a recording fake. Controls are
// addressed by their ids (ControlIds.h) and change at once, as window controls do.
class DialogView {
public:
    virtual ~DialogView() = default;

    virtual void SetControlText(int id, const std::string& text) = 0;
    virtual std::string GetControlText(int id) = 0;
    virtual void SetCheck(int id, bool checked) = 0;
    virtual bool GetCheck(int id) = 0;
    // Combo boxes: their items replace the old ones; -1 is no selection.
    virtual void SetComboItems(int id, const std::vector<std::string>& items) = 0;
    virtual void SetComboSelection(int id, int index) = 0;
    virtual int GetComboSelection(int id) = 0;
    virtual void EnableControl(int id, bool enabled) = 0;
    virtual bool IsControlEnabled(int id) = 0;
    virtual void ShowControl(int id, bool visible) = 0;
    virtual bool IsControlVisible(int id) = 0;
    virtual void SetSpinRange(int id, int lower, int upper) = 0;
    // Keyboard focus: the id of the control that has it, IDC_NONE when none of ours.
    virtual int GetFocusId() = 0;
    virtual void SetFocusId(int id) = 0;

    virtual MessageBoxResult MessageBox(const std::string& text, MessageBoxType type) = 0;
    // A box whose answer a front end without a person may give by `question` (the command
    // line's options); a window shows it like any other.
    virtual MessageBoxResult Ask(Question question, const std::string& text, MessageBoxType type) {
        (void)question;
        return MessageBox(text, type);
    }
    // False when the user cancels; `path` receives the chosen file.
    virtual bool OpenFileDialog(const std::string& title, const std::string& filterName,
                                const std::string& pattern, std::string& path) = 0;
    virtual void SetWaitCursor(bool wait) = 0;
    // Lets the window repaint and handle input while an operation runs.
    virtual void PumpMessages() = 0;
    // An operation runs (true) or has ended (false): the command controls (kCommandControls)
    // look disabled meanwhile. The enabled state the dialog gives them in between is what they
    // show once it ends, and what IsControlEnabled says all along.
    virtual void SetBusyLook(bool) {}
    // How far a firmware download has got, beside its status text (0 to 100; -1: no download).
    virtual void ShowProgress(int /*percent*/) {}
    virtual void Beep() = 0;

    // Programming with the compatibility check disabled: `question` names what is skipped and
    // what would go where. True: program it. The window asks Yes/No; on the command line
    // --no-check has answered Yes.
    virtual bool ConfirmUncheckedFlash(const std::string& question) {
        return MessageBox(question, MessageBoxType::YesNo) == MessageBoxResult::Yes;
    }
    // Which image goes where, said once it is chosen and before anything is programmed. The
    // window has it in its status already; the command line says it on stderr.
    virtual void AnnounceFlash(const std::string& plan) { (void)plan; }

    // A firmware download is under way (true) until the transporter is found again or given up
    // (false). A front end that can be interrupted holds its ordinary interrupt back meanwhile.
    virtual void SetProgrammingUnderway(bool) {}
    // Serial numbers or loader parameters are being sent and stored (true) until the
    // transporter is back or given up (false): ended half-way, the transporter would keep a
    // mix of old and new values. Held back as a download is.
    virtual void SetStoringUnderway(bool) {}
    // The user insists on stopping what runs now: the firmware download stops at its next block,
    // a store before the values are committed.
    virtual bool StopRequested() { return false; }

    // A setting could not be kept; `text` says which, where and why. It is not the outcome of the
    // command that runs: the command line says it on stderr and in its trace, a window beside
    // its status.
    virtual void SettingNotSaved(const std::string& text) { (void)text; }

    // The modeless "Scanning..." box of the start-up scan.
    virtual void ShowWaitBox(const std::string& message) = 0;
    virtual void SetWaitBoxMessage(const std::string& message) = 0;
    virtual void CloseWaitBox() = 0;

    // The modal About box.
    virtual void ShowAboutBox(const std::string& version, const std::string& legal,
                              const std::string& date) = 0;

    // The calibration dialogs, modal: the view attaches their window, runs their OnInitDialog
    // and hands them every command until they end the run.
    virtual void RunRotationalDialog(CRotationalDlg& dlg) = 0;
    virtual void RunPocketDialog(CPocketDlg& dlg) = 0;

    // Ends the dialog's run (the close sequence or the end of the session).
    virtual void EndDialog(int result) = 0;

    // Context help. The id of the enabled, visible control under a screen point (IDC_NONE
    // when there is none); the size of a text in the help popup's font; the popup itself, a
    // one-line box that hides itself 2 seconds after each show.
    virtual int ControlAtPoint(int x, int y) = 0;
    virtual void MeasureText(const std::string& text, int& width, int& height) = 0;
    virtual void ShowHelpPopup(const std::string& text, int left, int top, int width,
                               int height) = 0;
    virtual void HideHelpPopup() = 0;
};

} // namespace dax
