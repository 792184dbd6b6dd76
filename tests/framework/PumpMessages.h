// Waiting in the framework tests: the thread's messages run meanwhile.
#pragma once

#include <windows.h>

// Runs the thread's messages until done() holds; false after a long time-out.
template <class Done>
bool PumpUntil(Done done, DWORD timeoutMs = 20000) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    while (!done()) {
        if (::GetTickCount64() >= deadline) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    return true;
}
