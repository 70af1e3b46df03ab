#pragma once
// What a technician does at the main window, written once for both windows: the Qt window
// offscreen (tests/ui) and the Windows one under Wine (tests/winui). Each runs them through its
// own rig, which offers the same small driver:
//   Rig(testLevel), Attach(port, inquiry) -> ScriptedTransporter& (DeviceSide), Start(),
//   TextOf(id), Enabled(id), Shown(id), Click(id), Type(id, text), Focus(id), FocusId(),
//   PressCtrlP(), PressEnterAndEscape(), IsEnded(), Visible(), prompter.messages,
//   prompter.abouts, settings, context
#include "app/CDaxtoolDlg.h"
#include "app/ControlIds.h"
#include "app/DialogStrings.h"
#include "flow/ScriptedTransporter.h"
#include "platform/fake/MemorySettingsStore.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace dax::scenarios {

inline flow::Inquiry General() {
    flow::Inquiry q;
    q.revision = "3.25 ";
    q.printerRevision = "5.21 "; // a printer that reports its counters
    q.count = 64;
    return q;
}

// What both rigs put behind their window: fake ports, settings and clock, and the
// transporters on those ports.
struct DeviceSide {
    explicit DeviceSide(int testLevel) : devices(clock) { context.testLevel = testLevel; }

    // A transporter answering at `rate` on COMn, the port the scan starts with.
    flow::ScriptedTransporter& Attach(int port, const flow::Inquiry& inquiry,
                                      uint32_t rate = 38400) {
        transporters.push_back(flow::ScriptedTransporter::OnPort(devices, port, inquiry, rate));
        flow::ScriptedTransporter& t = *transporters.back();
        t.stored[0] = "TS000001";
        t.stored[260] = "PS000002";
        t.counters['1'] = 4321;
        t.elementStates[240] = 0;
        t.elementStates[241] = 0;
        settings.WriteInt(kSectionLastGood, kValueFirstPort, port);
        settings.WriteInt(kSectionLastGood, kValueBaudRate, int(rate));
        return t;
    }

    FakeClock clock;
    FakeSerialDeviceFactory devices;
    MemorySettingsStore settings;
    DialogContext context{devices, clock, settings};
    std::vector<std::unique_ptr<flow::ScriptedTransporter>> transporters;
};

template <class Rig> void ControlsFollowWhatTheDeviceOffers() {
    { // A general transporter without a rotator calibrates margins; no loader parameters.
        Rig rig;
        rig.Attach(2, General());
        rig.Start();
        EXPECT_TRUE(rig.Enabled(IDC_UPDATE_SERIAL));
        EXPECT_TRUE(rig.Enabled(IDC_PRINT_GRID));
        EXPECT_EQ(rig.TextOf(IDC_CALIBRATE_ROTATOR), "&Calibrate Margins");
        for (int id : {IDC_SET_PARAMS, IDC_DISPLAY_NAME, IDC_BEEPS, IDC_BEEPS_SPIN})
            EXPECT_FALSE(rig.Enabled(id)) << id;
        EXPECT_FALSE(rig.Shown(IDC_TEST));
        for (int id : {IDC_EXERCISER, IDC_PRINTER_B_SN, IDC_PRINTER_B_SN_LABEL})
            EXPECT_FALSE(rig.Shown(id)) << id;
        EXPECT_EQ(rig.TextOf(IDC_PRINTER_SN_LABEL), "Printer SN:");
    }
    { // A loader model with a mailbox at test level 1: parameters and the Test button.
        Rig rig(1);
        flow::Inquiry loader = General();
        loader.product = "KORVIX QT6400   ";
        loader.revision = "6.20 ";
        loader.count = 32;
        rig.Attach(2, loader).elementStates[300] = 0;
        rig.Start();
        EXPECT_TRUE(rig.Enabled(IDC_SET_PARAMS));
        EXPECT_TRUE(rig.Enabled(IDC_BEEPS_SPIN));
        EXPECT_TRUE(rig.Shown(IDC_TEST));
        EXPECT_FALSE(rig.Enabled(IDC_PRINT_GRID));
        EXPECT_FALSE(rig.Enabled(IDC_CALIBRATE_ROTATOR));
    }
    { // OTP firmware: the page stays empty and the reason shows.
        Rig rig;
        flow::Inquiry otp = General();
        otp.revision = "3.03 ";
        rig.Attach(2, otp);
        rig.Start();
        EXPECT_EQ(rig.TextOf(IDC_STATUS), "GetSerialNumbers failed - OTP firmware");
        EXPECT_EQ(rig.TextOf(IDC_TRANSPORTER_SN), "");
    }
    { // The stand-alone disc printer without its disc handler: only a printer serial number.
        Rig rig;
        flow::Inquiry ink;
        ink.product = "CD-R Inkographer";
        ink.revision = "5.21 ";
        flow::ScriptedTransporter& t = rig.Attach(2, ink);
        t.inkographer = true;
        t.stored[0] = "IG000007";
        rig.Start();
        EXPECT_EQ(rig.TextOf(IDC_INQUIRY_ID).rfind("CD-R InkographerVERSION 5.21", 0), 0u);
        EXPECT_EQ(rig.TextOf(IDC_PRINTER_SN), "IG000007");
        EXPECT_EQ(rig.TextOf(IDC_TRANSPORTER_SN), "");
        EXPECT_EQ(rig.TextOf(IDC_COUNT_PRINT), "4321");
        EXPECT_EQ(rig.TextOf(IDC_CALIBRATE_ROTATOR), "&Calibrate Margins");
        EXPECT_FALSE(rig.Enabled(IDC_FLASH_LEDS));
        EXPECT_TRUE(rig.Enabled(IDC_PRINT_GRID) && rig.Enabled(IDC_UPDATE_SERIAL));
    }
    { // Nothing found: the box, device commands off, the window's own controls still on.
        Rig rig;
        rig.context.version = "1.2.3.0";
        rig.Start();
        EXPECT_EQ(rig.prompter.messages, std::vector<std::string>{kNoTransporterAtStart});
        for (int id : {IDC_UPDATE_FLASH, IDC_FLASH_LEDS, IDC_UPDATE_SERIAL, IDC_SET_PARAMS,
                       IDC_TRANSPORTER_SN, IDC_PRINT_GRID})
            EXPECT_FALSE(rig.Enabled(id)) << id;
        for (int id : {IDC_EXIT, IDC_ABOUT, IDC_PORT, IDC_DISABLE_CHECK})
            EXPECT_TRUE(rig.Enabled(id)) << id;
        rig.Click(IDC_DISABLE_CHECK);
        rig.Click(IDC_ABOUT);
        ASSERT_EQ(rig.prompter.abouts.size(), 1u);
        EXPECT_EQ(rig.prompter.abouts[0].substr(0, 16), "Version 1.2.3.0|");
        EXPECT_FALSE(rig.Checked(IDC_DISABLE_CHECK));
    }
}

// Typed text the device cannot take is refused before anything is sent, and the focus goes
// back to the field at fault.
template <class Rig> void ATooLongSerialIsRefusedAndNothingIsSent() {
    Rig rig;
    flow::ScriptedTransporter& t = rig.Attach(2, General());
    rig.Start();
    rig.Type(IDC_TRANSPORTER_SN, "123456789");
    rig.Focus(IDC_EXIT);
    rig.Click(IDC_UPDATE_SERIAL);
    EXPECT_EQ(rig.prompter.messages,
              std::vector<std::string>{"Please enter no more than 8 characters."});
    EXPECT_EQ(rig.FocusId(), IDC_TRANSPORTER_SN);
    EXPECT_TRUE(t.commands.empty());
}

template <class Rig> void CtrlPPutsThePrintCounterIntoThePrinterSerialField() {
    Rig rig;
    rig.Attach(2, General());
    rig.Start();
    rig.Focus(IDC_PRINTER_SN);
    rig.PressCtrlP();
    EXPECT_EQ(rig.TextOf(IDC_PRINTER_SN), "4321");
    // Anywhere else it only beeps.
    rig.Focus(IDC_TRANSPORTER_SN);
    rig.PressCtrlP();
    EXPECT_EQ(rig.TextOf(IDC_TRANSPORTER_SN), "TS000001");
}

template <class Rig> void EnterAndEscapeNeverCloseAndExitWritesTheNextPort() {
    Rig rig;
    rig.Attach(2, General());
    rig.Start();
    for (int focus : {IDC_EXIT, IDC_STATUS, IDC_UPDATE_SERIAL, IDC_DISABLE_CHECK}) {
        rig.Focus(focus);
        rig.PressEnterAndEscape();
    }
    EXPECT_TRUE(rig.Visible());
    EXPECT_FALSE(rig.IsEnded());

    rig.Click(IDC_EXIT);
    EXPECT_TRUE(rig.IsEnded());
    EXPECT_FALSE(rig.Visible());
    EXPECT_EQ(rig.settings.GetInt(kSectionLastGood, kValueFirstPort, 0), 3);
}

} // namespace dax::scenarios
