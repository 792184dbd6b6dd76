// popup_probe OUTFILE: a dialog that raises a message box it owns. Once the
// box is up and answering, its screen rectangle ("left top right bottom") is
// written to OUTFILE; the box stays open until the process is ended or the
// box is closed. Used by scripts/popup-check.sh to see whether a pop-up over
// another window is painted in a screenshot of the display.
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

const wchar_t kBoxCaption[] = L"Popup probe box";
const UINT_PTR kTimerId = 1;
wchar_t g_outFile[MAX_PATH];

// A dialog template in memory: a plain DLGTEMPLATE without controls.
struct Template {
    DLGTEMPLATE dlg;
    WORD menu, cls, title[13];
};

DWORD WINAPI Watch(void*) {
    for (int i = 0; i < 6000; ++i) {  // up to 10 minutes; the script ends us earlier
        HWND box = FindWindowW(L"#32770", kBoxCaption);
        DWORD_PTR res = 0;
        if (box && IsWindowVisible(box) && SendMessageTimeoutW(box, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &res)) {
            RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            RECT r;
            GetWindowRect(box, &r);
            wchar_t tmp[MAX_PATH + 8];
            swprintf(tmp, MAX_PATH + 8, L"%ls.tmp", g_outFile);
            FILE* f = _wfopen(tmp, L"w");
            if (!f) return 1;
            fprintf(f, "%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
            fclose(f);
            MoveFileExW(tmp, g_outFile, MOVEFILE_REPLACE_EXISTING);
            return 0;
        }
        Sleep(100);
    }
    return 1;
}

INT_PTR CALLBACK DlgProc(HWND dlg, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG: SetTimer(dlg, kTimerId, 200, nullptr); return TRUE;
    case WM_TIMER:
        if (wp == kTimerId) {
            KillTimer(dlg, kTimerId);
            MessageBoxW(dlg, L"This box lies over its owner dialog.\nIts face must not be black.", kBoxCaption,
                        MB_OK | MB_ICONINFORMATION);
            EndDialog(dlg, 0);
        }
        return TRUE;
    case WM_CLOSE: EndDialog(dlg, 0); return TRUE;
    }
    return FALSE;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE inst, HINSTANCE, PWSTR cmd, int) {
    if (!cmd || !*cmd) return 2;
    wcsncpy(g_outFile, cmd, MAX_PATH - 1);
    Template t{};
    t.dlg.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME | DS_CENTER;
    t.dlg.x = 10;
    t.dlg.y = 10;
    t.dlg.cx = 400;
    t.dlg.cy = 300;
    const wchar_t title[] = L"Probe owner";
    for (int i = 0; i < 12; ++i) t.title[i] = title[i];
    HANDLE th = CreateThread(nullptr, 0, Watch, nullptr, 0, nullptr);
    if (th) CloseHandle(th);
    DialogBoxIndirectParamW(inst, &t.dlg, nullptr, DlgProc, 0);
    return 0;
}
