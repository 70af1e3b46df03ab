#include "support/Process.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <signal.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace daxtest {

namespace {

pid_t Spawn(const std::vector<std::string>& args, const std::map<std::string, std::string>& env,
            int outFd, int errFd, int inFd = -1) {
    const pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);
        dup2(outFd, 1);
        dup2(errFd, 2);
        dup2(inFd >= 0 ? inFd : open("/dev/null", O_RDONLY), 0);
        for (const auto& [k, v] : env)
            setenv(k.c_str(), v.c_str(), 1);
        std::vector<char*> argv;
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

long long NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

RunResult Run(const std::vector<std::string>& args, const std::map<std::string, std::string>& env,
              int limitMs, const RunHooks& hooks) {
    int out[2], err[2];
    // Close-on-exec: the program holds only its own ends, so a reader closed here is gone.
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
        return {};
    const pid_t pid = Spawn(args, env, out[1], err[1]);
    close(out[1]);
    close(err[1]);
    int open = 2;
    if (hooks.closedOutput) {
        close(out[0]);
        out[0] = -1;
        --open;
    }
    if (hooks.started)
        hooks.started(pid);
    RunResult r;
    const long long deadline = NowMs() + limitMs;
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    bool killed = false;
    while (open > 0) {
        const long long left = deadline - NowMs();
        if (left <= 0) {
            kill(-pid, SIGKILL);
            killed = true;
            break;
        }
        if (poll(fds, 2, int(left)) <= 0)
            continue;
        for (auto& f : fds) {
            if (f.fd < 0 || !(f.revents & (POLLIN | POLLHUP)))
                continue;
            char buf[4096];
            const ssize_t n = read(f.fd, buf, sizeof buf);
            if (n <= 0) {
                close(f.fd);
                f.fd = -1;
                --open;
            } else {
                (f.fd == out[0] ? r.out : r.err).append(buf, size_t(n));
            }
        }
    }
    for (auto& f : fds)
        if (f.fd >= 0)
            close(f.fd);
    int status = 0;
    waitpid(pid, &status, 0);
    r.exitCode = (!killed && WIFEXITED(status)) ? WEXITSTATUS(status) : -1;
    r.signal = killed ? SIGKILL : WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return r;
}

Background::Background(const std::vector<std::string>& args,
                       const std::map<std::string, std::string>& env, bool withStderr,
                       bool onTerminal) {
    int out[2];
    if (pipe(out) != 0)
        return;
    int err = open("/dev/null", O_WRONLY);
    if (onTerminal) {
        m_terminal = posix_openpt(O_RDWR | O_NOCTTY);
        grantpt(m_terminal);
        unlockpt(m_terminal);
        close(err);
        err = open(ptsname(m_terminal), O_RDWR | O_NOCTTY);
    }
    m_pid = Spawn(args, env, out[1], withStderr ? out[1] : err, onTerminal ? err : -1);
    close(err);
    close(out[1]);
    m_out = out[0];
}

Background::~Background() {
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        int status = 0;
        for (int i = 0; i < 100 && waitpid(m_pid, &status, WNOHANG) == 0; ++i)
            usleep(20000);
        if (waitpid(m_pid, &status, WNOHANG) == 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, &status, 0);
        }
    }
    if (m_out >= 0)
        close(m_out);
    if (m_terminal >= 0)
        close(m_terminal);
}

bool Background::WaitForScreen(const std::string& text, int limitMs) {
    const long long deadline = NowMs() + limitMs;
    while (screen.find(text) == std::string::npos) {
        const long long left = deadline - NowMs();
        pollfd p{m_terminal, POLLIN, 0};
        if (left <= 0)
            return false;
        if (poll(&p, 1, int(left)) <= 0)
            continue;
        char buf[512];
        const ssize_t n = read(m_terminal, buf, sizeof buf);
        if (n <= 0)
            return false;
        screen.append(buf, size_t(n));
    }
    return true;
}

void Background::Type(const std::string& text) {
    const ssize_t n = write(m_terminal, text.data(), text.size());
    (void)n;
}

std::string Background::ReadLine(int limitMs) {
    const long long deadline = NowMs() + limitMs;
    for (;;) {
        const size_t nl = m_buffer.find('\n');
        if (nl != std::string::npos) {
            std::string line = m_buffer.substr(0, nl);
            m_buffer.erase(0, nl + 1);
            return line;
        }
        const long long left = deadline - NowMs();
        if (left <= 0 || m_out < 0)
            return "";
        pollfd p{m_out, POLLIN, 0};
        if (poll(&p, 1, int(left)) <= 0)
            continue;
        char buf[512];
        const ssize_t n = read(m_out, buf, sizeof buf);
        if (n <= 0)
            return "";
        m_buffer.append(buf, size_t(n));
    }
}

int Background::Wait(int limitMs, std::string& rest) {
    const long long deadline = NowMs() + limitMs;
    while (m_out >= 0 && NowMs() < deadline) {
        pollfd p{m_out, POLLIN, 0};
        if (poll(&p, 1, int(std::max(0LL, deadline - NowMs()))) <= 0)
            continue;
        char buf[4096];
        const ssize_t n = read(m_out, buf, sizeof buf);
        if (n <= 0) {
            close(m_out);
            m_out = -1;
        } else {
            m_buffer.append(buf, size_t(n));
        }
    }
    rest.swap(m_buffer);
    m_buffer.clear();
    if (m_pid <= 0)
        return -1;
    int status = 0;
    if (m_out >= 0)
        kill(m_pid, SIGKILL);
    waitpid(m_pid, &status, 0);
    m_pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TempDir::TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "daxtest-XXXXXX").string();
    if (mkdtemp(tmpl.data()))
        m_path = tmpl;
}

TempDir::~TempDir() {
    std::error_code ec;
    if (!m_path.empty())
        std::filesystem::remove_all(m_path, ec);
}

std::string ReadFile(const std::string& path) {
    std::ifstream f(path);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

} // namespace daxtest
