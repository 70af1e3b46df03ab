// The window over the simulator on a pseudo-terminal, on the real clock and serial device: what
// the technician sees while an operation runs. Also run on a real X server with a window
// manager (ui_tests_on_x).
#include "app/ControlIds.h"
#include "app/DialogStrings.h"
#include "devices/Commands.h"
#include "platform/DeviceNames.h"
#include "platform/RealClock.h"
#include "platform/fake/MemorySettingsStore.h"
#include "platform/posix/PosixSerialDevice.h"
#include "support/SimSession.h"
#include "ui/ScriptedPrompter.h"
#include "ui/qt/DaxtoolWindow.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <map>

namespace dax::ui {
namespace {

class WindowOnSim : public daxtest::SimSession {
protected:
    // The window finds the simulator on COM1 with its start-up scan and shows.
    DaxtoolWindow& Start() {
        settings.WriteInt(kSectionLastGood, kValueFirstPort, 1);
        settings.WriteInt(kSectionLastGood, kValueBaudRate, 38400);
        window = std::make_unique<DaxtoolWindow>(context, &prompter);
        window->Dialog().OnInitDialog();
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        EXPECT_NE(window->Dialog().GetTransporter(), nullptr) << window->Dialog().m_strStatus;
        return *window;
    }
    QWidget* Get(int id) { return window->Control(id); }
    std::map<int, bool> CommandStates() {
        std::map<int, bool> states;
        for (int id : kCommandControls)
            states[id] = Get(id)->isEnabled();
        return states;
    }
    // Runs `command` with a timer of the window due every 20 ms, `atTick` at each tick; the
    // longest time without a tick, in milliseconds.
    qint64 LongestSilence(const std::function<void()>& command,
                          const std::function<void()>& atTick = {}) {
        QElapsedTimer elapsed;
        elapsed.start();
        qint64 last = 0;
        qint64 longest = 0;
        QTimer timer;
        timer.setInterval(20);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            longest = std::max(longest, elapsed.elapsed() - last);
            last = elapsed.elapsed();
            if (atTick)
                atTick();
        });
        timer.start();
        last = elapsed.elapsed();
        command();
        timer.stop();
        return std::max(longest, elapsed.elapsed() - last);
    }

    DeviceNames names{DeviceEnvironment{}, dir.Path() + "/dev"};
    PosixSerialDeviceFactory devices{names};
    RealClock clock;
    MemorySettingsStore settings;
    ScriptedPrompter prompter;
    DialogContext context{devices, clock, settings};
    std::unique_ptr<DaxtoolWindow> window;
};

// A download at the line's pace and a print: the window's timers keep firing, the command
// controls look disabled until the end, a click on Flash Leds meanwhile sends nothing then or
// later, and a close asked for meanwhile waits for the print's end.
TEST_F(WindowOnSim, AnswersDuringADownloadAndAPrintAndTakesNoSecondCommand) {
    StartSim("basic", {"pace=1"});
    DaxtoolWindow& w = Start();
    const std::map<int, bool> before = CommandStates();
    ASSERT_TRUE(before.at(IDC_FLASH_LEDS));

    prompter.fileToOpen = WriteFile("fw.bin", TransporterImage(12000, "3.31 B"));
    bool lookedDisabled = true;
    int progressShown = -1; // the bar's highest value while it showed
    auto checkLook = [&] {
        if (w.Progress()->isVisible())
            progressShown = std::max(progressShown, w.Progress()->value());
        for (const auto& [id, enabled] : CommandStates())
            lookedDisabled = lookedDisabled && !enabled;
    };
    const qint64 downloadSilence = LongestSilence(
        [&] { QTest::mouseClick(Get(IDC_UPDATE_FLASH), Qt::LeftButton); }, checkLook);
    std::printf("longest time without events during the download: %lld ms\n",
                static_cast<long long>(downloadSilence));
    EXPECT_EQ(w.Dialog().m_strStatus, "Flash update succeeded - now 3.31 B");
    EXPECT_LE(downloadSilence, 250);
    EXPECT_TRUE(lookedDisabled);
    EXPECT_EQ(CommandStates(), before);
    EXPECT_GE(progressShown, 34); // 4096 of 12000 bytes
    EXPECT_FALSE(w.Progress()->isVisible());

    bool clicked = false;
    const qint64 printSilence =
        LongestSilence([&] { QTest::mouseClick(Get(IDC_PRINT_GRID), Qt::LeftButton); },
                       [&] {
                           checkLook();
                           if (!clicked && w.Dialog().m_strStatus == kPrintingPattern) {
                               clicked = true;
                               QTest::mouseClick(Get(IDC_FLASH_LEDS), Qt::LeftButton);
                               w.Dialog().OnSysCommand(IDM_ABOUTBOX); // the window menu's About
                               w.close();
                           }
                       });
    EXPECT_TRUE(clicked);
    EXPECT_TRUE(prompter.abouts.empty());
    EXPECT_LE(printSilence, 250);
    EXPECT_TRUE(lookedDisabled);
    EXPECT_EQ(w.Dialog().m_strStatus, kPrintingCompleted);
    // The close ran when the print ended.
    EXPECT_TRUE(w.Dialog().IsEnded());
    QTest::qWait(200);
    EXPECT_FALSE(Sent(std::string(kCmdLedsOn).substr(1)));
}

} // namespace
} // namespace dax::ui
