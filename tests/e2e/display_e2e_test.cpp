// The main window's display against the simulated module: the presence
// picture as the screen shows it, the chart restarting on a resize while the
// acquisition goes on, the close box saving the baud rate, and a port that
// vanishes mid-run and comes back.
#include "ToolFixture.h"

#include <commctrl.h>
#include <objidl.h>

#include <gdiplus.h>

#include <algorithm>
#include <iostream>
#include <cstdint>
#include <memory>
#include <regex>
#include <set>
#include <vector>

#include "SimFixture.h"
#include "SimLog.h"
#include "resource.h"

namespace e2e {
namespace {

using namespace tooldriver;

constexpr int kPort = 12;

using testsupport::BytesSent;
using testsupport::ProgramFolder;
using testsupport::ScreenPixels;

size_t WholeFrameCount(const std::string& data) { return testsupport::FramesIn(data).size(); }
size_t LoggedFrameCount(const std::string& log) { return testsupport::FramesLogged(log).size(); }

// A picture file stretched over width x height the way the indicator label
// draws it (edges mirrored, default interpolation).
std::vector<DWORD> RenderedPicture(const std::wstring& file, int width, int height) {
    std::vector<DWORD> pixels;
    Gdiplus::Bitmap picture(file.c_str());
    if (picture.GetLastStatus() != Gdiplus::Ok || width <= 0 || height <= 0) return pixels;
    Gdiplus::Bitmap target(width, height, PixelFormat32bppARGB);
    {
        Gdiplus::Graphics graphics(&target);
        Gdiplus::ImageAttributes edges;
        edges.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
        graphics.DrawImage(&picture, Gdiplus::Rect(0, 0, width, height), 0, 0, static_cast<INT>(picture.GetWidth()),
                           static_cast<INT>(picture.GetHeight()), Gdiplus::UnitPixel, &edges);
    }
    Gdiplus::BitmapData data{};
    Gdiplus::Rect all(0, 0, width, height);
    if (target.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) != Gdiplus::Ok) return pixels;
    for (int y = 0; y < height; ++y) {
        const DWORD* row = reinterpret_cast<const DWORD*>(static_cast<const BYTE*>(data.Scan0) + y * data.Stride);
        pixels.insert(pixels.end(), row, row + width);
    }
    target.UnlockBits(&data);
    return pixels;
}

// Mean absolute colour difference per channel and pixel.
double MeanDifference(const std::vector<DWORD>& a, const std::vector<DWORD>& b) {
    if (a.empty() || a.size() != b.size()) return 1e9;
    uint64_t sum = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        for (int shift = 0; shift < 24; shift += 8) {
            const int d = static_cast<int>((a[i] >> shift) & 0xFF) - static_cast<int>((b[i] >> shift) & 0xFF);
            sum += static_cast<uint64_t>(d < 0 ? -d : d);
        }
    }
    return static_cast<double>(sum) / (3.0 * static_cast<double>(a.size()));
}

bool IsCurveRed(DWORD pixel) {
    const int r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
    return r > 200 && g < 90 && b < 90;
}

class DisplayTest : public ToolTest {
protected:
    void SetUp() override {
        ToolTest::SetUp();
        if (HasFatalFailure()) return;
        // The person pictures beside the tool, as shipped.
        ::CreateDirectoryW(Path(L"Image").c_str(), nullptr);
        for (const wchar_t* file : kPictures) {
            const std::wstring target = Path(L"Image\\") + file;
            if (::GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES) {
                ASSERT_TRUE(::CopyFileW((ProgramFolder() + L"\\Image\\" + file).c_str(), target.c_str(), FALSE));
            }
        }
        ASSERT_TRUE(m_gdiplus.Started());
    }

    std::vector<std::wstring> LogFolderFiles(const wchar_t* extension) {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW found;
        HANDLE search = ::FindFirstFileW((Path(L"Log\\*") + extension).c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return names;
        do names.push_back(Path(L"Log\\") + found.cFileName);
        while (::FindNextFileW(search, &found));
        ::FindClose(search);
        return names;
    }
    // The one file of the extension in Log. Any other count is a failure
    // (reported once per extension: callers poll this).
    std::string ReadLogFolderFile(const wchar_t* extension) {
        std::vector<std::wstring> names = LogFolderFiles(extension);
        if (names.size() == 1) return ReadFileBytes(names[0]);
        if (m_wrongCounts.insert(extension).second)
            ADD_FAILURE() << names.size() << " files of " << std::string(extension, extension + wcslen(extension))
                          << " in Log, not one";
        return std::string();
    }
    void ConnectAndStart(int port) {
        Click(Control(m_window, IDC_BTN_REFRESH));
        std::vector<std::wstring> items = ComboItems(Control(m_window, IDC_COMBO_PORT));
        auto it = std::find(items.begin(), items.end(), L"COM" + std::to_wstring(port));
        ASSERT_NE(items.end(), it) << "COM" << port << " not in the port list";
        ASSERT_TRUE(SelectComboItem(Control(m_window, IDC_COMBO_PORT), static_cast<int>(it - items.begin())));
        Click(Control(m_window, IDC_BTN_CONNECT));
        ASSERT_TRUE(WaitText(IDC_BTN_CONNECT, L"断开设备"));
        Click(Control(m_window, IDC_BTN_START));
        ASSERT_TRUE(WaitText(IDC_BTN_START, L"停止"));
    }
    // Writes a simulator script of that name into the session folder; path is where it lies.
    void WriteScript(const char* name, const char* lines, std::string& path) {
        std::string simBinary, sessionDir, problem;
        ASSERT_TRUE(devtest::SessionPaths(simBinary, sessionDir, problem)) << problem;
        path = sessionDir + "/" + name;
        ASSERT_TRUE(devtest::WriteWholeFile(path, lines));
    }
    // Stops with button 1105 and checks the log holds one line per recorded frame.
    void StopAndCompareLogWithRecording() {
        Click(Control(m_window, IDC_BTN_START), 10000);
        ASSERT_TRUE(WaitText(IDC_BTN_START, L"开始"));
        const std::string data = ReadLogFolderFile(L".dat");
        EXPECT_EQ(WholeFrameCount(data), LoggedFrameCount(ReadLogFolderFile(L".log")));
    }

    // Which of the three person pictures the indicator shows (index into
    // kPictures), or -1 when none is clearly closer than the others.
    int PictureShown() {
        HWND indicator = Control(m_window, IDC_STATIC_INDICATOR);
        int width = 0, height = 0;
        std::vector<DWORD> shown = ScreenPixels(indicator, width, height);
        double best = 1e9, second = 1e9;
        int bestIndex = -1;
        for (int i = 0; i < 3; ++i) {
            const double d =
                MeanDifference(shown, RenderedPicture(ProgramFolder() + L"\\Image\\" + kPictures[i], width, height));
            if (d < best) {
                second = best;
                best = d;
                bestIndex = i;
            } else if (d < second) {
                second = d;
            }
        }
        // Close to one picture and clearly apart from the next best.
        return best < 12.0 && best * 2.0 < second ? bestIndex : -1;
    }

    // GDI objects held by the tool's owners (its registered message).
    long LiveGdiObjects() {
        DWORD_PTR count = 0;
        const UINT message = ::RegisterWindowMessageW(L"Tavo_Ladu330_Pk27Tool.LiveGdiObjects");
        if (!::SendMessageTimeoutW(m_window, message, 0, 0, SMTO_ABORTIFHUNG, 5000, &count)) return -1;
        return static_cast<long>(count);
    }

    static constexpr const wchar_t* kPictures[3] = {L"HumanNobody.png", L"HumanMotion.png", L"HumanMotionLess.png"};
    static constexpr int kNobody = 0, kMotion = 1, kMotionless = 2;
    testsupport::GdiplusSession m_gdiplus;
    std::set<std::wstring> m_wrongCounts;
};

TEST_F(DisplayTest, IndicatorShowsThePictureOfEachStateAndNobodyAfterStop) {
    std::string script;
    ASSERT_NO_FATAL_FAILURE(
        WriteScript("display-picture-script.txt", "1 300 1500\n2 120 1500\n0 0 1500\n3 50 1500\n", script));
    devtest::CSimulator sim(kPort, {"--script", script});
    ASSERT_TRUE(sim.Started()) << sim.Problem();

    StartTool();
    EXPECT_TRUE(WaitUntil([&] { return PictureShown() == kNobody; }, kWait)) << "nobody at start-up";
    ConnectAndStart(kPort);
    auto showing = [&](int radio1401, int radio1402, int picture) {
        return WaitUntil(
            [&] {
                return GetState(Control(m_window, IDC_RADIO_MOTION)).check == radio1401 &&
                       GetState(Control(m_window, IDC_RADIO_MOTIONLESS)).check == radio1402 &&
                       PictureShown() == picture;
            },
            kWait);
    };
    EXPECT_TRUE(showing(1, 0, kMotion)) << "moving target";
    EXPECT_TRUE(showing(0, 1, kMotionless)) << "micro-motion target";
    // State 3 is no known state: nobody, like state 0.
    EXPECT_TRUE(WaitUntil([&] { return GetControlText(m_window, IDC_STATIC_DISTANCE) == L"50"; }, kWait));
    EXPECT_TRUE(showing(0, 0, kNobody)) << "unknown state";
    EXPECT_TRUE(showing(1, 0, kMotion)) << "moving again";

    StopAndCompareLogWithRecording();
    EXPECT_TRUE(showing(0, 0, kNobody)) << "after stop";
    EXPECT_EQ(0u, CloseTool());
}

TEST_F(DisplayTest, ResizeWhileRunningRestartsTheCurveButNotTheAcquisition) {
    std::string script;
    ASSERT_NO_FATAL_FAILURE(WriteScript("display-resize-script.txt", "1 600 60000\n", script));
    // 300 history entries at 30 ms: the curve crosses the whole plot in 9 s.
    devtest::CSimulator sim(kPort, {"--script", script, "--period", "30"});
    ASSERT_TRUE(sim.Started()) << sim.Problem();

    StartTool();
    ConnectAndStart(kPort);
    HWND chart = Control(m_window, IDC_STATIC_WAVE);
    // Red pixels in a band of columns near the plot's left end: high (the
    // distance 600 of 800) or low (the zeros of a fresh history).
    int width = 0, height = 0;
    auto leftEnd = [&](bool& high, bool& low) {
        std::vector<DWORD> pixels = ScreenPixels(chart, width, height);
        high = low = false;
        if (pixels.empty()) return;
        for (int x = width * 9 / 100; x < width * 12 / 100; ++x) {
            for (int y = 0; y < height; ++y) {
                if (!IsCurveRed(pixels[static_cast<size_t>(y) * width + x])) continue;
                if (y < height / 2) high = true;
                if (y > height * 3 / 4) low = true;
            }
        }
    };
    bool high = false, low = false;
    ASSERT_TRUE(WaitUntil(
        [&] {
            leftEnd(high, low);
            return high && !low;
        },
        kWait))
        << "the curve at 600 across the whole plot";

    const std::string dataBefore = ReadLogFolderFile(L".dat");
    const size_t loggedBefore = LoggedFrameCount(ReadLogFolderFile(L".log"));
    RECT frame{};
    ::GetWindowRect(m_window, &frame);
    RECT client{};
    ::GetClientRect(m_window, &client);
    // Resizes the window by a factor in percent and waits for the new client width.
    auto resize = [&](int percent) {
        const int width = (frame.right - frame.left) * percent / 100,
                  height = (frame.bottom - frame.top) * percent / 100;
        ::SetWindowPos(m_window, nullptr, 0, 0, width, height,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
        return WaitUntil(
            [&] {
                RECT now{};
                ::GetClientRect(m_window, &now);
                return percent == 100 ? now.right == client.right : (now.right > client.right) == (percent > 100);
            },
            kWait);
    };
    ASSERT_TRUE(resize(125));
    // The history starts again from zeros: the oldest part of the curve lies
    // at the bottom while the newest distances come in at 600.
    EXPECT_TRUE(WaitUntil(
        [&] {
            leftEnd(high, low);
            return low && !high;
        },
        kWait))
        << "the curve restarted";

    EXPECT_EQ(L"停止", GetControlText(m_window, IDC_BTN_START));
    EXPECT_TRUE(WaitUntil(
        [&] {
            return ReadLogFolderFile(L".dat").size() > dataBefore.size() + 70 &&
                   LoggedFrameCount(ReadLogFolderFile(L".log")) > loggedBefore + 10;
        },
        kWait))
        << "recording and logging went on";
    const std::string dataAfter = ReadLogFolderFile(L".dat");
    EXPECT_EQ(dataBefore, dataAfter.substr(0, dataBefore.size())) << "the same data file, appended";
    EXPECT_EQ(1u, LogFolderFiles(L".dat").size());

    // Every further round of resizes leaves as many GDI objects as the one before.
    ASSERT_TRUE(resize(100));
    const long gdiAfterOneRound = LiveGdiObjects();
    EXPECT_GT(gdiAfterOneRound, 0) << "the main window answers its GDI count";
    ASSERT_TRUE(resize(140));
    ASSERT_TRUE(resize(100));
    EXPECT_EQ(gdiAfterOneRound, LiveGdiObjects());
    // The curve fills again from the right.
    EXPECT_TRUE(WaitUntil(
        [&] {
            leftEnd(high, low);
            return high && !low;
        },
        kWait))
        << "the curve refilled; chart " << width << "x" << height << ", high " << high << ", low " << low << ", "
        << LoggedFrameCount(ReadLogFolderFile(L".log")) << " frames logged";

    StopAndCompareLogWithRecording();
    EXPECT_EQ(0u, CloseTool());
}

// The tool's visible tooltip window and its text, or null.
HWND VisibleTip(DWORD pid, std::wstring& text) {
    struct Search {
        DWORD pid;
        HWND found;
    } search{pid, nullptr};
    ::EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            wchar_t cls[64] = {};
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            ::GetClassNameW(window, cls, 64);
            if (owner != s->pid || !::IsWindowVisible(window) || lstrcmpiW(cls, TOOLTIPS_CLASSW) != 0) return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    text.clear();
    if (!search.found) return nullptr;
    wchar_t buffer[256] = {};
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(search.found, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000,
                          &ignored);
    text = buffer;
    return search.found;
}

TEST_F(DisplayTest, ALongVersionIsClippedOnOneLineAndShownWholeInATip) {
    const std::wstring version = L"固件版本:ZUV3917-2.04.261201-LONG-BUILD";
    devtest::CSimulator sim(kPort, {"--version-text", "ZUV3917-2.04.261201-LONG-BUILD"});
    ASSERT_TRUE(sim.Started()) << sim.Problem();
    StartTool();
    ConnectAndStart(kPort);
    EXPECT_EQ(version, GetControlText(m_window, IDC_STATIC_VERSION));
    HWND label = Control(m_window, IDC_STATIC_VERSION);
    EXPECT_TRUE(::GetWindowLongW(label, GWL_STYLE) & SS_LEFTNOWORDWRAP) << "a wrapped second line would be hidden";
    // The window grown by half: the label grows with it, and the tip must
    // cover the part it gained too.
    RECT before{}, r{};
    ::GetWindowRect(label, &before);
    RECT frame{};
    ::GetWindowRect(m_window, &frame);
    ::SetWindowPos(m_window, nullptr, 0, 0, (frame.right - frame.left) * 3 / 2, (frame.bottom - frame.top) * 3 / 2,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(WaitUntil(
        [&] { return ::GetWindowRect(label, &r) && r.right - r.left > (before.right - before.left) * 5 / 4; }, kWait));
    // The pointer comes to rest on the label's added part; the tip appears
    // after its initial delay (every move restarts that delay).
    auto moveTo = [](int x, int y) {
        INPUT move{};
        move.type = INPUT_MOUSE;
        move.mi.dx = x * 65535 / (::GetSystemMetrics(SM_CXSCREEN) - 1);
        move.mi.dy = y * 65535 / (::GetSystemMetrics(SM_CYSCREEN) - 1);
        move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        ::SendInput(1, &move, sizeof move);
    };
    std::wstring tipText;
    bool shown = false;
    for (int attempt = 0; attempt < 3 && !shown; ++attempt) {
        moveTo(r.right - 6 - attempt, (r.top + r.bottom) / 2);
        shown = WaitUntil([&] { return VisibleTip(m_tool.Pid(), tipText) && tipText == version; }, 10000);
    }
    EXPECT_TRUE(shown) << "tip shows \"" << std::string(tipText.begin(), tipText.end()) << "\"";
    StopAndCompareLogWithRecording();
    EXPECT_EQ(0u, CloseTool());
}

TEST_F(DisplayTest, CloseBoxSavesTheTypedBaudRateWithoutAConnection) {
    StartTool();
    EXPECT_EQ(L"256000", GetControlText(m_window, IDC_EDIT_BAUDRATE));
    ASSERT_TRUE(SetEditText(Control(m_window, IDC_EDIT_BAUDRATE), L"115200"));
    // The close box: the system command a click on it sends.
    ASSERT_TRUE(::PostMessageW(m_window, WM_SYSCOMMAND, SC_CLOSE, 0));
    DWORD exitCode = 0xDEAD;
    ASSERT_TRUE(WaitForExitOrKill(m_tool, kWait, &exitCode)) << "the tool did not end";
    EXPECT_EQ(0u, exitCode);
    const std::string saved = ReadFileBytes(ConfigPath());
    EXPECT_NE(std::string::npos, saved.find("\tBaudRate=\"115200\"\n")) << saved;
    // Never connected, never started: no data file.
    EXPECT_TRUE(LogFolderFiles(L".dat").empty());
}

TEST_F(DisplayTest, PortVanishesAndReturnsIntoTheSameDataFile) {
    std::string log1;
    std::string sent1;
    {
        devtest::CSimulator first(kPort, {"--scenario", "walk-in", "--hangup-after", "30"});
        ASSERT_TRUE(first.Started()) << first.Problem();
        StartTool();
        ConnectAndStart(kPort);
        ASSERT_TRUE(first.WaitExited(std::chrono::seconds(60)));
        log1 = first.LogText();
    }
    // What the first module sent once reporting began: everything after the
    // reply to "leave command mode", the last command of the start sequence.
    {
        const size_t leave = log1.rfind("leave command mode");
        ASSERT_NE(std::string::npos, leave);
        const size_t afterReply = log1.find('\n', log1.find(" TX ", leave));
        ASSERT_NE(std::string::npos, afterReply);
        sent1 = BytesSent(log1.substr(afterReply + 1));
    }
    EXPECT_EQ(30u, WholeFrameCount(sent1));
    // The tool keeps every byte that arrived before the port went.
    EXPECT_TRUE(WaitUntil([&] { return ReadLogFolderFile(L".dat").size() >= sent1.size(); }, kWait));
    EXPECT_EQ(sent1, ReadLogFolderFile(L".dat"));
    EXPECT_EQ(L"停止", GetControlText(m_window, IDC_BTN_START));

    // The module comes back on the same port, reporting from power-up.
    devtest::CSimulator second(kPort, {"--scenario", "stand-still", "--reporting"});
    ASSERT_TRUE(second.Started()) << second.Problem();
    EXPECT_TRUE(WaitUntil([&] { return WholeFrameCount(ReadLogFolderFile(L".dat")) >= 30 + 20; }, kWait))
        << "the acquisition went on after the port came back";
    ASSERT_TRUE(second.Stop());
    StopAndCompareLogWithRecording();

    // One data file: the first module's bytes, then a stretch of the second's.
    ASSERT_EQ(1u, LogFolderFiles(L".dat").size());
    const std::string data = ReadLogFolderFile(L".dat");
    ASSERT_GT(data.size(), sent1.size());
    EXPECT_EQ(sent1, data.substr(0, sent1.size()));
    const std::string rest = data.substr(sent1.size());
    EXPECT_NE(std::string::npos, BytesSent(second.LogText()).find(rest)) << "bytes of the second module, in order";
    EXPECT_EQ(0u, CloseTool());
}

// The tool copied into a folder whose name the session's ANSI code page
// cannot spell: it reads and saves its configuration, logs, records and shows
// its pictures there as anywhere else, under the same file names.
class WideFolderTest : public DisplayTest {
protected:
    WideFolderTest() { m_folderStem = L"雷达工具_"; }
};

TEST_F(WideFolderTest, ConfigurationLogRecordingAndPicturesAllWork) {
    BOOL usedDefault = FALSE;
    char narrow[MAX_PATH * 2];
    ::WideCharToMultiByte(CP_ACP, 0, m_folder.c_str(), -1, narrow, sizeof narrow, nullptr, &usedDefault);
    std::cout << "[ figures  ] ANSI code page of the session: " << ::GetACP() << "\n";
    ASSERT_TRUE(usedDefault) << "code page " << ::GetACP() << " can spell the folder name: nothing to show here";

    std::string script;
    ASSERT_NO_FATAL_FAILURE(WriteScript("wide-folder-script.txt", "1 300 1500\n2 120 60000\n", script));
    devtest::CSimulator sim(kPort, {"--script", script});
    ASSERT_TRUE(sim.Started()) << sim.Problem();

    WriteFileBytes(ConfigPath(), "<AppConfig BaudRate=\"57600\" nOffTime=\"33\" />");
    StartTool();
    EXPECT_EQ(L"57600", GetControlText(m_window, IDC_EDIT_BAUDRATE)) << "the configuration was read";
    EXPECT_TRUE(WaitUntil([&] { return PictureShown() == kNobody; }, kWait)) << "nobody at start-up";
    ASSERT_TRUE(SetEditText(Control(m_window, IDC_EDIT_BAUDRATE), L"115200"));
    ConnectAndStart(kPort);
    EXPECT_TRUE(WaitUntil([&] { return PictureShown() == kMotion; }, kWait)) << "moving target";
    EXPECT_TRUE(WaitUntil([&] { return PictureShown() == kMotionless; }, kWait)) << "micro-motion target";
    StopAndCompareLogWithRecording();

    // The same names as in any other folder, the recording what was sent.
    const std::wregex logName(L".*\\\\Log\\\\Ladu330Pk27TOOL_\\d{8}_\\d{6}_\\d{3}\\.log");
    const std::wregex dataName(L".*\\\\Log\\\\Ladu330Pk27TOOL_\\d{8}_\\d{6}_\\d{3}\\.dat");
    ASSERT_EQ(1u, LogFolderFiles(L".log").size());
    ASSERT_EQ(1u, LogFolderFiles(L".dat").size());
    EXPECT_TRUE(std::regex_match(LogFolderFiles(L".log")[0], logName));
    EXPECT_TRUE(std::regex_match(LogFolderFiles(L".dat")[0], dataName));
    const std::string data = ReadLogFolderFile(L".dat");
    EXPECT_GE(WholeFrameCount(data), 2u);
    EXPECT_NE(std::string::npos, BytesSent(sim.LogText()).find(data)) << "recorded bytes are what was sent";

    EXPECT_EQ(0u, CloseTool());
    const std::string saved = ReadFileBytes(ConfigPath());
    EXPECT_EQ(0u, saved.find("<?xml version=\"1.0\"?>\n<AppConfig\n")) << saved;
    EXPECT_NE(std::string::npos, saved.find("\tBaudRate=\"115200\"\n")) << saved;
    EXPECT_NE(std::string::npos, saved.find("\tnOffTime=\"33\"\n")) << saved;
    // Saved by replacing: nothing is left beside it.
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW(Path(L"appConfig.xml*").c_str(), &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, search);
    int files = 0;
    do ++files;
    while (::FindNextFileW(search, &found));
    ::FindClose(search);
    EXPECT_EQ(1, files);
}

}  // namespace
}  // namespace e2e
