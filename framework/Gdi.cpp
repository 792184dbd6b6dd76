#include "Gdi.h"

#include "Wnd.h"

#include <cstdlib>
#include <cwchar>

BOOL CFont::CreatePointFont(int pointSizeTenths, LPCWSTR faceName, HDC dc) {
    LOGFONTW lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    if (faceName) ::wcsncpy(lf.lfFaceName, faceName, LF_FACESIZE - 1);
    WindowDC screen(nullptr);
    HDC measure = dc ? dc : screen.Get();
    // Tenths of a point to logical units: pixels per inch / 720, as a
    // negative height so the size is the character height, not the cell.
    lf.lfHeight = -::MulDiv(std::abs(pointSizeTenths), ::GetDeviceCaps(measure, LOGPIXELSY), 720);
    return CreateFontIndirectW(&lf);
}

BOOL CFont::CreateFontIndirectW(const LOGFONTW* logFont) {
    if (!logFont) return FALSE;
    m_font.Reset(::CreateFontIndirectW(logFont));
    return m_font ? TRUE : FALSE;
}

BOOL CFont::CreateFontW(int height, int width, int escapement, int orientation, int weight, BYTE italic, BYTE underline,
                        BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision, BYTE quality,
                        BYTE pitchAndFamily, LPCWSTR faceName) {
    m_font.Reset(::CreateFontW(height, width, escapement, orientation, weight, italic, underline, strikeOut, charSet,
                               outPrecision, clipPrecision, quality, pitchAndFamily, faceName));
    return m_font ? TRUE : FALSE;
}

BOOL CFont::DeleteObject() {
    if (!m_font) return FALSE;
    m_font.Reset();
    return TRUE;
}

BOOL CFont::GetLogFont(LOGFONTW* logFont) const {
    if (!m_font || !logFont) return FALSE;
    return ::GetObjectW(m_font.Get(), sizeof(*logFont), logFont) != 0;
}

void CDC::FillSolidRect(const RECT& rect, COLORREF color) {
    COLORREF old = ::SetBkColor(m_hDC, color);
    ::ExtTextOutW(m_hDC, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    ::SetBkColor(m_hDC, old);
}

CClientDC::CClientDC(CWnd* wnd) : CClientDC(wnd ? wnd->m_hWnd : nullptr) {}

CClientDC::CClientDC(HWND hwnd) : m_dc(hwnd) { m_hDC = m_dc.Get(); }

CPaintDC::CPaintDC(CWnd* wnd) : CPaintDC(wnd ? wnd->m_hWnd : nullptr) {}

CPaintDC::CPaintDC(HWND hwnd) : m_hWnd(hwnd) { m_hDC = ::BeginPaint(hwnd, &m_ps); }

CPaintDC::~CPaintDC() {
    if (m_hDC) ::EndPaint(m_hWnd, &m_ps);
}

namespace {

// A bitmap for the surface, none when there is no DC or the size is empty.
HBITMAP SurfaceBitmap(HDC dc, HDC target, int width, int height) {
    return dc && width > 0 && height > 0 ? ::CreateCompatibleBitmap(target, width, height) : nullptr;
}

}  // namespace

CMemoryDC::CMemoryDC(HDC target, int width, int height)
    : m_dc(CompatibleDC(target)),
      m_bitmap(SurfaceBitmap(m_dc.Get(), target, width, height)),
      m_selection(m_dc.Get(), m_bitmap.Get()),
      m_width(width),
      m_height(height) {
    if (m_bitmap) m_hDC = m_dc.Get();
}

CMemoryDC::~CMemoryDC() {
    m_hDC = nullptr;
    // Members go next: the selection first (the bitmap leaves the DC), then the bitmap, then the DC.
}
