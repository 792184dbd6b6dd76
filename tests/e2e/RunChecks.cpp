#include "RunChecks.h"

#include <regex>
#include <string>
#include <vector>

#include "ToolDriver.h"
#include "ToolFixture.h"
#include "resource.h"

namespace e2e {

using namespace tooldriver;

long PingWindow(HWND window, DWORD timeoutMs) {
    const ULONGLONG start = ::GetTickCount64();
    DWORD_PTR ignored = 0;
    if (!::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &ignored)) return -1;
    return static_cast<long>(::GetTickCount64() - start);
}

PingWatch PingUntil(HWND window, const std::function<bool()>& condition, DWORD timeoutMs) {
    PingWatch watch;
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    for (;;) {
        const long ms = PingWindow(window);
        if (ms < 0) {
            watch.answered = false;
            return watch;
        }
        watch.slowestMs = ms > watch.slowestMs ? ms : watch.slowestMs;
        if (condition()) {
            watch.reached = true;
            return watch;
        }
        if (::GetTickCount64() >= end) return watch;
        ::Sleep(50);  // pacing of the probes, not a wait for a condition
    }
}

bool HandledWhatWasPosted(HWND window) {
    // The marker: the baud-rate edit's modified flag, which the tool never reads.
    HWND edit = Control(window, IDC_EDIT_BAUDRATE);
    DWORD_PTR modified = 0;
    if (!::SendMessageTimeoutW(edit, EM_SETMODIFY, FALSE, 0, SMTO_ABORTIFHUNG, kWait, &modified)) return false;
    if (!::PostMessageW(edit, EM_SETMODIFY, TRUE, 0)) return false;
    return WaitUntil(
        [&] { return ::SendMessageTimeoutW(edit, EM_GETMODIFY, 0, 0, SMTO_ABORTIFHUNG, kWait, &modified) && modified; },
        kWait);
}

std::vector<MessageBoxInfo> BoxesOnceAnswering(HWND window, DWORD pid) {
    EXPECT_GE(PingWindow(window), 0) << "the window does not answer";
    EXPECT_TRUE(HandledWhatWasPosted(window)) << "the window does not take posted messages";
    return FindMessageBoxes(pid);
}

std::vector<MessageBoxInfo> CloseWatchingForBoxes(HWND window, const Process& tool, DWORD* exitCode) {
    std::vector<MessageBoxInfo> seen;
    tooldriver::CloseWindow(window);
    const bool ended = WaitUntil(
        [&] {
            for (const MessageBoxInfo& box : FindMessageBoxes(tool.Pid())) {
                seen.push_back(box);
                DismissMessageBox(box.hwnd);
            }
            return !tool.IsRunning();
        },
        kWait);
    if (ended) WaitForExit(tool, 0, exitCode);
    return seen;
}

void ExpectErrorBox(const MessageBoxInfo& box, std::initializer_list<std::wstring> parts) {
    ASSERT_NE(nullptr, box.hwnd) << "no box";
    EXPECT_EQ(L"错误", box.caption);
    EXPECT_EQ(BoxIcon::Error, box.icon) << BoxIconName(box.icon);
    for (const std::wstring& part : parts)
        EXPECT_NE(std::wstring::npos, box.text.find(part)) << "\"" << Utf8(part) << "\" in " << Utf8(box.text);
    EXPECT_TRUE(DismissMessageBox(box.hwnd));
}

HWND WaitForFileDialogOf(DWORD pid, HWND owner) {
    HWND found = nullptr;
    auto owned = [&] {
        return (found = WaitForFileDialog(pid, 0)) != nullptr && ::GetWindow(found, GW_OWNER) == owner;
    };
    return WaitUntil(owned, kWait) ? found : nullptr;
}

LRESULT Query(HWND window, const wchar_t* name, WPARAM wParam) {
    const UINT message = ::RegisterWindowMessageW(name);
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(window, message, wParam, 0, SMTO_ABORTIFHUNG, kWait, &result)) return -2;
    return static_cast<LRESULT>(result);
}

UINT SystemMenuState(HWND window, UINT command) {
    return static_cast<UINT>(Query(window, L"Tavo_Ladu330_Pk27Tool.SystemMenuState", command));
}

HWND WaitForToolDialog(DWORD pid, const std::wstring& caption) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND w : TopLevelWindows(pid, L"#32770", false))
                if (GetText(w) == caption) found = w;
            return found != nullptr;
        },
        kWait);
    return found;
}

// The report lines of a log, without their time stamps, in order.
std::vector<std::string> ReportLines(const std::string& log) {
    std::vector<std::string> lines;
    std::regex line("State=\\d+, M_D=\\d{3,}\\r\\n|Tailer TAG Invalid!\\r\\n");
    for (auto it = std::sregex_iterator(log.begin(), log.end(), line); it != std::sregex_iterator(); ++it)
        lines.push_back(it->str());
    return lines;
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int n =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[0], n, nullptr, nullptr);
    return bytes;
}

// The system's text for an error code, without its line end.
std::wstring SystemText(DWORD error) {
    wchar_t text[512] = {};
    ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text, 512, nullptr);
    std::wstring message = text;
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' '))
        message.pop_back();
    return message;
}

std::string Describe(const std::vector<MessageBoxInfo>& boxes) {
    std::string text;
    for (const MessageBoxInfo& box : boxes) text += "[" + Utf8(box.caption) + ": " + Utf8(box.text) + "] ";
    return text;
}

std::vector<std::wstring> FilesIn(const std::wstring& folder, const wchar_t* extension) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW((folder + L"\\*" + extension).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        names.push_back(found.cFileName);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return names;
}

bool SelectPort(HWND window, int number) {
    Click(Control(window, IDC_BTN_REFRESH));
    HWND combo = Control(window, IDC_COMBO_PORT);
    const std::vector<std::wstring> items = ComboItems(combo);
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i] == L"COM" + std::to_wstring(number)) return SelectComboItem(combo, static_cast<int>(i));
    return false;
}

::testing::AssertionResult Reconnect(HWND window, DWORD pid, int port, const std::wstring& version) {
    HWND connect = Control(window, IDC_BTN_CONNECT);
    if (!SelectPort(window, port)) return ::testing::AssertionFailure() << "COM" << port << " is not in the port list";
    if (GetControlText(window, IDC_BTN_CONNECT) == L"断开设备") {
        Click(connect, 3000);
        const std::vector<MessageBoxInfo> boxes = BoxesOnceAnswering(window, pid);
        for (const MessageBoxInfo& box : boxes) DismissMessageBox(box.hwnd);
        if (!boxes.empty()) return ::testing::AssertionFailure() << "a click on 断开设备 raised " << Describe(boxes);
        const std::wstring button = GetControlText(window, IDC_BTN_CONNECT);
        if (button != L"连接设备")
            return ::testing::AssertionFailure()
                   << "a click on 断开设备 left the button showing \"" << Utf8(button) << "\"";
    }
    Click(connect, 3000);
    const std::vector<MessageBoxInfo> boxes = BoxesOnceAnswering(window, pid);
    for (const MessageBoxInfo& box : boxes) DismissMessageBox(box.hwnd);
    if (!boxes.empty())
        return ::testing::AssertionFailure() << "connecting to COM" << port << " raised " << Describe(boxes);
    // The click has been handled: the version was asked for within it.
    const std::wstring shown = GetControlText(window, IDC_STATIC_VERSION);
    if (shown != L"固件版本:" + version)
        return ::testing::AssertionFailure()
               << "connected to COM" << port << ", the label shows \"" << Utf8(shown) << "\"";
    return ::testing::AssertionSuccess();
}

}  // namespace e2e
