#include "SimServer.h"

#include "FirmwareImage.h"

#include <algorithm>
#include <cerrno>
#include <limits>
#include <optional>
#include <poll.h>

namespace dax::sim {

namespace {

// A command that stops arriving half-way is given up after this long.
constexpr int kIncompleteCommandMs = 1000;

// Paced reading: how late a wake-up may be and still count as the line carrying on without a break.
constexpr int kLateWakeMs = 20;

const char* TargetName(EFlashTarget t) {
    return t == EFlashTarget::Printer ? "printer" : "transporter";
}

} // namespace

CSimServer::CSimServer(const SDeviceConfig& config, CPseudoTerminal& line, CJsonLog& log,
                       std::vector<CPrinterPort*> ports)
    : m_config(config), m_line(line), m_log(log), m_device(config), m_ports(std::move(ports)),
      m_printer(m_device, log, config.halcyra ? "a" : ""), m_printerB(m_device, log, "b"),
      m_parser(config.inkographer ? CCommandParser::ECommandSet::Inkographer
               : config.halcyra   ? CCommandParser::ECommandSet::Halcyra
                                  : CCommandParser::ECommandSet::Transporter),
      m_random(config.seed) {}

bool CSimServer::OpenCapture(const std::string& path, std::string& error) {
    if (!m_printer.OpenCapture(path, error))
        return false;
    m_printerB.ShareCapture(m_printer);
    return true;
}

void CSimServer::SetPbmDirectory(const std::string& dir) {
    m_printer.SetPbmDirectory(dir);
    m_printerB.SetPbmDirectory(dir);
}

CSimPrinter* CSimServer::PrinterOf(const CPrinterPort& port) {
    switch (port.Printer()) {
    case 0:
    case 'A':
        return &m_printer;
    case 'B':
        return &m_printerB;
    default:
        return nullptr;
    }
}

bool CSimServer::Run(volatile std::sig_atomic_t& stop, const sigset_t& waitMask) {
    while (!stop) {
        const auto before = Clock::now();
        // Paced: while the line still carries the bytes last read, the next ones stay unread.
        const bool lineBusy = m_config.pace && before < m_lineFree;
        const int timerMs = WaitMs(before);
        std::optional<Clock::duration> wait;
        if (timerMs >= 0)
            wait = std::chrono::milliseconds(timerMs);
        if (lineBusy && (!wait || m_lineFree - before < *wait))
            wait = m_lineFree - before;
        const long long ns =
            wait ? std::chrono::duration_cast<std::chrono::nanoseconds>(*wait).count() : 0;
        timespec ts{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
        // A busy line is left out of the poll (fd -1); the printer ports are always in it.
        std::vector<pollfd> fds;
        fds.push_back({lineBusy ? -1 : m_line.MasterFd(), POLLIN, 0});
        for (CPrinterPort* port : m_ports)
            fds.push_back({port->Line().MasterFd(), POLLIN, 0});
        const int n = ppoll(fds.data(), fds.size(), wait ? &ts : nullptr, &waitMask);
        if (n < 0 && errno != EINTR)
            return false;
        const auto now = Clock::now();
        OnTimers(now);
        constexpr short kReadable = POLLIN | POLLHUP | POLLERR;
        for (std::size_t i = 0; n > 0 && i < m_ports.size(); ++i) {
            if ((fds[i + 1].revents & kReadable) && !ReadPrinterPort(*m_ports[i]))
                return false;
        }
        if (!lineBusy && n > 0 && (fds[0].revents & kReadable)) {
            std::string bytes;
            const bool ok = m_line.ReadAvailable(
                bytes, m_config.pace ? PaceChunk() : std::numeric_limits<std::size_t>::max());
            if (!bytes.empty()) {
                Carry(bytes.size(), now);
                OnBytes(bytes, now);
            }
            if (!ok)
                return false;
        }
    }
    return true;
}

std::size_t CSimServer::PaceChunk() const {
    // About 10 ms of line time, so that the reading follows the line closely.
    return std::max<std::size_t>(16, static_cast<std::size_t>(m_device.Baud()) / 1000);
}

void CSimServer::Carry(std::size_t count, Clock::time_point now) {
    if (!m_config.pace || m_device.Baud() <= 0)
        return;
    // Start bit, 8 data bits, stop bit.
    const auto lineTime = std::chrono::nanoseconds(static_cast<long long>(count) * 10 *
                                                   1000000000LL / m_device.Baud());
    // A reader woken a little late keeps the line's own schedule, so that the rate does not sag
    // by the scheduling delay; after a real pause the line starts again from now.
    const bool continuous = now - m_lineFree <= std::chrono::milliseconds(kLateWakeMs);
    m_lineFree = (continuous ? m_lineFree : now) + lineTime;
}

int CSimServer::WaitMs(Clock::time_point now) const {
    auto until = [&](Clock::time_point t) {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(t - now).count();
        return static_cast<int>(ms < 0 ? 0 : ms + 1);
    };
    int wait = -1;
    switch (m_state) {
    case EState::Restarting:
        wait = until(m_restartEnd);
        break;
    case EState::Programming:
        wait = until(m_lastRx + std::chrono::milliseconds(m_config.flashTimeoutMs));
        break;
    case EState::Serving:
        if (m_parser.HasPending())
            wait = until(m_lastRx + std::chrono::milliseconds(kIncompleteCommandMs));
        break;
    }
    // A printer's firmware that stops arriving on its port is given up too.
    for (const CPrinterPort* port : m_ports) {
        if (!port->Flashing())
            continue;
        const int ms =
            until(port->LastFlashRx() + std::chrono::milliseconds(m_config.flashTimeoutMs));
        wait = wait < 0 ? ms : std::min(wait, ms);
    }
    return wait;
}

void CSimServer::OnTimers(Clock::time_point now) {
    for (CPrinterPort* port : m_ports) {
        if (port->Flashing() &&
            now - port->LastFlashRx() >= std::chrono::milliseconds(m_config.flashTimeoutMs)) {
            // The printer keeps the firmware it had; what comes next is print data again.
            port->SetFlashing(false);
            m_log.Write("event",
                        CJsonLine()
                            .Add("event", "flash_timeout")
                            .Add("target", "printer")
                            .Add("printer", port->Printer() == 'B' ? "b" : "a")
                            .Add("received", static_cast<long long>(port->Flash().Received()))
                            .Add("expected", static_cast<long long>(port->Flash().Expected())));
        }
    }
    if (m_state == EState::Restarting && now >= m_restartEnd) {
        m_state = EState::Serving;
        m_parser.Reset();
        m_device.Restarted();
        if (m_bFlashFailed)
            m_device.FlashFailed();
        m_bFlashFailed = false;
        LogRestarted();
        LogSettings("restarted");
    } else if (m_state == EState::Programming &&
               now - m_lastRx >= std::chrono::milliseconds(m_config.flashTimeoutMs)) {
        // The host stopped sending: programming fails and the old firmware stays.
        m_state = EState::Serving;
        m_device.FlashFailed();
        m_log.Write("event", CJsonLine()
                                 .Add("event", "flash_timeout")
                                 .Add("target", TargetName(m_flash.Target()))
                                 .Add("received", static_cast<long long>(m_flash.Received()))
                                 .Add("expected", static_cast<long long>(m_flash.Expected())));
    } else if (m_state == EState::Serving && m_parser.HasPending() &&
               now - m_lastRx >= std::chrono::milliseconds(kIncompleteCommandMs)) {
        if (const auto item = m_parser.FlushIncomplete())
            LogJunk(item->junk, "incomplete");
    }
}

void CSimServer::OnBytes(const std::string& bytes, Clock::time_point now) {
    const int rate = m_line.CurrentRate();
    m_lastRx = now;
    switch (m_state) {
    case EState::Restarting:
        m_log.Write("rx", CJsonLine().Add("bytes", bytes).Add("ignored", "restarting"));
        return;
    case EState::Programming:
        Program(bytes, rate, now);
        return;
    case EState::Serving:
        Serve(bytes, rate, now);
        return;
    }
}

void CSimServer::Serve(const std::string& bytes, int rate, Clock::time_point now) {
    if (rate != m_device.Baud()) {
        AtWrongRate(bytes, rate);
        return;
    }
    // What the host wrote to the printer's ports before these bytes is the printer's first.
    DrainPrinterPorts();
    m_parser.Feed(bytes);
    while (m_state == EState::Serving) {
        const auto item = m_parser.Next();
        if (!item)
            break;
        if (item->isJunk)
            LogJunk(item->junk, "not a command");
        else if (item->isPrint)
            TakeSerialPrint(item->print);
        else
            Process(item->command, now);
    }
    m_printer.EndChunk();
    if (m_state == EState::Programming) {
        const std::string rest = m_parser.TakePending();
        if (!rest.empty())
            Program(rest, rate, now);
    } else if (m_state == EState::Restarting) {
        const std::string lost = m_parser.TakePending();
        if (!lost.empty())
            LogJunk(lost, "restarting");
    }
}

void CSimServer::AtWrongRate(const std::string& bytes, int rate) {
    m_parser.Reset();
    m_log.Write("rx",
                CJsonLine().Add("bytes", bytes).Add("ignored", "wrong rate").Add("rate", rate));
    if (!m_config.wrongRateGarbage)
        return;
    // Framed as commands only to know how much noise the host would have to read.
    CCommandParser framing(m_config.inkographer ? CCommandParser::ECommandSet::Inkographer
                           : m_config.halcyra   ? CCommandParser::ECommandSet::Halcyra
                                                : CCommandParser::ECommandSet::Transporter);
    framing.Feed(bytes);
    std::size_t count = 0;
    while (const auto item = framing.Next()) {
        if (!item->isJunk && !item->isPrint)
            count += static_cast<std::size_t>(m_device.AnswerLength(item->command));
    }
    if (count == 0)
        return;
    const std::string noise = RandomBytes(count);
    m_line.Write(noise);
    m_log.Write("tx", CJsonLine().Add("bytes", noise).Add("fault", "wrong rate"));
}

void CSimServer::Process(const SCommand& c, Clock::time_point now) {
    CJsonLine rx;
    rx.Add("bytes", c.raw).Add("cmd", c.head);
    if (!c.data.empty())
        rx.Add("data", c.data);
    m_log.Write("rx", rx);

    if (c.kind == ECommand::RequestSense || c.kind == ECommand::InkSense ||
        (c.kind == ECommand::ShortSense && m_device.Config().shortSense)) {
        DrainPrinterPorts();
        m_printer.StatusPolled();
        m_printerB.StatusPolled();
    }

    const SFault fault = m_config.faults.Find(c.head + c.data);
    if (fault.kind == EFault::Silent) {
        m_log.Write("event", CJsonLine().Add("event", "silent").Add("cmd", c.head));
        return;
    }
    const SReply reply = fault.kind == EFault::Refuse
                             ? m_device.Refuse(c, fault.transporterSense, fault.printerSense)
                             : m_device.Handle(c);
    if (reply.send) {
        if (fault.kind == EFault::Drop) {
            m_log.Write("event", CJsonLine().Add("event", "answer dropped").Add("cmd", c.head));
        } else if (fault.kind == EFault::Garbage) {
            Send(RandomBytes(reply.answer.size()), c, "garbage");
        } else {
            Send(reply.answer, c, fault.kind == EFault::Refuse ? "refused" : nullptr);
        }
    }
    m_bStoreAll = c.kind == ECommand::StoreSettings;
    if (reply.settingsChanged)
        LogSettings(c.kind == ECommand::StoreSettings || c.kind == ECommand::StorePrinter ? "stored"
                                                                                          : "set");
    if (reply.newBaud != 0) {
        m_device.SetBaud(reply.newBaud);
        m_log.Write("event", CJsonLine().Add("event", "baud").Add("baud", reply.newBaud));
    }
    if (reply.flashBytes > 0) {
        m_flash.Begin(reply.flashTarget, reply.flashBytes, reply.flashChecksummed);
        m_state = EState::Programming;
        m_log.Write("event", CJsonLine()
                                 .Add("event", "programming")
                                 .Add("target", TargetName(reply.flashTarget))
                                 .Add("expected", static_cast<long long>(m_flash.Expected()))
                                 .AddFlag("old_firmware", reply.flashChecksummed));
    }
    if (reply.restart)
        StartRestart(now, "restart command");
}

void CSimServer::Send(const std::string& bytes, const SCommand& c, const char* fault) {
    const bool ok = m_line.Write(bytes);
    CJsonLine tx;
    tx.Add("bytes", bytes).Add("cmd", c.head);
    if (fault)
        tx.Add("fault", fault);
    if (!ok)
        tx.Add("error", "host not reading");
    m_log.Write("tx", tx);
}

void CSimServer::Program(const std::string& bytes, int rate, Clock::time_point now) {
    const std::size_t taken = m_flash.Feed(bytes, rate == m_device.Baud());
    m_log.Write("rx", CJsonLine()
                          .Add("flash_bytes", static_cast<long long>(taken))
                          .Add("received", static_cast<long long>(m_flash.Received())));
    if (!m_flash.Complete())
        return;
    FinishFlash(now);
    if (taken < bytes.size())
        m_log.Write("rx",
                    CJsonLine().Add("bytes", bytes.substr(taken)).Add("ignored", "restarting"));
}

void CSimServer::FinishFlash(Clock::time_point now) {
    std::string reason;
    const bool ok = m_flash.Judge(reason);
    CJsonLine line;
    line.Add("event", "flash")
        .Add("target", TargetName(m_flash.Target()))
        .Add("bytes", static_cast<long long>(m_flash.Received()))
        .Add("checksum", static_cast<long long>(m_flash.Checksum()))
        .AddFlag("accepted", ok);
    if (ok) {
        const auto& image = m_flash.Image();
        const auto id = m_flash.Target() == EFlashTarget::Printer
                            ? ReadPrinterImageIdentification(image)
                            : ReadTransporterImageIdentification(image);
        // Without a readable identification the image is still programmed; the device goes on
        // reporting the identification it had.
        if (id)
            line.Add("identification", id->Text());
        else
            line.Add("identification", "none readable, kept");
        m_device.StageFirmware(m_flash.Target(), id);
    } else {
        line.Add("reason", reason);
    }
    m_log.Write("event", line);
    m_bFlashFailed = !ok;
    StartRestart(now, "firmware programmed");
}

void CSimServer::LogRestarted() {
    const SDeviceConfig& c = m_device.Config();
    CJsonLine line;
    line.Add("event", "restarted")
        .Add("baud", m_device.Baud())
        .Add("name", c.name)
        .Add("revision", c.revision)
        .Add("suffix", std::string(1, c.suffix))
        .AddFlag("boot", c.bootFirmware);
    if (c.printer != EPrinter::None)
        line.Add("printer_revision", c.printerRevision);
    m_log.Write("event", line);
}

void CSimServer::LogSettings(const char* why) {
    if (m_device.Halcyra()) {
        LogHalcyraSettings(why);
        return;
    }
    const SSettings& s = m_device.Working();
    m_log.Write("event", CJsonLine()
                             .Add("event", "settings")
                             .Add("why", why)
                             .Add("media_size", s.mediaSize)
                             .Add("rotational_offset", s.rotationalOffset)
                             .Add("pocket_offset_63", s.pocketOffsets[0])
                             .Add("pocket_offset_61", s.pocketOffsets[1])
                             .Add("pocket_offset_58", s.pocketOffsets[2])
                             .Add("left_margin", s.leftMargin)
                             .Add("top_margin", s.topMargin));
}

void CSimServer::LogHalcyraSettings(const char* why) {
    const CSimHalcyra& h = *m_device.Halcyra();
    // A printer's own command changes that printer; a store of all and a restart both.
    const bool both = std::string(why) == "restarted" || m_bStoreAll;
    for (int i = 0; i < 2; ++i) {
        const SHalcyraPrinter& p = h.Printer(i);
        if (!p.present || (!both && i != h.Addressed()))
            continue;
        m_log.Write("event", CJsonLine()
                                 .Add("event", "settings")
                                 .Add("why", why)
                                 .Add("printer", i == 0 ? "a" : "b")
                                 .Add("rotational_offset", p.working.rotationalOffset)
                                 .Add("left_margin", p.working.leftMargin)
                                 .Add("top_margin", p.working.topMargin)
                                 .Add("stored_rotational_offset", p.stored.rotationalOffset)
                                 .Add("stored_left_margin", p.stored.leftMargin)
                                 .Add("stored_top_margin", p.stored.topMargin));
    }
}

void CSimServer::StartRestart(Clock::time_point now, const char* why) {
    m_state = EState::Restarting;
    m_restartEnd = now + std::chrono::milliseconds(m_config.rebootMs);
    m_parser.Reset();
    m_log.Write("event", CJsonLine()
                             .Add("event", "restarting")
                             .Add("why", why)
                             .Add("ms", static_cast<long long>(m_config.rebootMs)));
}

bool CSimServer::ReadPrinterPort(CPrinterPort& port) {
    std::string bytes;
    const bool ok = port.Line().ReadAvailable(bytes, std::numeric_limits<std::size_t>::max());
    while (!bytes.empty()) {
        if (port.Flashing())
            bytes = ProgramOnPort(port, bytes);
        else
            bytes = PrintOnPort(port, bytes);
    }
    return ok;
}

std::string CSimServer::PrintOnPort(CPrinterPort& port, const std::string& bytes) {
    CSimPrinter* printer = PrinterOf(port);
    if (!printer) {
        // Another transporter's printer: its bytes go nowhere here.
        m_log.Write("print", CJsonLine()
                                 .Add("source", port.Source())
                                 .Add("size", static_cast<long long>(bytes.size()))
                                 .Add("ignored", "not this transporter's printer"));
        return "";
    }
    const char* tag = port.Printer() == 'B' ? "b" : "a";
    // The capture takes whole commands: the serial link's set-up arrives at its own pace while
    // this port's rows stream in, and a read may end inside a row.
    port.Stream().Feed(bytes);
    std::string firmware;
    while (const auto item = port.Stream().Next()) {
        if (item->firmwareBytes > 0) {
            m_log.Write("rx", CJsonLine()
                                  .Add("source", port.Source())
                                  .Add("printer", tag)
                                  .Add("bytes", item->command.raw)
                                  .Add("cmd", item->command.name));
            port.Flash().Begin(EFlashTarget::Printer, item->firmwareBytes, false);
            port.SetFlashing(true);
            port.SetLastFlashRx(Clock::now());
            m_log.Write("event", CJsonLine()
                                     .Add("event", "programming")
                                     .Add("target", "printer")
                                     .Add("printer", tag)
                                     .Add("expected", static_cast<long long>(item->firmwareBytes)));
            firmware = port.Stream().TakePending();
            break;
        }
        if (item->isCommand) {
            printer->Capture(port.Source(), item->command.raw);
            printer->Command(port.Source(), item->command);
        } else {
            printer->Capture(port.Source(), item->other);
            printer->Other(port.Source(), item->other);
        }
    }
    printer->EndChunk();
    return firmware;
}

std::string CSimServer::ProgramOnPort(CPrinterPort& port, const std::string& bytes) {
    CFlashReceiver& flash = port.Flash();
    port.SetLastFlashRx(Clock::now());
    const std::size_t taken = flash.Feed(bytes, true);
    if (!flash.Complete())
        return "";
    port.SetFlashing(false);
    const int index = port.Printer() == 'B' ? 1 : 0;
    std::string reason;
    const bool good = flash.Judge(reason);
    CJsonLine line;
    line.Add("event", "flash")
        .Add("target", "printer")
        .Add("printer", index == 0 ? "a" : "b")
        .Add("bytes", static_cast<long long>(flash.Received()))
        .Add("checksum", static_cast<long long>(flash.Checksum()))
        .AddFlag("accepted", good);
    if (good) {
        // Its firmware file begins with the identification; an image may keep it at 160 too.
        auto id = ReadPrinterFileIdentification(flash.Image());
        if (!id)
            id = ReadPrinterImageIdentification(flash.Image());
        line.Add("identification", id ? id->Text() : "none readable, kept");
        m_device.ProgramPrinter(index, id);
    } else {
        line.Add("reason", reason);
    }
    m_log.Write("event", line);
    // What follows the image is print data again.
    return bytes.substr(taken);
}

void CSimServer::DrainPrinterPorts() {
    for (CPrinterPort* port : m_ports)
        ReadPrinterPort(*port);
}

void CSimServer::TakeSerialPrint(const SPrintCommand& c) {
    if (!m_device.PassesPrintData()) {
        LogJunk(c.raw, m_device.Config().bootFirmware ? "start-up firmware" : "no printer");
        return;
    }
    // The dual-printer transporter passes them to the printer the host named last.
    const CSimHalcyra* halcyra = m_device.Halcyra();
    CSimPrinter& printer = halcyra && halcyra->Addressed() == 1 ? m_printerB : m_printer;
    printer.Capture("serial", c.raw);
    printer.Command("serial", c);
}

void CSimServer::LogJunk(const std::string& bytes, const char* why) {
    m_log.Write("rx", CJsonLine().Add("bytes", bytes).Add("ignored", why));
}

std::string CSimServer::RandomBytes(std::size_t count) {
    std::uniform_int_distribution<int> byte(0, 255);
    std::string out(count, '\0');
    for (char& c : out)
        c = static_cast<char>(byte(m_random));
    return out;
}

} // namespace dax::sim
