#pragma once

#include "platform/Idle.h"

#include <windows.h>

namespace dax {

// Waits for an overlapped transfer on `device` to finish and gives its byte count. The device's
// own time-outs end it; with an idle handler set the wait goes in slices, so a window keeps
// answering meanwhile.
inline bool FinishOverlapped(HANDLE device, OVERLAPPED& ov, DWORD& n) {
    if (Idle::HasHandler()) {
        while (::WaitForSingleObject(ov.hEvent, Idle::kSliceMs) == WAIT_TIMEOUT)
            Idle::Run();
    }
    return ::GetOverlappedResult(device, &ov, &n, TRUE) != FALSE;
}

} // namespace dax
