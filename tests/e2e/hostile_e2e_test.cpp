// Hostile files beside the real executable: configuration files that are
// empty, binary, huge or full of absurd numbers, a folder that refuses writes,
// and person pictures that are cut short or no pictures at all. The tool
// starts, keeps to its defaults where the file gives it nothing usable, and
// ends cleanly.
#include "ToolFixture.h"

#include <algorithm>
#include <iostream>
#include <map>
#include <sstream>

#include "RunChecks.h"
#include "SimFixture.h"
#include "resource.h"

namespace e2e {
namespace {

using namespace tooldriver;

bool Holds(const std::string& saved, const std::string& key, const std::string& value) {
    return saved.find("\t" + key + "=\"" + value + "\"") != std::string::npos;
}

struct BadFileCase {
    const char* name;
    std::string bytes;
    bool keptBeside;  // whether the tool keeps a copy as appConfig.xml.bak
};

void PrintTo(const BadFileCase& c, std::ostream* os) { *os << c.name; }

class BadConfigTest : public ToolTest, public ::testing::WithParamInterface<BadFileCase> {};

TEST_P(BadConfigTest, StartsWithDefaultsAndSavesAWholeFile) {
    const BadFileCase& c = GetParam();
    WriteFileBytes(ConfigPath(), c.bytes);
    StartTool();
    EXPECT_EQ(L"256000", GetControlText(m_window, IDC_EDIT_BAUDRATE));
    EXPECT_EQ(0u, CloseTool());
    const std::string saved = ReadFileBytes(ConfigPath());
    EXPECT_EQ(0u, saved.find("<?xml version=\"1.0\"?>\n")) << saved;
    EXPECT_TRUE(Holds(saved, "BaudRate", "256000")) << saved;
    EXPECT_NE(std::string::npos, saved.find("\tReportTimeMS=\"50\" />\n")) << saved;
    if (c.keptBeside) {
        EXPECT_EQ(c.bytes, ReadFileBytes(Path(L"appConfig.xml.bak")));
    } else {
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(Path(L"appConfig.xml.bak").c_str()));
    }
}

INSTANTIATE_TEST_SUITE_P(Hostile, BadConfigTest,
                         ::testing::Values(BadFileCase{"Empty", std::string(), false},
                                           BadFileCase{"BinaryGarbage",
                                                       std::string("\x00\xFF\xFE<\x01\x80\xC0\xAA\x55\x00<Ap\x00", 14) +
                                                           std::string(4096, '\x9F'),
                                                       true}),
                         [](const ::testing::TestParamInfo<BadFileCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(ToolTest, HugeConfigIsReadAndWrittenBackWhole) {
    // 50 MB: a usable element followed by a comment nobody would write by hand.
    const std::string head = "<AppConfig BaudRate=\"9600\" />\n<!--";
    WriteFileBytes(ConfigPath(), head + std::string(50u << 20, 'x') + "-->\n");
    const ULONGLONG before = ::GetTickCount64();
    StartTool();
    const ULONGLONG started = ::GetTickCount64();
    EXPECT_EQ(L"9600", GetControlText(m_window, IDC_EDIT_BAUDRATE));
    EXPECT_EQ(0u, CloseTool());
    const ULONGLONG closed = ::GetTickCount64();
    const std::string saved = ReadFileBytes(ConfigPath());
    EXPECT_GT(saved.size(), 50u << 20) << "what the tool does not know stays in the file";
    EXPECT_TRUE(Holds(saved, "BaudRate", "9600"));
    std::cout << "[ figures  ] 50 MB configuration: start " << (started - before) << " ms, close with save "
              << (closed - started) << " ms\n";
}

TEST_F(ToolTest, ConfigAboveTheReadLimitIsMovedAsideWhole) {
    // Sparse, so it costs no disk: 1 GiB and one byte, above what is read.
    const LONGLONG size = (1LL << 30) + 1;
    {
        HANDLE file = ::CreateFileW(ConfigPath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        LARGE_INTEGER end;
        end.QuadPart = size;
        EXPECT_TRUE(::SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && ::SetEndOfFile(file));
        ::CloseHandle(file);
    }
    StartTool();
    EXPECT_EQ(L"256000", GetControlText(m_window, IDC_EDIT_BAUDRATE));
    EXPECT_EQ(0u, CloseTool());
    WIN32_FILE_ATTRIBUTE_DATA kept = {};
    ASSERT_TRUE(::GetFileAttributesExW(Path(L"appConfig.xml.bak").c_str(), GetFileExInfoStandard, &kept));
    EXPECT_EQ(size, (static_cast<LONGLONG>(kept.nFileSizeHigh) << 32) | kept.nFileSizeLow);
    EXPECT_TRUE(Holds(ReadFileBytes(ConfigPath()), "BaudRate", "256000"));
}

TEST_F(ToolTest, AbsurdNumbersAreRefusedOrTakenAsTheyStand) {
    WriteFileBytes(ConfigPath(),
                   "<AppConfig BaudRate=\"99999999999\" nOffTime=\"-1\" fKalman1=\"1e308\" fKalman2=\"NaN\" "
                   "fKalman3=\"-1e39\" fKalman4=\"inf\" nMotionRangeMax=\"1e3\" nMotionIIR=\"-2147483649\" "
                   "ReportTimeMS=\"0\" nMotionlessIIR=\" 7 \" />");
    StartTool();
    EXPECT_EQ(L"256000", GetControlText(m_window, IDC_EDIT_BAUDRATE));
    EXPECT_EQ(0u, CloseTool());
    const std::string saved = ReadFileBytes(ConfigPath());
    // Beyond the field's type (or not a decimal number): the default stays.
    EXPECT_TRUE(Holds(saved, "BaudRate", "256000")) << saved;
    EXPECT_TRUE(Holds(saved, "fKalman1", "0.500000")) << saved;
    EXPECT_TRUE(Holds(saved, "fKalman2", "0.500000")) << saved;
    EXPECT_TRUE(Holds(saved, "fKalman3", "0.850000")) << saved;
    EXPECT_TRUE(Holds(saved, "fKalman4", "0.150000")) << saved;
    EXPECT_TRUE(Holds(saved, "nMotionRangeMax", "717")) << saved;
    EXPECT_TRUE(Holds(saved, "nMotionIIR", "2")) << saved;
    // A report period the chart history cannot use keeps 50 ms.
    EXPECT_TRUE(Holds(saved, "ReportTimeMS", "50")) << saved;
    // Numbers of the right type are taken without a range check.
    EXPECT_TRUE(Holds(saved, "nOffTime", "-1")) << saved;
    EXPECT_TRUE(Holds(saved, "nMotionlessIIR", "7")) << saved;
}

// Whether a new file can be made in folder.
bool FolderTakesFiles(const std::wstring& folder) {
    const std::wstring probe = folder + L"\\probe.tmp";
    HANDLE h = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    ::CloseHandle(h);
    ::DeleteFileW(probe.c_str());
    return true;
}

class FolderTest : public ToolTest {
protected:
    // Starts the tool on a configuration of 57600 baud, types 115200 and
    // closes it, which saves.
    std::string RunAndSave() {
        StartTool();
        // Start-up made the log in the folder, and says nothing about it.
        std::vector<MessageBoxInfo> boxes = BoxesOnceAnswering(m_window, m_tool.Pid());
        EXPECT_TRUE(boxes.empty()) << "at start-up: " << Describe(boxes);
        EXPECT_EQ(L"57600", GetControlText(m_window, IDC_EDIT_BAUDRATE));
        EXPECT_TRUE(SetEditText(Control(m_window, IDC_EDIT_BAUDRATE), L"115200"));
        DWORD exitCode = 0xDEAD;
        boxes = CloseWatchingForBoxes(m_window, m_tool, &exitCode);
        EXPECT_TRUE(boxes.empty()) << "while closing: " << Describe(boxes);
        EXPECT_EQ(0u, exitCode);
        return ReadFileBytes(ConfigPath());
    }
    const std::string m_original = "<AppConfig BaudRate=\"57600\" />";
};

TEST_F(FolderTest, ReadOnlyAttributeOnTheFolderDoesNotStopSaving) {
    // As on Windows, the attribute on a folder does not refuse writes under
    // Wine. (A folder whose host permissions refuse writes cannot be made in
    // the test sessions, which run as root; the refused saves themselves are
    // covered by the read-only file and the host file-replacement tests.)
    WriteFileBytes(ConfigPath(), m_original);
    ASSERT_TRUE(::SetFileAttributesW(m_folder.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(FolderTakesFiles(m_folder));
    const std::string saved = RunAndSave();
    EXPECT_TRUE(Holds(saved, "BaudRate", "115200")) << saved;
    EXPECT_EQ(1u, FilesIn(Path(L"Log"), L".log").size());
    ::SetFileAttributesW(m_folder.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// The indicator's pixels as they are on the screen.
std::vector<DWORD> IndicatorPixels(HWND window) {
    HWND indicator = Control(window, IDC_STATIC_INDICATOR);
    // A paint still pending is done first: the dialog's face colour where the
    // label has not painted yet would look like the label's own background.
    ::RedrawWindow(indicator, nullptr, nullptr, RDW_UPDATENOW);
    RECT rc{};
    ::GetClientRect(indicator, &rc);
    POINT origin{0, 0};
    ::ClientToScreen(indicator, &origin);
    std::vector<DWORD> pixels;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = rc.right;
    info.bmiHeader.biHeight = -rc.bottom;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && rc.right > 0 && rc.bottom > 0) {
        HGDIOBJ old = ::SelectObject(memory, bitmap);
        ::BitBlt(memory, 0, 0, rc.right, rc.bottom, screen, origin.x, origin.y, SRCCOPY);
        ::SelectObject(memory, old);
        const DWORD* p = static_cast<const DWORD*>(bits);
        pixels.assign(p, p + static_cast<size_t>(rc.right) * rc.bottom);
    }
    if (bitmap) ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return pixels;
}

// Whether every pixel is the label's background, the dialog face colour it
// is given: not a picture, nor black as a surface never painted, nor a window
// lying over it.
bool PlainBackground(const std::vector<DWORD>& pixels) {
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    const DWORD expected = static_cast<DWORD>(GetRValue(face)) << 16 | GetGValue(face) << 8 | GetBValue(face);
    return !pixels.empty() &&
           std::all_of(pixels.begin(), pixels.end(), [&](DWORD p) { return (p & 0xFFFFFF) == expected; });
}

std::string ColourSummary(const std::vector<DWORD>& pixels) {
    std::map<DWORD, size_t> counts;
    for (DWORD p : pixels) ++counts[p & 0xFFFFFF];
    std::ostringstream text;
    text << pixels.size() << " pixels, " << counts.size() << " colours, face " << std::hex
         << ::GetSysColor(COLOR_BTNFACE) << " (BGR);";
    for (const auto& c : counts) text << " " << c.first << " x" << std::dec << c.second << std::hex;
    return text.str();
}

TEST_F(ToolTest, BrokenPicturesShowNoPicture) {
    const std::string good = ReadFileBytes(Path(L"Image\\HumanNobody.png"));
    ASSERT_GT(good.size(), 200u);
    WriteFileBytes(Path(L"Image\\HumanNobody.png"), good.substr(0, 100));             // cut short
    WriteFileBytes(Path(L"Image\\HumanMotion.png"), "GIF89a this is not a picture");  // wrong format
    WriteFileBytes(Path(L"Image\\HumanMotionLess.png"), std::string());               // empty
    devtest::CSimulator sim(6, {"--scenario", "walk-in"});
    ASSERT_TRUE(sim.Started()) << sim.Problem();

    StartTool();
    EXPECT_TRUE(::IsWindowVisible(Control(m_window, IDC_STATIC_INDICATOR)));
    EXPECT_TRUE(WaitUntil([&] { return PlainBackground(IndicatorPixels(m_window)); }, kWait))
        << "a plain indicator: " << ColourSummary(IndicatorPixels(m_window));
    ASSERT_TRUE(SelectPort(m_window, 6));
    Click(Control(m_window, IDC_BTN_CONNECT), 3000);
    ASSERT_TRUE(WaitUntil([&] { return GetControlText(m_window, IDC_BTN_CONNECT) == L"断开设备"; }, kWait));
    Click(Control(m_window, IDC_BTN_START), 3000);
    // A state arrives: the tool would show its picture, there is none to show.
    EXPECT_TRUE(WaitUntil(
        [&] {
            return GetState(Control(m_window, IDC_RADIO_MOTION)).check == 1 ||
                   GetState(Control(m_window, IDC_RADIO_MOTIONLESS)).check == 1;
        },
        kWait));
    EXPECT_GE(PingWindow(m_window), 0);
    const std::vector<DWORD> running = IndicatorPixels(m_window);
    EXPECT_TRUE(PlainBackground(running)) << ColourSummary(running);
    Click(Control(m_window, IDC_BTN_START), 10000);
    EXPECT_TRUE(WaitUntil([&] { return GetControlText(m_window, IDC_BTN_START) == L"开始"; }, kWait));
    EXPECT_EQ(0u, CloseTool());
}

}  // namespace
}  // namespace e2e
