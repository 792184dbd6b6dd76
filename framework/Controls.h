// Control classes: a static control that can draw itself, and a tooltip.
#pragma once
#include "Wnd.h"

#include <commctrl.h>

// A static control. With SS_OWNERDRAW the parent's WM_DRAWITEM comes back to
// the control object as DrawItem.
class CStatic : public CWnd {
public:
    // Paint the item; the DC and rectangle are in the record.
    virtual void DrawItem(LPDRAWITEMSTRUCT drawItem) {}
    BOOL OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};

// A tooltip window owned by another window.
class CToolTipCtrl : public CWnd {
public:
    // Creates the tooltip (WS_POPUP | TTS_ALWAYSTIP | style) owned by parent.
    BOOL Create(CWnd* parent, DWORD style = 0);
    // Registers parent-relative area of wnd (its whole client area when rect
    // is null) as tool id. text may be LPSTR_TEXTCALLBACKW: the tool window
    // is then asked with TTN_GETDISPINFOW each time the tip is shown.
    BOOL AddTool(CWnd* wnd, LPCWSTR text = LPSTR_TEXTCALLBACKW, const RECT* rect = nullptr, UINT_PTR id = 0);
    // Registers the whole of wnd as a tool, at whatever size it has now or
    // later (TTF_IDISHWND). Its id for the calls below is WindowToolId(wnd).
    BOOL AddWindowTool(CWnd* wnd, LPCWSTR text = LPSTR_TEXTCALLBACKW);
    static UINT_PTR WindowToolId(CWnd* wnd) { return reinterpret_cast<UINT_PTR>(wnd ? wnd->m_hWnd : nullptr); }
    void DelTool(CWnd* wnd, UINT_PTR id = 0);
    void UpdateTipText(LPCWSTR text, CWnd* wnd, UINT_PTR id = 0);
    // The text of a tool as the tooltip holds it (empty for callbacks).
    std::wstring GetText(CWnd* wnd, UINT_PTR id = 0) const;
    int GetToolCount() const { return static_cast<int>(SendMessage(TTM_GETTOOLCOUNT)); }
    void Activate(BOOL activate) { SendMessage(TTM_ACTIVATE, activate); }
    void RelayEvent(MSG* msg) { SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg)); }
    void SetMaxTipWidth(int width) { SendMessage(TTM_SETMAXTIPWIDTH, 0, width); }

private:
    static TTTOOLINFOW MakeToolInfo(CWnd* wnd, UINT_PTR id);
};
