// The real zuv_sim program on a pty: the test opens the link's target as the
// host would, and checks what crosses the line byte for byte. Every wait has
// a deadline; none is a fixed sleep.
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "RadarProtocol.h"
#include "SimModuleSupport.h"

using namespace radarproto;
using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

namespace {

constexpr auto kTimeout = std::chrono::seconds(10);

bool Exists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit = kTimeout) {
    const auto until = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() >= until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

class SimProgram : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/zuv_sim_test.XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        link = dir + "/com5";
        ready = dir + "/ready";
        stop = dir + "/stop";
    }

    void TearDown() override {
        if (fd >= 0) close(fd);
        if (pid > 0) {
            kill(pid, SIGTERM);
            if (!Exited(std::chrono::seconds(5))) {
                kill(pid, SIGKILL);
                waitpid(pid, nullptr, 0);
            }
        }
        std::system(("rm -rf '" + dir + "'").c_str());
    }

    void Start(std::vector<std::string> extra) {
        std::vector<std::string> args = {ZUV_SIM_PATH,    "--link", link,    "--ready-file", ready, "--stop-file", stop,
                                         "--max-runtime", "120",    "--log", dir + "/log"};
        args.insert(args.end(), extra.begin(), extra.end());
        const pid_t parent = getpid();
        pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (getppid() != parent) _exit(127);
            std::vector<char*> argv;
            for (auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        ASSERT_TRUE(WaitFor([&] { return Exists(ready) || Exited(std::chrono::milliseconds(0)); })) << "no ready file";
        ASSERT_TRUE(Exists(ready)) << "zuv_sim exited with " << status;
        ASSERT_TRUE(Exists(link));
        fd = open(link.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(fd, 0);
        termios t{};
        ASSERT_EQ(tcgetattr(fd, &t), 0);
        cfmakeraw(&t);
        tcsetattr(fd, TCSANOW, &t);
    }

    // True once the program has exited (status then holds its wait status).
    bool Exited(std::chrono::milliseconds limit) {
        if (pid <= 0) return true;
        const bool done = WaitFor(
            [&] {
                const pid_t r = waitpid(pid, &status, WNOHANG);
                return r == pid || r < 0;
            },
            limit);
        if (done) pid = -1;
        return done;
    }

    void Send(const Bytes& bytes) {
        ASSERT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }

    // Reads until `take` accepts a prefix of what came in (it returns that
    // prefix's length, 0 for "not yet"), or the line hangs up (hungUp then
    // set), or the time-out. Bytes past the prefix wait for the next call.
    Bytes ReadUntil(const std::function<size_t(const Bytes&)>& take, bool* hungUp = nullptr) {
        const auto until = Clock::now() + kTimeout;
        size_t n = 0;
        while ((n = take(rest)) == 0 && Clock::now() < until) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0) continue;
            uint8_t buf[512];
            const ssize_t got = read(fd, buf, sizeof buf);
            if (got > 0) {
                rest.insert(rest.end(), buf, buf + got);
                arrivals.push_back({Clock::now(), static_cast<size_t>(got)});
            } else if (got == 0 || (got < 0 && errno == EIO) || (p.revents & POLLHUP)) {
                if (hungUp) *hungUp = true;
                break;
            }
        }
        if (n == 0) n = rest.size();
        Bytes out(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(n));
        rest.erase(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(n));
        return out;
    }

    static std::function<size_t(const Bytes&)> AtLeast(size_t count) {
        return [count](const Bytes& in) { return in.size() >= count ? count : 0; };
    }

    // Sends a command; returns everything read up to and including its reply.
    Bytes Exchange(uint16_t code, const Bytes& payload = {}) {
        Send(EncodeCommand(code, payload));
        return ReadUntil([code](const Bytes& in) -> size_t {
            FrameDecoder d;
            d.Feed(in.data(), in.size());
            Frame f;
            while (d.Next(f))
                if (f.code == code) return in.size() - d.Buffered();
            return 0;
        });
    }

    static bool EndsWith(const Bytes& in, const Bytes& tail) {
        return in.size() >= tail.size() && std::equal(tail.begin(), tail.end(), in.end() - tail.size());
    }

    std::string dir, link, ready, stop;
    pid_t pid = -1;
    int status = 0;
    int fd = -1;
    Bytes rest;
    // Every read that brought bytes: when, and how many.
    struct Arrival {
        Clock::time_point at;
        size_t bytes;
    };
    std::vector<Arrival> arrivals;
};

}  // namespace

TEST_F(SimProgram, CommandsRepliesAndReportFramesByteForByte) {
    const std::string script = dir + "/walk.txt";
    std::ofstream(script) << "# one person, still\n1 321 100000\n";
    Start({"--script", script, "--period", "20", "--version-text", "ZUV3917-9.99.000001"});

    const std::string version = "ZUV3917-9.99.000001";
    EXPECT_EQ(Exchange(kReadVersion), EncodeReply(kReadVersion, 0, Bytes(version.begin(), version.end())));
    EXPECT_EQ(Exchange(kStartReporting), EncodeReply(kStartReporting, 0));

    const Bytes frame = EncodeReport(1, 321);
    const Bytes reports = ReadUntil(AtLeast(5 * frame.size()));
    ASSERT_EQ(reports.size() % frame.size(), 0u);
    for (size_t i = 0; i < reports.size(); i += frame.size())
        EXPECT_EQ(Bytes(reports.begin() + i, reports.begin() + i + frame.size()), frame);

    // Entering command mode: report frames may precede the reply, never follow it.
    const Bytes entering = Exchange(kEnterCommandMode);
    ASSERT_TRUE(EndsWith(entering, EncodeReply(kEnterCommandMode, 0)));
    ASSERT_EQ((entering.size() - EncodeReply(kEnterCommandMode, 0).size()) % frame.size(), 0u);
    const uint16_t ids[] = {0, 4};
    const uint32_t values[] = {555, 33};
    EXPECT_EQ(Exchange(kWriteGeneral, EncodeParameterWrite(ids, values, 2)), EncodeReply(kWriteGeneral, 0));
    ModuleParameters expected;
    expected.motionRangeMax = 555;
    expected.offTime = 33;
    EXPECT_EQ(Exchange(kReadParameters),
              EncodeFrame(kKindReply, kReadParameters, EncodeParameterReply(0, expected).data(), kParameterReplySize));
    EXPECT_EQ(Exchange(0x42), EncodeReply(0x42, kStatusUnknownCommand));

    // Leaving it: the frames resume.
    EXPECT_EQ(Exchange(kLeaveCommandMode), EncodeReply(kLeaveCommandMode, 0));
    EXPECT_EQ(ReadUntil(AtLeast(frame.size())), frame);
}

TEST_F(SimProgram, HangUpRemovesThePortAndExits) {
    Start({"--reporting", "--period", "10", "--scenario", "stand-still", "--hangup-after", "4"});
    bool hungUp = false;
    const Bytes in = ReadUntil([](const Bytes&) -> size_t { return 0; }, &hungUp);
    EXPECT_TRUE(hungUp);
    EXPECT_EQ(in.size(), 4 * kReportSize);
    ASSERT_TRUE(Exited(kTimeout));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_FALSE(Exists(link));
}

TEST_F(SimProgram, HangUpOnACommandOrHalfWayThroughItsReply) {
    // The command goes unanswered: only the earlier reply comes, then the line goes.
    Start({"--hangup-on-command", "0x03"});
    EXPECT_EQ(Exchange(kStopReporting), EncodeReply(kStopReporting, 0));
    Send(EncodeCommand(kReadVersion));
    bool hungUp = false;
    EXPECT_TRUE(ReadUntil([](const Bytes&) -> size_t { return 0; }, &hungUp).empty());
    EXPECT_TRUE(hungUp);
    ASSERT_TRUE(Exited(kTimeout));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_FALSE(Exists(link));
    close(fd);
    fd = -1;
    rest.clear();
    unlink(ready.c_str());

    // Half the reply arrives, never the rest.
    Start({"--hangup-mid-reply", "3", "--version-text", "ZUV3917-HALF"});
    Send(EncodeCommand(kReadVersion));
    hungUp = false;
    const Bytes half = ReadUntil([](const Bytes&) -> size_t { return 0; }, &hungUp);
    EXPECT_TRUE(hungUp);
    const std::string version = "ZUV3917-HALF";
    const Bytes whole = EncodeReply(kReadVersion, 0, Bytes(version.begin(), version.end()));
    EXPECT_EQ(half, Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(whole.size() / 2)));
    ASSERT_TRUE(Exited(kTimeout));
    EXPECT_FALSE(Exists(link));
}

TEST_F(SimProgram, StopFileEndsItCleanly) {
    Start({"--reporting", "--period", "10"});
    ASSERT_FALSE(ReadUntil(AtLeast(kReportSize)).empty());
    std::ofstream(stop) << "";
    ASSERT_TRUE(Exited(kTimeout));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_FALSE(Exists(link));
}

TEST_F(SimProgram, TermSignalEndsItAndAStaleLinkIsReplaced) {
    ASSERT_EQ(symlink("/nonexistent/pts/77", link.c_str()), 0);
    Start({});
    EXPECT_EQ(Exchange(kStopReporting), EncodeReply(kStopReporting, 0));
    kill(pid, SIGTERM);
    ASSERT_TRUE(Exited(kTimeout));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_FALSE(Exists(link));
}

TEST_F(SimProgram, FaultSwitchesReachTheLine) {
    Start({"--reply-0x73-length", "53", "--refuse-code", "0x69", "--reply-delay", "150", "--split-writes"});
    Exchange(kEnterCommandMode);
    arrivals.clear();
    const auto sent = Clock::now();
    const Bytes read = Exchange(kReadParameters);
    ASSERT_EQ(read.size(), kFrameOverhead + 53);
    EXPECT_EQ(read[5], 53);
    ASSERT_FALSE(arrivals.empty());
    // --reply-delay: not one byte of the reply before the delay (a lower
    // bound only: a slow machine makes it later, never earlier).
    const auto firstByte = std::chrono::duration_cast<std::chrono::milliseconds>(arrivals.front().at - sent);
    EXPECT_GE(firstByte.count(), 150);
    // --split-writes: the 64 bytes come in pieces of at most 4 with 1-3 ms
    // between them (15 ms or more in all), so the reader sees several reads, not
    // one; a reader that fell asleep for all of it would see them joined.
    EXPECT_GE(arrivals.size(), 2u) << "the whole reply came in one read";
    const uint16_t id[] = {0};
    const uint32_t v[] = {1};
    EXPECT_EQ(Exchange(kWriteIIR, EncodeParameterWrite(id, v, 1)), EncodeReply(kWriteIIR, kStatusRefused));
}

TEST_F(SimProgram, LineRateSendsTheGivenFramesBackToBackWithUnixTimeInTheLog) {
    Start({"--reporting", "--scenario", "stand-still", "--line-rate", "25600", "--noise", "3", "--frames", "300",
           "--bad-trailer-every", "50", "--log-wall-clock"});
    const size_t each = kReportSize + 3;
    const Bytes in = ReadUntil(AtLeast(300 * each));
    ASSERT_EQ(in.size(), 300 * each);
    for (size_t at = 0, frame = 1; at < in.size(); at += each, ++frame) {
        ASSERT_TRUE(in[at] == 0xAA && in[at + 1] == 0xAA && in[at + 5] == 0x55) << at;
        EXPECT_EQ(in[at + 6], frame % 50 == 0 ? 0x54 : 0x55) << at;
    }
    std::ofstream(stop) << "";
    ASSERT_TRUE(Exited(kTimeout));
    // After the 300th frame the line stayed quiet until the end.
    std::ifstream log(dir + "/log");
    std::string line;
    size_t sent = 0;
    double first = -1;
    while (std::getline(log, line)) {
        if (first < 0) first = std::atof(line.c_str());
        if (line.find(" TX ") == std::string::npos) continue;
        sent += (line.size() - line.find(" TX ") - 3) / 3;
    }
    EXPECT_EQ(sent, 300 * each);
    const double now = static_cast<double>(std::time(nullptr));
    EXPECT_NEAR(first, now, 120.0) << "time stamps in Unix seconds";
}

TEST_F(SimProgram, SceneSendsWhatTheModuleWorksOutForItsSeedAndParameters) {
    const std::string file = dir + "/room.txt";
    std::ofstream(file) << "# the office, a person nearer the fan\nclutter 350 burst 2000 100 500\nstill 300 miss 1000 "
                           "100 900\n";
    const std::string switchFile = dir + "/switch";
    Start({"--scene", file, "--seed", "7", "--period", "10", "--scene-switch-file", switchFile});
    Exchange(kEnterCommandMode);
    const uint16_t ids[] = {0, 4};
    const uint32_t values[] = {340, 5};
    ASSERT_EQ(Exchange(kWriteGeneral, EncodeParameterWrite(ids, values, 2)), EncodeReply(kWriteGeneral, 0));
    Exchange(kLeaveCommandMode);
    ASSERT_EQ(Exchange(kStartReporting), EncodeReply(kStartReporting, 0));
    const Bytes in = ReadUntil(AtLeast(300 * kReportSize));

    zuvsim::Scene scene;
    std::string error;
    std::ifstream text(file);
    ASSERT_TRUE(zuvsim::Scene::Parse(std::string(std::istreambuf_iterator<char>(text), {}), scene, error)) << error;
    zuvsim::ModuleOptions options;
    options.seed = 7;
    options.periodMs = 10;
    zuvsim::Module module(options, scene);
    testsupport::ModuleWrite(module, {kWriteGeneral, {{0, 340}, {4, 5}}});
    testsupport::ModuleCommand(module, kStartReporting);
    EXPECT_EQ(in, testsupport::PlayReports(module, 300).bytes);

    // A switch to a name that is no scene, or to more than a name, is refused;
    // one to the same room plays it again from its start with the parameters
    // held. Each is taken when the file goes, and logged.
    ASSERT_TRUE(EndsWith(Exchange(kStopReporting), EncodeReply(kStopReporting, 0)));
    const std::pair<std::string, std::string> switches[] = {
        {"no-such-room", "scene switch refused: no-such-room: cannot read"},
        {std::string(5000, 'x'), "scene switch refused: " + switchFile + " holds more than a scene name or file"},
        {file, "scene " + file + " from the next report"}};
    for (const auto& [request, logged] : switches) {
        std::ofstream(switchFile) << request << "\n";
        ASSERT_TRUE(WaitFor([&] { return !Exists(switchFile); })) << logged;
        std::ifstream log(dir + "/log");
        EXPECT_NE(std::string(std::istreambuf_iterator<char>(log), {}).find(logged), std::string::npos) << logged;
    }
    ASSERT_EQ(Exchange(kStartReporting), EncodeReply(kStartReporting, 0));
    EXPECT_EQ(ReadUntil(AtLeast(300 * kReportSize)), in);
}

TEST(SimProgramArguments, BadArgumentsFailWithoutLeavingAnything) {
    char tmpl[] = "/tmp/zuv_sim_args.XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    const std::string dir = tmpl;
    // Every file the program could make (link, ready file, log) would land in dir.
    const std::string files = " --ready-file " + dir + "/ready --log " + dir + "/log";
    const std::string link = "--link " + dir + "/com5";
    const std::string bounded = files + " --max-runtime 1";
    const std::vector<std::string> cases = {
        "", "--link", link + " --period 0" + files, link + " --scenario dance" + files,
        link + " --script /nonexistent" + files, link + " --bogus" + files,
        // (bounded: accepted by mistake, they still end)
        link + " --scene office --scenario walk-in" + bounded,
        link + " --scenario empty --scene office-empty" + bounded,
        link + " --scene office --script /nonexistent" + bounded, link + " --scene /nonexistent/room.txt" + bounded,
        link + " --scene " + dir + bounded, link + " --scene ''" + bounded,
        link + " --scene-switch-file " + dir + "/switch" + bounded,
        link + files + " --version-text " + std::string(1001, 'v')};
    for (const std::string& args : cases) {
        // The case named with the folder left out and long values cut.
        std::string name = args;
        for (size_t at; (at = name.find(dir)) != std::string::npos;) name.replace(at, dir.size(), "DIR");
        name = name.substr(0, 100);
        const std::string cmd = std::string(ZUV_SIM_PATH) + " " + args + " >/dev/null 2>&1";
        const int rc = std::system(cmd.c_str());
        EXPECT_TRUE(WIFEXITED(rc) && WEXITSTATUS(rc) == 2) << name;
        std::string left;
        if (DIR* d = opendir(dir.c_str())) {
            while (dirent* e = readdir(d))
                if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
                    left += std::string(" ") + e->d_name;
            closedir(d);
        }
        EXPECT_EQ(left, "") << name;
    }
    std::system(("rm -rf '" + dir + "'").c_str());
}
