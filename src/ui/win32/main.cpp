// daxtool.exe: the window a technician opens on Windows.
#include "app/CDaxtoolApp.h"
#include "platform/DeviceNames.h"
#include "platform/RealClock.h"
#include "platform/VersionBlock.h"
#include "platform/win32/RegistrySettingsStore.h"
#include "platform/win32/Win32NamedMutex.h"
#include "platform/win32/Win32PrinterDevices.h"
#include "platform/win32/Win32SerialDevice.h"
#include "ui/win32/DaxtoolWindow.h"
#include "ui/win32/MessageLoop.h"

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    using namespace dax;
    using namespace dax::win32;
    INITCOMMONCONTROLSEX controls{sizeof controls,
                                  ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
    SystemPrompter boxes;

    CDaxtoolApp app;
    Win32NamedMutexFactory mutexes;
    std::string refusal;
    if (!app.AcquireInstance(mutexes, refusal)) {
        boxes.MessageBox(nullptr, refusal, MessageBoxType::Ok);
        return 3;
    }
    // The command line as the system keeps it: the test level is looked for in it.
    app.ReadStartupOptions(::GetCommandLineA(), ReadVersionBlock());

    RealClock clock;
    const DeviceNames names;
    Win32SerialDeviceFactory serial(names);
    RegistrySettingsStore settings;
    DialogContext context(serial, clock, settings);
    app.FillDialogContext(context);
    Win32PrinterDevices printers(names);
    context.printerDevices = &printers;

    DaxtoolWindow window(context);
    if (!window.Window()) {
        boxes.MessageBox(nullptr, "Unable to create the main window", MessageBoxType::Ok);
        return 1;
    }
    // The start-up scan runs before the window shows, behind its "Scanning..." box.
    window.Dialog().OnInitDialog();
    if (!window.Dialog().IsEnded()) {
        window.Show();
        RunMessageLoop([&window] { return window.Dialog().IsEnded(); });
    }
    return 0;
}
