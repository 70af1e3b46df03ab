#pragma once

#include "app/DialogView.h"
#include "ui/win32/Win32Api.h"

#include <string>

namespace dax::win32 {

// Every modal box the window opens goes through this, so that tests can answer them from a
// script instead of running the system's own modal loop.
class Prompter {
public:
    virtual ~Prompter() = default;
    virtual MessageBoxResult MessageBox(HWND owner, const std::string& text,
                                        MessageBoxType type) = 0;
    // False when the user cancels; `path` receives the chosen file in the system's code page,
    // as the file is opened with it.
    virtual bool OpenFile(HWND owner, const std::string& title, const std::string& filterName,
                          const std::string& pattern, std::string& path) = 0;
    virtual void About(HWND owner, const std::string& version, const std::string& legal,
                       const std::string& date) = 0;
};

// The system's boxes: MessageBox, the open-file dialog and the About box of template 100.
class SystemPrompter : public Prompter {
public:
    MessageBoxResult MessageBox(HWND owner, const std::string& text, MessageBoxType type) override;
    bool OpenFile(HWND owner, const std::string& title, const std::string& filterName,
                  const std::string& pattern, std::string& path) override;
    void About(HWND owner, const std::string& version, const std::string& legal,
               const std::string& date) override;
};

} // namespace dax::win32
