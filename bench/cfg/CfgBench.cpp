// zuv_cfg against the simulator on a pty (host). Figures only, never a pass
// or fail:
// - write + verify of a profile, as a script sees it (program start to exit),
//   against what the protocol needs: the bytes both ways at the baud rate,
//   the simulator's own reply time, and the 20 ms quiet span that ends
//   cleaning the line;
// - record at the full line rate: every byte the simulator sent against the file.
//   cfg_bench ZUV_SIM ZUV_CFG [RECORD_SECONDS] [WRITE_RUNS]   (default 60, 10)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "SimLog.h"
#include "SimProcess.h"

using namespace testsupport;

namespace {

using Clock = std::chrono::steady_clock;
constexpr double kBaudRate = 256000;
constexpr double kBytesPerSecond = kBaudRate / 10;  // 8N1: ten bits a byte
constexpr double kQuietSpanS = 0.020;

// Bytes both ways and the simulator's reply time (a command's arrival to its
// reply going out), from its log.
struct Wire {
    size_t bytes = 0;
    double replySeconds = 0;
};

Wire WireOf(const std::string& log) {
    Wire wire;
    std::istringstream lines(log);
    std::string line;
    double lastRx = -1;
    bool replyNext = false;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        double time = 0;
        std::string tag, hex;
        if (!(fields >> time >> tag)) continue;
        if (tag == "CMD") replyNext = true;
        if (tag != "RX" && tag != "TX") continue;
        while (fields >> hex && hex.size() == 2) ++wire.bytes;
        if (tag == "RX") lastRx = time;
        if (tag == "TX" && replyNext && lastRx >= 0) {
            wire.replySeconds += time - lastRx;
            replyNext = false;
        }
    }
    return wire;
}

double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

int Fail(const std::string& what) {
    std::fprintf(stderr, "cfg_bench: %s\n", what.c_str());
    return 1;
}

int WriteVerify(const std::string& sim, const std::string& cfg, int runs) {
    ScratchDir dir;
    const std::string profile = dir.Path() + "/p.xml";
    std::vector<double> measured, needed;
    for (int i = 0; i < runs; ++i) {
        SimProcess module(sim, dir.Path(), "tty" + std::to_string(i), {});
        if (!module.Started()) return Fail(module.Problem());
        WriteFile(profile, "<RadarProfile nOffTime=\"" + std::to_string(30 + i) + "\" fKalman1=\"0.25\"/>");
        const auto start = Clock::now();
        ChildProcess run({cfg, "--port", module.Link(), "write", profile}, dir.Path() + "/run");
        const int status = run.Wait();
        const double took = Seconds(start);
        module.Stop();
        if (status != 0) return Fail("write ended with " + std::to_string(status) + ": " + run.Err());
        const Wire wire = WireOf(module.Log());
        const double need = wire.bytes / kBytesPerSecond + wire.replySeconds + kQuietSpanS;
        measured.push_back(took);
        needed.push_back(need);
        if (i == 0)
            std::printf(
                "write + verify: %zu bytes on the line (%.1f ms at 256000 baud), simulator replies %.1f ms, "
                "quiet span %.0f ms\n",
                wire.bytes, 1000 * wire.bytes / kBytesPerSecond, 1000 * wire.replySeconds, 1000 * kQuietSpanS);
    }
    std::sort(measured.begin(), measured.end());
    std::sort(needed.begin(), needed.end());
    const double median = measured[measured.size() / 2], need = needed[needed.size() / 2];
    std::printf(
        "write + verify, %d runs: median %.1f ms (min %.1f, max %.1f), protocol needs %.1f ms: "
        "target <= 1.5x, ratio %.2f\n",
        runs, 1000 * median, 1000 * measured.front(), 1000 * measured.back(), 1000 * need, median / need);
    return 0;
}

int RecordAtLineRate(const std::string& sim, const std::string& cfg, int seconds) {
    ScratchDir dir;
    // Frames for all but the last two seconds of the run, so the simulator
    // has sent its last one before the module is told to stop.
    const long frames = static_cast<long>((seconds - 2) * kBytesPerSecond / 7);
    SimProcess module(sim, dir.Path(), "tty", {"--line-rate", "25600", "--frames", std::to_string(frames)});
    if (!module.Started()) return Fail(module.Problem());
    const std::string file = dir.Path() + "/r.dat";
    const auto start = Clock::now();
    ChildProcess run({cfg, "--port", module.Link(), "record", "--seconds", std::to_string(seconds), "-o", file},
                     dir.Path() + "/run");
    const int status = run.Wait(std::chrono::seconds(seconds + 60));
    const double took = Seconds(start);
    module.Stop();
    if (status != 0) return Fail("record ended with " + std::to_string(status) + ": " + run.Err());
    const std::string recorded = ReadFile(file), sent = ReportBytesSent(module.Log());
    const size_t common = static_cast<size_t>(
        std::mismatch(sent.begin(), sent.begin() + std::min(sent.size(), recorded.size()), recorded.begin()).first -
        sent.begin());
    std::printf(
        "record at the line rate, %d s (ran %.1f s): %zu bytes sent (%ld frames, %.0f B/s), %zu recorded, "
        "equal for the first %zu\n",
        seconds, took, sent.size(), frames, sent.size() / (seconds - 2.0), recorded.size(), common);
    std::printf("record at the line rate: bytes recorded / sent: target 1.00 and equal, ratio %.4f, %s\n",
                sent.empty() ? 0.0 : static_cast<double>(recorded.size()) / sent.size(),
                recorded == sent ? "equal byte for byte" : "NOT equal");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Fail("usage: cfg_bench ZUV_SIM ZUV_CFG [RECORD_SECONDS] [WRITE_RUNS]");
    const int seconds = argc > 3 ? std::max(5, std::atoi(argv[3])) : 60;
    const int runs = argc > 4 ? std::max(1, std::atoi(argv[4])) : 10;
    const int write = WriteVerify(argv[1], argv[2], runs);
    const int record = RecordAtLineRate(argv[1], argv[2], seconds);
    return write != 0 ? write : record;
}
