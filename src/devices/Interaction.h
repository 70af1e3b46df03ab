#pragma once

#include <string>

namespace dax {

// What a device needs from the person at the window while it works. The front end in use
// implements it; devices know nothing of dialogs.
class Interaction {
public:
    virtual ~Interaction() = default;
    // Lets the window repaint during a long loop.
    virtual void PumpMessages() = 0;
    // An OK box.
    virtual void ShowMessage(const std::string& text) = 0;
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
    void ShowMessage(const std::string&) override {}
    bool AskRetryCancel(const std::string&) override { return false; }
};

} // namespace dax
