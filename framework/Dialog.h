// Dialogs from templates. The static dialog procedure stores the object at
// WM_INITDIALOG and forwards every message to WindowProc; what the object does
// not handle goes back to the dialog manager (DefWindowProc returns "not
// handled" to it), handled results reach the sender through DWLP_MSGRESULT.
// Templates are loaded in the language chosen with SetResourceLanguage.
#pragma once
#include "Wnd.h"

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    // Modal: returns EndDialog's value, or -1 when the dialog could not be made.
    virtual INT_PTR DoModal();
    // Modeless: the window exists (visible only if the template says so).
    BOOL Create(UINT templateId, CWnd* parent = nullptr);
    void EndDialog(INT_PTR result);

    // Base: DoDataExchange(), then TRUE (focus to the first control).
    virtual BOOL OnInitDialog();
    // Where derived classes bind controls (SubclassDlgItem).
    virtual void DoDataExchange() {}
    // IDOK / IDCANCEL (Enter, Escape, the close box). Base: EndDialog for a
    // modal dialog, DestroyWindow for a modeless one.
    virtual void OnOK();
    virtual void OnCancel();

    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    bool IsModal() const { return m_bModal; }
    UINT GetTemplateId() const { return m_nTemplateId; }

    // Gives modeless dialogs their keyboard handling (Tab, Enter, Escape)
    // from any message loop. Returns true when the message was consumed.
    static bool PreTranslateForModeless(MSG* msg);

protected:
    // Adds WM_INITDIALOG (OnInitDialog) and, after OnCommand, IDOK and IDCANCEL.
    bool DispatchTyped(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void ReleaseWindow() override;

    UINT m_nTemplateId;
    CWnd* m_pParentWnd;

private:
    static INT_PTR CALLBACK StaticDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND ParentHandle() const;
    const DLGTEMPLATE* LoadTemplate() const;
    void RegisterModeless(bool add);

    bool m_bModal = false;
    bool* m_pDefaultRequested = nullptr;  // set by DefWindowProc during one dispatch
};

// The tool's dialogs derive from this; it adds nothing to CDialog.
class CDialogEx : public CDialog {
public:
    using CDialog::CDialog;
};
