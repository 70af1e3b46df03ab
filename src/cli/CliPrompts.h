#pragma once

#include "app/DialogView.h"
#include "cli/CliOptions.h"
#include "cli/ProgrammingSignals.h"

#include <cstdio>
#include <string>

namespace dax {

// How the command line answers a box. An option of the command that answers its question
// answers it (--disc-placed, --retry N, --assume-loaded). Otherwise a person at a terminal (input
// and stderr both terminals) answers it there: Enter for an OK box that asks for something to be
// done first, r/c or y/n for a question, end of input the safe answer. Off a terminal the box
// gets its safe answer and stops the command, whose status then names the option that answers
// it. Ctrl-C (or SIGTERM, SIGHUP) while waiting takes the safe answer and stops the command.
class CliPrompts {
public:
    // Answers are read from `in`; boxes and questions go to `err`.
    CliPrompts(std::FILE* err, int in);

    // The command's options that answer boxes.
    void Configure(const CliOptions& o);

    // Shows the box on `err` and gives its answer.
    MessageBoxResult Answer(Question question, const std::string& text, MessageBoxType type);

    // Why a box stopped the command, for its status line; empty when none did.
    const std::string& StopStatus() const { return m_strStop; }
    // The signal that ended a wait for an answer, 0 when none did.
    int StoppedBySignal() const { return m_nSignal; }

private:
    enum class Reply { Answered, EndOfInput, Signal };
    // Reads one line from the terminal, waiting for as long as the person takes.
    Reply ReadLine(std::string& line);
    MessageBoxResult AskOnTerminal(Question question, const std::string& text, MessageBoxType type);
    // Keeps the first box's reason: later ones follow from it.
    void Stopped(const std::string& status);

    std::FILE* m_err;
    int m_in;
    bool m_bTerminal;
    bool m_bDiscPlaced = false;
    bool m_bAssumeLoaded = false;
    int m_nRetries = -1; // -1: no --retry
    int m_nRetried = 0;
    bool m_bTakesDiscPlaced = false;
    bool m_bTakesRetry = false;
    bool m_bTakesAssumeLoaded = false;
    std::string m_strStop;
    int m_nSignal = 0;
    ProgrammingSignals m_signals;
};

} // namespace dax
