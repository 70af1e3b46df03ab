#pragma once

#include "app/DialogView.h"
#include "app/PortList.h"
#include "devices/CTransporter.h"
#include "devices/Interaction.h"
#include "link/CTransporterPort.h"
#include "platform/Clock.h"
#include "platform/SerialDevice.h"
#include "platform/SettingsStore.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace dax {

class PortTrace;
class PrinterDevices;

// What the dialog needs from the program around it.
struct DialogContext {
    DialogContext(SerialDeviceFactory& serial, Clock& c, SettingsStore& s)
        : serialDevices(serial), clock(c), settings(s) {}
    SerialDeviceFactory& serialDevices;
    Clock& clock;
    SettingsStore& settings;
    int testLevel = 0;
    std::string version; // the About box's texts
    std::string date;
    std::string legal;
    PortTrace* trace = nullptr; // sees every byte on the transporter's port
    // The system's USB printers (none: print data go over the transporter's link) and where the
    // printer alignment files lie.
    PrinterDevices* printerDevices = nullptr;
    std::string programDirectory;
};

// The main dialog's logic: its fields, the state of its controls and every command handler. It
// draws nothing; the view shows it.
class CDaxtoolDlg : private Interaction {
public:
    static constexpr int kNoRate = 1200; // "Last Good"/"Baud Rate" when no rate was found yet
    static constexpr int kMaxPort = PortList::kMaxPort;

    CDaxtoolDlg(DialogContext context, DialogView& view);
    // 9600, 38400 or 115200: the rates a transporter answers at.
    static bool IsTransporterRate(int baud);
    ~CDaxtoolDlg() override;
    CDaxtoolDlg(const CDaxtoolDlg&) = delete;
    CDaxtoolDlg& operator=(const CDaxtoolDlg&) = delete;

    // Dialog initialisation: hides the Exerciser, runs the start-up scan behind the wait box.
    bool OnInitDialog(bool startupScan = true);

    // Field exchange: save = false shows the fields, save = true reads and validates the
    // controls (false after a validation message).
    bool UpdateData(bool save);

    // Command handlers, one per control or command.
    void OnFlashLeds();
    void OnPrintGrid();
    void OnTest();
    void OnExerciser();
    void OnAbout();
    // The window menu: true when the command was the About item (the low four bits of a
    // system command are the system's own).
    bool OnSysCommand(int id);
    void OnPortChange();
    void OnUpdateSerial();
    void OnSetParams();
    void OnCounterToSerial();
    void OnUpdateFlash();
    void OnCalibrateRotator();
    void OnCalibratePocket();
    void OnClose();      // WM_CLOSE and Exit
    void OnEndSession(); // the session ends: nothing is written
    // Right click or F1 at a screen point: the help sentence of the control there.
    void OnContextHelp(int x, int y);
    // Enter and Escape: the dialog never closes by them.
    void OnOK() {}
    void OnCancel() {}

    // Discovery.
    bool ScanPort(bool withWaitBox);
    bool ScanAllPorts();
    void StartupScan();

    bool StepDownTo38400();
    // Loads a disc from bin 1, prints one of the device's built-in patterns on it and takes it
    // out; the outcome goes into the status.
    void PrintDevicePattern(int pattern);

    // Selects the Port combo's item of COMn (0: "Unknown"), as the user would; a port without
    // an item gets one. False for a number that names no port.
    bool SelectPort(int port);

    // State read by the views.
    CTransporter* GetTransporter() const { return m_pTransporter.get(); }
    CTransporterPort* GetPort() const { return m_pPort.get(); }
    bool IsBusy() const { return m_bBusy; }
    bool IsEnded() const { return m_bEnded; }
    int GetTestLevel() const { return m_ctx.testLevel; }
    // The serial numbers shown are the device's (the last read of them succeeded).
    bool SerialNumbersRead() const { return m_bSerialsRead; }
    // A read of the serial page failed after the device was found; the status says which.
    bool PageReadFailed() const { return m_bPageReadFailed; }

    // Fields.
    std::string m_strInquiryId;
    std::string m_strStatus;
    int m_nPort = 0;
    std::string m_strBaudText;
    std::string m_strTransporterSn;
    std::string m_strPrinterSn;
    std::string m_strPrinterBSn;
    bool m_bEnableShutdown = false;
    std::string m_strCountPrint;
    std::string m_strCountRibbon;
    std::string m_strCountImage;
    bool m_bOverrideName = false;
    std::string m_strDisplayName;
    int m_nBeeps = 0;
    bool m_bUseComputerName = false;
    int m_nBaud = kNoRate;
    std::string m_strPortPath;

private:
    // Interaction, for the devices.
    void PumpMessages() override;
    void ShowMessage(const std::string& text) override;
    bool AskRetryCancel(const std::string& text) override;
    bool StopRequested() override { return m_bCloseRequested || m_bEnded; }

    // Sets the busy flag and the wait cursor for one command; a close request that came in
    // meanwhile runs when the command ends.
    class BusyScope;

    void ClearDisableCheck();
    bool CanRunCommand() const { return m_pTransporter && !m_bBusy; }
    void SetControlsAfterScan();
    void DisableControlsAfterFailure();
    void FillSerialPage();
    void DropDevice();
    bool AttemptInquiry(bool withWaitBox);
    bool WaitForTransporter();
    // Stores what was sent and waits for the restarted transporter; false when it has put
    // the reason into the status.
    bool SaveAndWaitForTransporter();
    // Update Serial #s and Set Params: validate, send, store, wait for the restart, read back.
    void RunParameterUpdate(bool stepDown, const std::function<bool()>& send,
                            const std::function<void()>& readBack);
    void RunCloseSequence();
    // Firmware update: finds the image the device takes, then programs it.
    bool ChooseFlashImage(class FlashFile& file, const std::string& path, bool checkingDisabled,
                          std::vector<uint8_t>& image);
    bool ProgramFlashImage(const std::vector<uint8_t>& image);
    // After the re-probe: the first sense of the restarted transporter decides the outcome.
    bool CheckFlashedTransporter();
    // The COM number whose firmware update did not finish (0: none), kept in the settings so
    // that a later run that finds nothing there can say why.
    void RememberUnfinishedUpdate(int port);
    int UnfinishedUpdatePort();
    // A probe's failure text, with the warning when that port's firmware update did not finish.
    std::string WithUnfinishedUpdate(const std::string& reason, int port);
    // After a scan of every port found nothing.
    void ReportUnfinishedUpdate();
    void SetStatus(const std::string& text);
    // Ends a failed probe: the reason shown at once, the device commands disabled.
    bool FailProbe(const std::string& reason);
    // Empties what the fields showed of a device.
    void ClearDeviceFields();
    // Gives COMn an item in the Port combo when it has none.
    void AddPortItem(int port);

    DialogContext m_ctx;
    DialogView& m_view;
    PortList m_portList;
    std::unique_ptr<CTransporterPort> m_pPort;
    std::unique_ptr<CTransporter> m_pTransporter;
    bool m_bBusy = false;
    bool m_bCloseRequested = false;
    bool m_bEnded = false;
    bool m_bFocusSerial = false;
    bool m_bSerialsRead = false; // the transporter serial reads as never programmed
    bool m_bPageReadFailed = false;
    // Why the last probe found nothing, naming its port, for the summary of a scan.
    std::string m_strProbeOutcome;
};

} // namespace dax
