// CWndResizeTool on the test dialog: what it records, where it moves the
// controls and which fonts it gives them, minimised windows and GDI objects.
#include "ControlsTestSupport.h"

#include "LayoutMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace ctltest;

namespace {

::testing::AssertionResult RectIs(const RECT& a, const RECT& e) {
    if (a.left == e.left && a.top == e.top && a.right == e.right && a.bottom == e.bottom)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << a.left << "," << a.top << "," << a.right << "," << a.bottom
                                         << ") instead of (" << e.left << "," << e.top << "," << e.right << ","
                                         << e.bottom << ")";
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

// The dialog at a client size of 400 x 300, the connect button in a font of
// height -12, the start button without a font.
class ResizeToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dlg.Open());
        SetClientSize(dlg, 400, 300);
        ASSERT_EQ(ClientSize(dlg).cx, 400);
        ASSERT_EQ(ClientSize(dlg).cy, 300);
        font12.Reset(::CreateFontW(-12, 0, 0, 0, 400, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"宋体"));
        ::SendMessageW(Item(IDC_CONNECT_BUTTON), WM_SETFONT, reinterpret_cast<WPARAM>(font12.Get()), FALSE);
        ::SendMessageW(Item(IDC_START_BUTTON), WM_SETFONT, 0, FALSE);
    }
    void TearDown() override {
        if (dlg.m_hWnd) dlg.DestroyWindow();  // before the fonts the controls were given
    }
    HWND Item(int id) const { return dlg.GetDlgItem(id); }
    // Every control where the ratios put it, with its recorded font scaled by m.
    void ExpectLayout(double sx, double sy) {
        const double m = std::min(sx, sy);
        for (int i = 0; i < dlg.tool.GetRecordCount(); ++i) {
            const auto* r = dlg.tool.GetRecord(i);
            EXPECT_TRUE(RectIs(ChildRect(r->hWnd), Scaled(r->rcOrig, sx, sy))) << i;
            if (r->lfOrig.lfHeight == 0) continue;
            const LOGFONTW lf = FontOf(r->hWnd);
            EXPECT_EQ(lf.lfHeight, ctlmath::ScaleFontDimension(r->lfOrig.lfHeight, m)) << i;
            EXPECT_STREQ(lf.lfFaceName, r->lfOrig.lfFaceName) << i;
        }
    }

    UniqueFont font12;
    LabelDialog dlg;
};

TEST_F(ResizeToolTest, AttachRecordsEveryDescendantDepthFirst) {
    double sx = 0, sy = 0;
    EXPECT_EQ(dlg.tool.ResizeChildren(800, 600, &sx, &sy), 0);  // not attached: nothing moves
    EXPECT_EQ(sx, 1.0);
    EXPECT_EQ(sy, 1.0);

    HWND grand = ::CreateWindowExW(0, L"STATIC", L"g", WS_CHILD | WS_VISIBLE, 2, 1, 10, 5, Item(IDC_PORT_TEXT), nullptr,
                                   nullptr, nullptr);
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
        const auto* r = dlg.tool.GetRecord(i);
        EXPECT_EQ(r->hWnd, expected[i]) << i;
        EXPECT_TRUE(RectIs(r->rcOrig, ChildRect(r->hWnd))) << i;
        EXPECT_EQ(r->hFont.Get(), nullptr);
        EXPECT_EQ(r->lfOrig.lfHeight, FontOf(r->hWnd).lfHeight) << i;
        if (r->hWnd == grand) {
            EXPECT_TRUE(RectIs(r->rcOrig, RECT{2, 1, 12, 6}));  // in its parent's client
        }
    }
}

TEST_F(ResizeToolTest, ControlsAndFontsScaleByTheRatios) {
    dlg.tool.AttachWindow(dlg);
    HWND button = Item(IDC_CONNECT_BUTTON);
    double sx = 0, sy = 0;
    ASSERT_EQ(dlg.tool.ResizeChildren(600, 450, &sx, &sy), 1);
    EXPECT_DOUBLE_EQ(sx, 1.5);
    EXPECT_DOUBLE_EQ(sy, 1.5);
    EXPECT_EQ(FontOf(button).lfHeight, -18);
    ExpectLayout(sx, sy);
    ASSERT_EQ(dlg.tool.ResizeChildren(360, 270, &sx, &sy), 1);
    EXPECT_EQ(FontOf(button).lfHeight, -10);
    // Width doubled only: horizontal places double, vertical ones and fonts stay.
    ASSERT_EQ(dlg.tool.ResizeChildren(800, 300, &sx, &sy), 1);
    EXPECT_EQ(sx, 2.0);
    EXPECT_EQ(sy, 1.0);
    EXPECT_EQ(FontOf(button).lfHeight, -12);
    ExpectLayout(2.0, 1.0);
    // Uniform: both ratios become the smaller one.
    dlg.tool.m_bUniform = 1;
    ASSERT_EQ(dlg.tool.ResizeChildren(800, 450, &sx, &sy), 1);
    EXPECT_DOUBLE_EQ(sx, 1.5);
    EXPECT_DOUBLE_EQ(sy, 1.5);
    ExpectLayout(1.5, 1.5);
    dlg.tool.m_bUniform = 0;
    // Tiny: a one-pixel font, not the default size a height of 0 asks for.
    ASSERT_EQ(dlg.tool.ResizeChildren(4, 3), 1);
    EXPECT_EQ(FontOf(button).lfHeight, -1);
    // Back to the attach size: the recorded rectangles and fonts exactly.
    ASSERT_EQ(dlg.tool.ResizeChildren(400, 300), 1);
    ExpectLayout(1.0, 1.0);
    // No font, or a font of height 0: moved, never refonted.
    EXPECT_EQ(::SendMessageW(Item(IDC_START_BUTTON), WM_GETFONT, 0, 0), 0);
}

TEST_F(ResizeToolTest, DialogResizeMovesAndRefontsInProportion) {
    UniqueFont zeroFont(::CreateFontW(0, 0, 0, 0, 400, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"宋体"));
    ::SendMessageW(Item(IDC_PORT_TEXT), WM_SETFONT, reinterpret_cast<WPARAM>(zeroFont.Get()), FALSE);
    dlg.tool.AttachWindow(dlg);
    dlg.resizeOnSize = true;
    SetClientSize(dlg, 640, 420);
    ASSERT_EQ(dlg.lastResult, 1);
    EXPECT_DOUBLE_EQ(dlg.lastRatioX, ClientSize(dlg).cx / 400.0);
    EXPECT_DOUBLE_EQ(dlg.lastRatioY, ClientSize(dlg).cy / 300.0);
    ExpectLayout(dlg.lastRatioX, dlg.lastRatioY);
    EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageW(Item(IDC_PORT_TEXT), WM_GETFONT, 0, 0)), zeroFont.Get());
    dlg.DestroyWindow();  // before zeroFont goes
}

TEST_F(ResizeToolTest, AttachWhileMinimisedThenRestore) {
    dlg.resizeOnSize = true;
    dlg.ShowWindow(SW_MINIMIZE);
    ASSERT_TRUE(::IsIconic(dlg));
    dlg.tool.AttachWindow(dlg);
    double sx = 0, sy = 0;
    EXPECT_EQ(dlg.tool.ResizeChildren(0, 0, &sx, &sy), 0);  // an empty client is refused, never divided by
    EXPECT_EQ(sx, 1.0);

    dlg.ShowWindow(SW_RESTORE);
    ASSERT_FALSE(::IsIconic(dlg));
    ASSERT_EQ(dlg.lastResult, 1);
    // The reference is the restored client: the layout stays where it was.
    EXPECT_NEAR(dlg.lastRatioX, 1.0, 0.02);
    EXPECT_NEAR(dlg.lastRatioY, 1.0, 0.02);
    ExpectLayout(dlg.lastRatioX, dlg.lastRatioY);
    const SIZE restored = ClientSize(dlg);
    SetClientSize(dlg, restored.cx * 2, restored.cy * 2);
    EXPECT_EQ(dlg.lastResult, 1);
    EXPECT_NEAR(dlg.lastRatioX, 2.0, 0.05);
}

TEST_F(ResizeToolTest, ReattachAndWindowsThatAreGone) {
    dlg.tool.AttachWindow(dlg);
    ASSERT_EQ(dlg.tool.ResizeChildren(600, 450), 1);
    HWND button = Item(IDC_CONNECT_BUTTON);
    HFONT toolFont = reinterpret_cast<HFONT>(::SendMessageW(button, WM_GETFONT, 0, 0));
    // A second attach starts from the current layout; the font the control
    // shows stays alive and is what gets recorded.
    SetClientSize(dlg, 600, 450);
    dlg.tool.AttachWindow(dlg);
    EXPECT_EQ(dlg.tool.m_nOrigWidth, 600);
    EXPECT_EQ(::GetObjectType(toolFont), static_cast<DWORD>(OBJ_FONT));
    ASSERT_EQ(dlg.tool.ResizeChildren(300, 225), 1);
    EXPECT_EQ(FontOf(button).lfHeight, -9);

    // A tool that goes first leaves no deleted font in a control.
    {
        CWndResizeTool tool;
        tool.AttachWindow(dlg);
        ASSERT_EQ(tool.ResizeChildren(900, 900), 1);
    }
    HFONT now = reinterpret_cast<HFONT>(::SendMessageW(button, WM_GETFONT, 0, 0));
    EXPECT_TRUE(now == nullptr || ::GetObjectType(now) == OBJ_FONT);

    // Destroyed controls, then the whole window: records skipped, no redraw of nothing.
    ::DestroyWindow(Item(IDC_START_BUTTON));
    EXPECT_EQ(dlg.tool.ResizeChildren(500, 500), 1);
    dlg.DestroyWindow();
    EXPECT_EQ(dlg.tool.ResizeChildren(1200, 900), 1);
    CWndResizeTool empty;
    empty.AttachWindow(nullptr);
    double sx = 0, sy = 0;
    EXPECT_EQ(empty.ResizeChildren(100, 80, &sx, &sy), 1);  // the first real size becomes the reference
    EXPECT_EQ(empty.ResizeChildren(200, 80, &sx, &sy), 1);
    EXPECT_EQ(sx, 2.0);
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
    ASSERT_GE(before, 0) << "this system cannot count GDI objects";
    const long ownedBefore = OwnedGdiObjectCount();
    for (int i = 0; i < 150; ++i) round(i);
    SetClientSize(dlg, 400, 300);
    EXPECT_LE(GdiObjectCount() - before, 2) << before;
    // Exactly: one font per refonted control, each replacing the one before.
    EXPECT_EQ(OwnedGdiObjectCount(), ownedBefore);
}

}  // namespace
