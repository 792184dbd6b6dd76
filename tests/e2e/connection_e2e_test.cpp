// The connection as the user sees it when the port or the module lets them
// down: the cable pulled while connected, start pressed while the port is
// away, a module that never answers. The window says what is wrong in the
// chart's status line (the chart control's text) and the connect button does
// what it shows.
#include "ToolFixture.h"

#include "RunChecks.h"
#include "SimFixture.h"
#include "resource.h"

namespace e2e {
namespace {

using namespace tooldriver;

constexpr int kPort = 7;
constexpr int kOtherPort = 8;
const std::wstring kChartText = L"波形图";  // the chart control's text while nothing is wrong
const std::wstring kPortLost = L"端口已断开，等待重新连接";
const std::wstring kNoAnswer = L"模块无应答，请检查波特率";

class ConnectionTest : public ToolTest {
protected:
    std::wstring StatusLine() { return GetControlText(m_window, IDC_STATIC_WAVE); }
    bool WaitStatus(const std::wstring& part, bool shown) {
        return WaitUntil([&] { return (StatusLine().find(part) != std::wstring::npos) == shown; }, kWait);
    }
    void Connect(int port) {
        ASSERT_TRUE(SelectPort(m_window, port));
        Click(Control(m_window, IDC_BTN_CONNECT), 3000);
        ASSERT_TRUE(WaitText(IDC_BTN_CONNECT, L"断开设备"));
    }
};

TEST_F(ConnectionTest, PortPulledMidRunThenStartAndDisconnectDoWhatTheWindowShows) {
    devtest::CSimulator first(kPort, {"--scenario", "walk-in", "--hangup-after", "20"});
    ASSERT_TRUE(first.Started()) << first.Problem();
    devtest::CSimulator other(kOtherPort, {"--version-text", "ZUV3917-OTHER"});
    ASSERT_TRUE(other.Started()) << other.Problem();
    StartTool();
    EXPECT_EQ(kChartText, StatusLine());
    Connect(kPort);
    Click(Control(m_window, IDC_BTN_START), 3000);
    ASSERT_TRUE(WaitText(IDC_BTN_START, L"停止"));

    // The cable is pulled: the window says so while it lasts.
    ASSERT_TRUE(first.WaitExited());
    EXPECT_TRUE(WaitStatus(kPortLost, true));
    Click(Control(m_window, IDC_BTN_START), 10000);
    ASSERT_TRUE(WaitText(IDC_BTN_START, L"开始"));
    EXPECT_EQ(L"断开设备", GetControlText(m_window, IDC_BTN_CONNECT)) << "still the user's connection";

    // Start while the port is away: one plain error box, nothing started.
    Click(Control(m_window, IDC_BTN_START), 3000);
    const MessageBoxInfo box = WaitForMessageBox(m_tool.Pid(), kWait);
    ASSERT_NE(nullptr, box.hwnd) << "start while the port is away must say why nothing happens";
    EXPECT_EQ(L"错误", box.caption);
    EXPECT_EQ(BoxIcon::Error, box.icon);
    EXPECT_NE(std::wstring::npos, box.text.find(L"串口已断开"));
    ASSERT_TRUE(DismissMessageBox(box.hwnd));
    EXPECT_TRUE(BoxesOnceAnswering(m_window, m_tool.Pid()).empty());
    EXPECT_EQ(L"开始", GetControlText(m_window, IDC_BTN_START));

    // Another port chosen, the baud rate edited, then "disconnect": the click
    // disconnects; it neither reopens the lost port nor opens the other one.
    ASSERT_TRUE(SelectPort(m_window, kOtherPort));
    ASSERT_TRUE(SetEditText(Control(m_window, IDC_EDIT_BAUDRATE), L"115200"));
    Click(Control(m_window, IDC_BTN_CONNECT), 3000);
    ASSERT_TRUE(WaitText(IDC_BTN_CONNECT, L"连接设备"));
    EXPECT_TRUE(BoxesOnceAnswering(m_window, m_tool.Pid()).empty()) << "a disconnect raises no box";
    EXPECT_EQ(L"固件版本:Unknown", GetControlText(m_window, IDC_STATIC_VERSION));
    EXPECT_FALSE(GetState(Control(m_window, IDC_BTN_START)).enabled);
    EXPECT_FALSE(GetState(Control(m_window, IDC_BTN_PARAM_CONFIG)).enabled);
    EXPECT_EQ(kChartText, StatusLine()) << "no notice once disconnected";
    EXPECT_EQ(0, other.CountLog("CMD")) << "the other module was reached by a disconnect click";
    EXPECT_NE(std::string::npos, ReadFileBytes(ConfigPath()).find("BaudRate=\"115200\""))
        << "the disconnect saves the configuration";

    // The next click connects to the port now chosen.
    Click(Control(m_window, IDC_BTN_CONNECT), 3000);
    EXPECT_TRUE(WaitText(IDC_STATIC_VERSION, L"固件版本:ZUV3917-OTHER"));
    EXPECT_EQ(kChartText, StatusLine());
    EXPECT_EQ(0u, CloseTool());
}

TEST_F(ConnectionTest, ThePortLostWhileIdleIsShownUntilItReturnsThenStartWorks) {
    StartTool();
    {
        devtest::CSimulator first(kPort, {"--scenario", "stand-still"});
        ASSERT_TRUE(first.Started()) << first.Problem();
        Connect(kPort);
        EXPECT_EQ(kChartText, StatusLine());
        ASSERT_TRUE(first.Stop());
    }
    EXPECT_TRUE(WaitStatus(kPortLost, true)) << "a port gone while connected and idle";

    devtest::CSimulator back(kPort, {"--scenario", "stand-still"});
    ASSERT_TRUE(back.Started()) << back.Problem();
    EXPECT_TRUE(WaitStatus(kPortLost, false)) << "the notice goes when the port is back";
    Click(Control(m_window, IDC_BTN_START), 3000);
    ASSERT_TRUE(WaitText(IDC_BTN_START, L"停止"));
    EXPECT_TRUE(BoxesOnceAnswering(m_window, m_tool.Pid()).empty());
    EXPECT_TRUE(
        WaitUntil([&] { return GetState(Control(m_window, IDC_RADIO_MOTIONLESS)).check == BST_CHECKED; }, kWait))
        << "reports of the module that came back reach the display";
    Click(Control(m_window, IDC_BTN_START), 10000);
    ASSERT_TRUE(WaitText(IDC_BTN_START, L"开始"));
    EXPECT_EQ(0u, CloseTool());
}

TEST_F(ConnectionTest, AModuleThatDoesNotAnswerIsNamedInEnglishToo) {
    WriteFileBytes(ConfigPath(), "<?xml version=\"1.0\"?>\n<AppConfig\n\tLanguage=\"ENG\" />\n");
    devtest::CSimulator mute(kPort, {"--hangup-on-command", "3"});
    ASSERT_TRUE(mute.Started()) << mute.Problem();
    StartTool();
    ASSERT_TRUE(SelectPort(m_window, kPort));
    Click(Control(m_window, IDC_BTN_CONNECT), 3000);
    ASSERT_TRUE(WaitText(IDC_BTN_CONNECT, L"Disconnect"));
    EXPECT_TRUE(WaitStatus(L"No answer from the module: check the baud rate", true));
    EXPECT_EQ(L"Firmware:Unknown", GetControlText(m_window, IDC_STATIC_VERSION));
    EXPECT_TRUE(BoxesOnceAnswering(m_window, m_tool.Pid()).empty());
    Click(Control(m_window, IDC_BTN_CONNECT), 3000);
    ASSERT_TRUE(WaitText(IDC_BTN_CONNECT, L"Connect"));
    EXPECT_EQ(L"Chart", StatusLine());
    EXPECT_EQ(0u, CloseTool());
}

}  // namespace
}  // namespace e2e
