#include "cli/CliView.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace dax {

namespace {
constexpr char kDownloading[] = "Downloading - ";
} // namespace

CliView::CliView(std::FILE* err)
    : m_err(err), m_bTerminal(isatty(fileno(err)) == 1), m_prompts(err, STDIN_FILENO) {}

CliView::~CliView() {
    ClearProgress();
}

void CliView::SetControlText(int id, const std::string& text) {
    // The status line doubles as the progress of what runs now.
    if (id == IDC_STATUS && !text.empty() && text != GetControlText(id)) {
        if (text.rfind(kDownloading, 0) == 0 && text.back() == '%')
            DownloadProgress(text);
        else
            Progress(text);
    }
    PanelView::SetControlText(id, text);
}

bool CliView::OpenFileDialog(const std::string&, const std::string&, const std::string&,
                             std::string& path) {
    if (m_strFile.empty())
        return false;
    path = m_strFile;
    return true;
}

void CliView::DownloadProgress(const std::string& status) {
    const int percent = std::atoi(status.c_str() + std::strlen(kDownloading));
    if (!m_bTerminal) {
        // Logs and pipes get one plain line per step.
        std::fprintf(m_err, "%s\n", status.c_str());
        std::fflush(m_err);
        return;
    }
    constexpr int kWidth = 40;
    const int filled = std::clamp(percent, 0, 100) * kWidth / 100;
    Progress("Downloading [" + std::string(size_t(filled), '#') +
             std::string(size_t(kWidth - filled), '.') + "] " + std::to_string(percent) + "%");
}

void CliView::Progress(const std::string& text) {
    if (!m_bTerminal)
        return;
    std::fprintf(m_err, "\r\033[K%s", text.c_str());
    std::fflush(m_err);
    m_bProgressShown = true;
}

void CliView::ClearProgress() {
    if (!m_bProgressShown)
        return;
    std::fprintf(m_err, "\r\033[K");
    std::fflush(m_err);
    m_bProgressShown = false;
}

MessageBoxResult CliView::MessageBox(const std::string& text, MessageBoxType type) {
    return Ask(Question::None, text, type);
}

MessageBoxResult CliView::Ask(Question question, const std::string& text, MessageBoxType type) {
    messages.push_back(text);
    return AnswerBox(question, text, type);
}

MessageBoxResult CliView::AnswerBox(Question question, const std::string& text,
                                    MessageBoxType type) {
    ClearProgress();
    return m_prompts.Answer(question, text, type);
}

bool CliView::ConfirmUncheckedFlash(const std::string& question) {
    ClearProgress();
    std::fprintf(m_err, "%s\nYes (--no-check)\n", question.c_str());
    std::fflush(m_err);
    return true;
}

void CliView::AnnounceFlash(const std::string& plan) {
    ClearProgress();
    std::fprintf(m_err, "Programming %s\n", plan.c_str());
    std::fflush(m_err);
}

void CliView::SettingNotSaved(const std::string& text) {
    ClearProgress();
    std::fprintf(m_err, "Warning: %s\n", text.c_str());
    std::fflush(m_err);
    if (m_trace)
        m_trace->Note("warning: " + text);
}

void CliView::Beep() {
    if (m_bTerminal) {
        std::fputc('\a', m_err);
        std::fflush(m_err);
    }
}

void CliView::ShowAboutBox(const std::string& version, const std::string& legal,
                           const std::string& date) {
    std::fprintf(m_err, "%s\n%s\n%s\n", version.c_str(), legal.c_str(), date.c_str());
}

void CliView::SetProgrammingUnderway(bool underway) {
    m_bStoring = false;
    if (underway)
        m_signals.Hold();
    else
        m_signals.Release();
}

void CliView::SetStoringUnderway(bool underway) {
    m_bStoring = underway;
    if (underway)
        m_signals.Hold();
    else
        m_signals.Release();
}

void CliView::SetStoppable(bool stoppable) {
    if (stoppable)
        m_signals.Hold(false);
    else
        m_signals.Release();
}

void CliView::PumpMessages() {
    if (m_pumpProgress)
        Progress(m_pumpProgress());
}

bool CliView::StopRequested() {
    switch (m_signals.Poll()) {
    case ProgrammingSignals::Request::Stop:
        return true;
    case ProgrammingSignals::Request::Warn:
        ClearProgress();
        std::fprintf(m_err, "%s",
                     m_bStoring ? "Warning: stopping now may leave the transporter with some "
                                  "values new and some old; the update goes on (Ctrl-C again "
                                  "stops it at its next step)\n"
                                : "Warning: stopping now leaves the transporter in programming "
                                  "mode; the update goes on (Ctrl-C again stops it anyway)\n");
        std::fflush(m_err);
        return false;
    case ProgrammingSignals::Request::None:
        break;
    }
    return false;
}

} // namespace dax
