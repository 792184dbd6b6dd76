// The parameter dialog's tests share this: the simulated module on COM8, the
// eighteen keys as appConfig.xml and the profiles write them, and a fixture
// that connects, shows the dialog, types into it and presses its buttons.
#pragma once

#include <string>
#include <vector>

#include "RunChecks.h"
#include "SimFixture.h"
#include "ToolFixture.h"
#include "resource.h"

namespace e2e {

using namespace tooldriver;

constexpr int kPort = 8;
constexpr wchar_t kParamCaption[] = L"参数配置";
const int kEdits[] = {IDC_EDIT_MOTIONLESS_MIN, IDC_EDIT_MOTIONLESS_MAX, IDC_EDIT_MOTION_MIN,
                      IDC_EDIT_MOTION_MAX,     IDC_EDIT_OFF_TIME,       IDC_EDIT_DISTANCE_CALIB};

// The eighteen module keys in the order the configuration file keeps them.
const char* const kKeys[18] = {"nMotionlessRangeMin",
                               "nMotionlessRangeMax",
                               "nMotionRangeMin",
                               "nMotionRangeMax",
                               "nOffTime",
                               "fMotionNearEndCoef",
                               "fMotionFarEndCoef",
                               "fMotionlessNearEndCoef",
                               "fMotionlessFarEndCoef",
                               "nMotionIIR",
                               "nMotionlessIIR",
                               "nMotionWindowRange",
                               "nMotionlessWindowRange",
                               "fKalman1",
                               "fKalman2",
                               "fKalman3",
                               "fKalman4",
                               "nDistanceCalibration"};
using Values = std::vector<std::string>;
// The factory set, which the simulator also starts with.
const Values kDefaults = {"30", "425", "30", "717", "20",       "40.000000", "6.000000", "40.000000", "9.000000",
                          "2",  "8",   "5",  "10",  "0.500000", "0.500000",  "0.850000", "0.150000",  "0"};
// A record unlike the factory set in every field.
const Values kOwn = {"11", "222", "33", "444", "55",       "1.500000", "2.500000", "3.500000", "4.500000",
                     "3",  "4",   "6",  "7",   "0.125000", "0.250000", "0.375000", "0.625000", "-9"};

// The keys as the tool saves them: one attribute per line.
inline std::string SavedKeys(const Values& values) {
    std::string text;
    for (size_t i = 0; i < 18; ++i) text += std::string("\t") + kKeys[i] + "=\"" + values[i] + "\"\n";
    return text;
}

inline std::string ConfigWith(const Values& values) {
    std::string text = "<AppConfig BaudRate=\"256000\"";
    for (size_t i = 0; i < 18; ++i) text += std::string(" ") + kKeys[i] + "=\"" + values[i] + "\"";
    return text + " ReportTimeMS=\"50\" />\n";
}

// The simulator's log line of the last reply to a write of this code.
inline std::string LastWriteLine(const std::string& log, const char* code) {
    const std::string tag = std::string(code) + " write parameters";
    const size_t at = log.rfind(tag);
    if (at == std::string::npos) return std::string();
    return log.substr(at, log.find('\n', at) - at);
}

class ParamDialogTest : public ToolTest {
protected:
    void SelectPort(int number) {
        Click(Control(m_window, IDC_BTN_REFRESH));
        std::vector<std::wstring> items = ComboItems(Control(m_window, IDC_COMBO_PORT));
        for (size_t i = 0; i < items.size(); ++i) {
            if (items[i] == L"COM" + std::to_wstring(number)) {
                ASSERT_TRUE(SelectComboItem(Control(m_window, IDC_COMBO_PORT), static_cast<int>(i)));
                return;
            }
        }
        FAIL() << "COM" << number << " not in the port list";
    }
    void Connect() {
        ASSERT_NO_FATAL_FAILURE(SelectPort(kPort));
        Click(Control(m_window, IDC_BTN_CONNECT));
        ASSERT_TRUE(WaitMain(IDC_BTN_CONNECT, L"断开设备"));
    }
    // Connects to the simulated module once it has started.
    void ConnectTo(const devtest::CSimulator& sim) {
        ASSERT_TRUE(sim.Started()) << sim.Problem();
        ASSERT_NO_FATAL_FAILURE(Connect());
    }
    // Disconnecting saves the configuration.
    void Disconnect() {
        Click(Control(m_window, IDC_BTN_CONNECT));
        ASSERT_TRUE(WaitMain(IDC_BTN_CONNECT, L"连接设备"));
    }
    bool WaitMain(int id, const std::wstring& text) {
        return WaitUntil([&] { return GetControlText(m_window, id) == text; }, kWait);
    }
    // After a click that saves: once the window answers again the save has
    // been made, and the file holds the record as it is now.
    bool WaitSaved(const Values& values) {
        Settle();
        return ReadFileBytes(ConfigPath()).find(SavedKeys(values)) != std::string::npos;
    }
    HWND Dialog() { return WaitForToolDialog(m_tool.Pid(), kParamCaption); }
    void ShowDialog() {
        m_dialog = Dialog();
        ASSERT_NE(nullptr, m_dialog);
        Click(Control(m_window, IDC_BTN_PARAM_CONFIG));
        ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(m_dialog) != FALSE; }, kWait));
    }
    std::vector<std::wstring> Edits() {
        std::vector<std::wstring> texts;
        for (int id : kEdits) texts.push_back(GetControlText(m_dialog, id));
        return texts;
    }
    // The dialog shows edits, and disconnecting saves values.
    void ExpectShownAndSaved(const std::vector<std::wstring>& edits, const Values& values) {
        EXPECT_EQ(edits, Edits());
        ASSERT_NO_FATAL_FAILURE(Disconnect());
        EXPECT_TRUE(WaitSaved(values)) << ReadFileBytes(ConfigPath());
    }
    void TypeEdits(const std::vector<std::wstring>& texts) {
        for (size_t i = 0; i < texts.size(); ++i) ASSERT_TRUE(SetEditText(Control(m_dialog, kEdits[i]), texts[i]));
    }
    // Clicks a dialog button and dismisses the box it raises; returns the box.
    MessageBoxInfo Press(int button) {
        Click(Control(m_dialog, button));
        return TakeBox(button);
    }
    // The box that button raised, dismissed.
    MessageBoxInfo TakeBox(int button) {
        MessageBoxInfo box = WaitForMessageBox(m_tool.Pid(), kWait);
        EXPECT_NE(nullptr, box.hwnd) << "no message box after button " << button;
        if (box.hwnd) {
            EXPECT_EQ(::GetWindow(box.hwnd, GW_OWNER), m_dialog) << "the dialog owns its boxes";
            EXPECT_TRUE(DismissMessageBox(box.hwnd));
        }
        Settle();
        return box;
    }
    // A click that still reaches a dialog the mode has put away (posted, as a
    // queued click would come): nothing happens, no box.
    void PressPutAway(int button) {
        EXPECT_FALSE(::IsWindowVisible(m_dialog)) << "the dialog went with the module";
        ASSERT_TRUE(::PostMessageW(m_dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                                   reinterpret_cast<LPARAM>(Control(m_dialog, button))));
        ASSERT_TRUE(HandledWhatWasPosted(m_window));
        Settle();
        EXPECT_TRUE(FindMessageBoxes(m_tool.Pid()).empty()) << "button " << button;
    }
    // Waits until the tool's user-interface thread answers again. Under Wine
    // without a window manager it stays busy about 2 s after a message box
    // closes (measured), and a click sent meanwhile with the driver's short
    // time-out was seen to be lost.
    void Settle() {
        DWORD_PTR ignored = 0;
        EXPECT_NE(0, ::SendMessageTimeoutW(m_window, WM_NULL, 0, 0, SMTO_NORMAL, kWait, &ignored));
    }
    // Error boxes: caption 50002 and the error icon; success boxes: 50001 and the information icon.
    void ExpectBox(const MessageBoxInfo& box, bool error, const wchar_t* text) {
        EXPECT_EQ(error ? L"错误" : L"信息", box.caption);
        EXPECT_EQ(text, box.text);
        EXPECT_EQ(error ? BoxIcon::Error : BoxIcon::Information, box.icon);
    }
    void ExpectError(const MessageBoxInfo& box, const wchar_t* text) { ExpectBox(box, true, text); }
    void ExpectInfo(const MessageBoxInfo& box, const wchar_t* text) { ExpectBox(box, false, text); }
    void StartAcquisition() {
        Click(Control(m_window, IDC_BTN_START));
        ASSERT_TRUE(WaitMain(IDC_BTN_START, L"停止"));
        EXPECT_FALSE(GetState(Control(m_window, IDC_BTN_CONNECT)).enabled);
    }
    void ExpectAcquisitionStopped() {
        EXPECT_EQ(L"开始", GetControlText(m_window, IDC_BTN_START));
        EXPECT_TRUE(GetState(Control(m_window, IDC_BTN_CONNECT)).enabled);
    }

    HWND m_dialog = nullptr;
};

const std::vector<std::wstring> kOwnEdits = {L"11", L"222", L"33", L"444", L"55", L"-9"};
const std::vector<std::wstring> kDefaultEdits = {L"30", L"425", L"30", L"717", L"20", L"0"};

}  // namespace e2e
