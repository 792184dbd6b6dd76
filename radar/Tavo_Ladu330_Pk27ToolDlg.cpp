#include "Tavo_Ladu330_Pk27ToolDlg.h"

#include <string>

#include "app/ConfigParser.h"
#include "framework/ResourceStrings.h"
#include "resource.h"

namespace {

constexpr UINT kErrorBoxType = MB_ICONERROR | MB_TOPMOST;  // 0x40010

std::wstring FromAnsi(const char* text) {
    if (!text || !*text) return std::wstring();
    int n = MultiByteToWideChar(CP_THREAD_ACP, 0, text, -1, nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_THREAD_ACP, 0, text, -1, &wide[0], n);
    wide.resize(static_cast<size_t>(n - 1));
    return wide;
}

}  // namespace

CTavo_Ladu330_Pk27ToolDlg::CTavo_Ladu330_Pk27ToolDlg(CWnd* parent) : CDialogEx(IDD_MAIN, parent) {
    m_hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
    m_strVersion.Set("Unknown", -1);
}

CTavo_Ladu330_Pk27ToolDlg::~CTavo_Ladu330_Pk27ToolDlg() = default;

void CTavo_Ladu330_Pk27ToolDlg::LoadDefaultParameters() { ::LoadDefaultParameters(m_param); }

void CTavo_Ladu330_Pk27ToolDlg::StopAcquisition() {}

void CTavo_Ladu330_Pk27ToolDlg::LoadConfig() { LoadConfigValues(gConfigParser, m_nBaudRate, m_param); }

void CTavo_Ladu330_Pk27ToolDlg::SaveConfig() {
    StoreConfigValues(gConfigParser, m_nBaudRate, m_param);
    WriteConfigFile();
}

BOOL CTavo_Ladu330_Pk27ToolDlg::OnInitDialog() {
    CDialogEx::OnInitDialog();
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    // Caption: the template's text followed by the executable's file version.
    wchar_t exePath[TAVO_MAX_PATH] = {};
    wchar_t version[TAVO_MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exePath, TAVO_MAX_PATH);
    if (!GetFileVersionW(exePath, version, TAVO_MAX_PATH)) version[0] = L'\0';
    SetWindowTextW(GetWindowTextW() + L"(v" + version + L")");

    LoadDefaultParameters();
    LoadConfig();

    SetDlgItemInt(IDC_EDIT_BAUDRATE, static_cast<UINT>(m_nBaudRate), TRUE);
    ::EnableWindow(GetDlgItem(IDC_BTN_START), FALSE);
    ::EnableWindow(GetDlgItem(IDC_BTN_PARAM_CONFIG), FALSE);
    return TRUE;
}

BOOL CTavo_Ladu330_Pk27ToolDlg::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_CLOSE:
        OnClose();
        break;  // default processing follows
    case WM_DESTROY:
        OnDestroy();
        break;
    default:
        break;
    }
    return CDialogEx::OnMessage(msg, wParam, lParam, result);
}

BOOL CTavo_Ladu330_Pk27ToolDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (HIWORD(wParam) == BN_CLICKED) {
        switch (LOWORD(wParam)) {
        case IDC_BTN_CONNECT:
            OnBnClickedConnect();
            return TRUE;
        default:
            break;
        }
    }
    return CDialogEx::OnCommand(wParam, lParam);
}

void CTavo_Ladu330_Pk27ToolDlg::OnClose() { EndDialog(IDCANCEL); }

void CTavo_Ladu330_Pk27ToolDlg::OnDestroy() {
    StopAcquisition();
    ReadBaudRate();
    SaveConfig();
}

void CTavo_Ladu330_Pk27ToolDlg::OnBnClickedConnect() {
    ReadBaudRate();
    HWND ports = GetDlgItem(IDC_COMBO_PORT);
    LRESULT selection = ::SendMessageW(ports, CB_GETCURSEL, 0, 0);
    LRESULT portNumber = selection == CB_ERR ? CB_ERR : ::SendMessageW(ports, CB_GETITEMDATA, selection, 0);
    if (portNumber == CB_ERR) {
        ::EnableWindow(GetDlgItem(IDC_BTN_START), FALSE);
        ::EnableWindow(GetDlgItem(IDC_BTN_PARAM_CONFIG), FALSE);
        ShowError(IDS_NO_DEVICE);
    }
    UpdateVersionLabel();
    SaveConfig();
}

void CTavo_Ladu330_Pk27ToolDlg::ShowError(UINT textId) {
    std::wstring caption = LoadResString(IDS_CAPTION_ERROR);
    MessageBoxW(m_hWnd, LoadResString(textId).c_str(), caption.c_str(), kErrorBoxType);
}

void CTavo_Ladu330_Pk27ToolDlg::ReadBaudRate() {
    BOOL translated = FALSE;
    m_nBaudRate = static_cast<int32_t>(GetDlgItemInt(IDC_EDIT_BAUDRATE, &translated, TRUE));
    if (!translated) m_nBaudRate = 0;
}

void CTavo_Ladu330_Pk27ToolDlg::UpdateVersionLabel() {
    SetDlgItemTextW(IDC_STATIC_VERSION, L"固件版本:" + FromAnsi(m_strVersion.GetString()));
}
