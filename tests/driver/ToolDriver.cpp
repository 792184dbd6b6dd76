#include "ToolDriver.h"

#include <shlobj.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include <utility>

#include "WinTestSupport.h"

namespace tooldriver {

Process::~Process() {
    if (m_handle) ::CloseHandle(m_handle);
}

Process::Process(Process&& other) noexcept
    : m_handle(std::exchange(other.m_handle, nullptr)), m_pid(std::exchange(other.m_pid, 0)) {}

Process& Process::operator=(Process&& other) noexcept {
    if (this != &other) {
        if (m_handle) ::CloseHandle(m_handle);
        m_handle = std::exchange(other.m_handle, nullptr);
        m_pid = std::exchange(other.m_pid, 0);
    }
    return *this;
}

Process Process::Open(DWORD pid) {
    HANDLE h = ::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    return h ? Process(h, pid) : Process();
}

bool Process::IsRunning() const { return m_handle && ::WaitForSingleObject(m_handle, 0) == WAIT_TIMEOUT; }

namespace {

std::wstring FolderOf(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring ErrorText(const wchar_t* what) {
    return std::wstring(what) + L" failed, error " + std::to_wstring(::GetLastError());
}

struct EnumRequest {
    DWORD pid;
    const std::wstring* className;
    bool visibleOnly;
    std::vector<HWND>* found;
};

BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM param) {
    auto* request = reinterpret_cast<EnumRequest*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid != request->pid) return TRUE;
    if (request->visibleOnly && !::IsWindowVisible(hwnd)) return TRUE;
    if (!request->className->empty() && ClassName(hwnd) != *request->className) return TRUE;
    request->found->push_back(hwnd);
    return TRUE;
}

bool SendWithTimeout(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, DWORD timeoutMs, DWORD_PTR* result) {
    DWORD_PTR ignored = 0;
    return ::SendMessageTimeoutW(hwnd, msg, wParam, lParam, SMTO_ABORTIFHUNG, timeoutMs, result ? result : &ignored) !=
           0;
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

// The colour pixels of an icon. Icons are session-wide handles, so this works
// on an icon of another process too.
std::vector<DWORD> IconPixels(HICON icon) {
    std::vector<DWORD> pixels;
    ICONINFO info{};
    if (!::GetIconInfo(icon, &info)) return pixels;
    HBITMAP colour = info.hbmColor ? info.hbmColor : info.hbmMask;
    BITMAP bm{};
    if (::GetObjectW(colour, sizeof(bm), &bm) && bm.bmWidth > 0 && bm.bmHeight > 0) {
        BITMAPINFO bi = testsupport::TopDownBitmapInfo(bm.bmWidth, bm.bmHeight);
        pixels.resize(static_cast<size_t>(bm.bmWidth) * bm.bmHeight);
        HDC screen = ::GetDC(nullptr);
        if (!::GetDIBits(screen, colour, 0, bm.bmHeight, pixels.data(), &bi, DIB_RGB_COLORS)) pixels.clear();
        ::ReleaseDC(nullptr, screen);
    }
    if (info.hbmColor) ::DeleteObject(info.hbmColor);
    if (info.hbmMask) ::DeleteObject(info.hbmMask);
    return pixels;
}

// A system icon drawn at the given size over a plain background.
std::vector<DWORD> RenderedIcon(LPCWSTR id, int width, int height, DWORD background) {
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO bi = testsupport::TopDownBitmapInfo(width, height);
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::vector<DWORD> pixels;
    if (bitmap && bits) {
        HGDIOBJ old = ::SelectObject(memory, bitmap);
        std::fill_n(static_cast<DWORD*>(bits), static_cast<size_t>(width) * height, background);
        ::DrawIconEx(memory, 0, 0, ::LoadIconW(nullptr, id), 0, 0, 0, nullptr, DI_NORMAL | DI_DEFAULTSIZE);
        ::GdiFlush();
        pixels.assign(static_cast<DWORD*>(bits), static_cast<DWORD*>(bits) + static_cast<size_t>(width) * height);
        ::SelectObject(memory, old);
        ::DeleteObject(bitmap);
    }
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return pixels;
}

uint64_t Difference(const std::vector<DWORD>& a, const std::vector<DWORD>& b) {
    uint64_t sum = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        for (int shift = 0; shift < 24; shift += 8) {
            int da = static_cast<int>((a[i] >> shift) & 0xFF) - static_cast<int>((b[i] >> shift) & 0xFF);
            sum += static_cast<uint64_t>(da < 0 ? -da : da);
        }
    }
    return sum;
}

// Where icon handles cannot be compared (each process holds its own copy of a
// system icon), the icon static as shown on screen is compared with each
// system icon drawn the same way; the closest one wins.
BoxIcon IconOnScreen(HWND iconStatic) {
    const std::pair<LPCWSTR, BoxIcon> known[] = {{IDI_INFORMATION, BoxIcon::Information},
                                                 {IDI_WARNING, BoxIcon::Warning},
                                                 {IDI_ERROR, BoxIcon::Error},
                                                 {IDI_QUESTION, BoxIcon::Question}};
    int width = 0, height = 0;
    std::vector<DWORD> shown;
    // The box may not have painted its icon yet: wait for non-uniform pixels.
    WaitUntil(
        [&] {
            shown = testsupport::ScreenPixels(iconStatic, width, height);
            return std::any_of(shown.begin(), shown.end(),
                               [&](DWORD p) { return (p & 0xFFFFFF) != (shown[0] & 0xFFFFFF); });
        },
        3000);
    if (shown.empty()) return BoxIcon::Unknown;
    BoxIcon best = BoxIcon::Unknown;
    uint64_t bestDifference = UINT64_MAX;
    for (const auto& [id, kind] : known) {
        uint64_t d = Difference(shown, RenderedIcon(id, width, height, shown[0] & 0xFFFFFF));
        if (d < bestDifference) {
            bestDifference = d;
            best = kind;
        }
    }
    return best;
}

BoxIcon IconOf(HWND box) {
    // The icon static of a message box has id 20 on Windows and 0x440 under
    // Wine. The kind is found by comparing the shown icon with the system
    // icons: first by handle (shared on Windows), then by pixels.
    HWND iconStatic = ::GetDlgItem(box, 20);
    if (!iconStatic) iconStatic = ::GetDlgItem(box, 0x440);
    if (!iconStatic) return BoxIcon::None;
    DWORD_PTR shown = 0;
    if (!SendWithTimeout(iconStatic, STM_GETICON, 0, 0, 2000, &shown) || !shown) return BoxIcon::None;
    const std::pair<LPCWSTR, BoxIcon> known[] = {{IDI_INFORMATION, BoxIcon::Information},
                                                 {IDI_WARNING, BoxIcon::Warning},
                                                 {IDI_ERROR, BoxIcon::Error},
                                                 {IDI_QUESTION, BoxIcon::Question}};
    for (const auto& [id, kind] : known) {
        if (reinterpret_cast<DWORD_PTR>(::LoadIconW(nullptr, id)) == shown) return kind;
    }
    std::vector<DWORD> shownPixels = IconPixels(reinterpret_cast<HICON>(shown));
    if (!shownPixels.empty()) {
        for (const auto& [id, kind] : known) {
            if (IconPixels(::LoadIconW(nullptr, id)) == shownPixels) return kind;
        }
    }
    return IconOnScreen(iconStatic);
}

bool LooksLikeMessageBox(HWND dialog) {
    bool hasText = false;
    for (HWND child : Children(dialog)) {
        std::wstring cls = ClassName(child);
        if (cls != L"Button" && cls != L"Static" && cls != L"BUTTON" && cls != L"STATIC") return false;
        if (::GetDlgCtrlID(child) == 0xFFFF && (cls == L"Static" || cls == L"STATIC")) hasText = true;
    }
    return hasText;
}

}  // namespace

Process Launch(const std::wstring& exe, const std::wstring& arguments, const std::wstring& workDir,
               std::wstring* error) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    std::wstring folder = workDir.empty() ? FolderOf(exe) : workDir;
    // The program gets NUL as its standard handles. Otherwise, under Wine, it
    // inherits the driver's output, and a script reading that output through
    // a pipe would wait for the program to end.
    SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
    HANDLE nul = ::CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                               OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    if (nul != INVALID_HANDLE_VALUE) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = startup.hStdOutput = startup.hStdError = nul;
    }
    PROCESS_INFORMATION info{};
    BOOL started = FALSE;
    // Under load Wine now and then refuses a process start with an internal
    // error (1359) that the next attempt does not meet; any other failure
    // (a missing program, a bad path) is reported at once.
    for (int attempt = 0; attempt < 3 && !started; ++attempt) {
        started = ::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, nul != INVALID_HANDLE_VALUE, 0,
                                   nullptr, folder.empty() ? nullptr : folder.c_str(), &startup, &info);
        if (!started && ::GetLastError() != ERROR_INTERNAL_ERROR) break;
        if (!started) ::Sleep(200);
    }
    if (!started && error) *error = ErrorText(L"CreateProcessW");
    if (nul != INVALID_HANDLE_VALUE) ::CloseHandle(nul);
    if (!started) return Process();
    ::CloseHandle(info.hThread);
    return Process(info.hProcess, info.dwProcessId);
}

std::vector<HWND> TopLevelWindows(DWORD pid, const std::wstring& className, bool visibleOnly) {
    std::vector<HWND> found;
    EnumRequest request{pid, &className, visibleOnly, &found};
    ::EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&request));
    return found;
}

HWND WaitForWindow(DWORD pid, const std::wstring& className, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            std::vector<HWND> windows = TopLevelWindows(pid, className, true);
            found = windows.empty() ? nullptr : windows.front();
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

std::wstring ClassName(HWND hwnd) {
    wchar_t name[256] = {};
    int length = ::GetClassNameW(hwnd, name, 256);
    return std::wstring(name, length > 0 ? static_cast<size_t>(length) : 0);
}

std::wstring GetText(HWND hwnd, DWORD timeoutMs) {
    DWORD_PTR length = 0;
    if (!SendWithTimeout(hwnd, WM_GETTEXTLENGTH, 0, 0, timeoutMs, &length)) return {};
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendWithTimeout(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), timeoutMs, &copied))
        return {};
    text.resize(copied <= length ? copied : length);
    return text;
}

HWND Control(HWND dialog, int id) { return ::GetDlgItem(dialog, id); }

std::wstring GetControlText(HWND dialog, int id, DWORD timeoutMs) {
    HWND control = Control(dialog, id);
    return control ? GetText(control, timeoutMs) : std::wstring();
}

ControlState GetState(HWND control, DWORD timeoutMs) {
    ControlState state;
    if (!control || !::IsWindow(control)) return state;
    state.exists = true;
    state.enabled = ::IsWindowEnabled(control) != FALSE;
    state.visible = ::IsWindowVisible(control) != FALSE;
    std::wstring cls = ClassName(control);
    if (cls == L"Button" || cls == L"BUTTON") {
        DWORD_PTR check = 0;
        if (SendWithTimeout(control, BM_GETCHECK, 0, 0, timeoutMs, &check)) state.check = static_cast<int>(check);
    }
    return state;
}

std::vector<std::wstring> ComboItems(HWND combo, DWORD timeoutMs) {
    std::vector<std::wstring> items;
    DWORD_PTR count = 0;
    if (!SendWithTimeout(combo, CB_GETCOUNT, 0, 0, timeoutMs, &count) || static_cast<LRESULT>(count) == CB_ERR)
        return items;
    for (DWORD_PTR i = 0; i < count; ++i) {
        DWORD_PTR length = 0;
        if (!SendWithTimeout(combo, CB_GETLBTEXTLEN, i, 0, timeoutMs, &length) ||
            static_cast<LRESULT>(length) == CB_ERR) {
            items.emplace_back();
            continue;
        }
        std::wstring text(length + 1, L'\0');
        DWORD_PTR copied = 0;
        SendWithTimeout(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()), timeoutMs, &copied);
        text.resize(static_cast<LRESULT>(copied) == CB_ERR || copied > length ? 0 : copied);
        items.push_back(text);
    }
    return items;
}

int ComboSelection(HWND combo, DWORD timeoutMs) {
    DWORD_PTR selection = static_cast<DWORD_PTR>(CB_ERR);
    if (!SendWithTimeout(combo, CB_GETCURSEL, 0, 0, timeoutMs, &selection)) return CB_ERR;
    return static_cast<int>(static_cast<LRESULT>(selection));
}

bool Click(HWND button, DWORD waitMs) {
    if (!::IsWindow(button)) return false;
    // A time-out here is expected when the click opens a modal box.
    SendWithTimeout(button, BM_CLICK, 0, 0, waitMs, nullptr);
    return true;
}

bool SelectComboItem(HWND combo, int index, DWORD timeoutMs) {
    DWORD_PTR result = 0;
    if (!SendWithTimeout(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0, timeoutMs, &result)) return false;
    if (static_cast<LRESULT>(result) != index) return false;
    HWND parent = ::GetParent(combo);
    int id = ::GetDlgCtrlID(combo);
    SendWithTimeout(parent, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo), timeoutMs,
                    nullptr);
    return true;
}

bool SetEditText(HWND edit, const std::wstring& text, DWORD timeoutMs) {
    DWORD_PTR result = 0;
    return SendWithTimeout(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), timeoutMs, &result) &&
           result != 0;
}

const wchar_t* BoxIconName(BoxIcon icon) {
    switch (icon) {
    case BoxIcon::None: return L"none";
    case BoxIcon::Information: return L"information";
    case BoxIcon::Warning: return L"warning";
    case BoxIcon::Error: return L"error";
    case BoxIcon::Question: return L"question";
    case BoxIcon::Unknown: break;
    }
    return L"unknown";
}

std::vector<MessageBoxInfo> FindMessageBoxes(DWORD pid) {
    std::vector<MessageBoxInfo> boxes;
    for (HWND dialog : TopLevelWindows(pid, L"#32770", true)) {
        if (!LooksLikeMessageBox(dialog)) continue;
        MessageBoxInfo info;
        info.hwnd = dialog;
        info.caption = GetText(dialog);
        info.text = GetControlText(dialog, 0xFFFF);
        info.icon = IconOf(dialog);
        for (HWND child : Children(dialog)) {
            std::wstring cls = ClassName(child);
            if (cls == L"Button" || cls == L"BUTTON") info.buttons.push_back(GetText(child));
        }
        boxes.push_back(std::move(info));
    }
    return boxes;
}

MessageBoxInfo WaitForMessageBox(DWORD pid, DWORD timeoutMs) {
    MessageBoxInfo found;
    WaitUntil(
        [&] {
            std::vector<MessageBoxInfo> boxes = FindMessageBoxes(pid);
            if (boxes.empty()) return false;
            found = boxes.front();
            return true;
        },
        timeoutMs);
    return found;
}

bool DismissMessageBox(HWND box, DWORD timeoutMs) {
    if (!::IsWindow(box)) return false;
    HWND button = ::GetDlgItem(box, IDOK);
    if (!button) {
        std::vector<HWND> buttons;
        for (HWND child : Children(box)) {
            std::wstring cls = ClassName(child);
            if (cls == L"Button" || cls == L"BUTTON") buttons.push_back(child);
        }
        if (buttons.size() == 1)
            button = buttons.front();
        else
            button = ::GetDlgItem(box, IDCANCEL);
    }
    if (!button) return false;
    // A command posted to the box ends it the same way a click does, without
    // depending on focus or capture.
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED), reinterpret_cast<LPARAM>(button));
    return WaitUntil([&] { return !::IsWindow(box) || !::IsWindowVisible(box); }, timeoutMs);
}

bool CloseWindow(HWND hwnd) { return ::PostMessageW(hwnd, WM_CLOSE, 0, 0) != FALSE; }

bool WaitForExit(const Process& process, DWORD timeoutMs, DWORD* exitCode) {
    if (!process.IsValid()) return false;
    // Short waits in a loop, so a long time-out never hides in one call.
    bool ended = WaitUntil([&] { return ::WaitForSingleObject(process.Handle(), 50) == WAIT_OBJECT_0; }, timeoutMs, 0);
    if (!ended) return false;
    DWORD code = 0;
    if (exitCode && ::GetExitCodeProcess(process.Handle(), &code)) *exitCode = code;
    return true;
}

bool WaitForExitOrKill(const Process& process, DWORD timeoutMs, DWORD* exitCode) {
    if (WaitForExit(process, timeoutMs, exitCode)) return true;
    if (process.IsValid()) {
        ::TerminateProcess(process.Handle(), 0xDEAD);
        ::WaitForSingleObject(process.Handle(), 5000);
    }
    return false;
}

HWND FileDialogNameEdit(HWND dialog) {
    constexpr int kNameEdit = 0x480;  // edt1 of the older dialogs
    constexpr int kNameBox = 0x47C;   // cmb13: a ComboBoxEx32 holding a combo box holding the edit
    if (HWND edit = ::GetDlgItem(dialog, kNameEdit)) return edit;
    HWND box = ::GetDlgItem(dialog, kNameBox);
    for (int depth = 0; box && depth < 2; ++depth) {
        if (HWND edit = ::FindWindowExW(box, nullptr, L"Edit", nullptr)) return edit;
        box = ::FindWindowExW(box, nullptr, L"ComboBox", nullptr);
    }
    return nullptr;
}

void* DropFiles(HANDLE process, HWND window, const std::vector<std::wstring>& paths) {
    // The header, then each path with its terminator, then one more.
    std::vector<char> block(sizeof(DROPFILES), 0);
    DROPFILES header = {};
    header.pFiles = sizeof(DROPFILES);
    header.fWide = TRUE;
    std::memcpy(block.data(), &header, sizeof header);
    for (const std::wstring& path : paths) {
        const char* bytes = reinterpret_cast<const char*>(path.c_str());
        block.insert(block.end(), bytes, bytes + (path.size() + 1) * sizeof(wchar_t));
    }
    block.insert(block.end(), sizeof(wchar_t), 0);
    void* remote = ::VirtualAllocEx(process, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote) return nullptr;
    if (!::WriteProcessMemory(process, remote, block.data(), block.size(), nullptr) ||
        !::PostMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0)) {
        ::VirtualFreeEx(process, remote, 0, MEM_RELEASE);
        return nullptr;
    }
    return remote;
}

HWND WaitForFileDialog(DWORD pid, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : TopLevelWindows(pid, L"#32770")) {
                if (FileDialogNameEdit(window)) found = window;
            }
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

bool ChooseFile(HWND dialog, const std::wstring& path, DWORD timeoutMs) {
    if (!SetEditText(FileDialogNameEdit(dialog), path, timeoutMs)) return false;
    Click(Control(dialog, IDOK), 200);
    return WaitUntil([&] { return !::IsWindowVisible(dialog); }, timeoutMs);
}

}  // namespace tooldriver
