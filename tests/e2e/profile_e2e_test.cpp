// Profiles in the parameter dialog against the simulated module on COM8: the
// record saved to a file, a profile loaded (the mark in the dialog and among
// the main window's notices until the module holds it), bad files refused
// with the record untouched, and "write all" verified or told where it
// failed. What the module holds comes from the simulator's log.
#include <string>
#include <vector>

#include "ParamFixture.h"

namespace e2e {
namespace {

constexpr wchar_t kNotWritten[] = L"配置已载入, 尚未写入模块";
constexpr wchar_t kUseWriteAll[] = L"配置只写入了显示的六项, 其余参数请用“写入全部”写入";

// A profile unlike the record of kOwn and the factory set in every field.
const Values kProfile = {"35", "300", "40", "600", "15",       "12.500000", "3.250000", "20.000000", "7.750000",
                         "5",  "9",   "4",  "12",  "0.400000", "0.600000",  "0.700000", "0.300000",  "12"};
const std::vector<std::wstring> kProfileEdits = {L"35", L"300", L"40", L"600", L"15", L"12"};

// A profile file as the tool writes it (no note).
std::string ProfileFile(const Values& values, const std::string& firmware) {
    std::string keys = SavedKeys(values);
    keys.insert(keys.size() - 1, " />");
    return "<?xml version=\"1.0\"?>\n<RadarProfile\n" +
           (firmware.empty() ? std::string() : "\tFirmware=\"" + firmware + "\"\n") + keys;
}

// All eighteen as the simulator's log says its module holds them after a write.
std::string Holds(const Values& v) {
    return "holds general " + v[3] + " " + v[2] + " " + v[1] + " " + v[0] + " " + v[4] + " calibration " + v[17] +
           " noise " + v[5] + " " + v[6] + " " + v[7] + " " + v[8] + " iir " + v[9] + " " + v[10] + " window " + v[11] +
           " " + v[12] + " alpha-beta " + v[13] + " " + v[14] + " " + v[15] + " " + v[16];
}

class ProfileTest : public ParamDialogTest {
protected:
    // Clicks a button that opens a file dialog owned by the parameter dialog and chooses path.
    void ChooseThrough(int button, const std::wstring& path) {
        Click(Control(m_dialog, button));
        const HWND files = WaitForFileDialogOf(m_tool.Pid(), m_dialog);
        ASSERT_NE(nullptr, files) << "no file dialog after button " << button;
        ASSERT_TRUE(ChooseFile(files, path, kWait)) << Utf8(path);
    }
    void Load(const std::wstring& path, const std::vector<std::wstring>& edits) {
        ASSERT_NO_FATAL_FAILURE(ChooseThrough(IDC_BTN_LOAD_PROFILE, path));
        EXPECT_TRUE(WaitUntil([&] { return Edits() == edits; }, kWait));
    }
    // "Write all…": its question answered yes; the outcome's box, dismissed.
    MessageBoxInfo WriteAll() {
        Click(Control(m_dialog, IDC_BTN_WRITE_ALL));
        const MessageBoxInfo question = WaitForMessageBox(m_tool.Pid(), kWait);
        EXPECT_EQ(BoxIcon::Question, question.icon) << Utf8(question.text);
        EXPECT_TRUE(::PostMessageW(question.hwnd, WM_COMMAND, IDYES, 0));
        EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(question.hwnd); }, kWait));
        return TakeBox(IDC_BTN_WRITE_ALL);
    }
    // The mark in the dialog, and the same text among the main window's notices (none: empty).
    void ExpectMark(const std::wstring& text) {
        EXPECT_TRUE(WaitUntil([&] { return GetControlText(m_dialog, IDC_STATIC_PROFILE_MARK) == text; }, kWait))
            << Utf8(GetControlText(m_dialog, IDC_STATIC_PROFILE_MARK));
        const std::wstring notices = GetControlText(m_window, IDC_STATIC_WAVE);
        for (const wchar_t* mark : {kNotWritten, kUseWriteAll})
            EXPECT_EQ(text == mark, notices.find(mark) != std::wstring::npos) << Utf8(notices);
    }
};

TEST_F(ProfileTest, SavedLoadedAndWrittenWholeTheProfileEndsInTheModule) {
    WriteFileBytes(ConfigPath(), ConfigWith(kOwn));
    devtest::CSimulator sim(kPort, {});
    StartTool();
    ASSERT_NO_FATAL_FAILURE(ConnectTo(sim));
    ASSERT_NO_FATAL_FAILURE(ShowDialog());
    const struct {
        int id;
        const wchar_t* text;
    } buttons[] = {
        {IDC_BTN_SAVE_PROFILE, L"保存配置…"}, {IDC_BTN_LOAD_PROFILE, L"载入配置…"}, {IDC_BTN_WRITE_ALL, L"写入全部…"}};
    for (const auto& button : buttons) {
        const ControlState state = GetState(Control(m_dialog, button.id));
        EXPECT_TRUE(state.visible && state.enabled) << button.id;
        EXPECT_EQ(button.text, GetControlText(m_dialog, button.id));
    }
    ExpectMark(L"");

    // The record with the connected module's firmware.
    ASSERT_NO_FATAL_FAILURE(ChooseThrough(IDC_BTN_SAVE_PROFILE, Path(L"own.xml")));
    const std::string saved = ProfileFile(kOwn, "ZUV3917-2.04.261201");
    EXPECT_TRUE(WaitUntil([&] { return ReadFileBytes(Path(L"own.xml")) == saved; }, kWait))
        << ReadFileBytes(Path(L"own.xml"));

    // Files that are no good profile: each told with its name and fault, the record untouched.
    const struct {
        const char* text;
        const wchar_t* fault;
    } bad[] = {{"<RadarProfile nOffTime=\"abc\"/>", L"参数值不是数字:\nnOffTime=\"abc\""},
               {"<RadarProfile nMotionIIR=\"256\"/>", L"参数值超出模块接受的范围:\nnMotionIIR=\"256\""},
               {"<AppConfig/>", L"文件的元素不是 RadarProfile, 而是:\nAppConfig"},
               {"<RadarProfile nOffTime=\"9\">", L"这不是一个XML文件:\nStart-end tags mismatch at byte 26"}};
    for (const auto& file : bad) {
        WriteFileBytes(Path(L"bad.xml"), file.text);
        ASSERT_NO_FATAL_FAILURE(ChooseThrough(IDC_BTN_LOAD_PROFILE, Path(L"bad.xml")));
        const std::wstring text = L"无法载入配置文件, 参数保持原样:\n" + Path(L"bad.xml") + L"\n" + file.fault;
        ExpectError(TakeBox(IDC_BTN_LOAD_PROFILE), text.c_str());
        EXPECT_EQ(kOwnEdits, Edits()) << file.text;
        ExpectMark(L"");
    }

    // A profile unlike the record beyond the six shown: "set" writes only
    // those, so the mark stays and points to "write all".
    WriteFileBytes(Path(L"site.xml"), ProfileFile(kProfile, ""));
    ASSERT_NO_FATAL_FAILURE(Load(Path(L"site.xml"), kProfileEdits));
    ExpectMark(kNotWritten);
    ExpectInfo(Press(IDC_BTN_SET_PARAM), L"设置参数成功");
    ExpectMark(kUseWriteAll);

    ExpectInfo(WriteAll(), L"全部 18 个参数已写入, 读回校验一致。");
    ExpectMark(L"");
    const std::string log = sim.LogText();
    EXPECT_NE(std::string::npos, LastWriteLine(log, "0x0072").find("status 0x0000; " + Holds(kProfile))) << log;
    EXPECT_NE(std::string::npos, log.rfind("0x0073 read parameters")) << "read back";
    EXPECT_GT(log.rfind("0x0073 read parameters"), log.rfind("0x0072 write parameters")) << "read back after";
    ASSERT_NO_FATAL_FAILURE(Disconnect());
    EXPECT_TRUE(WaitSaved(kProfile)) << ReadFileBytes(ConfigPath());
    EXPECT_EQ(0u, CloseTool());
}

// The mark belongs to the record: it stays while the module goes and comes
// back, through a refused, unanswered or late write of all, and ends with a
// read. A profile that changes only the six shown fields ends with "set".
TEST_F(ProfileTest, AProfileWaitsUntilTheModuleHoldsItAndAFailedWriteAllNamesItsGroup) {
    WriteFileBytes(ConfigPath(), ConfigWith(kDefaults));
    WriteFileBytes(Path(L"site.xml"), ProfileFile(kProfile, ""));
    StartTool();
    const struct {
        std::vector<std::string> fault;
        const wchar_t* box;
    } faults[] = {{{"--refuse-code", "0x69"}, L"写入IIR滤波系数失败"},
                  {{"--hangup-on-command", "0x70"}, L"写入Frame滑窗大小参数失败"},
                  {{"--reply-delay", "2200"}, L"写入普通参数失败"}};
    for (const auto& row : faults) {
        SCOPED_TRACE(row.fault[0]);
        devtest::CSimulator sim(kPort, row.fault);
        ASSERT_NO_FATAL_FAILURE(ConnectTo(sim));
        if (!m_dialog) {
            ASSERT_NO_FATAL_FAILURE(ShowDialog());
            ASSERT_NO_FATAL_FAILURE(Load(Path(L"site.xml"), kProfileEdits));
        }
        ExpectMark(kNotWritten);
        ExpectError(WriteAll(), row.box);
        EXPECT_EQ(kProfileEdits, Edits());
        ExpectMark(kNotWritten);
        ASSERT_NO_FATAL_FAILURE(Disconnect());
        EXPECT_TRUE(WaitSaved(kProfile)) << "the record keeps the profile";
    }
    EXPECT_NE(std::wstring::npos, GetControlText(m_window, IDC_STATIC_WAVE).find(kNotWritten)) << "without a module";

    devtest::CSimulator sim(kPort, {});
    ASSERT_NO_FATAL_FAILURE(ConnectTo(sim));
    ExpectInfo(Press(IDC_BTN_READ_PARAM), L"读取参数成功");
    EXPECT_EQ(kDefaultEdits, Edits());
    ExpectMark(L"");

    // Only the six shown differ from the record: "set" gives the module all of it.
    Values sixOnly = kDefaults;
    for (int i : {0, 1, 2, 3, 4, 17}) sixOnly[static_cast<size_t>(i)] = kProfile[static_cast<size_t>(i)];
    WriteFileBytes(Path(L"six.xml"), ProfileFile(sixOnly, ""));
    ASSERT_NO_FATAL_FAILURE(Load(Path(L"six.xml"), kProfileEdits));
    ExpectMark(kNotWritten);
    ExpectInfo(Press(IDC_BTN_SET_PARAM), L"设置参数成功");
    ExpectMark(L"");
    EXPECT_EQ(0u, CloseTool());
}

}  // namespace
}  // namespace e2e
