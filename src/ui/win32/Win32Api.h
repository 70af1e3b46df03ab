#pragma once
// The system headers as the window's sources take them: wide-character calls named explicitly,
// and none of the headers' names that the dialogs' own interfaces use (MessageBox).
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// After the system's own IDOK and IDCANCEL: the same spelling, so no redefinition.
#include "app/ControlIds.h"

#include <commctrl.h>
#include <commdlg.h>
#undef MessageBox
