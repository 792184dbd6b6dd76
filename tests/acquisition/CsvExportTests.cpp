// The CSV export's worker without a window of the tool: a message-only
// window takes its posts. What it leaves on disk when cancelled, when the
// recording cannot be read or the new file cannot be moved in (the old file
// whole, no part file), how many posts it leaves waiting, what it does when
// its posts are refused, and the report period it counts time_s with.
#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "WinTestSupport.h"
#include "export/CsvExport.h"

namespace {

constexpr UINT kMessage = WM_APP + 7;
constexpr ULONGLONG kWaitMs = 60000;

std::wstring TempPath(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + L"csv_export_" + std::to_wstring(::GetCurrentProcessId()) + L"_" + name;
}

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

// Report frames back to back, reports of them.
void WriteRecording(const std::wstring& path, int reports) {
    std::string bytes;
    bytes.reserve(static_cast<size_t>(reports) * 7);
    for (int i = 0; i < reports; ++i) {
        const char frame[] = {'\xAA', '\xAA', static_cast<char>(i % 3), static_cast<char>(i & 0x7F), 0, '\x55', '\x55'};
        bytes.append(frame, sizeof frame);
    }
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    DWORD written = 0;
    EXPECT_TRUE(::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    ::CloseHandle(file);
}

class CsvExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_window = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, m_window);
    }
    void TearDown() override {
        for (const std::wstring& path : {m_recording, m_csv, m_part}) ::DeleteFileW(path.c_str());
        ::DestroyWindow(m_window);
    }
    // The worker's posts taken from the queue until one is done (or the wait ends).
    std::vector<WPARAM> PostsUntilDone() {
        std::vector<WPARAM> posts;
        const ULONGLONG end = ::GetTickCount64() + kWaitMs;
        while (::GetTickCount64() < end) {
            MSG msg;
            if (!::PeekMessageW(&msg, m_window, kMessage, kMessage, PM_REMOVE)) {
                ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_POSTMESSAGE);
                continue;
            }
            posts.push_back(msg.wParam);
            if (msg.wParam == radar::kCsvDone) break;
        }
        return posts;
    }

    HWND m_window = nullptr;
    std::wstring m_recording = TempPath(L"recording.dat"), m_csv = TempPath(L"out.csv"), m_part = m_csv + L".part";
};

TEST_F(CsvExportTest, CancelledInTheMiddleLeavesTheOldFileAndNoPost) {
    WriteRecording(m_recording, 5000000);  // 35 MB: seconds of work
    const std::string old = "frame,time_s,state,distance_cm\n0,0.000,1,120\n";
    WriteFileBytes(m_csv, old);
    radar::CCsvExport exporter(m_window, kMessage);
    ASSERT_TRUE(exporter.Start(m_recording, m_csv, 50));
    EXPECT_FALSE(exporter.Start(m_recording, m_csv, 50)) << "one export at a time";
    // Under way: some of the recording read, so the part file exists and holds lines.
    int percent = 0;
    const ULONGLONG end = ::GetTickCount64() + kWaitMs;
    MSG msg;
    while (percent == 0 && ::GetTickCount64() < end) {
        if (::PeekMessageW(&msg, m_window, kMessage, kMessage, PM_REMOVE)) {
            ASSERT_EQ(radar::kCsvProgress, msg.wParam) << "ended before it could be cancelled";
            percent = exporter.TakeProgress();
        } else {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_POSTMESSAGE);
        }
    }
    ASSERT_GT(percent, 0);
    ASSERT_LT(percent, 100);
    ASSERT_TRUE(Exists(m_part)) << "written beside the final name";
    EXPECT_EQ(old, ReadFileBytes(m_csv)) << "the file being replaced is not cut while the export runs";
    exporter.Cancel();
    EXPECT_FALSE(exporter.Busy());
    EXPECT_FALSE(Exists(m_part)) << "the partial CSV is removed";
    EXPECT_EQ(old, ReadFileBytes(m_csv)) << "the old file is left as it was";
    EXPECT_FALSE(::PeekMessageW(&msg, m_window, kMessage, kMessage, PM_REMOVE)) << "nothing is told after Cancel";
}

TEST_F(CsvExportTest, ReplacesTheOldFileWhenWholeCountingTheGivenPeriod) {
    WriteRecording(m_recording, 3);
    WriteFileBytes(m_csv, std::string(100000, 'x'));  // longer than the new content
    radar::CCsvExport exporter(m_window, kMessage);
    ASSERT_TRUE(exporter.Start(m_recording, m_csv, 120));
    const std::vector<WPARAM> posts = PostsUntilDone();
    ASSERT_FALSE(posts.empty());
    ASSERT_EQ(radar::kCsvDone, posts.back());
    EXPECT_EQ(radar::CsvExportResult::Outcome::Done, exporter.Finish().outcome);
    EXPECT_EQ("frame,time_s,state,distance_cm\n0,0.000,0,0\n1,0.120,1,1\n2,0.240,2,2\n", ReadFileBytes(m_csv));
    EXPECT_FALSE(Exists(m_part));
}

// The old file is held open without delete sharing (an editor, a sync client):
// the new CSV cannot be moved over it. The system's reason, the old file whole.
TEST_F(CsvExportTest, NewFileThatCannotBeMovedInLeavesTheOldFile) {
    WriteRecording(m_recording, 1000);
    const std::string old = "the old export\n";
    WriteFileBytes(m_csv, old);
    HANDLE holder = ::CreateFileW(m_csv.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    radar::CCsvExport exporter(m_window, kMessage);
    ASSERT_TRUE(exporter.Start(m_recording, m_csv, 50));
    const std::vector<WPARAM> posts = PostsUntilDone();
    ::CloseHandle(holder);
    ASSERT_FALSE(posts.empty());
    ASSERT_EQ(radar::kCsvDone, posts.back());
    const radar::CsvExportResult result = exporter.Finish();
    EXPECT_EQ(radar::CsvExportResult::Outcome::CannotCreate, result.outcome);
    EXPECT_NE(0u, result.error) << "the system's reason";
    EXPECT_EQ(old, ReadFileBytes(m_csv));
    EXPECT_FALSE(Exists(m_part));
}

// Posts refused as by a full queue: every progress post, and the end's first
// three. The progress is posted again at each change (not waiting for a take
// that never comes), and the end is posted again until it goes.
TEST_F(CsvExportTest, RefusedPostsAreMadeAgainAndTheEndAlwaysArrives) {
    WriteRecording(m_recording, 1000000);
    std::atomic<int> progressTries{0}, doneTries{0};
    radar::CCsvExport exporter(m_window, kMessage, [&](HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (wParam == radar::kCsvProgress) {
            ++progressTries;
            return FALSE;
        }
        if (++doneTries <= 3) return FALSE;
        return ::PostMessageW(window, message, wParam, lParam);
    });
    ASSERT_TRUE(exporter.Start(m_recording, m_csv, 50));
    const std::vector<WPARAM> posts = PostsUntilDone();
    ASSERT_EQ(1u, posts.size()) << "the end, once";
    EXPECT_EQ(radar::kCsvDone, posts.back());
    EXPECT_EQ(4, doneTries.load());
    EXPECT_GT(progressTries.load(), 1) << "a refused progress post does not stop the next";
    EXPECT_EQ(radar::CsvExportResult::Outcome::Done, exporter.Finish().outcome);
    EXPECT_FALSE(exporter.Busy());
}

// The end is refused for good: Cancel ends the worker's retries at once.
TEST_F(CsvExportTest, CancelEndsTheRetriesOfARefusedEnd) {
    WriteRecording(m_recording, 10);
    std::atomic<int> doneTries{0};
    radar::CCsvExport exporter(m_window, kMessage, [&](HWND, UINT, WPARAM wParam, LPARAM) {
        if (wParam == radar::kCsvDone) ++doneTries;
        return FALSE;
    });
    ASSERT_TRUE(exporter.Start(m_recording, m_csv, 50));
    const ULONGLONG end = ::GetTickCount64() + kWaitMs;
    while (doneTries.load() < 3 && ::GetTickCount64() < end) ::Sleep(10);
    ASSERT_GE(doneTries.load(), 3);
    exporter.Cancel();
    EXPECT_FALSE(exporter.Busy());
    const int tries = doneTries.load();
    ::Sleep(100);
    EXPECT_EQ(tries, doneTries.load()) << "no post after Cancel";
}

TEST_F(CsvExportTest, ProgressWaitsInTheQueueOnceAtMost) {
    WriteRecording(m_recording, 1000000);
    radar::CCsvExport exporter(m_window, kMessage);
    ASSERT_TRUE(exporter.Start(m_recording, m_csv, 50));
    // The progress is never taken: the worker posts it once and not again.
    const std::vector<WPARAM> posts = PostsUntilDone();
    ASSERT_FALSE(posts.empty());
    EXPECT_EQ(radar::kCsvDone, posts.back());
    EXPECT_EQ(2u, posts.size()) << "one progress post, then the end";
    const radar::CsvExportResult result = exporter.Finish();
    EXPECT_EQ(radar::CsvExportResult::Outcome::Done, result.outcome);
    EXPECT_EQ(1000000u, result.reports);
    EXPECT_EQ(100, exporter.TakeProgress());
}

TEST_F(CsvExportTest, RecordingThatCannotBeOpenedMakesNoCsv) {
    radar::CCsvExport exporter(m_window, kMessage);
    ASSERT_TRUE(exporter.Start(m_recording, m_csv, 50));  // never written
    const std::vector<WPARAM> posts = PostsUntilDone();
    ASSERT_FALSE(posts.empty());
    ASSERT_EQ(radar::kCsvDone, posts.back());
    const radar::CsvExportResult result = exporter.Finish();
    EXPECT_EQ(radar::CsvExportResult::Outcome::CannotRead, result.outcome);
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), result.error);
    EXPECT_FALSE(Exists(m_csv));
    EXPECT_FALSE(Exists(m_part));
}

}  // namespace
