#pragma once

#include <QDialog>
#include <string>

namespace dax {

// The About box: icon, "Version ...", the legal notice and the revision date, and OK.
class AboutDialog : public QDialog {
public:
    AboutDialog(const std::string& version, const std::string& legal, const std::string& date,
                QWidget* parent = nullptr);
};

} // namespace dax
