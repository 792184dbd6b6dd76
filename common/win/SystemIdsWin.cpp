// Process and thread ids, text conversion helpers.
#include "../core/CommonInternal.h"
#include "WinText.h"

#include <windows.h>

namespace tavo_common {

uint32_t CurrentProcessId() { return GetCurrentProcessId(); }
uint32_t CurrentThreadId() { return GetCurrentThreadId(); }

std::wstring WideFromAnsi(const char* text) {
    if (text == nullptr || *text == '\0') return std::wstring();
    const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], n);
    wide.resize(static_cast<size_t>(n - 1));
    return wide;
}

std::string AnsiFromWide(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return std::string();
    std::string ansi(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, &ansi[0], n, nullptr, nullptr);
    ansi.resize(static_cast<size_t>(n - 1));
    return ansi;
}

}  // namespace tavo_common
