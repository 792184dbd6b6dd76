// The system's text for an error code, as the tool's boxes show it.
#pragma once

#include <windows.h>

#include <cwctype>
#include <string>

// The text without its line end; a code the system has no text for still
// says which it is.
inline std::wstring SystemMessage(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD n =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = n > 0 && text ? std::wstring(text, n) : std::wstring();
    if (text) LocalFree(text);
    while (!message.empty() && std::iswspace(message.back())) message.pop_back();
    return message.empty() ? L"(" + std::to_wstring(error) + L")" : message;
}
