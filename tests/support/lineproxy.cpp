// daxlineproxy: a pseudo-terminal between daxtool-cli and daxsim that spoils the line by rule.
// It presents a port of its own (a link to its pseudo-terminal) and passes the bytes to the
// simulator's pseudo-terminal, carrying over the rate the program sets. A byte pump: it knows
// only that a command starts with ESC "!" and that what comes back until the next command is
// that command's answer.
//
//   daxlineproxy --link PATH --to NODE [--swap-to NODE] [--rule RULE]... [--life SECONDS]
//
// RULE is ACTION@CMD[#N]: at the Nth command whose text (after ESC "!") starts with CMD (every
// command when CMD is empty), N 1 unless given:
//   change-command=K[:HH]  byte K of the command (0 = its ESC) becomes HH (hex), else flips bit 0
//   change-answer=K[:HH]   the same for byte K of its answer
//   stray=TEXT             TEXT (\xHH for any byte) follows its answer
//   hold=MS                its answer comes MS ms late
//   drop                   its answer never comes
//   swap                   the command and all that follow go to the --swap-to device
// Prints "ready NODE" once the link is made and "fired RULE" when a rule applies; ends at
// SIGTERM, SIGINT or SIGHUP, or after --life seconds (600), removing its link. Every wait is
// a bounded poll.
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

volatile std::sig_atomic_t g_stop = 0;
extern "C" void OnStop(int) {
    g_stop = 1;
}

long long NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

struct Rule {
    std::string text; // as given, for the "fired" line
    std::string action;
    std::string arg;
    std::string pattern; // ESC "!" CMD
    int nth = 1;
    int seen = 0;
    bool fired = false;
    bool answerOpen = false; // between the command and the next one
    size_t answerIndex = 0;
    long long releaseAt = 0;
    std::string held;
    size_t commandByte = std::string::npos; // change-command: the byte still to come
};

// Said on stdout, so that a run knows a byte was really changed.
char Changed(char c, const std::string& arg, const char* where) {
    const size_t colon = arg.find(':');
    const char to = colon != std::string::npos
                        ? char(std::strtol(arg.c_str() + colon + 1, nullptr, 16))
                        : char(c ^ 1);
    std::printf("changed %s byte %02x to %02x\n", where, unsigned(c) & 0xFF, unsigned(to) & 0xFF);
    std::fflush(stdout);
    return to;
}

std::string Unescape(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] == 'x') {
            out += char(std::strtol(s.substr(i + 2, 2).c_str(), nullptr, 16));
            i += 3;
        } else {
            out += s[i];
        }
    }
    return out;
}

bool ParseRule(const std::string& text, Rule& r) {
    const size_t at = text.find('@');
    if (at == std::string::npos)
        return false;
    r.text = text;
    const std::string action = text.substr(0, at);
    const size_t eq = action.find('=');
    r.action = action.substr(0, eq);
    r.arg = eq == std::string::npos ? "" : action.substr(eq + 1);
    std::string cmd = text.substr(at + 1);
    if (const size_t hash = cmd.find('#'); hash != std::string::npos) {
        r.nth = std::atoi(cmd.c_str() + hash + 1);
        cmd.erase(hash);
    }
    r.pattern = "\x1b!" + cmd;
    if (r.action == "stray")
        r.arg = Unescape(r.arg);
    return r.action == "change-command" || r.action == "change-answer" || r.action == "stray" ||
           r.action == "hold" || r.action == "drop" || r.action == "swap";
}

// One end of the line: a file descriptor and what waits to be written to it.
struct End {
    int fd = -1;
    std::string out;
    speed_t rate = 0;
};

void Flush(End& e) {
    while (e.fd >= 0 && !e.out.empty()) {
        const ssize_t n = write(e.fd, e.out.data(), e.out.size());
        if (n > 0) {
            e.out.erase(0, size_t(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && errno == EAGAIN) {
            return;
        } else {
            e.out.clear(); // the other side is gone: what it does not take is lost, as on a line
            return;
        }
    }
}

int OpenNode(const char* node) {
    const int fd = open(node, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    termios tio{};
    if (fd >= 0 && tcgetattr(fd, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(fd, TCSANOW, &tio);
    }
    return fd;
}

// The program's rate, set on our slave, carried to the device's side before its bytes go.
void CarryRate(int slave, End& device) {
    termios mine{}, theirs{};
    if (device.fd < 0 || tcgetattr(slave, &mine) != 0)
        return;
    const speed_t rate = cfgetospeed(&mine);
    if (rate == device.rate || tcgetattr(device.fd, &theirs) != 0)
        return;
    cfsetispeed(&theirs, rate);
    cfsetospeed(&theirs, rate);
    if (tcsetattr(device.fd, TCSANOW, &theirs) == 0)
        device.rate = rate;
}

} // namespace

int main(int argc, char** argv) {
    std::string link, to, swapTo;
    std::vector<Rule> rules;
    int life = 600;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string opt = argv[i], value = argv[i + 1];
        Rule r;
        if (opt == "--link")
            link = value;
        else if (opt == "--to")
            to = value;
        else if (opt == "--swap-to")
            swapTo = value;
        else if (opt == "--life")
            life = std::atoi(value.c_str());
        else if (opt == "--rule" && ParseRule(value, r))
            rules.push_back(r);
        else {
            std::fprintf(stderr, "daxlineproxy: bad option %s %s\n", opt.c_str(), value.c_str());
            return 64;
        }
    }
    if (link.empty() || to.empty()) {
        std::fprintf(stderr, "usage: daxlineproxy --link PATH --to NODE [--swap-to NODE] "
                             "[--rule RULE]... [--life SECONDS]\n");
        return 64;
    }
    for (int s : {SIGTERM, SIGINT, SIGHUP})
        std::signal(s, OnStop);
    std::signal(SIGPIPE, SIG_IGN);

    // Our pseudo-terminal; the slave kept open so that the program's closing the port between
    // probes is no hang-up here, and so that its rate can be read.
    End host;
    host.fd = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (host.fd < 0 || grantpt(host.fd) != 0 || unlockpt(host.fd) != 0) {
        std::perror("daxlineproxy: pseudo-terminal");
        return 1;
    }
    const std::string slavePath = ptsname(host.fd);
    const int slave = OpenNode(slavePath.c_str());
    End devices[2];
    devices[0].fd = OpenNode(to.c_str());
    devices[1].fd = swapTo.empty() ? -1 : OpenNode(swapTo.c_str());
    const std::string tmp = link + ".proxy";
    unlink(tmp.c_str());
    if (slave < 0 || devices[0].fd < 0 || symlink(slavePath.c_str(), tmp.c_str()) != 0 ||
        rename(tmp.c_str(), link.c_str()) != 0) {
        std::fprintf(stderr, "daxlineproxy: cannot link %s to %s, or open %s: %s\n", link.c_str(),
                     slavePath.c_str(), to.c_str(), std::strerror(errno));
        return 1;
    }
    std::printf("ready %s\n", slavePath.c_str());
    std::fflush(stdout);

    int active = 0;
    std::string partial; // a command's first bytes while they may still be a rule's
    auto fire = [&](Rule& r) {
        r.fired = true;
        std::printf("fired %s\n", r.text.c_str());
        std::fflush(stdout);
        if (r.action == "swap" && devices[1].fd >= 0)
            active = 1;
        else if (r.action == "change-command") {
            const size_t k = size_t(std::atoi(r.arg.c_str()));
            if (k < partial.size())
                partial[k] = Changed(partial[k], r.arg, "command");
            else
                r.commandByte = k;
        } else if (r.action != "swap") {
            r.answerOpen = true;
            r.answerIndex = 0;
            r.releaseAt = NowMs() + std::atoi(r.arg.c_str());
        }
    };
    size_t commandIndex = 0;
    auto fromHost = [&](char b) {
        if (b == '\x1b') {
            for (Rule& r : rules)
                r.answerOpen = false; // a new command: the last answer is over
            if (!partial.empty())
                devices[active].out += partial;
            partial.assign(1, b);
            commandIndex = 0;
            return;
        }
        ++commandIndex;
        for (Rule& r : rules)
            if (r.commandByte == commandIndex) {
                b = Changed(b, r.arg, "command");
                r.commandByte = std::string::npos;
            }
        if (partial.empty()) {
            devices[active].out += b;
            return;
        }
        partial += b;
        bool open = false;
        for (Rule& r : rules) {
            if (r.fired)
                continue;
            if (partial == r.pattern) {
                if (++r.seen == r.nth)
                    fire(r);
            } else if (r.pattern.compare(0, partial.size(), partial) == 0) {
                open = true;
            }
        }
        if (!open) {
            devices[active].out += partial;
            partial.clear();
        }
    };
    auto fromDevice = [&](std::string bytes) {
        std::string pass;
        for (char b : bytes) {
            bool keep = true;
            for (Rule& r : rules) {
                if (!r.answerOpen)
                    continue;
                if (r.action == "drop")
                    keep = false;
                else if (r.action == "change-answer" &&
                         r.answerIndex == size_t(std::atoi(r.arg.c_str())))
                    b = Changed(b, r.arg, "answer");
                else if (r.action == "hold" && keep) {
                    r.held += b;
                    keep = false;
                }
                ++r.answerIndex;
            }
            if (keep)
                pass += b;
        }
        host.out += pass;
        for (Rule& r : rules)
            if (r.answerOpen && r.action == "stray" && !bytes.empty()) {
                host.out += r.arg;
                r.answerOpen = false;
            }
    };

    const long long end = NowMs() + life * 1000LL;
    while (!g_stop && NowMs() < end) {
        for (Rule& r : rules)
            if (!r.held.empty() && NowMs() >= r.releaseAt) {
                host.out += r.held;
                r.held.clear();
            }
        pollfd p[3] = {{host.fd, short(devices[active].out.size() < 4096 ? POLLIN : 0), 0},
                       {devices[0].fd, POLLIN, 0},
                       {devices[1].fd, POLLIN, 0}};
        if (!host.out.empty())
            p[0].events |= POLLOUT;
        for (int d = 0; d < 2; ++d)
            if (!devices[d].out.empty())
                p[d + 1].events |= POLLOUT;
        if (poll(p, 3, 20) < 0 && errno != EINTR)
            break;
        char buf[4096];
        if (p[0].revents & POLLIN) {
            const ssize_t n = read(host.fd, buf, sizeof buf);
            if (n > 0) {
                CarryRate(slave, devices[active]);
                for (ssize_t i = 0; i < n; ++i)
                    fromHost(buf[i]);
            }
        }
        for (int d = 0; d < 2; ++d) {
            if (!(p[d + 1].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            const ssize_t n = read(devices[d].fd, buf, sizeof buf);
            if (n > 0 && d == active)
                fromDevice(std::string(buf, size_t(n)));
            else if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
                close(devices[d].fd); // the simulator is gone: silence from now on
                devices[d].fd = -1;
            }
        }
        Flush(host);
        Flush(devices[0]);
        Flush(devices[1]);
    }
    char target[4096];
    const ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
    if (n > 0 && std::string(target, size_t(n)) == slavePath)
        unlink(link.c_str());
    return 0;
}
