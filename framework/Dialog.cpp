#include "Dialog.h"

#include "ResourceStrings.h"
#include "WinApp.h"

#include <algorithm>
#include <vector>

namespace {

// Modeless dialogs of the user-interface thread, and the message hook that
// gives them keyboard handling inside modal loops the framework does not own.
thread_local std::vector<HWND> tModeless;
thread_local HHOOK tModelessHook = nullptr;

LRESULT CALLBACK ModelessGetMessageHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        auto* msg = reinterpret_cast<MSG*>(lParam);
        if (CDialog::PreTranslateForModeless(msg)) {
            msg->message = WM_NULL;  // consumed: the loop dispatches nothing
            msg->wParam = 0;
            msg->lParam = 0;
        }
    }
    return ::CallNextHookEx(tModelessHook, code, wParam, lParam);
}

// Messages whose result a dialog procedure returns directly instead of
// through DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT msg) {
    switch (msg) {
    case WM_INITDIALOG:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON: return true;
    default: return false;
    }
}

}  // namespace

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nTemplateId(templateId), m_pParentWnd(parent) {}

CDialog::~CDialog() {
    if (m_hWnd && !m_bModal) ::DestroyWindow(m_hWnd);
}

HWND CDialog::ParentHandle() const {
    if (m_pParentWnd) return m_pParentWnd->m_hWnd;
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd && app->m_pMainWnd != this) return app->m_pMainWnd->m_hWnd;
    return nullptr;
}

const DLGTEMPLATE* CDialog::LoadTemplate() const {
    HRSRC found = FindResourceInChosenLanguage(RT_DIALOG, MAKEINTRESOURCEW(m_nTemplateId));
    if (!found) return nullptr;
    HGLOBAL loaded = ::LoadResource(GetResourceModule(), found);
    return static_cast<const DLGTEMPLATE*>(::LockResource(loaded));
}

INT_PTR CDialog::DoModal() {
    if (m_hWnd) return -1;
    const DLGTEMPLATE* dialogTemplate = LoadTemplate();
    if (!dialogTemplate) return -1;
    m_bModal = true;
    INT_PTR result = ::DialogBoxIndirectParamW(GetResourceModule(), dialogTemplate, ParentHandle(),
                                               &CDialog::StaticDialogProc, reinterpret_cast<LPARAM>(this));
    m_bModal = false;
    return result;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
    if (m_hWnd) return FALSE;
    m_nTemplateId = templateId;
    if (parent) m_pParentWnd = parent;
    const DLGTEMPLATE* dialogTemplate = LoadTemplate();
    if (!dialogTemplate) return FALSE;
    m_bModal = false;
    HWND hwnd = ::CreateDialogIndirectParamW(GetResourceModule(), dialogTemplate, ParentHandle(),
                                             &CDialog::StaticDialogProc, reinterpret_cast<LPARAM>(this));
    if (!hwnd) return FALSE;
    RegisterModeless(true);
    return TRUE;
}

void CDialog::EndDialog(INT_PTR result) {
    if (m_hWnd) ::EndDialog(m_hWnd, result);
}

BOOL CDialog::OnInitDialog() {
    DoDataExchange();
    return TRUE;
}

void CDialog::OnOK() {
    if (m_bModal)
        EndDialog(IDOK);
    else
        DestroyWindow();
}

void CDialog::OnCancel() {
    if (m_bModal)
        EndDialog(IDCANCEL);
    else
        DestroyWindow();
}

bool CDialog::DispatchTyped(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg == WM_INITDIALOG) {
        result = OnInitDialog();
        return true;
    }
    if (CWnd::DispatchTyped(msg, wParam, lParam, result)) return true;
    if (msg != WM_COMMAND) return false;
    // IDOK/IDCANCEL come from the dialog manager (Enter, Escape, the close
    // box: lParam 0) or from buttons with those ids.
    const UINT id = LOWORD(wParam);
    if ((id == IDOK || id == IDCANCEL) && (lParam == 0 || HIWORD(wParam) == BN_CLICKED)) {
        if (id == IDOK)
            OnOK();
        else
            OnCancel();
        result = 0;
        return true;
    }
    return false;
}

void CDialog::ReleaseWindow() {
    RegisterModeless(false);
    CWnd::ReleaseWindow();
}

LRESULT CDialog::DefWindowProc(UINT, WPARAM, LPARAM) {
    // The dialog manager does the default processing once we return FALSE.
    if (m_pDefaultRequested) *m_pDefaultRequested = true;
    return 0;
}

INT_PTR CALLBACK CDialog::StaticDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CDialog* dialog = nullptr;
    if (msg == WM_INITDIALOG) {
        dialog = reinterpret_cast<CDialog*>(lParam);
        if (!dialog || dialog->m_hWnd) return FALSE;
        dialog->Attach(hwnd);
    } else {
        dialog = static_cast<CDialog*>(FromHandlePermanent(hwnd));
    }
    if (!dialog) return FALSE;

    bool defaultRequested = false;
    bool* outer = dialog->m_pDefaultRequested;
    dialog->m_pDefaultRequested = &defaultRequested;
    const LRESULT result = RouteMessage(dialog, msg, wParam, lParam);
    dialog->m_pDefaultRequested = outer;

    if (msg == WM_NCDESTROY) return FALSE;
    if (defaultRequested) return msg == WM_INITDIALOG ? TRUE : FALSE;
    if (ReturnsResultDirectly(msg)) return static_cast<INT_PTR>(result);
    ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}

void CDialog::RegisterModeless(bool add) {
    HWND hwnd = m_hWnd;
    auto it = std::find(tModeless.begin(), tModeless.end(), hwnd);
    if (add) {
        if (it == tModeless.end()) tModeless.push_back(hwnd);
        if (!tModelessHook)
            tModelessHook = ::SetWindowsHookExW(WH_GETMESSAGE, ModelessGetMessageHook, nullptr, ::GetCurrentThreadId());
    } else {
        if (it != tModeless.end()) tModeless.erase(it);
        if (tModeless.empty() && tModelessHook) {
            ::UnhookWindowsHookEx(tModelessHook);
            tModelessHook = nullptr;
        }
    }
}

bool CDialog::PreTranslateForModeless(MSG* msg) {
    if (!msg || !msg->hwnd) return false;
    if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST) return false;
    for (HWND dialog : tModeless) {
        if ((dialog == msg->hwnd || ::IsChild(dialog, msg->hwnd)) && ::IsDialogMessageW(dialog, msg)) return true;
    }
    return false;
}
