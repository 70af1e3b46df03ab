#pragma once

#include "ui/win32/Win32Api.h"

#include <functional>

namespace dax::win32 {

// The program's dialogs are modeless windows run by the program's own loops, so that a command
// can let them repaint (PumpMessages) and a calibration dialog can run modally over the main
// one. A registered dialog gets its keys through the dialog manager (Tab, mnemonics) after its
// own filter, which takes the messages it handles itself (accelerators, help keys).
void RegisterDialog(HWND dialog, std::function<bool(MSG&)> filter = {});
void UnregisterDialog(HWND dialog);

// Removes every waiting message and dispatches it; returns when the queue is empty, without
// waiting. A quit request is kept for the loop that waits.
void PumpMessages();
// Waits for and dispatches messages until `done` holds; false when the thread was asked to quit.
bool RunMessageLoop(const std::function<bool()>& done);

// The wait cursor, for the whole program while a command runs.
void SetWaitCursor(bool wait);
// For a dialog's WM_SETCURSOR: true when it has set the wait cursor.
bool KeepWaitCursor(HWND dialog);

} // namespace dax::win32
