// The calibration windows offscreen: their controls and texts, the picture, a pocket round
// opened from the main window through a scripted transporter, and leaving through Escape.
#include "app/CalibrationHelp.h"
#include "app/CalibrationStrings.h"
#include "app/ControlIds.h"
#include "app/DialogStrings.h"
#include "flow/RecordingTransporter.h"
#include "ui/ScriptedPrompter.h"
#include "ui/WindowRig.h"
#include "ui/qt/PocketWindow.h"
#include "ui/qt/RotationalWindow.h"
#include "ui/qt/SpinButtons.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <gtest/gtest.h>

namespace dax::ui {
namespace {

QString ButtonText(CalibrationWindow& w, int id) {
    auto* b = qobject_cast<QAbstractButton*>(w.Control(id));
    return b ? b->text() : QString("(none)");
}

// The help popup's text after a right click at the middle of a control, delivered as the
// window system would.
std::string HelpAt(CalibrationWindow& w, QWidget* control) {
    const QPoint local = control->rect().center();
    QContextMenuEvent e(QContextMenuEvent::Mouse, local, control->mapToGlobal(local));
    QApplication::sendEvent(control, &e);
    return w.Popup().isVisible() ? w.Popup().text().toStdString() : std::string();
}

bool HasLabel(QWidget& w, const QString& text) {
    const auto labels = w.findChildren<QLabel*>();
    return std::any_of(labels.begin(), labels.end(), [&](QLabel* l) { return l->text() == text; });
}

TEST(CalibrationWindows, RotationalWindowHasEveryControlAndTakesItsFields) {
    flow::RecordingTransporter device;
    device.m_bRotator = true;
    device.m_bWritableSettings = true;
    device.m_nPrinters = 2;
    ScriptedPrompter prompter;
    CRotationalDlg dlg(device, device.clock);
    RotationalWindow w(dlg, prompter, nullptr);
    w.show();

    EXPECT_EQ(w.windowTitle(), "Rotational Calibration");
    EXPECT_EQ(ButtonText(w, IDC_CAL_TEST), "&Test");
    EXPECT_EQ(ButtonText(w, IDC_SAVE_OFFSET), "&Save Offset");
    EXPECT_EQ(ButtonText(w, IDC_RESTORE_DEFAULT), "Restore Default");
    EXPECT_EQ(ButtonText(w, IDC_CAL_EXIT), "E&xit");
    EXPECT_EQ(ButtonText(w, IDC_PRINTER_A), "Printer A");
    EXPECT_EQ(ButtonText(w, IDC_PRINTER_B), "Printer B");
    EXPECT_TRUE(w.Control(IDC_PRINTER_A)->isVisible()); // two printers
    for (const char* label : {"Left", "Right", "Left Margin", "Top Margin", kOffsetsLabel})
        EXPECT_TRUE(HasLabel(w, label)) << label;
    EXPECT_EQ(qobject_cast<QLabel*>(w.Control(IDC_CAL_STATUS))->text(),
              QString(kRotationalOpenTwoPrinters));
    auto* left = qobject_cast<QLineEdit*>(w.Control(IDC_LEFT_OFFSET));
    ASSERT_NE(left, nullptr);
    EXPECT_EQ(left->text(), "32");
    // Right-click help, as in the main window: each control its sentence.
    for (int id : {IDC_CAL_TEST, IDC_LEFT_OFFSET, IDC_TOP_MARGIN, IDC_PRINTER_B})
        EXPECT_EQ(HelpAt(w, w.Control(id)), GetHelpText(RotationalHelpTable(), id)) << id;
    EXPECT_EQ(HelpAt(w, w.findChild<QLabel*>()), kNoHelp);

    QTest::mouseClick(w.Control(IDC_CAL_TEST), Qt::LeftButton);
    EXPECT_EQ(prompter.messages, std::vector<std::string>{kPrinterNotSelected});
    EXPECT_TRUE(device.calls.empty());
    QTest::mouseClick(w.Control(IDC_PRINTER_B), Qt::LeftButton);
    left->setText("30");
    qobject_cast<QLineEdit*>(w.Control(IDC_RIGHT_OFFSET))->setText("35");
    QTest::mouseClick(w.Control(IDC_CAL_TEST), Qt::LeftButton);
    ASSERT_GE(device.calls.size(), 2u);
    EXPECT_EQ(device.calls[0], "SelectPrinter(1)");
    EXPECT_EQ(device.Moves()[1], "SetRotationalOffset(32)");
    EXPECT_EQ(left->text(), "32");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // Escape leaves through Exit: the disc the Test loaded is taken out.
    device.calls.clear();
    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_EQ(device.calls, std::vector<std::string>{"UnloadPrinter()"});
    EXPECT_FALSE(w.isVisible());
}

TEST(CalibrationWindows, InputDuringADeviceMoveNeitherOverlapsNorClosesUnderIt) {
    flow::RecordingTransporter device;
    device.m_bRotator = true;
    ScriptedPrompter prompter;
    CRotationalDlg dlg(device, device.clock);
    RotationalWindow w(dlg, prompter, nullptr);
    w.show();
    bool visibleAfterEscape = false;
    device.onCall = [&](const std::string& name) {
        if (name != "LoadPrinter")
            return;
        // The technician presses Test again, then Escape, while the disc moves.
        QTest::mouseClick(w.Control(IDC_CAL_TEST), Qt::LeftButton);
        QTest::keyClick(&w, Qt::Key_Escape);
        visibleAfterEscape = w.isVisible();
    };
    QTest::mouseClick(w.Control(IDC_CAL_TEST), Qt::LeftButton);
    EXPECT_TRUE(visibleAfterEscape);
    EXPECT_EQ(std::count(device.calls.begin(), device.calls.end(), "LoadPrinter(0)"), 1);
    // The Test ran to its end, then Exit took the disc out.
    EXPECT_EQ(device.calls.back(), "UnloadPrinter()");
    EXPECT_FALSE(w.isVisible());
}

TEST(CalibrationWindows, PocketRoundFromTheMainWindowThroughAScriptedTransporter) {
    WindowRig rig;
    flow::ScriptedTransporter& t = rig.Attach(2, General());
    t.elementStates[280] = 0; // the rotator
    DaxtoolWindow& main = rig.Start();
    ASSERT_TRUE(main.Control(IDC_CALIBRATE_POCKET)->isEnabled());

    // What the technician sees and does in the modal window.
    QString title, status, statusAfter;
    bool pictureSized = false;
    bool pictureInside = true;
    int spinLower = 0, spinUpper = 0;
    QTimer::singleShot(0, [&] {
        auto* w = dynamic_cast<PocketWindow*>(QApplication::activeModalWidget());
        ASSERT_NE(w, nullptr);
        title = w->windowTitle();
        status = qobject_cast<QLabel*>(w->Control(IDC_CAL_STATUS))->text();
        auto* picture = w->findChild<QWidget*>("bitmap133");
        pictureSized = picture && picture->width() == 66 && picture->height() == 58;
        auto* spin = dynamic_cast<SpinButtons*>(w->Control(IDC_ANGLE_SPIN));
        spinLower = spin->Lower();
        spinUpper = spin->Upper();
        EXPECT_EQ(ButtonText(*w, IDC_SIZE_58), "58 mm");
        EXPECT_EQ(ButtonText(*w, IDC_SIZE_63), "63 mm");
        EXPECT_TRUE(HasLabel(*w, kAngleLabel));
        for (int id : {IDC_SIZE_58, IDC_ANGLE, IDC_SAVE_OFFSET})
            EXPECT_EQ(HelpAt(*w, w->Control(id)), GetHelpText(PocketHelpTable(), id)) << id;
        EXPECT_EQ(HelpAt(*w, picture), kNoHelp);
        // The picture fits its place: nothing it draws reaches its edges, where it would be cut.
        const QImage drawn = picture->grab().toImage();
        for (int x = 0; x < drawn.width(); ++x)
            for (int y : {0, drawn.height() - 1})
                pictureInside = pictureInside && drawn.pixel(x, y) == drawn.pixel(0, 0);
        for (int y = 0; y < drawn.height(); ++y)
            for (int x : {0, drawn.width() - 1})
                pictureInside = pictureInside && drawn.pixel(x, y) == drawn.pixel(0, 0);
        QTest::mouseClick(w->Control(IDC_SIZE_61), Qt::LeftButton);
        qobject_cast<QLineEdit*>(w->Control(IDC_ANGLE))->setText("93");
        QTest::mouseClick(w->Control(IDC_CAL_TEST), Qt::LeftButton);
        statusAfter = qobject_cast<QLabel*>(w->Control(IDC_CAL_STATUS))->text();
        QTest::mouseClick(w->Control(IDC_CAL_EXIT), Qt::LeftButton);
    });
    QTest::mouseClick(main.Control(IDC_CALIBRATE_POCKET), Qt::LeftButton);

    EXPECT_EQ(title, "Pocket CD Calibration");
    EXPECT_EQ(status, QString(kPocketOpen));
    EXPECT_TRUE(pictureSized);
    EXPECT_TRUE(pictureInside);
    EXPECT_EQ(spinLower, 58);
    EXPECT_EQ(spinUpper, 122);
    EXPECT_EQ(statusAfter, QString(kPocketLoaded));
    auto sent = [&](const std::string& c) {
        return std::find(t.commands.begin(), t.commands.end(), c) != t.commands.end();
    };
    EXPECT_TRUE(sent("!e45C"));
    EXPECT_TRUE(sent("!f4035C"));
    EXPECT_TRUE(sent("!f12701C"));
    EXPECT_EQ(t.commands.back(), "!f12011C"); // Exit put the disc away
    EXPECT_TRUE(rig.prompter.messages.empty());
}

} // namespace
} // namespace dax::ui
