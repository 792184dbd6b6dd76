// tooldriver: the test driver for shell scripts.
//   tooldriver run <exe> [--cwd DIR] [--args TEXT] [--class NAME] [--timeout MS]
//   tooldriver wait-window --pid N --class NAME [--timeout MS]
//   tooldriver text|state|combo|click --pid N --class NAME [--id ID]
//   tooldriver select --pid N --class NAME --id ID --index I
//   tooldriver set-text --pid N --class NAME --id ID --text TEXT
//   tooldriver msgbox|dismiss --pid N [--timeout MS]
//   tooldriver close --pid N --class NAME
//   tooldriver mouse --pid N --class NAME [--id ID] --x X --y Y [--button right]
//       the pointer to client point (X, Y) of the window or control, which
//       gets the move (and the right button's press and release)
//   tooldriver post --pid N --class NAME [--id ID] --msg M [--wparam W] [--lparam L]
//   tooldriver wait-exit --pid N [--timeout MS] [--kill]
//   tooldriver zorder
//       the visible top-level windows in Win32 z-order, topmost first, one
//       "window=HWND x11=XID" line each (XID: the window's X window under
//       Wine's X11 driver, 0x0 when it has none); scripts/x-screenshot.sh
//       lays the X windows in this order
// Output is UTF-8, one "key=value" per line. Exit status 0 on success, 1 when
// the awaited thing did not happen in time, 2 on usage errors.
// Under Wine, send the output of "run" to a file, not a pipe: processes Wine
// starts for the program (its desktop) keep a pipe open until the session ends.
#include "ToolDriver.h"

#include <cstdio>
#include <cwchar>
#include <map>
#include <string>

using namespace tooldriver;

namespace {

void Print(const std::wstring& line) {
    std::wstring withEnd = line + L"\n";
    int size = ::WideCharToMultiByte(CP_UTF8, 0, withEnd.c_str(), static_cast<int>(withEnd.size()), nullptr, 0, nullptr,
                                     nullptr);
    std::string utf8(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, withEnd.c_str(), static_cast<int>(withEnd.size()), utf8.data(), size, nullptr,
                          nullptr);
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    std::fflush(stdout);
}

int Usage() {
    Print(
        L"usage: tooldriver run|wait-window|text|state|combo|click|select|set-text|syscommand|drop|file-dialog|msgbox|"
        L"dismiss|close|wait-exit|mouse|post|zorder [--pid N] [--class NAME] [--id ID] [--index I] [--text T] "
        L"[--timeout MS] [--cwd DIR] [--args T] [--command N] [--kill] [--x X --y Y] [--button right] [--msg M] "
        L"[--wparam W] [--lparam L]");
    return 2;
}

std::wstring Hex(HWND hwnd) {
    wchar_t buffer[32];
    std::swprintf(buffer, 32, L"0x%llx", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(hwnd)));
    return buffer;
}

struct Options {
    std::map<std::wstring, std::wstring> values;
    bool Has(const wchar_t* key) const { return values.count(key) != 0; }
    std::wstring Text(const wchar_t* key) const {
        auto it = values.find(key);
        return it == values.end() ? std::wstring() : it->second;
    }
    long Number(const wchar_t* key, long otherwise) const {
        auto it = values.find(key);
        return it == values.end() ? otherwise : std::wcstol(it->second.c_str(), nullptr, 0);
    }
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return Usage();
    const std::wstring command = argv[1];
    std::wstring positional;
    Options options;
    for (int i = 2; i < argc; ++i) {
        std::wstring arg = argv[i];
        if (arg == L"--kill") {
            options.values[L"kill"] = L"1";
        } else if (arg.rfind(L"--", 0) == 0 && i + 1 < argc) {
            options.values[arg.substr(2)] = argv[++i];
        } else if (positional.empty()) {
            positional = arg;
        } else {
            return Usage();
        }
    }
    const DWORD timeout = static_cast<DWORD>(options.Number(L"timeout", 15000));
    const DWORD pid = static_cast<DWORD>(options.Number(L"pid", 0));

    if (command == L"run") {
        if (positional.empty()) return Usage();
        std::wstring error;
        Process process = Launch(positional, options.Text(L"args"), options.Text(L"cwd"), &error);
        if (!process.IsValid()) {
            Print(L"error=" + error);
            return 1;
        }
        Print(L"pid=" + std::to_wstring(process.Pid()));
        if (options.Has(L"class")) {
            HWND hwnd = WaitForWindow(process.Pid(), options.Text(L"class"), timeout);
            if (!hwnd) return 1;
            Print(L"hwnd=" + Hex(hwnd));
        }
        return 0;
    }
    if (command == L"zorder") {
        // EnumWindows lists top-level windows topmost first, as Windows
        // stacks them (an owned window above its owner).
        struct Lister {
            static BOOL CALLBACK Each(HWND hwnd, LPARAM) {
                if (!::IsWindowVisible(hwnd)) return TRUE;
                const HANDLE xid = ::GetPropW(hwnd, L"__wine_x11_whole_window");
                Print(L"window=" + Hex(hwnd) + L" x11=" + Hex(static_cast<HWND>(xid)));
                return TRUE;
            }
        };
        ::EnumWindows(&Lister::Each, 0);
        return 0;
    }
    if (command == L"msgbox" || command == L"dismiss") {
        MessageBoxInfo box = WaitForMessageBox(pid, timeout);
        if (!box.hwnd) return 1;
        if (command == L"dismiss") return DismissMessageBox(box.hwnd, timeout) ? 0 : 1;
        Print(L"caption=" + box.caption);
        Print(L"text=" + box.text);
        Print(std::wstring(L"icon=") + BoxIconName(box.icon));
        return 0;
    }
    if (command == L"file-dialog") {
        HWND dialog = WaitForFileDialog(pid, timeout);
        return dialog && ChooseFile(dialog, options.Text(L"text"), timeout) ? 0 : 1;
    }
    if (command == L"wait-exit") {
        Process process = Process::Open(pid);
        if (!process.IsValid()) return 1;
        DWORD code = 0;
        bool ended =
            options.Has(L"kill") ? WaitForExitOrKill(process, timeout, &code) : WaitForExit(process, timeout, &code);
        if (!ended) return 1;
        Print(L"exit=" + std::to_wstring(code));
        return 0;
    }

    // The rest act on a window of the process, or on one of its controls.
    if (!options.Has(L"class")) return Usage();
    HWND window = WaitForWindow(pid, options.Text(L"class"), timeout);
    if (!window) return 1;
    // A system-menu command as the menu sends it (--command N, or --id N: the
    // command, not a control); posted, since it may open a modal window.
    // Files dropped on the window (--text "PATH|PATH...").
    if (command == L"drop") {
        Process process(::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION, FALSE, pid),
                        pid);
        std::vector<std::wstring> paths;
        const std::wstring list = options.Text(L"text");
        for (size_t from = 0, bar; from <= list.size(); from = bar + 1) {
            bar = list.find(L'|', from);
            if (bar == std::wstring::npos) bar = list.size();
            if (bar > from) paths.push_back(list.substr(from, bar - from));
        }
        return process.IsValid() && !paths.empty() && DropFiles(process.Handle(), window, paths) ? 0 : 1;
    }
    if (command == L"syscommand") {
        const double id = options.Has(L"command") ? options.Number(L"command", 0) : options.Number(L"id", 0);
        return ::PostMessageW(window, WM_SYSCOMMAND, static_cast<WPARAM>(id), 0) ? 0 : 1;
    }
    HWND target = options.Has(L"id") ? Control(window, static_cast<int>(options.Number(L"id", 0))) : window;
    if (!target) return 1;

    if (command == L"wait-window") {
        Print(L"hwnd=" + Hex(window));
    } else if (command == L"text") {
        Print(L"text=" + GetText(target));
    } else if (command == L"state") {
        ControlState s = GetState(target);
        Print(L"enabled=" + std::to_wstring(s.enabled));
        Print(L"visible=" + std::to_wstring(s.visible));
        Print(L"check=" + std::to_wstring(s.check));
    } else if (command == L"combo") {
        Print(L"selected=" + std::to_wstring(ComboSelection(target)));
        for (const std::wstring& item : ComboItems(target)) Print(L"item=" + item);
    } else if (command == L"click") {
        return Click(target) ? 0 : 1;
    } else if (command == L"select") {
        return SelectComboItem(target, static_cast<int>(options.Number(L"index", 0))) ? 0 : 1;
    } else if (command == L"set-text") {
        return SetEditText(target, options.Text(L"text")) ? 0 : 1;
    } else if (command == L"close") {
        return tooldriver::CloseWindow(window) ? 0 : 1;
    } else if (command == L"mouse") {
        POINT at{static_cast<LONG>(options.Number(L"x", 0)), static_cast<LONG>(options.Number(L"y", 0))};
        const LPARAM point = MAKELPARAM(at.x, at.y);
        ::ClientToScreen(target, &at);
        ::SetCursorPos(at.x, at.y);
        DWORD_PTR ignored = 0;
        ::SendMessageTimeoutW(target, WM_MOUSEMOVE, 0, point, SMTO_ABORTIFHUNG, timeout, &ignored);
        if (options.Text(L"button") == L"right") {
            // Posted: the release opens a menu, which holds the program until it closes.
            ::PostMessageW(target, WM_RBUTTONDOWN, MK_RBUTTON, point);
            ::PostMessageW(target, WM_RBUTTONUP, 0, point);
        }
    } else if (command == L"post") {
        const UINT msg = static_cast<UINT>(options.Number(L"msg", 0));
        if (msg == 0) return Usage();
        return ::PostMessageW(target, msg, static_cast<WPARAM>(options.Number(L"wparam", 0)),
                              static_cast<LPARAM>(options.Number(L"lparam", 0)))
                   ? 0
                   : 1;
    } else {
        return Usage();
    }
    return 0;
}
