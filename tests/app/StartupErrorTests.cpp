// The socket start-up failure as the user sees it: the message box itself,
// with the tool's strings, watched and closed from a second thread.
#include "StartupErrors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>

#include "ToolDriver.h"
#include "framework/ResourceStrings.h"
#include "framework/SystemMessage.h"

namespace {

using namespace tooldriver;

constexpr DWORD kWait = 60000;
constexpr LANGID kChinese = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);
constexpr LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

int WSAAPI FailingStartup(WORD, LPWSADATA) { return WSASYSNOTREADY; }

struct SeenBox {
    bool shown = false;
    MessageBoxInfo info;
    HWND owner = nullptr;
};

// Runs action on this thread (it blocks while a box is open); a second
// thread notes the first box of this process that shows and closes it.
template <class Action>
SeenBox WatchBoxes(Action action) {
    SeenBox seen;
    std::atomic<bool> done{false};
    std::thread watcher([&] {
        const DWORD pid = ::GetCurrentProcessId();
        WaitUntil([&] { return done.load() || !FindMessageBoxes(pid).empty(); }, kWait);
        std::vector<MessageBoxInfo> boxes = FindMessageBoxes(pid);
        if (boxes.empty()) return;
        seen.shown = true;
        seen.info = boxes.front();
        seen.owner = ::GetWindow(seen.info.hwnd, GW_OWNER);
        DismissMessageBox(seen.info.hwnd);
    });
    action();
    done = true;
    watcher.join();
    return seen;
}

class StartupErrors : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The tool's own string table, from the executable beside this test.
        wchar_t path[MAX_PATH];
        ::GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring tool(path);
        tool = tool.substr(0, tool.find_last_of(L'\\') + 1) + L"Tavo_Ladu330_Pk27Tool.exe";
        s_hTool = ::LoadLibraryExW(tool.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        SetResourceModule(s_hTool);
    }
    static void TearDownTestSuite() {
        SetResourceModule(nullptr);
        if (s_hTool) ::FreeLibrary(s_hTool);
    }
    void SetUp() override { ASSERT_NE(s_hTool, nullptr) << "the tool's executable is not beside the test"; }
    static HMODULE s_hTool;
};

HMODULE StartupErrors::s_hTool = nullptr;

TEST_F(StartupErrors, FailedSocketStartUpIsToldLikeEveryOtherError) {
    SetResourceLanguage(kChinese, kChinese);
    bool started = true;
    SeenBox box = WatchBoxes([&] {
        WinsockSession sockets;
        started = sockets.Start(nullptr, FailingStartup);
    });
    EXPECT_FALSE(started);
    ASSERT_TRUE(box.shown);
    EXPECT_EQ(box.info.caption, L"错误");
    EXPECT_EQ(box.info.text, L"Windows 套接字初始化失败。");
    EXPECT_EQ(box.info.icon, BoxIcon::Error) << BoxIconName(box.info.icon);
    EXPECT_EQ(box.owner, nullptr);  // no window exists yet at that point of start-up
}

TEST_F(StartupErrors, TheBoxBelongsToAnOwnerWhenThereIsOneAndSpeaksTheChosenLanguage) {
    SetResourceLanguage(kEnglish, kChinese);
    HWND owner = ::CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60, 60, 300, 200, nullptr,
                                   nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(owner, nullptr);
    SeenBox box = WatchBoxes([&] {
        WinsockSession sockets;
        sockets.Start(owner, FailingStartup);
    });
    ::DestroyWindow(owner);
    ASSERT_TRUE(box.shown);
    EXPECT_EQ(box.owner, owner);
    EXPECT_EQ(box.info.caption, L"Error");
    EXPECT_EQ(box.info.text, L"Windows Sockets could not be started.");
}

// Wine 8 puts an ordinary box on top only when it is also system-modal, so
// the topmost request is checked where the box is asked for.
struct AskedBox {
    HWND owner;
    std::wstring text, caption;
    UINT type;
};
AskedBox gAsked;

int WINAPI RecordBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    gAsked = AskedBox{owner, text ? text : L"(none)", caption ? caption : L"(none)", type};
    return IDOK;
}

TEST_F(StartupErrors, ErrorBoxesAskForTheErrorIconAndToStayOnTop) {
    SetResourceLanguage(kChinese, kChinese);
    gAsked = AskedBox{};
    HWND owner = reinterpret_cast<HWND>(0x1234);  // only passed on
    ShowErrorBox(owner, 102, RecordBox);
    EXPECT_EQ(gAsked.type, static_cast<UINT>(MB_ICONERROR | MB_TOPMOST));
    EXPECT_EQ(gAsked.owner, owner);
    EXPECT_EQ(gAsked.caption, L"错误");
    EXPECT_EQ(gAsked.text, L"Windows 套接字初始化失败。");
}

// Stand-ins for GetModuleFileNameW: a path of gLongName's length, cut to
// the buffer as the system cuts it; or no answer at all.
std::wstring gLongName;
DWORD WINAPI LongModuleName(HMODULE, LPWSTR out, DWORD size) {
    const DWORD n = static_cast<DWORD>(gLongName.size() < size ? gLongName.size() : size - 1);
    std::copy(gLongName.begin(), gLongName.begin() + n, out);
    out[n] = L'\0';
    if (n < gLongName.size()) {
        ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    return n;
}
DWORD WINAPI NoModuleName(HMODULE, LPWSTR, DWORD) {
    ::SetLastError(ERROR_ACCESS_DENIED);
    return 0;
}

TEST_F(StartupErrors, AProgramFolderOfAnyLengthIsFoundWithoutABox) {
    for (size_t length : {100u, 600u, 5000u}) {
        gLongName = L"C:\\" + std::wstring(length, L'd') + L"\\Tavo_Ladu330_Pk27Tool.exe";
        EXPECT_EQ(gLongName, ModuleFileName(nullptr, nullptr, LongModuleName)) << length;
        EXPECT_EQ(L"C:\\" + std::wstring(length, L'd'), ProgramFolder(nullptr, LongModuleName)) << length;
        gAsked = AskedBox{};
        EXPECT_TRUE(ProgramFolderFound(nullptr, LongModuleName, RecordBox)) << length;
        EXPECT_TRUE(gAsked.text.empty()) << length;
    }
}

TEST_F(StartupErrors, AProgramFolderThatCannotBeFoundIsToldWithTheReason) {
    SetResourceLanguage(kChinese, kChinese);
    gAsked = AskedBox{};
    DWORD error = 0;
    EXPECT_TRUE(ProgramFolder(&error, NoModuleName).empty()) << "no relative stand-in";
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), error);
    EXPECT_FALSE(ProgramFolderFound(nullptr, NoModuleName, RecordBox));
    EXPECT_EQ(gAsked.caption, L"错误");
    EXPECT_EQ(gAsked.type, static_cast<UINT>(MB_ICONERROR | MB_TOPMOST));
    EXPECT_EQ(gAsked.text, L"无法确定本程序所在的文件夹（设置、日志和数据文件都保存在那里），程序无法启动：\n" +
                               SystemMessage(ERROR_ACCESS_DENIED));
    SetResourceLanguage(kEnglish, kChinese);
    EXPECT_FALSE(ProgramFolderFound(nullptr, NoModuleName, RecordBox));
    EXPECT_EQ(gAsked.caption, L"Error");
    EXPECT_EQ(0u, gAsked.text.find(L"The folder this program runs from could not be found")) << gAsked.text.size();
}

TEST_F(StartupErrors, StartedSocketsShowNothing) {
    SetResourceLanguage(kChinese, kChinese);
    bool started = false;
    SeenBox box = WatchBoxes([&] {
        WinsockSession sockets;
        started = sockets.Start(nullptr);
    });
    EXPECT_TRUE(started);
    EXPECT_FALSE(box.shown);
}

}  // namespace
