// A recording opened from the window: the system menu's "打开记录…" through
// the file dialog, or a file dropped on the window; the speed entries; back to
// live; files that are no recording.
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <ostream>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "RunChecks.h"
#include "SimFixture.h"
#include "ToolFixture.h"
#include "resource.h"

namespace e2e {
namespace {

using namespace tooldriver;

constexpr int kPort = 6;
constexpr wchar_t kDialogTitle[] = L"打开记录";

std::string Frame(int state, int distance) {
    return {
        '\xAA', '\xAA', static_cast<char>(state), static_cast<char>(distance & 0xFF), static_cast<char>(distance >> 8),
        '\x55', '\x55'};
}

// count frames, distances 100, 101, ... (state 1), the last one at rest (2).
std::string Recording(int count) {
    std::string bytes;
    for (int i = 0; i < count; ++i) bytes += Frame(i == count - 1 ? 2 : 1, 100 + i % 500);
    return bytes;
}

std::vector<std::string> ExpectedLines(int count) {
    std::vector<std::string> lines;
    for (int i = 0; i < count; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "State=%d, M_D=%03d\r\n", i == count - 1 ? 2 : 1, 100 + i % 500);
        lines.push_back(line);
    }
    return lines;
}

// What the user sees of the main window's controls: text, enabled, checked;
// the port list and its selection.
struct Controls {
    std::map<int, std::wstring> texts;
    std::map<int, bool> enabled;
    std::map<int, int> checks;
    std::vector<std::wstring> ports;
    int portSelection = -1;
    bool operator==(const Controls& o) const {
        return texts == o.texts && enabled == o.enabled && checks == o.checks && ports == o.ports &&
               portSelection == o.portSelection;
    }
};

Controls ControlsOf(HWND window) {
    Controls c;
    for (int id : {IDC_BTN_REFRESH, IDC_COMBO_PORT, IDC_EDIT_BAUDRATE, IDC_BTN_CONNECT, IDC_BTN_PARAM_CONFIG,
                   IDC_BTN_START, IDC_STATIC_VERSION, IDC_STATIC_DISTANCE, IDC_RADIO_MOTION, IDC_RADIO_MOTIONLESS}) {
        c.texts[id] = GetControlText(window, id);
        const ControlState state = GetState(Control(window, id));
        c.enabled[id] = state.enabled;
        c.checks[id] = state.check;
    }
    c.ports = ComboItems(Control(window, IDC_COMBO_PORT));
    c.portSelection = ComboSelection(Control(window, IDC_COMBO_PORT));
    return c;
}

std::string Describe(const Controls& c) {
    std::string text;
    for (const auto& [id, label] : c.texts)
        text += std::to_string(id) + " \"" + Utf8(label) + "\" " + (c.enabled.at(id) ? "on" : "off") +
                (c.checks.at(id) ? " checked" : "") + "; ";
    text += std::to_string(c.ports.size()) + " ports, selected " + std::to_string(c.portSelection);
    return text;
}

void PrintTo(const Controls& c, std::ostream* os) { *os << Describe(c); }

// The chart as the screen shows it, once what was asked is painted.
struct ChartPicture {
    int width = 0, height = 0;
    std::vector<DWORD> pixels;  // 0x00RRGGBB, top row first
    bool operator==(const ChartPicture& o) const { return width == o.width && pixels == o.pixels; }
};

// Whether a tip window of the tool's window thread (the chart's read-out) is on the screen.
bool ReadOutShown(HWND window) {
    bool shown = false;
    ::EnumThreadWindows(
        ::GetWindowThreadProcessId(window, nullptr),
        [](HWND window, LPARAM found) {
            wchar_t name[64] = {};
            ::GetClassNameW(window, name, 64);
            if (std::wstring(name) == TOOLTIPS_CLASSW && ::IsWindowVisible(window))
                *reinterpret_cast<bool*>(found) = true;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&shown));
    return shown;
}

ChartPicture ChartShown(HWND window) {
    HWND chart = Control(window, IDC_STATIC_WAVE);
    // The read-out lies over the chart wherever the pointer is: the pointer goes.
    ::SetCursorPos(::GetSystemMetrics(SM_CXVIRTUALSCREEN) - 1, ::GetSystemMetrics(SM_CYVIRTUALSCREEN) - 1);
    ::SendMessageW(chart, WM_MOUSELEAVE, 0, 0);
    ::RedrawWindow(chart, nullptr, nullptr, RDW_UPDATENOW);
    ChartPicture picture;
    picture.pixels = testsupport::ScreenPixels(chart, picture.width, picture.height);
    for (DWORD& pixel : picture.pixels) pixel &= 0xFFFFFF;  // the colour; the screen may carry alpha
    return picture;
}

// How many pixels differ, and the rectangle around them.
std::string Difference(const ChartPicture& a, const ChartPicture& b) {
    if (a.width != b.width || a.pixels.size() != b.pixels.size()) return "the sizes differ";
    int count = 0, left = a.width, top = a.height, right = -1, bottom = -1;
    for (size_t i = 0; i < a.pixels.size(); ++i) {
        if (a.pixels[i] == b.pixels[i]) continue;
        const int x = static_cast<int>(i % a.width), y = static_cast<int>(i / a.width);
        ++count;
        left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
    }
    return std::to_string(count) + " pixels differ within (" + std::to_string(left) + "," + std::to_string(top) +
           ")-(" + std::to_string(right) + "," + std::to_string(bottom) + ")";
}

class ReplayMenuTest : public ToolTest {
protected:
    void StartWith(const std::wstring& arguments) {
        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        std::wstring error;
        m_tool = Launch(Path(L"Tavo_Ladu330_Pk27Tool.exe"), arguments, temp, &error);
        ASSERT_TRUE(m_tool.IsValid()) << Utf8(error);
        m_window = WaitForWindow(m_tool.Pid(), kMainClass, kWait);
        ASSERT_NE(nullptr, m_window) << "the main window did not appear";
    }
    UINT MenuState(UINT command) { return SystemMenuState(m_window, command); }
    bool Checked(UINT command) { return (MenuState(command) & MF_CHECKED) != 0; }
    bool Grayed(UINT command) { return (MenuState(command) & (MF_GRAYED | MF_DISABLED)) != 0; }
    // The checked speed entries, as "1", "5", "20".
    std::string CheckedSpeeds() {
        std::string checked;
        for (auto [command, name] : {std::pair<UINT, const char*>{IDM_REPLAY_SPEED_1, "1"},
                                     {IDM_REPLAY_SPEED_5, "5"},
                                     {IDM_REPLAY_SPEED_20, "20"}})
            if (Checked(command)) checked += checked.empty() ? name : std::string(",") + name;
        return checked;
    }
    long long IntervalUs() { return Query(m_window, L"Tavo_Ladu330_Pk27Tool.ReplayIntervalUs"); }

    // A system menu command, as the menu sends it; returns once it is handled
    // (or, for one that opens a modal window, while that window is open).
    void Command(UINT command) {
        ASSERT_TRUE(::PostMessageW(m_window, WM_SYSCOMMAND, command, 0));
        if (command != IDM_OPEN_RECORDING) {
            ASSERT_TRUE(HandledWhatWasPosted(m_window));
        }
    }

    // "打开记录…", then the file dialog filled in and its Open button pressed.
    void OpenThroughDialog(const std::wstring& path) {
        ASSERT_NO_FATAL_FAILURE(Command(IDM_OPEN_RECORDING));
        HWND dialog = nullptr;
        ASSERT_TRUE(WaitUntil(
            [&] {
                for (HWND w : TopLevelWindows(m_tool.Pid(), L"#32770"))
                    if (GetText(w) == kDialogTitle) dialog = w;
                return dialog != nullptr;
            },
            kWait))
            << "no file dialog";
        EXPECT_EQ(m_window, ::GetWindow(dialog, GW_OWNER)) << "the dialog belongs to the main window";
        HWND name = FileNameEdit(dialog);
        ASSERT_NE(nullptr, name) << "no file name field in the dialog";
        ASSERT_TRUE(SetEditText(name, path));
        ASSERT_TRUE(Click(::GetDlgItem(dialog, IDOK), 2000));
        ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); }, kWait)) << "the dialog stayed open";
        ASSERT_TRUE(HandledWhatWasPosted(m_window));
    }

    // The file name field: an edit in the name combo box (cmb13) or the edit edt1.
    static HWND FileNameEdit(HWND dialog) {
        HWND combo = ::GetDlgItem(dialog, 0x47C);
        if (combo) {
            if (ClassName(combo) == L"Edit") return combo;
            if (HWND edit = ::FindWindowExW(combo, nullptr, L"Edit", nullptr)) return edit;
            if (HWND inner = ::FindWindowExW(combo, nullptr, L"ComboBox", nullptr))
                if (HWND edit = ::FindWindowExW(inner, nullptr, L"Edit", nullptr)) return edit;
        }
        return ::GetDlgItem(dialog, 0x480);
    }

    std::set<std::wstring> LogFiles(const wchar_t* extension) {
        std::set<std::wstring> names;
        for (const std::wstring& name : FilesIn(Path(L"Log"), extension)) names.insert(name);
        return names;
    }
    std::string OnlyLog() {
        const std::set<std::wstring> logs = LogFiles(L".log");
        EXPECT_EQ(1u, logs.size());
        return logs.empty() ? std::string() : ReadFileBytes(Path(L"Log\\") + *logs.begin());
    }
    // The message box the tool shows, checked and dismissed.
    void ExpectRefusal(const std::wstring& message, BoxIcon icon = BoxIcon::Error) {
        MessageBoxInfo box = WaitForMessageBox(m_tool.Pid(), kWait);
        ASSERT_NE(nullptr, box.hwnd) << "no message; the label shows \""
                                     << Utf8(GetControlText(m_window, IDC_STATIC_VERSION)) << "\"";
        EXPECT_EQ(icon == BoxIcon::Error ? L"错误" : L"信息", box.caption);
        EXPECT_EQ(message, box.text);
        EXPECT_EQ(icon, box.icon);
        EXPECT_EQ(m_window, ::GetWindow(box.hwnd, GW_OWNER));
        EXPECT_TRUE(DismissMessageBox(box.hwnd));
        EXPECT_GE(PingWindow(m_window), 0);
    }
};

// Opened through the menu and the file dialog at 20x, played to its end with
// the position shown, then back to live: the window as a fresh start shows
// it, and connecting and starting records from the module again.
TEST_F(ReplayMenuTest, OpenedFromTheMenuPlaysToItsEndAndBackToLiveRestoresAFreshStart) {
    devtest::CSimulator sim(kPort, {"--scenario", "walk-in"});
    ASSERT_TRUE(sim.Started()) << sim.Problem();
    constexpr int kFrames = 400;  // 20 s of 50 ms reports
    ASSERT_TRUE(::CreateDirectoryW(Path(L"recordings").c_str(), nullptr));
    const std::wstring recording = Path(L"recordings\\walk.dat");
    WriteFileBytes(recording, Recording(kFrames));

    ASSERT_NO_FATAL_FAILURE(StartTool());
    const Controls fresh = ControlsOf(m_window);
    EXPECT_EQ(L"固件版本:Unknown", fresh.texts.at(IDC_STATIC_VERSION));
    EXPECT_FALSE(fresh.ports.empty());
    EXPECT_EQ("1", CheckedSpeeds());
    EXPECT_TRUE(Grayed(IDM_BACK_TO_LIVE)) << "live already";
    EXPECT_FALSE(Grayed(IDM_OPEN_RECORDING));
    ChartPicture freshChart;
    ASSERT_TRUE(WaitUntil(
        [&] {
            freshChart = ChartShown(m_window);
            return !freshChart.pixels.empty() && !ReadOutShown(m_window) && ChartShown(m_window) == freshChart;
        },
        kWait));

    ASSERT_NO_FATAL_FAILURE(Command(IDM_REPLAY_SPEED_20));
    EXPECT_EQ("20", CheckedSpeeds());
    ASSERT_NO_FATAL_FAILURE(OpenThroughDialog(recording));
    EXPECT_EQ(L"固件版本:walk.dat", GetControlText(m_window, IDC_STATIC_VERSION));
    for (int id : {IDC_BTN_REFRESH, IDC_COMBO_PORT, IDC_BTN_CONNECT, IDC_BTN_PARAM_CONFIG})
        EXPECT_FALSE(GetState(Control(m_window, id)).enabled) << id;
    EXPECT_TRUE(GetState(Control(m_window, IDC_BTN_START)).enabled);
    EXPECT_FALSE(Grayed(IDM_BACK_TO_LIVE));

    Click(Control(m_window, IDC_BTN_START));
    EXPECT_EQ(2500, IntervalUs()) << "50 ms at 20x";
    ASSERT_TRUE(WaitText(IDC_BTN_START, L"开始")) << "the end of the recording did not stop the replay";
    EXPECT_EQ(L"0:20 / 0:20 walk.dat", GetControlText(m_window, IDC_STATIC_VERSION));
    EXPECT_EQ(L"499", GetControlText(m_window, IDC_STATIC_DISTANCE));  // the last report
    EXPECT_EQ(ExpectedLines(kFrames), ReportLines(OnlyLog()));
    EXPECT_TRUE(LogFiles(L".dat").empty()) << "a replay records nothing";

    ASSERT_NO_FATAL_FAILURE(Command(IDM_BACK_TO_LIVE));
    const Controls live = ControlsOf(m_window);
    EXPECT_EQ(fresh, live) << "fresh: " << Describe(fresh) << "\nback to live: " << Describe(live);
    EXPECT_TRUE(Grayed(IDM_BACK_TO_LIVE));
    EXPECT_EQ(-1, IntervalUs()) << "no recording open";
    EXPECT_EQ("20", CheckedSpeeds()) << "the speed stays for the next replay";
    // Neither the replay's curve nor its health line stays on the chart.
    EXPECT_TRUE(HandledWhatWasPosted(m_window));
    ChartPicture liveChart;
    EXPECT_TRUE(WaitUntil([&] { return (liveChart = ChartShown(m_window)) == freshChart; }, kWait))
        << "the chart is not as a fresh start shows it: " << Difference(liveChart, freshChart);

    // The module is the source again: connect, start, its bytes are recorded.
    ASSERT_TRUE(SelectPort(m_window, kPort));
    Click(Control(m_window, IDC_BTN_CONNECT), 3000);
    ASSERT_TRUE(WaitUntil([&] { return GetControlText(m_window, IDC_STATIC_VERSION) != L"固件版本:Unknown"; }, kWait))
        << "no version from the module";
    EXPECT_TRUE(GetState(Control(m_window, IDC_BTN_START)).enabled);
    Click(Control(m_window, IDC_BTN_START));
    ASSERT_TRUE(WaitText(IDC_BTN_START, L"停止"));
    std::set<std::wstring> dats;
    ASSERT_TRUE(WaitUntil([&] { return !(dats = LogFiles(L".dat")).empty(); }, kWait));
    const std::wstring dat = Path(L"Log\\") + *dats.begin();
    EXPECT_TRUE(WaitUntil([&] { return ReadFileBytes(dat).size() >= 7 * 20; }, kWait)) << "nothing recorded";
    Click(Control(m_window, IDC_BTN_START), 10000);
    ASSERT_TRUE(WaitText(IDC_BTN_START, L"开始"));
    EXPECT_GT(ReportLines(OnlyLog()).size(), static_cast<size_t>(kFrames)) << "the module's reports logged too";
    EXPECT_EQ(0u, CloseTool());
}

// The speed a --speed gave checks no entry unless it is one of them; a speed
// chosen in the menu reaches the replay at its next start and, while it runs,
// at once.
TEST_F(ReplayMenuTest, TheChosenSpeedReachesTheReplayAtStartAndWhileItRuns) {
    WriteFileBytes(Path(L"long.dat"), Recording(2000));  // 100 s
    ASSERT_NO_FATAL_FAILURE(StartWith(L"--replay \"" + Path(L"long.dat") + L"\" --speed 10"));
    EXPECT_EQ("", CheckedSpeeds()) << "10x is none of the entries";
    EXPECT_FALSE(Grayed(IDM_BACK_TO_LIVE));
    EXPECT_EQ(0, IntervalUs()) << "not started yet";
    Click(Control(m_window, IDC_BTN_START));
    ASSERT_TRUE(WaitText(IDC_BTN_START, L"停止"));
    EXPECT_EQ(5000, IntervalUs()) << "50 ms at 10x";

    // While it runs: at once, and the position moves on in the label.
    ASSERT_NO_FATAL_FAILURE(Command(IDM_REPLAY_SPEED_5));
    EXPECT_EQ("5", CheckedSpeeds());
    EXPECT_EQ(10000, IntervalUs());
    const std::wregex playing(L"(\\d+):(\\d\\d) / 1:40 long\\.dat");
    std::wsmatch at;
    std::wstring label;
    ASSERT_TRUE(WaitUntil(
        [&] {
            label = GetControlText(m_window, IDC_STATIC_VERSION);
            return std::regex_match(label, at, playing) && (at[1] != L"0" || at[2] != L"00");
        },
        kWait))
        << Utf8(label);
    Click(Control(m_window, IDC_BTN_START), 10000);
    ASSERT_TRUE(WaitText(IDC_BTN_START, L"开始"));
    label = GetControlText(m_window, IDC_STATIC_VERSION);
    EXPECT_TRUE(std::regex_match(label, playing)) << "paused, the label keeps the position: " << Utf8(label);

    // Stopped: the next start takes it.
    ASSERT_NO_FATAL_FAILURE(Command(IDM_REPLAY_SPEED_1));
    EXPECT_EQ("1", CheckedSpeeds());
    EXPECT_EQ(10000, IntervalUs()) << "nothing runs: the speed waits for the start";
    Click(Control(m_window, IDC_BTN_START));
    ASSERT_TRUE(WaitText(IDC_BTN_START, L"停止"));
    EXPECT_EQ(50000, IntervalUs());

    // A file dropped on the window opens at the chosen speed, stopping the run.
    WriteFileBytes(Path(L"short.dat"), Recording(30));
    ASSERT_NO_FATAL_FAILURE(Command(IDM_REPLAY_SPEED_20));
    ASSERT_NO_FATAL_FAILURE(Drop({Path(L"short.dat")}));
    EXPECT_EQ(L"开始", GetControlText(m_window, IDC_BTN_START)) << "the running replay stops first";
    EXPECT_EQ(L"固件版本:short.dat", GetControlText(m_window, IDC_STATIC_VERSION));
    Click(Control(m_window, IDC_BTN_START));
    EXPECT_EQ(2500, IntervalUs());
    ASSERT_TRUE(WaitText(IDC_BTN_START, L"开始"));
    EXPECT_EQ(L"0:01 / 0:01 short.dat", GetControlText(m_window, IDC_STATIC_VERSION));
    EXPECT_EQ(L"129", GetControlText(m_window, IDC_STATIC_DISTANCE));
    EXPECT_EQ(0u, CloseTool());
}

// A file that is no recording, empty or missing gives the message --replay
// gives, and changes nothing: live stays live, an open replay stays open and
// a running one runs on.
TEST_F(ReplayMenuTest, WhatIsNoRecordingGivesTheReplayMessageAndChangesNothing) {
    const std::wstring picture = Path(L"Image\\HumanMotion.png");
    WriteFileBytes(Path(L"empty.dat"), "");
    WriteFileBytes(Path(L"walk.dat"), Recording(600));  // 30 s at 1x

    ASSERT_NO_FATAL_FAILURE(StartTool());
    const Controls fresh = ControlsOf(m_window);
    ASSERT_NO_FATAL_FAILURE(OpenThroughDialog(picture));
    ASSERT_NO_FATAL_FAILURE(ExpectRefusal(L"文件中没有雷达数据帧, 不是录制的数据文件:\n" + picture));
    EXPECT_EQ(fresh, ControlsOf(m_window)) << Describe(ControlsOf(m_window));
    ASSERT_NO_FATAL_FAILURE(Drop({Path(L"empty.dat")}));
    ASSERT_NO_FATAL_FAILURE(ExpectRefusal(L"回放文件是空的:\n" + Path(L"empty.dat")));
    ASSERT_NO_FATAL_FAILURE(Drop({Path(L"missing.dat")}));
    ASSERT_NO_FATAL_FAILURE(ExpectRefusal(L"无法打开回放文件:\n" + Path(L"missing.dat")));
    ASSERT_NO_FATAL_FAILURE(Drop({Path(L"Image")}));
    ASSERT_NO_FATAL_FAILURE(
        ExpectRefusal(L"这是一个文件夹, 不是录制的数据文件:\n" + Path(L"Image") + L"\n请拖入一个 .dat 文件."));
    EXPECT_EQ(fresh, ControlsOf(m_window)) << Describe(ControlsOf(m_window));
    EXPECT_TRUE(Grayed(IDM_BACK_TO_LIVE));
    EXPECT_EQ(-1, IntervalUs());

    // Of several files the first is opened, and the user is told so.
    ASSERT_NO_FATAL_FAILURE(Drop({Path(L"walk.dat"), Path(L"empty.dat")}));
    ASSERT_NO_FATAL_FAILURE(ExpectRefusal(L"一次只能回放一个文件: 拖入了 2 个文件, 已打开第一个:\n" + Path(L"walk.dat"),
                                          BoxIcon::Information));
    EXPECT_EQ(L"固件版本:walk.dat", GetControlText(m_window, IDC_STATIC_VERSION));
    // A replay running: a picture dropped on it is refused, the replay runs on.
    Click(Control(m_window, IDC_BTN_START));
    ASSERT_TRUE(WaitText(IDC_BTN_START, L"停止"));
    ASSERT_NO_FATAL_FAILURE(Drop({picture}));
    ASSERT_NO_FATAL_FAILURE(ExpectRefusal(L"文件中没有雷达数据帧, 不是录制的数据文件:\n" + picture));
    EXPECT_EQ(L"停止", GetControlText(m_window, IDC_BTN_START));
    const std::wstring label = GetControlText(m_window, IDC_STATIC_VERSION);
    EXPECT_TRUE(std::regex_match(label, std::wregex(L"\\d+:\\d\\d / 0:30 walk\\.dat"))) << Utf8(label);
    EXPECT_EQ(50000, IntervalUs());
    EXPECT_FALSE(Grayed(IDM_BACK_TO_LIVE));
    const int before = _wtoi(GetControlText(m_window, IDC_STATIC_DISTANCE).c_str());
    EXPECT_TRUE(WaitUntil([&] { return _wtoi(GetControlText(m_window, IDC_STATIC_DISTANCE).c_str()) > before; }, kWait))
        << "the replay stopped";
    // Back to live from a running replay.
    ASSERT_NO_FATAL_FAILURE(Command(IDM_BACK_TO_LIVE));
    EXPECT_EQ(fresh, ControlsOf(m_window)) << Describe(ControlsOf(m_window));
    EXPECT_EQ(0u, CloseTool());
}

}  // namespace
}  // namespace e2e
