// The tool against the simulated module on a pty-backed COM port: port list,
// connect, start, recording, log, presence display, stop, disconnect.
#include "ToolFixture.h"

#include <iostream>
#include <vector>

#include "SimFixture.h"
#include "SimLog.h"
#include "resource.h"

namespace e2e {
namespace {

using namespace tooldriver;

constexpr int kPort = 12;

using testsupport::FramesIn;
using testsupport::FramesLogged;

class AcquisitionTest : public ToolTest {
protected:
    // The only file of the extension in the tool's Log folder.
    std::string ReadLogFolderFile(const wchar_t* extension) {
        WIN32_FIND_DATAW found;
        std::wstring pattern = Path(L"Log\\*") + extension;
        HANDLE search = ::FindFirstFileW(pattern.c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return std::string();
        std::wstring name = found.cFileName;
        EXPECT_FALSE(::FindNextFileW(search, &found)) << "more than one file";
        ::FindClose(search);
        return ReadFileBytes(Path(L"Log\\") + name);
    }
    int ComboData(int index) {
        DWORD_PTR data = 0;
        ::SendMessageTimeoutW(Control(m_window, IDC_COMBO_PORT), CB_GETITEMDATA, index, 0, SMTO_ABORTIFHUNG, 5000,
                              &data);
        return static_cast<int>(data);
    }
    void SelectPort(int number) {
        Click(Control(m_window, IDC_BTN_REFRESH));
        std::vector<std::wstring> items = ComboItems(Control(m_window, IDC_COMBO_PORT));
        std::wstring wanted = L"COM" + std::to_wstring(number);
        for (size_t i = 0; i < items.size(); ++i) {
            if (items[i] != wanted) continue;
            EXPECT_EQ(number, ComboData(static_cast<int>(i)));
            ASSERT_TRUE(SelectComboItem(Control(m_window, IDC_COMBO_PORT), static_cast<int>(i)));
            return;
        }
        FAIL() << "COM" << number << " not in the port list";
    }
};

TEST_F(AcquisitionTest, ConnectStartRecordStopDisconnect) {
    std::string script;
    ASSERT_TRUE(WriteSimScript("acq-script.txt", "1 300 400\n2 100 400\n0 0 400\n", script));
    devtest::CSimulator sim(kPort,
                            {"--script", script, "--bad-trailer-every", "7", "--version-text", "ZUV3917-TEST-1"});
    ASSERT_TRUE(sim.Started()) << sim.Problem();

    StartTool();
    SelectPort(kPort);
    Click(Control(m_window, IDC_BTN_CONNECT));
    ASSERT_TRUE(WaitText(IDC_STATIC_VERSION, L"固件版本:ZUV3917-TEST-1"));
    EXPECT_EQ(L"断开设备", GetControlText(m_window, IDC_BTN_CONNECT));
    EXPECT_TRUE(GetState(Control(m_window, IDC_BTN_START)).enabled);
    EXPECT_TRUE(GetState(Control(m_window, IDC_BTN_PARAM_CONFIG)).enabled);

    Click(Control(m_window, IDC_BTN_START));
    ASSERT_TRUE(WaitText(IDC_BTN_START, L"停止"));
    EXPECT_FALSE(GetState(Control(m_window, IDC_BTN_CONNECT)).enabled);
    // The display follows the scenario: moving at 300, then micro-motion at 100.
    EXPECT_TRUE(WaitUntil(
        [&] {
            return GetState(Control(m_window, IDC_RADIO_MOTION)).check == 1 &&
                   GetControlText(m_window, IDC_STATIC_DISTANCE) == L"300";
        },
        kWait));
    EXPECT_TRUE(WaitUntil(
        [&] {
            return GetState(Control(m_window, IDC_RADIO_MOTIONLESS)).check == 1 &&
                   GetControlText(m_window, IDC_STATIC_DISTANCE) == L"100";
        },
        kWait));
    EXPECT_TRUE(WaitUntil([&] { return FramesIn(ReadLogFolderFile(L".dat")).size() >= 40; }, kWait));

    const ULONGLONG before = ::GetTickCount64();
    Click(Control(m_window, IDC_BTN_START), 10000);
    ASSERT_TRUE(WaitText(IDC_BTN_START, L"开始")) << "stop did not end the run";
    std::cout << "[ figures  ] stop while reporting: " << ::GetTickCount64() - before << " ms\n";
    EXPECT_TRUE(GetState(Control(m_window, IDC_BTN_CONNECT)).enabled);
    EXPECT_EQ(0, GetState(Control(m_window, IDC_RADIO_MOTION)).check);
    EXPECT_EQ(0, GetState(Control(m_window, IDC_RADIO_MOTIONLESS)).check);

    // The recording is exactly what the module sent once reporting began.
    const std::string data = ReadLogFolderFile(L".dat");
    const std::string sent = testsupport::ReportBytesSent(sim.LogText());
    ASSERT_GE(sent.size(), data.size());
    EXPECT_EQ(sent.substr(0, data.size()), data);

    // One log line per frame, in order, and the broken trailers noted.
    std::vector<long> recorded = FramesIn(data);
    std::vector<long> logged = FramesLogged(ReadLogFolderFile(L".log"));
    ASSERT_EQ(recorded.size(), logged.size());
    for (size_t i = 0; i < recorded.size(); ++i) {
        EXPECT_EQ(testsupport::FrameState(recorded[i]), testsupport::FrameState(logged[i])) << i;
        EXPECT_EQ(testsupport::FrameDistance(recorded[i]), testsupport::FrameDistance(logged[i])) << i;
    }
    EXPECT_NE(std::string::npos, ReadLogFolderFile(L".log").find("Tailer TAG Invalid!\r\n"));

    Click(Control(m_window, IDC_BTN_CONNECT));
    ASSERT_TRUE(WaitText(IDC_STATIC_VERSION, L"固件版本:Unknown"));
    EXPECT_EQ(L"连接设备", GetControlText(m_window, IDC_BTN_CONNECT));
    EXPECT_FALSE(GetState(Control(m_window, IDC_BTN_START)).enabled);
    EXPECT_EQ(0u, CloseTool());
}

TEST_F(AcquisitionTest, OpeningAMissingPortShowsOneErrorAndChangesNothing) {
    StartTool();
    SelectPort(7);  // mapped by the session, but no module behind it
    Click(Control(m_window, IDC_BTN_CONNECT));
    MessageBoxInfo box = WaitForMessageBox(m_tool.Pid(), kWait);
    ASSERT_NE(nullptr, box.hwnd);
    EXPECT_EQ(L"错误", box.caption);
    EXPECT_EQ(L"设备打开失败", box.text);
    EXPECT_TRUE(DismissMessageBox(box.hwnd));
    EXPECT_EQ(L"连接设备", GetControlText(m_window, IDC_BTN_CONNECT));
    EXPECT_FALSE(GetState(Control(m_window, IDC_BTN_START)).enabled);
    EXPECT_EQ(0u, CloseTool());
}

// A hang-up in the middle of a run: faults_e2e_test.cpp.

}  // namespace
}  // namespace e2e
