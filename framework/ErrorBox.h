// The one kind of box the tool shows for an error: the error icon, above every
// other window (a box about a file must not hide behind a dialog).
#pragma once

#include <windows.h>

#include <string>

constexpr UINT kErrorBoxType = MB_ICONERROR | MB_TOPMOST;

inline int ShowErrorBox(HWND owner, const std::wstring& text, const std::wstring& caption) {
    return ::MessageBoxW(owner, text.c_str(), caption.c_str(), kErrorBoxType);
}
