// zuv_cfg.exe under Wine through the real Tavo_DataProcess.dll, the simulator
// at the far end of COM6 (scripts/wine-session.sh maps it to a pty): a few
// command lines end to end, the same rows the host tests run on Linux.
#include <gtest/gtest.h>

#include "SimFixture.h"
#include "SimLog.h"

using namespace devtest;

namespace {

constexpr int kComPort = 6;

struct Step {
    std::vector<std::wstring> args;
    DWORD exit;
    std::string errHas;
    std::string outHas;
};

struct Case {
    const char* name;
    std::vector<std::string> sim;
    std::vector<Step> steps;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

const Case kCases[] = {
    {"WriteVerifiedThenSame",
     {},
     {{{L"write", L"{dir}p.xml"}, 0, "", "all 18 parameters match"}, {{L"diff", L"{dir}p.xml"}, 0, "", ""}}},
    {"RefusedWrite",
     {"--refuse-code", "0x68"},
     {{{L"write", L"{dir}p.xml"}, 6, "the module refused command 0x68 (status 0x0005)", ""}}},
    {"MissingPort", {}, {{{L"--port", L"COM9", L"version"}, 3, "cannot open COM9: the port is missing or busy", ""}}},
};

std::wstring ExeDir() {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path, n);
    return dir.substr(0, dir.find_last_of(L"\\/") + 1);
}

class CfgWine : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override {
        std::string sim, problem;
        ASSERT_TRUE(SessionPaths(sim, dir, problem)) << problem;
        dir += "/cfg-" + std::to_string(GetCurrentProcessId()) + "-";
        ASSERT_TRUE(WriteWholeFile(dir + "p.xml", "<RadarProfile nOffTime=\"33\" fKalman2=\"0.125\"/>"));
    }

    // zuv_cfg.exe --port COM6 ARGS ({dir} replaced), run to its end;
    // stdout and stderr land in files read back into out and err.
    DWORD Run(std::vector<std::wstring> args, std::string& out, std::string& err) {
        std::wstring line = L"\"" + ExeDir() + ZUV_CFG_EXE + L"\"";
        if (args.empty() || args[0] != L"--port") line += L" --port COM" + std::to_wstring(kComPort);
        const std::wstring winDir = WinPath(dir);
        for (std::wstring& a : args) {
            const size_t at = a.find(L"{dir}");
            if (at != std::wstring::npos) a.replace(at, 5, winDir);
            line += L" \"" + a + L"\"";
        }
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        auto create = [&](const std::string& name) {
            return CreateFileW(WinPath(dir + name).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0,
                               nullptr);
        };
        HANDLE outFile = create("out"), errFile = create("err");
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdOutput = outFile;
        si.hStdError = errFile;
        PROCESS_INFORMATION pi = {};
        DWORD code = 0xFFFF;
        if (CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
            if (WaitForSingleObject(pi.hProcess, 120000) == WAIT_OBJECT_0)
                GetExitCodeProcess(pi.hProcess, &code);
            else
                TerminateProcess(pi.hProcess, 0xFFFE);
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
        }
        CloseHandle(outFile);
        CloseHandle(errFile);
        out = ReadWholeFile(dir + "out");
        err = ReadWholeFile(dir + "err");
        return code;
    }

    std::string dir;  // Linux path of this test's files, a prefix inside the session
};

}  // namespace

TEST_P(CfgWine, ExitStatusAndOutput) {
    const Case& c = GetParam();
    CSimulator sim(kComPort, c.sim);
    ASSERT_TRUE(sim.Started()) << sim.Problem();
    for (const Step& step : c.steps) {
        std::string out, err;
        EXPECT_EQ(Run(step.args, out, err), step.exit);
        if (step.errHas.empty())
            EXPECT_EQ(err, "");
        else
            EXPECT_NE(err.find(step.errHas), std::string::npos) << err;
        EXPECT_NE(out.find(step.outHas), std::string::npos) << out;
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, CfgWine, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST_F(CfgWine, RecordKeepsEveryByteSent) {
    CSimulator sim(kComPort, {"--period", "5", "--frames", "40", "--noise", "1"});
    ASSERT_TRUE(sim.Started()) << sim.Problem();
    std::string out, err;
    ASSERT_EQ(Run({L"record", L"--seconds", L"3", L"-o", L"{dir}r.dat"}, out, err), 0u) << err;
    ASSERT_TRUE(sim.Stop());
    const std::string recorded = ReadWholeFile(dir + "r.dat");
    EXPECT_EQ(testsupport::FramesIn(recorded).size(), 40u);
    EXPECT_EQ(recorded, testsupport::ReportBytesSent(sim.LogText()));
    EXPECT_NE(sim.LogText().find("stop reporting: status 0x0000"), std::string::npos);
}
