#pragma once

#include "platform/NamedMutex.h"
#include "platform/VersionBlock.h"

#include <memory>
#include <string>

namespace dax {

// Start-up of the program: the single-instance guard, the test level and the version texts.
class CDaxtoolApp {
public:
    static constexpr char kOwnMutex[] = "Kvx_DaxtoolIsLaunchedMutex";
    static constexpr char kJobServerMutex[] = "Kvx_eJDIsLaunchedMutex";
    static constexpr char kAlreadyRunning[] = "Daxtool is already running";
    static constexpr char kJobServerRunning[] =
        "The Jobdock or eJD service is running. Please stop it before running Daxtool.exe";

    // Takes both named mutexes and keeps them for the life of this object. False, with the
    // message to show in `refusal`, when another copy or the job server runs.
    bool AcquireInstance(NamedMutexFactory& mutexes, std::string& refusal);
    // After AcquireInstance: one line when a mutex could not be made at all, so the start went
    // on without the guard; empty otherwise.
    const std::string& GetGuardWarning() const { return m_strGuardWarning; }
    // Reads the -TestN option from the command line and the version texts.
    void ReadStartupOptions(const std::string& commandLine, const VersionBlock& version);

    // What the main dialog takes from start-up: test level and the About box's texts.
    void FillDialogContext(struct DialogContext& context) const;

    const std::string& GetVersion() const { return m_strVersion; }
    const std::string& GetDate() const { return m_strDate; }
    const std::string& GetLegal() const { return m_strLegal; }
    int GetTestLevel() const { return m_nTestLevel; }
    // What --version prints: a first line naming `program` and its version, as command-line
    // tools do, then the About box's texts (version, legal notice, revision date).
    std::string VersionReport(const std::string& program) const;

    std::string m_strVersion;
    std::string m_strDate;
    std::string m_strLegal;
    int m_nTestLevel = 0;

private:
    std::string m_strGuardWarning;
    std::unique_ptr<NamedMutex> m_ownMutex;
    std::unique_ptr<NamedMutex> m_jobServerMutex;
};

// The test level a command line asks for: the last blank-separated token of the form -TestN
// or /TestN ("Test" in any case) gives N's character code minus '0'; 0 without one.
int ParseTestLevel(const std::string& commandLine);
// "1, 2, 3, 0" -> "1.2.3.0": tokens split at ',' and ' ', joined with '.'.
std::string MakeVersionText(const std::string& fileVersion);

} // namespace dax
