#include "framework/Controls.h"
#include "framework/Wnd.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

const UINT kPing = WM_APP + 1;
const UINT kThrow = WM_APP + 2;

// A plain edit control, top level and hidden, to subclass.
HWND MakeEdit() {
    return ::CreateWindowExW(0, L"EDIT", L"before", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr,
                             ::GetModuleHandleW(nullptr), nullptr);
}

class ProbeWnd : public CWnd {
public:
    int preSubclassCalls = 0;
    bool procWasOriginalDuringPreSubclass = false;
    HWND hwndDuringPreSubclass = nullptr;
    int postNcDestroyCalls = 0;
    int pings = 0;

protected:
    void PreSubclassWindow() override {
        ++preSubclassCalls;
        hwndDuringPreSubclass = m_hWnd;
        procWasOriginalDuringPreSubclass = FromHandlePermanent(m_hWnd) == this &&
                                           ::GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC) != 0 &&
                                           ::GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC) == originalProc;
    }
    BOOL OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        switch (msg) {
        case kPing:
            ++pings;
            result = static_cast<LRESULT>(wParam) * 2;
            return TRUE;
        case kThrow: throw std::runtime_error("handler failed");
        default: return FALSE;
        }
    }
    void PostNcDestroy() override { ++postNcDestroyCalls; }

public:
    LONG_PTR originalProc = 0;
};

struct SinkRecord {
    int calls = 0;
    UINT msg = 0;
    std::string what;
};
SinkRecord gSink;

void RecordingSink(CWnd*, UINT msg, const char* what) {
    ++gSink.calls;
    gSink.msg = msg;
    gSink.what = what ? what : "";
}

class Subclassing : public ::testing::Test {
protected:
    void SetUp() override {
        hwnd = MakeEdit();
        ASSERT_NE(nullptr, hwnd);
        probe.originalProc = ::GetWindowLongPtrW(hwnd, GWLP_WNDPROC);
    }
    void TearDown() override {
        if (::IsWindow(hwnd)) ::DestroyWindow(hwnd);
    }
    HWND hwnd = nullptr;
    ProbeWnd probe;
};

TEST_F(Subclassing, PreSubclassWindowRunsFirstWithTheWindowAttached) {
    ASSERT_TRUE(probe.SubclassWindow(hwnd));
    EXPECT_EQ(1, probe.preSubclassCalls);
    EXPECT_EQ(hwnd, probe.hwndDuringPreSubclass);
    EXPECT_TRUE(probe.procWasOriginalDuringPreSubclass);
    EXPECT_NE(probe.originalProc, ::GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
    EXPECT_EQ(&probe, CWnd::FromHandlePermanent(hwnd));
}

TEST_F(Subclassing, UnhandledMessagesReachThePreviousProcedure) {
    ASSERT_TRUE(probe.SubclassWindow(hwnd));
    // The edit's own procedure stores and returns the text.
    ::SetWindowTextW(hwnd, L"after");
    EXPECT_EQ(L"after", probe.GetWindowTextW());
    EXPECT_EQ(5, ::SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0));
    // Handled messages return the handler's result.
    EXPECT_EQ(42, ::SendMessageW(hwnd, kPing, 21, 0));
    EXPECT_EQ(1, probe.pings);
}

TEST_F(Subclassing, UnsubclassRestoresTheProcedureAndDetaches) {
    ASSERT_TRUE(probe.SubclassWindow(hwnd));
    EXPECT_EQ(hwnd, probe.UnsubclassWindow());
    EXPECT_EQ(probe.originalProc, ::GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hwnd));
    EXPECT_EQ(nullptr, probe.m_hWnd);
    EXPECT_EQ(0, ::SendMessageW(hwnd, kPing, 21, 0));
}

TEST_F(Subclassing, AWindowTakesOnlyOneObject) {
    ASSERT_TRUE(probe.SubclassWindow(hwnd));
    ProbeWnd second;
    EXPECT_FALSE(second.SubclassWindow(hwnd));
    EXPECT_EQ(0, second.preSubclassCalls);
    EXPECT_EQ(&probe, CWnd::FromHandlePermanent(hwnd));
}

TEST_F(Subclassing, DestroyingTheWindowDetachesTheObject) {
    ASSERT_TRUE(probe.SubclassWindow(hwnd));
    ASSERT_TRUE(::DestroyWindow(hwnd));
    EXPECT_EQ(nullptr, probe.m_hWnd);
    EXPECT_EQ(1, probe.postNcDestroyCalls);
}

TEST_F(Subclassing, DestroyingTheObjectFirstLeavesAWorkingWindow) {
    {
        ProbeWnd shortLived;
        ASSERT_TRUE(shortLived.SubclassWindow(hwnd));
    }
    EXPECT_EQ(probe.originalProc, ::GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hwnd));
    ::SetWindowTextW(hwnd, L"still works");
    EXPECT_EQ(11, ::GetWindowTextLengthW(hwnd));
}

TEST_F(Subclassing, SubclassDlgItemFindsTheChildById) {
    HWND parent = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr,
                                    ::GetModuleHandleW(nullptr), nullptr);
    HWND child = ::CreateWindowExW(0, L"STATIC", L"x", WS_CHILD, 0, 0, 20, 20, parent, reinterpret_cast<HMENU>(77),
                                   ::GetModuleHandleW(nullptr), nullptr);
    CWnd parentWnd;
    ASSERT_TRUE(parentWnd.SubclassWindow(parent));
    ProbeWnd item;
    EXPECT_TRUE(item.SubclassDlgItem(77, &parentWnd));
    EXPECT_EQ(child, item.m_hWnd);
    EXPECT_FALSE(ProbeWnd().SubclassDlgItem(78, &parentWnd));
    ::DestroyWindow(parent);
    EXPECT_EQ(nullptr, item.m_hWnd);
    EXPECT_EQ(nullptr, parentWnd.m_hWnd);
}

TEST(WindowExceptions, AThrowingHandlerDoesNotCrossTheWindowProcedure) {
    HWND hwnd = MakeEdit();
    ProbeWnd probe;
    ASSERT_TRUE(probe.SubclassWindow(hwnd));
    gSink = {};
    CWnd::ExceptionSink old = CWnd::SetExceptionSink(RecordingSink);
    EXPECT_NO_THROW(::SendMessageW(hwnd, kThrow, 0, 0));
    CWnd::SetExceptionSink(old);
    EXPECT_EQ(1, gSink.calls);
    EXPECT_EQ(kThrow, gSink.msg);
    EXPECT_EQ("handler failed", gSink.what);
    // The window keeps working afterwards.
    EXPECT_EQ(4, ::SendMessageW(hwnd, kPing, 2, 0));
    ::DestroyWindow(hwnd);
}

// An own window of the framework class: the object sees WM_NCCREATE/WM_CREATE.
class OwnWnd : public CWnd {
public:
    int creates = 0;
    int destroys = 0;

protected:
    BOOL OnMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) override {
        if (msg == WM_CREATE) ++creates;
        if (msg == WM_DESTROY) ++destroys;
        return FALSE;
    }
};

TEST(OwnWindows, CreateExAttachesFromCreationAndTheDestructorDestroys) {
    HWND hwnd = nullptr;
    {
        OwnWnd wnd;
        RECT rect{0, 0, 100, 50};
        ASSERT_TRUE(wnd.CreateEx(0, nullptr, L"own", WS_POPUP, rect, nullptr, 0));
        hwnd = wnd.m_hWnd;
        EXPECT_EQ(1, wnd.creates);
        EXPECT_EQ(&wnd, CWnd::FromHandlePermanent(hwnd));
        EXPECT_EQ(L"own", wnd.GetWindowTextW());
    }
    EXPECT_FALSE(::IsWindow(hwnd));
}

TEST(OwnWindows, ModifyStyleChangesOnlyTheNamedBits) {
    OwnWnd wnd;
    RECT rect{0, 0, 100, 50};
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, L"", WS_POPUP | WS_BORDER, rect, nullptr, 0));
    EXPECT_TRUE(wnd.ModifyStyle(WS_BORDER, WS_DISABLED));
    EXPECT_EQ(0, wnd.GetStyle() & WS_BORDER);
    EXPECT_NE(0, wnd.GetStyle() & WS_DISABLED);
    EXPECT_NE(0, wnd.GetStyle() & WS_POPUP);
    EXPECT_FALSE(wnd.ModifyStyle(0, WS_DISABLED));  // nothing changes
}

TEST(ToolTips, ToolsAreAddedAndTheirTextUpdated) {
    OwnWnd owner;
    RECT rect{0, 0, 200, 100};
    ASSERT_TRUE(owner.CreateEx(0, nullptr, L"owner", WS_POPUP, rect, nullptr, 0));
    EXPECT_TRUE(owner.EnableToolTips(TRUE));
    EXPECT_TRUE(owner.IsToolTipsEnabled());

    CToolTipCtrl tip;
    ASSERT_TRUE(tip.Create(&owner, 0));
    EXPECT_EQ(owner.m_hWnd, ::GetWindow(tip.m_hWnd, GW_OWNER));
    EXPECT_FALSE(tip.Create(&owner, 0));  // once only
    ASSERT_TRUE(tip.AddTool(&owner, L"first", nullptr, 0));
    ASSERT_TRUE(tip.AddTool(&owner, LPSTR_TEXTCALLBACKW, nullptr, 1));
    EXPECT_EQ(2, tip.GetToolCount());
    EXPECT_EQ(L"first", tip.GetText(&owner, 0));
    tip.UpdateTipText(L"second", &owner, 0);
    EXPECT_EQ(L"second", tip.GetText(&owner, 0));
    tip.Activate(FALSE);
    tip.Activate(TRUE);
    MSG msg{owner.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10), 0, {10, 10}};
    tip.RelayEvent(&msg);  // must not disturb anything
    tip.DelTool(&owner, 1);
    EXPECT_EQ(1, tip.GetToolCount());
}

}  // namespace
