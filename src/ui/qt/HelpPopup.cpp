#include "ui/qt/HelpPopup.h"

#include "app/ContextHelp.h"

#include <QApplication>
#include <QFontMetrics>

namespace dax {

HelpPopup::HelpPopup() : QLabel(nullptr, Qt::ToolTip | Qt::FramelessWindowHint) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFont(QApplication::font("QStatusBar"));
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setMargin(0);
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignCenter);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, p.color(QPalette::ToolTipBase));
    p.setColor(QPalette::WindowText, p.color(QPalette::ToolTipText));
    setPalette(p);
    m_timer.setSingleShot(true);
    m_timer.setInterval(kHelpHideMs);
    connect(&m_timer, &QTimer::timeout, this, [this] { hide(); });
}

void HelpPopup::Measure(const std::string& text, int& width, int& height) const {
    const QFontMetrics metrics(font());
    width = metrics.horizontalAdvance(QString::fromLatin1(text.data(), qsizetype(text.size())));
    height = metrics.height();
}

void HelpPopup::ShowAt(const std::string& text, const QRect& rect) {
    setText(QString::fromLatin1(text.data(), qsizetype(text.size())));
    setGeometry(rect);
    show();
    raise();
    m_timer.start(); // restarts the 2 seconds
}

void HelpPopup::Hide() {
    m_timer.stop();
    hide();
}

} // namespace dax
