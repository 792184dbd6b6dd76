// Thin owners of GDI fonts and device contexts.
#pragma once
#include "handles/ScopedDC.h"
#include "handles/UniqueHandle.h"

#include <string>

class CWnd;

// An owned font. Creating again replaces (and deletes) the font held before,
// so a window may be given a new size any number of times.
class CFont {
public:
    CFont() = default;
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;

    // Size in tenths of a point for the given DC (the screen when null).
    BOOL CreatePointFont(int pointSizeTenths, LPCWSTR faceName, HDC dc = nullptr);
    BOOL CreateFontIndirectW(const LOGFONTW* logFont);
    BOOL CreateFontW(int height, int width, int escapement, int orientation, int weight, BYTE italic, BYTE underline,
                     BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision, BYTE quality,
                     BYTE pitchAndFamily, LPCWSTR faceName);
    // Takes ownership of a font made elsewhere.
    void Attach(HFONT font) { m_font.Reset(font); }
    HFONT Detach() { return m_font.Release(); }
    BOOL DeleteObject();

    HFONT GetSafeHandle() const { return m_font.Get(); }
    operator HFONT() const { return m_font.Get(); }
    BOOL GetLogFont(LOGFONTW* logFont) const;

private:
    UniqueFont m_font;
};

// A DC the object does not own; base of the owners below.
class CDC {
public:
    CDC() = default;
    explicit CDC(HDC dc) : m_hDC(dc) {}
    virtual ~CDC() = default;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC m_hDC = nullptr;
    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }

    HGDIOBJ SelectObject(HGDIOBJ obj) { return ::SelectObject(m_hDC, obj); }
    void FillSolidRect(const RECT& rect, COLORREF color);
    BOOL BitBlt(int x, int y, int width, int height, HDC source, int sx, int sy, DWORD rop = SRCCOPY) {
        return ::BitBlt(m_hDC, x, y, width, height, source, sx, sy, rop);
    }
    COLORREF SetTextColor(COLORREF color) { return ::SetTextColor(m_hDC, color); }
    int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
    int DrawTextW(const std::wstring& text, RECT* rect, UINT format) {
        return ::DrawTextW(m_hDC, text.c_str(), static_cast<int>(text.size()), rect, format);
    }
    int GetDeviceCaps(int index) const { return ::GetDeviceCaps(m_hDC, index); }
};

// GetDC / ReleaseDC of a window's client area.
class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* wnd);
    explicit CClientDC(HWND hwnd);

private:
    WindowDC m_dc;
};

// BeginPaint / EndPaint; only inside WM_PAINT.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* wnd);
    explicit CPaintDC(HWND hwnd);
    ~CPaintDC() override;

    PAINTSTRUCT m_ps{};

private:
    HWND m_hWnd;
};

// An off-screen surface compatible with a target DC: a memory DC with a
// bitmap of the given size selected. Draw into it, then CopyTo the target.
// The bitmap is taken out of the DC before either is deleted.
class CMemoryDC : public CDC {
public:
    CMemoryDC(HDC target, int width, int height);
    ~CMemoryDC() override;

    bool IsValid() const { return m_hDC != nullptr && m_bitmap; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    HBITMAP GetBitmap() const { return m_bitmap.Get(); }
    // Copies the whole surface to (x, y) of the target.
    BOOL CopyTo(HDC target, int x, int y) const {
        return ::BitBlt(target, x, y, m_width, m_height, m_hDC, 0, 0, SRCCOPY);
    }

private:
    UniqueCreatedDC m_dc;
    UniqueBitmap m_bitmap;
    SelectionGuard m_selection;  // the bitmap in the DC; declared after both, so it is taken out first
    int m_width;
    int m_height;
};
