#pragma once

#include "CommandParser.h"
#include "FlashReceiver.h"
#include "JsonLog.h"
#include "PrinterPort.h"
#include "Profile.h"
#include "PseudoTerminal.h"
#include "SimPrinter.h"
#include "SimTransporter.h"

#include <chrono>
#include <csignal>
#include <cstddef>
#include <random>
#include <string>
#include <vector>

namespace dax::sim {

// Serves the line: bytes in, answers out, at the device's own rate only. The three states are
// the ones the host can tell apart: answering commands, taking firmware data, and restarting
// (silent, everything received is lost). Paced, it reads no faster than the line would carry the
// bytes, so that a writer is held back by the full pseudo-terminal as by a real line's handshake.
// The printer's own ports are read whenever bytes come, unpaced, and before a status poll on the
// line is answered, so that print data written before the poll are taken first.
class CSimServer {
public:
    using Clock = std::chrono::steady_clock;

    // ports: the printer's own ports (USB, parallel), read alongside the serial line.
    CSimServer(const SDeviceConfig& config, CPseudoTerminal& line, CJsonLog& log,
               std::vector<CPrinterPort*> ports = {});

    // The capture file and the page directory of every printer.
    bool OpenCapture(const std::string& path, std::string& error);
    void SetPbmDirectory(const std::string& dir);

    // Runs until stop becomes non-zero or the line fails; returns false on a line failure.
    // The signals in blocked are let through only while waiting for bytes.
    bool Run(volatile std::sig_atomic_t& stop, const sigset_t& waitMask);

private:
    enum class EState { Serving, Programming, Restarting };

    void OnBytes(const std::string& bytes, Clock::time_point now);
    void OnTimers(Clock::time_point now);
    void Serve(const std::string& bytes, int rate, Clock::time_point now);
    void AtWrongRate(const std::string& bytes, int rate);
    void Program(const std::string& bytes, int rate, Clock::time_point now);
    void Process(const SCommand& command, Clock::time_point now);
    void Send(const std::string& bytes, const SCommand& command, const char* fault);
    void StartRestart(Clock::time_point now, const char* why);
    void FinishFlash(Clock::time_point now);
    void LogJunk(const std::string& bytes, const char* why);
    std::string RandomBytes(std::size_t count);
    int WaitMs(Clock::time_point now) const;
    std::size_t PaceChunk() const;
    void Carry(std::size_t count, Clock::time_point now);
    void LogRestarted();
    // The calibration settings in use after `why` ("set", "stored", "restarted").
    void LogSettings(const char* why);
    bool ReadPrinterPort(CPrinterPort& port);
    void DrainPrinterPorts();
    void TakeSerialPrint(const SPrintCommand& command);
    // The printer behind a port: the only one, or the dual-printer transporter's A or B;
    // nothing for a port whose printer is not the transporter's.
    CSimPrinter* PrinterOf(const CPrinterPort& port);
    // Each takes what is its own of bytes from a printer port and returns the rest: print data
    // up to a firmware command, firmware up to the image's end.
    std::string PrintOnPort(CPrinterPort& port, const std::string& bytes);
    std::string ProgramOnPort(CPrinterPort& port, const std::string& bytes);
    void LogHalcyraSettings(const char* why);

    SDeviceConfig m_config;
    CPseudoTerminal& m_line;
    CJsonLog& m_log;
    CSimTransporter m_device;
    std::vector<CPrinterPort*> m_ports;
    CSimPrinter m_printer;
    CSimPrinter m_printerB; // the dual-printer transporter's printer B
    CCommandParser m_parser;
    CFlashReceiver m_flash;
    std::mt19937 m_random;
    EState m_state = EState::Serving;
    Clock::time_point m_lastRx;
    Clock::time_point m_restartEnd;
    Clock::time_point m_lineFree; // paced: the line still carries the bytes last read until then
    bool m_bFlashFailed = false;
    bool m_bStoreAll = false; // the settings change being logged is ESC "!h1C": every printer's
};

} // namespace dax::sim
