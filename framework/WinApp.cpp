#include "WinApp.h"

#include "Dialog.h"

namespace {
CWinApp* gApp = nullptr;
}

// Defined in AppMain.cpp. Referencing it here pulls the entry point out of the
// static library into every program that has an application object.
extern int gFrameworkEntryPointAnchor;

CWinApp::CWinApp(LPCWSTR appName) : m_pszAppName(appName) {
    gApp = this;
    ++gFrameworkEntryPointAnchor;
}

CWinApp::~CWinApp() {
    if (gApp == this) gApp = nullptr;
}

BOOL CWinApp::InitInstance() {
    // Bit 0: the system's restart manager may restart the program (after an
    // update or a hang); nothing of the program's state is recovered.
    if (m_dwRestartManagerSupportFlags & 0x1) ::RegisterApplicationRestart(nullptr, 0);
    return TRUE;
}

int CWinApp::ExitInstance() { return m_nExitCode; }

int CWinApp::Run() {
    MSG msg;
    for (;;) {
        BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            m_nExitCode = static_cast<int>(msg.wParam);
            break;
        }
        if (got == -1) break;
        if (CDialog::PreTranslateForModeless(&msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return ExitInstance();
}

CWinApp* AfxGetApp() { return gApp; }

HINSTANCE AfxGetInstanceHandle() {
    if (gApp && gApp->m_hInstance) return gApp->m_hInstance;
    return ::GetModuleHandleW(nullptr);
}

int AfxWinMain(HINSTANCE instance, int showCommand) {
    CWinApp* app = AfxGetApp();
    if (!app) return -1;
    try {
        app->m_hInstance = instance;
        if (!app->InitInstance()) return app->ExitInstance();
        return app->Run();
    } catch (...) {
        ::OutputDebugStringW(L"framework: exception escaped the application object\n");
        return -1;
    }
}
