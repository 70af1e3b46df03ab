// daxtool: the window a technician opens.
#include "app/CDaxtoolApp.h"
#include "platform/DeviceNames.h"
#include "platform/RealClock.h"
#include "platform/VersionBlock.h"
#include "platform/posix/PosixNamedMutex.h"
#include "platform/posix/PosixPrinterDevices.h"
#include "platform/posix/PosixSerialDevice.h"
#include "platform/qt/QtSettingsStore.h"
#include "ui/qt/DaxtoolWindow.h"
#include "ui/qt/DisplayProbe.h"
#include "ui/qt/Prompter.h"
#include "ui/qt/WindowCommandLine.h"

#include <QApplication>
#include <QSessionManager>
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    using namespace dax;
    // The command line as one text, as the test-level option is looked for in it.
    std::string commandLine;
    for (int i = 0; i < argc; ++i)
        commandLine += (i ? " " : "") + std::string(argv[i]);

    // Before the toolkit starts, which would abort without a display.
    const auto environment = [](const char* name) {
        const char* value = std::getenv(name);
        return std::string(value ? value : "");
    };
    const WindowStart start = ClassifyWindowStart(argc, argv, environment, DisplayAnswers);
    if (start == WindowStart::Help) {
        std::fputs(WindowHelpText().c_str(), stdout);
        return 0;
    }
    if (start == WindowStart::Version) {
        CDaxtoolApp about;
        about.ReadStartupOptions("", ReadVersionBlock());
        std::printf("%s\n", about.VersionReport("daxtool").c_str());
        return 0;
    }
    if (start == WindowStart::BadUsage) {
        std::fprintf(stderr, "daxtool: unknown option '%s'; daxtool --help lists the options\n",
                     UnknownOption(argc, argv).c_str());
        return 64;
    }
    if (start == WindowStart::NoDisplay) {
        std::fprintf(stderr, "daxtool: %s\n", kNoDisplayMessage);
        return 1;
    }

    QApplication qapp(argc, argv);
    QApplication::setOrganizationName("Korvix");
    QApplication::setApplicationName("Daxtool");
    QGuiApplication::setDesktopFileName("daxtool");
    QtPrompter boxes;

    // A settings file that is no file (a FIFO would hold the program here) ends the start.
    QtSettingsStore settings;
    if (!settings.Problem().empty()) {
        std::fprintf(stderr, "daxtool: %s\n", settings.Problem().c_str());
        boxes.MessageBox(nullptr, settings.Problem(), MessageBoxType::Ok);
        return 1;
    }

    CDaxtoolApp app;
    PosixNamedMutexFactory mutexes;
    std::string refusal;
    if (!app.AcquireInstance(mutexes, refusal)) {
        boxes.MessageBox(nullptr, refusal, MessageBoxType::Ok);
        return 3;
    }
    if (!app.GetGuardWarning().empty())
        std::fprintf(stderr, "%s\n", app.GetGuardWarning().c_str());
    app.ReadStartupOptions(commandLine, ReadVersionBlock());

    RealClock clock;
    PosixSerialDeviceFactory serial{DeviceNames()};
    DialogContext context(serial, clock, settings);
    app.FillDialogContext(context);
    PosixPrinterDevices printers{DeviceNames()};
    context.printerDevices = &printers;

    DaxtoolWindow window(context, &boxes);
    // The desktop session is ending: the dialog ends at once and writes nothing.
    QObject::connect(&qapp, &QGuiApplication::commitDataRequest, &window,
                     [&window](QSessionManager&) { window.Dialog().OnEndSession(); });
    // The start-up scan runs before the window shows, behind its "Scanning..." box.
    window.Dialog().OnInitDialog();
    if (!window.Dialog().IsEnded())
        window.exec();
    return 0;
}
