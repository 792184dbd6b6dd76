// The single application object. A program derives from CWinApp and defines
// exactly one global instance; the framework's entry point (AppMain.cpp)
// finds it, sets m_hInstance and runs InitInstance.
#pragma once
#include <windows.h>

class CWnd;

class CWinApp {
public:
    explicit CWinApp(LPCWSTR appName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Return FALSE to end the program without a message loop; the exit code
    // is then ExitInstance's result. TRUE enters Run(). The base registers
    // with the restart manager as m_dwRestartManagerSupportFlags asks.
    virtual BOOL InitInstance();
    virtual int ExitInstance();
    // Message loop until WM_QUIT; returns ExitInstance's result.
    virtual int Run();

    CWnd* m_pMainWnd = nullptr;
    DWORD m_dwRestartManagerSupportFlags = 0;
    HINSTANCE m_hInstance = nullptr;
    LPCWSTR m_pszAppName = nullptr;

protected:
    int m_nExitCode = 0;  // WM_QUIT's wParam once Run() has ended
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();

// The entry logic behind WinMain/wWinMain; exposed so a program with its own
// entry point can still use it. Never lets an exception escape.
int AfxWinMain(HINSTANCE instance, int showCommand);
