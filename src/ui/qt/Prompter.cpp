#include "ui/qt/Prompter.h"

#include "ui/qt/AboutDialog.h"
#include "ui/qt/ProgramIcon.h"
#include "ui/qt/QtText.h"

#include <QFileDialog>
#include <QMessageBox>

namespace dax {

MessageBoxResult QtPrompter::MessageBox(QWidget* parent, const std::string& text,
                                        MessageBoxType type) {
    QMessageBox::Icon icon = QMessageBox::Warning;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    if (type == MessageBoxType::YesNo) {
        icon = QMessageBox::Question;
        buttons = QMessageBox::Yes | QMessageBox::No;
    } else if (type == MessageBoxType::RetryCancel) {
        buttons = QMessageBox::Retry | QMessageBox::Cancel;
    }
    QMessageBox box(icon, "Daxtool", ToQt(text), buttons, parent);
    box.setWindowIcon(ProgramIcon());
    switch (box.exec()) {
    case QMessageBox::Yes:
        return MessageBoxResult::Yes;
    case QMessageBox::No:
        return MessageBoxResult::No;
    case QMessageBox::Retry:
        return MessageBoxResult::Retry;
    case QMessageBox::Ok:
        return MessageBoxResult::Ok;
    default:
        // Closed by the window's own close button or Escape: the safe answer.
        return type == MessageBoxType::Ok      ? MessageBoxResult::Ok
               : type == MessageBoxType::YesNo ? MessageBoxResult::No
                                               : MessageBoxResult::Cancel;
    }
}

bool QtPrompter::OpenFile(QWidget* parent, const std::string& title, const std::string& filterName,
                          const std::string& pattern, std::string& path) {
    // A filter name that already names its pattern ("Flash Files(*.bin)") is used as it is.
    QString filter = QString::fromStdString(filterName);
    if (!filter.contains('('))
        filter += " (" + QString::fromStdString(pattern) + ")";
    const QString chosen =
        QFileDialog::getOpenFileName(parent, QString::fromStdString(title), QString(), filter);
    if (chosen.isEmpty())
        return false;
    path = QFile::encodeName(chosen).toStdString();
    return true;
}

void QtPrompter::About(QWidget* parent, const std::string& version, const std::string& legal,
                       const std::string& date) {
    AboutDialog box(version, legal, date, parent);
    box.exec();
}

} // namespace dax
