#include "ui/qt/AboutDialog.h"

#include "app/ControlIds.h"
#include "ui/qt/ProgramIcon.h"
#include "ui/qt/QtText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace dax {

namespace {

QLabel* TextLabel(const std::string& text, int id, QWidget* parent) {
    auto* label = new QLabel(ToQt(text), parent);
    label->setTextFormat(Qt::PlainText);
    label->setObjectName(QString("control%1").arg(id));
    return label;
}

} // namespace

AboutDialog::AboutDialog(const std::string& version, const std::string& legal,
                         const std::string& date, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle("About Daxtool");
    setWindowIcon(ProgramIcon());

    auto* icon = new QLabel(this);
    icon->setPixmap(ProgramIcon().pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop);

    auto* texts = new QVBoxLayout;
    texts->addWidget(TextLabel(version, IDC_ABOUT_VERSION, this));
    texts->addWidget(TextLabel(legal, IDC_ABOUT_LEGAL, this));
    texts->addWidget(TextLabel(date, IDC_ABOUT_DATE, this));
    texts->addStretch();

    auto* ok = new QPushButton("OK", this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addStretch();

    auto* row = new QHBoxLayout(this);
    row->addWidget(icon);
    row->addSpacing(8);
    row->addLayout(texts, 1);
    row->addLayout(buttons);
    setFixedSize(sizeHint().expandedTo(QSize(360, 0)));
}

} // namespace dax
