// CWndResizeTool on the test dialog: what it records, where it moves the
// controls and which fonts it gives them, minimised windows and GDI objects.
#include "ControlsTestSupport.h"

#include "LayoutMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace ctltest;

namespace {

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

::testing::AssertionResult RectIs(const RECT& actual, const RECT& expected) {
    if (SameRect(actual, expected)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << actual.left << "," << actual.top << "," << actual.right << ","
                                         << actual.bottom << ") instead of (" << expected.left << "," << expected.top
                                         << "," << expected.right << "," << expected.bottom << ")";
}

RECT Scaled(const RECT& r, double sx, double sy) {
    const ctlmath::IntRect s = ctlmath::ScaleRect({r.left, r.top, r.right, r.bottom}, sx, sy);
    return RECT{s.left, s.top, s.right, s.bottom};
}

std::vector<HWND> Descendants(HWND parent) {
    std::vector<HWND> all;
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        all.push_back(child);
        for (HWND grand : Descendants(child)) all.push_back(grand);
    }
    return all;
}

// The dialog at a known client size of 400 x 300, with the connect button in
// a font of height -12 and the start button without a font.
class ResizeToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dlg.Open());
        SetClientSize(dlg, 400, 300);
        const SIZE size = ClientSize(dlg);
        ASSERT_EQ(size.cx, 400);
        ASSERT_EQ(size.cy, 300);
        LOGFONTW lf{};
        lf.lfHeight = -12;
        lf.lfCharSet = DEFAULT_CHARSET;
        wcscpy(lf.lfFaceName, L"宋体");
        font12.Reset(::CreateFontIndirectW(&lf));
        ::SendMessageW(dlg.GetDlgItem(IDC_CONNECT_BUTTON), WM_SETFONT, reinterpret_cast<WPARAM>(font12.Get()), FALSE);
        ::SendMessageW(dlg.GetDlgItem(IDC_START_BUTTON), WM_SETFONT, 0, FALSE);
    }
    void TearDown() override {
        if (dlg.m_hWnd) dlg.DestroyWindow();  // before the font the button was given
    }
    HWND Item(int id) const { return dlg.GetDlgItem(id); }

    ScopedFont font12;
    LabelDialog dlg;
};

TEST_F(ResizeToolTest, BeforeAttachNothingMovesAndRatiosAreOne) {
    const RECT before = ChildRect(Item(IDC_NUMBER_LABEL));
    double sx = 0, sy = 0;
    EXPECT_EQ(dlg.tool.ResizeChildren(800, 600, &sx, &sy), 0);
    EXPECT_EQ(sx, 1.0);
    EXPECT_EQ(sy, 1.0);
    EXPECT_EQ(dlg.tool.ResizeChildren(800, 600), 0);  // outputs are optional
    EXPECT_TRUE(RectIs(ChildRect(Item(IDC_NUMBER_LABEL)), before));
    EXPECT_EQ(dlg.tool.m_bEnabled, 0);
    EXPECT_EQ(dlg.tool.GetRecordCount(), 0);
}

TEST_F(ResizeToolTest, AttachRecordsEveryDescendantDepthFirst) {
    // A grandchild inside the port text, to see the depth-first order.
    HWND grand = ::CreateWindowExW(0, L"STATIC", L"g", WS_CHILD | WS_VISIBLE, 2, 1, 10, 5, Item(IDC_PORT_TEXT),
                                   nullptr, nullptr, nullptr);
    ASSERT_NE(grand, nullptr);
    dlg.tool.m_bUniform = 1;
    dlg.tool.AttachWindow(dlg);
    EXPECT_EQ(dlg.tool.m_bEnabled, 1);
    EXPECT_EQ(dlg.tool.m_bUniform, 0);
    EXPECT_EQ(dlg.tool.m_hParent, dlg.m_hWnd);
    EXPECT_EQ(dlg.tool.m_nOrigWidth, 400);
    EXPECT_EQ(dlg.tool.m_nOrigHeight, 300);

    const std::vector<HWND> expected = Descendants(dlg);
    ASSERT_EQ(dlg.tool.GetRecordCount(), static_cast<int>(expected.size()));
    for (int i = 0; i < dlg.tool.GetRecordCount(); ++i) {
        const CWndResizeTool::ChildRecord* r = dlg.tool.GetRecord(i);
        EXPECT_EQ(r->hWnd, expected[i]) << i;
        EXPECT_TRUE(RectIs(r->rcOrig, ChildRect(r->hWnd))) << i;
        EXPECT_EQ(r->hFont.Get(), nullptr);
        const LOGFONTW lf = FontOf(r->hWnd);
        EXPECT_EQ(r->lfOrig.lfHeight, lf.lfHeight) << i;
        EXPECT_STREQ(r->lfOrig.lfFaceName, lf.lfFaceName) << i;
    }
    bool grandFound = false;
    for (int i = 0; i + 1 < dlg.tool.GetRecordCount(); ++i)
        if (dlg.tool.GetRecord(i)->hWnd == Item(IDC_PORT_TEXT)) {
            EXPECT_EQ(dlg.tool.GetRecord(i + 1)->hWnd, grand);  // right after its parent
            EXPECT_TRUE(RectIs(dlg.tool.GetRecord(i + 1)->rcOrig, RECT{2, 1, 12, 6}));
            grandFound = true;
        }
    EXPECT_TRUE(grandFound);
    EXPECT_NE(dlg.tool.GetRecord(0)->lfOrig.lfHeight, 0);  // the dialog font, recorded
}

TEST_F(ResizeToolTest, ScaledFontsFollowSmallerRatio) {
    dlg.tool.AttachWindow(dlg);
    HWND button = Item(IDC_CONNECT_BUTTON);
    double sx = 0, sy = 0;
    ASSERT_EQ(dlg.tool.ResizeChildren(600, 450, &sx, &sy), 1);
    EXPECT_DOUBLE_EQ(sx, 1.5);
    EXPECT_DOUBLE_EQ(sy, 1.5);
    EXPECT_EQ(FontOf(button).lfHeight, -18);
    EXPECT_STREQ(FontOf(button).lfFaceName, L"宋体");
    ASSERT_EQ(dlg.tool.ResizeChildren(360, 270, &sx, &sy), 1);
    EXPECT_EQ(FontOf(button).lfHeight, -10);
    // Wide but low: the height ratio rules the fonts.
    ASSERT_EQ(dlg.tool.ResizeChildren(1200, 450, &sx, &sy), 1);
    EXPECT_DOUBLE_EQ(sx, 3.0);
    EXPECT_DOUBLE_EQ(sy, 1.5);
    EXPECT_EQ(FontOf(button).lfHeight, -18);
    // Tiny: a real one-pixel font, not the default size that a height of 0 asks for.
    ASSERT_EQ(dlg.tool.ResizeChildren(4, 3, &sx, &sy), 1);
    EXPECT_EQ(FontOf(button).lfHeight, -1);
}

TEST_F(ResizeToolTest, DoublingWidthOnlyKeepsVerticalPlaceAndFonts) {
    dlg.tool.AttachWindow(dlg);
    std::vector<RECT> before;
    for (int i = 0; i < dlg.tool.GetRecordCount(); ++i) before.push_back(dlg.tool.GetRecord(i)->rcOrig);
    double sx = 0, sy = 0;
    ASSERT_EQ(dlg.tool.ResizeChildren(800, 300, &sx, &sy), 1);
    EXPECT_EQ(sx, 2.0);
    EXPECT_EQ(sy, 1.0);
    for (int i = 0; i < dlg.tool.GetRecordCount(); ++i) {
        const auto* r = dlg.tool.GetRecord(i);
        const RECT now = ChildRect(r->hWnd);
        EXPECT_TRUE(RectIs(now, RECT{before[i].left * 2, before[i].top, before[i].right * 2, before[i].bottom})) << i;
        if (r->lfOrig.lfHeight != 0) {
            EXPECT_EQ(FontOf(r->hWnd).lfHeight, r->lfOrig.lfHeight) << i;
        }
    }
}

TEST_F(ResizeToolTest, ResizeToAttachSizeRestoresRecordedLayout) {
    dlg.tool.AttachWindow(dlg);
    ASSERT_EQ(dlg.tool.ResizeChildren(523, 377), 1);
    ASSERT_EQ(dlg.tool.ResizeChildren(400, 300), 1);
    for (int i = 0; i < dlg.tool.GetRecordCount(); ++i) {
        const auto* r = dlg.tool.GetRecord(i);
        EXPECT_TRUE(RectIs(ChildRect(r->hWnd), r->rcOrig)) << i;
        if (r->lfOrig.lfHeight == 0) continue;
        const LOGFONTW lf = FontOf(r->hWnd);
        EXPECT_EQ(lf.lfHeight, r->lfOrig.lfHeight) << i;
        EXPECT_EQ(lf.lfWidth, r->lfOrig.lfWidth) << i;
        EXPECT_EQ(lf.lfWeight, r->lfOrig.lfWeight) << i;
        EXPECT_STREQ(lf.lfFaceName, r->lfOrig.lfFaceName) << i;
    }
}

TEST_F(ResizeToolTest, ControlsWithoutFontOrZeroHeightAreMovedNotRefonted) {
    LOGFONTW zero{};
    zero.lfCharSet = DEFAULT_CHARSET;
    wcscpy(zero.lfFaceName, L"宋体");
    ScopedFont zeroFont(::CreateFontIndirectW(&zero));
    HWND port = Item(IDC_PORT_TEXT), start = Item(IDC_START_BUTTON);
    ::SendMessageW(port, WM_SETFONT, reinterpret_cast<WPARAM>(zeroFont.Get()), FALSE);
    dlg.tool.AttachWindow(dlg);
    const RECT portBefore = ChildRect(port), startBefore = ChildRect(start);
    ASSERT_EQ(dlg.tool.ResizeChildren(800, 600), 1);
    EXPECT_EQ(::SendMessageW(start, WM_GETFONT, 0, 0), 0);
    EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageW(port, WM_GETFONT, 0, 0)), zeroFont.Get());
    EXPECT_TRUE(RectIs(ChildRect(port), Scaled(portBefore, 2.0, 2.0)));
    EXPECT_TRUE(RectIs(ChildRect(start), Scaled(startBefore, 2.0, 2.0)));
    dlg.DestroyWindow();  // before zeroFont goes
}

TEST_F(ResizeToolTest, UniformScalingUsesSmallerRatioForBoth) {
    dlg.tool.AttachWindow(dlg);
    dlg.tool.m_bUniform = 1;
    const RECT before = dlg.tool.GetRecord(1)->rcOrig;
    double sx = 0, sy = 0;
    ASSERT_EQ(dlg.tool.ResizeChildren(800, 450, &sx, &sy), 1);
    EXPECT_DOUBLE_EQ(sx, 1.5);
    EXPECT_DOUBLE_EQ(sy, 1.5);
    EXPECT_TRUE(RectIs(ChildRect(dlg.tool.GetRecord(1)->hWnd), Scaled(before, 1.5, 1.5)));
}

TEST_F(ResizeToolTest, DialogResizeMovesAndRefontsInProportion) {
    dlg.tool.AttachWindow(dlg);
    dlg.resizeOnSize = true;
    SetClientSize(dlg, 640, 420);
    ASSERT_GT(dlg.resizeCalls, 0);
    ASSERT_EQ(dlg.lastResult, 1);
    const SIZE now = ClientSize(dlg);
    EXPECT_DOUBLE_EQ(dlg.lastRatioX, now.cx / 400.0);
    EXPECT_DOUBLE_EQ(dlg.lastRatioY, now.cy / 300.0);
    const double m = std::min(dlg.lastRatioX, dlg.lastRatioY);
    for (int i = 0; i < dlg.tool.GetRecordCount(); ++i) {
        const auto* r = dlg.tool.GetRecord(i);
        EXPECT_TRUE(RectIs(ChildRect(r->hWnd), Scaled(r->rcOrig, dlg.lastRatioX, dlg.lastRatioY))) << i;
        if (r->lfOrig.lfHeight != 0) {
            EXPECT_EQ(FontOf(r->hWnd).lfHeight, ctlmath::ScaleFontDimension(r->lfOrig.lfHeight, m)) << i;
        }
    }
    // The labels follow as the main window has them do: refonted by the scale.
    dlg.number.SetFontSize(static_cast<int>(m * 40));
    EXPECT_EQ(FontOf(dlg.number).lfHeight, ctlmath::FontHeightForPoints(static_cast<int>(m * 40), 96));
}

TEST_F(ResizeToolTest, AttachWhileMinimisedThenRestore) {
    dlg.resizeOnSize = true;
    dlg.ShowWindow(SW_MINIMIZE);
    ASSERT_TRUE(::IsIconic(dlg));
    const SIZE minimised = ClientSize(dlg);
    dlg.tool.AttachWindow(dlg);
    // Resizes to an empty client are refused, never divided by.
    double sx = 0, sy = 0;
    EXPECT_EQ(dlg.tool.ResizeChildren(0, 0, &sx, &sy), 0);
    EXPECT_EQ(sx, 1.0);
    EXPECT_EQ(sy, 1.0);

    dlg.ShowWindow(SW_RESTORE);
    ASSERT_FALSE(::IsIconic(dlg));
    const SIZE restored = ClientSize(dlg);
    ASSERT_GT(dlg.resizeCalls, 0);
    EXPECT_EQ(dlg.lastResult, 1);
    ASSERT_TRUE(std::isfinite(dlg.lastRatioX) && std::isfinite(dlg.lastRatioY));
    // The reference is the restored client: the layout stays where it was.
    EXPECT_NEAR(dlg.lastRatioX, 1.0, 0.02) << minimised.cx << "x" << minimised.cy << " -> " << restored.cx;
    EXPECT_NEAR(dlg.lastRatioY, 1.0, 0.02);
    for (int i = 0; i < dlg.tool.GetRecordCount(); ++i) {
        const auto* r = dlg.tool.GetRecord(i);
        EXPECT_TRUE(RectIs(ChildRect(r->hWnd), Scaled(r->rcOrig, dlg.lastRatioX, dlg.lastRatioY))) << i;
        if (r->lfOrig.lfHeight != 0) {
            EXPECT_NE(FontOf(r->hWnd).lfHeight, 0) << i;
        }
    }
    // And later resizes scale from it.
    SetClientSize(dlg, restored.cx * 2, restored.cy * 2);
    EXPECT_EQ(dlg.lastResult, 1);
    EXPECT_NEAR(dlg.lastRatioX, 2.0, 0.05);
}

TEST_F(ResizeToolTest, DestroyedControlsAreSkipped) {
    dlg.tool.AttachWindow(dlg);
    const int count = dlg.tool.GetRecordCount();
    ::DestroyWindow(Item(IDC_START_BUTTON));
    EXPECT_EQ(dlg.tool.ResizeChildren(500, 500), 1);
    EXPECT_EQ(dlg.tool.GetRecordCount(), count);
    // The whole window gone: every record skipped, nothing redrawn.
    dlg.DestroyWindow();
    double sx = 0, sy = 0;
    EXPECT_EQ(dlg.tool.ResizeChildren(800, 600, &sx, &sy), 1);
    EXPECT_EQ(sx, 2.0);
}

TEST(ResizeToolState, NullWindowGivesEmptyToolThatTakesResizes) {
    CWndResizeTool tool;
    tool.AttachWindow(nullptr);
    EXPECT_EQ(tool.GetRecordCount(), 0);
    EXPECT_EQ(tool.m_bEnabled, 1);
    double sx = 0, sy = 0;
    EXPECT_EQ(tool.ResizeChildren(0, 0, &sx, &sy), 0);
    EXPECT_EQ(tool.ResizeChildren(100, 80, &sx, &sy), 1);  // the first real size is the reference
    EXPECT_EQ(sx, 1.0);
    EXPECT_EQ(tool.ResizeChildren(200, 80, &sx, &sy), 1);
    EXPECT_EQ(sx, 2.0);
    EXPECT_EQ(sy, 1.0);
}

TEST_F(ResizeToolTest, SecondAttachStartsAgainFromCurrentLayoutWithLiveFonts) {
    dlg.tool.AttachWindow(dlg);
    ASSERT_EQ(dlg.tool.ResizeChildren(600, 450), 1);
    HWND button = Item(IDC_CONNECT_BUTTON);
    HFONT toolFont = reinterpret_cast<HFONT>(::SendMessageW(button, WM_GETFONT, 0, 0));
    ASSERT_EQ(FontOf(button).lfHeight, -18);

    SetClientSize(dlg, 600, 450);
    dlg.tool.AttachWindow(dlg);
    EXPECT_EQ(dlg.tool.m_nOrigWidth, 600);
    // The font the control shows is still a font, and is recorded as such.
    EXPECT_EQ(::GetObjectType(toolFont), static_cast<DWORD>(OBJ_FONT));
    for (int i = 0; i < dlg.tool.GetRecordCount(); ++i) {
        if (dlg.tool.GetRecord(i)->hWnd == button) {
            EXPECT_EQ(dlg.tool.GetRecord(i)->lfOrig.lfHeight, -18);
        }
    }
    ASSERT_EQ(dlg.tool.ResizeChildren(300, 225), 1);
    EXPECT_EQ(FontOf(button).lfHeight, -9);
}

TEST_F(ResizeToolTest, ToolGoingFirstLeavesNoDeletedFontInControls) {
    HWND button = Item(IDC_CONNECT_BUTTON);
    {
        CWndResizeTool tool;
        tool.AttachWindow(dlg);
        ASSERT_EQ(tool.ResizeChildren(600, 450), 1);
    }
    HFONT now = reinterpret_cast<HFONT>(::SendMessageW(button, WM_GETFONT, 0, 0));
    EXPECT_TRUE(now == nullptr || ::GetObjectType(now) == OBJ_FONT);
}

TEST_F(ResizeToolTest, GdiObjectsStayFlatOverManyResizes) {
    dlg.tool.AttachWindow(dlg);
    dlg.resizeOnSize = true;
    auto round = [&](int i) {
        SetClientSize(dlg, 300 + (i % 7) * 40, 200 + (i % 5) * 30);
        dlg.number.SetFontSize(10 + i % 9);
    };
    for (int i = 0; i < 3; ++i) round(i);
    SetClientSize(dlg, 400, 300);
    const long before = GdiObjectCount();
    if (before < 0) GTEST_SKIP() << "this system cannot count GDI objects";
    for (int i = 0; i < 150; ++i) round(i);
    SetClientSize(dlg, 400, 300);
    dlg.number.SetFontSize(10 + 2 % 9);
    const long after = GdiObjectCount();
    EXPECT_LE(after - before, 2) << before << " -> " << after;
}

}  // namespace
