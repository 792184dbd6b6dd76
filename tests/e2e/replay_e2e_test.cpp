// --replay: a recording the tool made from the simulated module, played back
// through the main window; pause and resume; files that are no recording.
#include "ToolFixture.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <regex>
#include <set>
#include <vector>

#include "ReplaySupport.h"
#include "RunChecks.h"
#include "SimFixture.h"
#include "resource.h"

namespace e2e {
namespace {

using namespace tooldriver;

constexpr int kPort = 12;

std::string Frame(int state, int distance) {
    return {
        '\xAA', '\xAA', static_cast<char>(state), static_cast<char>(distance & 0xFF), static_cast<char>(distance >> 8),
        '\x55', '\x55'};
}

class ReplayTest : public ToolTest {
protected:
    std::set<std::wstring> LogFolderFiles(const wchar_t* extension) {
        std::set<std::wstring> names;
        WIN32_FIND_DATAW found;
        HANDLE search = ::FindFirstFileW((Path(L"Log\\*") + extension).c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return names;
        do names.insert(found.cFileName);
        while (::FindNextFileW(search, &found));
        ::FindClose(search);
        return names;
    }
    void StartReplay(const std::wstring& arguments) {
        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        std::wstring error;
        m_tool = Launch(Path(L"Tavo_Ladu330_Pk27Tool.exe"), arguments, temp, &error);
        ASSERT_TRUE(m_tool.IsValid()) << std::string(error.begin(), error.end());
        m_window = WaitForWindow(m_tool.Pid(), kMainClass, kWait);
        ASSERT_NE(nullptr, m_window) << "the main window did not appear";
    }
    // Start, then wait for the end of the recording to stop the replay.
    void PlayToTheEnd() {
        Click(Control(m_window, IDC_BTN_START));
        ASSERT_TRUE(WaitText(IDC_BTN_START, L"开始")) << "the end of the recording did not stop the replay";
    }
    std::string NewestLog(const std::set<std::wstring>& before) {
        for (const std::wstring& name : LogFolderFiles(L".log"))
            if (!before.count(name)) return ReadFileBytes(Path(L"Log\\") + name);
        return std::string();
    }
};

TEST_F(ReplayTest, ARecordingOfTheModuleReplayedAtTenTimesLogsTheSameReportsAndEndsOnItsLastReport) {
    std::string script;
    ASSERT_TRUE(WriteSimScript("replay-script.txt", "0 0 300\n1 250 600\n2 120 500\n0 0 300\n1 333 400\n", script));
    devtest::CSimulator sim(kPort, {"--script", script, "--bad-trailer-every", "9"});
    ASSERT_TRUE(sim.Started()) << sim.Problem();

    // The recording: the tool connected to the module, started and stopped.
    ASSERT_NO_FATAL_FAILURE(StartTool());
    Click(Control(m_window, IDC_BTN_REFRESH));
    std::vector<std::wstring> ports = ComboItems(Control(m_window, IDC_COMBO_PORT));
    int index = -1;
    for (size_t i = 0; i < ports.size(); ++i)
        if (ports[i] == L"COM12") index = static_cast<int>(i);
    ASSERT_GE(index, 0) << "COM12 not listed";
    ASSERT_TRUE(SelectComboItem(Control(m_window, IDC_COMBO_PORT), index));
    Click(Control(m_window, IDC_BTN_CONNECT));
    ASSERT_TRUE(WaitText(IDC_BTN_CONNECT, L"断开设备"));
    Click(Control(m_window, IDC_BTN_START));
    ASSERT_TRUE(WaitText(IDC_BTN_START, L"停止"));
    std::set<std::wstring> dats;
    ASSERT_TRUE(WaitUntil([&] { return !(dats = LogFolderFiles(L".dat")).empty(); }, kWait));
    ASSERT_EQ(1u, dats.size());
    const std::wstring datName = *dats.begin();
    const std::wstring datPath = Path(L"Log\\") + datName;
    EXPECT_TRUE(WaitUntil([&] { return ReadFileBytes(datPath).size() >= 7 * 80; }, kWait));
    Click(Control(m_window, IDC_BTN_START), 10000);
    ASSERT_TRUE(WaitText(IDC_BTN_START, L"开始"));
    EXPECT_EQ(0u, CloseTool());
    const std::string recording = ReadFileBytes(datPath);
    const std::set<std::wstring> logsBefore = LogFolderFiles(L".log");
    ASSERT_EQ(1u, logsBefore.size());
    const std::vector<std::string> recorded = ReportLines(ReadFileBytes(Path(L"Log\\") + *logsBefore.begin()));
    ASSERT_GE(recorded.size(), 80u);

    // The replay: "connected" to the file, no port, connection or parameters.
    ASSERT_NO_FATAL_FAILURE(StartReplay(L"--replay \"" + datPath + L"\" --speed 10"));
    EXPECT_EQ(L"固件版本:" + datName, GetControlText(m_window, IDC_STATIC_VERSION));
    for (int id : {IDC_BTN_REFRESH, IDC_BTN_CONNECT, IDC_BTN_PARAM_CONFIG})
        EXPECT_FALSE(GetState(Control(m_window, id)).enabled) << id;
    EXPECT_TRUE(GetState(Control(m_window, IDC_BTN_START)).enabled);
    const ULONGLONG began = ::GetTickCount64();
    PlayToTheEnd();
    // 50 ms frames at ten times: 5 ms from one to the next.
    size_t frames = 0;
    for (const std::string& line : recorded) frames += line[0] == 'S';
    EXPECT_GE(::GetTickCount64() - began + 30, (frames - 1) * 5);
    EXPECT_FALSE(GetState(Control(m_window, IDC_BTN_CONNECT)).enabled);

    EXPECT_EQ(recorded, ReportLines(NewestLog(logsBefore)));
    EXPECT_EQ(dats, LogFolderFiles(L".dat")) << "a replay writes no data file";
    EXPECT_EQ(recording, ReadFileBytes(datPath));
    // The display ends on the recording's last report.
    int lastState = -1, lastDistance = -1;
    for (auto it = recorded.rbegin(); it != recorded.rend(); ++it)
        if (std::sscanf(it->c_str(), "State=%d, M_D=%d", &lastState, &lastDistance) == 2) break;
    EXPECT_EQ(std::to_wstring(lastDistance), GetControlText(m_window, IDC_STATIC_DISTANCE));
    EXPECT_EQ(lastState == 1 ? 1 : 0, GetState(Control(m_window, IDC_RADIO_MOTION)).check);
    EXPECT_EQ(lastState == 2 ? 1 : 0, GetState(Control(m_window, IDC_RADIO_MOTIONLESS)).check);
    EXPECT_EQ(0u, CloseTool());
}

TEST_F(ReplayTest, StopPausesStartResumesWithNoReportLostOrRepeated) {
    // Distances 101..200, the last report micro-motion at 200 cm.
    std::string recording;
    for (int i = 1; i <= 100; ++i) recording += Frame(i == 100 ? 2 : (i / 10) % 2, 100 + i);
    ASSERT_TRUE(::CreateDirectoryW(Path(L"recordings").c_str(), nullptr));
    WriteFileBytes(Path(L"recordings\\walk.dat"), recording);

    ASSERT_NO_FATAL_FAILURE(StartReplay(L"--replay \"" + Path(L"recordings\\walk.dat") + L"\""));  // real time: 5 s
    EXPECT_EQ(L"固件版本:walk.dat", GetControlText(m_window, IDC_STATIC_VERSION));
    Click(Control(m_window, IDC_BTN_START));
    ASSERT_TRUE(WaitUntil([&] { return _wtoi(GetControlText(m_window, IDC_STATIC_DISTANCE).c_str()) >= 110; }, kWait));
    Click(Control(m_window, IDC_BTN_START), 10000);
    ASSERT_TRUE(WaitText(IDC_BTN_START, L"开始"));
    const int pausedAt = _wtoi(GetControlText(m_window, IDC_STATIC_DISTANCE).c_str());
    EXPECT_LT(pausedAt, 200) << "paused before the end";
    PlayToTheEnd();
    EXPECT_EQ(L"200", GetControlText(m_window, IDC_STATIC_DISTANCE));
    EXPECT_EQ(1, GetState(Control(m_window, IDC_RADIO_MOTIONLESS)).check);

    std::vector<std::string> expected;
    for (int i = 1; i <= 100; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "State=%d, M_D=%03d\r\n", i == 100 ? 2 : (i / 10) % 2, 100 + i);
        expected.push_back(line);
    }
    EXPECT_EQ(expected, ReportLines(NewestLog({})));
    EXPECT_TRUE(LogFolderFiles(L".dat").empty()) << "a replay writes no data file";
    EXPECT_EQ(0u, CloseTool());
}

// The report lines of a log, counted (a log of 100,000 lines is too long for
// the regular expression).
size_t CountReports(const std::string& log) {
    size_t count = 0;
    for (size_t at = log.find("State="); at != std::string::npos; at = log.find("State=", at + 6)) ++count;
    return count;
}

// A user's click: button down and up queued in the window's message queue, as
// the mouse delivers them (behind whatever the program has posted itself),
// unlike BM_CLICK, which is handled at once.
void PostUserClick(HWND button) {
    ::PostMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    ::PostMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
}

long long ChartPaints(HWND window) {
    static const UINT message = ::RegisterWindowMessageW(L"Tavo_Ladu330_Pk27Tool.ChartPaints");
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(window, message, 0, 0, SMTO_ABORTIFHUNG, 5000, &result)) return -1;
    return static_cast<long long>(result);
}

// 100,000 reports at a thousand times their pace: 20,000 a second, each with
// a new distance. The window must keep painting and answering the user; the
// log still gets every report.
TEST_F(ReplayTest, AThousandTimesFasterTheWindowPaintsStopsWhenClickedAndLogsEveryReport) {
    constexpr int kReports = 100000;
    std::string recording;
    recording.reserve(7 * kReports);
    for (int i = 0; i < kReports; ++i) recording += Frame((i / 1000) % 3, 100 + i % 600);
    WriteFileBytes(Path(L"fast.dat"), recording);
    ASSERT_NO_FATAL_FAILURE(StartReplay(L"--replay \"" + Path(L"fast.dat") + L"\" --speed 1000"));
    HWND start = Control(m_window, IDC_BTN_START);
    Click(start);
    ASSERT_TRUE(WaitText(IDC_BTN_START, L"停止"));
    std::set<std::wstring> logs;
    ASSERT_TRUE(WaitUntil([&] { return !(logs = LogFolderFiles(L".log")).empty(); }, kWait));
    const std::wstring logPath = Path(L"Log\\") + *logs.begin();

    // Painting while the reports pour in.
    const long long paintsBefore = ChartPaints(m_window);
    const std::wstring distanceBefore = GetControlText(m_window, IDC_STATIC_DISTANCE);
    EXPECT_TRUE(WaitUntil([&] { return ChartPaints(m_window) >= paintsBefore + 5; }, kWait));
    EXPECT_TRUE(WaitUntil([&] { return GetControlText(m_window, IDC_STATIC_DISTANCE) != distanceBefore; }, kWait));
    EXPECT_EQ(L"停止", GetControlText(m_window, IDC_BTN_START)) << "the chart painted only after the run";

    // The user stops it: the click is handled before the recording runs out.
    PostUserClick(start);
    ASSERT_TRUE(WaitText(IDC_BTN_START, L"开始"));
    const size_t loggedAtStop = CountReports(ReadFileBytes(logPath));
    EXPECT_LT(loggedAtStop, static_cast<size_t>(kReports)) << "the stop waited for the end of the recording";
    EXPECT_GT(PingWindow(m_window), -1);

    // Resumed to the end: when is the end handled after the last report?
    Click(start);
    ASSERT_TRUE(WaitText(IDC_BTN_START, L"停止"));
    long long size = testsupport::FileSize(logPath);
    ULONGLONG lastGrowth = ::GetTickCount64();
    ASSERT_TRUE(WaitUntil(
        [&] {
            const long long now = testsupport::FileSize(logPath);
            if (now != size) size = now, lastGrowth = ::GetTickCount64();
            return GetControlText(m_window, IDC_BTN_START) == L"开始";
        },
        5 * kWait));
    std::cout << "[ figures  ] 20,000 reports/s: the end handled " << (::GetTickCount64() - lastGrowth)
              << " ms after the log's last growth; " << loggedAtStop << " reports logged before the stop\n";

    EXPECT_EQ(static_cast<size_t>(kReports), CountReports(ReadFileBytes(logPath))) << "every report logged, none twice";
    EXPECT_EQ(std::to_wstring(100 + (kReports - 1) % 600), GetControlText(m_window, IDC_STATIC_DISTANCE));
    EXPECT_EQ(0u, CloseTool());
}

// A recording of 224 MB (32 million reports, written here and removed
// afterwards): opened through --replay, the window answers while its frames
// are counted in the background, the position shows the played time alone
// meanwhile and the recording's whole time once counted.
TEST_F(ReplayTest, ALargeRecordingIsCountedInTheBackgroundAndThePositionShowsItsTotalOnceKnown) {
    constexpr int kBlock = 100000, kBlocks = 320;  // 32,000,000 reports at 50 ms: 444:26:40
    const std::wstring path = Path(L"large.dat");
    {
        testsupport::RecordingBuilder block;
        for (int i = 0; i < kBlock; ++i)
            block.Frame(static_cast<uint8_t>(i / 1000 % 3), static_cast<uint16_t>(100 + i % 600));
        const std::string bytes = block.Text();
        const ULONGLONG began = ::GetTickCount64();
        std::FILE* file = _wfopen(path.c_str(), L"wb");
        ASSERT_NE(nullptr, file);
        bool written = true;
        for (int b = 0; b < kBlocks; ++b)
            written = written && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
        written = std::fclose(file) == 0 && written;
        ASSERT_TRUE(written) << "the large recording could not be written";
        std::cout << "[ figures  ] " << testsupport::FileSize(path) / 1000000 << " MB written in "
                  << ::GetTickCount64() - began << " ms\n";
    }
    const ULONGLONG launched = ::GetTickCount64();
    ASSERT_NO_FATAL_FAILURE(StartReplay(L"--replay \"" + path + L"\""));
    Click(Control(m_window, IDC_BTN_START));
    // Pinged with a short patience while the count runs: a window busy
    // counting does not answer in time.
    long slowest = 0, pings = 0, whileCounting = 0;
    bool answered = true, sawUnknown = false;
    std::wstring label;
    const bool counted = WaitUntil(
        [&] {
            const long ms = PingWindow(m_window, 2000);
            if (ms < 0) return !(answered = false);
            slowest = std::max(slowest, ms);
            ++pings;
            label = GetControlText(m_window, IDC_STATIC_VERSION);
            const bool unknown = label.find(L" / ...") != std::wstring::npos;
            sawUnknown = sawUnknown || unknown;
            whileCounting += unknown ? 1 : 0;
            return label.find(L" / 444:26:40 large.dat") != std::wstring::npos;
        },
        5 * kWait);
    const ULONGLONG countMs = ::GetTickCount64() - launched;
    EXPECT_TRUE(answered) << "the window did not answer within 2 s";
    EXPECT_TRUE(counted) << "the position never showed the total: " << Utf8(label);
    std::cout << "[ figures  ] 224 MB counted: total shown " << countMs << " ms after the launch; " << pings
              << " pings answered (" << whileCounting << " while the total was unknown), slowest " << slowest
              << " ms; the played time alone seen: " << (sawUnknown ? "yes" : "no") << "\n";
    Click(Control(m_window, IDC_BTN_START), 10000);
    ASSERT_TRUE(WaitText(IDC_BTN_START, L"开始"));
    EXPECT_EQ(0u, CloseTool());
    EXPECT_TRUE(::DeleteFileW(path.c_str())) << "the large recording stays behind";
}

// The chart's curve as the screen shows it: of the plot's columns (those
// the red curve reaches at all), how many have the curve in the upper half.
struct Curve {
    int columns = 0;
    int high = 0;
};

Curve CurveShown(HWND window) {
    HWND chart = Control(window, IDC_STATIC_WAVE);
    ::RedrawWindow(chart, nullptr, nullptr, RDW_UPDATENOW);  // a pending paint first
    int width = 0, height = 0;
    const std::vector<DWORD> pixels = testsupport::ScreenPixels(chart, width, height);
    Curve curve;
    if (pixels.empty()) return curve;
    auto red = [](DWORD p) {
        const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
        return r > 200 && g < 90 && b < 90;
    };
    int first = width, last = -1;
    std::vector<bool> any(width), high(width);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (!red(pixels[static_cast<size_t>(y) * width + x])) continue;
            any[x] = true;
            if (y < height / 2) high[x] = true;
            first = std::min(first, x);
            last = std::max(last, x);
        }
    }
    for (int x = first; x <= last; ++x) {
        curve.columns += 1;
        curve.high += high[x] ? 1 : 0;
    }
    return curve;
}

struct ReportTimeCase {
    const char* name;
    const char* configured;  // ReportTimeMS in appConfig.xml
    const char* saved;       // what the tool saves back
    const wchar_t* speed;
    double intervalMs;  // between replayed reports
    int reports;        // at 600 cm
    int lastLow;        // of them the last ones at 200 cm instead
};

void PrintTo(const ReportTimeCase& c, std::ostream* os) { *os << c.name; }

class ReportTimeTest : public ReplayTest, public ::testing::WithParamInterface<ReportTimeCase> {};

// The report period sets the chart's history (15000 / ReportTimeMS reports,
// 15 s) and the pace of a replay. A recording replayed to its end shows on
// the chart as far as the history reaches: the reports at 600 cm in the
// upper half, the zeros before them and the reports at 200 cm in the lower.
TEST_P(ReportTimeTest, SetsTheChartsHistoryAndTheReplaysPace) {
    const ReportTimeCase& c = GetParam();
    WriteFileBytes(ConfigPath(), std::string("<AppConfig ReportTimeMS=\"") + c.configured + "\" />\n");
    testsupport::RecordingBuilder recording;
    for (int i = 0; i < c.reports; ++i) recording.Frame(1, i < c.reports - c.lastLow ? 600 : 200);
    WriteFileBytes(Path(L"period.dat"), recording.Text());
    ASSERT_NO_FATAL_FAILURE(StartReplay(L"--replay \"" + Path(L"period.dat") + L"\" --speed " + c.speed));
    EXPECT_EQ(L"固件版本:period.dat", GetControlText(m_window, IDC_STATIC_VERSION)) << "the speed was refused";

    const auto began = std::chrono::steady_clock::now();
    PlayToTheEnd();
    const double playedMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - began).count();
    // Report k is due k intervals after the start: never sooner.
    EXPECT_GE(playedMs, (c.reports - 1) * c.intervalMs) << "the replay ran ahead of its pace";
    EXPECT_EQ(c.lastLow ? L"200" : L"600", GetControlText(m_window, IDC_STATIC_DISTANCE));
    EXPECT_EQ(static_cast<size_t>(c.reports), ReportLines(NewestLog({})).size());

    const int history = 15000 / std::atoi(c.saved);
    const double highShare = std::max(0.0, static_cast<double>(std::min(history, c.reports) - c.lastLow) / history);
    const Curve curve = CurveShown(m_window);
    ASSERT_GT(curve.columns, 100) << "no curve on the chart";
    EXPECT_NEAR(highShare, static_cast<double>(curve.high) / curve.columns, 0.02)
        << curve.high << " of " << curve.columns << " columns show 600 cm";
    if (highShare > 0) {
        EXPECT_GT(curve.high, 0) << "the reports at 600 cm are not on the chart";
    }
    std::cout << "[ figures  ] ReportTimeMS " << c.configured << " at speed " << Utf8(c.speed) << ": " << c.reports
              << " reports in " << playedMs << " ms (" << playedMs / c.reports << " ms each, paced " << c.intervalMs
              << ")\n";
    EXPECT_EQ(0u, CloseTool());
    EXPECT_NE(std::string::npos, ReadFileBytes(ConfigPath()).find(std::string("\tReportTimeMS=\"") + c.saved + "\""))
        << ReadFileBytes(ConfigPath());
}

INSTANTIATE_TEST_SUITE_P(Periods, ReportTimeTest,
                         ::testing::Values(
                             // 15000 reports of history; 1 ms at a hundredth of the speed: 100 ms each.
                             ReportTimeCase{"OneMillisecondAtTheSlowestSpeed", "1", "1", L"0.01", 100.0, 20, 0},
                             // One report of history, shown across the chart; 15 s at a thousand times: 15 ms each.
                             ReportTimeCase{"FifteenSecondsAtTheFastestSpeed", "15000", "15000", L"1000", 15.0, 40, 0},
                             // Above 15 s: refused at load, 50 ms kept (300 reports, the newest
                             // half low); 0.5 ms each.
                             ReportTimeCase{"AboveFifteenSecondsKeeps50", "15001", "50", L"100", 0.5, 400, 150},
                             // 50 ms at three times: 16.67 ms each, no exact double (the pace
                             // that crashed the acquisition thread after about 2 s); 25 s.
                             ReportTimeCase{"FiftyMillisecondsAtThreeTimes", "50", "50", L"3", 50.0 / 3, 1500, 100}),
                         [](const ::testing::TestParamInfo<ReportTimeCase>& info) {
                             return std::string(info.param.name);
                         });

// Files that are no recording and speeds outside 0.01 to 1000 (those two
// themselves play: ReportTimeTest).
TEST_F(ReplayTest, WhatCannotBePlayedIsRefusedWithAMessageAndTheWindowWorksAsUsual) {
    WriteFileBytes(Path(L"empty.dat"), "");
    const std::wstring picture = Path(L"Image\\HumanMotion.png");  // a file, but no recording
    WriteFileBytes(Path(L"walk.dat"), Frame(1, 300) + Frame(2, 120));
    auto badSpeed = [](const std::wstring& speed) {
        return L"回放速度 \"" + speed + L"\" 无效: 请输入 0.01 到 1000 之间的数.";
    };
    const struct {
        std::wstring arguments, message;
    } cases[] = {
        {L"--replay \"" + Path(L"missing.dat") + L"\" --speed 10", L"无法打开回放文件:\n" + Path(L"missing.dat")},
        {L"--replay \"" + Path(L"empty.dat") + L"\" --speed 10", L"回放文件是空的:\n" + Path(L"empty.dat")},
        {L"--replay \"" + picture + L"\"", L"文件中没有雷达数据帧, 不是录制的数据文件:\n" + picture},
        {L"--replay \"" + Path(L"walk.dat") + L"\" --speed 0.009", badSpeed(L"0.009")},
        {L"--replay \"" + Path(L"walk.dat") + L"\" --speed 1001", badSpeed(L"1001")},
        {L"--replay \"" + Path(L"walk.dat") + L"\" --speed abc", badSpeed(L"abc")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8(c.arguments));
        ASSERT_NO_FATAL_FAILURE(StartReplay(c.arguments));
        MessageBoxInfo box = WaitForMessageBox(m_tool.Pid(), kWait);
        if (!box.hwnd) {
            ADD_FAILURE() << "no message; the window shows \"" << Utf8(GetControlText(m_window, IDC_STATIC_VERSION))
                          << "\"";
            EXPECT_EQ(0u, CloseTool());
            continue;
        }
        EXPECT_EQ(L"错误", box.caption);
        EXPECT_EQ(c.message, box.text);
        EXPECT_EQ(BoxIcon::Error, box.icon);
        EXPECT_EQ(m_window, ::GetWindow(box.hwnd, GW_OWNER));
        EXPECT_TRUE(DismissMessageBox(box.hwnd));
        // As started without --replay: ports listed, connect possible, no start.
        EXPECT_EQ(L"固件版本:Unknown", GetControlText(m_window, IDC_STATIC_VERSION));
        EXPECT_TRUE(GetState(Control(m_window, IDC_BTN_CONNECT)).enabled);
        EXPECT_TRUE(GetState(Control(m_window, IDC_BTN_REFRESH)).enabled);
        EXPECT_FALSE(GetState(Control(m_window, IDC_BTN_START)).enabled);
        Click(Control(m_window, IDC_BTN_REFRESH));
        EXPECT_FALSE(ComboItems(Control(m_window, IDC_COMBO_PORT)).empty());
        EXPECT_EQ(0u, CloseTool());
    }
}

}  // namespace
}  // namespace e2e
