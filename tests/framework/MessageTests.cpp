// Typed handlers: what the framework decodes from raw messages, what a
// throwing handler leaves behind, and the end of a window's life, for dialogs
// and for windows of the framework's own class alike.
#include "PumpMessages.h"
#include "TestResources.h"
#include "framework/Dialog.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace {

constexpr UINT_PTR kTimerId = 42;

struct Command {
    UINT id, code;
};

// Records every typed call; throws from the handler named in throwIn.
class DecodingDialog : public CDialogEx {
public:
    DecodingDialog() : CDialogEx(IDD_MODELESS_DIALOG) {}
    ~DecodingDialog() override = default;

    std::vector<Command> commands;
    std::vector<UINT> clicks;
    UINT sizeType = 99;
    int sizeCx = -1, sizeCy = -1;
    UINT_PTR timerId = 0;
    POINT down{0, 0};
    UINT downFlags = 0;
    short wheelDelta = 0;
    UINT wheelFlags = 0;
    POINT wheelPoint{0, 0};
    int okCalls = 0, destroyCalls = 0, postNcDestroyCalls = 0;
    bool takeOk = false;  // OnButtonClicked claims IDOK
    UINT throwIn = 0;     // the message whose handler throws

protected:
    void OnOK() override { ++okCalls; }
    void OnCancel() override {}
    bool OnCommand(UINT id, UINT code) override {
        commands.push_back({id, code});
        return CDialogEx::OnCommand(id, code);
    }
    bool OnButtonClicked(UINT id) override {
        if (throwIn == WM_COMMAND) throw std::runtime_error("click handler failed");
        clicks.push_back(id);
        return id == IDC_ACTION_BUTTON || (id == IDOK && takeOk);
    }
    bool OnSize(UINT type, int cx, int cy) override {
        if (throwIn == WM_SIZE) throw std::runtime_error("size handler failed");
        sizeType = type;
        sizeCx = cx;
        sizeCy = cy;
        return true;
    }
    bool OnTimer(UINT_PTR id) override {
        timerId = id;
        ::KillTimer(m_hWnd, id);
        return true;
    }
    bool OnLButtonDown(UINT flags, POINT point) override {
        downFlags = flags;
        down = point;
        return true;
    }
    bool OnMouseWheel(UINT flags, short delta, POINT screenPoint) override {
        wheelFlags = flags;
        wheelDelta = delta;
        wheelPoint = screenPoint;
        return true;
    }
    bool OnDestroy() override {
        ++destroyCalls;
        if (throwIn == WM_DESTROY) throw std::runtime_error("destroy handler failed");
        return false;
    }
    void PostNcDestroy() override { ++postNcDestroyCalls; }
};

// A window of the framework's own class, counting the end of its life.
class EndingWnd : public CWnd {
public:
    int destroyCalls = 0, postNcDestroyCalls = 0;
    bool throwInDestroy = false;
    bool erased = false;

protected:
    bool OnDestroy() override {
        ++destroyCalls;
        if (throwInDestroy) throw std::logic_error("destroy handler failed");
        return false;
    }
    bool OnEraseBkgnd(HDC) override { return erased = true; }
    void PostNcDestroy() override { ++postNcDestroyCalls; }
};

// Collects what reaches the exception sink while it lives.
class SinkRecorder {
public:
    SinkRecorder() : m_old(CWnd::SetExceptionSink(&Record)) { s_messages.clear(); }
    ~SinkRecorder() { CWnd::SetExceptionSink(m_old); }
    const std::vector<UINT>& Messages() const { return s_messages; }

private:
    static void Record(CWnd*, UINT msg, const char*) { s_messages.push_back(msg); }
    static inline std::vector<UINT> s_messages;
    CWnd::ExceptionSink m_old;
};

WPARAM CommandWord(UINT id, UINT code) { return MAKEWPARAM(id, code); }

// Destroys the window, whose destroy handler throws: the object still lets go
// of it, PostNcDestroy runs once, and only the throw is reported.
template <class Window>
void ExpectEndsOnce(Window& wnd, const SinkRecorder& sink) {
    HWND hwnd = wnd.m_hWnd;
    EXPECT_TRUE(wnd.DestroyWindow());
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(1, wnd.destroyCalls);
    EXPECT_EQ(1, wnd.postNcDestroyCalls);
    EXPECT_EQ(nullptr, wnd.m_hWnd);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hwnd));
    EXPECT_EQ(std::vector<UINT>{WM_DESTROY}, sink.Messages());
}

}  // namespace

TEST(TypedHandlers, CommandsArriveAsIdAndCodeAndClicksAsButtonIds) {
    DecodingDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_MODELESS_DIALOG));
    HWND edit = dialog.GetDlgItem(IDC_NAME_EDIT);
    // A real click (focus changes may add notifications of their own).
    ::SendMessageW(dialog.GetDlgItem(IDC_ACTION_BUTTON), BM_CLICK, 0, 0);
    EXPECT_EQ(std::vector<UINT>{IDC_ACTION_BUTTON}, dialog.clicks);
    ASSERT_FALSE(dialog.commands.empty());
    EXPECT_EQ(static_cast<UINT>(IDC_ACTION_BUTTON), dialog.commands.back().id);
    EXPECT_EQ(static_cast<UINT>(BN_CLICKED), dialog.commands.back().code);
    // Another notification: OnCommand only, with both halves of the word.
    dialog.commands.clear();
    dialog.SendMessage(WM_COMMAND, CommandWord(IDC_NAME_EDIT, EN_CHANGE), reinterpret_cast<LPARAM>(edit));
    ASSERT_EQ(1u, dialog.commands.size());
    EXPECT_EQ(static_cast<UINT>(IDC_NAME_EDIT), dialog.commands[0].id);
    EXPECT_EQ(static_cast<UINT>(EN_CHANGE), dialog.commands[0].code);
    EXPECT_EQ(std::vector<UINT>{IDC_ACTION_BUTTON}, dialog.clicks);
}

TEST(TypedHandlers, AClickTheDialogHandlesNeverReachesOnOk) {
    DecodingDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_MODELESS_DIALOG));
    dialog.SendMessage(WM_COMMAND, CommandWord(IDOK, BN_CLICKED), 0);
    EXPECT_EQ(1, dialog.okCalls) << "not handled: the dialog's own IDOK handling follows";
    dialog.takeOk = true;
    dialog.SendMessage(WM_COMMAND, CommandWord(IDOK, BN_CLICKED), 0);
    EXPECT_EQ(1, dialog.okCalls) << "handled: nothing follows";
    EXPECT_EQ((std::vector<UINT>{IDOK, IDOK}), dialog.clicks);
}

TEST(TypedHandlers, SizeIsTheNewClientSize) {
    DecodingDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_MODELESS_DIALOG));
    dialog.MoveWindow(10, 10, 333, 222);
    RECT client{};
    dialog.GetClientRect(&client);
    EXPECT_EQ(static_cast<UINT>(SIZE_RESTORED), dialog.sizeType);
    EXPECT_EQ(client.right, dialog.sizeCx);
    EXPECT_EQ(client.bottom, dialog.sizeCy);
    // Both halves of the word, up to the largest 16-bit size.
    dialog.SendMessage(WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(65535, 1));
    EXPECT_EQ(static_cast<UINT>(SIZE_MAXIMIZED), dialog.sizeType);
    EXPECT_EQ(65535, dialog.sizeCx);
    EXPECT_EQ(1, dialog.sizeCy);
}

TEST(TypedHandlers, TimerBringsItsId) {
    DecodingDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_MODELESS_DIALOG));
    ASSERT_NE(0u, ::SetTimer(dialog.m_hWnd, kTimerId, 1, nullptr));
    EXPECT_TRUE(PumpUntil([&] { return dialog.timerId != 0; }));
    EXPECT_EQ(kTimerId, dialog.timerId);
}

TEST(TypedHandlers, MousePositionsKeepTheirSignAndTheWheelItsDelta) {
    DecodingDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_MODELESS_DIALOG));
    // Left of and above the client area, as a captured drag reports it.
    dialog.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(-3, -70));
    EXPECT_EQ(static_cast<UINT>(MK_LBUTTON | MK_SHIFT), dialog.downFlags);
    EXPECT_EQ(-3, dialog.down.x);
    EXPECT_EQ(-70, dialog.down.y);
    dialog.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, static_cast<WORD>(-240)), MAKELPARAM(500, -20));
    EXPECT_EQ(static_cast<UINT>(MK_CONTROL), dialog.wheelFlags);
    EXPECT_EQ(-240, dialog.wheelDelta);
    EXPECT_EQ(500, dialog.wheelPoint.x);
    EXPECT_EQ(-20, dialog.wheelPoint.y);
}

TEST(TypedHandlers, AThrowingHandlerStaysInsideTheProcedure) {
    SinkRecorder sink;
    DecodingDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_MODELESS_DIALOG));
    dialog.throwIn = WM_SIZE;
    dialog.SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(50, 60));
    dialog.throwIn = WM_COMMAND;
    ::SendMessageW(dialog.GetDlgItem(IDC_ACTION_BUTTON), BM_CLICK, 0, 0);
    EXPECT_EQ((std::vector<UINT>{WM_SIZE, WM_COMMAND}), sink.Messages());
    // The dialog goes on answering.
    dialog.throwIn = 0;
    dialog.SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(70, 80));
    EXPECT_EQ(70, dialog.sizeCx);
    EXPECT_TRUE(dialog.IsWindow());
}

TEST(TypedHandlers, ADialogEndsOnceEvenWhenItsDestroyHandlerThrows) {
    SinkRecorder sink;
    DecodingDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_MODELESS_DIALOG));
    dialog.throwIn = WM_DESTROY;
    ExpectEndsOnce(dialog, sink);
}

TEST(TypedHandlers, AnOwnWindowEndsOnceAndItsHandlersSeeTheirMessages) {
    SinkRecorder sink;
    EndingWnd wnd;
    const RECT rect{0, 0, 120, 80};
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, L"", WS_POPUP, rect, nullptr, 0));
    HWND hwnd = wnd.m_hWnd;
    HDC dc = ::GetDC(hwnd);
    EXPECT_EQ(TRUE, wnd.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc)));
    ::ReleaseDC(hwnd, dc);
    EXPECT_TRUE(wnd.erased);
    wnd.throwInDestroy = true;
    ExpectEndsOnce(wnd, sink);
}
