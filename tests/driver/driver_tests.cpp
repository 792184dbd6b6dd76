// End to end: a framework program started and operated through the driver.
#include "ToolDriver.h"
#include "demo_app/DemoResources.h"

#include <gtest/gtest.h>

namespace {

using namespace tooldriver;

// Generous: a loaded 2-core machine under Wine can be slow to start a process.
const DWORD kWait = 30000;

std::wstring BesideThisProgram(const wchar_t* name) {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    folder.resize(folder.find_last_of(L"\\/") + 1);
    return folder + name;
}

class DemoAppSession : public ::testing::Test {
protected:
    void SetUp() override {
        std::wstring error;
        app = Launch(BesideThisProgram(L"driver_demo_app.exe"), L"", L"", &error);
        ASSERT_TRUE(app.IsValid()) << std::string(error.begin(), error.end());
        window = WaitForWindow(app.Pid(), L"" DEMO_WINDOW_CLASS, kWait);
        ASSERT_NE(nullptr, window) << "no window of class " DEMO_WINDOW_CLASS;
    }
    void TearDown() override {
        if (app.IsRunning()) {
            DWORD ignored = 0;
            WaitForExitOrKill(app, 0, &ignored);
        }
    }
    Process app;
    HWND window = nullptr;
};

TEST_F(DemoAppSession, ReadsTextsStatesAndComboItems) {
    EXPECT_EQ(L"驱动演示", GetText(window));
    EXPECT_EQ(L"未选择", GetControlText(window, IDC_CHOICE_LABEL));

    ControlState locked = GetState(Control(window, IDC_LOCKED_BUTTON));
    EXPECT_TRUE(locked.exists);
    EXPECT_FALSE(locked.enabled);
    EXPECT_TRUE(locked.visible);
    EXPECT_EQ(1, GetState(Control(window, IDC_OPTION_CHECK)).check);
    EXPECT_FALSE(GetState(Control(window, 4242)).exists);

    HWND combo = Control(window, IDC_CHOICE_COMBO);
    EXPECT_EQ((std::vector<std::wstring>{L"Alpha", L"Beta", L"Gamma"}), ComboItems(combo));
    EXPECT_EQ(CB_ERR, ComboSelection(combo));

    ASSERT_TRUE(SetEditText(Control(window, IDC_NAME_EDIT), L"测试 name"));
    EXPECT_EQ(L"测试 name", GetControlText(window, IDC_NAME_EDIT));
    // The main dialog is not mistaken for a message box.
    EXPECT_TRUE(FindMessageBoxes(app.Pid()).empty());
}

TEST_F(DemoAppSession, ClickOpensAMessageBoxThatIsDetectedAndDismissed) {
    ASSERT_TRUE(Click(Control(window, IDC_GREET_BUTTON)));
    MessageBoxInfo box = WaitForMessageBox(app.Pid(), kWait);
    ASSERT_NE(nullptr, box.hwnd);
    EXPECT_EQ(L"信息", box.caption);
    EXPECT_EQ(L"你好，驱动", box.text);
    EXPECT_EQ(BoxIcon::Information, box.icon) << BoxIconName(box.icon);
    EXPECT_EQ(1u, box.buttons.size());
    EXPECT_EQ(window, ::GetWindow(box.hwnd, GW_OWNER));

    ASSERT_TRUE(DismissMessageBox(box.hwnd, kWait));
    EXPECT_TRUE(WaitUntil([&] { return FindMessageBoxes(app.Pid()).empty(); }, kWait));
    EXPECT_TRUE(app.IsRunning());
}

TEST_F(DemoAppSession, SelectionReachesTheProgramAndCloseEndsItWithItsExitCode) {
    HWND combo = Control(window, IDC_CHOICE_COMBO);
    ASSERT_TRUE(SelectComboItem(combo, 2));
    EXPECT_EQ(2, ComboSelection(combo));
    EXPECT_TRUE(WaitUntil([&] { return GetControlText(window, IDC_CHOICE_LABEL) == L"Gamma"; }, kWait));

    ASSERT_TRUE(tooldriver::CloseWindow(window));
    DWORD exitCode = 0;
    ASSERT_TRUE(WaitForExit(app, kWait, &exitCode));
    EXPECT_EQ(42u, exitCode);  // 40 + the chosen item
}

TEST(Driver, LaunchReportsAMissingProgram) {
    std::wstring error;
    Process missing = Launch(BesideThisProgram(L"no_such_program.exe"), L"", L"", &error);
    EXPECT_FALSE(missing.IsValid());
    EXPECT_FALSE(error.empty());
}

TEST(Driver, AProgramThatDoesNotEndIsKilledAfterTheTimeOut) {
    // The demo program waits for its window to be closed, so it never ends
    // by itself here.
    Process app = Launch(BesideThisProgram(L"driver_demo_app.exe"), L"", L"");
    ASSERT_TRUE(app.IsValid());
    ASSERT_NE(nullptr, WaitForWindow(app.Pid(), L"" DEMO_WINDOW_CLASS, kWait));
    DWORD exitCode = 0;
    EXPECT_FALSE(WaitForExitOrKill(app, 200, &exitCode));
    EXPECT_TRUE(WaitUntil([&] { return !app.IsRunning(); }, kWait));
}

}  // namespace
