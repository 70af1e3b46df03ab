#pragma once
// The real main window over fake serial ports, settings and clock, its boxes scripted.
#include "app/ControlIds.h"
#include "flow/ScriptedTransporter.h"
#include "ui/ScriptedPrompter.h"
#include "ui/WindowScenarios.h"
#include "ui/qt/DaxtoolWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace dax::ui {

using scenarios::General;

struct WindowRig : scenarios::DeviceSide {
    explicit WindowRig(int testLevel = 0) : DeviceSide(testLevel) {}

    DaxtoolWindow& Start() {
        window = std::make_unique<DaxtoolWindow>(context, &prompter);
        window->Dialog().OnInitDialog();
        window->move(200, 150);
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        for (auto& t : transporters)
            t->commands.clear();
        return *window;
    }
    template <class W = QWidget> W* Get(int id) {
        auto* w = qobject_cast<W*>(window->Control(id));
        EXPECT_NE(w, nullptr) << id;
        return w;
    }
    QString Text(int id) { return Get<QLineEdit>(id)->text(); }
    // The driver of the scenarios both windows run (ui/WindowScenarios.h).
    std::string TextOf(int id) {
        QWidget* w = Get(id);
        if (auto* e = qobject_cast<QLineEdit*>(w))
            return e->text().toStdString();
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            return b->text().toStdString();
        if (auto* l = qobject_cast<QLabel*>(w))
            return l->text().toStdString();
        return {};
    }
    bool Checked(int id) { return Get<QAbstractButton>(id)->isChecked(); }
    void Type(int id, const std::string& text) {
        QLineEdit* e = Get<QLineEdit>(id);
        e->clear();
        QTest::keyClicks(e, QString::fromStdString(text));
    }
    void Focus(int id) { Get(id)->setFocus(); }
    int FocusId() { return window->GetFocusId(); }
    void PressCtrlP() {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_P, Qt::ControlModifier);
    }
    void PressEnterAndEscape() {
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
            QTest::keyClick(QApplication::focusWidget(), key);
    }
    bool IsEnded() { return window->Dialog().IsEnded(); }
    bool Visible() { return window->isVisible(); }
    bool Enabled(int id) { return Get(id)->isEnabled(); }
    bool Shown(int id) { return Get(id)->isVisible(); }
    void Click(int id) { QTest::mouseClick(Get(id), Qt::LeftButton); }
    // A right click at the middle of a control, delivered as the window system would.
    void RightClick(int id) {
        QWidget* w = Get(id);
        const QPoint local = w->rect().center();
        QContextMenuEvent e(QContextMenuEvent::Mouse, local, w->mapToGlobal(local));
        QApplication::sendEvent(w, &e);
    }

    ScriptedPrompter prompter;
    std::unique_ptr<DaxtoolWindow> window;
};

} // namespace dax::ui
