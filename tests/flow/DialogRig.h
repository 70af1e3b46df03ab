#pragma once

#include "app/CDaxtoolDlg.h"
#include "app/ControlIds.h"
#include "app/DialogStrings.h"
#include "app/PanelView.h"
#include "flow/ScriptedTransporter.h"
#include "platform/fake/MemorySettingsStore.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace dax::flow {

// The main dialog over fake ports, settings and clock, with its view recorded.
class RecordingView : public PanelView {
public:
    void PumpMessages() override {
        ++pumps;
        if (onPump)
            onPump();
    }
    void SetWaitBoxMessage(const std::string& message) override {
        waitBoxMessages.push_back(message);
    }
    void SetControlText(int id, const std::string& text) override {
        if (id == IDC_STATUS && text != GetControlText(id))
            statuses.push_back(text);
        PanelView::SetControlText(id, text);
    }
    bool OpenFileDialog(const std::string& title, const std::string& filterName,
                        const std::string& pattern, std::string& path) override {
        fileDialogs.push_back(title + "|" + filterName + "|" + pattern);
        if (fileToOpen.empty())
            return false;
        path = fileToOpen;
        return true;
    }
    void SetWaitCursor(bool wait) override {
        if (waitCursor && !wait)
            cursorOffAt.push_back(GetControlText(IDC_STATUS));
        waitCursor = wait;
    }
    void SetProgrammingUnderway(bool underway) override { programming.push_back(underway); }
    void SetStoringUnderway(bool underway) override { storing.push_back(underway); }
    bool StopRequested() override { return stopWhen && stopWhen(); }
    MessageBoxResult MessageBox(const std::string& text, MessageBoxType type) override {
        const MessageBoxResult safe = PanelView::MessageBox(text, type);
        return type == MessageBoxType::YesNo && answerYes ? MessageBoxResult::Yes : safe;
    }
    std::vector<std::string> statuses; // every status the window showed, in order
    bool waitCursor = false;
    std::vector<std::string> cursorOffAt; // the status shown each time the wait cursor went off
    std::vector<std::string> fileDialogs;
    std::string fileToOpen; // empty: the dialog is cancelled
    int pumps = 0;
    std::function<void()> onPump;
    std::vector<std::string> waitBoxMessages;
    std::vector<bool> programming;  // each start and end of a firmware download
    std::vector<bool> storing;      // each start and end of a store of values
    std::function<bool()> stopWhen; // when the user insists on stopping
    bool answerYes = false;         // a Yes/No box is answered Yes, not the safe No
};

struct DialogRig {
    explicit DialogRig(int testLevel = 0) : devices(clock) { context.testLevel = testLevel; }

    // A transporter of the given identification answering at `rate` on COMn.
    ScriptedTransporter& Attach(int port, const Inquiry& inquiry, uint32_t rate = 38400) {
        transporters.push_back(ScriptedTransporter::OnPort(devices, port, inquiry, rate));
        return *transporters.back();
    }
    // Starts the dialog with `t` remembered as the last good transporter (COMn at its rate), in
    // the basic configuration (DRIVE HOME and DRIVE1 answer); what start-up sent is forgotten.
    ScriptedTransporter& Start(ScriptedTransporter& t, int port = 2) {
        settings.WriteInt(kSectionLastGood, kValueFirstPort, port);
        settings.WriteInt(kSectionLastGood, kValueBaudRate, int(t.ownRate));
        t.elementStates.emplace(240, 0);
        t.elementStates.emplace(241, 0);
        Dialog().OnInitDialog();
        t.commands.clear();
        t.rates.clear();
        return t;
    }
    CDaxtoolDlg& Dialog() {
        if (!dlg)
            dlg = std::make_unique<CDaxtoolDlg>(context, view);
        return *dlg;
    }

    FakeClock clock;
    FakeSerialDeviceFactory devices;
    MemorySettingsStore settings;
    RecordingView view;
    DialogContext context{devices, clock, settings};
    std::vector<std::unique_ptr<ScriptedTransporter>> transporters;
    std::unique_ptr<CDaxtoolDlg> dlg;
};

} // namespace dax::flow
