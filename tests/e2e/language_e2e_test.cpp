// The tool's two windows in each language: with Language="ENG" every control
// of the main window and of the parameter dialog (opened while connected to
// the simulated module on COM8) reads English and no CJK character shows;
// without a setting both windows stay Chinese. The language chosen from the
// system menu is saved and applies at the next start.
#include "ToolFixture.h"

#include <map>
#include <string>
#include <vector>

#include "RunChecks.h"
#include "SimFixture.h"
#include "resource.h"

namespace e2e {
namespace {

using namespace tooldriver;

constexpr int kPort = 8;

bool HasCjk(const std::wstring& text) {
    for (wchar_t c : text)
        if ((c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFF00 && c <= 0xFFEF)) return true;
    return false;
}

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

// Every control of a window (children of children too) with its text.
struct Shown {
    int id;
    std::wstring text;
};
std::vector<Shown> ControlTexts(HWND window) {
    std::vector<HWND> children;
    ::EnumChildWindows(
        window,
        [](HWND child, LPARAM param) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(param)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&children));
    std::vector<Shown> shown;
    for (HWND child : children) shown.push_back({::GetDlgCtrlID(child), GetText(child)});
    return shown;
}

// The texts of the controls without an id of their own (labels, group box).
std::vector<std::wstring> LabelTexts(const std::vector<Shown>& shown) {
    std::vector<std::wstring> texts;
    for (const Shown& s : shown)
        if (static_cast<WORD>(s.id) == static_cast<WORD>(IDC_STATIC)) texts.push_back(s.text);
    return texts;
}

::testing::AssertionResult NoCjk(const std::wstring& caption, const std::vector<Shown>& shown) {
    if (HasCjk(caption)) return ::testing::AssertionFailure() << "caption " << Narrow(caption);
    for (const Shown& s : shown)
        if (HasCjk(s.text)) return ::testing::AssertionFailure() << "control " << s.id << ": " << Narrow(s.text);
    return ::testing::AssertionSuccess();
}

class LanguageTest : public ToolTest {
protected:
    // The parameter dialog, created hidden at start-up; found by its caption.
    HWND ParamDialog(const std::wstring& caption) { return WaitForToolDialog(m_tool.Pid(), caption); }
    bool WaitText(HWND window, int id, const std::wstring& text) {
        return WaitUntil([&] { return GetControlText(window, id) == text; }, kWait);
    }
    void ConnectToPort(int number) {
        Click(Control(m_window, IDC_BTN_REFRESH));
        std::vector<std::wstring> items = ComboItems(Control(m_window, IDC_COMBO_PORT));
        int index = -1;
        for (size_t i = 0; i < items.size(); ++i)
            if (items[i] == L"COM" + std::to_wstring(number)) index = static_cast<int>(i);
        ASSERT_NE(-1, index) << "COM" << number << " not in the port list";
        ASSERT_TRUE(SelectComboItem(Control(m_window, IDC_COMBO_PORT), index));
        Click(Control(m_window, IDC_BTN_CONNECT), 3000);
    }
};

TEST_F(LanguageTest, EnglishSettingShowsBothWindowsInEnglish) {
    WriteFileBytes(ConfigPath(), "<?xml version=\"1.0\"?>\n<AppConfig\n\tLanguage=\"ENG\" />\n");
    devtest::CSimulator sim(kPort, {"--version-text", "ZUV3917-EN-1"});
    ASSERT_TRUE(sim.Started()) << sim.Problem();
    StartTool();

    const std::map<int, std::wstring> atStart = {
        {IDC_BTN_REFRESH, L"Refresh"},     {IDC_BTN_CONNECT, L"Connect"}, {IDC_STATIC_VERSION, L"Firmware:Unknown"},
        {IDC_BTN_PARAM_CONFIG, L"Params"}, {IDC_BTN_START, L"Start"},     {IDC_RADIO_MOTION, L"Moving"},
        {IDC_RADIO_MOTIONLESS, L"Still"},  {IDC_STATIC_UNIT, L"cm"},      {IDC_STATIC_WAVE, L"Chart"}};
    for (const auto& [id, text] : atStart) EXPECT_EQ(text, GetControlText(m_window, id)) << "control " << id;
    std::vector<Shown> main = ControlTexts(m_window);
    EXPECT_EQ((std::vector<std::wstring>{L"Port", L"Baud"}), LabelTexts(main));
    EXPECT_TRUE(NoCjk(GetText(m_window), main));

    ASSERT_NO_FATAL_FAILURE(ConnectToPort(kPort));
    ASSERT_TRUE(WaitText(m_window, IDC_BTN_CONNECT, L"Disconnect"));
    ASSERT_TRUE(WaitText(m_window, IDC_STATIC_VERSION, L"Firmware:ZUV3917-EN-1"));
    EXPECT_TRUE(NoCjk(GetText(m_window), ControlTexts(m_window)));

    HWND dialog = ParamDialog(L"Parameters");
    ASSERT_NE(nullptr, dialog) << "no parameter dialog with the English caption";
    Click(Control(m_window, IDC_BTN_PARAM_CONFIG));
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(dialog) != FALSE; }, kWait));
    const std::map<int, std::wstring> buttons = {{IDC_BTN_READ_PARAM, L"Read"},
                                                 {IDC_BTN_SET_PARAM, L"Write"},
                                                 {IDC_BTN_RESTORE_DEFAULT, L"Defaults"},
                                                 {IDC_BTN_SAVE_PROFILE, L"Save profile…"},
                                                 {IDC_BTN_LOAD_PROFILE, L"Load profile…"},
                                                 {IDC_BTN_WRITE_ALL, L"Write all…"}};
    for (const auto& [id, text] : buttons) EXPECT_EQ(text, GetControlText(dialog, id)) << "control " << id;
    std::vector<Shown> params = ControlTexts(dialog);
    EXPECT_EQ((std::vector<std::wstring>{L"General", L"Still range (cm):", L"-", L"Moving range (cm):", L"-",
                                         L"Absence delay:", L"Offset:", L"* frame period"}),
              LabelTexts(params));
    EXPECT_TRUE(NoCjk(GetText(dialog), params));

    tooldriver::CloseWindow(dialog);
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(dialog) == FALSE; }, kWait));
    EXPECT_EQ(0u, CloseTool());
}

TEST_F(LanguageTest, WithoutSettingBothWindowsStayChinese) {
    StartTool();
    EXPECT_EQ(L"刷新", GetControlText(m_window, IDC_BTN_REFRESH));
    EXPECT_EQ(L"连接设备", GetControlText(m_window, IDC_BTN_CONNECT));
    EXPECT_EQ(L"参数配置", GetControlText(m_window, IDC_BTN_PARAM_CONFIG));
    EXPECT_EQ(L"厘米", GetControlText(m_window, IDC_STATIC_UNIT));
    EXPECT_EQ((std::vector<std::wstring>{L"串口号", L"波特率"}), LabelTexts(ControlTexts(m_window)));

    HWND dialog = ParamDialog(L"参数配置");
    ASSERT_NE(nullptr, dialog) << "no parameter dialog with the Chinese caption";
    EXPECT_EQ(L"读取参数", GetControlText(dialog, IDC_BTN_READ_PARAM));
    EXPECT_EQ(L"恢复默认", GetControlText(dialog, IDC_BTN_RESTORE_DEFAULT));
    std::vector<std::wstring> labels = LabelTexts(ControlTexts(dialog));
    ASSERT_FALSE(labels.empty());
    EXPECT_EQ(L"普通设置", labels.front());
    EXPECT_EQ(0u, CloseTool());
}

// The language chosen from the system menu, one step a row: the entry that is
// checked before, the box that says it applies at the next start (in the
// language chosen), the value saved, and how the window reads after a restart.
struct LanguageStep {
    UINT from, to;
    const wchar_t *caption, *text;
    const char* saved;
    const wchar_t* refresh;  // the refresh button after the restart
};

class LanguageMenuTest : public LanguageTest {
protected:
    bool Checked(UINT command) { return (SystemMenuState(m_window, command) & MF_CHECKED) != 0; }
    void Choose(UINT command) { ASSERT_TRUE(::PostMessageW(m_window, WM_SYSCOMMAND, command, 0)); }
    std::string Saved() { return ReadFileBytes(ConfigPath()); }
};

TEST_F(LanguageMenuTest, ChosenLanguageIsSavedAndAppliesAtTheNextStart) {
    WriteFileBytes(ConfigPath(), "<?xml version=\"1.0\"?>\n<AppConfig\n\tBaudRate=\"9600\" />\n");
    StartTool();
    const LanguageStep steps[] = {
        {IDM_LANGUAGE_CHINESE, IDM_LANGUAGE_ENGLISH, L"Prompt", L"The language changes to English at the next start.",
         "\tLanguage=\"ENG\"", L"Refresh"},
        {IDM_LANGUAGE_ENGLISH, IDM_LANGUAGE_CHINESE, L"信息", L"语言将在下次启动时切换为中文。", "\tLanguage=\"CHS\"",
         L"刷新"}};
    for (const LanguageStep& step : steps) {
        SCOPED_TRACE(step.saved);
        EXPECT_TRUE(Checked(step.from));
        EXPECT_FALSE(Checked(step.to));
        // The one checked already: nothing happens.
        Choose(step.from);
        EXPECT_TRUE(BoxesOnceAnswering(m_window, m_tool.Pid()).empty());

        const std::wstring before = GetControlText(m_window, IDC_BTN_REFRESH);
        Choose(step.to);
        const MessageBoxInfo box = WaitForMessageBox(m_tool.Pid(), kWait);
        ASSERT_NE(nullptr, box.hwnd) << "no word that it applies at the next start";
        EXPECT_EQ(step.caption, box.caption);
        EXPECT_EQ(step.text, box.text);
        EXPECT_EQ(BoxIcon::Information, box.icon) << BoxIconName(box.icon);
        EXPECT_TRUE(DismissMessageBox(box.hwnd));
        EXPECT_NE(std::string::npos, Saved().find(step.saved)) << Saved();
        EXPECT_TRUE(Checked(step.to)) << "the entry follows what is saved";
        EXPECT_FALSE(Checked(step.from));
        EXPECT_EQ(before, GetControlText(m_window, IDC_BTN_REFRESH)) << "the window keeps its language";

        EXPECT_EQ(0u, CloseTool());
        StartTool();
        EXPECT_EQ(step.refresh, GetControlText(m_window, IDC_BTN_REFRESH));
    }
    EXPECT_EQ(0u, CloseTool());
}

// The file held open by another program: the usual box about settings not
// saved, each time it is chosen, no word of a change; the file and the
// checked entry stay, and the save at exit does not bring the choice back.
TEST_F(LanguageMenuTest, ChoiceThatCannotBeSavedIsToldAndTakenBack) {
    const std::string before = "<?xml version=\"1.0\"?>\n<AppConfig\n\tBaudRate=\"9600\" />\n";
    WriteFileBytes(ConfigPath(), before);
    StartTool();
    HANDLE holder =
        ::CreateFileW(ConfigPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    for (int attempt = 0; attempt < 2; ++attempt) {
        Choose(IDM_LANGUAGE_ENGLISH);
        ExpectErrorBox(WaitForMessageBox(m_tool.Pid(), kWait),
                       {L"无法保存设置", ConfigPath() + L"\n" + SystemText(ERROR_SHARING_VIOLATION)});
        const std::vector<MessageBoxInfo> more = BoxesOnceAnswering(m_window, m_tool.Pid());
        EXPECT_TRUE(more.empty()) << Describe(more);
        EXPECT_TRUE(Checked(IDM_LANGUAGE_CHINESE));
        EXPECT_FALSE(Checked(IDM_LANGUAGE_ENGLISH));
    }
    ::CloseHandle(holder);
    EXPECT_EQ(before, Saved());
    EXPECT_EQ(0u, CloseTool());
    EXPECT_EQ(std::string::npos, Saved().find("Language")) << Saved();
}

}  // namespace
}  // namespace e2e
