// The real zuv_cfg against the real simulator on a pty: each row runs one or
// more command lines and checks the exit status, a part of stderr's one line
// and of stdout. {port} and {dir} in a row stand for the simulator's link and
// the scratch folder; {dir}/p.xml holds the row's profile.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include "SimLog.h"
#include "SimProcess.h"

using namespace testsupport;

namespace {

struct Step {
    std::vector<std::string> args;
    int exit;
    std::string errHas;  // empty: stderr must be empty
    std::string outHas;
    std::string stdoutTo;  // stdout goes to this file instead of the step's own
};

struct Case {
    const char* name;
    std::vector<std::string> sim;
    std::string profile;  // written to {dir}/p.xml when not empty
    std::vector<Step> steps;
    bool profileStays = false;  // {dir}/p.xml holds profile after the steps
};

constexpr int kLastModuleAnswered = 1;  // exit 0 and 1 (diff)
const std::string kPartial = "<RadarProfile nOffTime=\"33\" fKalman1=\"0.25\"/>";

const Case kCases[] = {
    {"Version", {"--version-text", "ZUV3917-9.99.000001"}, "", {{{"version"}, 0, "", "ZUV3917-9.99.000001\n"}}},
    {"ReadToStdout", {}, "", {{{"read"}, 0, "", "Firmware=\"ZUV3917-2.04.261201\"\n\tnMotionlessRangeMin=\"30\""}}},
    {"ReadToFileThenSameDiff",
     {},
     "",
     {{{"read", "-o", "{dir}/p.xml"}, 0, "", ""}, {{"diff", "{dir}/p.xml"}, 0, "", ""}}},
    {"WriteVerifiedThenDiffReadRestore",
     {},
     kPartial,
     {{{"write", "{dir}/p.xml"}, 0, "", "all 18 parameters match"},
      {{"diff", "{dir}/p.xml"}, 0, "", ""},
      {{"read"}, 0, "", "nOffTime=\"33\""},
      {{"restore"}, 0, "", "all 18 parameters match"},
      {{"diff", "{dir}/p.xml"},
       1,
       "differs from {dir}/p.xml in 2 parameter(s)",
       "nOffTime: file 33, module 20\nfKalman1: file 0.250000, module 0.500000\n"}}},
    {"DiffOutOfFactoryModule",
     {},
     kPartial,
     {{{"diff", "{dir}/p.xml"}, 1, "in 2 parameter(s)", "nOffTime: file 33, module 20\n"}}},
    {"RefusedWrite",
     {"--refuse-code", "0x69"},
     kPartial,
     {{{"write", "{dir}/p.xml"}, 6, "the module refused command 0x69 (status 0x0005)", ""}}},
    {"BadProfileNeverReachesModule",
     {"--hangup-on-command", "0x01"},
     "<RadarProfile nOffTime=\"soon\"/>",
     {{{"write", "{dir}/p.xml"}, 7, "{dir}/p.xml: nOffTime", ""}}},
    {"ProfileUnreadable",
     {},
     "",
     {{{"write", "/dev/zero"}, 7, "/dev/zero is larger than any profile (1 MiB)", ""},
      {{"diff", "{dir}"}, 7, "cannot read {dir}: Is a directory", ""}}},
    {"StdoutFull", {}, "", {{{"read"}, 8, "cannot write to standard output", "", "/dev/full"}}},
    {"MissingProfile", {}, "", {{{"diff", "{dir}/none.xml"}, 7, "cannot read {dir}/none.xml: No such file", ""}}},
    {"HangUpDuringWrite",
     {"--hangup-on-command", "0x68"},
     kPartial,
     {{{"write", "{dir}/p.xml"}, 3, "lost during command 0x68", ""}}},
    {"HangUpWhileRecording",
     {"--period", "5", "--hangup-after", "20"},
     "",
     {{{"record", "--seconds", "60", "-o", "{dir}/r.dat"}, 3, "lost while recording; {dir}/r.dat keeps ", ""}}},
    {"LateReplyStillRead", {"--reply-delay", "1000"}, "", {{{"read"}, 0, "", "nOffTime=\"20\""}}},
    {"ReplyTooLate",
     {"--reply-delay", "2600"},
     "",
     {{{"read"}, 4, "no answer from the module on {port} at 256000 baud", ""}}},
    {"ShortParameterReply",
     {"--reply-0x73-length", "51"},
     "",
     {{{"read"}, 5, "malformed or short reply to command 0x73", ""}}},
    {"ParameterReadRefused", {"--status-0x73", "5"}, "", {{{"read"}, 5, "refused command 0x73 (status 0x0005)", ""}}},
    {"MissingPort",
     {},
     "",
     {{{"--port", "{dir}/ttyNone", "version"}, 3, "cannot open {dir}/ttyNone: No such file", ""}}},
    {"ProfileUnwritable",
     {},
     "",
     {{{"read", "-o", "{dir}/no/p.xml"}, 8, "cannot write {dir}/no/p.xml: No such file", ""}}},
    {"RecordFileUncreatable",
     {},
     "",
     {{{"record", "--seconds", "1", "-o", "{dir}/no/r.dat"}, 8, "cannot create {dir}/no/r.dat", ""}}},
    {"RecordOverFileModuleGone",
     {"--hangup-on-command", "0x10"},
     kPartial,
     {{{"record", "--seconds", "5", "-o", "{dir}/p.xml"}, 3, "lost during command 0x10", ""}},
     true},
    {"RecordDiskFull",
     {},
     "",
     {{{"record", "--seconds", "30", "-o", "/dev/full"}, 8, "cannot write /dev/full: No space left", ""}}},
    {"Help", {}, "", {{{"--help"}, 0, "", "  8  an output file could not be written\n"}}},
    {"BadArguments",
     {},
     "",
     {{{}, 2, "no command given", ""},
      {{"frob"}, 2, "unknown command frob", ""},
      {{"--baud", "fast", "read"}, 2, "--baud wants a whole number", ""},
      {{"read", "--verbose"}, 2, "unknown option --verbose", ""},
      {{"write"}, 2, "write takes one profile file", ""},
      {{"read", "extra"}, 2, "read takes no file name", ""},
      {{"record", "-o", "{dir}/r.dat"}, 2, "record needs --seconds N and -o FILE", ""},
      {{"record", "--seconds", "0", "-o", "{dir}/r.dat"}, 2, "--seconds wants a whole number", ""},
      {{"diff", "{dir}/p.xml", "-o", "x"}, 2, "-o is for read and record only", ""},
      {{"--port", "", "version"}, 2, "--port needs a port name", ""},
      {{"--port"}, 2, "--port needs a value", ""}}},
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

// False when the log's last word on command mode is that it was entered.
bool LeftCommandMode(const std::string& simLog) {
    const size_t entered = simLog.rfind("enter command mode: status 0x0000");
    return entered == std::string::npos || simLog.find("leave command mode", entered) != std::string::npos;
}

std::string Expand(std::string text, const std::string& dir, const std::string& port) {
    for (const auto& [key, value] : {std::pair<std::string, std::string>{"{dir}", dir}, {"{port}", port}})
        for (size_t at; (at = text.find(key)) != std::string::npos;) text.replace(at, key.size(), value);
    return text;
}

class CfgProgram : public ::testing::TestWithParam<Case> {
protected:
    // zuv_cfg --port LINK ARGS, run to its end.
    std::unique_ptr<ChildProcess> Run(const std::vector<std::string>& args, const std::string& port,
                                      const std::string& stdoutTo = "") {
        std::vector<std::string> argv = {ZUV_CFG_PATH};
        const bool ownPort = !args.empty() && args[0] == "--port";
        if (!ownPort) argv.insert(argv.end(), {"--port", port});
        for (const std::string& a : args) argv.push_back(Expand(a, dir.Path(), port));
        return std::make_unique<ChildProcess>(argv, dir.Path() + "/run" + std::to_string(++runs), stdoutTo);
    }

    ScratchDir dir;
    int runs = 0;
};

}  // namespace

TEST_P(CfgProgram, ExitStatusAndOutput) {
    const Case& c = GetParam();
    SimProcess sim(ZUV_SIM_PATH, dir.Path(), "tty", c.sim);
    ASSERT_TRUE(sim.Started()) << sim.Problem();
    if (!c.profile.empty()) {
        ASSERT_TRUE(WriteFile(dir.Path() + "/p.xml", c.profile));
    }
    for (const Step& step : c.steps) {
        SCOPED_TRACE(::testing::PrintToString(step.args));
        auto run = Run(step.args, sim.Link(), step.stdoutTo);
        EXPECT_EQ(run->Wait(), step.exit);
        const std::string err = run->Err();
        if (step.errHas.empty()) {
            EXPECT_EQ(err, "");
        } else {
            EXPECT_NE(err.find(Expand(step.errHas, dir.Path(), sim.Link())), std::string::npos) << err;
            EXPECT_EQ(err.find('\n'), err.size() - 1) << "one line: " << err;
        }
        if (step.stdoutTo.empty()) {
            EXPECT_NE(run->Out().find(step.outHas), std::string::npos) << run->Out();
        }
        // Whatever the outcome, a module that still answers is out of command
        // mode (a late module logs it when its reply goes out).
        if (step.exit <= kLastModuleAnswered || step.exit == 6 || step.exit == 8) {
            EXPECT_TRUE(WaitFor([&] { return LeftCommandMode(sim.Log()); }, std::chrono::seconds(10))) << sim.Log();
        }
    }
    if (c.profileStays) {
        EXPECT_EQ(ReadFile(dir.Path() + "/p.xml"), c.profile) << "a file the command named stays whole";
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, CfgProgram, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

// Every byte the module sent while reporting is in the file, unchanged, and
// the module was told to stop.
TEST_F(CfgProgram, RecordKeepsEveryByteSent) {
    SimProcess sim(ZUV_SIM_PATH, dir.Path(), "tty", {"--period", "5", "--frames", "40", "--noise", "2"});
    ASSERT_TRUE(sim.Started()) << sim.Problem();
    auto run = Run({"record", "--seconds", "3", "-o", "{dir}/r.dat"}, sim.Link());
    ASSERT_EQ(run->Wait(), 0) << run->Err();
    sim.Stop();
    const std::string recorded = ReadFile(dir.Path() + "/r.dat");
    EXPECT_EQ(FramesIn(recorded).size(), 40u);
    EXPECT_EQ(recorded, ReportBytesSent(sim.Log()));
    EXPECT_NE(sim.Log().find("stop reporting: status 0x0000"), std::string::npos);
    EXPECT_NE(run->Out().find("recorded " + std::to_string(recorded.size()) + " bytes"), std::string::npos);
}

// Ctrl+C: the module is stopped, and what came so far is in the file.
TEST_F(CfgProgram, InterruptedRecordKeepsWhatCame) {
    SimProcess sim(ZUV_SIM_PATH, dir.Path(), "tty", {"--period", "5"});
    ASSERT_TRUE(sim.Started()) << sim.Problem();
    const std::string file = dir.Path() + "/r.dat";
    auto run = Run({"record", "--seconds", "600", "-o", file}, sim.Link());
    struct stat st;
    ASSERT_TRUE(WaitFor([&] { return stat(file.c_str(), &st) == 0 && st.st_size >= 70; }));
    kill(run->Pid(), SIGINT);
    ASSERT_EQ(run->Wait(), 0) << run->Err();
    EXPECT_NE(run->Out().find("(stopped early)"), std::string::npos);
    sim.Stop();
    const std::string recorded = ReadFile(file);
    const std::string sent = ReportBytesSent(sim.Log());
    ASSERT_GE(recorded.size(), 70u);
    EXPECT_EQ(sent.compare(0, recorded.size(), recorded), 0) << "the file is what the module sent, from its start";
    EXPECT_NE(sim.Log().find("stop reporting: status 0x0000"), std::string::npos);
}
