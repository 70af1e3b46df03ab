// Programming speed: a 64 KiB image flashed into daxsim, which takes its bytes no faster than a
// real line at 38400 baud (10 bits a byte). Prints the transfer time over the line time. The
// transfer is timed where the bytes land, from the simulator's log (programming accepted to the
// last byte taken), since the pseudo-terminal's buffer lets the first kilobytes leave the
// program at once; the program's own view is printed beside it.
//
// With --check (CI runs it so) the image is small, the simulator takes bytes as they come and the
// long pauses of the update are cut short: only the outcome is judged, never the time.
#include "app/CDaxtoolDlg.h"
#include "app/ControlIds.h"
#include "app/DialogStrings.h"
#include "app/PanelView.h"
#include "platform/DeviceNames.h"
#include "platform/RealClock.h"
#include "platform/fake/MemorySettingsStore.h"
#include "platform/posix/PosixSerialDevice.h"
#include "support/Process.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <vector>

using namespace dax;

namespace {

double NowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

// Notes when the image's bytes start and stop crossing the line: everything written after the
// programming command was accepted.
struct Timeline {
    bool programming = false;
    uint64_t announced = 0;
    double first = 0, last = 0;
    uint64_t bytes = 0;
};

class TimedDevice : public PosixSerialDevice {
public:
    TimedDevice(DeviceNames names, Timeline& t) : PosixSerialDevice(std::move(names)), m_t(t) {}
    bool write(const uint8_t* d, size_t n, size_t& w) override {
        const bool data = m_t.programming;
        const double start = NowMs();
        const bool ok = PosixSerialDevice::write(d, n, w);
        if (data) {
            if (m_t.bytes == 0)
                m_t.first = start;
            m_t.last = NowMs();
            m_t.bytes += w;
            m_t.programming = m_t.bytes < m_t.announced;
        }
        if (n > 4 && std::memcmp(d, "\x1B!g0", 4) == 0) {
            m_t.programming = true;
            m_t.announced = std::strtoull(reinterpret_cast<const char*>(d) + 4, nullptr, 10);
        }
        return ok;
    }

private:
    Timeline& m_t;
};

class TimedFactory : public SerialDeviceFactory {
public:
    TimedFactory(DeviceNames names, Timeline& t) : m_names(std::move(names)), m_t(t) {}
    std::unique_ptr<SerialDevice> create() override {
        return std::make_unique<TimedDevice>(m_names, m_t);
    }
    std::vector<int> existingPorts() override {
        std::vector<int> numbers;
        for (const ComPortNode& port : m_names.listComPorts())
            numbers.push_back(port.number);
        return numbers;
    }

private:
    DeviceNames m_names;
    Timeline& m_t;
};

// --check: the update's fixed pauses (5 s after the download, the restart delay) cut short; the
// simulator restarts within them.
class QuickClock : public RealClock {
public:
    void sleep(uint32_t ms) override { RealClock::sleep(std::min<uint32_t>(ms, 200)); }
};

class FileView : public PanelView {
public:
    explicit FileView(std::string path) : m_path(std::move(path)) {}
    bool OpenFileDialog(const std::string&, const std::string&, const std::string&,
                        std::string& path) override {
        path = m_path;
        return true;
    }

private:
    std::string m_path;
};

} // namespace

int main(int argc, char** argv) {
    const bool check = argc > 1 && std::strcmp(argv[1], "--check") == 0;
    daxtest::TempDir tmp;
    const std::string devDir = tmp.Path() + "/dev";
    constexpr double kRate = 38400;

    // A general image for the simulator's basic transporter.
    std::vector<uint8_t> image(check ? 8192 : 65536);
    for (size_t i = 0; i < image.size(); ++i)
        image[i] = uint8_t(i * 13 + 5);
    const char id[] = "DISC TRANSPORTERVERSION 3.30 A";
    std::memcpy(image.data() + 160, id, sizeof id - 1);
    std::memcpy(image.data() + 193, "Velmora", 7);
    const std::string path = tmp.Path() + "/image.bin";
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(image.data(), 1, image.size(), f);
        std::fclose(f);
    }

    const std::string log = tmp.Path() + "/sim.log";
    daxtest::Background sim({DAXSIM_PATH, "--profile", "basic", "--port", "1", "--device-dir",
                             devDir, "--log", log, "--set", "baud=38400", "--set",
                             check ? "pace=0" : "pace=1", "--set",
                             check ? "reboot_ms=100" : "reboot_ms=500"},
                            {});
    if (sim.ReadLine(10000).rfind("ready COM1", 0) != 0) {
        std::fprintf(stderr, "daxsim did not start\n");
        return 1;
    }
    DeviceEnvironment env;
    env.deviceDir = devDir;
    Timeline timeline;
    TimedFactory factory{DeviceNames(env), timeline};
    RealClock realClock;
    QuickClock quickClock;
    Clock& clock = check ? static_cast<Clock&>(quickClock) : realClock;
    MemorySettingsStore settings;
    settings.WriteInt(kSectionLastGood, kValueBaudRate, 38400);
    FileView view(path);
    CDaxtoolDlg dlg(DialogContext(factory, clock, settings), view);
    dlg.OnInitDialog(true);
    if (!dlg.GetTransporter()) {
        std::fprintf(stderr, "no transporter: %s\n", dlg.m_strStatus.c_str());
        return 1;
    }
    dlg.OnUpdateFlash();
    if (dlg.LastOutcome() != CommandOutcome::Succeeded || timeline.bytes != image.size()) {
        std::fprintf(stderr, "flash failed (%llu bytes sent): %s\n",
                     static_cast<unsigned long long>(timeline.bytes), dlg.m_strStatus.c_str());
        return 1;
    }
    double begun = -1, taken = -1;
    {
        std::istringstream lines(daxtest::ReadFile(log));
        for (std::string l; std::getline(lines, l);) {
            const auto j = nlohmann::json::parse(l, nullptr, false);
            if (j.is_discarded() || j.value("dir", "") != "event")
                continue;
            if (j.value("event", "") == "programming")
                begun = j.value("t_ms", -1.0);
            else if (j.value("event", "") == "flash")
                taken = j.value("t_ms", -1.0);
        }
    }
    if (begun < 0 || taken < 0) {
        std::fprintf(stderr, "the simulator's log has no programming\n");
        return 1;
    }
    if (check) {
        std::printf("flash of %llu bytes: %s\n", static_cast<unsigned long long>(timeline.bytes),
                    dlg.m_strStatus.c_str());
        return 0;
    }
    const double transfer = taken - begun;
    const double line = double(timeline.bytes) * 10.0 * 1000.0 / kRate;
    const double ratio = transfer / line;
    std::printf("flash of %llu bytes at 38400 baud: %.0f ms until the device had them (the "
                "program wrote them in %.0f ms); line time %.0f ms; ratio %.3f (target <= "
                "1.03); transporter now %s\n",
                static_cast<unsigned long long>(timeline.bytes), transfer,
                timeline.last - timeline.first, line, ratio,
                dlg.GetTransporter()->m_strTransporterId.c_str());
    return ratio <= 1.03 ? 0 : 1;
}
