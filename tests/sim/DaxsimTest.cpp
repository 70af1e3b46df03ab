// daxsim from the host's side: start it, open its pseudo-terminal like a serial port, and check
// the exchanges byte for byte.
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <poll.h>
#include <signal.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string Esc(const std::string& text) {
    return "\x1b" + text;
}

class TempDir {
public:
    TempDir() {
        std::string tmpl = (fs::temp_directory_path() / "daxsim-test-XXXXXX").string();
        m_path = mkdtemp(tmpl.data()) ? tmpl : "";
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(m_path, ec);
    }
    std::string m_path;
};

// One daxsim process with its own device directory and log.
class Sim {
public:
    explicit Sim(const std::string& profile, std::vector<std::string> sets = {}) {
        std::vector<std::string> args = {DAXSIM_PATH,    "--profile", profile, "--port", "4",
                                         "--device-dir", Dir(),       "--log", LogPath()};
        for (const auto& s : sets)
            args.insert(args.end(), {"--set", s});
        m_pid = Start(args, m_out);
        ready = ReadLine(5000);
        if (ready.rfind("ready COM4 ", 0) == 0)
            pts = ready.substr(11);
    }
    ~Sim() {
        if (m_pid > 0)
            Stop();
        close(m_out);
    }
    int Stop() {
        kill(m_pid, SIGTERM);
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Dir() const { return m_tmp.m_path + "/dev"; }
    std::string LogPath() const { return m_tmp.m_path + "/sim.log"; }
    std::string Log() const {
        std::ifstream f(LogPath());
        std::stringstream s;
        s << f.rdbuf();
        return s.str();
    }

    static pid_t Start(const std::vector<std::string>& args, int& out) {
        int fds[2];
        if (pipe(fds) != 0)
            return -1;
        const pid_t pid = fork();
        if (pid == 0) {
            dup2(fds[1], 1);
            std::vector<char*> argv;
            for (const auto& a : args)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(fds[1]);
        out = fds[0];
        return pid;
    }

    std::string ready;
    std::string pts;

private:
    std::string ReadLine(int ms) {
        std::string line;
        char c = 0;
        pollfd p{m_out, POLLIN, 0};
        while (poll(&p, 1, ms) > 0 && read(m_out, &c, 1) == 1 && c != '\n')
            line += c;
        return line;
    }
    TempDir m_tmp;
    pid_t m_pid = -1;
    int m_out = -1;
};

// The host's end: the slave of the pseudo-terminal, raw, at a chosen rate.
class Line {
public:
    explicit Line(const std::string& path, speed_t rate = B38400) {
        m_fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        SetRate(rate);
    }
    ~Line() { close(m_fd); }
    void SetRate(speed_t rate) {
        termios tio{};
        tcgetattr(m_fd, &tio);
        cfmakeraw(&tio);
        cfsetspeed(&tio, rate);
        tcsetattr(m_fd, TCSANOW, &tio);
    }
    // Sends the command and reads up to n answer bytes, waiting at most ms.
    std::string Ask(const std::string& command, std::size_t n, int ms = 1000) {
        EXPECT_EQ(write(m_fd, command.data(), command.size()), ssize_t(command.size()));
        return Read(n, ms);
    }
    // Writes everything, waiting for room (firmware images outgrow the pseudo-terminal).
    void Send(const std::string& bytes) {
        std::size_t done = 0;
        pollfd p{m_fd, POLLOUT, 0};
        while (done < bytes.size() && poll(&p, 1, 5000) > 0) {
            const ssize_t n = write(m_fd, bytes.data() + done, bytes.size() - done);
            if (n > 0)
                done += size_t(n);
        }
        EXPECT_EQ(done, bytes.size());
    }
    // Asks again until the device is back from a restart.
    std::string AskWhenBack(const std::string& command, std::size_t n) {
        std::string a;
        for (int i = 0; i < 30 && a.size() < n; ++i)
            a = Ask(command, n, 100);
        return a;
    }
    std::string Read(std::size_t n, int ms) {
        std::string out;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (out.size() < n) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                end - std::chrono::steady_clock::now());
            pollfd p{m_fd, POLLIN, 0};
            if (left.count() <= 0 || poll(&p, 1, int(left.count())) <= 0)
                break;
            char buf[256];
            const ssize_t got = read(m_fd, buf, std::min(sizeof buf, n - out.size()));
            if (got > 0)
                out.append(buf, size_t(got));
        }
        return out;
    }

private:
    int m_fd = -1;
};

TEST(Daxsim, AnnouncesItselfAnswersTheInquiryAndLeavesCleanly) {
    Sim sim("printer", {"revision=3.209", "suffix=B", "printer_serial=P1"});
    ASSERT_FALSE(sim.pts.empty()) << sim.ready;
    EXPECT_EQ(fs::read_symlink(sim.Dir() + "/com4").string(), sim.pts);

    Line line(sim.pts);
    const std::string id = "DISC TRANSPORTERVERSION 3.209B  "
                           "DISC PRINTER    DP4000  5.21 A  ";
    EXPECT_EQ(line.Ask(Esc("!e0C"), 7 + 64), Esc("!e0064") + id);

    EXPECT_EQ(sim.Stop(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(sim.Dir() + "/com4")));
}

TEST(Daxsim, StoredSerialSurvivesARestartDuringWhichItIsSilent) {
    Sim sim("basic", {"reboot_ms=400"});
    Line line(sim.pts);
    EXPECT_EQ(line.Ask(Esc("!f9000C12345678"), 6), Esc("!f91C"));
    EXPECT_EQ(line.Ask(Esc("!f:000C"), 14), Esc("!f:10") + "12345678");
    EXPECT_EQ(line.Ask(Esc("!f6007C"), 6), Esc("!f61C")); // a margin, not stored with !h1C

    EXPECT_EQ(line.Ask(Esc("!g1C"), 6), Esc("!g11C"));
    EXPECT_EQ(line.Ask(Esc("!e1C"), 11, 200), ""); // restarting: the command is lost
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    EXPECT_EQ(line.Ask(Esc("!e1C"), 11), Esc("!e1000000C"));
    EXPECT_EQ(line.Ask(Esc("!f:000C"), 14), Esc("!f:10") + "12345678");

    const std::string log = sim.Log();
    EXPECT_NE(log.find(R"("dir":"rx","bytes":"\u001b!f9000C12345678","cmd":"f9000C",)"
                       R"("data":"12345678"})"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find(R"("dir":"tx","bytes":"\u001b!f91C","cmd":"f9000C"})"), std::string::npos);
    EXPECT_NE(log.find(R"("ignored":"restarting")"), std::string::npos);
}

TEST(Daxsim, RefusedAndUnknownCommandsReportTheirSenseOnce) {
    Sim sim("basic", {"refuse=f9000C:4:7", "drop=f5111C"});
    Line line(sim.pts);
    EXPECT_EQ(line.Ask(Esc("!f9000CABCDEFGH"), 6), Esc("!f90C"));
    EXPECT_EQ(line.Ask(Esc("!e1C"), 11), Esc("!e1004007C"));
    EXPECT_EQ(line.Ask(Esc("!e1C"), 11), Esc("!e1000000C"));
    EXPECT_EQ(line.Ask(Esc("!f:000C"), 14), Esc("!f:10") + "TS100001"); // nothing was stored

    EXPECT_EQ(line.Ask(Esc("!zq7C"), 6), Esc("!zq0C"));
    EXPECT_EQ(line.Ask(Esc("!e1C"), 11), Esc("!e1005000C"));
    EXPECT_EQ(line.Ask(Esc("!f0203C"), 12), Esc("!f01200000C")); // BIN4 not fitted
    EXPECT_EQ(line.Ask(Esc("!f0299C"), 12), Esc("!f00000000C")); // no such element
    EXPECT_EQ(line.Ask(Esc("!e1C"), 11), Esc("!e1005000C"));
    EXPECT_EQ(line.Ask(Esc("!f5111C"), 6, 200), "");
}

TEST(Daxsim, AnswersOnlyAtItsOwnRateAndMovesWhenTold) {
    Sim sim("basic");
    Line line(sim.pts, B9600);
    EXPECT_EQ(line.Ask(Esc("!e1C"), 11, 200), "");
    line.SetRate(B38400);
    EXPECT_EQ(line.Ask(Esc("!b19200C"), 5), Esc("!b0C"));
    EXPECT_EQ(line.Ask(Esc("!b11520C"), 5), Esc("!b1C")); // answered at the old rate
    EXPECT_EQ(line.Ask(Esc("!e1C"), 11, 200), "");
    line.SetRate(B115200);
    EXPECT_EQ(line.Ask(Esc("!e1C"), 11), Esc("!e1005000C")); // the refused 19200
}

TEST(Daxsim, WrongRateGarbageHasTheLengthOfTheAnswer) {
    Sim sim("basic", {"wrong_rate=garbage"});
    Line line(sim.pts, B9600);
    EXPECT_EQ(line.Ask(Esc("!e0C"), 200, 300).size(), 7u + 64u);
}

TEST(Daxsim, JunkAndCutCommandsDoNotDerailTheInterpreter) {
    Sim sim("basic");
    Line line(sim.pts);
    std::string junk = "xyz\x01\xff" + Esc("*b12W\x1b\x1b") + Esc("!f9000C12");
    EXPECT_EQ(line.Ask(junk + Esc("!e1C"), 11), Esc("!e1000000C"));
    EXPECT_EQ(line.Ask(Esc("!f:000C"), 14), Esc("!f:10") + "TS100001");
    // A command in pieces is put together; one left unfinished is given up after a while.
    EXPECT_EQ(line.Ask(Esc("!f:0"), 14, 100), "");
    EXPECT_EQ(line.Ask("00C", 14), Esc("!f:10") + "TS100001");
    EXPECT_EQ(line.Ask(Esc("!f:0"), 14, 1300), "");
    EXPECT_EQ(line.Ask("00C" + Esc("!e1C"), 11), Esc("!e1000000C"));
}

TEST(Daxsim, PrinterProbeCountersAndDiscMoves) {
    Sim sim("printer");
    Line line(sim.pts);
    EXPECT_EQ(line.Ask(Esc("!a3H"), 1, 100), ""); // no answer; the printer is busy for 2 polls
    EXPECT_EQ(line.Ask(Esc("!e1C"), 11), Esc("!e1000002C"));
    EXPECT_EQ(line.Ask(Esc("!e1C"), 11), Esc("!e1000002C"));
    EXPECT_EQ(line.Ask(Esc("!e1C"), 11), Esc("!e1000000C"));
    EXPECT_EQ(line.Ask(Esc("!f;2C"), 12), Esc("!f;2=000056"));

    EXPECT_EQ(line.Ask(Esc("!f12002C"), 6), Esc("!f11C")); // GET from BIN1
    EXPECT_EQ(line.Ask(Esc("!f12601C"), 6), Esc("!f11C")); // PUT on the printer
    EXPECT_EQ(line.Ask(Esc("!f0260C"), 12), Esc("!f01100000C"));
    EXPECT_EQ(line.Ask(Esc("!f12601C"), 6), Esc("!f10C")); // nothing left to put
    EXPECT_EQ(line.Ask(Esc("!e1C"), 11), Esc("!e1003000C"));
    // Action 3 tells whether the printer drawer is open.
    EXPECT_EQ(line.Ask(Esc("!f12603C"), 6), Esc("!f10C"));
    EXPECT_EQ(line.Ask(Esc("!d0C"), 1, 100), "");
    EXPECT_EQ(line.Ask(Esc("!f12603C"), 6), Esc("!f11C"));
}

TEST(Daxsim, LoaderParametersAreCheckedAndKept) {
    Sim sim("qt6400");
    Line line(sim.pts);
    EXPECT_EQ(line.Ask(Esc("!f:099C"), 14), Esc("!f:19") + "11030000");
    EXPECT_EQ(line.Ask(Esc("!f9099C1017x000"), 6), Esc("!f90C"));
    EXPECT_EQ(line.Ask(Esc("!f9099C01171000"), 6), Esc("!f91C"));
    EXPECT_EQ(line.Ask(Esc("!f9101CLINE 4  "), 6), Esc("!f91C"));
    EXPECT_EQ(line.Ask(Esc("!f:099C"), 14), Esc("!f:19") + "01171000");
    EXPECT_EQ(line.Ask(Esc("!f:100C"), 14), Esc("!f:10") + "QT6400 L");
    EXPECT_EQ(line.Ask(Esc("!f:101C"), 14), Esc("!f:11") + "LINE 4  ");
}

TEST(Daxsim, ProfilesIdentifyThemselvesByTheirOwnBytes) {
    struct SCase {
        std::string profile;
        std::size_t count;
        std::string name, revision, printer, model;
    };
    for (const SCase& c :
         {SCase{"240x-boot", 32, "KORVIX BOOT     ", "1.00 A", "", ""},
          SCase{"moltrian3", 32, "Moltrian III E06", "3.10 A", "", ""},
          SCase{"qt6400", 64, "KORVIX QT6400   ", "6.20 A", "DISC PRINTER    ", "DP4000"},
          SCase{"morrane-dkpr22", 64, "DISC TRANSPORTER", "3.25 F", "MORRANE PRINTER ",
                "DKPR22"}}) {
        Sim sim(c.profile);
        Line line(sim.pts);
        const std::string a = line.Ask(Esc("!e0C"), 7 + 64, 300);
        ASSERT_EQ(a.size(), 7 + c.count) << c.profile;
        EXPECT_EQ(a.substr(4, 3), c.count == 32 ? "032" : "064");
        EXPECT_EQ(a.substr(7, 16), c.name);
        EXPECT_EQ(a.substr(7 + 24, 6), c.revision);
        if (c.count == 64) {
            EXPECT_EQ(a.substr(7 + 32, 16), c.printer);
            EXPECT_EQ(a.substr(7 + 48, 6), c.model);
        }
    }
    // The start-up firmware knows no stored texts: a short refusal, then sense 5 in one digit.
    Sim boot("240x-boot");
    Line line(boot.pts);
    EXPECT_EQ(line.Ask(Esc("!f:000C"), 14, 300), Esc("!f:0C"));
    EXPECT_EQ(line.Ask(Esc("!f0C"), 6), Esc("!f05C"));
}

TEST(Daxsim, ComesBackFromARestartAtTheRateItHad) {
    Sim sim("basic", {"baud=115200", "reboot_ms=100", "garbage=f:000C"});
    Line line(sim.pts, B115200);
    EXPECT_EQ(line.Ask(Esc("!b38400C"), 5), Esc("!b1C"));
    line.SetRate(B38400);
    EXPECT_EQ(line.Ask(Esc("!g1C"), 6), Esc("!g11C"));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(line.Ask(Esc("!e1C"), 11), Esc("!e1000000C"));
    const std::string noise = line.Ask(Esc("!f:000C"), 20, 200);
    EXPECT_EQ(noise.size(), 14u);
    EXPECT_NE(noise, Esc("!f:10") + "TS100001");
}

// The host's element probes (revision 3.25), written out here on their own.
std::string ProbedConfiguration(Line& line) {
    auto state = [&](int element) -> std::optional<int> {
        const std::string a = line.Ask(Esc("!f0" + std::to_string(element) + "C"), 12);
        if (a.size() != 12 || a[4] != '1')
            return std::nullopt;
        return a[5] - '0';
    };
    const auto bin4 = state(203);
    if (bin4 && *bin4 != 2) {
        const auto home = state(240);
        if (home)
            return *home == 2 ? "short" : "bin4";
    }
    if (state(240) == 2)
        return "short";
    if (state(241) == 2)
        return "drive1";
    const auto drive3 = state(243);
    return drive3 && *drive3 != 2 ? "drive3" : "basic";
}

TEST(Daxsim, EachConfigurationProfileLandsWhereTheHostsProbesSay) {
    const std::vector<std::pair<std::string, std::string>> cases = {{"basic", "basic"},
                                                                    {"drive1", "drive1"},
                                                                    {"drive3", "drive3"},
                                                                    {"bin4", "bin4"},
                                                                    {"short-status", "short"}};
    for (const auto& [profile, expected] : cases) {
        Sim sim(profile);
        Line line(sim.pts);
        EXPECT_EQ(ProbedConfiguration(line), expected) << profile;
        // Only short-status firmware knows ESC !f0C; it reports the sense in one digit.
        EXPECT_EQ(line.Ask(Esc("!zq7C"), 6), Esc("!zq0C"));
        if (expected == "short") {
            EXPECT_EQ(line.Ask(Esc("!f0C"), 6), Esc("!f05C"));
        } else {
            EXPECT_EQ(line.Ask(Esc("!f0C"), 6), Esc("!f00C"));
            EXPECT_EQ(line.Ask(Esc("!e1C"), 11), Esc("!e1005000C"));
        }
    }
}

TEST(Daxsim, ProgrammingTakesTheAnnouncedBytesThenRestarts) {
    Sim sim("old-firmware", {"reboot_ms=300"});
    Line line(sim.pts);
    EXPECT_EQ(line.Ask(Esc("!g0100C"), 6), Esc("!g01C"));
    std::string image(100, '\x1b'); // firmware data, not commands
    image.replace(10, 5, Esc("!e1C"));
    EXPECT_EQ(line.Ask(image + Esc("!e1C"), 11, 200), "");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    // Old firmware takes only its 65534-byte frame: Prog Flash Failure, once.
    EXPECT_EQ(line.Ask(Esc("!e1C"), 11), Esc("!e1016000C"));
    EXPECT_EQ(line.Ask(Esc("!e1C"), 11), Esc("!e1000000C"));
    const std::string log = sim.Log();
    EXPECT_NE(log.find(R"("event":"flash","target":"transporter","bytes":100,)"), std::string::npos)
        << log;
}

TEST(Daxsim, BadCommandLinesAreRefusedWithUsageStatus) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{DAXSIM_PATH, "--profile", "nosuch"},
          {DAXSIM_PATH, "--profile", "basic", "--set", "revision=3"},
          {DAXSIM_PATH, "--profile", "basic", "--set", "colour=red"},
          {DAXSIM_PATH, "--profile", "basic", "--port", "0"}}) {
        int out = -1;
        const pid_t pid = Sim::Start(args, out);
        int status = 0;
        waitpid(pid, &status, 0);
        close(out);
        EXPECT_EQ(WEXITSTATUS(status), 64) << args.back();
    }
}

// A firmware image of size bytes with an identification written at offset.
std::string Image(std::size_t size, std::size_t offset, const std::string& id) {
    std::string image(size, '\x5a');
    image.replace(offset, id.size(), id);
    return image;
}

TEST(Daxsim, ProgrammedImagesBringTheirIdentificationAfterTheRestart) {
    Sim sim("basic", {"reboot_ms=50"});
    Line line(sim.pts);
    EXPECT_EQ(line.Ask(Esc("!f9000CSN000042"), 6), Esc("!f91C"));
    EXPECT_EQ(line.Ask(Esc("!g08192C"), 6), Esc("!g01C"));
    line.Send(Image(8192, 160, "DISC TRANSPORTERVERSION 3.30 B"));
    std::string a = line.AskWhenBack(Esc("!e0C"), 7 + 64);
    EXPECT_EQ(a.substr(7, 32), "DISC TRANSPORTERVERSION 3.30 B  ");
    EXPECT_EQ(line.Ask(Esc("!e1C"), 11), Esc("!e1000000C"));
    EXPECT_EQ(line.Ask(Esc("!f:000C"), 14), Esc("!f:10") + "SN000042");

    // No identification in the image: programmed all the same, the old one stays.
    EXPECT_EQ(line.Ask(Esc("!g04096C"), 6), Esc("!g01C"));
    line.Send(std::string(4096, '\0'));
    EXPECT_EQ(line.AskWhenBack(Esc("!e1C"), 11), Esc("!e1000000C"));
    // The printer's image gives the printer its revision; the transporter keeps its own.
    EXPECT_EQ(line.Ask(Esc("!h0C"), 6), Esc("!h01C"));
    line.Send(Image(65536, 160, "DISC PRINTER    VERSION 5.412C"));
    a = line.AskWhenBack(Esc("!e0C"), 7 + 64);
    EXPECT_EQ(a.substr(7 + 24, 6), "3.30 B");
    EXPECT_EQ(a.substr(7 + 32, 30), "DISC PRINTER    DP4000  5.412C");

    const std::string log = sim.Log();
    EXPECT_NE(log.find(R"("identification":"none readable, kept")"), std::string::npos) << log;
    EXPECT_NE(log.find(R"("event":"restarted","baud":38400,"name":"DISC TRANSPORTER",)"
                       R"("revision":"3.30","suffix":"B")"),
              std::string::npos);
}

TEST(Daxsim, OldFirmwareTakesOnlyAFilledImageWithItsChecksum) {
    Sim sim("old-firmware", {"reboot_ms=50"});
    Line line(sim.pts);
    std::string frame = Image(4096, 160, "DISC TRANSPORTERVERSION 2.60 C");
    frame.resize(65532, '\xff');
    unsigned sum = 0;
    for (unsigned char c : frame)
        sum += c;
    for (const unsigned checksum : {sum + 1, sum}) {
        EXPECT_EQ(line.Ask(Esc("!g065534C"), 6), Esc("!g01C"));
        line.Send(frame + char((checksum >> 8) & 0xff) + char(checksum & 0xff));
        const bool good = checksum == sum;
        EXPECT_EQ(line.AskWhenBack(Esc("!e1C"), 11), Esc(good ? "!e1000000C" : "!e1016000C"));
        EXPECT_EQ(line.Ask(Esc("!e0C"), 7 + 64).substr(7 + 24, 6), good ? "2.60 C" : "2.50 A");
    }
}

TEST(Daxsim, StartUpFirmwareProgrammedWithA240xImageComesBackAsThe240x) {
    Sim sim("240x-boot", {"reboot_ms=50"});
    Line line(sim.pts);
    EXPECT_EQ(line.Ask(Esc("!g04096C"), 6), Esc("!g01C"));
    line.Send(Image(4096, 2150, "Korvix 240x     VERSION 6.20 A"));
    const std::string a = line.AskWhenBack(Esc("!e0C"), 7 + 64);
    EXPECT_EQ(a.substr(0, 7), Esc("!e0064"));
    EXPECT_EQ(a.substr(7, 30) + "|" + a.substr(7 + 32, 16),
              "Korvix 240x     VERSION 6.20 A|240x PRINTER    ");
    EXPECT_EQ(line.Ask(Esc("!f:000C"), 14), Esc("!f:10") + "TS100001"); // normal firmware
    EXPECT_EQ(line.Ask(Esc("!f0300C"), 12), Esc("!f01000000C"));        // its mailbox
}

TEST(Daxsim, PacedReadingTakesTheLineTime) {
    const std::string bytes = std::string(3072, 'x') + Esc("!e1C");
    const double lineSeconds = bytes.size() * 10 / 38400.0;
    for (const bool pace : {false, true}) {
        Sim sim("basic", {pace ? "pace=1" : "pace=0"});
        Line line(sim.pts);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(line.Ask(bytes, 11, 5000), Esc("!e1000000C"));
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        if (pace)
            EXPECT_GE(took.count(), 0.9 * lineSeconds);
        else
            EXPECT_LT(took.count(), 0.5 * lineSeconds);
    }
}

} // namespace
