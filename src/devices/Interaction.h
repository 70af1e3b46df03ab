#pragma once

#include <string>

namespace dax {

// Which question a box asks, for a front end that answers it without a person (the command
// line's options). The text is for people; this is what an answer may be decided on.
enum class Question {
    None,          // a notice, or a question nothing but a person answers
    DiscOnTray,    // OK: the disc has been placed on the stand-alone printer's tray
    DiscOnPrinter, // Yes/No: after a failed load, the disc is on the printer all the same
};

// What a device needs from the person at the window while it works. The front end in use
// implements it; devices know nothing of dialogs.
class Interaction {
public:
    virtual ~Interaction() = default;
    // Lets the window repaint during a long loop.
    virtual void PumpMessages() = 0;
    // An OK box. False when nobody confirmed it (a front end with nobody to ask): what the box
    // asked for has not been done, and the work stops before it goes on.
    virtual bool ShowMessage(const std::string& text, Question question) = 0;
    // A Retry/Cancel box: true for Retry.
    virtual bool AskRetryCancel(const std::string& text) = 0;
    // Loops that only end on a failure (the mailbox test) stop at their next step: the window
    // is being closed, or the front end asks to stop (a signal on a terminal).
    virtual bool LoopStopRequested() { return false; }
};

// For work with nobody at the window: nothing to pump, OK boxes are dropped, questions cancelled.
class NoInteraction : public Interaction {
public:
    void PumpMessages() override {}
    bool ShowMessage(const std::string&, Question) override { return true; }
    bool AskRetryCancel(const std::string&) override { return false; }
};

} // namespace dax
