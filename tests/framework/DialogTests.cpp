#include "PumpMessages.h"
#include "TestResources.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "handles/UniqueHandle.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

namespace {

const UINT kRunScenario = WM_APP + 10;
const UINT kAnswer = WM_APP + 11;
const UINT kThrow = WM_APP + 12;
const COLORREF kSwatchColor = RGB(200, 30, 40);

// An owner-drawn static: DrawItem arrives through reflection from the dialog.
class Swatch : public CStatic {
public:
    int drawCalls = 0;
    UINT lastCtlId = 0;
    RECT lastRect{};
    void DrawItem(LPDRAWITEMSTRUCT dis) override {
        ++drawCalls;
        lastCtlId = dis->CtlID;
        lastRect = dis->rcItem;
        UniqueBrush brush(::CreateSolidBrush(kSwatchColor));
        ::FillRect(dis->hDC, &dis->rcItem, brush.Get());
    }
};

// A label answering WM_CTLCOLORSTATIC itself.
class ColouredLabel : public CStatic {
public:
    HBRUSH brush = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
    BOOL OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override {
        if (msg != WM_CTLCOLORSTATIC) return CStatic::OnChildNotify(msg, wParam, lParam, result);
        *result = reinterpret_cast<LRESULT>(brush);
        return TRUE;
    }
};

// A dialog counting Enter (OnOK) and Escape (OnCancel), which end it unless
// it ignores them.
class OkCancelCountingDialog : public CDialogEx {
public:
    explicit OkCancelCountingDialog(UINT id, bool ignore) : CDialogEx(id), ignoreOkCancel(ignore) {}
    int okCalls = 0;
    int cancelCalls = 0;
    bool ignoreOkCancel;

protected:
    void OnOK() override {
        ++okCalls;
        if (!ignoreOkCancel) CDialogEx::OnOK();
    }
    void OnCancel() override {
        ++cancelCalls;
        if (!ignoreOkCancel) CDialogEx::OnCancel();
    }
};

// The test dialog: binds its controls, then runs a scenario from a posted
// message inside its own modal loop and ends with the scenario's result.
class TestDialog : public OkCancelCountingDialog {
public:
    explicit TestDialog(UINT id = IDD_TEST_DIALOG) : OkCancelCountingDialog(id, false) {}

    std::function<INT_PTR(TestDialog&)> scenario;
    Swatch swatch;
    ColouredLabel label;
    int initCalls = 0;
    int actionClicks = 0;

protected:
    void DoDataExchange() override {
        swatch.SubclassDlgItem(IDC_SWATCH, this);
        label.SubclassDlgItem(IDC_PLAIN_LABEL, this);
    }
    BOOL OnInitDialog() override {
        ++initCalls;
        CDialogEx::OnInitDialog();
        if (scenario) PostMessage(kRunScenario);
        return TRUE;
    }
    BOOL OnMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) override {
        switch (msg) {
        case kRunScenario: EndDialog(scenario(*this)); return TRUE;
        case kAnswer: result = 1234; return TRUE;
        case kThrow: throw std::logic_error("dialog handler failed");
        default: return FALSE;
        }
    }
    bool OnButtonClicked(UINT id) override {
        if (id != IDC_ACTION_BUTTON) return false;
        ++actionClicks;
        return true;
    }
};

void PostKey(HWND hwnd, WPARAM key) {
    ::PostMessageW(hwnd, WM_KEYDOWN, key, 1);
    ::PostMessageW(hwnd, WM_KEYUP, key, 0xC0000001);
}

TEST(ModalDialog, RunsInitAndReturnsTheEndDialogValue) {
    TestDialog dialog;
    HWND seen = nullptr;
    dialog.scenario = [&](TestDialog& d) -> INT_PTR {
        seen = d.m_hWnd;
        EXPECT_EQ(&d, CWnd::FromHandlePermanent(d.m_hWnd));
        EXPECT_EQ(L"测试对话框", d.GetWindowTextW());
        return 42;
    };
    EXPECT_EQ(42, dialog.DoModal());
    EXPECT_EQ(1, dialog.initCalls);
    EXPECT_NE(nullptr, seen);
    EXPECT_FALSE(::IsWindow(seen));
    EXPECT_EQ(nullptr, dialog.m_hWnd);
}

TEST(ModalDialog, MissingTemplateFails) {
    TestDialog dialog(999);
    EXPECT_EQ(-1, dialog.DoModal());
}

TEST(ModalDialog, ButtonsRouteToOnCommandAndOkCancel) {
    TestDialog dialog;
    dialog.scenario = [](TestDialog& d) -> INT_PTR {
        ::SendMessageW(d.GetDlgItem(IDC_ACTION_BUTTON), BM_CLICK, 0, 0);
        EXPECT_EQ(1, d.actionClicks);
        ::SendMessageW(d.GetDlgItem(IDOK), BM_CLICK, 0, 0);  // ends the dialog with IDOK
        return 7;                                            // overrides: last EndDialog wins
    };
    EXPECT_EQ(7, dialog.DoModal());
    EXPECT_EQ(1, dialog.okCalls);
}

TEST(ModalDialog, CloseBoxBecomesOnCancel) {
    TestDialog dialog;
    dialog.scenario = [](TestDialog& d) -> INT_PTR {
        // The dialog manager posts IDCANCEL for the close box.
        d.SendMessage(WM_CLOSE);
        EXPECT_TRUE(PumpUntil([&] { return d.cancelCalls == 1; }));
        return IDCANCEL;
    };
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
}

TEST(ModalDialog, EnterAndEscapeReachOverridesThatKeepTheDialogOpen) {
    TestDialog dialog;
    dialog.ignoreOkCancel = true;
    dialog.scenario = [](TestDialog& d) -> INT_PTR {
        // Keys posted to the edit go through the dialog's own loop first;
        // when they have been handled, the next posted message ends the test.
        PostKey(d.GetDlgItem(IDC_NAME_EDIT), VK_RETURN);
        PostKey(d.GetDlgItem(IDC_NAME_EDIT), VK_ESCAPE);
        d.PostMessage(kAnswer + 100);
        MSG msg;
        while (::GetMessageW(&msg, nullptr, 0, 0)) {
            if (msg.message == kAnswer + 100) break;
            if (!::IsDialogMessageW(d.m_hWnd, &msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        }
        EXPECT_TRUE(d.IsWindow());
        return 5;
    };
    EXPECT_EQ(5, dialog.DoModal());
    EXPECT_EQ(1, dialog.okCalls);
    EXPECT_EQ(1, dialog.cancelCalls);
}

TEST(ModalDialog, HandledResultsReachTheSender) {
    TestDialog dialog;
    dialog.scenario = [](TestDialog& d) -> INT_PTR {
        EXPECT_EQ(1234, d.SendMessage(kAnswer));
        // WM_CTLCOLORSTATIC is answered by the label object through
        // reflection, and returned directly rather than via DWLP_MSGRESULT.
        HDC dc = ::GetDC(d.m_hWnd);
        LRESULT brush =
            d.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(d.label.m_hWnd));
        ::ReleaseDC(d.m_hWnd, dc);
        EXPECT_EQ(reinterpret_cast<LRESULT>(d.label.brush), brush);
        return IDOK;
    };
    EXPECT_EQ(IDOK, dialog.DoModal());
}

TEST(ModalDialog, AThrowingHandlerLeavesTheDialogRunning) {
    TestDialog dialog;
    int sinkCalls = 0;
    static int* counter = nullptr;
    counter = &sinkCalls;
    CWnd::ExceptionSink old = CWnd::SetExceptionSink([](CWnd*, UINT, const char*) { ++*counter; });
    dialog.scenario = [](TestDialog& d) -> INT_PTR {
        d.SendMessage(kThrow);
        EXPECT_EQ(1234, d.SendMessage(kAnswer));
        return 9;
    };
    EXPECT_EQ(9, dialog.DoModal());
    CWnd::SetExceptionSink(old);
    EXPECT_EQ(1, sinkCalls);
}

TEST(ModalDialog, OwnerDrawnStaticPaintsThroughDrawItem) {
    TestDialog dialog;
    COLORREF pixel = CLR_INVALID;
    dialog.scenario = [&](TestDialog& d) -> INT_PTR {
        d.swatch.drawCalls = 0;
        ::RedrawWindow(d.swatch.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        RECT client{};
        d.swatch.GetClientRect(&client);
        EXPECT_EQ(1, d.swatch.drawCalls);
        EXPECT_EQ(static_cast<UINT>(IDC_SWATCH), d.swatch.lastCtlId);
        EXPECT_TRUE(::EqualRect(&client, &d.swatch.lastRect));
        HDC dc = ::GetDC(d.swatch.m_hWnd);
        pixel = ::GetPixel(dc, client.right / 2, client.bottom / 2);
        ::ReleaseDC(d.swatch.m_hWnd, dc);
        return IDOK;
    };
    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ(kSwatchColor, pixel);
}

TEST(ModalDialog, TemplateMayNameItsOwnWindowClass) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    ASSERT_TRUE(::GetClassInfoExW(nullptr, L"#32770", &wc));
    wc.lpszClassName = L"" TEST_DIALOG_CLASS;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    if (!::GetClassInfoExW(wc.hInstance, wc.lpszClassName, &wc)) {
        ASSERT_NE(0, ::RegisterClassExW(&wc));
    }

    TestDialog dialog(IDD_CLASS_DIALOG);
    std::wstring className;
    dialog.scenario = [&](TestDialog& d) -> INT_PTR {
        wchar_t name[64] = {};
        ::GetClassNameW(d.m_hWnd, name, 64);
        className = name;
        return IDOK;
    };
    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ(L"" TEST_DIALOG_CLASS, className);
}

// A modeless dialog that, like the tool's, ignores Enter and Escape.
class ModelessDialog : public OkCancelCountingDialog {
public:
    ModelessDialog() : OkCancelCountingDialog(IDD_MODELESS_DIALOG, true) {}
    int initCalls = 0, destroyed = 0;

protected:
    BOOL OnInitDialog() override {
        ++initCalls;
        return CDialogEx::OnInitDialog();
    }
    void PostNcDestroy() override { ++destroyed; }
};

TEST(ModelessDialog, CreatedHiddenAndDestroyedByBaseCancel) {
    ModelessDialog dialog;
    dialog.ignoreOkCancel = false;
    ASSERT_TRUE(dialog.Create(IDD_MODELESS_DIALOG));
    EXPECT_EQ(1, dialog.initCalls);
    EXPECT_FALSE(dialog.IsModal());
    EXPECT_FALSE(dialog.IsWindowVisible());
    dialog.ShowWindow(SW_SHOW);
    EXPECT_TRUE(dialog.IsWindowVisible());
    HWND hwnd = dialog.m_hWnd;
    dialog.SendMessage(WM_CLOSE);  // becomes a posted IDCANCEL; the base destroys
    EXPECT_TRUE(PumpUntil([&] { return dialog.cancelCalls == 1; }));
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(nullptr, dialog.m_hWnd);
    EXPECT_EQ(1, dialog.destroyed);
}

TEST(ModelessDialog, DestructorDestroysALiveWindow) {
    HWND hwnd = nullptr;
    {
        ModelessDialog dialog;
        ASSERT_TRUE(dialog.Create(IDD_MODELESS_DIALOG));
        hwnd = dialog.m_hWnd;
    }
    EXPECT_FALSE(::IsWindow(hwnd));
}

// Hosts a modeless child and ends when a marker message arrives after the
// keys posted to the child, so every key has passed the message loop by then.
class HostDialog : public TestDialog {
public:
    static const UINT kMarker = WM_APP + 200;
    ModelessDialog child;
    bool childAliveAtEnd = false;

protected:
    BOOL OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (msg == kRunScenario) {
            EXPECT_TRUE(child.Create(IDD_MODELESS_DIALOG, this));
            child.ShowWindow(SW_SHOW);
            HWND edit = child.GetDlgItem(IDC_NAME_EDIT);
            // Only the framework's hook can turn these into IDOK/IDCANCEL: the
            // modal loop asks IsDialogMessage of the host, not of the child.
            PostKey(edit, VK_RETURN);
            PostKey(edit, VK_ESCAPE);
            PostMessage(kMarker);
            return TRUE;
        }
        if (msg == kMarker) {
            childAliveAtEnd = child.IsWindow() && child.IsWindowVisible();
            EndDialog(77);
            return TRUE;
        }
        return TestDialog::OnMessage(msg, wParam, lParam, result);
    }
};

TEST(ModelessDialog, GetsEnterAndEscapeInsideAnotherDialogsModalLoop) {
    HostDialog host;
    host.scenario = [](TestDialog&) -> INT_PTR { return 0; };  // only to post kRunScenario
    EXPECT_EQ(77, host.DoModal());
    EXPECT_EQ(1, host.child.okCalls);
    EXPECT_EQ(1, host.child.cancelCalls);
    EXPECT_TRUE(host.childAliveAtEnd) << "Enter/Escape must not close a dialog whose OnOK/OnCancel do nothing";
}

}  // namespace
