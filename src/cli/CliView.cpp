#include "cli/CliView.h"

#include <unistd.h>

namespace dax {

CliView::CliView(std::FILE* err) : m_err(err), m_bTerminal(isatty(fileno(err)) == 1) {}

CliView::~CliView() {
    ClearProgress();
}

void CliView::SetControlText(int id, const std::string& text) {
    // The status line doubles as the progress of what runs now.
    if (id == IDC_STATUS && !text.empty() && text != GetControlText(id))
        Progress(text);
    PanelView::SetControlText(id, text);
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
    ClearProgress();
    std::fprintf(m_err, "%s\n", text.c_str());
    return PanelView::MessageBox(text, type);
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

} // namespace dax
