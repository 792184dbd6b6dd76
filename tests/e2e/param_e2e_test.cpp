// The parameter dialog against the simulated module on COM8: read, set,
// restore, refused and malformed replies, the port closed, a running
// acquisition, and the window's own behaviour (hidden at start, Enter and
// Escape, the close box). What the module holds comes from the simulator's
// log; what the record holds from appConfig.xml after the next save.
#include <string>
#include <vector>

#include "ParamFixture.h"

namespace e2e {
namespace {

TEST_F(ParamDialogTest, ReadWhileRunningFillsTheEditsAndAllEighteenKeys) {
    WriteFileBytes(ConfigPath(), ConfigWith(kOwn));
    devtest::CSimulator sim(kPort, {"--scenario", "walk-in"});
    ASSERT_TRUE(sim.Started()) << sim.Problem();
    StartTool();

    // Created hidden at start-up, showing the record loaded from the file.
    m_dialog = Dialog();
    ASSERT_NE(nullptr, m_dialog);
    EXPECT_FALSE(::IsWindowVisible(m_dialog));
    EXPECT_EQ(m_window, ::GetWindow(m_dialog, GW_OWNER));
    EXPECT_EQ(kOwnEdits, Edits());

    ASSERT_NO_FATAL_FAILURE(Connect());
    ASSERT_NO_FATAL_FAILURE(StartAcquisition());
    ASSERT_NO_FATAL_FAILURE(ShowDialog());

    // Enter, Escape and their commands leave the dialog open. The read is
    // posted after them, so they have been handled once its box shows. (No
    // button of the dialog has been clicked yet: none is the default button
    // that Enter would press.)
    HWND edit = Control(m_dialog, IDC_EDIT_OFF_TIME);
    for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
        ::PostMessageW(edit, WM_KEYDOWN, key, 1);
        ::PostMessageW(edit, WM_KEYUP, key, 0xC0000001);
    }
    ::PostMessageW(m_dialog, WM_COMMAND, IDOK, 0);
    ::PostMessageW(m_dialog, WM_COMMAND, IDCANCEL, 0);
    ::PostMessageW(m_dialog, WM_COMMAND, MAKEWPARAM(IDC_BTN_READ_PARAM, BN_CLICKED),
                   reinterpret_cast<LPARAM>(Control(m_dialog, IDC_BTN_READ_PARAM)));
    MessageBoxInfo box = WaitForMessageBox(m_tool.Pid(), kWait);
    ASSERT_NE(nullptr, box.hwnd);
    EXPECT_TRUE(::IsWindowVisible(m_dialog));
    ExpectInfo(box, L"读取参数成功");
    EXPECT_TRUE(DismissMessageBox(box.hwnd));
    Settle();
    EXPECT_EQ(kDefaultEdits, Edits());
    ExpectAcquisitionStopped();

    // With the port closed the dialog goes, and comes back with the module.
    ASSERT_NO_FATAL_FAILURE(Disconnect());
    EXPECT_TRUE(WaitSaved(kDefaults)) << ReadFileBytes(ConfigPath());
    const int received = sim.CountLog("RX");
    ASSERT_NO_FATAL_FAILURE(PressPutAway(IDC_BTN_READ_PARAM));
    ASSERT_NO_FATAL_FAILURE(PressPutAway(IDC_BTN_SET_PARAM));
    EXPECT_EQ(received, sim.CountLog("RX")) << "nothing sent";
    ASSERT_NO_FATAL_FAILURE(Connect());
    EXPECT_TRUE(WaitUntil([&] { return ::IsWindowVisible(m_dialog) != FALSE; }, kWait)) << "back with the module";

    // The close box hides the dialog; it is still there, and stays hidden
    // when the module goes and comes back.
    ::PostMessageW(m_dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindowVisible(m_dialog); }, kWait));
    EXPECT_TRUE(::IsWindow(m_dialog));
    Settle();
    ASSERT_NO_FATAL_FAILURE(Disconnect());
    ASSERT_NO_FATAL_FAILURE(Connect());
    Settle();
    EXPECT_FALSE(::IsWindowVisible(m_dialog)) << "closed by the user, it stays closed";
    EXPECT_EQ(0u, CloseTool());
}

TEST_F(ParamDialogTest, SetWhileRunningWritesTheTypedNumbersAndRestoreWritesTheFactorySet) {
    devtest::CSimulator sim(kPort, {"--scenario", "walk-in"});
    ASSERT_TRUE(sim.Started()) << sim.Problem();
    StartTool();
    ASSERT_NO_FATAL_FAILURE(Connect());
    ASSERT_NO_FATAL_FAILURE(StartAcquisition());
    ASSERT_NO_FATAL_FAILURE(ShowDialog());

    // Numbers as an edit reads them: cut toward zero, trailing text ignored.
    ASSERT_NO_FATAL_FAILURE(TypeEdits({L"12.9", L" 480", L"7cm", L"6.5e2", L"abc", L"-3"}));
    ExpectInfo(Press(IDC_BTN_SET_PARAM), L"设置参数成功");
    ExpectAcquisitionStopped();
    const std::string log = sim.LogText();
    EXPECT_NE(std::string::npos, LastWriteLine(log, "0x0067").find("status 0x0000")) << log;
    EXPECT_NE(std::string::npos,
              LastWriteLine(log, "0x0072").find("status 0x0000; holds general 650 7 480 12 0 calibration -3"))
        << log;
    ASSERT_NO_FATAL_FAILURE(Disconnect());
    Values set = kDefaults;
    set[0] = "12", set[1] = "480", set[2] = "7", set[3] = "650", set[4] = "0", set[17] = "-3";
    EXPECT_TRUE(WaitSaved(set)) << ReadFileBytes(ConfigPath());

    // Restore while connected: every group written, the module back at the factory set.
    ASSERT_NO_FATAL_FAILURE(Connect());
    ExpectInfo(Press(IDC_BTN_RESTORE_DEFAULT), L"恢复默认值成功");
    EXPECT_EQ(kDefaultEdits, Edits());
    const std::string restored = sim.LogText();
    for (const char* code : {"0x0067", "0x0068", "0x0069", "0x0070", "0x0071"})
        EXPECT_NE(std::string::npos, LastWriteLine(restored, code).find("status 0x0000")) << code;
    EXPECT_NE(std::string::npos,
              LastWriteLine(restored, "0x0072").find("status 0x0000; holds general 717 30 425 30 20 calibration 0"))
        << restored;
    EXPECT_EQ(0u, CloseTool());
    EXPECT_NE(std::string::npos, ReadFileBytes(ConfigPath()).find(SavedKeys(kDefaults)));
}

TEST_F(ParamDialogTest, FailedReadsAndWritesLeaveTheRecordAndRestoreWithoutPortFails) {
    WriteFileBytes(ConfigPath(), ConfigWith(kOwn));
    StartTool();
    const std::vector<std::vector<std::string>> faults = {
        {"--reply-0x73-length", "51"}, {"--reply-0x73-length", "53"}, {"--status-0x73", "5"}};
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault[0] + " " + fault[1]);
        devtest::CSimulator sim(kPort, fault);
        ASSERT_NO_FATAL_FAILURE(ConnectTo(sim));
        if (!m_dialog) {
            ASSERT_NO_FATAL_FAILURE(ShowDialog());
        }
        ExpectError(Press(IDC_BTN_READ_PARAM), L"读取参数失败");
        EXPECT_NE(std::string::npos, sim.LogText().find("0x0073 read parameters")) << "the read went out";
        EXPECT_EQ(kOwnEdits, Edits());
        ASSERT_NO_FATAL_FAILURE(Disconnect());
    }

    // The ranges accepted, the compensation refused: the module keeps the
    // ranges, the record keeps all its old values.
    {
        devtest::CSimulator sim(kPort, {"--refuse-code", "0x72"});
        ASSERT_NO_FATAL_FAILURE(ConnectTo(sim));
        ASSERT_NO_FATAL_FAILURE(TypeEdits({L"40", L"400", L"50", L"500", L"25", L"5"}));
        ExpectError(Press(IDC_BTN_SET_PARAM), L"写入距离校准参数失败");
        const std::string log = sim.LogText();
        EXPECT_NE(std::string::npos,
                  LastWriteLine(log, "0x0072").find("status 0x0005; holds general 500 50 400 40 25 calibration 0"))
            << log;
        ASSERT_NO_FATAL_FAILURE(Disconnect());
        EXPECT_TRUE(WaitSaved(kOwn)) << ReadFileBytes(ConfigPath());
    }

    // Restore with the port closed does not reach the record: the dialog
    // went with the module, and a click that still comes does nothing.
    const std::vector<std::wstring> typed = Edits();
    ASSERT_NO_FATAL_FAILURE(PressPutAway(IDC_BTN_RESTORE_DEFAULT));
    EXPECT_EQ(typed, Edits());
    EXPECT_EQ(0u, CloseTool());
    EXPECT_NE(std::string::npos, ReadFileBytes(ConfigPath()).find(SavedKeys(kOwn)));
}

// A recording opened over an open dialog: the dialog goes with the module, a
// click that still reaches it neither stops the replay nor touches the
// record, and it comes back as it was once a module is connected again.
TEST_F(ParamDialogTest, ARecordingInPlaceOfTheModuleTakesTheDialogAwayUntilTheModuleIsBack) {
    WriteFileBytes(ConfigPath(), ConfigWith(kOwn));
    std::string frames;
    for (int i = 0; i < 1200; ++i) frames += std::string("\xAA\xAA\x01\x64\x00\x55\x55", 7);  // 60 s
    WriteFileBytes(Path(L"walk.dat"), frames);
    devtest::CSimulator sim(kPort, {"--scenario", "walk-in"});
    StartTool();
    ASSERT_NO_FATAL_FAILURE(ConnectTo(sim));
    ASSERT_NO_FATAL_FAILURE(ShowDialog());

    ASSERT_NO_FATAL_FAILURE(Drop({Path(L"walk.dat")}));
    EXPECT_FALSE(GetState(Control(m_window, IDC_BTN_PARAM_CONFIG)).enabled);
    Click(Control(m_window, IDC_BTN_START));
    ASSERT_TRUE(WaitMain(IDC_BTN_START, L"停止"));
    const int received = sim.CountLog("RX");
    for (int button : {IDC_BTN_RESTORE_DEFAULT, IDC_BTN_SET_PARAM, IDC_BTN_READ_PARAM})
        ASSERT_NO_FATAL_FAILURE(PressPutAway(button));
    EXPECT_EQ(L"停止", GetControlText(m_window, IDC_BTN_START)) << "the replay runs on";
    EXPECT_EQ(kOwnEdits, Edits());
    EXPECT_EQ(received, sim.CountLog("RX")) << "nothing reached the module";

    ASSERT_TRUE(::PostMessageW(m_window, WM_SYSCOMMAND, IDM_BACK_TO_LIVE, 0));
    ASSERT_TRUE(HandledWhatWasPosted(m_window));
    EXPECT_FALSE(::IsWindowVisible(m_dialog)) << "no module yet";
    ASSERT_NO_FATAL_FAILURE(Connect());
    EXPECT_TRUE(WaitUntil([&] { return ::IsWindowVisible(m_dialog) != FALSE; }, kWait)) << "back with the module";
    EXPECT_EQ(kOwnEdits, Edits());
    EXPECT_EQ(0u, CloseTool());
    EXPECT_NE(std::string::npos, ReadFileBytes(ConfigPath()).find(SavedKeys(kOwn))) << "the record kept its values";
}

// Replies of the module that came after the library's 2 s, counted in its log.
int LeftCommandMode(const devtest::CSimulator& sim) {
    const std::string log = sim.LogText();
    int count = 0;
    for (size_t at = log.find("leave command mode"); at != std::string::npos;
         at = log.find("leave command mode", at + 1))
        ++count;
    return count;
}

// The module goes (before its answer or half-way through it) or answers
// after the 2 s the dialog waits, in the middle of a read, a set and a
// restore: each ends in its error box, the window answers again, and the
// record keeps what it held (a restore has loaded the factory set first,
// whatever the module does).
TEST_F(ParamDialogTest, AModuleThatHangsUpOrAnswersTooLateLeavesTheRecordAsItWas) {
    WriteFileBytes(ConfigPath(), ConfigWith(kOwn));
    StartTool();
    const std::vector<std::wstring> typed = {L"40", L"400", L"50", L"500", L"25", L"5"};
    {
        devtest::CSimulator sim(kPort, {"--hangup-mid-reply", "0x73"});
        ASSERT_NO_FATAL_FAILURE(ConnectTo(sim));
        ASSERT_NO_FATAL_FAILURE(ShowDialog());
        ExpectError(Press(IDC_BTN_READ_PARAM), L"读取参数失败");
        EXPECT_TRUE(sim.WaitExited()) << "the module did not hang up";
        ASSERT_NO_FATAL_FAILURE(ExpectShownAndSaved(kOwnEdits, kOwn));
    }
    {
        // The ranges reach the module, which goes when the compensation comes.
        devtest::CSimulator sim(kPort, {"--hangup-on-command", "0x72"});
        ASSERT_NO_FATAL_FAILURE(ConnectTo(sim));
        ASSERT_NO_FATAL_FAILURE(TypeEdits(typed));
        ExpectError(Press(IDC_BTN_SET_PARAM), L"写入距离校准参数失败");
        EXPECT_TRUE(sim.WaitExited()) << "the module did not hang up";
        EXPECT_NE(std::string::npos, LastWriteLine(sim.LogText(), "0x0067").find("status 0x0000"));
        ASSERT_NO_FATAL_FAILURE(Disconnect());
        EXPECT_TRUE(WaitSaved(kOwn)) << ReadFileBytes(ConfigPath());
    }
    {
        // Every answer 2.2 s late: each command has timed out. Before the
        // next flow the late answers have all come (the last one, to leaving
        // command mode, is in the module's log).
        devtest::CSimulator sim(kPort, {"--reply-delay", "2200"});
        ASSERT_NO_FATAL_FAILURE(ConnectTo(sim));
        int left = LeftCommandMode(sim);
        ExpectError(Press(IDC_BTN_READ_PARAM), L"读取参数失败");
        EXPECT_TRUE(WaitUntil([&] { return LeftCommandMode(sim) > left; }, kWait));
        left = LeftCommandMode(sim);
        ExpectError(Press(IDC_BTN_SET_PARAM), L"写入普通参数失败");
        EXPECT_TRUE(WaitUntil([&] { return LeftCommandMode(sim) > left; }, kWait));
        ASSERT_NO_FATAL_FAILURE(Disconnect());
        EXPECT_TRUE(WaitSaved(kOwn)) << ReadFileBytes(ConfigPath());
        ASSERT_NO_FATAL_FAILURE(Connect());
        ExpectError(Press(IDC_BTN_RESTORE_DEFAULT), L"写入普通参数失败");
        ASSERT_NO_FATAL_FAILURE(ExpectShownAndSaved(kDefaultEdits, kDefaults));
    }
    {
        // The typed values set, then a restore during which the module goes
        // at the third group.
        devtest::CSimulator sim(kPort, {"--hangup-on-command", "0x69"});
        ASSERT_NO_FATAL_FAILURE(ConnectTo(sim));
        ASSERT_NO_FATAL_FAILURE(TypeEdits(typed));
        ExpectInfo(Press(IDC_BTN_SET_PARAM), L"设置参数成功");
        ExpectError(Press(IDC_BTN_RESTORE_DEFAULT), L"写入IIR滤波系数失败");
        EXPECT_TRUE(sim.WaitExited()) << "the module did not hang up";
        ASSERT_NO_FATAL_FAILURE(ExpectShownAndSaved(kDefaultEdits, kDefaults));
    }
    EXPECT_EQ(0u, CloseTool());
}

}  // namespace
}  // namespace e2e
