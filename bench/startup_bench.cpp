// Start-up speed against what the protocol allows:
//  1. from start to a filled page with the transporter on the remembered port and rate,
//     against the floor the protocol sets: a 50 ms drain before every exchange that expects an
//     answer and the pauses it mandates (the simulator's pseudo-terminal carries bytes at no
//     line rate, so the bytes' own time is shown but not counted);
//  2. a start-up scan of all 256 port numbers with none present.
// With --check (CI runs it so) only what the two runs found is judged, never their time.
#include "app/CDaxtoolDlg.h"
#include "app/DialogStrings.h"
#include "app/PanelView.h"
#include "platform/DeviceNames.h"
#include "platform/RealClock.h"
#include "platform/fake/MemorySettingsStore.h"
#include "platform/posix/PosixSerialDevice.h"
#include "support/Process.h"

#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

using namespace dax;

namespace {

double NowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

// The real clock, with the pauses it was asked for added up.
class MeteredClock : public RealClock {
public:
    void sleep(uint32_t ms) override {
        slept += ms;
        RealClock::sleep(ms);
    }
    uint64_t slept = 0;
};

// Counts what crosses the line: drains (reads under the 50 ms drain time-out) and bytes.
class MeteredDevice : public SerialDevice {
public:
    MeteredDevice(std::unique_ptr<SerialDevice> inner, std::map<std::string, uint64_t>& counts)
        : m_inner(std::move(inner)), m_counts(counts) {}
    bool open(const std::string& p) override { return m_inner->open(p); }
    bool isOpen() const override { return m_inner->isOpen(); }
    bool getLineState(SerialLineState& s) override { return m_inner->getLineState(s); }
    bool setLineState(const SerialLineState& s) override { return m_inner->setLineState(s); }
    bool getTimeouts(SerialTimeouts& t) override { return m_inner->getTimeouts(t); }
    bool setTimeouts(const SerialTimeouts& t) override {
        m_timeouts = t;
        return m_inner->setTimeouts(t);
    }
    bool write(const uint8_t* d, size_t n, size_t& w) override {
        const bool ok = m_inner->write(d, n, w);
        m_counts["bytes"] += w;
        return ok;
    }
    bool read(uint8_t* b, size_t n, size_t& r) override {
        if (m_timeouts.readTotalConstant == CTransporterPort::kDrainMs &&
            m_timeouts.readTotalMultiplier == 0)
            m_counts["drains"]++;
        const bool ok = m_inner->read(b, n, r);
        m_counts["bytes"] += r;
        return ok;
    }
    bool getCts(bool& c) override { return m_inner->getCts(c); }
    void clearErrors(uint32_t* e) override { m_inner->clearErrors(e); }
    void purge() override { m_inner->purge(); }
    void clearDtr() override { m_inner->clearDtr(); }
    void close() override { m_inner->close(); }
    uint32_t lastError() const override { return m_inner->lastError(); }

private:
    std::unique_ptr<SerialDevice> m_inner;
    std::map<std::string, uint64_t>& m_counts;
    SerialTimeouts m_timeouts;
};

class MeteredFactory : public SerialDeviceFactory {
public:
    explicit MeteredFactory(DeviceNames names) : m_inner(std::move(names)) {}
    std::unique_ptr<SerialDevice> create() override {
        return std::make_unique<MeteredDevice>(m_inner.create(), counts);
    }
    std::vector<int> existingPorts() override { return m_inner.existingPorts(); }
    std::map<std::string, uint64_t> counts;

private:
    PosixSerialDeviceFactory m_inner;
};

DeviceNames NamesFor(const std::string& dir) {
    DeviceEnvironment env;
    env.deviceDir = dir;
    return DeviceNames(env);
}

} // namespace

int main(int argc, char** argv) {
    const bool check = argc > 1 && std::string(argv[1]) == "--check";
    daxtest::TempDir tmp;
    const std::string devDir = tmp.Path() + "/dev";
    constexpr int kRate = 38400;
    int status = 0;

    {
        daxtest::Background sim({DAXSIM_PATH, "--profile", "basic", "--port", "1", "--device-dir",
                                 devDir, "--set", "baud=38400"},
                                {});
        const std::string ready = sim.ReadLine(10000);
        if (ready.rfind("ready COM1", 0) != 0) {
            std::fprintf(stderr, "daxsim did not start: '%s'\n", ready.c_str());
            return 1;
        }
        MeteredFactory factory(NamesFor(devDir));
        MeteredClock clock;
        MemorySettingsStore settings;
        settings.WriteInt(kSectionLastGood, kValueBaudRate, kRate);
        settings.WriteInt(kSectionLastGood, kValueFirstPort, 1);
        PanelView view;
        CDaxtoolDlg dlg(DialogContext(factory, clock, settings), view);
        const double t0 = NowMs();
        dlg.OnInitDialog(true);
        const double elapsed = NowMs() - t0;
        if (!dlg.GetTransporter() || !dlg.SerialNumbersRead() || dlg.PageReadFailed()) {
            std::fprintf(stderr, "no transporter found, or its page not read: %s\n",
                         dlg.m_strStatus.c_str());
            return 1;
        }
        const double drains = double(factory.counts["drains"]);
        const double wire = double(factory.counts["bytes"]) * 10.0 * 1000.0 / kRate;
        const double floor = drains * CTransporterPort::kDrainMs + double(clock.slept);
        const double ratio = elapsed / floor;
        std::printf("start to filled page: %.1f ms; protocol floor %.1f ms (%.0f drains x 50 ms, "
                    "%llu ms of pauses; %.1f ms for the bytes at a real line's rate); ratio %.3f "
                    "(target <= 1.2)\n",
                    elapsed, floor, drains, static_cast<unsigned long long>(clock.slept), wire,
                    ratio);
        if (ratio > 1.2 && !check)
            status = 1;
    }
    {
        MeteredFactory factory(NamesFor(tmp.Path() + "/empty"));
        MeteredClock clock;
        MemorySettingsStore settings;
        PanelView view;
        CDaxtoolDlg dlg(DialogContext(factory, clock, settings), view);
        const double t0 = NowMs();
        dlg.StartupScan();
        const double elapsed = NowMs() - t0;
        std::printf("start-up scan of 256 absent ports: %.2f ms (target < 50 ms); found: %s\n",
                    elapsed, dlg.GetTransporter() ? "yes" : "nothing");
        if (dlg.GetTransporter() || dlg.LastOutcome() != CommandOutcome::NotFound)
            status = 1;
        if (elapsed >= 50.0 && !check)
            status = 1;
    }
    return status;
}
