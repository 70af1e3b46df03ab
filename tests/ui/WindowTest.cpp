// The real window over fake serial ports: what the start-up scan shows, which controls the
// device allows, boxes, keys, context help and closing.
#include "app/ContextHelp.h"
#include "app/ControlIds.h"
#include "app/DialogStrings.h"
#include "platform/Format.h"
#include "ui/WindowRig.h"
#include "ui/qt/AboutDialog.h"
#include "ui/qt/SpinButtons.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <gtest/gtest.h>

namespace dax::ui {
namespace {

using flow::Inquiry;
using flow::ScriptedTransporter;

TEST(Window, StartupScanFillsTheWindowBehindTheWaitBox) {
    WindowRig rig;
    ScriptedTransporter& t = rig.Attach(2, General());
    // What the "Scanning..." box says and shows while the first inquiry is on the line: it is
    // on the screen, centred, and painted (not one blank colour).
    std::string boxSeen;
    bool exposed = false;
    bool painted = false;
    QPoint offCentre;
    auto answer = t.line->onWrite;
    t.line->onWrite = [&](FakeSerialLine& l, const std::vector<uint8_t>& bytes) {
        if (WaitBox* box = rig.window->GetWaitBox(); box && boxSeen.empty()) {
            boxSeen = box->windowTitle().toStdString() + "|" + box->Message();
            exposed = box->windowHandle() && box->windowHandle()->isExposed();
            offCentre = box->geometry().center() - box->screen()->availableGeometry().center();
            const QImage shot = box->screen()->grabWindow(box->winId()).toImage();
            for (int y = 0; y < shot.height() && !painted; y += 2)
                for (int x = 0; x < shot.width() && !painted; x += 2)
                    painted = shot.pixel(x, y) != shot.pixel(0, 0);
        }
        answer(l, bytes);
    };
    DaxtoolWindow& w = rig.Start();

    EXPECT_EQ(boxSeen, "Scanning...|Looking for a transporter on COM2 at 38400 baud");
    EXPECT_TRUE(exposed);
    EXPECT_TRUE(painted);
    EXPECT_LE(offCentre.manhattanLength(), 40) << offCentre.x() << "," << offCentre.y();
    EXPECT_EQ(w.GetWaitBox(), nullptr);
    EXPECT_TRUE(rig.prompter.messages.empty());
    EXPECT_TRUE(rig.Text(IDC_INQUIRY_ID).startsWith("DISC TRANSPORTER"));
    EXPECT_EQ(rig.Text(IDC_TRANSPORTER_SN), "TS000001");
    EXPECT_EQ(rig.Text(IDC_PRINTER_SN), "PS000002");
    EXPECT_EQ(rig.Text(IDC_COUNT_PRINT), "4321");
    // Fields that only show look it; the window keeps the size of its template.
    for (int id : {IDC_INQUIRY_ID, IDC_STATUS, IDC_COUNT_PRINT}) {
        auto* field = rig.Get<QLineEdit>(id);
        EXPECT_TRUE(field->isReadOnly()) << id;
        EXPECT_NE(field->palette().color(QPalette::Base),
                  rig.Get<QLineEdit>(IDC_TRANSPORTER_SN)->palette().color(QPalette::Base))
            << id;
    }
    EXPECT_FALSE(w.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(w.minimumSize(), w.maximumSize());
    EXPECT_EQ(rig.Get<QLabel>(IDC_BAUD_TEXT)->text(), "Current Baud Rate: 38400");
    EXPECT_EQ(rig.Get<QComboBox>(IDC_PORT)->currentText(), "COM2");
    EXPECT_EQ(rig.Get<QLabel>(IDC_PRINTER_SN_LABEL)->text(), "Printer SN:");
    for (int id : {IDC_EXERCISER, IDC_TEST, IDC_PRINTER_B_SN, IDC_PRINTER_B_SN_LABEL})
        EXPECT_FALSE(rig.Shown(id)) << id;

    // A transporter beyond COM8: its port is listed after COM8 and shown.
    WindowRig far;
    far.Attach(12, General());
    far.Start();
    auto* combo = far.Get<QComboBox>(IDC_PORT);
    ASSERT_EQ(combo->count(), 10);
    EXPECT_EQ(combo->itemText(8), "COM8");
    EXPECT_EQ(combo->currentText(), "COM12");
    EXPECT_EQ(far.Text(IDC_TRANSPORTER_SN), "TS000001");
}

// A start-up scan that finds nothing sums up every port that is there; the status shows the
// start of that long text, the whole of it as its tool tip.
TEST(Window, AScanThatFindsNothingSaysWhyForEachPortThatIsThere) {
    WindowRig rig;
    for (int port : {3, 5, 7})
        rig.devices.attach(Format("\\\\.\\COM%d", port)); // present, nothing on it
    rig.settings.WriteInt(kSectionLastGood, kValueFirstPort, 5);
    DaxtoolWindow& w = rig.Start();
    const std::string summary =
        "No transporter found: \\\\.\\COM5: no answer at 9600, 38400 and 115200 baud; "
        "\\\\.\\COM7: no answer at 115200, 9600 and 38400 baud; \\\\.\\COM3: no answer at "
        "38400, 9600 and 115200 baud";
    auto* status = rig.Get<QLineEdit>(IDC_STATUS);
    EXPECT_EQ(status->text().toStdString(), summary);
    EXPECT_EQ(status->toolTip().toStdString(), summary);
    EXPECT_EQ(status->cursorPosition(), 0);
    EXPECT_EQ(rig.Get<QComboBox>(IDC_PORT)->currentText(), "COM5");
    EXPECT_EQ(rig.prompter.messages, std::vector<std::string>{kNoTransporterAtStart});
    rig.Click(IDC_EXIT);
    EXPECT_TRUE(w.Dialog().IsEnded());
    EXPECT_EQ(rig.settings.GetInt(kSectionLastGood, kValueFirstPort, 0), 5);
}

// The scenarios the Windows window runs too.
TEST(Window, ControlsFollowWhatTheDeviceOffers) {
    scenarios::ControlsFollowWhatTheDeviceOffers<WindowRig>();
    // The beep count's arrows step within 0..9.
    WindowRig rig(1);
    Inquiry loader = General();
    loader.product = "KORVIX QT6400   ";
    loader.revision = "6.20 ";
    loader.count = 32;
    rig.Attach(2, loader);
    rig.Start();
    auto* spin = dynamic_cast<SpinButtons*>(rig.Get(IDC_BEEPS_SPIN));
    ASSERT_NE(spin, nullptr);
    rig.Get<QLineEdit>(IDC_BEEPS)->setText("9");
    spin->Step(1);
    EXPECT_EQ(rig.Text(IDC_BEEPS), "9");
    spin->Step(-1);
    EXPECT_EQ(rig.Text(IDC_BEEPS), "8");
}

TEST(Window, ATooLongSerialIsRefusedAndNothingIsSent) {
    scenarios::ATooLongSerialIsRefusedAndNothingIsSent<WindowRig>();
}

TEST(Window, CtrlPPutsThePrintCounterIntoThePrinterSerialField) {
    scenarios::CtrlPPutsThePrintCounterIntoThePrinterSerialField<WindowRig>();
}

TEST(Window, EnterAndEscapeNeverCloseAndExitWritesTheNextPort) {
    scenarios::EnterAndEscapeNeverCloseAndExitWritesTheNextPort<WindowRig>();
}

TEST(Window, AboutBoxShowsItsThreeTexts) {
    AboutDialog about("Version 1.2.3.0", "Copyright (C) Korvix", "2026-12-06");
    EXPECT_EQ(about.windowTitle(), "About Daxtool");
    EXPECT_EQ(about.findChild<QLabel*>("control1036")->text(), "Version 1.2.3.0");
    EXPECT_EQ(about.findChild<QLabel*>("control1037")->text(), "Copyright (C) Korvix");
    EXPECT_EQ(about.findChild<QLabel*>("control1035")->text(), "2026-12-06");
}

// Characters beyond Latin-1 are refused, not stored as '?', and nothing is sent.
TEST(Window, CharactersBeyondLatin1AreRefusedAndNothingIsSent) {
    WindowRig rig;
    ScriptedTransporter& t = rig.Attach(2, General());
    rig.Start();
    rig.Get<QLineEdit>(IDC_PRINTER_SN)->setText(QString::fromUtf8("PS\u20AC1"));
    rig.Click(IDC_UPDATE_SERIAL);
    EXPECT_EQ(rig.prompter.messages, std::vector<std::string>{kNotPrintableAscii});
    EXPECT_TRUE(t.commands.empty());
}

TEST(Window, ContextHelpShowsTheSentenceJustAboveThePointAndInsideTheScreen) {
    WindowRig rig;
    rig.Attach(2, General());
    DaxtoolWindow& w = rig.Start();
    HelpPopup& popup = w.Popup();

    QWidget* status = rig.Get(IDC_STATUS);
    const QPoint at = status->mapToGlobal(status->rect().center());
    rig.RightClick(IDC_STATUS);
    const std::string sentence = GetHelpText(IDC_STATUS);
    const QFontMetrics metrics(popup.font());
    const int tw = metrics.horizontalAdvance(QString::fromStdString(sentence));
    const int th = metrics.height();
    EXPECT_TRUE(popup.isVisible());
    EXPECT_EQ(popup.text().toStdString(), sentence);
    EXPECT_EQ(popup.geometry(), QRect(at.x() - tw / 2, at.y() - th, tw + 4, th + 4));
    EXPECT_TRUE(popup.HideTimer().isActive());
    EXPECT_TRUE(popup.HideTimer().isSingleShot());
    EXPECT_EQ(popup.HideTimer().interval(), 2000);

    // A disabled control and a control without a sentence both say there is no help.
    for (int id : {IDC_SET_PARAMS, IDC_COUNT_PRINT}) {
        rig.RightClick(id);
        EXPECT_EQ(popup.text().toStdString(), kNoHelp) << id;
    }

    // F1 explains what is under the mouse, not what has the focus.
    rig.Get(IDC_EXIT)->setFocus();
    QCursor::setPos(at);
    QTest::keyClick(rig.Get(IDC_EXIT), Qt::Key_F1);
    EXPECT_EQ(popup.text().toStdString(), sentence);

    // Near any corner of the screen, or asked from the keyboard, it stays inside the screen.
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QPoint corners[] = {area.topLeft(), area.topRight(), area.bottomRight(),
                              QPoint(-1, -1)}; // the context-menu key gives no point
    for (const QPoint& p : corners) {
        w.Dialog().OnContextHelp(p.x(), p.y());
        EXPECT_TRUE(area.contains(popup.geometry())) << p.x() << "," << p.y();
        EXPECT_EQ(popup.text().toStdString(), kNoHelp);
    }
}

// The next command here is a print, which runs behind the toolkit's wait cursor.
TEST(Window, ASettingThatCannotBeKeptIsShownUntilTheNextCommandAPrintBehindTheWaitCursor) {
    WindowRig rig;
    ScriptedTransporter& t = rig.Attach(2, General());
    DaxtoolWindow& w = rig.Start();
    auto status = [&] { return rig.Get<QLineEdit>(IDC_STATUS)->text().toStdString(); };
    w.Dialog().m_strStatus = "Parameter update succeeded";
    w.Dialog().UpdateData(false);
    w.SettingNotSaved("Unable to save the setting Firmware Update/Unfinished Port");
    EXPECT_EQ(status(), "Parameter update succeeded - Unable to save the setting Firmware "
                        "Update/Unfinished Port");
    EXPECT_EQ(w.GetControlText(IDC_STATUS), "Parameter update succeeded");
    bool waitCursor = false; // seen while the print pumps messages
    QTimer::singleShot(0, &w, [&] { waitCursor = QApplication::overrideCursor() != nullptr; });
    rig.Click(IDC_PRINT_GRID);
    EXPECT_TRUE(waitCursor);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(status(), kPrintingCompleted);
    EXPECT_GT(t.printed.size(), 53957u);

    // The close sequence's settings, where the store refuses them.
    rig.settings.readOnly = true;
    rig.Click(IDC_EXIT);
    EXPECT_TRUE(w.Dialog().IsEnded());
    EXPECT_NE(status().find("Unable to save the setting Last Good/First Port: the settings file "
                            "is read-only"),
              std::string::npos)
        << status();
}

TEST(Window, ACloseRequestDuringAnOperationWaitsForItsEnd) {
    WindowRig rig;
    ScriptedTransporter& t = rig.Attach(2, General());
    DaxtoolWindow& w = rig.Start();
    bool deviceAtClose = false;
    // Arrives while the update pumps messages.
    QTimer::singleShot(0, &w, [&] {
        w.close();
        deviceAtClose = w.Dialog().GetTransporter() != nullptr;
    });
    rig.Click(IDC_UPDATE_SERIAL);
    EXPECT_TRUE(deviceAtClose);
    EXPECT_NE(std::find(t.commands.begin(), t.commands.end(), "!g1C"), t.commands.end());
    EXPECT_EQ(w.Dialog().GetTransporter(), nullptr);
    EXPECT_TRUE(w.Dialog().IsEnded());
    EXPECT_FALSE(w.isVisible());
}

} // namespace
} // namespace dax::ui
