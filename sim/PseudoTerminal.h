#pragma once

#include <cstddef>
#include <string>

namespace dax::sim {

// The device's end of the serial line: a pseudo-terminal master. The simulator also keeps the
// slave open itself, for two reasons: the line's termios (the rate the host set on its side) can
// be read from it whenever bytes arrive, and the master never sees a hang-up while the host has
// the port closed between two probes.
class CPseudoTerminal {
public:
    CPseudoTerminal() = default;
    ~CPseudoTerminal();
    CPseudoTerminal(const CPseudoTerminal&) = delete;
    CPseudoTerminal& operator=(const CPseudoTerminal&) = delete;

    bool Open(std::string& error);
    const std::string& SlavePath() const { return m_strSlavePath; }
    int MasterFd() const { return m_nMaster; }

    // The rate the host's side is set to, in baud; 0 when it cannot be read.
    int CurrentRate() const;

    // What is readable now, at most limit bytes, without waiting; false when the master failed.
    bool ReadAvailable(std::string& out, std::size_t limit);

    // Writes all bytes, waiting at most a second for room; false when they could not go out.
    bool Write(const std::string& bytes);

private:
    int m_nMaster = -1;
    int m_nSlave = -1;
    std::string m_strSlavePath;
};

// speed_t constant to baud, 0 for rates the simulator does not know.
int BaudFromSpeed(unsigned speed);

} // namespace dax::sim
