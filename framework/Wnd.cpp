#include "Wnd.h"

#include "Gdi.h"

#include <exception>
#include <string>

namespace {

// The window property that points at the attached object.
const wchar_t kObjectProperty[] = L"FrameworkCWnd";
const wchar_t kFrameworkClass[] = L"FrameworkWindow";

// Object waiting for its window inside CreateEx (user-interface thread only).
thread_local CWnd* tCreating = nullptr;

void DefaultExceptionSink(CWnd*, UINT msg, const char* what) {
    std::string line =
        "framework: exception in handler of message 0x" + std::to_string(msg) + ": " + (what ? what : "unknown") + "\n";
    ::OutputDebugStringA(line.c_str());
}

CWnd::ExceptionSink gExceptionSink = DefaultExceptionSink;

void ReportTo(CWnd* wnd, UINT msg, const char* what) {
    try {
        if (gExceptionSink) gExceptionSink(wnd, msg, what);
    } catch (...) {}
}

// Runs body with every exception caught and reported; false when it threw.
template <class Body>
bool RunGuarded(CWnd* wnd, UINT msg, Body body) {
    try {
        body();
        return true;
    } catch (const std::exception& e) {
        ReportTo(wnd, msg, e.what());
    } catch (...) {
        ReportTo(wnd, msg, nullptr);
    }
    return false;
}

POINT PointFromLParam(LPARAM lParam) {
    return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

bool IsReflected(UINT msg) {
    switch (msg) {
    case WM_COMMAND:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR: return true;
    default: return false;
    }
}

}  // namespace

CWnd::CWnd() = default;

CWnd::~CWnd() {
    if (!m_hWnd) return;
    if (m_bOwnWindow) {
        ::DestroyWindow(m_hWnd);  // WM_NCDESTROY detaches
    }
    if (m_hWnd) {
        UnsubclassWindow();
        Detach();
    }
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
    if (!hwnd) return nullptr;
    return static_cast<CWnd*>(::GetPropW(hwnd, kObjectProperty));
}

void CWnd::Attach(HWND hwnd) {
    m_hWnd = hwnd;
    ::SetPropW(hwnd, kObjectProperty, this);
}

void CWnd::Detach() {
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this) ::RemovePropW(m_hWnd, kObjectProperty);
    m_hWnd = nullptr;
}

BOOL CWnd::SubclassWindow(HWND hwnd) {
    if (m_hWnd || !hwnd || !::IsWindow(hwnd) || FromHandlePermanent(hwnd)) return FALSE;
    Attach(hwnd);
    PreSubclassWindow();
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::StaticWndProc)));
    if (!m_pfnSuper) {
        Detach();
        return FALSE;
    }
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
    if (!parent || !parent->m_hWnd) return FALSE;
    return SubclassWindow(::GetDlgItem(parent->m_hWnd, static_cast<int>(id)));
}

HWND CWnd::UnsubclassWindow() {
    HWND hwnd = m_hWnd;
    if (!hwnd) return nullptr;
    // Only put the old procedure back if nobody subclassed on top of us;
    // otherwise we would cut their procedure out of the chain.
    if (m_pfnSuper && ::GetWindowLongPtrW(hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&CWnd::StaticWndProc)) {
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    }
    m_pfnSuper = nullptr;
    Detach();
    return hwnd;
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, CWnd* parent,
                    UINT id, LPVOID param) {
    if (m_hWnd) return FALSE;
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    if (!className) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        if (!::GetClassInfoExW(instance, kFrameworkClass, &wc)) {
            wc.style = CS_DBLCLKS;
            wc.lpfnWndProc = &CWnd::StaticWndProc;
            wc.hInstance = instance;
            wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
            wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
            wc.lpszClassName = kFrameworkClass;
            if (!::RegisterClassExW(&wc)) return FALSE;
        }
        className = kFrameworkClass;
    }
    CWnd* outer = tCreating;
    tCreating = this;
    HMENU menuOrId = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)) : nullptr;
    HWND hwnd = ::CreateWindowExW(exStyle, className, windowName, style, rect.left, rect.top, rect.right - rect.left,
                                  rect.bottom - rect.top, parent ? parent->m_hWnd : nullptr, menuOrId, instance, param);
    tCreating = outer;
    if (!hwnd) {
        if (m_hWnd) Detach();
        return FALSE;
    }
    if (!m_hWnd && !SubclassWindow(hwnd)) {
        ::DestroyWindow(hwnd);
        return FALSE;
    }
    m_bOwnWindow = true;
    return TRUE;
}

BOOL CWnd::DestroyWindow() {
    if (!m_hWnd) return FALSE;
    return ::DestroyWindow(m_hWnd);
}

LRESULT CALLBACK CWnd::StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CWnd* wnd = FromHandlePermanent(hwnd);
    if (!wnd && tCreating && !tCreating->m_hWnd) {
        // First message of a window of the framework's own class.
        wnd = tCreating;
        wnd->Attach(hwnd);
        wnd->PreSubclassWindow();
    }
    if (!wnd) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    return RouteMessage(wnd, msg, wParam, lParam);
}

LRESULT CWnd::RouteMessage(CWnd* wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const HWND hwnd = wnd->m_hWnd;
    LRESULT result = 0;
    if (!RunGuarded(wnd, msg, [&] { result = wnd->WindowProc(msg, wParam, lParam); })) {
        // Leave the message to the default processing so that, for example,
        // WM_PAINT still validates the window instead of repeating forever.
        RunGuarded(wnd, msg, [&] { result = wnd->DefWindowProc(msg, wParam, lParam); });
    }
    if (msg == WM_NCDESTROY && wnd->m_hWnd == hwnd && hwnd) {
        wnd->ReleaseWindow();
        RunGuarded(wnd, msg, [&] { wnd->PostNcDestroy(); });
    }
    return result;
}

void CWnd::ReleaseWindow() {
    UnsubclassWindow();
    m_bOwnWindow = false;
}

CWnd::ExceptionSink CWnd::SetExceptionSink(ExceptionSink sink) {
    ExceptionSink old = gExceptionSink;
    gExceptionSink = sink ? sink : DefaultExceptionSink;
    return old;
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (OnMessage(msg, wParam, lParam, result)) return result;
    if (DispatchTyped(msg, wParam, lParam, result)) return result;
    if (IsReflected(msg) && ReflectToChild(msg, wParam, lParam, &result)) return result;
    return DefWindowProc(msg, wParam, lParam);
}

bool CWnd::DispatchTyped(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    const UINT flags = static_cast<UINT>(wParam);
    switch (msg) {
    case WM_CLOSE: return OnClose();
    case WM_DESTROY: return OnDestroy();
    case WM_SIZE: return OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
    case WM_PAINT: return OnPaint();
    case WM_ERASEBKGND:
        if (!OnEraseBkgnd(reinterpret_cast<HDC>(wParam))) return false;
        result = TRUE;
        return true;
    case WM_TIMER: return OnTimer(static_cast<UINT_PTR>(wParam));
    case WM_MOUSEMOVE: return OnMouseMove(flags, PointFromLParam(lParam));
    case WM_LBUTTONDOWN: return OnLButtonDown(flags, PointFromLParam(lParam));
    case WM_LBUTTONUP: return OnLButtonUp(flags, PointFromLParam(lParam));
    case WM_LBUTTONDBLCLK: return OnLButtonDblClk(flags, PointFromLParam(lParam));
    case WM_MOUSELEAVE: return OnMouseLeave();
    case WM_MOUSEWHEEL:
        return OnMouseWheel(GET_KEYSTATE_WPARAM(wParam), GET_WHEEL_DELTA_WPARAM(wParam), PointFromLParam(lParam));
    case WM_COMMAND: return OnCommand(LOWORD(wParam), HIWORD(wParam));
    default: return false;
    }
}

BOOL CWnd::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) { return FALSE; }

bool CWnd::OnCommand(UINT id, UINT code) { return code == BN_CLICKED && OnButtonClicked(id); }

BOOL CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT*) { return FALSE; }

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper) return ::CallWindowProcW(m_pfnSuper, m_hWnd, msg, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, msg, wParam, lParam);
}

BOOL CWnd::ReflectToChild(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    HWND child = nullptr;
    switch (msg) {
    case WM_DRAWITEM: {
        auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (dis && dis->CtlType != ODT_MENU) child = dis->hwndItem;
        break;
    }
    case WM_MEASUREITEM: {
        auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (mis && mis->CtlType != ODT_MENU) child = ::GetDlgItem(m_hWnd, static_cast<int>(mis->CtlID));
        break;
    }
    case WM_NOTIFY: {
        auto* hdr = reinterpret_cast<NMHDR*>(lParam);
        if (hdr) child = hdr->hwndFrom;
        break;
    }
    case WM_COMMAND:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR: child = reinterpret_cast<HWND>(lParam); break;
    default: break;
    }
    if (!child || child == m_hWnd) return FALSE;
    CWnd* object = FromHandlePermanent(child);
    if (!object) return FALSE;
    LRESULT childResult = 0;
    if (!object->OnChildNotify(msg, wParam, lParam, &childResult)) return FALSE;
    if (result) *result = childResult;
    return TRUE;
}

std::wstring CWnd::GetWindowTextW() const {
    int length = ::GetWindowTextLengthW(m_hWnd);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int copied = ::GetWindowTextW(m_hWnd, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

std::wstring CWnd::GetDlgItemTextW(int id) const {
    HWND item = ::GetDlgItem(m_hWnd, id);
    if (!item) return {};
    int length = ::GetWindowTextLengthW(item);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    UINT copied = ::GetDlgItemTextW(m_hWnd, id, text.data(), length + 1);
    text.resize(copied);
    return text;
}

void CWnd::SetFont(CFont* font, BOOL redraw) { SetFont(font ? font->GetSafeHandle() : nullptr, redraw); }

namespace {
// Changes one style word (GWL_STYLE or GWL_EXSTYLE); flags other than 0 make
// the frame take the change at once (SetWindowPos).
BOOL ModifyStyleWord(HWND hwnd, int index, DWORD remove, DWORD add, UINT flags) {
    LONG_PTR style = ::GetWindowLongPtrW(hwnd, index);
    LONG_PTR changed = (style & ~static_cast<LONG_PTR>(remove)) | add;
    if (changed == style) return FALSE;
    ::SetWindowLongPtrW(hwnd, index, changed);
    if (flags)
        ::SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | flags);
    return TRUE;
}
}  // namespace

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT flags) {
    return ModifyStyleWord(m_hWnd, GWL_STYLE, remove, add, flags);
}

BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT flags) {
    return ModifyStyleWord(m_hWnd, GWL_EXSTYLE, remove, add, flags);
}

BOOL CWnd::EnableToolTips(BOOL enable) {
    m_bToolTips = enable;
    return TRUE;
}
