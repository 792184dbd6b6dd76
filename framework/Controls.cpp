#include "Controls.h"

BOOL CStatic::OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (msg != WM_DRAWITEM) return CWnd::OnChildNotify(msg, wParam, lParam, result);
    DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
    if (result) *result = TRUE;
    return TRUE;
}

TTTOOLINFOW CToolTipCtrl::MakeToolInfo(CWnd* wnd, UINT_PTR id) {
    TTTOOLINFOW info{};
    // The version-5 size: accepted by every common-controls version, with or
    // without a version-6 manifest.
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.hwnd = wnd ? wnd->m_hWnd : nullptr;
    info.uId = id;
    return info;
}

BOOL CToolTipCtrl::Create(CWnd* parent, DWORD style) {
    if (m_hWnd) return FALSE;
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    RECT rect{CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT};
    rect.right = rect.left;
    rect.bottom = rect.top;
    if (!CreateEx(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | style, rect, parent, 0))
        return FALSE;
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return TRUE;
}

BOOL CToolTipCtrl::AddTool(CWnd* wnd, LPCWSTR text, const RECT* rect, UINT_PTR id) {
    if (!m_hWnd || !wnd || !wnd->m_hWnd) return FALSE;
    TTTOOLINFOW info = MakeToolInfo(wnd, id);
    info.uFlags = TTF_SUBCLASS;
    if (rect)
        info.rect = *rect;
    else
        ::GetClientRect(wnd->m_hWnd, &info.rect);
    info.hinst = nullptr;
    info.lpszText = const_cast<LPWSTR>(text ? text : LPSTR_TEXTCALLBACKW);
    return SendMessage(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)) ? TRUE : FALSE;
}

BOOL CToolTipCtrl::AddWindowTool(CWnd* wnd, LPCWSTR text) {
    if (!m_hWnd || !wnd || !wnd->m_hWnd) return FALSE;
    TTTOOLINFOW info = MakeToolInfo(wnd, WindowToolId(wnd));
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hinst = nullptr;
    info.lpszText = const_cast<LPWSTR>(text ? text : LPSTR_TEXTCALLBACKW);
    return SendMessage(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)) ? TRUE : FALSE;
}

void CToolTipCtrl::DelTool(CWnd* wnd, UINT_PTR id) {
    TTTOOLINFOW info = MakeToolInfo(wnd, id);
    SendMessage(TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

void CToolTipCtrl::UpdateTipText(LPCWSTR text, CWnd* wnd, UINT_PTR id) {
    TTTOOLINFOW info = MakeToolInfo(wnd, id);
    info.lpszText = const_cast<LPWSTR>(text ? text : L"");
    SendMessage(TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
}

std::wstring CToolTipCtrl::GetText(CWnd* wnd, UINT_PTR id) const {
    // TTM_GETTEXTW has no length argument in older versions; 1024 is the
    // documented upper bound of a tip's text.
    wchar_t buffer[1024] = {};
    TTTOOLINFOW info = MakeToolInfo(wnd, id);
    info.lpszText = buffer;
    SendMessage(TTM_GETTEXTW, sizeof(buffer) / sizeof(buffer[0]), reinterpret_cast<LPARAM>(&info));
    return buffer;
}
