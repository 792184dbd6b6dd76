// The CSV export's worker without a window of the tool: a message-only
// window takes its posts. What it leaves on disk when cancelled or when the
// recording cannot be read, and how many posts it leaves waiting.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

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
        for (const std::wstring& path : {m_recording, m_csv}) ::DeleteFileW(path.c_str());
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
    std::wstring m_recording = TempPath(L"recording.dat"), m_csv = TempPath(L"out.csv");
};

TEST_F(CsvExportTest, CancelledInTheMiddleLeavesNoFileAndNoPost) {
    WriteRecording(m_recording, 5000000);  // 35 MB: seconds of work
    radar::CCsvExport exporter(m_window, kMessage);
    ASSERT_TRUE(exporter.Start(m_recording, m_csv, 50));
    EXPECT_FALSE(exporter.Start(m_recording, m_csv, 50)) << "one export at a time";
    // Under way: some of the recording read, so the CSV exists and holds lines.
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
    ASSERT_TRUE(Exists(m_csv));
    exporter.Cancel();
    EXPECT_FALSE(exporter.Busy());
    EXPECT_FALSE(Exists(m_csv)) << "the partial CSV is removed";
    EXPECT_FALSE(::PeekMessageW(&msg, m_window, kMessage, kMessage, PM_REMOVE)) << "nothing is told after Cancel";
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
}

}  // namespace
