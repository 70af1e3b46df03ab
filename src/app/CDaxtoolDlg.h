#pragma once

#include "app/DialogView.h"
#include "app/PortList.h"
#include "devices/CTransporter.h"
#include "devices/Interaction.h"
#include "link/CTransporterPort.h"
#include "platform/Clock.h"
#include "platform/SerialDevice.h"
#include "platform/SettingsStore.h"

#include <algorithm>
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
    // printer alignment files are looked for.
    PrinterDevices* printerDevices = nullptr;
    std::vector<std::string> dataDirectories;
};

// How the last command of the dialog ended, for the command line and the tests to judge; the
// status says it to people. A command that uses the device has failed unless it reaches its
// success.
enum class CommandOutcome {
    None,      // no command has run
    Succeeded, // the command did what was asked
    Failed,    // the status says why
    NotFound,  // a probe got no transporter's answer on the port, or a scan on any port
    Cancelled, // the user cancelled before anything was sent (the file dialog)
};

class FlashFile;
struct FlashImagePlace;

// What a firmware update chose to program, and where: "DISC TRANSPORTER 3.25 A on COM3 <- image
// 2 of 2, 60000 bytes, ...". Empty until an image is chosen.
struct FlashPlan {
    int image = 0; // from 1
    int images = 0;
    uint32_t bytes = 0;
    std::string text;
    // Why the images before it were passed over, "image 1 of 2: ..."; empty when none was.
    std::string passedOver;
};

// The main dialog's logic: its fields, the state of its controls and every command handler. It
// draws nothing; the view shows it.
class CDaxtoolDlg : private Interaction {
public:
    static constexpr int kNoRate = 1200; // "Last Good"/"Baud Rate" when no rate was found yet
    static constexpr int kMaxPort = PortList::kMaxPort;
    // Discovery's receive buffer of an inquiry answer: the head and 96 identification bytes.
    static constexpr uint32_t kInquiryAnswerSize = 103;

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
    // The compatibility check of Update Flash Firmware alone, on the file `path`: the status says
    // which image would be programmed and why, or why none fits. Nothing is programmed.
    void OnCheckFlashFile(const std::string& path);
    // What the last firmware update or check chose.
    const FlashPlan& GetFlashPlan() const { return m_flashPlan; }
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
    // The loader parameters shown are the device's (the last read of them succeeded).
    bool ParamsRead() const { return m_bParamsRead; }
    // A read of the serial page failed after the device was found; the status says which.
    bool PageReadFailed() const { return m_bPageReadFailed; }
    CommandOutcome LastOutcome() const { return m_outcome; }
    // After Update Serial #s or Set Params: the value of this control was sent but what the
    // device keeps is not known (its store was not confirmed, or not read back).
    bool IsFieldUnknown(int id) const {
        return std::find(m_unknownFields.begin(), m_unknownFields.end(), id) !=
               m_unknownFields.end();
    }
    // After Update Serial #s or Set Params: the stored values' fields hold what the device
    // read back, whether or not it is what was sent.
    bool StoredFieldsReadBack() const { return m_bStoredFieldsReadBack; }
    // A scan's failure text, with the warning when a firmware update did not finish on a port.
    std::string WithAnyUnfinishedUpdate(const std::string& reason) {
        return WithUnfinishedUpdate(reason, UnfinishedUpdatePort());
    }

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
    bool ShowMessage(const std::string& text, Question question) override;
    bool AskRetryCancel(const std::string& text) override;
    // The window being closed, or the front end's own request (a signal on a terminal).
    bool LoopStopRequested() override {
        return m_bCloseRequested || m_bEnded || m_view.StopRequested();
    }

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
    // Sends the inquiry and reads its answer; `count` is the identification length as received.
    // False when no head came.
    bool ReadInquiry(uint8_t (&answer)[kInquiryAnswerSize], uint32_t& count,
                     bool* answered = nullptr);
    // Asks the transporter on the line what it is: true when it is still the device object's
    // (the cable may have been moved to another unit since it was found); otherwise the status
    // says why nothing may be sent to it.
    bool SameTransporterOnLine();
    bool WaitForTransporter();
    // Stores what was sent and waits for the restarted transporter; false when it has put
    // the reason into the status.
    bool SaveAndWaitForTransporter();
    // Update Serial #s and Set Params: validate, send, store, wait for the restart, read back
    // and compare. `fields` are the controls whose values the command stores; `readBack` fills
    // them from the device and describes any that differ from what was sent (false when the
    // read failed).
    void RunParameterUpdate(bool stepDown, const std::vector<int>& fields,
                            const std::function<bool()>& send,
                            const std::function<bool(std::string&)>& readBack);
    void RunCloseSequence();
    // Firmware update: finds the image the device takes, then programs it.
    bool ChooseFlashImage(class FlashFile& file, const std::string& path, bool checkingDisabled,
                          std::vector<uint8_t>& image);
    // The plan of programming `place`, image `index` of `count`, on this device.
    void PlanFlash(const FlashImagePlace& place, size_t index, size_t count);
    // Old firmware is told 65534 bytes: a larger image does not fit it (the status says so).
    bool FitsOldFirmware(uint32_t size);
    bool ReadFlashImage(FlashFile& file, const std::string& path, const FlashImagePlace& place,
                        std::vector<uint8_t>& image);
    static constexpr uint32_t kOldFirmwareImageLimit = 65532; // then the two checksum bytes
    bool ProgramFlashImage(const std::vector<uint8_t>& image);
    // After the re-probe: what the restarted transporter says about its firmware, and whether
    // it runs the revision the image holds, decide the outcome.
    bool CheckFlashedTransporter(const std::vector<uint8_t>& image);
    // Writes one setting; one that cannot be kept is told to the view, never skipped silently.
    void SaveSetting(const char* section, const char* value, int32_t data,
                     const std::string& consequence = {});
    // The COM number whose firmware update did not finish (0: none), kept in the settings so
    // that a later run that finds nothing there can say why.
    void RememberUnfinishedUpdate(int port);
    int UnfinishedUpdatePort();
    // COMn answered a probe: an update left unfinished there is forgotten.
    void UnfinishedUpdateAnswered(int port);
    // A probe's failure text, with the warning when that port's firmware update did not finish.
    std::string WithUnfinishedUpdate(const std::string& reason, int port);
    // After a scan of every port found nothing.
    void ReportUnfinishedUpdate();
    void SetStatus(const std::string& text);
    // The command's success: its status and its outcome together.
    void SetSucceeded(const std::string& status);
    // Ends a failed probe: the reason shown at once, the device commands disabled.
    bool FailProbe(const std::string& reason, CommandOutcome outcome = CommandOutcome::Failed);
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
    bool m_bFocusSerial = false; // the transporter serial reads as never programmed
    bool m_bSerialsRead = false;
    bool m_bPageReadFailed = false;
    bool m_bParamsRead = false;
    CommandOutcome m_outcome = CommandOutcome::None;
    FlashPlan m_flashPlan;
    std::vector<int> m_unknownFields;
    bool m_bStoredFieldsReadBack = false;
    // Why the last probe found nothing, naming its port, for the summary of a scan.
    std::string m_strProbeOutcome;
};

} // namespace dax
