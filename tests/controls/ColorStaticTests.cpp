// CColorStatic in a dialog: fields, fonts, and what its painting puts into
// the control's pixels.
#include "ControlsTestSupport.h"

#include "LayoutMath.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>

using namespace ctltest;

namespace {

struct PictureDeleter {
    void operator()(Gdiplus::Bitmap* b) const { Gdiplus_DeleteBitmap(b); }
};
using PicturePtr = std::unique_ptr<Gdiplus::Bitmap, PictureDeleter>;

int Height(int points) { return -::MulDiv(points, 96, 72); }

// Box of the pixels far from the background, and ink pixels per row.
struct Ink {
    int count = 0, left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;
    std::vector<int> rows;
};
Ink InkOf(const Capture& c, uint32_t background) {
    Ink ink;
    ink.rows.assign(static_cast<size_t>(c.height), 0);
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) {
            if (Near(c.At(x, y), background, 60)) continue;
            ++ink.count;
            ++ink.rows[y];
            ink.left = std::min(ink.left, x);
            ink.right = std::max(ink.right, x);
            ink.top = std::min(ink.top, y);
            ink.bottom = std::max(ink.bottom, y);
        }
    return ink;
}

class ColorStaticTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dlg.Open()); }
    LabelDialog dlg;
};

TEST(ColorStaticState, ConstructionAndCallsWithoutWindow) {
    CColorStatic label;
    EXPECT_EQ(label.m_pPicture, nullptr);
    EXPECT_EQ(label.m_crBackground, ::GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(label.m_crText, ::GetSysColor(COLOR_BTNTEXT));
    EXPECT_EQ(label.m_font.GetSafeHandle(), nullptr);
    EXPECT_EQ(label.m_nLineGap, -1);
    ASSERT_NE(label.m_pFormat, nullptr);
    EXPECT_EQ(label.m_pFormat->GetAlignment(), Gdiplus::StringAlignmentCenter);
    EXPECT_EQ(label.m_pFormat->GetLineAlignment(), Gdiplus::StringAlignmentCenter);
    EXPECT_EQ(label.m_pFormat->GetFormatFlags(), 0x2000);
    // No window yet: nothing to send, nothing invalidated, nothing fails.
    PicturePtr picture(SplitPicture(4, 4, 0xFF00FF00, 0xFF00FF00));
    label.InitLabel(RGB(1, 1, 1), L"text", 12, 2);
    label.SetPicture(picture.get());
    EXPECT_NE(label.m_pPicture, nullptr);
    EXPECT_NE(label.m_font.GetSafeHandle(), nullptr);
    // The height is computed without Windows; it agrees with MulDiv.
    for (int dpi : {96, 120, 144})
        for (int points = 1; points <= 80; ++points)
            ASSERT_EQ(ctlmath::FontHeightForPoints(points, dpi), -::MulDiv(points, dpi, 72)) << points;
}

TEST(ColorStaticState, FontSetBeforeWindowReachesItAtSubclass) {
    LabelDialog dlg;
    dlg.number.SetFontSize(20);
    HFONT font = dlg.number.m_font.GetSafeHandle();
    ASSERT_NE(font, nullptr);
    ASSERT_TRUE(dlg.Open());
    EXPECT_EQ(dlg.number.GetFont(), font);
    const LOGFONTW lf = FontOf(dlg.number);
    EXPECT_EQ(lf.lfHeight, Height(20));
    EXPECT_EQ(lf.lfWeight, 1);
    EXPECT_STREQ(lf.lfFaceName, L"宋体");
}

TEST_F(ColorStaticTest, SubclassAndSetup) {
    for (CColorStatic* label : {&dlg.picture, &dlg.number, &dlg.unit}) {
        EXPECT_EQ(label->GetStyle() & SS_TYPEMASK, SS_OWNERDRAW);
        EXPECT_TRUE(label->GetStyle() & WS_VISIBLE);
    }
    WindowDC screen(nullptr);
    UniqueCreatedDC dc = CompatibleDC(screen.Get());
    EXPECT_EQ(::SendMessageW(dlg.number, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc.Get()), 0), TRUE);

    dlg.number.m_crText = RGB(1, 2, 3);
    dlg.number.InitLabel(RGB(10, 20, 30), L"460", 40, 2);
    EXPECT_EQ(dlg.number.m_pFormat->GetAlignment(), Gdiplus::StringAlignmentFar);
    EXPECT_EQ(dlg.number.m_pFormat->GetLineAlignment(), Gdiplus::StringAlignmentCenter);
    EXPECT_EQ(dlg.number.m_pFormat->GetFormatFlags(), 0);
    EXPECT_EQ(dlg.number.m_nLineGap, 0);
    EXPECT_EQ(dlg.number.m_crText, RGB(0, 0, 0));
    EXPECT_EQ(dlg.number.m_crBackground, RGB(10, 20, 30));
    EXPECT_EQ(dlg.number.GetWindowTextW(), L"460");
    EXPECT_EQ(FontOf(dlg.number).lfHeight, Height(40));
    dlg.unit.InitLabel(RGB(0, 0, 0), nullptr, 30, 0);
    EXPECT_EQ(dlg.unit.GetWindowTextW(), L"厘米");  // no text given: it keeps its own

    // Later sizes replace the font in the window; a size of 0 still gives a font.
    HFONT first = dlg.number.GetFont();
    dlg.number.SetFontSize(12);
    EXPECT_NE(dlg.number.GetFont(), first);
    EXPECT_EQ(dlg.number.GetFont(), dlg.number.m_font.GetSafeHandle());
    EXPECT_EQ(FontOf(dlg.number).lfHeight, Height(12));
    dlg.number.SetFontSize(0);
    EXPECT_EQ(FontOf(dlg.number).lfHeight, -1);
}

TEST_F(ColorStaticTest, BackgroundColourWithoutPictureOrText) {
    const COLORREF colour = RGB(10, 200, 30);
    dlg.picture.InitLabel(colour, L"", 12, 1);
    for (int gap : {0, -1, 5}) {
        dlg.picture.m_nLineGap = gap;
        const Capture c = CaptureClient(dlg.picture);
        ASSERT_GT(c.width, 0);
        for (uint32_t px : c.pixels) ASSERT_EQ(px, Rgb(colour)) << gap;
    }
    // On screen too, through WM_PAINT.
    ::RedrawWindow(dlg.picture, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    RECT client{};
    dlg.picture.GetClientRect(&client);
    WindowDC dc(dlg.picture);
    EXPECT_EQ(::GetPixel(dc.Get(), client.right / 2, client.bottom / 2), colour);
}

TEST_F(ColorStaticTest, PictureIsStretchedOverWholeControlAndCopied) {
    dlg.picture.InitLabel(RGB(0, 0, 0), L"", 12, 1);
    {
        PicturePtr original(SplitPicture(20, 10, 0xFFFF0000, 0xFF0000FF));
        dlg.picture.SetPicture(original.get());
        EXPECT_NE(dlg.picture.m_pPicture.get(), original.get());
    }  // the caller's picture is gone; the label paints its own copy
    const Capture c = CaptureClient(dlg.picture);
    ASSERT_GT(c.width, 8);
    const int last = c.height - 1;
    for (int y : {0, c.height / 2, last}) {
        EXPECT_PRED3(Near, c.At(c.width / 4, y), 0xFF0000u, 8) << y;
        EXPECT_PRED3(Near, c.At(3 * c.width / 4, y), 0x0000FFu, 8) << y;
    }
    // Stretched, not kept at 20 x 10, and reaching every edge without a dark rim.
    EXPECT_PRED3(Near, c.At(0, 0), 0xFF0000u, 8);
    EXPECT_PRED3(Near, c.At(c.width - 1, last), 0x0000FFu, 8);

    dlg.picture.SetPicture(dlg.picture.m_pPicture.get());  // its own picture back
    ASSERT_NE(dlg.picture.m_pPicture, nullptr);
    EXPECT_EQ(dlg.picture.m_pPicture->GetWidth(), 20u);
    dlg.picture.SetPicture(nullptr);
    EXPECT_EQ(CaptureClient(dlg.picture).At(c.width / 4, c.height / 2), 0u);  // background again
}

TEST_F(ColorStaticTest, TextIsDrawnInItsColourAndAlignment) {
    const COLORREF white = RGB(255, 255, 255);
    dlg.number.InitLabel(white, L"460", 20, 2);
    Capture c = CaptureClient(dlg.number);
    Ink ink = InkOf(c, Rgb(white));
    int black = 0;
    for (uint32_t px : c.pixels) black += Near(px, 0, 40) ? 1 : 0;
    EXPECT_GT(black, 5);
    // Far: flush right; one line, vertically centred.
    EXPECT_GT(ink.left, c.width / 3);
    EXPECT_GE(ink.right, c.width - 12);
    EXPECT_LE(std::abs(ink.top - (c.height - 1 - ink.bottom)), 8);

    // One string through the format, centred, in the text colour.
    const COLORREF red = RGB(220, 0, 0);
    dlg.number.InitLabel(white, L"88", 20, 1);
    dlg.number.m_crText = red;
    dlg.number.m_nLineGap = -1;
    c = CaptureClient(dlg.number);
    int reds = 0;
    for (uint32_t px : c.pixels) reds += Near(px, Rgb(red), 50) ? 1 : 0;
    EXPECT_GT(reds, 5);
    ink = InkOf(c, Rgb(white));
    ASSERT_GT(ink.count, 0);
    EXPECT_LE(std::abs(ink.left - (c.width - 1 - ink.right)), 8);
}

TEST_F(ColorStaticTest, TwoLinesStandWithEvenGaps) {
    const COLORREF white = RGB(255, 255, 255);
    dlg.number.InitLabel(white, L"88\n88", 14, 1);
    const Capture c = CaptureClient(dlg.number);
    const Ink ink = InkOf(c, Rgb(white));
    std::vector<std::pair<int, int>> bands;  // runs of rows with ink
    for (int y = 0; y < c.height; ++y) {
        if (!ink.rows[y]) continue;
        if (bands.empty() || y > bands.back().second + 1)
            bands.push_back({y, y});
        else
            bands.back().second = y;
    }
    ASSERT_EQ(bands.size(), 2u);
    const int above = bands[0].first, below = c.height - 1 - bands[1].second;
    EXPECT_LE(std::abs(above - below), 6) << above << " " << below;  // ink sits a little inside its box
    EXPECT_GT(bands[1].first - bands[0].second, 1);
}

TEST_F(ColorStaticTest, ManyLinesAndZeroSizeDoNotFail) {
    std::wstring text;
    for (int i = 0; i < 200; ++i) text += L"行" + std::to_wstring(i) + L"\r\n";
    dlg.unit.InitLabel(RGB(255, 255, 255), text.c_str(), 9, 0);
    EXPECT_GT(CaptureClient(dlg.unit).width, 0);
    dlg.unit.SetWindowTextW(L"\n\n\n");
    EXPECT_GT(CaptureClient(dlg.unit).width, 0);

    dlg.empty.InitLabel(RGB(1, 2, 3), L"x\ny", 12, 1);
    EXPECT_EQ(CaptureClient(dlg.empty).width, 0);
    WindowDC screen(nullptr);
    UniqueCreatedDC dc = CompatibleDC(screen.Get());
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_STATIC;
    dis.hwndItem = dlg.empty;
    dis.hDC = dc.Get();
    for (RECT r : {RECT{5, 5, 5, 5}, RECT{10, 10, 0, 0}}) {
        dis.rcItem = r;
        dlg.empty.DrawItem(&dis);
    }
    dlg.empty.DrawItem(nullptr);
}

TEST_F(ColorStaticTest, GdiObjectsStayFlatOverRepaintsAndFontChanges) {
    // Both counts must see a new object, or flat would prove nothing: the
    // process's objects (any leak) and our owners' (a handle let go undeleted).
    const long start = GdiObjectCount();
    ASSERT_GE(start, 0) << "this system cannot count GDI objects";
    const long ownedStart = OwnedGdiObjectCount();
    {
        UniqueBrush brush(::CreateSolidBrush(RGB(1, 2, 3)));
        ASSERT_EQ(GdiObjectCount(), start + 1);
        ASSERT_EQ(OwnedGdiObjectCount(), ownedStart + 1);
    }
    PicturePtr picture(SplitPicture(16, 16, 0xFFFF0000, 0xFF00FF00));
    dlg.picture.InitLabel(RGB(0, 0, 0), L"", 12, 1);
    dlg.number.InitLabel(RGB(255, 255, 255), L"460", 40, 2);
    dlg.unit.InitLabel(RGB(255, 255, 255), L"厘米\n第二行", 30, 0);
    auto round = [&](int i) {
        dlg.number.SetFontSize(10 + i % 30);
        dlg.unit.SetFontSize(8 + i % 20);
        dlg.picture.SetPicture(i % 2 ? picture.get() : nullptr);
        dlg.number.SetWindowTextW(std::to_wstring(i).c_str());
        for (HWND label : {dlg.picture.m_hWnd, dlg.number.m_hWnd, dlg.unit.m_hWnd}) CaptureClient(label);
        ::RedrawWindow(dlg, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    };
    for (int i = 0; i < 4; ++i) round(i);  // the system's caches settle
    const long before = GdiObjectCount();
    const long ownedBefore = OwnedGdiObjectCount();
    for (int i = 0; i < 300; ++i) round(i);
    EXPECT_LE(GdiObjectCount() - before, 2) << before;
    // Exactly: each new font replaced the old one, each paint's bitmap and DC went.
    EXPECT_EQ(OwnedGdiObjectCount(), ownedBefore);
}

}  // namespace
