// CColorStatic in a dialog: construction, subclassing, fonts, and what its
// painting puts into the control's pixels.
#include "ControlsTestSupport.h"

#include "LayoutMath.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace ctltest;

namespace {

struct PictureDeleter {
    void operator()(Gdiplus::Bitmap* b) const { Gdiplus_DeleteBitmap(b); }
};
using PicturePtr = std::unique_ptr<Gdiplus::Bitmap, PictureDeleter>;

int ScreenDpi() {
    ScopedWindowDC screen(nullptr);
    return ::GetDeviceCaps(screen, LOGPIXELSY);
}

// Box of the pixels far from the background, and how many there are.
struct Ink {
    int count = 0;
    int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;
    std::vector<int> rows;  // ink pixels per row
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

// ------------------------------------------------------------ state

TEST(ColorStaticState, ConstructionDefaults) {
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
}

TEST(ColorStaticState, SetFontSizeBeforeWindowReachesItAtSubclass) {
    LabelDialog dlg;
    dlg.number.SetFontSize(20);
    HFONT font = dlg.number.m_font.GetSafeHandle();
    ASSERT_NE(font, nullptr);
    ASSERT_TRUE(dlg.Open());
    EXPECT_EQ(dlg.number.GetFont(), font);
    LOGFONTW lf{};
    ASSERT_TRUE(dlg.number.m_font.GetLogFont(&lf));
    EXPECT_EQ(lf.lfHeight, -::MulDiv(20, ScreenDpi(), 72));
    EXPECT_EQ(lf.lfWeight, 1);
    EXPECT_EQ(lf.lfCharSet, DEFAULT_CHARSET);
    EXPECT_STREQ(lf.lfFaceName, L"宋体");
}

TEST(ColorStaticState, FontHeightMatchesSystemMulDiv) {
    // The label computes the height without Windows; it must agree with MulDiv.
    for (int dpi : {72, 96, 120, 144, 192})
        for (int points = 1; points <= 80; ++points)
            ASSERT_EQ(ctlmath::FontHeightForPoints(points, dpi), -::MulDiv(points, dpi, 72)) << points << "@" << dpi;
}

TEST_F(ColorStaticTest, SubclassMakesOwnerDrawAndKeepsOtherStyles) {
    for (CColorStatic* label : {&dlg.picture, &dlg.number, &dlg.unit}) {
        const LONG_PTR style = label->GetStyle();
        EXPECT_EQ(style & SS_TYPEMASK, SS_OWNERDRAW);
        EXPECT_TRUE(style & WS_CHILD);
        EXPECT_TRUE(style & WS_VISIBLE);
    }
}

TEST_F(ColorStaticTest, SetFontSizeAfterWindowReplacesAndDeletesOldFont) {
    dlg.number.SetFontSize(12);
    HFONT first = dlg.number.m_font.GetSafeHandle();
    EXPECT_EQ(dlg.number.GetFont(), first);
    dlg.number.SetFontSize(30);
    HFONT second = dlg.number.m_font.GetSafeHandle();
    EXPECT_NE(second, first);
    EXPECT_EQ(dlg.number.GetFont(), second);
    EXPECT_EQ(FontOf(dlg.number).lfHeight, -::MulDiv(30, ScreenDpi(), 72));
    // A size that scales to nothing still gives a real, tiny font.
    dlg.number.SetFontSize(0);
    EXPECT_EQ(FontOf(dlg.number).lfHeight, -1);
}

TEST_F(ColorStaticTest, InitLabelSetsEveryField) {
    dlg.number.m_crText = RGB(1, 2, 3);
    dlg.number.InitLabel(RGB(10, 20, 30), L"460", 40, 2);
    EXPECT_EQ(dlg.number.m_pFormat->GetAlignment(), Gdiplus::StringAlignmentFar);
    EXPECT_EQ(dlg.number.m_pFormat->GetLineAlignment(), Gdiplus::StringAlignmentCenter);
    EXPECT_EQ(dlg.number.m_pFormat->GetFormatFlags(), 0);
    EXPECT_EQ(dlg.number.m_nLineGap, 0);
    EXPECT_EQ(dlg.number.m_crText, RGB(0, 0, 0));
    EXPECT_EQ(dlg.number.m_crBackground, RGB(10, 20, 30));
    EXPECT_EQ(dlg.number.m_pPicture, nullptr);
    EXPECT_EQ(dlg.number.GetWindowTextW(), L"460");
    EXPECT_EQ(FontOf(dlg.number).lfHeight, -::MulDiv(40, ScreenDpi(), 72));
    // No text: the label keeps the one it has.
    dlg.unit.InitLabel(RGB(0, 0, 0), nullptr, 30, 0);
    EXPECT_EQ(dlg.unit.GetWindowTextW(), L"厘米");
    EXPECT_EQ(dlg.unit.m_pFormat->GetAlignment(), Gdiplus::StringAlignmentNear);
}

TEST_F(ColorStaticTest, EraseBackgroundPaintsNothing) {
    ScopedWindowDC screen(nullptr);
    ScopedCreatedDC dc(::CreateCompatibleDC(screen));
    EXPECT_EQ(::SendMessageW(dlg.number, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc.Get()), 0), TRUE);
}

// ------------------------------------------------------------ pixels

TEST_F(ColorStaticTest, BackgroundColourFillsControlWithoutPicture) {
    const COLORREF colour = RGB(10, 200, 30);
    dlg.picture.InitLabel(colour, L"", 12, 1);
    const Capture c = CaptureClient(dlg.picture);
    ASSERT_GT(c.width, 0);
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) ASSERT_EQ(c.At(x, y), Rgb(colour)) << x << "," << y;
}

TEST_F(ColorStaticTest, PictureIsStretchedOverWholeControlAndCopied) {
    dlg.picture.InitLabel(RGB(0, 0, 0), L"", 12, 1);
    {
        PicturePtr original(SplitPicture(20, 10, 0xFFFF0000, 0xFF0000FF));
        ASSERT_NE(original, nullptr);
        dlg.picture.SetPicture(original.get());
        EXPECT_NE(dlg.picture.m_pPicture.get(), original.get());  // a copy
    }  // the caller's picture is gone; the label paints its own copy
    const Capture c = CaptureClient(dlg.picture);
    ASSERT_GT(c.width, 8);
    for (int y : {c.height / 4, c.height / 2, 3 * c.height / 4}) {
        EXPECT_PRED3(Near, c.At(c.width / 4, y), 0xFF0000u, 8) << y;
        EXPECT_PRED3(Near, c.At(3 * c.width / 4, y), 0x0000FFu, 8) << y;
    }
    // Stretched, not tiled or kept at 20 x 10: the halves meet mid-control,
    // and the picture reaches every edge without a dark rim.
    const int last = c.height - 1;
    EXPECT_PRED3(Near, c.At(c.width / 2 - c.width / 8, last), 0xFF0000u, 8);
    EXPECT_PRED3(Near, c.At(c.width / 2 + c.width / 8, last), 0x0000FFu, 8);
    EXPECT_PRED3(Near, c.At(0, 0), 0xFF0000u, 8);
    EXPECT_PRED3(Near, c.At(c.width - 1, last), 0x0000FFu, 8);
    for (uint32_t px : c.pixels) ASSERT_NE(px, kUnpainted);

    // Its own picture handed back: still a picture (copied before the old one goes).
    dlg.picture.SetPicture(dlg.picture.m_pPicture.get());
    ASSERT_NE(dlg.picture.m_pPicture, nullptr);
    EXPECT_EQ(dlg.picture.m_pPicture->GetWidth(), 20u);

    dlg.picture.SetPicture(nullptr);
    EXPECT_EQ(dlg.picture.m_pPicture, nullptr);
    const Capture after = CaptureClient(dlg.picture);
    EXPECT_EQ(after.At(after.width / 4, after.height / 2), 0u);  // background black again
}

TEST_F(ColorStaticTest, FarAlignedNumberIsDrawnFlushRightAndCentred) {
    const COLORREF white = RGB(255, 255, 255);
    dlg.number.InitLabel(white, L"460", 20, 2);
    const Capture c = CaptureClient(dlg.number);
    const Ink ink = InkOf(c, Rgb(white));
    ASSERT_GT(ink.count, 20) << "no text pixels";
    // Black text (InitLabel's colour) among them.
    int black = 0;
    for (uint32_t px : c.pixels) black += Near(px, 0, 40) ? 1 : 0;
    EXPECT_GT(black, 5);
    EXPECT_GT(ink.left, c.width / 3);
    EXPECT_GE(ink.right, c.width - 12);
    const int above = ink.top, below = c.height - 1 - ink.bottom;
    EXPECT_LE(std::abs(above - below), 8) << above << " " << below;
}

TEST_F(ColorStaticTest, TextColourAndSingleStringMode) {
    const COLORREF back = RGB(255, 255, 255), red = RGB(220, 0, 0);
    dlg.number.InitLabel(back, L"88", 20, 1);
    dlg.number.m_crText = red;
    dlg.number.m_nLineGap = -1;  // drawn as one string with the format
    dlg.number.Invalidate(FALSE);
    const Capture c = CaptureClient(dlg.number);
    int reds = 0;
    for (uint32_t px : c.pixels) reds += Near(px, Rgb(red), 50) ? 1 : 0;
    EXPECT_GT(reds, 5);
    const Ink ink = InkOf(c, Rgb(back));
    ASSERT_GT(ink.count, 0);
    EXPECT_LE(std::abs(ink.left - (c.width - 1 - ink.right)), 8);  // centred
}

TEST_F(ColorStaticTest, ScreenPaintShowsBackground) {
    // Through WM_PAINT onto the window itself, not a printed copy.
    const COLORREF colour = RGB(30, 90, 160);
    dlg.picture.InitLabel(colour, L"", 12, 1);
    ::RedrawWindow(dlg.picture, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    RECT client{};
    dlg.picture.GetClientRect(&client);
    ScopedWindowDC dc(dlg.picture);
    EXPECT_EQ(::GetPixel(dc, client.right / 2, client.bottom / 2), colour);
    EXPECT_EQ(::GetPixel(dc, 0, 0), colour);
}

TEST_F(ColorStaticTest, EmptyTextPaintsOnlyBackground) {
    const COLORREF colour = RGB(40, 50, 60);
    dlg.number.InitLabel(colour, L"", 30, 1);
    for (int gap : {0, -1, 5}) {
        dlg.number.m_nLineGap = gap;
        const Capture c = CaptureClient(dlg.number);
        for (uint32_t px : c.pixels) ASSERT_EQ(px, Rgb(colour)) << gap;
    }
}

TEST_F(ColorStaticTest, TwoLinesStandWithEvenGaps) {
    const COLORREF white = RGB(255, 255, 255);
    dlg.number.InitLabel(white, L"88\n88", 14, 1);
    const Capture c = CaptureClient(dlg.number);
    const Ink ink = InkOf(c, Rgb(white));
    ASSERT_GT(ink.count, 0);
    // Two bands of ink rows separated by blank rows.
    std::vector<std::pair<int, int>> bands;
    for (int y = 0; y < c.height; ++y) {
        if (!ink.rows[y]) continue;
        if (bands.empty() || y > bands.back().second + 1) bands.push_back({y, y});
        else bands.back().second = y;
    }
    ASSERT_EQ(bands.size(), 2u);
    const int above = bands[0].first;
    const int between = bands[1].first - bands[0].second - 1;
    const int below = c.height - 1 - bands[1].second;
    // Equal gaps of the measured boxes; ink sits a few pixels inside its box.
    EXPECT_LE(std::abs(above - below), 6) << above << " " << between << " " << below;
    EXPECT_GT(between, 0);
    EXPECT_LE(std::abs(bands[0].second - bands[0].first - (bands[1].second - bands[1].first)), 1);
}

TEST_F(ColorStaticTest, ManyLinesCrLfAndZeroSizeDoNotFail) {
    std::wstring text;
    for (int i = 0; i < 200; ++i) text += L"行" + std::to_wstring(i) + L"\r\n";
    dlg.unit.InitLabel(RGB(255, 255, 255), text.c_str(), 9, 0);
    const Capture c = CaptureClient(dlg.unit);
    EXPECT_GT(c.width, 0);
    dlg.unit.SetWindowTextW(L"\n\n\n");
    EXPECT_GT(CaptureClient(dlg.unit).width, 0);

    // The zero-sized label: painted through the system and directly.
    dlg.empty.InitLabel(RGB(1, 2, 3), L"x\ny", 12, 1);
    EXPECT_EQ(CaptureClient(dlg.empty).width, 0);
    ScopedWindowDC screen(nullptr);
    ScopedCreatedDC dc(::CreateCompatibleDC(screen));
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_STATIC;
    dis.hwndItem = dlg.empty;
    dis.hDC = dc;
    dis.rcItem = RECT{5, 5, 5, 5};
    dlg.empty.DrawItem(&dis);
    dis.rcItem = RECT{10, 10, 0, 0};  // inverted
    dlg.empty.DrawItem(&dis);
    dlg.empty.DrawItem(nullptr);
}

TEST(ColorStaticState, LabelWithoutWindowTakesEveryCall) {
    CColorStatic label;
    PicturePtr picture(SplitPicture(4, 4, 0xFF00FF00, 0xFF00FF00));
    label.InitLabel(RGB(1, 1, 1), L"text", 12, 2);  // no window: no text, nothing invalidated
    label.SetPicture(picture.get());
    label.SetFontSize(18);
    EXPECT_NE(label.m_pPicture, nullptr);
    EXPECT_NE(label.m_font.GetSafeHandle(), nullptr);
}

// ------------------------------------------------------------ resources

TEST(GdiCount, SeesObjectsComeAndGo) {
    // The flat-count tests below mean something only if a new object shows.
    const long before = GdiObjectCount();
    if (before < 0) GTEST_SKIP() << "this system cannot count GDI objects";
    {
        ScopedFont font(::CreateFontW(-12, 0, 0, 0, 400, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"宋体"));
        ASSERT_TRUE(font);
        EXPECT_EQ(GdiObjectCount(), before + 1);
    }
    EXPECT_EQ(GdiObjectCount(), before);
}

TEST_F(ColorStaticTest, GdiObjectsStayFlatOverRepaintsAndFontChanges) {
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
    for (int i = 0; i < 5; ++i) round(i);  // caches of the system settle
    const long before = GdiObjectCount();
    if (before < 0) GTEST_SKIP() << "this system cannot count GDI objects";
    for (int i = 0; i < 300; ++i) round(i);
    // Same state as before the loop (same round parity), so the same objects live.
    const long after = GdiObjectCount();
    EXPECT_LE(after - before, 2) << before << " -> " << after;
}

}  // namespace
