// The Windows-only part of Tavo_Common.dll, through its import library.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cwctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <set>
#include <sstream>
#include <string>

#include "Tavo_Common.h"
#include "TestWait.h"

namespace {

std::wstring TempFolder() {
    wchar_t base[MAX_PATH];
    const DWORD n = GetTempPathW(MAX_PATH, base);
    EXPECT_GT(n, 0u);
    wchar_t unique[64];
    swprintf(unique, 64, L"tavo_common_test_%lu_%lu", GetCurrentProcessId(), GetTickCount());
    return std::wstring(base) + unique;
}

std::string Ansi(const std::wstring& w) {
    std::string s;
    for (wchar_t c : w) s += static_cast<char>(c);  // test paths are plain ASCII
    return s;
}

// ---------------------------------------------------------------------------

struct RecordingBody : IThreadFuncInterface {
    Signal signal;
    bool started = false;
    bool release = false;
    int runs = 0;
    DWORD threadId = 0;
    std::wstring description;
    int ThreadFunc() override {
        using GetDescription = HRESULT(WINAPI*)(HANDLE, PWSTR*);
        auto get =
            reinterpret_cast<GetDescription>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetThreadDescription"));
        std::wstring name;
        PWSTR text = nullptr;
        if (get && SUCCEEDED(get(GetCurrentThread(), &text)) && text) {
            name = text;
            LocalFree(text);
        }
        signal.Update([&] {
            started = true;
            ++runs;
            threadId = GetCurrentThreadId();
            description = name;
        });
        signal.WaitFor([&] { return release; });
        return 0;
    }
};

TEST(BaseThread, RunsTheBodyOnceOnItsOwnNamedThreadAndStopWaits) {
    RecordingBody body;
    CBaseThread thread;
    thread.StopThread();  // idle: harmless
    ASSERT_TRUE(thread.StartThread("ABDData", &body, 0x1234, 0, 0x400000, 0));
    ASSERT_TRUE(body.signal.WaitFor([&] { return body.started; }));
    EXPECT_TRUE(thread.IsRunning());
    EXPECT_EQ(0x1234u, thread.GetUserData());
    EXPECT_FALSE(thread.StartThread("again", &body, 0, 0, 0, 0)) << "a second start while running";
    body.signal.Update([&] { body.release = true; });
    thread.StopThread();
    EXPECT_FALSE(thread.IsRunning());
    std::lock_guard<std::mutex> lock(body.signal.Mutex());
    EXPECT_EQ(1, body.runs);
    EXPECT_NE(GetCurrentThreadId(), body.threadId);
    if (GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetThreadDescription")) {
        EXPECT_EQ(L"ABDData", body.description);
    }
}

TEST(BaseThread, CanBeStartedAgainAfterItsBodyReturned) {
    RecordingBody body;
    body.release = true;
    CBaseThread thread;
    ASSERT_TRUE(thread.StartThread("first", &body, 0, 0, 0, 0));
    thread.StopThread();
    ASSERT_TRUE(thread.StartThread("second", &body, 0, 0, 0, 0));
    thread.StopThread();
    std::lock_guard<std::mutex> lock(body.signal.Mutex());
    EXPECT_EQ(2, body.runs);
}

// ---------------------------------------------------------------------------

// The narrow or wide program path, for this process asked as 0 and by its id,
// against the folder of the executable's own file name.
template <class Char, class ModuleFileName, class ProgramPath>
void ExpectProgramPathIsExecutableFolder(ModuleFileName moduleFileName, ProgramPath programPath) {
    Char expected[MAX_PATH];
    ASSERT_GT(moduleFileName(nullptr, expected, MAX_PATH), 0u);
    expected[std::basic_string<Char>(expected).find_last_of(Char('\\'))] = Char(0);
    Char out[TAVO_MAX_PATH];
    for (DWORD pid : {DWORD(0), GetCurrentProcessId()}) {
        ASSERT_TRUE(programPath(pid, out)) << "pid " << pid;
        EXPECT_STREQ(expected, out) << "pid " << pid;
    }
    EXPECT_FALSE(programPath(0, nullptr));
}

TEST(Files, ProgramPathIsTheFolderOfTheExecutable) {
    ExpectProgramPathIsExecutableFolder<char>(GetModuleFileNameA, GetProgramPathA);
    ExpectProgramPathIsExecutableFolder<wchar_t>(GetModuleFileNameW, GetProgramPathW);
}

TEST(Files, CreatesNestedFoldersAndReadsWholeFiles) {
    const std::string root = Ansi(TempFolder());
    char folder[TAVO_MAX_PATH];
    ASSERT_TRUE(CombinePathNameA(folder, root.c_str(), "a\\b\\Log"));
    ASSERT_TRUE(RecursiveCreateDirectoryA(folder));
    EXPECT_TRUE(RecursiveCreateDirectoryA(folder)) << "already there";
    char file[TAVO_MAX_PATH];
    ASSERT_TRUE(CombinePathNameA(file, folder, "data.bin"));

    const char content[] = "abc\0def";
    {
        HANDLE h = CreateFileA(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, h);
        DWORD written = 0;
        WriteFile(h, content, 7, &written, nullptr);
        CloseHandle(h);
    }
    unsigned char* block = nullptr;
    ASSERT_EQ(7, ReadFileDataA(file, &block));
    ASSERT_NE(nullptr, block);
    EXPECT_EQ(0, std::memcmp(block, content, 7));
    EXPECT_EQ(0, block[7]) << "a NUL follows the data";
    ReleaseFileData(block);

    const std::wstring wfile(file, file + std::strlen(file));
    const std::wstring wfolder(folder, folder + std::strlen(folder));
    EXPECT_TRUE(IsFileExistW(wfile.c_str()));
    EXPECT_FALSE(IsFileExistW(wfolder.c_str())) << "a folder is no file";
    EXPECT_FALSE(IsFileExistW((wfolder + L"\\missing").c_str()));

    block = reinterpret_cast<unsigned char*>(1);
    EXPECT_EQ(-1, ReadFileDataA((std::string(folder) + "\\missing").c_str(), &block));
    EXPECT_EQ(nullptr, block);
    block = reinterpret_cast<unsigned char*>(1);
    EXPECT_EQ(-1, ReadFileDataW(wfolder.c_str(), &block));
    EXPECT_EQ(nullptr, block);
    EXPECT_EQ(-1, ReadFileDataA(file, nullptr));

    DeleteFileA(file);
    RemoveDirectoryA(folder);
    RemoveDirectoryA((root + "\\a\\b").c_str());
    RemoveDirectoryA((root + "\\a").c_str());
    RemoveDirectoryA(root.c_str());
}

// Copies a file; false when it could not.
bool CopyInto(const std::wstring& from, const std::wstring& to) {
    return CopyFileW(from.c_str(), to.c_str(), FALSE) != 0;
}

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L"\\/")); }

// A folder name the ANSI code page cannot spell (cp1252 has no Chinese).
bool AnsiCannotSpell(const std::wstring& name) {
    BOOL usedDefault = FALSE;
    char out[MAX_PATH * 2];
    WideCharToMultiByte(CP_ACP, 0, name.c_str(), -1, out, sizeof out, nullptr, &usedDefault);
    return usedDefault != FALSE;
}

TEST(Files, WideFormsWorkInAFolderTheAnsiCodePageCannotSpell) {
    const std::wstring root = TempFolder();
    const std::wstring folder = root + L"\\雷达工具\\Log";
    ASSERT_TRUE(AnsiCannotSpell(folder)) << "code page " << GetACP();
    ASSERT_TRUE(RecursiveCreateDirectoryW(folder.c_str()));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(folder.c_str())) << "the folder has its own name";

    wchar_t name[TAVO_MAX_PATH];
    ASSERT_TRUE(GetFileNameByDateW(name, L".dat", L"Tool_", L"", 0, 1, 0));
    wchar_t file[TAVO_MAX_PATH];
    ASSERT_TRUE(CombinePathNameW(file, folder.c_str(), name));
    {
        HANDLE h = CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, h);
        DWORD written = 0;
        WriteFile(h, "\xAA\xAA\x01", 3, &written, nullptr);
        CloseHandle(h);
    }
    unsigned char* block = nullptr;
    ASSERT_EQ(3, ReadFileDataW(file, &block));
    EXPECT_EQ(0, std::memcmp(block, "\xAA\xAA\x01", 3));
    ReleaseFileData(block);

    // The program path of a process started from that folder.
    wchar_t self[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    const std::wstring exe = folder + L"\\copy.exe";
    ASSERT_TRUE(CopyInto(self, exe));
    ASSERT_TRUE(CopyInto(FolderOf(self) + L"\\Tavo_Common.dll", folder + L"\\Tavo_Common.dll"));
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::wstring command = L"\"" + exe + L"\" --gtest_list_tests";
    ASSERT_TRUE(CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                               &si, &pi));
    wchar_t other[TAVO_MAX_PATH];
    const int found = GetProgramPathW(pi.dwProcessId, other);
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 30000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_TRUE(found);
    EXPECT_EQ(0, lstrcmpiW(folder.c_str(), other)) << "another process's folder";

    DeleteFileW(exe.c_str());
    DeleteFileW((folder + L"\\Tavo_Common.dll").c_str());
    DeleteFileW(file);
    RemoveDirectoryW(folder.c_str());
    RemoveDirectoryW((root + L"\\雷达工具").c_str());
    RemoveDirectoryW(root.c_str());
}

TEST(Files, DateNamesAreBareDistinctAndCarryPrefixAndExtension) {
    char first[TAVO_MAX_PATH], second[TAVO_MAX_PATH];
    ASSERT_TRUE(GetFileNameByDateA(first, ".log", "Tool_", "", 0, 1, 0));
    ASSERT_TRUE(GetFileNameByDateA(second, ".log", "Tool_", "", 0, 1, 0));
    EXPECT_STRNE(first, second);
    std::set<std::string> names{first, second};
    for (int i = 0; i < 200; ++i) {
        char name[TAVO_MAX_PATH];
        ASSERT_TRUE(GetFileNameByDateA(name, "dat", "Tool_", "", 0, 0, 0));
        ASSERT_TRUE(names.insert(name).second) << name;
    }
    for (const std::string& n : names) {
        EXPECT_EQ(0u, n.find("Tool_")) << n;
        EXPECT_EQ(std::string::npos, n.find_first_of("\\/:")) << n;
        EXPECT_EQ(1u, std::count(n.begin(), n.end(), '.')) << n;
    }
    EXPECT_EQ(".log", std::string(first).substr(std::strlen(first) - 4));

    wchar_t wide[TAVO_MAX_PATH];
    ASSERT_TRUE(GetFileNameByDateW(wide, L"jpg", L"Temp_", L"", 0, 0, 0));
    const std::wstring w = wide;
    EXPECT_EQ(0u, w.find(L"Temp_"));
    EXPECT_EQ(L".jpg", w.substr(w.size() - 4));
    EXPECT_FALSE(GetFileNameByDateA(nullptr, ".log", "x", "", 0, 0, 0));
    EXPECT_FALSE(GetFileNameByDateA(first, ".log", std::string(300, 'p').c_str(), "", 0, 0, 0));
}

TEST(Files, VersionOfTheLibraryComesFromItsResource) {
    HMODULE self = GetModuleHandleW(L"Tavo_Common.dll");
    ASSERT_NE(nullptr, self);
    wchar_t path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(self, path, MAX_PATH), 0u);
    wchar_t version[TAVO_MAX_PATH];
    ASSERT_TRUE(GetFileVersionW(path, version, TAVO_MAX_PATH));
    const std::string expected = TOOL_VERSION_TEXT;
    EXPECT_EQ(std::wstring(expected.begin(), expected.end()), version);
    EXPECT_FALSE(GetFileVersionW(path, version, 3)) << "too small a buffer";
    EXPECT_FALSE(GetFileVersionW(L"C:\\no\\such.dll", version, TAVO_MAX_PATH));
}

// ---------------------------------------------------------------------------

unsigned long PortNumber(const wchar_t* name) {
    const wchar_t* p = name + std::wcslen(name);
    while (p > name && iswdigit(p[-1])) --p;
    return std::wcstoul(p, nullptr, 10);
}

TEST(SerialPorts, EnumeratesWhatIsListedSortedByNumberAndFrees) {
    // The session may list any ports (Wine maps /dev/ttyS* and configured
    // ports): whatever is there comes back in number order.
    CPtrListCtrl names;
    const int count = EnumSerialPortNameW(&names);
    ASSERT_EQ(count, names.GetCount());
    for (int i = 0; i < count; ++i) {
        const auto* name = static_cast<const wchar_t*>(names.GetAt(i));
        ASSERT_NE(nullptr, name);
        EXPECT_EQ(0, _wcsnicmp(name, L"COM", 3)) << i;
        if (i > 0) {
            EXPECT_LT(PortNumber(static_cast<const wchar_t*>(names.GetAt(i - 1))), PortNumber(name));
        }
    }
    // A session that mapped ports (WINE_SESSION_PORTS="2 12") must list them.
    std::set<unsigned long> listed;
    for (int i = 0; i < count; ++i) {
        const auto* name = static_cast<const wchar_t*>(names.GetAt(i));
        listed.insert(PortNumber(name));
        std::printf("listed port %ls\n", name);
    }
    if (const char* mapped = std::getenv("WINE_SESSION_PORTS")) {
        std::istringstream numbers(mapped);
        for (unsigned long n; numbers >> n;) EXPECT_EQ(1u, listed.count(n)) << "COM" << n;
    }
    FreeSerialPortNameA(&names);
    EXPECT_EQ(0, names.GetCount());
    EXPECT_EQ(0, EnumSerialPortNameW(nullptr));
    FreeSerialPortNameA(nullptr);
}

// ---------------------------------------------------------------------------

TEST(Bitmaps, PositiveHeightGivesTopDownPixels) {
    void* bits = nullptr;
    HBITMAP bitmap = CreateHBitmap(&bits, 7, 5, 32, nullptr, 0);
    ASSERT_NE(nullptr, bitmap);
    ASSERT_NE(nullptr, bits);
    // Pixel (2, 1) is element 1 * width + 2.
    static_cast<uint32_t*>(bits)[1 * 7 + 2] = 0x00102030;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    EXPECT_EQ(RGB(0x10, 0x20, 0x30), GetPixel(dc, 2, 1));
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);

    bitmap = CreateHBitmap(&bits, 4, -3, 24, nullptr, 0);
    ASSERT_NE(nullptr, bitmap);
    DIBSECTION section{};
    ASSERT_EQ(static_cast<int>(sizeof section), GetObjectW(bitmap, sizeof section, &section));
    EXPECT_GT(section.dsBmih.biHeight, 0) << "negative height: bottom-up";
    EXPECT_EQ(24, section.dsBmih.biBitCount);
    DeleteObject(bitmap);

    EXPECT_EQ(nullptr, CreateHBitmap(&bits, 0, 5, 32, nullptr, 0));
    EXPECT_EQ(nullptr, bits);
    EXPECT_EQ(nullptr, CreateHBitmap(&bits, 5, 5, 13, nullptr, 0));
    EXPECT_EQ(nullptr, CreateHBitmap(nullptr, 100000, 100000, 32, nullptr, 0));
}

}  // namespace
