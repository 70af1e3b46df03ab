// Print data over the serial link: a raster block of about 54 KB, the size of the calibration
// grid, sent to daxsim at 38400 baud while the simulator takes bytes no faster than a real line
// (10 bits a byte). Prints the time until the device had every byte (it answers a status poll
// sent after the block only once it has read all of it) over the line time of those bytes.
//
// The block is drawn here (a disc outline with rings) and sent by one function, WritePrintData,
// in 64-byte pieces as the host writes print data to the link; that function is the one to
// replace by the host's own print path.
//
// With --check (CI runs it so) the simulator takes the bytes as they come: only what it decoded
// is judged, never the time.
#include "support/Process.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <nlohmann/json.hpp>
#include <poll.h>
#include <sstream>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int kRate = 38400;
constexpr double kTarget = 1.05;
constexpr std::size_t kPiece = 64;
constexpr std::size_t kWantedSize = 53957;

double NowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

std::string Esc(const std::string& text) {
    return "\x1b" + text;
}

// Method 1 pairs with maximal runs.
std::string Rle(const std::string& row) {
    std::string out;
    for (std::size_t i = 0; i < row.size();) {
        std::size_t n = 1;
        while (i + n < row.size() && n < 256 && row[i + n] == row[i])
            ++n;
        out += static_cast<char>(n - 1);
        out += row[i];
        i += n;
    }
    return out;
}

// Dot rows 33 to 1382, 1536 dots wide: the disc's outline and rings `spacing` dots apart.
std::string RasterBlock(double spacing) {
    std::string block = Esc("!c2C") +
                        std::string("\xff\x00\x55\xaa\x01\x02\x04\x08\x10\x20\x40\x80", 12) +
                        Esc("!u0C") + Esc("!t000C") + Esc("!s425C") + Esc("*b1M") + Esc("*p33Y");
    constexpr double cx = 764, cy = 707.5, radius = 674.5;
    for (int y = 33; y <= 1382; ++y) {
        std::string row(192, '\0');
        for (int x = 0; x < 1536; ++x) {
            const double d = std::hypot(x - cx, y - cy);
            const bool outline = std::fabs(d - radius) < 1.0;
            const bool ring = d < radius && std::fmod(d, spacing) < 1.0;
            if (outline || ring)
                row[static_cast<std::size_t>(x / 8)] |= static_cast<char>(0x80 >> (x % 8));
        }
        const std::string data = Rle(row);
        block += Esc("*b" + std::to_string(data.size()) + "W") + data;
    }
    return block;
}

// The block nearest the grid's size: wider rings, fewer bytes.
std::string GridSizedBlock() {
    double narrow = 10, wide = 1000;
    std::string best = RasterBlock(wide);
    for (int step = 0; step < 24; ++step) {
        const double spacing = (narrow + wide) / 2;
        std::string block = RasterBlock(spacing);
        (block.size() > kWantedSize ? narrow : wide) = spacing;
        const auto off = [](const std::string& b) {
            return std::labs(static_cast<long>(b.size()) - static_cast<long>(kWantedSize));
        };
        if (off(block) < off(best))
            best = std::move(block);
    }
    return best;
}

// Sends print data to the link the way the host does: raw, in pieces of 64 bytes.
bool WritePrintData(int fd, const std::string& data) {
    for (std::size_t at = 0; at < data.size();) {
        const std::size_t piece = std::min(kPiece, data.size() - at);
        std::size_t done = 0;
        while (done < piece) {
            const ssize_t n = write(fd, data.data() + at + done, piece - done);
            if (n <= 0)
                return false;
            done += static_cast<std::size_t>(n);
        }
        at += piece;
    }
    return true;
}

bool ReadAnswer(int fd, std::size_t count, std::string& answer, int limitMs) {
    const double end = NowMs() + limitMs;
    while (answer.size() < count) {
        pollfd p{fd, POLLIN, 0};
        const int left = static_cast<int>(end - NowMs());
        if (left <= 0 || poll(&p, 1, left) <= 0)
            return false;
        char buf[64];
        const ssize_t n = read(fd, buf, std::min(sizeof buf, count - answer.size()));
        if (n > 0)
            answer.append(buf, static_cast<std::size_t>(n));
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const bool check = argc > 1 && std::string(argv[1]) == "--check";
    daxtest::TempDir tmp;
    const std::string devDir = tmp.Path() + "/dev";
    const std::string log = tmp.Path() + "/sim.log";
    daxtest::Background sim({DAXSIM_PATH, "--profile", "printer", "--port", "1", "--device-dir",
                             devDir, "--log", log, "--set", "baud=38400", "--set",
                             check ? "pace=0" : "pace=1", "--set", "print_busy_polls=0"},
                            {});
    if (sim.ReadLine(10000).rfind("ready COM1", 0) != 0) {
        std::fprintf(stderr, "daxsim did not start\n");
        return 1;
    }
    const int fd = open((devDir + "/com1").c_str(), O_RDWR | O_NOCTTY);
    termios tio{};
    if (fd < 0 || tcgetattr(fd, &tio) != 0) {
        std::fprintf(stderr, "cannot open the simulator's line\n");
        return 1;
    }
    cfmakeraw(&tio);
    cfsetspeed(&tio, B38400);
    tcsetattr(fd, TCSANOW, &tio);

    const std::string block = GridSizedBlock();
    const std::string poll = Esc("!e1C");
    const double start = NowMs();
    if (!WritePrintData(fd, block)) {
        std::fprintf(stderr, "writing the print data failed\n");
        return 1;
    }
    const double written = NowMs();
    std::string answer;
    const bool answered = WritePrintData(fd, poll) && ReadAnswer(fd, 11, answer, 30000);
    const double had = NowMs();
    close(fd);
    if (!answered || answer != Esc("!e1000000C")) {
        std::fprintf(stderr, "the status poll after the block was not answered\n");
        return 1;
    }

    // The simulator must have decoded every row of the block.
    int rows = -1;
    long long bytes = -1;
    std::istringstream lines(daxtest::ReadFile(log));
    for (std::string l; std::getline(lines, l);) {
        const auto j = nlohmann::json::parse(l, nullptr, false);
        if (!j.is_discarded() && j.value("event", "") == "print_job") {
            rows = j.value("decoded_rows", -1);
            bytes = j.value("bytes", -1LL);
        }
    }
    if (rows != 1350 || bytes != static_cast<long long>(block.size())) {
        std::fprintf(stderr, "the simulator decoded %d rows of %lld bytes, not 1350 of %zu\n", rows,
                     bytes, block.size());
        return 1;
    }

    const double transfer = had - start;
    const double line = static_cast<double>(block.size() + poll.size()) * 10.0 * 1000.0 / kRate;
    const double ratio = transfer / line;
    std::printf("print data of %zu bytes at 38400 baud: %.0f ms until the device had them (the "
                "writer was done after %.0f ms); line time %.0f ms; ratio %.3f (target <= %.2f)\n",
                block.size(), transfer, written - start, line, ratio, kTarget);
    return ratio <= kTarget || check ? 0 : 1;
}
