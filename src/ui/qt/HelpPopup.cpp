#include "ui/qt/HelpPopup.h"

#include "app/ContextHelp.h"
#include "ui/qt/QtText.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>

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
    width = metrics.horizontalAdvance(ToQt(text));
    height = metrics.height();
}

QRect HelpPopup::OnScreen(const QRect& rect) {
    // The screen of the point the help was asked at (the popup's bottom middle); a point on no
    // screen (the context-menu key gives none) uses the primary one.
    const QPoint point(rect.center().x(), rect.bottom());
    const QScreen* screen = QGuiApplication::screenAt(point);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return rect;
    const QRect area = screen->availableGeometry();
    const PopupRect placed = KeepInside({rect.left(), rect.top(), rect.width(), rect.height()},
                                        {area.left(), area.top(), area.width(), area.height()});
    return QRect(placed.left, placed.top, placed.width, placed.height);
}

void HelpPopup::ShowAt(const std::string& text, const QRect& rect) {
    setText(ToQt(text));
    setGeometry(OnScreen(rect));
    show();
    raise();
    m_timer.start(); // restarts the 2 seconds
}

void HelpPopup::Hide() {
    m_timer.stop();
    hide();
}

} // namespace dax
