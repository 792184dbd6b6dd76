// Paths of any length: the executable's own path without a fixed buffer, and
// the form the system's file functions take past MAX_PATH on every Windows.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// How a module's file name is asked for: GetModuleFileNameW, or a stand-in in tests.
using ModuleFileNameFunction = DWORD(WINAPI*)(HMODULE module, LPWSTR out, DWORD size);

// The full path of module's file (null: the executable), however long: the
// buffer grows until the name fits. Empty, with *error set, when the system
// cannot tell it.
inline std::wstring ModuleFileName(HMODULE module, DWORD* error = nullptr,
                                   ModuleFileNameFunction get = ::GetModuleFileNameW) {
    constexpr DWORD kLongest = 65536;  // past any path the system takes (32767)
    for (DWORD size = 512; size <= kLongest; size *= 2) {
        std::vector<wchar_t> buffer(size, L'\0');
        ::SetLastError(ERROR_SUCCESS);
        const DWORD n = get(module, buffer.data(), size);
        if (n == 0) break;
        // A name that did not fit fills the buffer (and says so, except on XP).
        if (n < size) return std::wstring(buffer.data(), n);
    }
    if (error) *error = ::GetLastError() != ERROR_SUCCESS ? ::GetLastError() : ERROR_FILENAME_EXCED_RANGE;
    return std::wstring();
}

// The folder of the executable without a trailing separator; empty, with
// *error set, when the system cannot tell it. Never a relative stand-in.
inline std::wstring ProgramFolder(DWORD* error = nullptr, ModuleFileNameFunction get = ::GetModuleFileNameW) {
    DWORD failure = ERROR_SUCCESS;
    std::wstring path = ModuleFileName(nullptr, &failure, get);
    const size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos || slash == 0) {
        if (error) *error = failure != ERROR_SUCCESS ? failure : ERROR_BAD_PATHNAME;
        return std::wstring();
    }
    path.erase(slash);
    // Started through a short (8.3) name, as a program past MAX_PATH has to
    // be: the long form is the folder the user knows. Only a name with '~'
    // can be short.
    if (path.find(L'~') == std::wstring::npos) return path;
    for (DWORD size = 512; size <= 65536; size *= 2) {
        std::vector<wchar_t> buffer(size, L'\0');
        const DWORD n = ::GetLongPathNameW(path.c_str(), buffer.data(), size);
        if (n == 0) break;  // the name as given is still the right folder
        if (n < size) return std::wstring(buffer.data(), n);
    }
    return path;
}

// The path as file functions take it past MAX_PATH even where long paths are
// not enabled (Windows before 10, or 10 without the system setting): an
// absolute path of 248 characters or more (the folder limit) gets the prefix
// \\?\ (\\?\UNC\ for a network path). The prefix turns off the system's
// clean-up of the path, so '/' becomes '\' here; paths the tool builds hold
// no "." or ".." parts. Anything else comes back unchanged. For opening only:
// the user is shown the path as it was.
inline std::wstring ExtendedLengthPath(const std::wstring& path) {
    constexpr size_t kFolderLimit = MAX_PATH - 12;
    if (path.size() < kFolderLimit) return path;
    std::wstring p = path;
    for (wchar_t& c : p)
        if (c == L'/') c = L'\\';
    if (p.compare(0, 4, L"\\\\?\\") == 0 || p.compare(0, 4, L"\\\\.\\") == 0) return p;
    if (p.size() >= 3 && p[1] == L':' && p[2] == L'\\') return L"\\\\?\\" + p;
    if (p.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + p.substr(2);
    return path;
}
