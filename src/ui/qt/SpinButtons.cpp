#include "ui/qt/SpinButtons.h"

#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace dax {

SpinButtons::SpinButtons(QLineEdit* buddy, QWidget* parent) : QWidget(parent), m_buddy(buddy) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int delta : {1, -1}) {
        auto* arrow = new QToolButton(this);
        arrow->setArrowType(delta > 0 ? Qt::UpArrow : Qt::DownArrow);
        arrow->setAutoRepeat(true);
        arrow->setFocusPolicy(Qt::NoFocus);
        arrow->setContextMenuPolicy(Qt::NoContextMenu);
        arrow->setFixedSize(16, 11);
        connect(arrow, &QToolButton::clicked, this, [this, delta] { Step(delta); });
        layout->addWidget(arrow);
    }
}

void SpinButtons::SetRange(int lower, int upper) {
    m_nLower = lower;
    m_nUpper = upper;
}

void SpinButtons::Step(int delta) {
    bool ok = false;
    int value = m_buddy->text().trimmed().toInt(&ok);
    if (!ok)
        value = m_nLower;
    const int lo = std::min(m_nLower, m_nUpper);
    const int hi = std::max(m_nLower, m_nUpper);
    value = std::clamp(value + delta, lo, hi);
    m_buddy->setText(QString::number(value));
}

} // namespace dax
