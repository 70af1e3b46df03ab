#pragma once

#include "app/DialogView.h"

#include <string>

class QWidget;

namespace dax {

// Every modal box the window opens goes through this, so that tests can answer them from a
// script instead of running a nested event loop.
class Prompter {
public:
    virtual ~Prompter() = default;
    virtual MessageBoxResult MessageBox(QWidget* parent, const std::string& text,
                                        MessageBoxType type) = 0;
    // False when the user cancels; `path` receives the chosen file.
    virtual bool OpenFile(QWidget* parent, const std::string& title, const std::string& filterName,
                          const std::string& pattern, std::string& path) = 0;
    virtual void About(QWidget* parent, const std::string& version, const std::string& legal,
                       const std::string& date) = 0;
};

// The real boxes: QMessageBox, QFileDialog and the About box.
class QtPrompter : public Prompter {
public:
    MessageBoxResult MessageBox(QWidget* parent, const std::string& text,
                                MessageBoxType type) override;
    bool OpenFile(QWidget* parent, const std::string& title, const std::string& filterName,
                  const std::string& pattern, std::string& path) override;
    void About(QWidget* parent, const std::string& version, const std::string& legal,
               const std::string& date) override;
};

} // namespace dax
