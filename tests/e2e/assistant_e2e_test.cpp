// The tuning assistant from the system menu against the simulated module on
// COM8: two recordings chosen, the analysis shown (or why it cannot judge
// them), its suggestion applied as a loaded profile in the parameter dialog;
// a timed recording counted down into Log and held by its step, or stopped
// early and held by none.
#include <string>
#include <vector>

#include "ParamFixture.h"
#include "ReplaySupport.h"
#include "Tuning.h"
#include "TuningText.h"

namespace e2e {
namespace {

constexpr wchar_t kAssistantCaption[] = L"调参助手";
constexpr wchar_t kNoFile[] = L"(无)";

// At the report period of ConfigWith (50 ms): 1400 reports are 70 s.
std::string EmptyRoom() {
    testsupport::RecordingBuilder r;
    r.Run(0, 0, 500).Run(1, 60, 40).Run(0, 0, 860);  // a fan near the module
    return r.Text();
}
std::string Occupied() {
    testsupport::RecordingBuilder r;
    r.Run(2, 250, 600).Run(0, 0, 30).Run(2, 250, 770);  // a gap the hold does not bridge
    return r.Text();
}

class AssistantTest : public ParamDialogTest {
protected:
    void OpenAssistant() {
        ASSERT_TRUE(::PostMessageW(m_window, WM_SYSCOMMAND, IDM_TUNING_ASSISTANT, 0));
        m_assistant = WaitForToolDialog(m_tool.Pid(), kAssistantCaption);
        ASSERT_NE(nullptr, m_assistant);
        ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(m_assistant) != FALSE; }, kWait));
    }
    void Choose(int button, const std::wstring& path) {
        Click(Control(m_assistant, button));
        const HWND files = WaitForFileDialogOf(m_tool.Pid(), m_assistant);
        ASSERT_NE(nullptr, files) << "no file dialog after button " << button;
        ASSERT_TRUE(ChooseFile(files, path, kWait)) << Utf8(path);
        Settle();
    }
    std::wstring Text(int id) { return GetControlText(m_assistant, id); }
    // A step's timed recording run out: its file held.
    void Record(int button, int file) {
        Click(Control(m_assistant, button));
        ASSERT_TRUE(WaitUntil([&] { return Text(button) == L"停止"; }, kWait));
        ASSERT_TRUE(WaitUntil([&] { return Text(file) != kNoFile; }, 3 * kWait));
        ASSERT_TRUE(WaitMain(IDC_BTN_START, L"开始"));
    }
    // The simulator's module into another room (a switch file it removes once done).
    void SwitchRoom(const std::string& room) {
        ASSERT_TRUE(devtest::WriteWholeFile(m_switch, room + "\n"));
        ASSERT_TRUE(WaitUntil([&] { return !devtest::FileExists(m_switch); }, kWait)) << room;
    }
    std::string m_switch;
    bool Enabled(int id) { return GetState(Control(m_assistant, id)).enabled; }

    HWND m_assistant = nullptr;
};

TEST_F(AssistantTest, TwoChosenRecordingsGiveASuggestionThatApplyLoadsAsAProfile) {
    WriteFileBytes(ConfigPath(), ConfigWith(kDefaults));
    WriteFileBytes(Path(L"empty.dat"), EmptyRoom());
    WriteFileBytes(Path(L"occupied.dat"), Occupied());
    testsupport::RecordingBuilder shortRecording;
    WriteFileBytes(Path(L"short.dat"), shortRecording.Run(0, 0, 200).Text());
    devtest::CSimulator sim(kPort, {});
    StartTool();
    ASSERT_NO_FATAL_FAILURE(ConnectTo(sim));
    ASSERT_NO_FATAL_FAILURE(OpenAssistant());
    for (int id : {IDC_TUNE_EMPTY_FILE, IDC_TUNE_OCCUPIED_FILE}) EXPECT_EQ(kNoFile, Text(id));
    EXPECT_FALSE(Enabled(IDC_TUNE_ANALYSE));
    EXPECT_FALSE(Enabled(IDC_TUNE_APPLY));

    // A recording the analysis cannot judge: told, nothing to apply.
    ASSERT_NO_FATAL_FAILURE(Choose(IDC_TUNE_EMPTY_CHOOSE, Path(L"short.dat")));
    ASSERT_NO_FATAL_FAILURE(Choose(IDC_TUNE_OCCUPIED_CHOOSE, Path(L"occupied.dat")));
    const std::wstring tooShort =
        L"无人记录太短: 至少需要 " + std::to_wstring(tuning::kMinRecordingMs / 1000) + L" 秒。";
    EXPECT_TRUE(WaitUntil([&] { return Text(IDC_TUNE_RESULT) == tooShort; }, kWait)) << Utf8(Text(IDC_TUNE_RESULT));
    EXPECT_FALSE(Enabled(IDC_TUNE_APPLY));

    // The good pair: analysed at once, each suggestion old -> new with its reason.
    ASSERT_NO_FATAL_FAILURE(Choose(IDC_TUNE_EMPTY_CHOOSE, Path(L"empty.dat")));
    EXPECT_EQ(Path(L"empty.dat"), Text(IDC_TUNE_EMPTY_FILE));
    const std::string empty = EmptyRoom(), occupied = Occupied();
    tuning::TuningOptions options;
    const tuning::TuningResult expected =
        tuning::AnalyseTuning(reinterpret_cast<const uint8_t*>(empty.data()), empty.size(),
                              reinterpret_cast<const uint8_t*>(occupied.data()), occupied.size(), {}, options);
    ASSERT_EQ(tuning::TuningProblem::None, expected.problem);
    ASSERT_FALSE(expected.suggestions.empty());
    ASSERT_TRUE(WaitUntil([&] { return Enabled(IDC_TUNE_APPLY); }, kWait)) << Utf8(Text(IDC_TUNE_RESULT));
    const std::wstring result = Text(IDC_TUNE_RESULT);
    for (const tuning::Suggestion& s : expected.suggestions) {
        const std::string key = tuning::SettingKey(s.setting);
        const std::wstring line = std::wstring(key.begin(), key.end()) + L": " + std::to_wstring(s.from) + L" → " +
                                  std::to_wstring(s.to) + L": ";
        EXPECT_NE(std::wstring::npos, result.find(line)) << Utf8(line) << "\n" << Utf8(result);
    }
    const std::wstring counts = L"空房间误报有人: " + std::to_wstring(expected.before.falsePresenceSpells) + L" → " +
                                std::to_wstring(expected.after.falsePresenceSpells) + L" 次";
    EXPECT_NE(std::wstring::npos, result.find(counts)) << Utf8(result);
    EXPECT_EQ(L"", Text(IDC_TUNE_APPLY_NOTE));

    // Apply: the parameter dialog shows the suggestion as a profile not yet written.
    m_dialog = Dialog();
    ASSERT_NE(nullptr, m_dialog);
    Click(Control(m_assistant, IDC_TUNE_APPLY));
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(m_dialog) != FALSE; }, kWait));
    const radarproto::ModuleParameters& s = expected.suggested;
    const std::vector<std::wstring> edits = {std::to_wstring(s.motionlessRangeMin),
                                             std::to_wstring(s.motionlessRangeMax),
                                             std::to_wstring(s.motionRangeMin),
                                             std::to_wstring(s.motionRangeMax),
                                             std::to_wstring(s.offTime),
                                             std::to_wstring(s.distanceCalibration)};
    EXPECT_TRUE(WaitUntil([&] { return Edits() == edits; }, kWait));
    EXPECT_EQ(L"配置已载入, 尚未写入模块", GetControlText(m_dialog, IDC_STATIC_PROFILE_MARK));
    EXPECT_EQ(std::string::npos, sim.LogText().find("write parameters")) << "nothing written behind the user's back";

    // Without a module nothing is applied, and the assistant says why.
    ASSERT_NO_FATAL_FAILURE(Disconnect());
    EXPECT_TRUE(WaitUntil([&] { return !Enabled(IDC_TUNE_APPLY); }, kWait));
    EXPECT_EQ(L"应用需要连接模块 (不回放, 不在录制)。", Text(IDC_TUNE_APPLY_NOTE));
    EXPECT_EQ(0u, CloseTool());
}

TEST_F(AssistantTest, ATimedRecordingCountsDownIntoLogOrIsStoppedAndHeldByNoStep) {
    WriteFileBytes(ConfigPath(), ConfigWith(kDefaults));
    devtest::CSimulator sim(kPort, {});
    StartTool();
    ASSERT_NO_FATAL_FAILURE(ConnectTo(sim));
    ASSERT_NO_FATAL_FAILURE(OpenAssistant());
    EXPECT_EQ(L"录制 30 秒", Text(IDC_TUNE_EMPTY_RECORD));

    // Stopped early: the mode ends, the step holds nothing.
    Click(Control(m_assistant, IDC_TUNE_OCCUPIED_RECORD));
    ASSERT_TRUE(WaitUntil([&] { return Text(IDC_TUNE_OCCUPIED_RECORD) == L"停止"; }, kWait));
    Click(Control(m_assistant, IDC_TUNE_OCCUPIED_RECORD));
    ASSERT_TRUE(WaitMain(IDC_BTN_START, L"开始"));
    EXPECT_EQ(kNoFile, Text(IDC_TUNE_OCCUPIED_FILE));
    EXPECT_EQ(L"", Text(IDC_TUNE_COUNTDOWN));

    // Its whole time: a countdown, the window's other controls kept off, the file in Log.
    Click(Control(m_assistant, IDC_TUNE_EMPTY_RECORD));
    ASSERT_TRUE(WaitUntil([&] { return Text(IDC_TUNE_COUNTDOWN).rfind(L"录制中, 还剩 ", 0) == 0; }, kWait));
    EXPECT_EQ(L"停止", GetControlText(m_window, IDC_BTN_START));
    for (int id : {IDC_BTN_CONNECT, IDC_BTN_PARAM_CONFIG, IDC_COMBO_PORT})
        EXPECT_FALSE(GetState(Control(m_window, id)).enabled) << id;
    EXPECT_FALSE(Enabled(IDC_TUNE_OCCUPIED_RECORD));
    // Waits out the recording's own time (30 s) and more on a loaded machine.
    ASSERT_TRUE(WaitUntil([&] { return Text(IDC_TUNE_EMPTY_FILE) != kNoFile; }, 3 * kWait));
    const std::wstring held = Text(IDC_TUNE_EMPTY_FILE);
    EXPECT_NE(std::wstring::npos, held.find(L"\\Log\\")) << Utf8(held);
    EXPECT_EQ(L".dat", held.substr(held.size() - 4));
    EXPECT_GE(ReadFileBytes(held).size(), 7u * 20 * 15) << "a report every 50 ms for half a minute";
    EXPECT_EQ(L"开始", GetControlText(m_window, IDC_BTN_START));
    EXPECT_TRUE(GetState(Control(m_window, IDC_BTN_PARAM_CONFIG)).enabled);
    EXPECT_EQ(L"", Text(IDC_TUNE_COUNTDOWN));
    EXPECT_EQ(0u, CloseTool());
}

// The loop on the simulated office (docs/tuning.md): both rooms recorded
// through the assistant, its suggestion applied and written, both recorded
// again: the new pair shows neither fault.
TEST_F(AssistantTest, TheOfficeRecordedAppliedWrittenAndRecordedAgainHasNoFault) {
    std::string simBinary, dir, problem;
    ASSERT_TRUE(devtest::SessionPaths(simBinary, dir, problem)) << problem;
    m_switch = dir + "/room-" + std::to_string(::GetCurrentProcessId());
    WriteFileBytes(ConfigPath(), ConfigWith(kDefaults));
    devtest::CSimulator sim(kPort, {"--scene office-empty", "--seed 1", "--scene-switch-file " + m_switch});
    StartTool();
    ASSERT_NO_FATAL_FAILURE(ConnectTo(sim));
    ASSERT_NO_FATAL_FAILURE(OpenAssistant());
    ASSERT_NO_FATAL_FAILURE(Record(IDC_TUNE_EMPTY_RECORD, IDC_TUNE_EMPTY_FILE));
    ASSERT_NO_FATAL_FAILURE(SwitchRoom("office-occupied"));
    ASSERT_NO_FATAL_FAILURE(Record(IDC_TUNE_OCCUPIED_RECORD, IDC_TUNE_OCCUPIED_FILE));
    ASSERT_TRUE(WaitUntil([&] { return Enabled(IDC_TUNE_APPLY); }, kWait)) << Utf8(Text(IDC_TUNE_RESULT));
    const std::wstring first = Text(IDC_TUNE_RESULT);
    EXPECT_EQ(std::wstring::npos, first.find(L"空房间误报有人: 0 →")) << "faults to remove\n" << Utf8(first);

    m_dialog = Dialog();
    ASSERT_NE(nullptr, m_dialog);
    Click(Control(m_assistant, IDC_TUNE_APPLY));
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(m_dialog) != FALSE; }, kWait));
    Click(Control(m_dialog, IDC_BTN_WRITE_ALL));
    const MessageBoxInfo question = WaitForMessageBox(m_tool.Pid(), kWait);
    ASSERT_TRUE(::PostMessageW(question.hwnd, WM_COMMAND, IDYES, 0));
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(question.hwnd); }, kWait));
    ExpectInfo(TakeBox(IDC_BTN_WRITE_ALL), L"全部 18 个参数已写入, 读回校验一致。");

    ASSERT_NO_FATAL_FAILURE(SwitchRoom("office-empty"));
    ASSERT_NO_FATAL_FAILURE(Record(IDC_TUNE_EMPTY_RECORD, IDC_TUNE_EMPTY_FILE));
    ASSERT_NO_FATAL_FAILURE(SwitchRoom("office-occupied"));
    ASSERT_NO_FATAL_FAILURE(Record(IDC_TUNE_OCCUPIED_RECORD, IDC_TUNE_OCCUPIED_FILE));
    std::wstring second;
    EXPECT_TRUE(WaitUntil(
        [&] {
            second = Text(IDC_TUNE_RESULT);
            return second.find(L"空房间误报有人: 0 → 0 次") != std::wstring::npos &&
                   second.find(L"有人时误报离开: 0 → 0 次") != std::wstring::npos;
        },
        kWait))
        << Utf8(first) << "\n----\n"
        << Utf8(second);
    EXPECT_EQ(0u, CloseTool());
}

}  // namespace
}  // namespace e2e
