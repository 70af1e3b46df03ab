#include "cli/CliPrompts.h"

#include "platform/Format.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <unistd.h>
#ifndef _WIN32
#include <poll.h>
#endif

namespace dax {

namespace {

// How often a wait for an answer looks for a signal that came just before it began to wait.
constexpr int kSignalCheckMs = 200;

// A box's text on the status line, which is one line.
std::string OneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

std::string SignalName(int signal) {
    switch (signal) {
    case SIGINT:
        return "Ctrl-C";
    case SIGTERM:
        return "SIGTERM";
#ifndef _WIN32
    case SIGHUP:
        return "SIGHUP";
    case SIGQUIT:
        return "SIGQUIT";
#endif
    default:
        return Format("signal %d", signal);
    }
}

// What a command that did not get its confirmation has done: the box comes before the disc
// is loaded, so nothing has been printed or moved yet.
constexpr char kNothingDone[] = "nothing was printed or moved";

// An answer as typed, without blanks, in lower case.
std::string Normalised(std::string text) {
    text.erase(
        std::remove_if(text.begin(), text.end(), [](unsigned char c) { return std::isspace(c); }),
        text.end());
    for (char& c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

} // namespace

CliPrompts::CliPrompts(std::FILE* err, int in)
    : m_err(err), m_in(in), m_bTerminal(isatty(in) == 1 && isatty(fileno(err)) == 1) {}

void CliPrompts::Configure(const CliOptions& o) {
    // Only the commands that load a disc into the printer meet these boxes.
    m_bTakesDiscPlaced = m_bTakesRetry =
        o.command == "print-grid" || o.command == "calibrate-rotator";
    m_bTakesAssumeLoaded = o.command == "calibrate-pocket";
    m_bDiscPlaced = o.discPlaced;
    m_nRetries = o.retries.value_or(-1);
    m_bAssumeLoaded = o.assumeLoaded;
}

void CliPrompts::Stopped(const std::string& status) {
    if (m_strStop.empty())
        m_strStop = status;
}

MessageBoxResult CliPrompts::Answer(Question question, const std::string& text,
                                    MessageBoxType type) {
    std::fprintf(m_err, "%s\n", text.c_str());
    std::fflush(m_err);
    const std::string box = OneLine(text);
    switch (type) {
    case MessageBoxType::Ok:
        // A notice asks for nothing: nothing waits for it.
        if (question != Question::DiscOnTray)
            return MessageBoxResult::Ok;
        if (m_bDiscPlaced)
            return MessageBoxResult::Ok;
        if (m_nSignal == 0 && !m_bTerminal)
            Stopped(box + ": nobody to confirm it off a terminal, so " + kNothingDone +
                    "; pass --disc-placed when the disc is on the tray");
        break;
    case MessageBoxType::RetryCancel:
        if (m_nRetries >= 0 && m_nSignal == 0) {
            if (m_nRetried < m_nRetries) {
                ++m_nRetried;
                std::fprintf(m_err, "Retry %d of %d (--retry)\n", m_nRetried, m_nRetries);
                return MessageBoxResult::Retry;
            }
            Stopped(box + Format(": answered Cancel after %d retries (--retry %d)", m_nRetried,
                                 m_nRetries));
            return MessageBoxResult::Cancel;
        }
        if (m_nSignal == 0 && !m_bTerminal)
            Stopped(box + (m_bTakesRetry ? ": answered Cancel off a terminal; pass --retry N to "
                                           "answer Retry up to N times"
                                         : ": answered Cancel, no terminal to ask"));
        break;
    case MessageBoxType::YesNo:
        if (question == Question::DiscOnPrinter && m_bAssumeLoaded)
            return MessageBoxResult::Yes;
        if (m_nSignal == 0 && !m_bTerminal)
            Stopped(box + (question == Question::DiscOnPrinter && m_bTakesAssumeLoaded
                               ? ": answered No off a terminal; pass --assume-loaded when the "
                                 "disc is on the printer"
                               : ": answered No, no terminal to ask"));
        break;
    }
    // After a stop every box takes its safe answer: the person asked to end.
    if (m_nSignal != 0 || !m_bTerminal)
        return type == MessageBoxType::YesNo ? MessageBoxResult::No : MessageBoxResult::Cancel;
    return AskOnTerminal(question, box, type);
}

MessageBoxResult CliPrompts::AskOnTerminal(Question question, const std::string& box,
                                           MessageBoxType type) {
    const bool ok = type == MessageBoxType::Ok;
    const bool yesNo = type == MessageBoxType::YesNo;
    const MessageBoxResult safe = yesNo ? MessageBoxResult::No : MessageBoxResult::Cancel;
    const char* const safeName = yesNo ? "No" : "Cancel";
    for (;;) {
        std::fprintf(m_err, "%s",
                     ok      ? "Press Enter when done, Ctrl-C to stop: "
                     : yesNo ? "Yes or No? [y/n]: "
                             : "Retry or Cancel? [r/c]: ");
        std::fflush(m_err);
        std::string line;
        const Reply reply = ReadLine(line);
        if (reply == Reply::Signal) {
            std::fputc('\n', m_err);
            Stopped("Stopped by " + SignalName(m_nSignal) + " at \"" + box + "\"" +
                    (question == Question::DiscOnTray
                         ? std::string(": ") + kNothingDone
                         : std::string(" (answered ") + safeName + ")"));
            return safe;
        }
        if (reply == Reply::EndOfInput) {
            std::fputc('\n', m_err);
            Stopped(box + (ok ? std::string(": not confirmed (end of input), so ") + kNothingDone
                              : std::string(": answered ") + safeName + " (end of input)"));
            return safe;
        }
        const std::string answer = Normalised(line);
        if (ok)
            return MessageBoxResult::Ok;
        if (yesNo && (answer == "y" || answer == "yes"))
            return MessageBoxResult::Yes;
        if (yesNo && (answer == "n" || answer == "no"))
            return MessageBoxResult::No;
        if (!yesNo && (answer == "r" || answer == "retry"))
            return MessageBoxResult::Retry;
        if (!yesNo && (answer == "c" || answer == "cancel"))
            return MessageBoxResult::Cancel;
    }
}

CliPrompts::Reply CliPrompts::ReadLine(std::string& line) {
    // The first Ctrl-C ends the wait; the device is between steps, so nothing is cut short.
    m_signals.Hold(false);
    Reply reply = Reply::Answered;
    for (;;) {
        if (m_signals.Poll() == ProgrammingSignals::Request::Stop) {
            reply = Reply::Signal;
            break;
        }
#ifndef _WIN32
        // A signal ends poll() whatever the handler's flags; the time-out catches one that
        // came just before it.
        pollfd p{m_in, POLLIN, 0};
        if (poll(&p, 1, kSignalCheckMs) <= 0)
            continue;
#endif
        char c = 0;
        const auto n = read(m_in, &c, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            reply = m_signals.Poll() == ProgrammingSignals::Request::Stop ? Reply::Signal
                                                                          : Reply::EndOfInput;
            break;
        }
        if (c == '\n')
            break;
        if (c != '\r')
            line += c;
    }
    if (reply == Reply::Signal)
        m_nSignal = m_signals.StoppedBy();
    m_signals.Release();
    return reply;
}

} // namespace dax
