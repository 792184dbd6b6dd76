#include "ToolApp.h"

#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <objidl.h>
#include <gdiplus.h>

#include <memory>
#include <string>

#include "StartupErrors.h"
#include "config/ConfigFile.h"
#include "config/ConfigHolder.h"
#include "Tavo_Common.h"
#include "framework/LongPath.h"
#include "framework/ResourceStrings.h"
#include "radar/window/Tavo_Ladu330_Pk27ToolDlg.h"
#include "resource.h"

CTavo_Ladu330_Pk27ToolApp theApp;

namespace {

const wchar_t kMainWindowClass[] = L"Tavo_Ladu330_Pk27Tool";
constexpr DWORD kMuiLanguageId = 0x4;  // MUI_LANGUAGE_ID
constexpr DWORD kRestartOnly = 0x1;    // restart manager may restart the tool, nothing more

// Step 2 and 3 of start-up: the document from the file, repaired when it
// holds no AppConfig element.
void LoadConfigDocument() {
    std::wstring path = GetConfigFilePath();
    const std::wstring opened = ExtendedLengthPath(path);  // past MAX_PATH too
    unsigned char* block = nullptr;
    int64_t size = ReadFileDataW(opened.c_str(), &block);
    if (block) {
        size_t length = size > 0 ? static_cast<size_t>(size) : 0;
        // Later saves rewrite the file from what the parser kept: a broken
        // file (a hand edit gone wrong) is kept whole beside it first.
        if (!gConfigParser.LoadFromBuffer(block, length))
            WriteFileReplacing(path + L".bak", std::string(reinterpret_cast<const char*>(block), length));
        ReleaseFileData(block);
    } else if (GetFileAttributesW(opened.c_str()) != INVALID_FILE_ATTRIBUTES) {
        // There but not readable as a whole (above the read limit, or a read
        // error): moved aside rather than overwritten by the repair below.
        MoveFileExW(opened.c_str(), ExtendedLengthPath(path + L".bak").c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    if (gConfigParser.RepairAppConfig()) WriteConfigFile();
}

// The system is asked for the chosen language; strings are also looked up in
// it explicitly, because some systems ignore the process's preference.
void ApplyUiLanguage() {
    UiLanguage language = ChooseUiLanguage(GetLanguageValue(gConfigParser).c_str());
    wchar_t list[8] = {};
    wsprintfW(list, L"%04x", language.langId);
    list[5] = L'\0';  // second terminator: a one-entry, doubly terminated list

    using SetLanguagesFn = BOOL(WINAPI*)(DWORD, PCZZWSTR, PULONG);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    auto setLanguages = reinterpret_cast<SetLanguagesFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetProcessPreferredUILanguages")));
    if (setLanguages) setLanguages(kMuiLanguageId, list, nullptr);

    SetResourceLanguage(language.resourceLangId, MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED));
}

// The main dialog's template names this class: a copy of the system dialog class.
void RegisterMainWindowClass(HINSTANCE instance) {
    WNDCLASSW wc = {};
    if (GetClassInfoW(instance, kMainWindowClass, &wc)) return;
    if (!GetClassInfoW(instance, L"#32770", &wc)) return;
    wc.hInstance = instance;
    wc.lpszClassName = kMainWindowClass;
    RegisterClassW(&wc);
}

// GDI+ for the lifetime of the main window; a failed start leaves the token 0
// and the tool runs without pictures.
class GdiplusSession {
public:
    GdiplusSession() {
        Gdiplus::GdiplusStartupInput input;  // version 1, no debug callback
        if (Gdiplus::GdiplusStartup(&m_token, &input, &m_output) != Gdiplus::Ok) m_token = 0;
    }
    ~GdiplusSession() {
        if (m_token != 0) Gdiplus::GdiplusShutdown(m_token);
    }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;

private:
    ULONG_PTR m_token = 0;
    Gdiplus::GdiplusStartupOutput m_output = {};
};

// "--replay FILE [--speed F]" on the command line: the main window plays the
// recording FILE instead of talking to a module. Anything else is ignored, as
// it always was.
void ApplyReplayArguments(CTavo_Ladu330_Pk27ToolDlg& dialog) {
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!args) return;
    bool replay = false;
    std::wstring file, speed;
    for (int i = 1; i < count; ++i) {
        const std::wstring arg = args[i];
        if (arg == L"--replay") {
            replay = true;
            file = i + 1 < count ? args[++i] : L"";
        } else if (arg == L"--speed" && i + 1 < count) {
            speed = args[++i];
        }
    }
    LocalFree(args);
    if (replay) dialog.SetReplay(file, speed);
}

}  // namespace

CTavo_Ladu330_Pk27ToolApp::CTavo_Ladu330_Pk27ToolApp() : CWinApp(nullptr) {
    m_dwRestartManagerSupportFlags = kRestartOnly;
}

BOOL CTavo_Ladu330_Pk27ToolApp::InitInstance() {
    // Every file of the tool lives there: without it, nothing starts.
    if (!ProgramFolderFound(nullptr)) return FALSE;
    LoadConfigDocument();

    INITCOMMONCONTROLSEX controls = {sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    CWinApp::InitInstance();

    ApplyUiLanguage();

    WinsockSession sockets;
    if (!sockets.Start(m_pMainWnd ? m_pMainWnd->GetSafeHwnd() : nullptr)) return FALSE;

    RegisterMainWindowClass(m_hInstance);
    // Rich-edit 2.0 support for templates that use it.
    HMODULE richEdit = LoadLibraryW(L"RICHED20.DLL");

    {
        GdiplusSession gdiplus;
        auto dialog = std::make_unique<CTavo_Ladu330_Pk27ToolDlg>();
        ApplyReplayArguments(*dialog);
        m_pMainWnd = dialog.get();
        dialog->DoModal();
        m_pMainWnd = nullptr;
    }

    if (richEdit) FreeLibrary(richEdit);
    return FALSE;
}
