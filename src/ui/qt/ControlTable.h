#pragma once

#include <QWidget>
#include <map>
#include <string>

namespace dax {

// The widgets of a window's controls, found by their ids, and what the dialogs do to a control
// by its id. An id without a widget is ignored (a control this window does not have).
class ControlTable {
public:
    explicit ControlTable(QWidget& window) : m_window(window) {}

    void Add(int id, QWidget* widget) { m_widgets[id] = widget; }
    QWidget* Find(int id) const;

    // Line edits, buttons and labels; a combo box reads as its current text.
    void SetText(int id, const std::string& text);
    std::string Text(int id) const;
    void SetChecked(int id, bool checked);
    bool IsChecked(int id) const;
    void Enable(int id, bool enabled);
    // Enabled as far as the window goes: a disabled window does not disable its controls here.
    bool IsEnabled(int id) const;
    void Show(int id, bool visible);
    // Its own state: the window itself may not be shown yet.
    bool IsShown(int id) const;
    void SetSpinRange(int id, int lower, int upper);
    // A line edit that gets the focus has its text selected, ready to be typed over.
    void Focus(int id);

private:
    QWidget& m_window;
    std::map<int, QWidget*> m_widgets;
};

} // namespace dax
