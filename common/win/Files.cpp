// Program path, folders, date file names, whole-file reads, versions.
#include "Tavo_Common.h"
#include "../core/CommonInternal.h"
#include "WinText.h"
#include "framework/LongPath.h"
#include "handles/UniqueHandle.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

// Larger files are refused: every caller reads small configuration or data files.
constexpr LONGLONG kMaxReadBytes = 1LL << 30;

bool IsSep(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsFolder(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The end of parts "server\share\" of p from i on.
size_t SkipServerAndShare(const std::wstring& p, size_t i) {
    for (int parts = 0; i < p.size() && parts < 2; ++parts) {
        while (i < p.size() && !IsSep(p[i])) ++i;
        if (i < p.size()) ++i;
    }
    return i;
}

// Length of the part of path that cannot be created: "C:\", "\\server\share\",
// "\", and those behind the long-path prefixes "\\?\" and "\\?\UNC\".
size_t RootLength(const std::wstring& p) {
    if (p.compare(0, 8, L"\\\\?\\UNC\\") == 0) return SkipServerAndShare(p, 8);
    if (p.compare(0, 4, L"\\\\?\\") == 0) return 4 + RootLength(p.substr(4));
    if (p.size() >= 2 && p[1] == L':') return p.size() >= 3 && IsSep(p[2]) ? 3 : 2;
    if (p.size() >= 2 && IsSep(p[0]) && IsSep(p[1])) return SkipServerAndShare(p, 2);
    return !p.empty() && IsSep(p[0]) ? 1 : 0;
}

int CreateFolderTree(std::wstring path) {
    // In the long form: a folder past 248 characters can be made on every system.
    path = ExtendedLengthPath(path);
    while (path.size() > RootLength(path) && IsSep(path.back())) path.pop_back();
    if (path.empty()) return 0;
    const size_t root = RootLength(path);
    // Create each missing level from the root down.
    for (size_t i = root; i <= path.size(); ++i) {
        if (i < path.size() && !IsSep(path[i])) continue;
        const std::wstring level = path.substr(0, i);
        if (level.size() > root && !IsFolder(level) && !CreateDirectoryW(level.c_str(), nullptr) &&
            GetLastError() != ERROR_ALREADY_EXISTS)
            return 0;
    }
    return IsFolder(path) ? 1 : 0;
}

int64_t ReadWholeFile(const wchar_t* path, unsigned char** block) {
    if (block == nullptr) return -1;
    *block = nullptr;
    if (path == nullptr || *path == L'\0') return -1;
    UniqueKernelHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return -1;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0 || size.QuadPart > kMaxReadBytes) return -1;
    auto* data = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(size.QuadPart) + 1));
    if (data == nullptr) return -1;
    LONGLONG done = 0;
    while (done < size.QuadPart) {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(size.QuadPart - done > (1 << 24) ? (1 << 24) : size.QuadPart - done);
        if (!ReadFile(file.Get(), data + done, want, &got, nullptr)) {
            std::free(data);
            return -1;
        }
        if (got == 0) break;  // the file shrank meanwhile: hand out what is there
        done += got;
    }
    data[done] = 0;
    *block = data;
    return done;
}

template <typename Ch>
size_t TextLength(const Ch* s) {
    size_t n = 0;
    if (s)
        while (s[n]) ++n;
    return n;
}

// prefix + stamp + suffix + "." + ext (the dot added when ext lacks one).
template <typename Ch>
int MakeDateName(Ch* out, const Ch* ext, const Ch* prefix, const Ch* suffix, int flag) {
    if (out == nullptr) return 0;
    out[0] = 0;
    try {
        std::basic_string<Ch> name;
        if (prefix) name += prefix;
        // flag bit 0: milliseconds in the time text.
        for (char c : tavo_common::NextDateStamp((flag & 1) != 0)) name += static_cast<Ch>(c);
        if (suffix) name += suffix;
        if (ext && *ext) {
            if (*ext != static_cast<Ch>('.')) name += static_cast<Ch>('.');
            name += ext;
        }
        for (Ch c : name)
            if (c == '\\' || c == '/' || c == ':') return 0;  // the result must be a bare file name
        if (name.size() >= TAVO_MAX_PATH) return 0;
        std::memcpy(out, name.c_str(), (name.size() + 1) * sizeof(Ch));
        return static_cast<int>(name.size());
    } catch (...) {
        out[0] = 0;
        return 0;
    }
}

}  // namespace

namespace {

// The narrow and wide system calls behind the program folder.
struct NarrowProgramPath {
    using Char = char;
    static DWORD OwnName(char* path, DWORD size) { return GetModuleFileNameA(nullptr, path, size); }
    static BOOL ImageName(HANDLE process, char* path, DWORD* size) {
        return QueryFullProcessImageNameA(process, 0, path, size);
    }
};
struct WideProgramPath {
    using Char = wchar_t;
    static DWORD OwnName(wchar_t* path, DWORD size) { return GetModuleFileNameW(nullptr, path, size); }
    static BOOL ImageName(HANDLE process, wchar_t* path, DWORD* size) {
        return QueryFullProcessImageNameW(process, 0, path, size);
    }
};

// The folder of the executable of process pid (0: this one), without a
// trailing separator, into out (260 characters). The executable's own path is
// asked for in a buffer that grows until it fits: a long path whose folder
// still fits is given.
template <class Api>
int ProgramFolder(DWORD pid, typename Api::Char* out) {
    using Char = typename Api::Char;
    if (out == nullptr) return 0;
    out[0] = Char(0);
    constexpr DWORD kLongest = 65536;  // past any path the system takes (32767)
    std::vector<Char> path;
    DWORD n = 0;
    UniqueKernelHandle process;
    const bool own = pid == 0 || pid == GetCurrentProcessId();
    if (!own) {
        process.Reset(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
        if (!process.IsValid()) return 0;
    }
    for (DWORD size = 512;; size *= 2) {
        if (size > kLongest) return 0;
        path.assign(size, Char(0));
        if (own) {
            n = Api::OwnName(path.data(), size);
            if (n == 0) return 0;
            if (n < size) break;  // a name that did not fit fills the buffer
        } else {
            n = size;
            if (Api::ImageName(process.Get(), path.data(), &n)) break;
            if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return 0;
        }
    }
    path.resize(n);
    size_t last = path.size();  // the last separator of either kind
    for (size_t i = 0; i < path.size(); ++i)
        if (path[i] == Char('\\') || path[i] == Char('/')) last = i;
    if (last == path.size() || last >= TAVO_MAX_PATH) return 0;
    std::copy(path.begin(), path.begin() + static_cast<std::ptrdiff_t>(last), out);
    out[last] = Char(0);
    return 1;
}

}  // namespace

extern "C" int GetProgramPathA(DWORD pid, char* out) { return ProgramFolder<NarrowProgramPath>(pid, out); }

extern "C" int GetProgramPathW(DWORD pid, wchar_t* out) { return ProgramFolder<WideProgramPath>(pid, out); }

extern "C" int RecursiveCreateDirectoryA(const char* path) {
    if (path == nullptr || *path == '\0') return 0;
    try {
        return CreateFolderTree(tavo_common::WideFromAnsi(path));
    } catch (...) {
        return 0;
    }
}

extern "C" int RecursiveCreateDirectoryW(const wchar_t* path) {
    if (path == nullptr || *path == L'\0') return 0;
    try {
        return CreateFolderTree(path);
    } catch (...) {
        return 0;
    }
}

// flag bit 0 adds milliseconds to the time text; reserved1/reserved2 are unused.
extern "C" int GetFileNameByDateA(char* out, const char* ext, const char* prefix, const char* suffix, int reserved1,
                                  int flag, int reserved2) {
    return MakeDateName(out, ext, prefix, suffix, flag);
}

extern "C" int GetFileNameByDateW(wchar_t* out, const wchar_t* ext, const wchar_t* prefix, const wchar_t* suffix,
                                  int reserved1, int flag, int reserved2) {
    return MakeDateName(out, ext, prefix, suffix, flag);
}

extern "C" int64_t ReadFileDataA(const char* path, unsigned char** block) {
    if (block) *block = nullptr;
    if (path == nullptr) return -1;
    try {
        return ReadWholeFile(tavo_common::WideFromAnsi(path).c_str(), block);
    } catch (...) {
        return -1;
    }
}

extern "C" int64_t ReadFileDataW(const wchar_t* path, unsigned char** block) { return ReadWholeFile(path, block); }

extern "C" void ReleaseFileData(unsigned char* block) { std::free(block); }

extern "C" int GetFileVersionW(const wchar_t* file, wchar_t* out, int outChars) {
    if (out == nullptr || outChars <= 0) return 0;
    out[0] = L'\0';
    if (file == nullptr) return 0;
    try {
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(file, &ignored);
        if (size == 0) return 0;
        std::string info(size, '\0');
        if (!GetFileVersionInfoW(file, 0, size, &info[0])) return 0;
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        if (!VerQueryValueW(&info[0], L"\\", reinterpret_cast<void**>(&fixed), &length) || fixed == nullptr ||
            length < sizeof(VS_FIXEDFILEINFO))
            return 0;
        wchar_t text[64];
        const int n = swprintf(text, 64, L"%u.%u.%u.%u", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                               HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
        if (n <= 0 || n >= outChars) return 0;
        std::memcpy(out, text, (static_cast<size_t>(n) + 1) * sizeof(wchar_t));
        return 1;
    } catch (...) {
        out[0] = L'\0';
        return 0;
    }
}

extern "C" int IsFileExistW(const wchar_t* path) {
    if (path == nullptr || *path == L'\0') return 0;
    const DWORD a = GetFileAttributesW(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0 ? 1 : 0;
}
