#pragma once

#include <QLabel>
#include <QTimer>
#include <string>

namespace dax {

// The one-line help box: a thin-bordered tool-tip window in the status-bar font that hides
// itself 2 seconds after it was last shown. Clicks and keys do not dismiss it.
class HelpPopup : public QLabel {
public:
    HelpPopup();
    void Measure(const std::string& text, int& width, int& height) const;
    // Shows the text in `rect`, moved as far as needed to lie inside the screen.
    void ShowAt(const std::string& text, const QRect& rect);
    static QRect OnScreen(const QRect& rect);
    void Hide();
    const QTimer& HideTimer() const { return m_timer; }

private:
    QTimer m_timer;
};

} // namespace dax
