// "导出CSV…" in the main window's system menu, driven as a user would: the
// command chosen, both file dialogs filled, the box read. The CSV must be the
// bytes zuv_rec (the host build's, run on the Linux side of the session)
// writes for the same recording (at the default period; time_s follows the
// configured ReportTimeMS); a CSV that cannot be finished must not stay, and a
// file being replaced keeps its old content until the new one is whole.
#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "LinuxSide.h"
#include "RunChecks.h"
#include "SimFixture.h"
#include "ToolFixture.h"
#include "resource.h"

namespace e2e {
namespace {

using namespace tooldriver;

constexpr WPARAM kExportCommand = 0x0200;
const wchar_t kProgress[] = L"正在导出CSV: ";
const wchar_t kReportsLine[] = L"报告帧数: ";
const wchar_t kSkippedLine[] = L"跳过的字节数(不属于任何报告帧): ";

// A recording as the tool writes one: report frames (AA AA state distance 55
// 55), noise between some of them (never AA, so it holds no frame), and the
// start of a frame cut off at the end.
struct Recording {
    std::string bytes;
    int reports = 0;
    int outsideFrames = 0;  // bytes in no frame: the noise and the cut-off end
};

Recording MakeRecording(int reports) {
    Recording made;
    for (int i = 0; i < reports; ++i) {
        if (i % 7 == 3) {
            const int noise = i % 5 + 1;
            for (int k = 0; k < noise; ++k) made.bytes.push_back(static_cast<char>((i * 31 + k * 17) % 0xA0));
            made.outsideFrames += noise;
        }
        const int state = i / 40 % 3;
        const int distance = i * 13 % 800;
        const char frame[] = {'\xAA',
                              '\xAA',
                              static_cast<char>(state),
                              static_cast<char>(distance & 0xFF),
                              static_cast<char>(distance >> 8),
                              '\x55',
                              '\x55'};
        made.bytes.append(frame, sizeof frame);
    }
    made.bytes += std::string("\xAA\xAA\x01", 3);
    made.outsideFrames += 3;
    made.reports = reports;
    return made;
}

::testing::AssertionResult Choose(HWND dialog, const std::wstring& path) {
    if (!ChooseFile(dialog, path, kWait))
        return ::testing::AssertionFailure() << "the dialog did not take " << Utf8(path);
    return ::testing::AssertionSuccess();
}

// "zuv_rec csv FILE" of the host build, its output into csv (both Linux paths); its exit status.
int RunZuvRec(const std::string& recording, const std::string& csv, std::string& problem) {
    std::string sim, session;
    if (!devtest::SessionPaths(sim, session, problem)) return -1;
    const std::string zuvRec = sim.substr(0, sim.find_last_of('/') + 1) + "zuv_rec";
    if (!devtest::FileExists(zuvRec)) {
        problem = "no zuv_rec beside zuv_sim: " + zuvRec;
        return -1;
    }
    const std::string script = session + "/zuv-rec-csv-" + std::to_string(::GetCurrentProcessId()) + ".sh";
    devtest::WriteWholeFile(script, "\"$1\" csv \"$2\" >\"$3\"\n");
    const int status = RunShellScript(script, {zuvRec, recording, csv}, kWait, problem);
    ::DeleteFileW(devtest::WinPath(script).c_str());
    return status;
}

// "zuv_rec.exe csv FILE" of the Windows build (ZUV_REC_EXE), run here under
// Wine with its standard output going to the file csv; its exit status, or -1
// with problem set.
int RunZuvRecExe(const std::wstring& recording, const std::wstring& csv, std::string& problem) {
    const std::wstring exe = devtest::WinPath(ZUV_REC_EXE);
    SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
    const HANDLE out = ::CreateFileW(csv.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) {
        problem = "cannot create " + Utf8(csv);
        return -1;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = startup.hStdError = nullptr;
    startup.hStdOutput = out;
    std::wstring commandLine = L"\"" + exe + L"\" csv \"" + recording + L"\"";
    PROCESS_INFORMATION info{};
    const BOOL started = ::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                          nullptr, nullptr, &startup, &info);
    ::CloseHandle(out);
    if (!started) {
        problem = "cannot start " + Utf8(exe) + ": " + Utf8(SystemText(::GetLastError()));
        return -1;
    }
    ::CloseHandle(info.hThread);
    DWORD code = 0;
    const bool ended = ::WaitForSingleObject(info.hProcess, kWait) == WAIT_OBJECT_0;
    if (ended) ::GetExitCodeProcess(info.hProcess, &code);
    if (!ended) ::TerminateProcess(info.hProcess, 1);
    ::CloseHandle(info.hProcess);
    if (!ended) {
        problem = Utf8(exe) + " did not end";
        return -1;
    }
    return static_cast<int>(code);
}

class CsvExportTest : public ToolTest {
protected:
    // The menu command, then the two file dialogs; true once the second took
    // csv. replacing: csv exists, and the replacement is agreed to.
    bool StartExport(const std::wstring& recording, const std::wstring& csv, bool replacing = false) {
        EXPECT_TRUE(::PostMessageW(m_window, WM_SYSCOMMAND, kExportCommand, 0));
        const HWND open = WaitForFileDialogOf(m_tool.Pid(), m_window);
        EXPECT_NE(nullptr, open) << "no file dialog for the recording";
        if (!open || !Choose(open, recording)) return false;
        const HWND save = WaitForFileDialogOf(m_tool.Pid(), m_window);
        EXPECT_NE(nullptr, save) << "no file dialog for the CSV";
        if (!save) return false;
        if (!replacing) {
            m_suggestedName = GetText(FileDialogNameEdit(save));
            const bool chosen = Choose(save, csv);
            EXPECT_TRUE(chosen);
            return chosen;
        }
        if (!SetEditText(FileDialogNameEdit(save), csv)) return false;
        Click(Control(save, IDOK), 200);
        const MessageBoxInfo question = WaitForMessageBox(m_tool.Pid(), kWait);
        EXPECT_NE(nullptr, question.hwnd) << "no question before replacing the file";
        if (!question.hwnd) return false;
        EXPECT_TRUE(::PostMessageW(question.hwnd, WM_COMMAND, IDYES, 0));
        return WaitUntil([&] { return !::IsWindowVisible(save); }, kWait);
    }
    // The export, and the box it ends with (still open).
    MessageBoxInfo Export(const std::wstring& recording, const std::wstring& csv) {
        if (!StartExport(recording, csv)) return MessageBoxInfo();
        return WaitForMessageBox(m_tool.Pid(), kWait);
    }
    std::wstring Notices() { return GetControlText(m_window, IDC_STATIC_WAVE); }
    // The percentage the status line shows once it is more than 0; -1 when none came.
    int ProgressShown() {
        int percent = -1;
        WaitUntil(
            [&] {
                const std::wstring notices = Notices();
                const size_t at = notices.find(kProgress);
                percent = at == std::wstring::npos ? -1 : _wtoi(notices.c_str() + at + wcslen(kProgress));
                return percent > 0;
            },
            kWait);
        return percent;
    }

    std::wstring m_suggestedName;
};

TEST_F(CsvExportTest, WritesWhatZuvRecWritesOnBothSystemsAndTellsTheCounts) {
    const Recording recording = MakeRecording(3000);
    const std::wstring dat = Path(L"walk.dat"), csv = Path(L"walk-export.csv");
    WriteFileBytes(dat, recording.bytes);
    ASSERT_NO_FATAL_FAILURE(StartTool());

    const MessageBoxInfo box = Export(dat, csv);
    ASSERT_NE(nullptr, box.hwnd) << "no box at the end";
    EXPECT_EQ(L"walk.csv", m_suggestedName.substr(m_suggestedName.find_last_of(L'\\') + 1))
        << "the recording's name with .csv is offered: " << Utf8(m_suggestedName);
    EXPECT_EQ(L"信息", box.caption);
    EXPECT_EQ(BoxIcon::Information, box.icon) << BoxIconName(box.icon);
    EXPECT_NE(std::wstring::npos, box.text.find(csv + L"\n")) << Utf8(box.text);
    EXPECT_NE(std::wstring::npos, box.text.find(kReportsLine + std::to_wstring(recording.reports) + L"\n"))
        << Utf8(box.text);
    EXPECT_NE(std::wstring::npos, box.text.find(kSkippedLine + std::to_wstring(recording.outsideFrames)))
        << Utf8(box.text);
    EXPECT_TRUE(DismissMessageBox(box.hwnd));
    EXPECT_EQ(std::wstring::npos, Notices().find(kProgress)) << "the progress goes with the export";

    std::string problem;
    const std::wstring expected = Path(L"zuv_rec.csv");
    ASSERT_EQ(0, RunZuvRec(UnixPath(dat), UnixPath(expected), problem)) << problem;
    const std::string written = ReadFileBytes(csv), wanted = ReadFileBytes(expected);
    ASSERT_FALSE(wanted.empty());
    EXPECT_TRUE(written == wanted) << "the CSV differs from zuv_rec's: " << written.size() << " bytes against "
                                   << wanted.size();
    EXPECT_EQ(0u, CloseTool());

    // The Windows zuv_rec.exe writes the same bytes: "\n" line ends, as on
    // Linux, not the "\r\n" a text-mode standard output would make.
    const std::wstring fromExe = Path(L"zuv_rec_exe.csv");
    ASSERT_EQ(0, RunZuvRecExe(dat, fromExe, problem)) << problem;
    const std::string byExe = ReadFileBytes(fromExe);
    EXPECT_EQ(std::string::npos, byExe.find('\r')) << "zuv_rec.exe wrote a carriage return";
    EXPECT_TRUE(byExe == written) << "zuv_rec.exe's CSV differs from the export: " << byExe.size() << " bytes against "
                                  << written.size();
}

TEST_F(CsvExportTest, RecordingWithoutReportsIsAnErrorAndLeavesNoCsv) {
    const std::wstring dat = Path(L"noise.dat"), csv = Path(L"noise.csv");
    WriteFileBytes(dat, std::string(5000, '\x13') + "\xAA\xAA\x01\x02\x03\x55\x54");
    ASSERT_NO_FATAL_FAILURE(StartTool());

    const MessageBoxInfo box = Export(dat, csv);
    ASSERT_NO_FATAL_FAILURE(ExpectErrorBox(box, {L"记录文件中没有报告帧", dat}));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(csv.c_str())) << "no CSV is left";
    EXPECT_EQ(0u, CloseTool());
}

TEST_F(CsvExportTest, DiskFullSaysWhyAndRemovesThePartialCsv) {
    // About 400 KiB of CSV for a 48 KiB disk.
    const Recording recording = MakeRecording(20000);
    const std::wstring dat = Path(L"long.dat"), folder = Path(L"small"), csv = folder + L"\\long.csv";
    WriteFileBytes(dat, recording.bytes);
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    CSmallDisk disk(folder, 48);
    ASSERT_TRUE(disk.Mounted()) << disk.Problem();
    ASSERT_NO_FATAL_FAILURE(StartTool());

    const MessageBoxInfo box = Export(dat, csv);
    ASSERT_NO_FATAL_FAILURE(ExpectErrorBox(box, {L"无法写入CSV文件", csv + L"\n", SystemText(ERROR_DISK_FULL)}));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(csv.c_str())) << "the partial CSV is removed";
    EXPECT_EQ(0u, CloseTool());
}

TEST_F(CsvExportTest, CsvThatCannotBeCreatedIsToldAndTheFileInTheWayStays) {
    const std::wstring dat = Path(L"walk.dat"), csv = Path(L"walk.csv");
    WriteFileBytes(dat, MakeRecording(100).bytes);
    WriteFileBytes(csv, "kept\n");
    // Held open without sharing, as another program may hold it: it cannot be
    // replaced. The new CSV is written beside it; moving it over is refused.
    const HANDLE held = ::CreateFileW(csv.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    struct Closer {
        HANDLE handle;
        ~Closer() { ::CloseHandle(handle); }
    } closer{held};
    ASSERT_NO_FATAL_FAILURE(StartTool());
    ASSERT_TRUE(::PostMessageW(m_window, WM_SYSCOMMAND, kExportCommand, 0));
    const HWND open = WaitForFileDialogOf(m_tool.Pid(), m_window);
    ASSERT_NE(nullptr, open);
    ASSERT_TRUE(Choose(open, dat));
    const HWND save = WaitForFileDialogOf(m_tool.Pid(), m_window);
    ASSERT_NE(nullptr, save);
    // The file exists: the dialog asks before it is replaced.
    ASSERT_TRUE(SetEditText(FileDialogNameEdit(save), csv));
    Click(Control(save, IDOK), 200);
    const MessageBoxInfo question = WaitForMessageBox(m_tool.Pid(), kWait);
    ASSERT_NE(nullptr, question.hwnd) << "no question before replacing the file";
    EXPECT_EQ(2u, question.buttons.size()) << Utf8(question.text);
    ASSERT_TRUE(::PostMessageW(question.hwnd, WM_COMMAND, IDYES, 0));
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindowVisible(save); }, kWait));

    const MessageBoxInfo box = WaitForMessageBox(m_tool.Pid(), kWait);
    ASSERT_NO_FATAL_FAILURE(
        ExpectErrorBox(box, {L"无法创建CSV文件:\n" + csv + L"\n" + SystemText(ERROR_ACCESS_DENIED)}));
    ::CloseHandle(held);
    closer.handle = INVALID_HANDLE_VALUE;
    EXPECT_EQ("kept\n", ReadFileBytes(csv)) << "the file in the way is left as it was";
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW((csv + L".part").c_str())) << "no part file is left";
    EXPECT_EQ(0u, CloseTool());
}

// time_s counts the configured report period, as the chart and the replay do.
TEST_F(CsvExportTest, TimeFollowsTheConfiguredReportPeriod) {
    WriteFileBytes(ConfigPath(), "<AppConfig ReportTimeMS=\"120\" />\n");
    const std::wstring dat = Path(L"walk.dat"), csv = Path(L"walk.csv");
    WriteFileBytes(dat, MakeRecording(30).bytes);
    ASSERT_NO_FATAL_FAILURE(StartTool());
    const MessageBoxInfo box = Export(dat, csv);
    ASSERT_NE(nullptr, box.hwnd) << "no box at the end";
    EXPECT_EQ(BoxIcon::Information, box.icon) << Utf8(box.text);
    EXPECT_TRUE(DismissMessageBox(box.hwnd));
    const std::string written = ReadFileBytes(csv);
    EXPECT_EQ(0u, written.find("frame,time_s,state,distance_cm\n0,0.000,0,0\n1,0.120,0,13\n")) << written;
    EXPECT_NE(std::string::npos, written.find("\n25,3.000,")) << written;
    EXPECT_NE(std::string::npos, written.find("\n29,3.480,")) << written;
    EXPECT_EQ(0u, CloseTool());
}

// The user agreed to replace a file: it keeps its old content while the new
// CSV is written beside it (NAME.part), and is replaced only once that is whole.
TEST_F(CsvExportTest, ReplacedFileKeepsItsOldContentUntilTheNewOneIsWhole) {
    const Recording recording = MakeRecording(10000000);  // seconds of work
    const std::wstring dat = Path(L"day.dat"), csv = Path(L"day.csv"), part = csv + L".part";
    WriteFileBytes(dat, recording.bytes);
    const std::string old = "frame,time_s,state,distance_cm\n0,0.000,1,120\n";
    WriteFileBytes(csv, old);
    ASSERT_NO_FATAL_FAILURE(StartTool());
    ASSERT_TRUE(StartExport(dat, csv, true));
    // Under way: more than nothing read, the end not reached.
    const int percent = ProgressShown();
    ASSERT_GT(percent, 0) << "no progress in the status line: " << Utf8(Notices());
    EXPECT_LT(percent, 100);
    EXPECT_EQ(old, ReadFileBytes(csv)) << "at " << percent << "% the file being replaced is already cut";
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(part.c_str())) << "written beside it";
    const MessageBoxInfo box = WaitForMessageBox(m_tool.Pid(), kWait);
    ASSERT_NE(nullptr, box.hwnd) << "no box at the end";
    EXPECT_NE(std::wstring::npos, box.text.find(kReportsLine + std::to_wstring(recording.reports) + L"\n"))
        << Utf8(box.text);
    EXPECT_TRUE(DismissMessageBox(box.hwnd));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(part.c_str())) << "the part file was moved in";
    const std::string written = ReadFileBytes(csv);
    EXPECT_EQ(0u, written.find("frame,time_s,state,distance_cm\n0,0.000,0,0\n")) << written.substr(0, 100);
    EXPECT_NE(std::string::npos, written.find("\n9999999,499999.950,")) << "whole, to the last report";
    EXPECT_EQ(0u, CloseTool());
}

TEST_F(CsvExportTest, OneExportAtATime) {
    const std::wstring dat = Path(L"walk.dat"), csv = Path(L"walk.csv");
    WriteFileBytes(dat, MakeRecording(100).bytes);
    ASSERT_NO_FATAL_FAILURE(StartTool());
    ASSERT_TRUE(::PostMessageW(m_window, WM_SYSCOMMAND, kExportCommand, 0));
    const HWND open = WaitForFileDialogOf(m_tool.Pid(), m_window);
    ASSERT_NE(nullptr, open) << "no file dialog for the recording";
    // A second request while the first is under way (its file dialog open) is told, not begun.
    ASSERT_TRUE(::PostMessageW(m_window, WM_SYSCOMMAND, kExportCommand, 0));
    const MessageBoxInfo busy = WaitForMessageBox(m_tool.Pid(), kWait);
    ASSERT_NE(nullptr, busy.hwnd) << "the second request is not told";
    EXPECT_EQ(L"信息", busy.caption);
    EXPECT_NE(std::wstring::npos, busy.text.find(L"已在导出CSV")) << Utf8(busy.text);
    EXPECT_TRUE(DismissMessageBox(busy.hwnd));
    EXPECT_EQ(std::vector<HWND>{open}, [&] {
        std::vector<HWND> dialogs;
        for (HWND window : TopLevelWindows(m_tool.Pid(), L"#32770"))
            if (FileDialogNameEdit(window)) dialogs.push_back(window);
        return dialogs;
    }()) << "no second file dialog";
    // The first goes on to its end.
    ASSERT_TRUE(Choose(open, dat));
    const HWND save = WaitForFileDialogOf(m_tool.Pid(), m_window);
    ASSERT_NE(nullptr, save);
    ASSERT_TRUE(Choose(save, csv));
    const MessageBoxInfo done = WaitForMessageBox(m_tool.Pid(), kWait);
    ASSERT_NE(nullptr, done.hwnd);
    EXPECT_NE(std::wstring::npos, done.text.find(kReportsLine + std::wstring(L"100\n"))) << Utf8(done.text);
    EXPECT_TRUE(DismissMessageBox(done.hwnd));
    EXPECT_EQ(0u, CloseTool());
}

TEST_F(CsvExportTest, ShowsProgressWhileTheWindowStaysUsable) {
    // 10 million reports (70 MB): seconds of work, seen under way.
    const Recording recording = MakeRecording(10000000);
    const std::wstring dat = Path(L"day.dat"), csv = Path(L"day.csv");
    WriteFileBytes(dat, recording.bytes);
    ASSERT_NO_FATAL_FAILURE(StartTool());
    const ULONGLONG started = ::GetTickCount64();
    ASSERT_TRUE(StartExport(dat, csv));
    // The share read so far, once it is more than nothing and before the end.
    const int percent = ProgressShown();
    ASSERT_GT(percent, 0) << "no progress in the status line: " << Utf8(Notices()) << "\n"
                          << Describe(FindMessageBoxes(m_tool.Pid()));
    EXPECT_LT(percent, 100);
    EXPECT_GE(PingWindow(m_window), 0) << "the window answers while it exports";
    const MessageBoxInfo box = WaitForMessageBox(m_tool.Pid(), kWait);
    ASSERT_NE(nullptr, box.hwnd) << "no box at the end";
    std::cout << "[ figures  ] " << recording.bytes.size() / 1000000 << " MB recording: " << percent << "% shown "
              << "after the dialogs, box " << ::GetTickCount64() - started << " ms after the export was chosen"
              << std::endl;
    EXPECT_NE(std::wstring::npos, box.text.find(kReportsLine + std::to_wstring(recording.reports) + L"\n"))
        << Utf8(box.text);
    EXPECT_TRUE(DismissMessageBox(box.hwnd));
    EXPECT_EQ(std::wstring::npos, Notices().find(kProgress)) << "the progress goes with the export";
    EXPECT_EQ(0u, CloseTool());
}

}  // namespace
}  // namespace e2e
