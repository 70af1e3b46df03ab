#include "ui/qt/WaitBox.h"

#include "ui/qt/ProgramIcon.h"
#include "ui/qt/QtText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace dax {

WaitBox::WaitBox(const std::string& message) {
    setWindowTitle("Scanning...");
    setWindowIcon(ProgramIcon());
    setModal(false);

    auto* icon = new QLabel(this);
    icon->setPixmap(ProgramIcon().pixmap(32, 32));
    m_message = new QLabel(this);
    m_message->setObjectName("control1024");
    m_message->setTextFormat(Qt::PlainText);
    m_message->setAlignment(Qt::AlignCenter);
    m_message->setWordWrap(true);
    m_message->setMinimumWidth(260);

    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("control2");
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addWidget(m_message, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(cancel, 0, Qt::AlignHCenter);
    SetMessage(message);
}

void WaitBox::SetMessage(const std::string& message) {
    m_message->setText(ToQt(message));
    // The scan does not let the event loop run: paint the new text now.
    if (m_message->isVisible())
        m_message->repaint();
}

std::string WaitBox::Message() const {
    return FromQt(m_message->text());
}

} // namespace dax
