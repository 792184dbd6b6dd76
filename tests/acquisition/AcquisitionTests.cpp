// The acquisition without a window: a scripted byte source stands in for the
// device, a recording sink for the window. The thread, the files on disk and
// what the sink is told are real.
#include <gtest/gtest.h>

#include <windows.h>

#include <share.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <vector>

#include "acquisition/Acquisition.h"
#include "replay/RecordingSource.h"

namespace {

constexpr DWORD kWait = 60000;
using Bytes = std::vector<unsigned char>;

Bytes Frame(uint8_t state, uint16_t distance) {
    return {0xAA, 0xAA, state, static_cast<uint8_t>(distance & 0xFF), static_cast<uint8_t>(distance >> 8), 0x55, 0x55};
}

// Bytes handed out one queued chunk per read, as the device library does;
// with nothing queued a read waits a little (a read time-out) and gives 0.
class ScriptedSource : public radar::IByteSource {
public:
    explicit ScriptedSource(bool records = true) : m_records(records) {}
    void Queue(const Bytes& chunk) {
        std::lock_guard<std::mutex> guard(m_lock);
        m_chunks.push_back(chunk);
        m_changed.notify_all();
    }
    // After the queued chunks, the source has nothing more.
    void EndAfterQueue() {
        std::lock_guard<std::mutex> guard(m_lock);
        m_end = true;
    }
    int BlockSize() override { return 4096; }
    int Read(unsigned char* out, int capacity) override {
        std::unique_lock<std::mutex> guard(m_lock);
        ++reads;
        m_inRead = true;
        m_changed.notify_all();
        m_changed.wait_for(guard, std::chrono::milliseconds(10), [this] { return !m_chunks.empty(); });
        m_inRead = false;
        if (m_chunks.empty()) return m_end ? -1 : 0;
        Bytes chunk = m_chunks.front();
        m_chunks.pop_front();
        EXPECT_LE(chunk.size(), static_cast<size_t>(capacity));
        std::copy(chunk.begin(), chunk.end(), out);
        return static_cast<int>(chunk.size());
    }
    void Stop() override {
        std::lock_guard<std::mutex> guard(m_lock);
        ++stops;
        inReadAtStop = m_inRead;
    }
    bool Records() const override { return m_records; }

    bool WaitForReads(int count) {
        std::unique_lock<std::mutex> guard(m_lock);
        return m_changed.wait_for(guard, std::chrono::milliseconds(kWait), [&] { return reads >= count; });
    }

    std::atomic<int> reads{0};
    std::atomic<int> stops{0};
    std::atomic<bool> inReadAtStop{false};

private:
    const bool m_records;
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::deque<Bytes> m_chunks;
    bool m_end = false;
    bool m_inRead = false;
};

// What the window would be told, kept for the checks.
class RecordingSink : public radar::IAcquisitionSink {
public:
    bool PostStateChanged() override {
        ++posts;
        return postsSucceed;
    }
    void FeedHistory(const int32_t* distances, int32_t count) override {
        std::lock_guard<std::mutex> guard(m_lock);
        m_history.assign(distances, distances + count);
        ++feeds;
        m_changed.notify_all();
    }
    void PostSourceEnded() override {
        std::lock_guard<std::mutex> guard(m_lock);
        ++ended;
        m_changed.notify_all();
    }
    bool WaitFor(const std::atomic<int>& count, int atLeast) {
        std::unique_lock<std::mutex> guard(m_lock);
        return m_changed.wait_for(guard, std::chrono::milliseconds(kWait), [&] { return count >= atLeast; });
    }
    std::vector<int32_t> History() {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_history;
    }

    std::atomic<bool> postsSucceed{true};
    std::atomic<int> posts{0};
    std::atomic<int> feeds{0};
    std::atomic<int> ended{0};

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<int32_t> m_history;
};

std::wstring NewTempFolder() {
    wchar_t base[MAX_PATH] = {};
    wchar_t name[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, base);
    GetTempFileNameW(base, L"acq", 0, name);
    DeleteFileW(name);
    CreateDirectoryW(name, nullptr);
    return name;
}

std::vector<std::wstring> FilesIn(const std::wstring& folder, const wchar_t* pattern) {
    std::vector<std::wstring> files;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\" + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return files;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.push_back(folder + L"\\" + found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return files;
}

Bytes ReadAll(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> Lines(const std::wstring& path) {
    const Bytes bytes = ReadAll(path);
    std::vector<std::string> lines;
    std::string line;
    for (unsigned char c : bytes) {
        line += static_cast<char>(c);
        if (c == '\n') lines.push_back(std::move(line)), line.clear();
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

class AcquisitionTest : public ::testing::Test {
protected:
    void SetUp() override { m_acquisition.SetSource(&m_source); }
    void TearDown() override {
        m_acquisition.Stop();
        m_acquisition.CloseLog();
        for (const std::wstring& file : FilesIn(m_folder, L"*")) DeleteFileW(file.c_str());
        RemoveDirectoryW(m_folder.c_str());
    }

    const std::wstring m_folder = NewTempFolder();
    RecordingSink m_sink;
    ScriptedSource m_source;  // the device
    radar::CAcquisition m_acquisition{m_sink, m_folder};
};

TEST_F(AcquisitionTest, RecordsEveryByteReadLogsEachReportAndFeedsTheHistory) {
    ScriptedSource& source = m_source;
    m_acquisition.OpenLog();
    ASSERT_TRUE(m_acquisition.LogFile().IsWritable());
    ASSERT_EQ(m_acquisition.RenewHistory(1000), 15);

    // Noise, a header with a wrong trailer, and frames cut across reads.
    Bytes stream = {0x00, 0x13};
    for (unsigned char b : {0xAA, 0xAA, 0x01, 0x2C, 0x01, 0x00, 0x55}) stream.push_back(b);
    const std::vector<std::pair<uint8_t, uint16_t>> reports = {{1, 300}, {2, 7}, {0, 65535}, {0xAA, 0x5555}};
    for (const auto& [state, distance] : reports) {
        const Bytes frame = Frame(state, distance);
        stream.insert(stream.end(), frame.begin(), frame.end());
    }
    for (size_t at = 0; at < stream.size(); at += 5)
        source.Queue(Bytes(stream.begin() + at, stream.begin() + std::min(at + 5, stream.size())));

    m_acquisition.OpenDataFile();
    m_acquisition.Start();
    ASSERT_TRUE(m_sink.WaitFor(m_sink.feeds, static_cast<int>(reports.size())));
    m_acquisition.Stop();

    // The recording holds exactly the bytes read, in order; nothing else.
    const std::vector<std::wstring> data = FilesIn(m_folder, L"Ladu330Pk27TOOL_*.dat");
    ASSERT_EQ(data.size(), 1u);
    EXPECT_EQ(ReadAll(data[0]), stream);

    // One line per report, the wrong trailer once, in stream order.
    m_acquisition.CloseLog();
    const std::vector<std::wstring> logs = FilesIn(m_folder, L"Ladu330Pk27TOOL_*.log");
    ASSERT_EQ(logs.size(), 1u);
    const std::vector<std::string> lines = Lines(logs[0]);
    const std::vector<std::string> expected = {"Tailer TAG Invalid!\r\n", "State=1, M_D=300\r\n",
                                               "State=2, M_D=007\r\n", "State=0, M_D=65535\r\n",
                                               "State=170, M_D=21845\r\n"};
    ASSERT_EQ(lines.size(), expected.size());
    for (size_t i = 0; i < lines.size(); ++i) EXPECT_TRUE(EndsWith(lines[i], expected[i])) << lines[i];

    // The chart got the history at every report: zeros, then the distances.
    EXPECT_EQ(m_sink.feeds.load(), static_cast<int>(reports.size()));
    const std::vector<int32_t> history = m_sink.History();
    ASSERT_EQ(history.size(), 15u);
    EXPECT_EQ(std::vector<int32_t>(history.begin(), history.begin() + 11), std::vector<int32_t>(11, 0));
    EXPECT_EQ(std::vector<int32_t>(history.begin() + 11, history.end()), (std::vector<int32_t>{300, 7, 65535, 0x5555}));

    const radar::ReportState latest = m_acquisition.TakeState();
    EXPECT_EQ(latest.state, 0xAA);
    EXPECT_EQ(latest.distance, 0x5555);
}

// A Log folder whose path passes 260 characters, most of its levels still
// missing: both files are made there and take every byte and line.
TEST(AcquisitionLongFolder, FilesPastMaxPathAreMadeAndWritten) {
    const std::wstring top = NewTempFolder();
    std::vector<std::wstring> levels = {top};
    while (levels.back().size() < 300) levels.push_back(levels.back() + L"\\" + std::wstring(90, L'l'));
    const std::wstring folder = levels.back() + L"\\Log";
    levels.push_back(folder);
    RecordingSink sink;
    ScriptedSource source;
    {
        radar::CAcquisition acquisition{sink, folder};
        acquisition.SetSource(&source);
        acquisition.OpenLog();
        EXPECT_TRUE(acquisition.LogFile().IsWritable()) << acquisition.LogFile().Error();
        acquisition.RenewHistory(1000);
        const Bytes frame = Frame(1, 300);
        source.Queue(frame);
        acquisition.OpenDataFile();
        acquisition.Start();
        EXPECT_TRUE(sink.WaitFor(sink.feeds, 1));
        acquisition.Stop();
        acquisition.CloseLog();
        EXPECT_FALSE(acquisition.DataFile().Failed()) << acquisition.DataFile().Error();
        EXPECT_GT(acquisition.DataFile().Path().size(), 300u);
        const std::vector<std::wstring> data = FilesIn(folder, L"Ladu330Pk27TOOL_*.dat");
        const std::vector<std::wstring> logs = FilesIn(folder, L"Ladu330Pk27TOOL_*.log");
        EXPECT_EQ(data, std::vector<std::wstring>{acquisition.DataFile().Path()});
        EXPECT_EQ(logs, std::vector<std::wstring>{acquisition.LogFile().Path()});
        EXPECT_EQ(data.size() == 1 ? ReadAll(data[0]) : Bytes(), frame);
        const std::vector<std::string> lines = logs.size() == 1 ? Lines(logs[0]) : std::vector<std::string>();
        EXPECT_TRUE(lines.size() == 1 && EndsWith(lines[0], "State=1, M_D=300\r\n"));
        for (const std::wstring& file : data) DeleteFileW(file.c_str());
        for (const std::wstring& file : logs) DeleteFileW(file.c_str());
    }
    for (auto level = levels.rbegin(); level != levels.rend(); ++level) RemoveDirectoryW(level->c_str());
}

TEST_F(AcquisitionTest, TellsOfANewStateOnlyWhenThePreviousWasTaken) {
    ScriptedSource& source = m_source;
    m_acquisition.RenewHistory(50);
    m_acquisition.OpenDataFile();
    m_acquisition.Start();

    // Nobody takes the state: one telling for a burst of reports.
    Bytes burst;
    for (uint16_t d = 1; d <= 20; ++d) {
        const Bytes frame = Frame(1, d);
        burst.insert(burst.end(), frame.begin(), frame.end());
    }
    source.Queue(burst);
    ASSERT_TRUE(m_sink.WaitFor(m_sink.feeds, 20));
    EXPECT_EQ(m_sink.posts.load(), 1);

    // Taken: the next report is told again, and the newest state is the one taken.
    EXPECT_EQ(m_acquisition.TakeState().distance, 20);
    source.Queue(Frame(2, 21));
    source.Queue(Frame(2, 22));
    ASSERT_TRUE(m_sink.WaitFor(m_sink.feeds, 22));
    EXPECT_EQ(m_sink.posts.load(), 2);

    // A telling that fails leaves nothing pending: every report tries again.
    EXPECT_EQ(m_acquisition.TakeState().distance, 22);
    m_sink.postsSucceed = false;
    source.Queue(Frame(1, 23));
    source.Queue(Frame(1, 24));
    ASSERT_TRUE(m_sink.WaitFor(m_sink.feeds, 24));
    EXPECT_EQ(m_sink.posts.load(), 4);
}

TEST_F(AcquisitionTest, StopEndsTheThreadBeforeTheSourceStopsAndTheDataFileCloses) {
    ScriptedSource& source = m_source;
    m_acquisition.RenewHistory(50);
    m_acquisition.OpenDataFile();
    m_acquisition.Start();
    ASSERT_TRUE(source.WaitForReads(3));  // the module is silent
    m_acquisition.Stop();
    EXPECT_EQ(source.stops.load(), 1);
    EXPECT_FALSE(source.inReadAtStop);
    const int reads = source.reads;

    // The closed data file can be removed at once, and a new run starts a new
    // thread (a thread still running would refuse it).
    const std::vector<std::wstring> data = FilesIn(m_folder, L"*.dat");
    ASSERT_EQ(data.size(), 1u);
    EXPECT_TRUE(DeleteFileW(data[0].c_str()));
    EXPECT_EQ(source.reads.load(), reads);
    source.Queue(Frame(1, 100));
    m_acquisition.OpenDataFile();
    m_acquisition.Start();
    ASSERT_TRUE(m_sink.WaitFor(m_sink.feeds, 1));
    m_acquisition.Stop();
    EXPECT_EQ(source.stops.load(), 2);
}

// The thread cannot start (here a stand-in starter refuses, as CreateThread
// does when the system has no room for one): Start says so with the system's
// reason and leaves everything as after a stop.
TEST_F(AcquisitionTest, AThreadThatCannotStartIsToldAndLeavesNothingRunning) {
    int starts = 0;
    m_acquisition.SetThreadStarter([&](CBaseThread&, IThreadFuncInterface*, int) {
        ++starts;
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    });
    m_acquisition.RenewHistory(50);
    m_acquisition.OpenDataFile();
    ASSERT_NE(nullptr, m_acquisition.DataFile().Stream());
    DWORD error = 0;
    EXPECT_FALSE(m_acquisition.Start(&error));
    EXPECT_EQ(1, starts);
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY), error) << "the system's reason";
    EXPECT_EQ(nullptr, m_acquisition.DataFile().Stream()) << "the data file is closed";
    EXPECT_FALSE(m_acquisition.DataFile().Failed()) << "not a file failure";
    EXPECT_EQ(1, m_source.stops.load()) << "the source is stopped as at every stop";
    // Nothing reads: a report queued now is never fed nor told.
    m_source.Queue(Frame(1, 100));
    ::Sleep(200);
    EXPECT_EQ(0, m_source.reads.load());
    EXPECT_EQ(0, m_sink.feeds.load());
    EXPECT_EQ(0, m_sink.posts.load());
    const std::vector<std::wstring> data = FilesIn(m_folder, L"*.dat");
    ASSERT_EQ(1u, data.size());
    EXPECT_TRUE(DeleteFileW(data[0].c_str())) << "closed: it can be removed";

    // The next start that works runs as ever.
    m_acquisition.SetThreadStarter(nullptr);
    m_acquisition.OpenDataFile();
    EXPECT_TRUE(m_acquisition.Start(&error));
    ASSERT_TRUE(m_sink.WaitFor(m_sink.feeds, 1));
    m_acquisition.Stop();
}

// A close that fails (a network share may refuse the data only there) is a
// failure of the file like a failed write: marked with the system's reason
// and posted once to the window, as WM_FILE_FAILED is.
TEST(OutputFile, AFailedCloseIsToldAsAWriteFailure) {
    constexpr UINT kFailed = WM_APP + 11;
    const HWND window = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, window);
    const std::wstring folder = NewTempFolder(), path = folder + L"\\share.dat";
    {
        COutputFile file;
        file.NotifyFailureTo(window, kFailed);
        int closes = 0;
        file.SetCloseFunction([&](FILE* stream) {
            ++closes;
            std::fclose(stream);
            _doserrno = ERROR_NETNAME_DELETED;
            return EOF;
        });
        ASSERT_TRUE(file.Create(path, _SH_DENYNO));
        ASSERT_EQ(4u, std::fwrite("data", 1, 4, file.Stream()));
        ASSERT_EQ(0, std::fflush(file.Stream()));
        EXPECT_FALSE(file.Failed());
        file.Close();
        EXPECT_EQ(1, closes);
        EXPECT_EQ(nullptr, file.Stream());
        EXPECT_TRUE(file.Failed());
        EXPECT_FALSE(file.CreateFailed()) << "told as a write failure";
        EXPECT_EQ(static_cast<DWORD>(ERROR_NETNAME_DELETED), file.Error()) << "the system's reason";
        EXPECT_EQ(path, file.Path()) << "the file is named";
        MSG msg;
        EXPECT_TRUE(::PeekMessageW(&msg, window, kFailed, kFailed, PM_REMOVE)) << "posted as a failed write is";
        file.Close();  // nothing open: nothing more
        EXPECT_EQ(1, closes);
        EXPECT_FALSE(::PeekMessageW(&msg, window, kFailed, kFailed, PM_REMOVE)) << "told once";

        // A close that goes well tells nothing.
        file.SetCloseFunction(nullptr);
        ASSERT_TRUE(file.Create(path, _SH_DENYNO));
        file.Close();
        EXPECT_FALSE(file.Failed());
        EXPECT_FALSE(::PeekMessageW(&msg, window, kFailed, kFailed, PM_REMOVE));
    }
    ::DeleteFileW(path.c_str());
    ::RemoveDirectoryW(folder.c_str());
    ::DestroyWindow(window);
}

TEST_F(AcquisitionTest, AReplayEndsTheRunAndRecordsNothing) {
    // A recording of three reports, played as fast as it can go.
    const std::wstring recordingPath = m_folder + L"\\recording.bin";
    Bytes recording;
    for (uint16_t d : {100, 200, 300}) {
        const Bytes frame = Frame(2, d);
        recording.insert(recording.end(), frame.begin(), frame.end());
    }
    {
        std::ofstream out(recordingPath.c_str(), std::ios::binary);
        out.write(reinterpret_cast<const char*>(recording.data()), static_cast<std::streamsize>(recording.size()));
    }
    radar::RecordingSource replay;
    ASSERT_EQ(replay.Open(_wfopen(recordingPath.c_str(), L"rb")), radar::ReplayProblem::None);
    replay.PrepareStart(0);
    radar::ReplayByteSource source(replay);
    m_acquisition.SetSource(&source);
    struct BackToTheDevice {
        ~BackToTheDevice() {
            acquisition.Stop();  // also when a check failed: the thread ends before the replay goes
            acquisition.SetSource(&device);
        }
        radar::CAcquisition& acquisition;
        ScriptedSource& device;
    } restore{m_acquisition, m_source};
    m_acquisition.RenewHistory(50);
    m_acquisition.OpenDataFile();
    m_acquisition.Start();

    ASSERT_TRUE(m_sink.WaitFor(m_sink.ended, 1));
    m_acquisition.Stop();
    EXPECT_EQ(m_sink.ended.load(), 1);
    EXPECT_EQ(m_sink.feeds.load(), 3);
    const radar::ReportState latest = m_acquisition.TakeState();
    EXPECT_EQ(latest.state, 2);
    EXPECT_EQ(latest.distance, 300);
    EXPECT_TRUE(FilesIn(m_folder, L"*.dat").empty());
}

}  // namespace
