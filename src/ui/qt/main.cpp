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
#include "ui/qt/Prompter.h"

#include <QApplication>
#include <QSessionManager>
#include <string>

int main(int argc, char** argv) {
    using namespace dax;
    // The command line as one text, as the test-level option is looked for in it.
    std::string commandLine;
    for (int i = 0; i < argc; ++i)
        commandLine += (i ? " " : "") + std::string(argv[i]);

    QApplication qapp(argc, argv);
    QApplication::setOrganizationName("Korvix");
    QApplication::setApplicationName("Daxtool");
    QtPrompter boxes;

    CDaxtoolApp app;
    PosixNamedMutexFactory mutexes;
    std::string refusal;
    if (!app.AcquireInstance(mutexes, refusal)) {
        boxes.MessageBox(nullptr, refusal, MessageBoxType::Ok);
        return 3;
    }
    app.ReadStartupOptions(commandLine, ReadVersionBlock());

    RealClock clock;
    PosixSerialDeviceFactory serial{DeviceNames()};
    QtSettingsStore settings;
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
