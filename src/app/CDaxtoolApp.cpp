#include "app/CDaxtoolApp.h"

#include "app/CDaxtoolDlg.h"
#include "platform/ProgramDirectory.h"

#include <cctype>

namespace dax {

namespace {

bool Refuses(NamedMutex::Result r) {
    // Any other outcome, a failed creation included, lets the program start.
    return r == NamedMutex::Result::AlreadyExists || r == NamedMutex::Result::AccessDenied;
}

} // namespace

bool CDaxtoolApp::AcquireInstance(NamedMutexFactory& mutexes, std::string& refusal) {
    std::string unguarded;
    auto take = [&](std::unique_ptr<NamedMutex>& mutex, const char* name, bool shared) {
        mutex = mutexes.create();
        const NamedMutex::Result r = shared ? mutex->createShared(name) : mutex->create(name);
        if (r == NamedMutex::Result::OtherError)
            unguarded += (unguarded.empty() ? "" : "; ") + mutex->lastErrorText();
        return r;
    };
    // Something that is no running copy's mutex stands in its place: the refusal names it, as
    // only removing it lets the program start.
    auto refuse = [&](const NamedMutex& mutex, const char* running) {
        const std::string obstacle = mutex.obstacle();
        refusal = obstacle.empty() ? running : "Daxtool cannot start: " + obstacle;
        return false;
    };
    m_strGuardWarning.clear();
    if (Refuses(take(m_ownMutex, kOwnMutex, false))) {
        refuse(*m_ownMutex, kAlreadyRunning);
        m_ownMutex.reset();
        return false;
    }
    // The job server's name, which it takes itself: this program only keeps it from starting.
    if (Refuses(take(m_jobServerMutex, kJobServerMutex, true))) {
        refuse(*m_jobServerMutex, kJobServerRunning);
        m_jobServerMutex.reset();
        m_ownMutex.reset();
        return false;
    }
    if (!unguarded.empty())
        m_strGuardWarning = "Warning: starting without the single-instance guard (" + unguarded +
                            "); another copy or the job server would go unnoticed";
    return true;
}

void CDaxtoolApp::ReadStartupOptions(const std::string& commandLine, const VersionBlock& version) {
    m_nTestLevel = ParseTestLevel(commandLine);
    if (version.present) {
        m_strVersion = MakeVersionText(version.fileVersion);
        m_strDate = version.date;
        m_strLegal = version.legalCopyright;
    }
}

std::string CDaxtoolApp::VersionReport(const std::string& program) const {
    std::string report = program + " " + m_strVersion + "\nVersion " + m_strVersion;
    for (const std::string* line : {&m_strLegal, &m_strDate})
        if (!line->empty())
            report += "\n" + *line;
    return report;
}

void CDaxtoolApp::FillDialogContext(DialogContext& context) const {
    context.testLevel = m_nTestLevel;
    context.version = m_strVersion;
    context.date = m_strDate;
    context.legal = m_strLegal;
    context.dataDirectories = DataDirectories();
}

int ParseTestLevel(const std::string& commandLine) {
    int level = 0;
    size_t pos = 0;
    while (pos < commandLine.size()) {
        while (pos < commandLine.size() && commandLine[pos] == ' ')
            ++pos;
        const size_t end = commandLine.find(' ', pos);
        const std::string token =
            commandLine.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
        pos = end == std::string::npos ? commandLine.size() : end;
        if (token.size() < 5 || (token[0] != '-' && token[0] != '/'))
            continue;
        bool isTest = true;
        for (size_t i = 0; i < 4; ++i)
            isTest = isTest && std::tolower(static_cast<unsigned char>(token[1 + i])) == "test"[i];
        if (isTest) {
            // The character after "Test"; the end of the token counts as a zero character.
            const int c = token.size() > 5 ? static_cast<unsigned char>(token[5]) : 0;
            level = c - '0';
        }
    }
    return level;
}

std::string MakeVersionText(const std::string& fileVersion) {
    std::string text;
    size_t pos = 0;
    while (pos < fileVersion.size()) {
        const size_t start = fileVersion.find_first_not_of(", ", pos);
        if (start == std::string::npos)
            break;
        const size_t end = fileVersion.find_first_of(", ", start);
        text += fileVersion.substr(start, end == std::string::npos ? end : end - start);
        text += '.';
        pos = end == std::string::npos ? fileVersion.size() : end;
    }
    if (!text.empty())
        text.pop_back();
    return text;
}

} // namespace dax
