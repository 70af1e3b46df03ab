#pragma once

#include "app/PanelView.h"
#include "cli/CliPrompts.h"
#include "cli/FileTrace.h"
#include "cli/ProgrammingSignals.h"

#include <cstdio>
#include <functional>
#include <string>

namespace dax {

// The dialog's view on a terminal: boxes go to stderr and are answered as CliPrompts says, and
// on a terminal the progress of the scan and of long operations shows on one line that is
// rewritten.
class CliView : public PanelView {
public:
    explicit CliView(std::FILE* err = stderr);
    ~CliView() override;

    void SetControlText(int id, const std::string& text) override;
    // The file the open-file dialog "chooses".
    void SetFileToOpen(const std::string& path) { m_strFile = path; }
    bool OpenFileDialog(const std::string&, const std::string&, const std::string&,
                        std::string& path) override;
    MessageBoxResult MessageBox(const std::string& text, MessageBoxType type) override;
    MessageBoxResult Ask(Question question, const std::string& text, MessageBoxType type) override;
    // The boxes of the calibration dialogs come here too.
    MessageBoxResult AnswerBox(Question question, const std::string& text, MessageBoxType type);
    CliPrompts& Prompts() { return m_prompts; }
    void Beep() override;
    // --no-check answers the question Yes; it is shown on stderr all the same.
    bool ConfirmUncheckedFlash(const std::string& question) override;
    void AnnounceFlash(const std::string& plan) override;
    void ShowWaitBox(const std::string& message) override { Progress(message); }
    void SetWaitBoxMessage(const std::string& message) override { Progress(message); }
    void CloseWaitBox() override { ClearProgress(); }
    void ShowAboutBox(const std::string& version, const std::string& legal,
                      const std::string& date) override;
    void SetProgrammingUnderway(bool underway) override;
    void SetStoringUnderway(bool underway) override;
    bool StopRequested() override;
    // The signal that stopped a firmware download, 0 when none did.
    int StoppedBySignal() const { return m_signals.StoppedBy(); }

    // While a loop that stops at any step runs (the mailbox test): Ctrl-C, SIGTERM or SIGHUP
    // stops it at its next step.
    void SetStoppable(bool stoppable);
    // A count shown on a terminal's progress line each time the loop lets the window repaint.
    void SetPumpProgress(std::function<std::string()> text) { m_pumpProgress = std::move(text); }
    void PumpMessages() override;

    // Clears the progress line before the report is printed.
    void ClearProgress();

    // A setting that could not be kept: a warning on stderr, and a note in the trace.
    void SettingNotSaved(const std::string& text) override;
    void SetTrace(FileTrace* trace) { m_trace = trace; }

private:
    void Progress(const std::string& text);
    void DownloadProgress(const std::string& status);

    std::FILE* m_err;
    bool m_bTerminal;
    bool m_bProgressShown = false;
    std::string m_strFile;
    ProgrammingSignals m_signals;
    FileTrace* m_trace = nullptr;
    bool m_bStoring = false; // the hold is over a store, not a download
    std::function<std::string()> m_pumpProgress;
    CliPrompts m_prompts;
};

} // namespace dax
