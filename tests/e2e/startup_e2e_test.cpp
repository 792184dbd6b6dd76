// Start-up, language choice and configuration, seen from outside the tool.
#include "ToolFixture.h"

#include "RunChecks.h"
#include "resource.h"

namespace e2e {
namespace {

using namespace tooldriver;

const char kKeysAtDefaults[] =
    "\tBaudRate=\"256000\"\n\tnMotionlessRangeMin=\"30\"\n\tnMotionlessRangeMax=\"425\"\n"
    "\tnMotionRangeMin=\"30\"\n\tnMotionRangeMax=\"717\"\n\tnOffTime=\"20\"\n"
    "\tfMotionNearEndCoef=\"40.000000\"\n\tfMotionFarEndCoef=\"6.000000\"\n"
    "\tfMotionlessNearEndCoef=\"40.000000\"\n\tfMotionlessFarEndCoef=\"9.000000\"\n"
    "\tnMotionIIR=\"2\"\n\tnMotionlessIIR=\"8\"\n\tnMotionWindowRange=\"5\"\n"
    "\tnMotionlessWindowRange=\"10\"\n\tfKalman1=\"0.500000\"\n\tfKalman2=\"0.500000\"\n"
    "\tfKalman3=\"0.850000\"\n\tfKalman4=\"0.150000\"\n\tnDistanceCalibration=\"0\"\n"
    "\tReportTimeMS=\"50\" />\n";

// Clicks connect with no port chosen and returns the error box it raises.
// (The list is never empty under Wine, which always offers COM1: the test
// takes the selection away instead.)
MessageBoxInfo ConnectWithoutPort(const Process& tool, HWND window) {
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(Control(window, IDC_COMBO_PORT), CB_SETCURSEL, static_cast<WPARAM>(-1), 0, SMTO_ABORTIFHUNG,
                          kWait, &ignored);
    Click(Control(window, IDC_BTN_CONNECT));
    return WaitForMessageBox(tool.Pid(), kWait);
}

void PostKey(HWND target, WPARAM key) {
    ::PostMessageW(target, WM_KEYDOWN, key, 1);
    ::PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

}  // namespace

TEST_F(ToolTest, WithoutConfigStartUpWritesAnEmptyElementAndExitSavesEveryKey) {
    StartTool();
    // Written before the window showed.
    EXPECT_EQ("<?xml version=\"1.0\"?>\n<AppConfig />\n", ReadFileBytes(ConfigPath()));
    EXPECT_EQ(L"ZUV-3917_TOOL(v1.0.0.1)", GetText(m_window));
    EXPECT_EQ(L"256000", GetControlText(m_window, IDC_EDIT_BAUDRATE));
    EXPECT_FALSE(GetState(Control(m_window, IDC_BTN_START)).enabled);
    EXPECT_FALSE(GetState(Control(m_window, IDC_BTN_PARAM_CONFIG)).enabled);
    EXPECT_TRUE(GetState(Control(m_window, IDC_BTN_CONNECT)).enabled);
    EXPECT_EQ(L"固件版本:Unknown", GetControlText(m_window, IDC_STATIC_VERSION));

    EXPECT_EQ(0u, CloseTool());
    EXPECT_EQ("<?xml version=\"1.0\"?>\n<AppConfig\n" + std::string(kKeysAtDefaults), ReadFileBytes(ConfigPath()));
}

TEST_F(ToolTest, EnterAndEscapeLeaveTheWindowOpen) {
    StartTool();
    HWND edit = Control(m_window, IDC_EDIT_BAUDRATE);
    PostKey(edit, VK_RETURN);
    PostKey(edit, VK_ESCAPE);
    ::PostMessageW(m_window, WM_COMMAND, IDOK, 0);
    ::PostMessageW(m_window, WM_COMMAND, IDCANCEL, 0);
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(Control(m_window, IDC_COMBO_PORT), CB_SETCURSEL, static_cast<WPARAM>(-1), 0, SMTO_ABORTIFHUNG,
                          kWait, &ignored);
    // Posted after the keys, so once its box shows the keys have been handled.
    ::PostMessageW(m_window, WM_COMMAND, MAKEWPARAM(IDC_BTN_CONNECT, BN_CLICKED),
                   reinterpret_cast<LPARAM>(Control(m_window, IDC_BTN_CONNECT)));
    MessageBoxInfo box = WaitForMessageBox(m_tool.Pid(), kWait);
    ASSERT_NE(nullptr, box.hwnd);
    EXPECT_TRUE(::IsWindow(m_window));
    EXPECT_TRUE(m_tool.IsRunning());
    EXPECT_TRUE(DismissMessageBox(box.hwnd));
    EXPECT_EQ(0u, CloseTool());
}

struct LanguageCase {
    const char* name;
    const char* config;
    const wchar_t* caption;
    const wchar_t* text;
};

class ToolLanguageTest : public ToolTest, public ::testing::WithParamInterface<LanguageCase> {};

TEST_P(ToolLanguageTest, MessagesFollowTheLanguageSetting) {
    const LanguageCase& c = GetParam();
    if (c.config) WriteFileBytes(ConfigPath(), c.config);
    StartTool();
    if (c.config) {
        EXPECT_EQ(c.config, ReadFileBytes(ConfigPath())) << "a usable file is not repaired";
    }

    MessageBoxInfo box = ConnectWithoutPort(m_tool, m_window);
    ASSERT_NE(nullptr, box.hwnd) << "no error box";
    EXPECT_EQ(c.caption, box.caption);
    EXPECT_EQ(c.text, box.text);
    EXPECT_EQ(BoxIcon::Error, box.icon);
    EXPECT_TRUE(DismissMessageBox(box.hwnd));
    EXPECT_EQ(0u, CloseTool());
}

INSTANTIATE_TEST_SUITE_P(
    Languages, ToolLanguageTest,
    ::testing::Values(
        LanguageCase{"LowerCaseElementEng", "<appconfig Language=\"eng\" />\n", L"Error", L"No device detected"},
        LanguageCase{"UpperCaseAttributeEng", "<AppConfig LANGUAGE=\"ENG\" />\n", L"Error", L"No device detected"},
        LanguageCase{"Chs", "<AppConfig Language=\"chs\" />\n", L"错误", L"未检测到设备"},
        LanguageCase{"Empty", "<AppConfig Language=\"\" />\n", L"错误", L"未检测到设备"},
        LanguageCase{"Unknown", "<AppConfig Language=\"XYZ\" />\n", L"错误", L"未检测到设备"},
        LanguageCase{"Cht", "<AppConfig Language=\"CHT\" />\n", L"错误", L"未检测到设备"},
        LanguageCase{"NoConfigFile", nullptr, L"错误", L"未检测到设备"}),
    [](const ::testing::TestParamInfo<LanguageCase>& info) { return std::string(info.param.name); });

TEST_F(ToolTest, ConnectSavesTheTypedBaudRateNonNumberAsZero) {
    WriteFileBytes(ConfigPath(), "<AppConfig Language=\"ENG\" baudrate=\"9600\" Site=\"lab 2\" />\n");
    StartTool();
    EXPECT_EQ(L"9600", GetControlText(m_window, IDC_EDIT_BAUDRATE));

    ASSERT_TRUE(SetEditText(Control(m_window, IDC_EDIT_BAUDRATE), L"115200"));
    MessageBoxInfo box = ConnectWithoutPort(m_tool, m_window);
    ASSERT_NE(nullptr, box.hwnd);
    EXPECT_TRUE(DismissMessageBox(box.hwnd));
    EXPECT_TRUE(
        WaitUntil([&] { return ReadFileBytes(ConfigPath()).find("baudrate=\"115200\"") != std::string::npos; }, kWait));

    ASSERT_TRUE(SetEditText(Control(m_window, IDC_EDIT_BAUDRATE), L"fast"));
    EXPECT_EQ(0u, CloseTool());
    std::string saved = ReadFileBytes(ConfigPath());
    EXPECT_EQ(0u,
              saved.find("<?xml version=\"1.0\"?>\n<AppConfig\n\tLanguage=\"ENG\"\n\tbaudrate=\"0\"\n\tSite=\"lab 2\"\n"
                         "\tnMotionlessRangeMin=\"30\"\n"))
        << saved;
    EXPECT_EQ(std::string::npos, saved.find("BaudRate"));
}

TEST_F(ToolTest, LanguageOnlyFileHoldsLanguageThenTheTwentyKeysAfterExit) {
    WriteFileBytes(ConfigPath(), "<AppConfig Language=\"ENG\"/>");
    StartTool();
    EXPECT_EQ(0u, CloseTool());
    EXPECT_EQ("<?xml version=\"1.0\"?>\n<AppConfig\n\tLanguage=\"ENG\"\n" + std::string(kKeysAtDefaults),
              ReadFileBytes(ConfigPath()));
}

TEST_F(ToolTest, ReadOnlyConfigIsLeftAloneSilently) {
    const std::string original = "<AppConfig BaudRate=\"57600\" />";
    WriteFileBytes(ConfigPath(), original);
    ASSERT_TRUE(::SetFileAttributesW(ConfigPath().c_str(), FILE_ATTRIBUTE_READONLY));
    StartTool();
    EXPECT_EQ(L"57600", GetControlText(m_window, IDC_EDIT_BAUDRATE));
    MessageBoxInfo box = ConnectWithoutPort(m_tool, m_window);
    ASSERT_NE(nullptr, box.hwnd);
    EXPECT_TRUE(DismissMessageBox(box.hwnd));
    // The click saves once its box is closed, and so does closing the tool:
    // neither refused save may say anything.
    const std::vector<MessageBoxInfo> afterClick = BoxesOnceAnswering(m_window, m_tool.Pid());
    EXPECT_TRUE(afterClick.empty()) << Describe(afterClick);
    DWORD exitCode = 0xDEAD;
    const std::vector<MessageBoxInfo> atClose = CloseWatchingForBoxes(m_window, m_tool, &exitCode);
    EXPECT_TRUE(atClose.empty()) << Describe(atClose);
    EXPECT_EQ(0u, exitCode);
    EXPECT_EQ(original, ReadFileBytes(ConfigPath()));
}

TEST_F(ToolTest, BrokenConfigIsKeptBesideBeforeItIsRewritten) {
    const std::string broken = "<AppConfig Language=\"ENG\" BaudRate=\"9600\"><Note>half a hand edit</AppConfig";
    WriteFileBytes(ConfigPath(), broken);
    StartTool();
    EXPECT_EQ(L"9600", GetControlText(m_window, IDC_EDIT_BAUDRATE));
    EXPECT_EQ(broken, ReadFileBytes(Path(L"appConfig.xml.bak")));
    EXPECT_EQ(0u, CloseTool());
    EXPECT_EQ(broken, ReadFileBytes(Path(L"appConfig.xml.bak")));
    EXPECT_NE(std::string::npos, ReadFileBytes(ConfigPath()).find("\tBaudRate=\"9600\"\n"));
}

}  // namespace e2e
