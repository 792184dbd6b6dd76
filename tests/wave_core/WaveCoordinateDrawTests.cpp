// CWaveCoordinate::Draw under Windows: labels land where the arithmetic puts
// them, with the font and colour the caller selected, and the device
// context's state is left as it was.
#include "WaveCoordinate.h"

#include <gtest/gtest.h>

#include <windows.h>

#include "WinTestSupport.h"

namespace {

// A white 32-bit top-down bitmap selected into a memory DC.
class Canvas {
public:
    Canvas(int w, int h) : m_w(w), m_h(h) {
        BITMAPINFO bi = testsupport::TopDownBitmapInfo(w, h);
        m_dc = ::CreateCompatibleDC(nullptr);
        m_bitmap = ::CreateDIBSection(m_dc, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_pixels), nullptr, 0);
        m_old = ::SelectObject(m_dc, m_bitmap);
        for (int i = 0; i < w * h; ++i) m_pixels[i] = 0xFFFFFF;
    }
    ~Canvas() {
        ::SelectObject(m_dc, m_old);
        ::DeleteObject(m_bitmap);
        ::DeleteDC(m_dc);
    }
    HDC Dc() const { return m_dc; }
    // Pixels that are not white in columns [x0, x1).
    int Inked(int x0, int x1) const {
        ::GdiFlush();
        int n = 0;
        for (int y = 0; y < m_h; ++y)
            for (int x = x0; x < x1; ++x) n += (m_pixels[y * m_w + x] & 0xFFFFFF) != 0xFFFFFF;
        return n;
    }

private:
    int m_w, m_h;
    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_old;
    uint32_t* m_pixels = nullptr;
};

}  // namespace

TEST(WaveAxisDraw, LabelsAppearAtTheStartCentreAndEndOfAHorizontalAxis) {
    Canvas canvas(300, 24);
    CWaveCoordinate axis;
    axis.m_fMin = 0.0;
    axis.m_fMax = 2.0;
    axis.m_nTickCount = 3;
    axis.m_rcAxis = RECT{0, 0, 300, 24};
    ASSERT_NE(axis.m_font.GetSafeHandle(), nullptr);

    CDC dc(canvas.Dc());
    ::SetBkMode(dc, TRANSPARENT);
    HGDIOBJ oldFont = ::SelectObject(dc, axis.m_font.GetSafeHandle());
    ::SetTextColor(dc, RGB(0, 0, 0));
    axis.Draw(&dc);
    EXPECT_EQ(::SelectObject(dc, oldFont), axis.m_font.GetSafeHandle());
    EXPECT_EQ(::GetBkMode(dc), TRANSPARENT);

    EXPECT_GT(canvas.Inked(0, 30), 0);     // "0" against the left edge
    EXPECT_GT(canvas.Inked(135, 165), 0);  // "1" centred at 150
    EXPECT_GT(canvas.Inked(270, 300), 0);  // "2" against the right edge
    EXPECT_EQ(canvas.Inked(40, 125), 0);
    EXPECT_EQ(canvas.Inked(175, 260), 0);
}
