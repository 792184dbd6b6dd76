// The main window's chart as a user works with it: the read-out under the
// pointer, the right-click menu's commands (save the picture, copy the data)
// and the link's health line in the chart's corner, checked against what the
// simulated module sent and what the tool recorded.
#include "ToolFixture.h"

#include <objidl.h>

#include <gdiplus.h>

#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "RecordingScan.h"
#include "RunChecks.h"
#include "SimFixture.h"
#include "resource.h"

namespace e2e {
namespace {

using namespace tooldriver;

constexpr int kPort = 12;
constexpr int kHistory = 300;  // 15 s of reports 50 ms apart
// The chart's layout at the window's first size: axes 50 px at the sides,
// 24 px below.
constexpr int kSideAxis = 50, kBottomAxis = 24;

// A text the tool answers a registered query with, through a global atom.
std::wstring QueryText(HWND window, const wchar_t* name) {
    const UINT message = ::RegisterWindowMessageW(name);
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(window, message, 0, 0, SMTO_ABORTIFHUNG, kWait, &result) || result == 0) return L"";
    const ATOM atom = static_cast<ATOM>(result);
    wchar_t text[256] = {};
    const UINT n = ::GlobalGetAtomNameW(atom, text, 256);
    ::GlobalDeleteAtom(atom);
    return std::wstring(text, n);
}
std::wstring HoverText(HWND window) { return QueryText(window, L"Tavo_Ladu330_Pk27Tool.ChartHoverText"); }
std::wstring HealthText(HWND window) { return QueryText(window, L"Tavo_Ladu330_Pk27Tool.ChartHealthText"); }

std::wstring ClipboardText() {
    std::wstring text;
    if (!::OpenClipboard(nullptr)) return text;
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        if (const wchar_t* chars = static_cast<const wchar_t*>(::GlobalLock(data))) {
            text = chars;
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return text;
}

void EmptyTheClipboard() {
    if (!::OpenClipboard(nullptr)) return;
    ::EmptyClipboard();
    ::CloseClipboard();
}

struct CsvRow {
    std::wstring time;
    long distance;
};
std::vector<CsvRow> ParseCsv(const std::wstring& csv, std::wstring* header) {
    std::vector<CsvRow> rows;
    std::wistringstream in(csv);
    std::wstring line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        if (header->empty()) {
            *header = line;
            continue;
        }
        const size_t comma = line.find(L',');
        if (comma == std::wstring::npos) continue;
        rows.push_back({line.substr(0, comma), std::wcstol(line.c_str() + comma + 1, nullptr, 10)});
    }
    return rows;
}

// A top-level dialog of the process with that caption.
HWND FindDialog(DWORD pid, const std::wstring& caption) {
    for (HWND w : TopLevelWindows(pid, L"#32770"))
        if (GetText(w) == caption) return w;
    return nullptr;
}

// The file-name edit of a save dialog: edt1, or the edit inside combo cmb13.
HWND FileNameEdit(HWND dialog) {
    struct Search {
        HWND found = nullptr;
    } search;
    ::EnumChildWindows(
        dialog,
        [](HWND child, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            if (ClassName(child) != L"Edit") return TRUE;
            const int id = ::GetDlgCtrlID(child);
            const int parentId = ::GetDlgCtrlID(::GetParent(child));
            if (id == 0x480 || parentId == 0x47C) {
                s->found = child;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Pixels of a PNG file as 0x00RRGGBB, decoded by GDI+; empty when it does not decode.
std::vector<DWORD> DecodePng(const std::wstring& path, int& width, int& height) {
    std::vector<DWORD> pixels;
    Gdiplus::Bitmap picture(path.c_str());
    if (picture.GetLastStatus() != Gdiplus::Ok) return pixels;
    width = static_cast<int>(picture.GetWidth());
    height = static_cast<int>(picture.GetHeight());
    Gdiplus::Rect all(0, 0, width, height);
    Gdiplus::BitmapData data{};
    if (picture.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppRGB, &data) != Gdiplus::Ok) return pixels;
    for (int y = 0; y < height; ++y) {
        const DWORD* row = reinterpret_cast<const DWORD*>(static_cast<const BYTE*>(data.Scan0) + y * data.Stride);
        for (int x = 0; x < width; ++x) pixels.push_back(row[x] & 0xFFFFFF);
    }
    picture.UnlockBits(&data);
    return pixels;
}

class ChartTest : public ToolTest {
protected:
    void ConnectAndStart() {
        ASSERT_TRUE(SelectPort(m_window, kPort));
        Click(Control(m_window, IDC_BTN_CONNECT), 3000);
        ASSERT_TRUE(WaitText(IDC_BTN_CONNECT, L"断开设备"));
        Click(Control(m_window, IDC_BTN_START), 3000);
        ASSERT_TRUE(WaitText(IDC_BTN_START, L"停止"));
    }
    void Stop() {
        Click(Control(m_window, IDC_BTN_START), 10000);
        ASSERT_TRUE(WaitText(IDC_BTN_START, L"开始"));
    }
    // The menu's choice, as the menu sends it to the window.
    void Choose(UINT id) { ::PostMessageW(m_window, WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    std::string OnlyFile(const wchar_t* extension) {
        const std::vector<std::wstring> names = FilesIn(Path(L"Log"), extension);
        EXPECT_EQ(1u, names.size()) << "files of one kind in Log";
        return names.empty() ? std::string() : ReadFileBytes(Path(L"Log\\") + names[0]);
    }
    // Moves the pointer to (x, y) of the chart, as the mouse would.
    void Hover(HWND chart, int x, int y) {
        POINT screen{x, y};
        ::ClientToScreen(chart, &screen);
        ::SetCursorPos(screen.x, screen.y);
        DWORD_PTR ignored = 0;
        ::SendMessageTimeoutW(chart, WM_MOUSEMOVE, 0, MAKELPARAM(x, y), SMTO_ABORTIFHUNG, kWait, &ignored);
    }
    // Chooses "save picture", types path into the dialog and confirms it.
    // A prompt to replace an existing file is answered yes.
    ::testing::AssertionResult SaveThroughTheDialog(const std::wstring& path, bool expectReplacePrompt) {
        Choose(ID_CHART_SAVE_PICTURE);
        HWND dialog = nullptr;
        if (!WaitUntil([&] { return (dialog = FindDialog(m_tool.Pid(), L"保存图表图片")) != nullptr; }, kWait))
            return ::testing::AssertionFailure() << "no save dialog";
        HWND edit = nullptr;
        if (!WaitUntil([&] { return (edit = FileNameEdit(dialog)) != nullptr; }, kWait))
            return ::testing::AssertionFailure() << "no file name field in the save dialog";
        DWORD_PTR ignored = 0;
        ::SendMessageTimeoutW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()), SMTO_ABORTIFHUNG, kWait,
                              &ignored);
        ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        if (expectReplacePrompt) {
            HWND yes = nullptr;
            const bool prompted = WaitUntil(
                [&] {
                    for (const MessageBoxInfo& box : FindMessageBoxes(m_tool.Pid())) {
                        if ((yes = ::GetDlgItem(box.hwnd, IDYES)) != nullptr) return true;
                    }
                    return false;
                },
                kWait);
            if (!prompted) return ::testing::AssertionFailure() << "no prompt to replace " << Utf8(path);
            ::PostMessageW(yes, BM_CLICK, 0, 0);
        }
        if (!WaitUntil([&] { return !::IsWindow(dialog); }, kWait))
            return ::testing::AssertionFailure() << "the save dialog stayed";
        return ::testing::AssertionSuccess();
    }

    testsupport::GdiplusSession m_gdiplus;
};

TEST_F(ChartTest, ReadOutCopyAndPictureShowTheReportsTheModuleSent) {
    ASSERT_TRUE(m_gdiplus.Started());
    devtest::CSimulator sim(kPort, {"--scenario", "walk-in"});
    ASSERT_TRUE(sim.Started()) << sim.Problem();
    StartTool();
    ConnectAndStart();
    // A few seconds of a person walking in, well under the chart's 15 s.
    ASSERT_TRUE(WaitUntil(
        [&] {
            const std::vector<std::wstring> logs = FilesIn(Path(L"Log"), L".log");
            return !logs.empty() && FramesLogged(ReadFileBytes(Path(L"Log\\") + logs[0])).size() >= 60;
        },
        kWait));
    Stop();
    const std::vector<long> logged = FramesLogged(OnlyFile(L".log"));
    const std::vector<long> sent = FramesIn(testsupport::ReportBytesSent(sim.LogText()));
    ASSERT_GE(logged.size(), 60u);
    ASSERT_LT(logged.size(), static_cast<size_t>(kHistory)) << "the run outlasted the chart's window";
    ASSERT_LE(logged.size(), sent.size());
    EXPECT_EQ(std::vector<long>(sent.begin(), sent.begin() + logged.size()), logged)
        << "the tool's reports are the first the module sent";

    // Copy data: the whole window shown, oldest first; zeros before the run's
    // first report, then every report of the run.
    EmptyTheClipboard();
    Choose(ID_CHART_COPY_DATA);
    std::wstring csv;
    ASSERT_TRUE(WaitUntil([&] { return !(csv = ClipboardText()).empty(); }, kWait)) << "nothing on the clipboard";
    std::wstring header;
    const std::vector<CsvRow> rows = ParseCsv(csv, &header);
    EXPECT_EQ(L"time_s,distance_cm", header);
    ASSERT_EQ(static_cast<size_t>(kHistory), rows.size());
    EXPECT_EQ(L"-14.950", rows.front().time);
    EXPECT_EQ(L"-7.450", rows[150].time);
    EXPECT_EQ(L"0.000", rows.back().time);
    const size_t firstReport = rows.size() - logged.size();
    for (size_t i = 0; i < rows.size(); ++i) {
        const long expected = i < firstReport ? 0 : testsupport::FrameDistance(logged[i - firstReport]);
        EXPECT_EQ(expected, rows[i].distance) << "row " << i << " at " << Utf8(rows[i].time);
    }

    // The read-out under the pointer, at the right edge (the newest report),
    // the left edge and a column between: the time before the newest and
    // the distance of the sample that column shows.
    HWND chart = Control(m_window, IDC_STATIC_WAVE);
    RECT client{};
    ::GetClientRect(chart, &client);
    const int plotWidth = client.right - 2 * kSideAxis;
    ASSERT_GT(plotWidth, 1);
    for (int column : {plotWidth - 1, 0, plotWidth / 3}) {
        const int position =
            static_cast<int>(std::lround(static_cast<double>(column) * (kHistory - 1) / (plotWidth - 1)));
        const double seconds = (kHistory - 1 - position) * 0.05;
        wchar_t expected[64];
        std::swprintf(expected, 64, L"T0-%.2f 秒: %ld 厘米", seconds, rows[static_cast<size_t>(position)].distance);
        Hover(chart, kSideAxis + column, (client.bottom - kBottomAxis) / 2);
        EXPECT_EQ(std::wstring(expected), HoverText(m_window)) << "column " << column;
    }
    ::SendMessageW(chart, WM_MOUSELEAVE, 0, 0);

    // Save picture: the PNG holds exactly the chart as the screen shows it.
    const std::wstring picture = Path(L"图表.png");
    ASSERT_TRUE(SaveThroughTheDialog(picture, false));
    ASSERT_TRUE(WaitUntil([&] { return testsupport::FileSize(picture) > 0; }, kWait)) << "no picture saved";
    EXPECT_TRUE(BoxesOnceAnswering(m_window, m_tool.Pid()).empty());
    int width = 0, height = 0;
    const std::vector<DWORD> saved = DecodePng(picture, width, height);
    ASSERT_FALSE(saved.empty()) << "the saved file is no PNG GDI+ reads";
    EXPECT_EQ(client.right, width);
    EXPECT_EQ(client.bottom, height);
    std::vector<DWORD> shown;
    int shownWidth = 0, shownHeight = 0;
    const bool same = WaitUntil(
        [&] {
            shown = testsupport::ScreenPixels(chart, shownWidth, shownHeight);
            for (DWORD& pixel : shown) pixel &= 0xFFFFFF;  // the colour; the screen may carry alpha
            return shown == saved;
        },
        kWait);
    size_t differ = 0;
    for (size_t i = 0; i < std::min(shown.size(), saved.size()); ++i) differ += shown[i] != saved[i];
    EXPECT_TRUE(same) << differ << " of " << saved.size() << " pixels differ from the screen";
    EXPECT_TRUE(FilesIn(m_folder, L".part").empty()) << "the file was written beside its place, then moved";

    // A file that cannot be replaced (read-only): a box says so and why, the
    // old file stays as it was, nothing is left beside it.
    const std::wstring locked = Path(L"locked.png");
    WriteFileBytes(locked, "not a picture");
    HANDLE holder = ::CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    ASSERT_TRUE(SaveThroughTheDialog(locked, true));
    const MessageBoxInfo box = WaitForMessageBox(m_tool.Pid(), kWait);
    ASSERT_NE(nullptr, box.hwnd) << "a failed save must say so";
    EXPECT_EQ(L"错误", box.caption);
    EXPECT_EQ(BoxIcon::Error, box.icon);
    EXPECT_NE(std::wstring::npos, box.text.find(L"无法保存图片")) << Utf8(box.text);
    EXPECT_NE(std::wstring::npos, box.text.find(locked)) << Utf8(box.text);
    EXPECT_GT(box.text.size(), std::wstring(L"无法保存图片:\n").size() + locked.size() + 1) << "no reason given";
    EXPECT_TRUE(::GetWindow(box.hwnd, GW_OWNER) == m_window) << "the box belongs to the main window";
    ASSERT_TRUE(DismissMessageBox(box.hwnd));
    ::CloseHandle(holder);
    EXPECT_EQ("not a picture", ReadFileBytes(locked));
    EXPECT_TRUE(FilesIn(m_folder, L".part").empty()) << "a failed save left a partial file";

    // Reset view leaves the window as it was (no box, still answering).
    Choose(ID_CHART_RESET_VIEW);
    EXPECT_TRUE(BoxesOnceAnswering(m_window, m_tool.Pid()).empty());
    EXPECT_EQ(0u, CloseTool());
}

// The figures of a recording by the statistics' rules.
recording::ScanCounts CountsOf(const std::string& bytes) {
    struct Ignore : recording::IReportConsumer {
        void OnReport(const recording::Report&) override {}
    } ignore;
    recording::RecordingScanner scanner(ignore);
    scanner.Feed(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    scanner.Finish();
    return scanner.Counts();
}

TEST_F(ChartTest, HealthLineCountsBrokenTrailersResyncsAndAPortLossOfTheRun) {
    devtest::CSimulator sim(kPort, {"--scenario", "walk-in", "--bad-trailer-every", "7", "--hangup-after", "120"});
    ASSERT_TRUE(sim.Started()) << sim.Problem();
    StartTool();
    EXPECT_EQ(L"", HealthText(m_window)) << "no line before the first run";
    ConnectAndStart();
    std::wstring line;
    EXPECT_TRUE(WaitUntil([&] { return (line = HealthText(m_window)).find(L"帧/秒") != std::wstring::npos; }, kWait))
        << "no health line while running: " << Utf8(line);
    std::wstring whileRunning;
    WaitUntil([&] { return std::wcstol((whileRunning = HealthText(m_window)).c_str(), nullptr, 10) > 0; }, kWait);
    std::cout << "[ figures  ] health line while reports come: " << Utf8(whileRunning) << "\n";

    // The module hangs up: the port is away, no reports come; the line says
    // so by itself (nothing else repaints the chart now), beside the notice.
    ASSERT_TRUE(sim.WaitExited());
    EXPECT_TRUE(WaitUntil(
        [&] {
            line = HealthText(m_window);
            return line.rfind(L"0 帧/秒", 0) == 0 && line.find(L"端口断开 1") != std::wstring::npos;
        },
        kWait))
        << Utf8(line);
    EXPECT_NE(std::wstring::npos, GetControlText(m_window, IDC_STATIC_WAVE).find(L"端口已断开"))
        << "the notice stays with the health line";
    Stop();

    // After the stop the run's totals stay, and they are the recording's.
    const std::string data = OnlyFile(L".dat");
    const recording::ScanCounts counts = CountsOf(data);
    EXPECT_GE(counts.badTrailers, 10u) << "too few broken trailers to tell anything";
    wchar_t expected[128];
    std::swprintf(expected, 128, L"已停止  帧尾错误 %llu  重新同步 %llu  端口断开 1",
                  static_cast<unsigned long long>(counts.badTrailers), static_cast<unsigned long long>(counts.resyncs));
    EXPECT_TRUE(WaitUntil([&] { return HealthText(m_window) == expected; }, kWait))
        << Utf8(HealthText(m_window)) << " instead of " << Utf8(expected);
    EXPECT_EQ(0u, CloseTool());
}

TEST_F(ChartTest, ReadOutAndHealthLineSpeakEnglishWithTheEnglishSetting) {
    WriteFileBytes(ConfigPath(), "<?xml version=\"1.0\"?>\n<AppConfig\n\tLanguage=\"ENG\" />\n");
    std::string script;
    ASSERT_TRUE(WriteSimScript("chart-english.txt", "1 321 60000\n", script));
    devtest::CSimulator sim(kPort, {"--script", script});
    ASSERT_TRUE(sim.Started()) << sim.Problem();
    StartTool();
    ASSERT_TRUE(SelectPort(m_window, kPort));
    Click(Control(m_window, IDC_BTN_CONNECT), 3000);
    ASSERT_TRUE(WaitText(IDC_BTN_CONNECT, L"Disconnect"));
    Click(Control(m_window, IDC_BTN_START), 3000);
    ASSERT_TRUE(WaitText(IDC_BTN_START, L"Stop"));

    HWND chart = Control(m_window, IDC_STATIC_WAVE);
    RECT client{};
    ::GetClientRect(chart, &client);
    std::wstring readout;
    EXPECT_TRUE(WaitUntil(
        [&] {
            // The pointer moves (a still pointer is not read again) and
            // comes to rest over the newest report.
            Hover(chart, client.right - kSideAxis - 2, (client.bottom - kBottomAxis) / 2);
            Hover(chart, client.right - kSideAxis - 1, (client.bottom - kBottomAxis) / 2);
            return (readout = HoverText(m_window)) == L"T0-0.00 s: 321 cm";
        },
        kWait))
        << Utf8(readout);
    std::wstring line;
    EXPECT_TRUE(WaitUntil(
        [&] {
            line = HealthText(m_window);
            const size_t rest = line.find(L" reports/s  broken trailers 0  resyncs 0  port losses 0");
            return rest != std::wstring::npos && rest > 0 && std::wcstol(line.c_str(), nullptr, 10) > 0;
        },
        kWait))
        << Utf8(line);
    Click(Control(m_window, IDC_BTN_START), 10000);
    ASSERT_TRUE(WaitText(IDC_BTN_START, L"Start"));
    EXPECT_TRUE(WaitUntil(
        [&] { return (line = HealthText(m_window)) == L"Stopped  broken trailers 0  resyncs 0  port losses 0"; },
        kWait))
        << Utf8(line);
    EXPECT_EQ(0u, CloseTool());
}

}  // namespace
}  // namespace e2e
