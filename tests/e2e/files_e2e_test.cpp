// The tool's log and data files when the disk will not take them: a Log
// folder on a file system that fills up in the middle of a run (a 48 KiB
// tmpfs), and a Log folder that cannot be made because a plain file has its
// name. Either way the user is told once per run, in one box naming the file
// and the system's reason, a notice stays in the chart's corner, the display
// goes on, and what reached the disk is a clean prefix of what was sent.
#include "ToolFixture.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <iostream>

#include "LinuxSide.h"
#include "RunChecks.h"
#include "SimFixture.h"
#include "resource.h"

namespace e2e {
namespace {

using namespace tooldriver;

constexpr int kPort = 7;
const wchar_t kNotRecording[] = L"未记录数据";
const wchar_t kNotLogging[] = L"未写入日志";

class FileFailureTest : public ToolTest {
protected:
    // The module reports every period ms, the distance changing every 150 ms.
    std::vector<std::string> SimOptions(const char* period) {
        std::string simBinary, sessionDir, problem;
        EXPECT_TRUE(devtest::SessionPaths(simBinary, sessionDir, problem)) << problem;
        const std::string script = sessionDir + "/file-failure-script.txt";
        EXPECT_TRUE(devtest::WriteWholeFile(script, "1 120 150\n2 340 150\n"));
        return {"--script", script, "--period", period};
    }
    void ConnectAndStart() {
        ASSERT_TRUE(SelectPort(m_window, kPort));
        Click(Control(m_window, IDC_BTN_CONNECT), 3000);
        ASSERT_TRUE(WaitText(IDC_BTN_CONNECT, L"断开设备"));
        Click(Control(m_window, IDC_BTN_START), 3000);
    }
    void Stop() {
        Click(Control(m_window, IDC_BTN_START), 10000);
        EXPECT_TRUE(WaitText(IDC_BTN_START, L"开始"));
    }
    std::wstring Notices() { return GetControlText(m_window, IDC_STATIC_WAVE); }
    bool Shows(const wchar_t* notice) { return Notices().find(notice) != std::wstring::npos; }
    // The distance label changes twice: reports are still read and shown.
    bool DisplayGoesOn() {
        const std::wstring first = GetControlText(m_window, IDC_STATIC_DISTANCE);
        std::wstring second;
        return WaitUntil([&] { return (second = GetControlText(m_window, IDC_STATIC_DISTANCE)) != first; }, kWait) &&
               WaitUntil([&] { return GetControlText(m_window, IDC_STATIC_DISTANCE) != second; }, kWait);
    }
    // The one box of a run, and while the module sends 100 more frames, no
    // second one. The box is left open.
    MessageBoxInfo TheOnlyBox(const devtest::CSimulator& sim) {
        MessageBoxInfo box = WaitForMessageBox(m_tool.Pid(), kWait);
        if (!box.hwnd) return box;
        EXPECT_EQ(L"错误", box.caption);
        EXPECT_EQ(BoxIcon::Error, box.icon) << BoxIconName(box.icon);
        EXPECT_GE(PingWindow(m_window), 0) << "the window answers behind the box";
        EXPECT_TRUE(DisplayGoesOn()) << "the display runs behind the box";
        const HWND first = box.hwnd;
        EXPECT_TRUE(DismissMessageBox(first));
        EXPECT_GE(PingWindow(m_window, kWait), 0);
        const int sent = sim.CountLog("TX");
        int boxes = 0;
        WaitUntil(
            [&] {
                for (const MessageBoxInfo& other : FindMessageBoxes(m_tool.Pid())) {
                    ++boxes;
                    DismissMessageBox(other.hwnd);
                }
                return sim.CountLog("TX") >= sent + 100;
            },
            kWait);
        EXPECT_EQ(0, boxes) << "one box per run";
        return box;
    }
    // The bytes the module sent once reporting began: everything after its
    // reply to "leave command mode", the last command of the start sequence.
    static std::string SentAfterStart(const std::string& simLog) {
        const size_t leave = simLog.rfind("leave command mode");
        if (leave == std::string::npos) return std::string();
        const size_t afterReply = simLog.find('\n', simLog.find(" TX ", leave));
        return afterReply == std::string::npos ? std::string() : BytesSent(simLog.substr(afterReply + 1));
    }
    static bool StartsWith(const std::vector<long>& all, const std::vector<long>& part) {
        return part.size() <= all.size() && std::equal(part.begin(), part.end(), all.begin());
    }
};

TEST_F(FileFailureTest, DiskFullMidRunIsToldOnceAndWhatFitIsAPrefixOfWhatWasSent) {
    ASSERT_TRUE(::CreateDirectoryW(Path(L"Log").c_str(), nullptr));
    CSmallDisk disk(Path(L"Log"), 48);
    ASSERT_TRUE(disk.Mounted()) << disk.Problem();
    // 200 reports a second: the log fills 48 KiB in a few seconds.
    devtest::CSimulator sim(kPort, SimOptions("5"));
    ASSERT_TRUE(sim.Started()) << sim.Problem();

    // Room is made again once both files were refused a write: a file that
    // took anything more would hold a gap.
    const std::wstring filler = Path(L"Log\\filler.bin");
    WriteFileBytes(filler, std::string(16384, 'f'));

    StartTool();
    EXPECT_FALSE(Shows(kNotLogging)) << "the log was made at start-up";
    ConnectAndStart();
    ASSERT_TRUE(WaitText(IDC_BTN_START, L"停止"));
    const MessageBoxInfo box = TheOnlyBox(sim);
    ASSERT_NE(nullptr, box.hwnd) << "no box about the full disk";
    const std::vector<std::wstring> logs = FilesIn(Path(L"Log"), L".log");
    const std::vector<std::wstring> data = FilesIn(Path(L"Log"), L".dat");
    ASSERT_EQ(1u, logs.size());
    ASSERT_EQ(1u, data.size());
    EXPECT_NE(std::wstring::npos, box.text.find(L"无法写入文件：")) << Utf8(box.text);
    EXPECT_TRUE(box.text.find(Path(L"Log\\") + logs[0]) != std::wstring::npos ||
                box.text.find(Path(L"Log\\") + data[0]) != std::wstring::npos)
        << "names the file: " << Utf8(box.text);
    EXPECT_NE(std::wstring::npos, box.text.find(SystemText(ERROR_DISK_FULL))) << Utf8(box.text);
    // Both files are on the full disk: both stop, each with its notice.
    EXPECT_TRUE(WaitUntil([&] { return Shows(kNotRecording) && Shows(kNotLogging); }, kWait)) << Utf8(Notices());
    EXPECT_TRUE(::DeleteFileW(filler.c_str()));
    const int frames = sim.CountLog("TX");
    EXPECT_TRUE(WaitUntil([&] { return sim.CountLog("TX") >= frames + 400; }, kWait)) << "2 s more of reports";
    EXPECT_TRUE(FindMessageBoxes(m_tool.Pid()).empty());
    EXPECT_EQ(L"停止", GetControlText(m_window, IDC_BTN_START)) << "the run goes on";
    Stop();
    EXPECT_TRUE(Shows(kNotRecording) && Shows(kNotLogging)) << "until the next start: " << Utf8(Notices());

    // The failure belongs to that run: a replay (which records nothing) and
    // back to live do not show it again.
    std::string shortRecording;
    for (int i = 0; i < 20; ++i) shortRecording += std::string("\xAA\xAA\x01\x64\x00\x55\x55", 7);
    WriteFileBytes(Path(L"short.dat"), shortRecording);
    ASSERT_NO_FATAL_FAILURE(Drop({Path(L"short.dat")}));
    ASSERT_TRUE(::PostMessageW(m_window, WM_SYSCOMMAND, IDM_BACK_TO_LIVE, 0));
    ASSERT_TRUE(HandledWhatWasPosted(m_window));
    EXPECT_FALSE(Shows(kNotRecording)) << "back to live from a recording not played: " << Utf8(Notices());
    ASSERT_NO_FATAL_FAILURE(Drop({Path(L"short.dat")}));
    Click(Control(m_window, IDC_BTN_START), 3000);
    EXPECT_TRUE(
        WaitUntil([&] { return GetControlText(m_window, IDC_STATIC_VERSION).find(L"0:01 / 0:01") == 0; }, kWait))
        << "the replay ran to its end";
    for (const MessageBoxInfo& other : FindMessageBoxes(m_tool.Pid())) {
        EXPECT_EQ(std::wstring::npos, other.text.find(L".dat")) << Utf8(other.text);
        DismissMessageBox(other.hwnd);
    }
    EXPECT_FALSE(Shows(kNotRecording)) << Utf8(Notices());
    ASSERT_TRUE(::PostMessageW(m_window, WM_SYSCOMMAND, IDM_BACK_TO_LIVE, 0));
    ASSERT_TRUE(HandledWhatWasPosted(m_window));
    EXPECT_FALSE(Shows(kNotRecording)) << "back to live after a replay: " << Utf8(Notices());
    EXPECT_EQ(0u, CloseTool());
    ASSERT_TRUE(sim.Stop());

    const std::string sent = SentAfterStart(sim.LogText());
    const std::string recorded = ReadFileBytes(Path(L"Log\\") + data[0]);
    const std::string log = ReadFileBytes(Path(L"Log\\") + logs[0]);
    std::cout << "[ figures  ] 48 KiB disk: " << recorded.size() << " bytes recorded, " << log.size()
              << " bytes logged, of " << sent.size() << " sent\n";
    EXPECT_LT(recorded.size(), sent.size()) << "the disk filled before the end";
    const auto differ = std::mismatch(recorded.begin(), recorded.end(), sent.begin(), sent.end()).first;
    EXPECT_EQ(recorded.end(), differ) << "the recording is a prefix of what was sent; it differs from byte "
                                      << (differ - recorded.begin());
    EXPECT_GT(FramesLogged(log).size(), 100u);
    EXPECT_TRUE(StartsWith(FramesIn(sent), FramesLogged(log))) << "the log's lines are the first reports, in order";
}

TEST_F(FileFailureTest, LogFolderThatCannotBeMadeIsToldAtEachStart) {
    const std::string blocker = "a plain file where the Log folder belongs";
    WriteFileBytes(Path(L"Log"), blocker);
    // What the system says to a file made in it.
    HANDLE probe = ::CreateFileW(Path(L"Log\\probe.dat").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_EQ(INVALID_HANDLE_VALUE, probe);
    const std::wstring reason = SystemText(::GetLastError());
    ASSERT_FALSE(reason.empty());
    devtest::CSimulator sim(kPort, SimOptions("20"));
    ASSERT_TRUE(sim.Started()) << sim.Problem();

    StartTool();
    EXPECT_TRUE(WaitUntil([&] { return Shows(kNotLogging); }, kWait)) << "no log from start-up on";
    EXPECT_FALSE(Shows(kNotRecording)) << "nothing to record yet";
    EXPECT_TRUE(BoxesOnceAnswering(m_window, m_tool.Pid()).empty()) << "start-up says it in the notice only";

    ConnectAndStart();
    ASSERT_TRUE(WaitText(IDC_BTN_START, L"停止"));
    for (int run = 1; run <= 2; ++run) {
        const MessageBoxInfo box = TheOnlyBox(sim);
        ASSERT_NE(nullptr, box.hwnd) << "no box in run " << run;
        const std::wstring& text = box.text;
        const std::wstring named = Path(L"Log\\Ladu330Pk27TOOL_");
        const size_t dat = text.find(named), log = text.find(named, dat + 1);
        ASSERT_NE(std::wstring::npos, log) << "names both files: " << Utf8(text);
        EXPECT_NE(std::wstring::npos, text.find(L".dat\n" + reason, dat)) << Utf8(text);
        EXPECT_NE(std::wstring::npos, text.find(L".log\n" + reason, log)) << Utf8(text);
        EXPECT_NE(std::wstring::npos, text.find(L"无法创建文件：")) << Utf8(text);
        EXPECT_TRUE(Shows(kNotRecording) && Shows(kNotLogging)) << Utf8(Notices());
        Stop();
        EXPECT_TRUE(Shows(kNotRecording) && Shows(kNotLogging)) << "until the next start: " << Utf8(Notices());
        if (run == 1) {
            Click(Control(m_window, IDC_BTN_START), 3000);
            ASSERT_TRUE(WaitText(IDC_BTN_START, L"停止"));
        }
    }
    EXPECT_EQ(0u, CloseTool());
    EXPECT_EQ(blocker, ReadFileBytes(Path(L"Log"))) << "the file in the way is left alone";
}

// What keeps a save of the settings out, put in place once the tool runs;
// undone by the returned function. reason is the system's code the box must
// show.
struct SaveObstacle {
    const char* name;
    std::function<std::function<void()>(const std::wstring& config, DWORD toolPid, DWORD& reason)> place;
};

class SettingsNotSavedTest : public FileFailureTest, public ::testing::WithParamInterface<SaveObstacle> {};

// The settings cannot be saved: told once a run with the file and the
// system's reason, a notice until a save works again, the old file whole.
TEST_P(SettingsNotSavedTest, ToldOnceWithTheSystemsReasonAndTheOldFileStays) {
    const std::string before = "<?xml version=\"1.0\"?>\n<AppConfig\n\tBaudRate=\"9600\" />\n";
    WriteFileBytes(ConfigPath(), before);
    devtest::CSimulator sim(kPort, SimOptions("50"));
    ASSERT_TRUE(sim.Started()) << sim.Problem();
    StartTool();
    DWORD reason = ERROR_SUCCESS;
    std::function<void()> release = GetParam().place(ConfigPath(), m_tool.Pid(), reason);
    ASSERT_TRUE(release) << "the obstacle could not be placed";
    ASSERT_NE(static_cast<DWORD>(ERROR_SUCCESS), reason);
    std::cout << "[ reason   ] " << GetParam().name << ": " << reason << " " << Utf8(SystemText(reason)) << "\n";
    ASSERT_TRUE(SetEditText(Control(m_window, IDC_EDIT_BAUDRATE), L"115200"));

    ASSERT_TRUE(SelectPort(m_window, kPort));
    Click(Control(m_window, IDC_BTN_CONNECT), 3000);
    const MessageBoxInfo box = WaitForMessageBox(m_tool.Pid(), kWait);
    if (!box.hwnd) release();
    ASSERT_NE(nullptr, box.hwnd) << "a save that failed said nothing";
    EXPECT_EQ(L"错误", box.caption);
    EXPECT_EQ(BoxIcon::Error, box.icon) << BoxIconName(box.icon);
    EXPECT_NE(std::wstring::npos, box.text.find(L"无法保存设置")) << Utf8(box.text);
    EXPECT_NE(std::wstring::npos, box.text.find(ConfigPath() + L"\n" + SystemText(reason))) << Utf8(box.text);
    EXPECT_EQ(std::wstring::npos, box.text.find(SystemText(ERROR_SUCCESS))) << Utf8(box.text);
    EXPECT_TRUE(DismissMessageBox(box.hwnd));
    EXPECT_TRUE(WaitText(IDC_BTN_CONNECT, L"断开设备"));
    EXPECT_TRUE(Shows(L"设置未保存")) << Utf8(Notices());

    // The next saves fail too: no second box; the old file is whole.
    Click(Control(m_window, IDC_BTN_CONNECT), 3000);
    EXPECT_TRUE(WaitText(IDC_BTN_CONNECT, L"连接设备"));
    EXPECT_TRUE(BoxesOnceAnswering(m_window, m_tool.Pid()).empty()) << "one box per run";
    release();
    EXPECT_EQ(before, ReadFileBytes(ConfigPath()));
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW(Path(L"appConfig.xml.*.tmp").c_str(), &found);
    const bool leftover = search != INVALID_HANDLE_VALUE;
    if (leftover) ::FindClose(search);
    EXPECT_FALSE(leftover) << "a temporary file was left: " << (leftover ? Utf8(found.cFileName) : "");

    // Room again: the next save works and the notice goes.
    Click(Control(m_window, IDC_BTN_CONNECT), 3000);
    ASSERT_TRUE(WaitText(IDC_BTN_CONNECT, L"断开设备"));
    EXPECT_TRUE(WaitUntil([&] { return !Shows(L"设置未保存"); }, kWait)) << Utf8(Notices());
    EXPECT_NE(std::string::npos, ReadFileBytes(ConfigPath()).find("\tBaudRate=\"115200\""));
    EXPECT_EQ(0u, CloseTool());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SettingsNotSavedTest,
    ::testing::Values(
        // The temporary file the save writes first cannot be made: a folder has its name.
        SaveObstacle{"TemporaryFileCannotBeMade",
                     [](const std::wstring& config, DWORD pid, DWORD& reason) -> std::function<void()> {
                         const std::wstring blocker = config + L"." + std::to_wstring(pid) + L".tmp";
                         if (!::CreateDirectoryW(blocker.c_str(), nullptr)) return nullptr;
                         // What the system says to a file made under that name.
                         HANDLE probe = ::CreateFileW(blocker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                                      FILE_ATTRIBUTE_NORMAL, nullptr);
                         reason = probe == INVALID_HANDLE_VALUE ? ::GetLastError() : ERROR_SUCCESS;
                         if (probe != INVALID_HANDLE_VALUE) ::CloseHandle(probe);
                         return [blocker] { ::RemoveDirectoryW(blocker.c_str()); };
                     }},
        // Another process (this test) holds the file open sharing nothing, as
        // a sync client or an editor may.
        SaveObstacle{"HeldOpenWithoutSharing",
                     [](const std::wstring& config, DWORD, DWORD& reason) -> std::function<void()> {
                         HANDLE holder = ::CreateFileW(config.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                                       FILE_ATTRIBUTE_NORMAL, nullptr);
                         if (holder == INVALID_HANDLE_VALUE) return nullptr;
                         reason = ERROR_SHARING_VIOLATION;
                         return [holder] { ::CloseHandle(holder); };
                     }},
        // A configuration the tool may not write and whose attributes do not
        // say read-only (root is not stopped by a file's mode; a read-only
        // file system stops everyone): a read-only view of the file.
        SaveObstacle{"OnAReadOnlyFileSystem",
                     [](const std::wstring& config, DWORD, DWORD& reason) -> std::function<void()> {
                         auto view = std::make_shared<CReadOnlyView>(config);
                         if (!view->Mounted()) {
                             ADD_FAILURE() << view->Problem();
                             return nullptr;
                         }
                         const DWORD attributes = ::GetFileAttributesW(config.c_str());
                         EXPECT_EQ(0u, attributes & FILE_ATTRIBUTE_READONLY) << "it would be skipped in silence";
                         // What the system says to opening it for writing (EROFS underneath;
                         // Wine tells it as access denied, as Windows tells a file an
                         // elevated run made).
                         HANDLE probe = ::CreateFileW(config.c_str(), GENERIC_WRITE,
                                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
                         reason = probe == INVALID_HANDLE_VALUE ? ::GetLastError() : ERROR_SUCCESS;
                         if (probe != INVALID_HANDLE_VALUE) ::CloseHandle(probe);
                         return [view] { view->Unmount(); };
                     }}),
    [](const ::testing::TestParamInfo<SaveObstacle>& info) { return std::string(info.param.name); });

// The only save that fails is the one at exit: the window says so before it goes.
TEST_F(FileFailureTest, SettingsThatCannotBeSavedAtExitAreToldBeforeTheWindowCloses) {
    StartTool();
    const std::wstring blocker = ConfigPath() + L"." + std::to_wstring(m_tool.Pid()) + L".tmp";
    ASSERT_TRUE(::CreateDirectoryW(blocker.c_str(), nullptr));
    ASSERT_TRUE(SetEditText(Control(m_window, IDC_EDIT_BAUDRATE), L"115200"));
    ASSERT_TRUE(::PostMessageW(m_window, WM_SYSCOMMAND, SC_CLOSE, 0));
    const MessageBoxInfo box = WaitForMessageBox(m_tool.Pid(), kWait);
    ASSERT_NE(nullptr, box.hwnd) << "the failed save at exit said nothing";
    EXPECT_NE(std::wstring::npos, box.text.find(L"无法保存设置")) << Utf8(box.text);
    EXPECT_TRUE(DismissMessageBox(box.hwnd));
    DWORD exitCode = 0xDEAD;
    ASSERT_TRUE(WaitForExitOrKill(m_tool, kWait, &exitCode));
    EXPECT_EQ(0u, exitCode);
    EXPECT_EQ(std::string::npos, ReadFileBytes(ConfigPath()).find("115200"));
    ::RemoveDirectoryW(blocker.c_str());
}

// The tool run from a folder so deep that the paths of its files pass 260
// characters: the folder near 260, the tool's own path still below (Wine, like
// Windows, starts no program whose path is longer; a Log folder past 260:
// AcquisitionTests). The recording, the log and the settings land beside the tool, whole; a
// file that cannot be made is named in full.
class LongFolderTest : public FileFailureTest, public ::testing::WithParamInterface<size_t> {
protected:
    void SetUp() override {
        m_folderLength = GetParam();
        FileFailureTest::SetUp();
    }
};

TEST_P(LongFolderTest, RecordingLogAndSettingsLandBesideTheTool) {
    ASSERT_EQ(GetParam(), m_folder.size());
    devtest::CSimulator sim(kPort, SimOptions("20"));
    ASSERT_TRUE(sim.Started()) << sim.Problem();
    StartTool();
    ConnectAndStart();
    ASSERT_TRUE(WaitText(IDC_BTN_START, L"停止"));
    auto recorded = [&] {
        const std::vector<std::wstring> data = FilesIn(Path(L"Log"), L".dat");
        return data.size() == 1 ? ReadFileBytes(Path(L"Log\\") + data[0]) : std::string();
    };
    EXPECT_TRUE(WaitUntil([&] { return FramesIn(recorded()).size() >= 20; }, kWait)) << "20 reports recorded";
    Stop();
    DWORD exitCode = 0xDEAD;
    const std::vector<MessageBoxInfo> boxes = CloseWatchingForBoxes(m_window, m_tool, &exitCode);
    EXPECT_TRUE(boxes.empty()) << Describe(boxes);
    EXPECT_EQ(0u, exitCode);
    ASSERT_TRUE(sim.Stop());

    const std::vector<std::wstring> logs = FilesIn(Path(L"Log"), L".log");
    const std::vector<std::wstring> data = FilesIn(Path(L"Log"), L".dat");
    ASSERT_EQ(1u, logs.size());
    ASSERT_EQ(1u, data.size());
    EXPECT_GT((Path(L"Log\\") + data[0]).size(), 260u);
    const std::string sent = SentAfterStart(sim.LogText());
    const std::string recording = ReadFileBytes(Path(L"Log\\") + data[0]);
    const std::vector<long> logged = FramesLogged(ReadFileBytes(Path(L"Log\\") + logs[0]));
    ASSERT_FALSE(recording.empty());
    EXPECT_EQ(sent.substr(0, recording.size()), recording) << "the recording is what the module sent";
    EXPECT_EQ(FramesIn(recording).size(), logged.size()) << "one log line per report";
    EXPECT_TRUE(StartsWith(FramesIn(sent), logged)) << "the log's lines are the reports, in order";
    EXPECT_NE(std::string::npos, ReadFileBytes(ConfigPath()).find("<AppConfig")) << "the settings were saved";
}

TEST_P(LongFolderTest, AFileThatCannotBeMadeIsNamedInFull) {
    WriteFileBytes(Path(L"Log"), "a plain file where the Log folder belongs");
    devtest::CSimulator sim(kPort, SimOptions("20"));
    ASSERT_TRUE(sim.Started()) << sim.Problem();
    StartTool();
    ConnectAndStart();
    ASSERT_TRUE(WaitText(IDC_BTN_START, L"停止"));
    const MessageBoxInfo box = WaitForMessageBox(m_tool.Pid(), kWait);
    ASSERT_NE(nullptr, box.hwnd) << "no box about the files";
    const std::wstring named = Path(L"Log\\Ladu330Pk27TOOL_");
    const size_t dat = box.text.find(named);
    EXPECT_NE(std::wstring::npos, dat) << Utf8(box.text);
    EXPECT_NE(std::wstring::npos, box.text.find(L".dat\n", dat)) << Utf8(box.text);
    EXPECT_TRUE(DismissMessageBox(box.hwnd));
    Stop();
    EXPECT_EQ(0u, CloseTool());
}

INSTANTIATE_TEST_SUITE_P(FolderLength, LongFolderTest, ::testing::Values(230u));

}  // namespace
}  // namespace e2e
