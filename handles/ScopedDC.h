// Device contexts the tool borrows rather than makes, and objects selected
// into a DC for a while. Declare a SelectionGuard after the owners of the
// objects it selects: it puts the old object back before they are deleted.
#pragma once

#include <windows.h>

#include "handles/UniqueHandle.h"

// A new memory DC compatible with dc (with the screen when dc is null).
inline UniqueCreatedDC CompatibleDC(HDC dc) { return UniqueCreatedDC(::CreateCompatibleDC(dc)); }

// The DC of a window's client area, or of the screen for a null window, from
// GetDC; given back with ReleaseDC. Not counted: the system lends it.
class WindowDC {
public:
    explicit WindowDC(HWND hwnd) : m_hwnd(hwnd), m_dc(::GetDC(hwnd)) {}
    ~WindowDC() {
        if (m_dc) ::ReleaseDC(m_hwnd, m_dc);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;

    HDC Get() const { return m_dc; }
    explicit operator bool() const { return m_dc != nullptr; }

private:
    HWND m_hwnd;
    HDC m_dc;
};

// Selects an object into a DC and puts the previous one back on destruction,
// so the object can be deleted afterwards (a selected object must never be).
// Does nothing for a null DC or object.
class SelectionGuard {
public:
    SelectionGuard(HDC dc, HGDIOBJ obj) : m_dc(dc), m_old(dc && obj ? ::SelectObject(dc, obj) : nullptr) {}
    ~SelectionGuard() { Restore(); }
    SelectionGuard(const SelectionGuard&) = delete;
    SelectionGuard& operator=(const SelectionGuard&) = delete;

    // Puts the old object back now; the destructor then does nothing.
    void Restore() {
        if (m_dc && m_old && m_old != HGDI_ERROR) ::SelectObject(m_dc, m_old);
        m_old = nullptr;
    }
    HGDIOBJ Previous() const { return m_old; }

private:
    HDC m_dc;
    HGDIOBJ m_old;
};
