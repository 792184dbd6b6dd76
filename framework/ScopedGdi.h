// One small owner per Win32 handle kind. Each owner is move-only; the order of
// declaration decides the order of release, so declare a SelectObjectGuard
// after the objects it selects: it puts the old object back first.
#pragma once
#include <windows.h>
#include <atomic>
#include <utility>

#include "handles/UniqueHandle.h"  // g_liveScopedGdiObjects

// HFONT, HPEN, HBRUSH, HBITMAP, HRGN: released with DeleteObject.
template <class T>
class ScopedGdiObject {
public:
    ScopedGdiObject() = default;
    explicit ScopedGdiObject(T h) { Reset(h); }
    ~ScopedGdiObject() { Reset(); }
    ScopedGdiObject(const ScopedGdiObject&) = delete;
    ScopedGdiObject& operator=(const ScopedGdiObject&) = delete;
    ScopedGdiObject(ScopedGdiObject&& o) noexcept { Reset(o.Release()); }
    ScopedGdiObject& operator=(ScopedGdiObject&& o) noexcept {
        if (this != &o) Reset(o.Release());
        return *this;
    }

    T Get() const { return m_h; }
    operator T() const { return m_h; }
    explicit operator bool() const { return m_h != nullptr; }
    T Release() {
        if (m_h) --g_liveScopedGdiObjects;
        return std::exchange(m_h, nullptr);
    }
    void Reset(T h = nullptr) {
        T old = std::exchange(m_h, h);
        if (h) ++g_liveScopedGdiObjects;
        if (old) {
            ::DeleteObject(old);
            --g_liveScopedGdiObjects;
        }
    }

private:
    T m_h = nullptr;
};

using ScopedFont = ScopedGdiObject<HFONT>;
using ScopedPen = ScopedGdiObject<HPEN>;
using ScopedBrush = ScopedGdiObject<HBRUSH>;
using ScopedBitmap = ScopedGdiObject<HBITMAP>;
using ScopedRegion = ScopedGdiObject<HRGN>;

// A DC from CreateCompatibleDC / CreateDCW: released with DeleteDC.
class ScopedCreatedDC {
public:
    ScopedCreatedDC() = default;
    explicit ScopedCreatedDC(HDC dc) { Reset(dc); }
    ~ScopedCreatedDC() { Reset(); }
    ScopedCreatedDC(const ScopedCreatedDC&) = delete;
    ScopedCreatedDC& operator=(const ScopedCreatedDC&) = delete;
    ScopedCreatedDC(ScopedCreatedDC&& o) noexcept { Reset(o.Release()); }
    ScopedCreatedDC& operator=(ScopedCreatedDC&& o) noexcept {
        if (this != &o) Reset(o.Release());
        return *this;
    }
    static ScopedCreatedDC CompatibleWith(HDC dc) { return ScopedCreatedDC(::CreateCompatibleDC(dc)); }

    HDC Get() const { return m_dc; }
    operator HDC() const { return m_dc; }
    explicit operator bool() const { return m_dc != nullptr; }
    HDC Release() {
        if (m_dc) --g_liveScopedGdiObjects;
        return std::exchange(m_dc, nullptr);
    }
    void Reset(HDC dc = nullptr) {
        HDC old = std::exchange(m_dc, dc);
        if (dc) ++g_liveScopedGdiObjects;
        if (old) {
            ::DeleteDC(old);
            --g_liveScopedGdiObjects;
        }
    }

private:
    HDC m_dc = nullptr;
};

// A window's DC from GetDC: given back with ReleaseDC.
class ScopedWindowDC {
public:
    explicit ScopedWindowDC(HWND hwnd) : m_hwnd(hwnd), m_dc(::GetDC(hwnd)) {}
    ~ScopedWindowDC() {
        if (m_dc) ::ReleaseDC(m_hwnd, m_dc);
    }
    ScopedWindowDC(const ScopedWindowDC&) = delete;
    ScopedWindowDC& operator=(const ScopedWindowDC&) = delete;

    HDC Get() const { return m_dc; }
    operator HDC() const { return m_dc; }
    explicit operator bool() const { return m_dc != nullptr; }

private:
    HWND m_hwnd;
    HDC m_dc;
};

// A kernel handle: released with CloseHandle. Both null and
// INVALID_HANDLE_VALUE count as "no handle".
class ScopedHandle {
public:
    ScopedHandle() = default;
    explicit ScopedHandle(HANDLE h) : m_h(h) {}
    ~ScopedHandle() { Reset(); }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ScopedHandle(ScopedHandle&& o) noexcept : m_h(o.Release()) {}
    ScopedHandle& operator=(ScopedHandle&& o) noexcept {
        if (this != &o) Reset(o.Release());
        return *this;
    }

    HANDLE Get() const { return m_h; }
    bool IsValid() const { return m_h != nullptr && m_h != INVALID_HANDLE_VALUE; }
    explicit operator bool() const { return IsValid(); }
    HANDLE Release() { return std::exchange(m_h, nullptr); }
    void Reset(HANDLE h = nullptr) {
        HANDLE old = std::exchange(m_h, h);
        if (old && old != INVALID_HANDLE_VALUE) ::CloseHandle(old);
    }

private:
    HANDLE m_h = nullptr;
};

// Selects an object into a DC and puts the previous one back on destruction,
// so the object can be deleted afterwards (a selected object must never be).
class SelectObjectGuard {
public:
    SelectObjectGuard(HDC dc, HGDIOBJ obj) : m_dc(dc), m_old(dc && obj ? ::SelectObject(dc, obj) : nullptr) {}
    ~SelectObjectGuard() { Restore(); }
    SelectObjectGuard(const SelectObjectGuard&) = delete;
    SelectObjectGuard& operator=(const SelectObjectGuard&) = delete;

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

