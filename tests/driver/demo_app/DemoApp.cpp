// A small program on the framework for the driver's end-to-end test: a main
// dialog of its own window class with a button that opens a message box, a
// combo box whose choice shows in a label, an edit, a disabled button and a
// check box. Its exit code is 40 plus the chosen item, so a test can see
// that a selection reached the program.
#include "DemoResources.h"
#include "framework/Framework.h"

namespace {

class CDemoDlg : public CDialogEx {
public:
    CDemoDlg() : CDialogEx(IDD_DEMO) {}
    int m_nChoice = -1;

protected:
    BOOL OnInitDialog() override {
        CDialogEx::OnInitDialog();
        HWND combo = GetDlgItem(IDC_CHOICE_COMBO);
        for (const wchar_t* item : {L"Alpha", L"Beta", L"Gamma"})
            ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        ::SendMessageW(GetDlgItem(IDC_OPTION_CHECK), BM_SETCHECK, BST_CHECKED, 0);
        return TRUE;
    }
    bool OnCommand(UINT id, UINT code) override {
        switch (id) {
        case IDC_GREET_BUTTON:
            if (code == BN_CLICKED) OnGreet();
            return true;
        case IDC_CHOICE_COMBO:
            if (code == CBN_SELCHANGE) OnChoiceChanged();
            return true;
        default: return false;
        }
    }
    // Enter does nothing; only the close box ends the program.
    void OnOK() override {}

private:
    void OnGreet() {
        ::MessageBoxW(m_hWnd, LoadResString(IDS_GREETING_TEXT).c_str(), LoadResString(IDS_GREETING_CAPTION).c_str(),
                      MB_OK | MB_ICONINFORMATION);
    }
    void OnChoiceChanged() {
        HWND combo = GetDlgItem(IDC_CHOICE_COMBO);
        m_nChoice = static_cast<int>(::SendMessageW(combo, CB_GETCURSEL, 0, 0));
        wchar_t text[64] = {};
        if (m_nChoice >= 0) ::SendMessageW(combo, CB_GETLBTEXT, m_nChoice, reinterpret_cast<LPARAM>(text));
        SetDlgItemTextW(IDC_CHOICE_LABEL, text);
    }
};

class CDemoApp : public CWinApp {
public:
    BOOL InitInstance() override {
        SetResourceLanguage(MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED), 0);
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
        ::InitCommonControlsEx(&icc);
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        if (::GetClassInfoExW(nullptr, L"#32770", &wc)) {
            wc.hInstance = m_hInstance;
            wc.lpszClassName = L"" DEMO_WINDOW_CLASS;
            ::RegisterClassExW(&wc);
        }
        CDemoDlg dialog;
        m_pMainWnd = &dialog;
        dialog.DoModal();
        m_pMainWnd = nullptr;
        m_nExitCode = 40 + dialog.m_nChoice;
        return FALSE;
    }
};

CDemoApp theApp;

}  // namespace
