// The main dialog's calibration buttons over a scripted transporter: the pocket dialog's step
// down to 38400 baud and its failures, and what the dialogs send through the real device.
#include "flow/DialogRig.h"

#include <algorithm>
#include <cerrno>
#include <gtest/gtest.h>

namespace dax::flow {
namespace {

// A transporter with a rotator and firmware that calibrates pocket discs, found on COM2.
struct FoundWithRotator : DialogRig {
    explicit FoundWithRotator(uint32_t rate)
        : t(Attach(2, {.revision = "3.25 ", .count = 64}, rate)) {
        t.elementStates[280] = 0; // the rotator
        Start(t);
    }
    size_t Index(const std::string& command) const {
        return size_t(std::find(t.commands.begin(), t.commands.end(), command) -
                      t.commands.begin());
    }
    ScriptedTransporter& t;
};

TEST(DialogCalibrate, PocketCalibrationStepsDownTo38400ThenRunsTheDialog) {
    FoundWithRotator rig(115200);
    ASSERT_TRUE(rig.Dialog().GetTransporter()->m_bPocketCalibration);
    rig.view.SetCheck(IDC_DISABLE_CHECK, true);
    rig.view.onPocket = [](CPocketDlg& dlg) {
        dlg.View().SetCheck(IDC_SIZE_61, true);
        dlg.OnSize(1);
        dlg.View().SetControlText(IDC_ANGLE, "93");
        dlg.OnTest();
    };
    rig.Dialog().OnCalibratePocket();
    EXPECT_FALSE(rig.view.GetCheck(IDC_DISABLE_CHECK));
    EXPECT_EQ(rig.view.pocketRuns, 1);
    ASSERT_FALSE(rig.t.commands.empty());
    EXPECT_EQ(rig.t.commands.front(), "!b38400C");
    EXPECT_EQ(rig.t.rates.front(), 115200u);
    EXPECT_TRUE(std::all_of(rig.t.rates.begin() + 1, rig.t.rates.end(),
                            [](uint32_t r) { return r == 38400; }));
    EXPECT_EQ(rig.Dialog().m_nBaud, 38400);
    // Media size 61 mm, offset 93 - 58, the disc from bin 1 onto the pocket position, and
    // taken out again when the dialog closes.
    const size_t size = rig.Index("!e45C");
    ASSERT_LT(size, rig.t.commands.size());
    EXPECT_LT(size, rig.Index("!f4035C"));
    EXPECT_LT(rig.Index("!f4035C"), rig.Index("!f12002C"));
    EXPECT_LT(rig.Index("!f12002C"), rig.Index("!f12701C"));
    EXPECT_LT(rig.Index("!f12701C"), rig.Index("!f12602C"));
    EXPECT_EQ(rig.view.pocketPanel.GetControlText(IDC_ANGLE), "90");
    EXPECT_FALSE(rig.Dialog().IsBusy());
}

TEST(DialogCalibrate, PocketCalibrationDoesNotOpenWhenTheRateCannotDrop) {
    FoundWithRotator refused(115200);
    refused.t.overrides["!b38400C"] = "\x1B!b0C";
    refused.Dialog().OnCalibratePocket();
    EXPECT_EQ(refused.view.pocketRuns, 0);
    EXPECT_EQ(refused.view.GetControlText(IDC_STATUS), "Failed to change to 38400 Baud");
    EXPECT_EQ(refused.t.commands, std::vector<std::string>{"!b38400C"});

    FoundWithRotator portStuck(115200);
    portStuck.t.line->setStateErrno = EIO;
    portStuck.Dialog().OnCalibratePocket();
    EXPECT_EQ(portStuck.view.pocketRuns, 0);
    EXPECT_EQ(portStuck.view.GetControlText(IDC_STATUS),
              "Unable to change to 38400 Baud on \\\\.\\COM2");
    EXPECT_FALSE(portStuck.Dialog().IsBusy());

    // At 38400 nothing needs to change.
    FoundWithRotator slow(38400);
    slow.Dialog().OnCalibratePocket();
    EXPECT_EQ(slow.view.pocketRuns, 1);
    EXPECT_EQ(slow.Index("!b38400C"), slow.t.commands.size());
}

TEST(DialogCalibrate, RotatorCalibrationSendsTheMeanOffsetAndACloseWaitsForTheDialog) {
    FoundWithRotator rig(38400);
    bool deviceAliveAtClose = false;
    rig.view.onRotational = [&](CRotationalDlg& dlg) {
        EXPECT_EQ(&dlg.Device(), rig.Dialog().GetTransporter());
        EXPECT_EQ(dlg.Parent(), &rig.Dialog());
        dlg.View().SetControlText(IDC_LEFT_OFFSET, "30");
        dlg.View().SetControlText(IDC_RIGHT_OFFSET, "35");
        // The window is closed while the dialog is up.
        rig.Dialog().OnClose();
        deviceAliveAtClose = rig.Dialog().GetTransporter() != nullptr;
        dlg.OnTest();
    };
    rig.Dialog().OnCalibrateRotator();
    EXPECT_EQ(rig.view.rotationalRuns, 1);
    EXPECT_TRUE(deviceAliveAtClose);
    EXPECT_LT(rig.Index("!f4032C"), rig.t.commands.size());
    EXPECT_TRUE(rig.Dialog().IsEnded()); // the close ran once the dialog was gone
    EXPECT_EQ(rig.Dialog().GetTransporter(), nullptr);
}

} // namespace
} // namespace dax::flow
