#include "ui/qt/ControlTable.h"

#include "ui/qt/QtText.h"
#include "ui/qt/SpinButtons.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace dax {

QWidget* ControlTable::Find(int id) const {
    auto it = m_widgets.find(id);
    return it == m_widgets.end() ? nullptr : it->second;
}

void ControlTable::SetText(int id, const std::string& text) {
    QWidget* w = Find(id);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        edit->setText(ToQt(text));
        edit->setCursorPosition(0); // a text longer than the field shows its start
    } else if (auto* button = qobject_cast<QAbstractButton*>(w))
        button->setText(ToQt(text));
    else if (auto* label = qobject_cast<QLabel*>(w))
        label->setText(ToQt(text));
}

std::string ControlTable::Text(int id) const {
    QWidget* w = Find(id);
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        return FromQt(edit->text());
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        return FromQt(button->text());
    if (auto* label = qobject_cast<QLabel*>(w))
        return FromQt(label->text());
    if (auto* combo = qobject_cast<QComboBox*>(w))
        return FromQt(combo->currentText());
    return {};
}

void ControlTable::SetChecked(int id, bool checked) {
    auto* button = qobject_cast<QAbstractButton*>(Find(id));
    if (!button)
        return;
    // The checked button of a radio group cannot be unchecked while it is exclusive.
    const bool exclusive = button->autoExclusive();
    button->setAutoExclusive(false);
    button->setChecked(checked);
    button->setAutoExclusive(exclusive);
}

bool ControlTable::IsChecked(int id) const {
    auto* button = qobject_cast<QAbstractButton*>(Find(id));
    return button && button->isChecked();
}

void ControlTable::Enable(int id, bool enabled) {
    if (QWidget* w = Find(id))
        w->setEnabled(enabled);
}

bool ControlTable::IsEnabled(int id) const {
    QWidget* w = Find(id);
    return w && w->isEnabledTo(&m_window);
}

void ControlTable::Show(int id, bool visible) {
    if (QWidget* w = Find(id))
        w->setVisible(visible);
}

bool ControlTable::IsShown(int id) const {
    QWidget* w = Find(id);
    return w && !w->isHidden();
}

void ControlTable::SetSpinRange(int id, int lower, int upper) {
    if (auto* spin = dynamic_cast<SpinButtons*>(Find(id)))
        spin->SetRange(lower, upper);
}

void ControlTable::Focus(int id) {
    QWidget* w = Find(id);
    if (!w)
        return;
    w->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        edit->selectAll();
}

} // namespace dax
