#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace dax {

// Up and down arrows that step the integer in their buddy edit within a range, as an up-down
// control attached to an edit does.
class SpinButtons : public QWidget {
public:
    SpinButtons(QLineEdit* buddy, QWidget* parent);
    void SetRange(int lower, int upper);
    int Lower() const { return m_nLower; }
    int Upper() const { return m_nUpper; }
    void Step(int delta);

private:
    QLineEdit* m_buddy;
    int m_nLower = 0;
    int m_nUpper = 9;
};

} // namespace dax
