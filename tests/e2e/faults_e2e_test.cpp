// The tool against a module that misbehaves: hangs up during a command, half
// way through a reply or in the middle of a run, floods the line with noise,
// never reports, or answers late. Whatever it does, the tool keeps answering,
// the recording holds exactly what reached it, the log stays whole lines, and
// the next module connects.
#include "ToolFixture.h"

#include <iostream>

#include "RunChecks.h"
#include "SimFixture.h"
#include "resource.h"

namespace e2e {
namespace {

using namespace tooldriver;

constexpr int kPort = 5;
constexpr int kOtherPort = 6;
const wchar_t kFreshVersion[] = L"ZUV3917-FRESH";
const wchar_t kPortLost[] = L"端口已断开";

class FaultTest : public ToolTest {
protected:
    void Connect() {
        ASSERT_TRUE(SelectPort(m_window, kPort));
        Click(Control(m_window, IDC_BTN_CONNECT), 3000);
        ASSERT_TRUE(WaitText(IDC_BTN_CONNECT, L"断开设备"));
    }
    void StartRun() {
        Click(Control(m_window, IDC_BTN_START), 3000);
        ASSERT_TRUE(WaitText(IDC_BTN_START, L"停止"));
    }
    // Stops the run (a hang is the only failure); how long the click took
    // to be handled, in ms, for the figures.
    long StopRun() {
        const ULONGLONG start = ::GetTickCount64();
        Click(Control(m_window, IDC_BTN_START), 10000);
        EXPECT_TRUE(WaitText(IDC_BTN_START, L"开始")) << "stop did not end the run";
        return static_cast<long>(::GetTickCount64() - start);
    }
    bool StatusShows(const std::wstring& notice) {
        return GetControlText(m_window, IDC_STATIC_WAVE).find(notice) != std::wstring::npos;
    }
    std::string OnlyFile(const wchar_t* extension) {
        const std::vector<std::wstring> names = FilesIn(Path(L"Log"), extension);
        EXPECT_EQ(1u, names.size()) << "files of one kind in Log";
        return names.empty() ? std::string() : ReadFileBytes(Path(L"Log\\") + names[0]);
    }
    // The recording so far (the tool shares it for reading while it runs).
    std::string DataFile() {
        const std::vector<std::wstring> names = FilesIn(Path(L"Log"), L".dat");
        return names.empty() ? std::string() : ReadFileBytes(Path(L"Log\\") + names[0]);
    }
    // The recording is one unbroken stretch of what the module sent (a
    // hang-up lets the tool read to the end, so there it is the very end).
    std::string CheckRecording(const std::string& simLog, bool endsAtHangUp) {
        const std::string data = OnlyFile(L".dat");
        const std::string sent = BytesSent(simLog);
        if (!data.empty()) {
            EXPECT_NE(std::string::npos, sent.find(data)) << "recorded bytes are not what was sent";
        }
        if (endsAtHangUp) {
            EXPECT_GE(sent.size(), data.size());
            EXPECT_EQ(sent.substr(sent.size() - std::min(sent.size(), data.size())), data) << "bytes lost at the end";
        }
        return data;
    }
    // A fresh module on the same port; the tool must connect to it, then
    // close cleanly with a log of whole lines, one per recorded frame.
    void FinishWithFreshModule(const std::string& data) {
        devtest::CSimulator fresh(kPort, {"--version-text", "ZUV3917-FRESH"});
        ASSERT_TRUE(fresh.Started()) << fresh.Problem();
        EXPECT_TRUE(Reconnect(m_window, m_tool.Pid(), kPort, kFreshVersion));
        EXPECT_EQ(0u, CloseTool());
        const std::string log = OnlyFile(L".log");
        EXPECT_EQ("", FirstIncompleteLine(log));
        EXPECT_EQ(FramesIn(data), FramesLogged(log));
    }
};

struct HangUpCase {
    const char* name;
    const char* option;
};

void PrintTo(const HangUpCase& c, std::ostream* os) { *os << c.name; }

class ConnectHangUpTest : public FaultTest, public ::testing::WithParamInterface<HangUpCase> {};

// Connect opens the port and asks for the version (code 3): the module goes
// before answering, or after half the answer.
TEST_P(ConnectHangUpTest, VersionStaysUnknownAndTheNextModuleConnects) {
    devtest::CSimulator sim(kPort, {GetParam().option, "3", "--version-text", "ZUV3917-GONE"});
    ASSERT_TRUE(sim.Started()) << sim.Problem();
    StartTool();
    ASSERT_TRUE(SelectPort(m_window, kPort));
    Click(Control(m_window, IDC_BTN_CONNECT), 3000);
    ASSERT_TRUE(sim.WaitExited());
    EXPECT_GE(PingWindow(m_window), 0);
    EXPECT_TRUE(WaitText(IDC_BTN_CONNECT, L"断开设备"));
    EXPECT_EQ(L"固件版本:Unknown", GetControlText(m_window, IDC_STATIC_VERSION));
    EXPECT_TRUE(FindMessageBoxes(m_tool.Pid()).empty());
    FinishWithFreshModule(std::string());
}

INSTANTIATE_TEST_SUITE_P(Faults, ConnectHangUpTest,
                         ::testing::Values(HangUpCase{"BeforeTheReply", "--hangup-on-command"},
                                           HangUpCase{"HalfWayThroughTheReply", "--hangup-mid-reply"}),
                         [](const ::testing::TestParamInfo<HangUpCase>& info) { return std::string(info.param.name); });

TEST_F(FaultTest, HangUpMidRunKeepsEveryByteAndTheToolUsable) {
    devtest::CSimulator sim(kPort, {"--scenario", "walk-in", "--hangup-after", "40"});
    ASSERT_TRUE(sim.Started()) << sim.Problem();
    StartTool();
    Connect();
    StartRun();
    ASSERT_TRUE(sim.WaitExited());
    // The tool reads on at the lost port until the window says it is lost
    // and every byte sent before the hang-up is in the data file.
    const std::string sent = BytesSent(sim.LogText());
    const PingWatch watch = PingUntil(m_window, [&] {
        const std::string data = DataFile();
        return StatusShows(kPortLost) && !data.empty() && data.size() <= sent.size() &&
               sent.compare(sent.size() - data.size(), data.size(), data) == 0;
    });
    EXPECT_TRUE(watch.answered) << "the window stopped answering";
    EXPECT_TRUE(watch.reached) << "no port-lost notice, or bytes sent before the hang-up missing from the data file";
    const long stopMs = StopRun();
    const std::string data = CheckRecording(sim.LogText(), true);
    EXPECT_GE(FramesIn(data).size(), 35u) << "of the 40 sent";
    std::cout << "[ figures  ] hang-up mid-run: slowest answer " << watch.slowestMs << " ms, stop " << stopMs
              << " ms\n";
    {
        // The user turns to a module on another port that never answers the
        // version query: the label must not go on naming the one that vanished.
        // The first click ends the connection whose port vanished, the second
        // reaches the module now chosen.
        devtest::CSimulator mute(kOtherPort, {"--hangup-on-command", "3"});
        ASSERT_TRUE(mute.Started()) << mute.Problem();
        ASSERT_TRUE(SelectPort(m_window, kOtherPort));
        Click(Control(m_window, IDC_BTN_CONNECT), 3000);
        EXPECT_TRUE(BoxesOnceAnswering(m_window, m_tool.Pid()).empty());
        ASSERT_EQ(L"连接设备", GetControlText(m_window, IDC_BTN_CONNECT)) << "a click on 断开设备 disconnects";
        EXPECT_EQ(0, mute.CountLog("RX")) << "the disconnect reached the other port";
        Click(Control(m_window, IDC_BTN_CONNECT), 3000);
        ASSERT_TRUE(mute.WaitExited());
        EXPECT_TRUE(BoxesOnceAnswering(m_window, m_tool.Pid()).empty());
        EXPECT_EQ(L"固件版本:Unknown", GetControlText(m_window, IDC_STATIC_VERSION));
    }
    FinishWithFreshModule(data);
}

TEST_F(FaultTest, NoiseFloodAtTheFullLineRate) {
    // 256000 baud carries 25600 bytes a second: frames back to back, each
    // followed by 249 random bytes, so 100 frames in every 25600 bytes.
    devtest::CSimulator sim(kPort, {"--line-rate", "25600", "--noise", "249", "--scenario", "walk-in"});
    ASSERT_TRUE(sim.Started()) << sim.Problem();
    StartTool();
    Connect();
    StartRun();
    // 2.5 s of the flood, the window answering all the while.
    const PingWatch watch = PingUntil(m_window, [&] { return DataFile().size() >= 64000; });
    EXPECT_TRUE(watch.answered) << "the window stopped answering";
    EXPECT_TRUE(watch.reached) << "the flood did not reach the data file";
    const long stopMs = StopRun();
    const std::string data = CheckRecording(sim.LogText(), false);
    EXPECT_GE(FramesIn(data).size(), 200u);
    sim.Stop();
    std::cout << "[ figures  ] noise flood: " << data.size() << " bytes recorded, " << FramesIn(data).size()
              << " frames, slowest answer " << watch.slowestMs << " ms, stop " << stopMs << " ms\n";
    FinishWithFreshModule(data);
}

TEST_F(FaultTest, SilentModuleRecordsNothingAndStops) {
    devtest::CSimulator sim(kPort, {"--silent"});
    ASSERT_TRUE(sim.Started()) << sim.Problem();
    StartTool();
    Connect();
    StartRun();
    // The module took the whole start sequence and then says nothing: the
    // acquisition thread sits in its read when stop comes.
    EXPECT_NE(std::string::npos, sim.LogText().find("leave command mode"));
    EXPECT_GE(PingWindow(m_window), 0);
    const long stopMs = StopRun();
    std::cout << "[ figures  ] silent module: stop " << stopMs << " ms\n";
    EXPECT_EQ("", CheckRecording(sim.LogText(), false));
    EXPECT_EQ(0, GetState(Control(m_window, IDC_RADIO_MOTION)).check);
    sim.Stop();
    FinishWithFreshModule(std::string());
}

TEST_F(FaultTest, LateAnswersLeaveTheVersionUnknownYetTheRunGoesOn) {
    // Later than the library's 150 ms for the commands it sends itself: each
    // command still takes effect in the module, its answer comes too late.
    devtest::CSimulator sim(kPort, {"--reply-delay", "400", "--scenario", "stand-still"});
    ASSERT_TRUE(sim.Started()) << sim.Problem();
    StartTool();
    Connect();
    EXPECT_EQ(L"固件版本:Unknown", GetControlText(m_window, IDC_STATIC_VERSION));
    const ULONGLONG startClick = ::GetTickCount64();
    StartRun();
    const long startMs = static_cast<long>(::GetTickCount64() - startClick);
    const PingWatch watch = PingUntil(m_window, [&] { return FramesIn(DataFile()).size() >= 20; });
    EXPECT_TRUE(watch.answered) << "the window stopped answering";
    EXPECT_TRUE(watch.reached) << "the run did not go on";
    const long stopMs = StopRun();
    const std::string data = CheckRecording(sim.LogText(), false);
    std::cout << "[ figures  ] late answers: start " << startMs << " ms, stop " << stopMs << " ms, slowest answer "
              << watch.slowestMs << " ms\n";
    sim.Stop();
    FinishWithFreshModule(data);
}

}  // namespace
}  // namespace e2e
