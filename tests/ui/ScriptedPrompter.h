#pragma once

#include "ui/qt/Prompter.h"

#include <deque>
#include <string>
#include <vector>

namespace dax::ui {

// Answers the window's boxes from a script, without opening them; unscripted questions get
// the safe answer (No, Cancel).
class ScriptedPrompter : public Prompter {
public:
    MessageBoxResult MessageBox(QWidget*, const std::string& text, MessageBoxType type) override {
        messages.push_back(text);
        if (!answers.empty()) {
            const MessageBoxResult a = answers.front();
            answers.pop_front();
            return a;
        }
        return type == MessageBoxType::Ok      ? MessageBoxResult::Ok
               : type == MessageBoxType::YesNo ? MessageBoxResult::No
                                               : MessageBoxResult::Cancel;
    }
    bool OpenFile(QWidget*, const std::string&, const std::string&, const std::string&,
                  std::string& path) override {
        path = fileToOpen;
        return !fileToOpen.empty();
    }
    void About(QWidget*, const std::string& version, const std::string& legal,
               const std::string& date) override {
        abouts.push_back(version + "|" + legal + "|" + date);
    }

    std::deque<MessageBoxResult> answers;
    std::string fileToOpen; // the file chosen in the open-file box (none: cancelled)
    std::vector<std::string> messages;
    std::vector<std::string> abouts;
};

} // namespace dax::ui
