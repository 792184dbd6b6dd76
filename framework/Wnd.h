// CWnd: a C++ object attached to a window. Messages arrive at WindowProc,
// which offers them to the raw OnMessage hook (registered and WM_USER/WM_APP
// messages), then decodes the common ones once into small typed handlers
// (OnClose, OnSize, OnPaint, OnTimer, the mouse, OnCommand/OnButtonClicked),
// then reflects owner-draw and colour messages to child objects, then calls
// DefWindowProc. A typed handler returns true when it handled the message; a
// window overrides only what it handles. No exception ever leaves a window
// procedure.
#pragma once
#include <windows.h>
#include <string>

class CFont;

class CWnd {
public:
    CWnd();
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // The object attached to hwnd by this framework, or null.
    static CWnd* FromHandlePermanent(HWND hwnd);

    // Attaches to an existing window: PreSubclassWindow() runs first (m_hWnd
    // is already set), then the window procedure is replaced; the previous one
    // handles whatever this object does not.
    BOOL SubclassWindow(HWND hwnd);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    // Gives the window its previous procedure back; returns the window.
    HWND UnsubclassWindow();

    // Creates a window with this object attached. className null: the
    // framework's own window class, whose windows reach the object from
    // WM_NCCREATE on; other classes are subclassed once created.
    BOOL CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, CWnd* parent,
                  UINT id, LPVOID param = nullptr);
    BOOL DestroyWindow();

    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // Raw hook, offered every message first. Return TRUE when handled; result
    // is then the message's result.
    virtual BOOL OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Typed handlers: true when handled (the message's result is then 0, and
    // TRUE for OnEraseBkgnd); false lets the default processing follow.
    virtual bool OnClose() { return false; }
    virtual bool OnDestroy() { return false; }
    virtual bool OnSize(UINT type, int cx, int cy) { return false; }
    virtual bool OnPaint() { return false; }
    virtual bool OnEraseBkgnd(HDC dc) { return false; }
    virtual bool OnTimer(UINT_PTR id) { return false; }
    // Mouse positions are in client coordinates, except the wheel's (screen).
    virtual bool OnMouseMove(UINT flags, POINT point) { return false; }
    virtual bool OnLButtonDown(UINT flags, POINT point) { return false; }
    virtual bool OnLButtonUp(UINT flags, POINT point) { return false; }
    virtual bool OnLButtonDblClk(UINT flags, POINT point) { return false; }
    virtual bool OnMouseLeave() { return false; }
    virtual bool OnMouseWheel(UINT flags, short delta, POINT screenPoint) { return false; }
    // WM_COMMAND: the control, menu or accelerator id and the notification
    // code. Base: OnButtonClicked(id) for BN_CLICKED, otherwise not handled.
    virtual bool OnCommand(UINT id, UINT code);
    virtual bool OnButtonClicked(UINT id) { return false; }
    // A message the parent reflects to this child (WM_DRAWITEM, WM_MEASUREITEM,
    // WM_CTLCOLOR*, WM_COMMAND, WM_NOTIFY). Return TRUE when handled.
    virtual BOOL OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // The default processing: the previous procedure of a subclassed window,
    // DefWindowProcW for own windows, the dialog manager for dialogs.
    virtual LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);

    // Helpers.
    BOOL ShowWindow(int cmd) { return ::ShowWindow(m_hWnd, cmd); }
    void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
    void InvalidateRect(const RECT* rect, BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, rect, erase); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    void GetClientRect(LPRECT rect) const { ::GetClientRect(m_hWnd, rect); }
    void GetWindowRect(LPRECT rect) const { ::GetWindowRect(m_hWnd, rect); }
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE) {
        ::MoveWindow(m_hWnd, x, y, width, height, repaint);
    }
    void MoveWindow(const RECT* rect, BOOL repaint = TRUE) {
        ::MoveWindow(m_hWnd, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, repaint);
    }
    BOOL SetWindowTextW(const std::wstring& text) { return ::SetWindowTextW(m_hWnd, text.c_str()); }
    BOOL SetWindowTextW(LPCWSTR text) { return ::SetWindowTextW(m_hWnd, text ? text : L""); }
    std::wstring GetWindowTextW() const;
    int GetWindowTextLengthW() const { return ::GetWindowTextLengthW(m_hWnd); }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    BOOL SetDlgItemTextW(int id, const std::wstring& text) { return ::SetDlgItemTextW(m_hWnd, id, text.c_str()); }
    BOOL SetDlgItemTextW(int id, LPCWSTR text) { return ::SetDlgItemTextW(m_hWnd, id, text ? text : L""); }
    std::wstring GetDlgItemTextW(int id) const;
    BOOL SetDlgItemInt(int id, UINT value, BOOL isSigned = TRUE) {
        return ::SetDlgItemInt(m_hWnd, id, value, isSigned);
    }
    UINT GetDlgItemInt(int id, BOOL* translated = nullptr, BOOL isSigned = TRUE) const {
        return ::GetDlgItemInt(m_hWnd, id, translated, isSigned);
    }
    BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL IsWindow() const { return m_hWnd && ::IsWindow(m_hWnd); }
    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageW(m_hWnd, msg, wParam, lParam);
    }
    BOOL PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::PostMessageW(m_hWnd, msg, wParam, lParam);
    }
    void SetFont(HFONT font, BOOL redraw = TRUE) { SendMessage(WM_SETFONT, (WPARAM)font, redraw); }
    void SetFont(CFont* font, BOOL redraw = TRUE);
    HFONT GetFont() const { return (HFONT)SendMessage(WM_GETFONT); }
    HICON SetIcon(HICON icon, BOOL big) {
        return (HICON)SendMessage(WM_SETICON, big ? ICON_BIG : ICON_SMALL, (LPARAM)icon);
    }
    HWND GetParent() const { return ::GetParent(m_hWnd); }
    CWnd* GetParentWnd() const { return FromHandlePermanent(GetParent()); }
    HWND SetFocus() { return ::SetFocus(m_hWnd); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    LONG_PTR GetStyle() const { return ::GetWindowLongPtrW(m_hWnd, GWL_STYLE); }
    LONG_PTR GetExStyle() const { return ::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE); }
    // Removes then adds style bits; with flags, also SetWindowPos(flags) so
    // frame changes take effect. Returns FALSE when nothing changed.
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT flags = 0);
    BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT flags = 0);

    // Windows keep no shared tooltip in this framework; a window that wants
    // tips owns a CToolTipCtrl. This records the wish so code can ask for it.
    BOOL EnableToolTips(BOOL enable = TRUE);
    BOOL IsToolTipsEnabled() const { return m_bToolTips; }

    // Called from a window procedure when a handler threw. The default writes
    // a debug-output line; tests and programs may replace it.
    using ExceptionSink = void (*)(CWnd* wnd, UINT msg, const char* what);
    static ExceptionSink SetExceptionSink(ExceptionSink sink);

protected:
    virtual void PreSubclassWindow() {}
    // Last message the window receives; the object is already detached.
    virtual void PostNcDestroy() {}

    // Attach/detach the object to the window (no procedure change).
    void Attach(HWND hwnd);
    void Detach();

    // The one path of a message from a window procedure to its object: WindowProc
    // behind the exception wall (a handler that threw leaves the message to
    // DefWindowProc); at WM_NCDESTROY the object lets go of the window
    // (ReleaseWindow) and PostNcDestroy runs, once per window.
    static LRESULT RouteMessage(CWnd* wnd, UINT msg, WPARAM wParam, LPARAM lParam);
    // Decodes msg into the typed handlers above. True when one handled it.
    virtual bool DispatchTyped(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // At WM_NCDESTROY: puts a subclassed window's procedure back and detaches.
    virtual void ReleaseWindow();

    // Reflects a notification to the child object it concerns.
    BOOL ReflectToChild(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);

    WNDPROC m_pfnSuper = nullptr;  // previous procedure of a subclassed window
    bool m_bOwnWindow = false;     // created by CreateEx: destroyed with the object

private:
    static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    BOOL m_bToolTips = FALSE;
};
