// Benchmarks of the running tool under Wine, the simulated module on a
// pty-backed COM port. Figures and ratios only; a slow machine never fails.
//   tool_bench latency [seconds]   frame written -> distance label shows it
//   tool_bench cpu [seconds]       CPU share while showing 20 reports/s
//   tool_bench soak [frames]       back-to-back frames at 25,600 B/s with noise:
//                                  counts, bytes, memory and GDI objects
// Needs ZUV_SIM and WINE_SESSION_DIR (scripts/wine-session.sh); the COM port
// is TOOL_BENCH_PORT (default 5).
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "RadarProtocol.h"
#include "SimFixture.h"
#include "SimLog.h"
#include "ToolDriver.h"
#include "ToolRun.h"
#include "WinTestSupport.h"
#include "resource.h"

namespace {

using namespace tooldriver;

using toolbench::kWait;
constexpr double kLineBytesPerSecond = 25600.0;

using testsupport::ProgramFolder;
using testsupport::ReadFileBytes;
using testsupport::RemoveTree;
using testsupport::ReportBlocks;
using testsupport::TxBlock;

// Unix time in seconds from the system clock (Wine's is the host's).
double UnixNow() {
    FILETIME ft;
    ::GetSystemTimePreciseAsFileTime(&ft);
    const ULONGLONG t = (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return static_cast<double>(t - 116444736000000000ull) / 1e7;
}

size_t WholeFrameCount(const std::string& data) { return testsupport::FramesIn(data).size(); }

size_t CountOf(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
    return n;
}

using toolbench::HostProcess;
using toolbench::ToolRun;

int Port() {
    const char* port = std::getenv("TOOL_BENCH_PORT");
    return port && *port ? std::atoi(port) : 5;
}

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t i = std::min(values.size() - 1, static_cast<size_t>(p / 100.0 * static_cast<double>(values.size())));
    return values[i];
}

// Distance label changes matched with the simulator's TX time of that frame.
int Latency(int seconds) {
    std::string simBinary, dir, problem;
    if (!devtest::SessionPaths(simBinary, dir, problem)) return std::fprintf(stderr, "%s\n", problem.c_str()), 2;
    // 200 distinct distances, one per 50 ms frame: each change names its frame.
    std::string script;
    for (int i = 0; i < 200; ++i) script += "1 " + std::to_string(100 + 3 * i) + " 50\n";
    const std::string scriptFile = dir + "/bench-latency-script.txt";
    devtest::WriteWholeFile(scriptFile, script);
    devtest::CSimulator sim(Port(), {"--script", scriptFile, "--log-wall-clock"});
    if (!sim.Started()) return std::fprintf(stderr, "%s\n", sim.Problem().c_str()), 2;
    ToolRun tool;
    if (!tool.Begin(Port())) return 2;

    struct Seen {
        double time;
        int distance;
    };
    std::vector<Seen> seen;
    // The data file grows as soon as a read returned: its size splits the
    // latency into the device read and the display.
    struct Grown {
        double time;
        ULONGLONG size;
    };
    std::vector<Grown> grown;
    HWND label = Control(tool.Window(), IDC_STATIC_DISTANCE);
    std::wstring last;
    ULONGLONG lastSize = 0;
    const double end = UnixNow() + seconds;
    size_t polls = 0;
    while (UnixNow() < end) {
        const std::wstring text = GetText(label, 2000);
        const double now = UnixNow();
        ++polls;
        if (text != last && !text.empty()) {
            last = text;
            seen.push_back({now, _wtoi(text.c_str())});
        }
        const ULONGLONG size = tool.DataFileSize();
        if (size != lastSize) {
            lastSize = size;
            grown.push_back({UnixNow(), size});
        }
        ::Sleep(1);
    }
    tool.Stop();
    sim.Stop();

    // Distance -> TX times of frames carrying it.
    std::map<int, std::vector<double>> sent;
    const std::vector<TxBlock> blocks = ReportBlocks(sim.LogText());
    std::vector<double> readLatencies;
    {
        // Block i ends at byte ends[i] of the stream (and of the data file).
        std::vector<ULONGLONG> ends;
        ULONGLONG total = 0;
        for (const TxBlock& block : blocks) ends.push_back(total += block.bytes.size());
        for (const Grown& g : grown) {
            auto it = std::lower_bound(ends.begin(), ends.end(), g.size);
            if (it == ends.end()) continue;
            const double ms = (g.time - blocks[static_cast<size_t>(it - ends.begin())].time) * 1000.0;
            if (ms >= 0 && ms < 1000.0) readLatencies.push_back(ms);
        }
    }
    for (const TxBlock& block : blocks) {
        const std::string& b = block.bytes;
        for (size_t pos = 0; pos + radarproto::kReportSize <= b.size(); pos += radarproto::kReportSize)
            sent[radarproto::DecodeReport(reinterpret_cast<const uint8_t*>(b.data() + pos)).distance].push_back(
                block.time);
    }
    std::vector<double> latencies;
    for (const Seen& s : seen) {
        auto it = sent.find(s.distance);
        if (it == sent.end()) continue;
        auto after = std::upper_bound(it->second.begin(), it->second.end(), s.time);
        if (after == it->second.begin()) continue;
        const double ms = (s.time - *(after - 1)) * 1000.0;
        if (ms < 1000.0) latencies.push_back(ms);
    }
    const double p50 = Percentile(latencies, 50), p95 = Percentile(latencies, 95);
    std::printf("latency: %zu label changes matched of %zu seen, %zu polls (%.2f ms apart)\n", latencies.size(),
                seen.size(), polls, seconds * 1000.0 / static_cast<double>(std::max<size_t>(polls, 1)));
    std::printf("latency: frame written -> distance label shows it: p50 %.1f ms, p95 %.1f ms, max %.1f ms\n", p50, p95,
                Percentile(latencies, 100));
    std::printf("latency: of which frame written -> recorded (device read returned): p50 %.1f ms, p95 %.1f ms (%zu)\n",
                Percentile(readLatencies, 50), Percentile(readLatencies, 95), readLatencies.size());
    std::printf("latency: p95 / 50 ms report period = %.2f (target p95 <= 20 ms, ratio <= 0.40)\n", p95 / 50.0);
    std::printf("RESULT latency_p50_ms %.1f\nRESULT latency_p95_ms %.1f\n", p50, p95);
    return 0;
}

// The tool's CPU time: GetProcessTimes, or the Linux process when Wine
// answers 0 for another process.
struct CpuClock {
    HANDLE process;
    HostProcess host;
    double Windows() const {
        FILETIME created, exited, kernel, user;
        if (!::GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
        auto s = [](const FILETIME& f) {
            return static_cast<double>((static_cast<ULONGLONG>(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 1e7;
        };
        return s(kernel) + s(user);
    }
};

// CPU seconds of the tool over `seconds`, and the frames recorded meanwhile.
struct CpuSpan {
    double cpu, elapsed, frames;
    bool fromHost;
};

CpuSpan MeasureCpu(ToolRun& tool, int seconds) {
    CpuClock clock{tool.Handle(), HostProcess(tool.Folder())};
    const double windows0 = clock.Windows(), host0 = clock.host.Found() ? clock.host.CpuSeconds() : -1;
    const ULONGLONG bytes0 = tool.LogFolderFileSize(L".dat");
    const double start = UnixNow();
    while (UnixNow() < start + seconds) ::Sleep(200);
    const double elapsed = UnixNow() - start;
    const double windows = clock.Windows() - windows0;
    const double host = clock.host.Found() ? clock.host.CpuSeconds() - host0 : -1;
    // The Linux process counts every thread of the tool, Wine's own included;
    // GetProcessTimes of another process is not reliable under Wine.
    const bool fromHost = host >= 0.0;
    return {fromHost ? host : windows, elapsed, static_cast<double>(tool.LogFolderFileSize(L".dat") - bytes0) / 7.0,
            fromHost};
}

void PrintCpu(const char* what, const CpuSpan& span) {
    std::printf("cpu: %-24s %6.2f%% of one core (%.2f s CPU in %.1f s, %.1f frames/s; %s)\n", what,
                span.cpu / span.elapsed * 100.0, span.cpu, span.elapsed, span.frames / span.elapsed,
                span.fromHost ? "Linux process" : "GetProcessTimes");
}

int Cpu(int seconds) {
    // Where the time goes: connected and idle, running with a silent module,
    // then running with 20 reports per second.
    CpuSpan idle{}, silent{};
    {
        devtest::CSimulator quiet(Port(), {"--frames", "0"});
        if (!quiet.Started()) return std::fprintf(stderr, "%s\n", quiet.Problem().c_str()), 2;
        ToolRun tool;
        if (!tool.Connect(Port())) return 2;
        idle = MeasureCpu(tool, std::max(3, seconds / 4));
        if (!tool.Start()) return 2;
        silent = MeasureCpu(tool, std::max(3, seconds / 4));
        tool.Stop();
    }
    devtest::CSimulator sim(Port(), {"--scenario", "walk-in", "--period", "50"});
    if (!sim.Started()) return std::fprintf(stderr, "%s\n", sim.Problem().c_str()), 2;
    ToolRun tool;
    if (!tool.Begin(Port())) return 2;
    // Settle: the first frames arrive and the first repaints are done.
    WaitUntil([&] { return tool.LogFolderFileSize(L".dat") > 20 * 7; }, kWait);
    const CpuSpan running = MeasureCpu(tool, seconds);
    // Minimised nothing is painted: what remains is the work per frame
    // without drawing (read, record, parse, log, post, label texts).
    ::ShowWindowAsync(tool.Window(), SW_SHOWMINNOACTIVE);
    WaitUntil([&] { return ::IsIconic(tool.Window()) != FALSE; }, kWait);
    const CpuSpan minimised = MeasureCpu(tool, std::max(3, seconds / 4));
    ::ShowWindowAsync(tool.Window(), SW_RESTORE);
    tool.Stop();
    PrintCpu("connected, idle", idle);
    PrintCpu("running, module silent", silent);
    PrintCpu("running, 20 reports/s", running);
    PrintCpu("the same, window minimised", minimised);
    const double share = running.cpu / running.elapsed * 100.0;
    std::printf("cpu: tool uses %.2f%% of one core showing 20 reports/s (%s; target <= 2%%, ratio %.2f)\n", share,
                running.fromHost ? "the tool's Linux process in /proc" : "GetProcessTimes", share / 2.0);
    std::printf("RESULT cpu_percent %.2f\nRESULT cpu_idle_percent %.2f\nRESULT cpu_silent_percent %.2f\n", share,
                idle.cpu / idle.elapsed * 100.0, silent.cpu / silent.elapsed * 100.0);
    std::printf("RESULT cpu_minimised_percent %.2f\n", minimised.cpu / minimised.elapsed * 100.0);
    return 0;
}

struct Sample {
    double time;
    SIZE_T privateBytes;
    SIZE_T workingSet;
    long hostRssKb;
    DWORD guiGdi;
    LRESULT ownGdi;
};

Sample Measure(const ToolRun& tool, const HostProcess& host, UINT gdiMessage) {
    Sample s{UnixNow(), 0, 0, host.Found() ? host.RssKb() : -1, 0, -1};
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    if (::GetProcessMemoryInfo(tool.Handle(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory)) {
        s.privateBytes = memory.PrivateUsage;
        s.workingSet = memory.WorkingSetSize;
    }
    s.guiGdi = ::GetGuiResources(tool.Handle(), GR_GDIOBJECTS);
    DWORD_PTR answer = 0;
    if (::SendMessageTimeoutW(tool.Window(), gdiMessage, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer))
        s.ownGdi = static_cast<LRESULT>(answer);
    return s;
}

int Soak(long frames) {
    const int noise = 3;
    const long long frameBytes = 7 + noise;
    const long badTrailerEvery = 100;
    devtest::CSimulator sim(Port(), {"--scenario", "random", "--line-rate", "25600", "--noise", std::to_string(noise),
                                     "--bad-trailer-every", std::to_string(badTrailerEvery), "--frames",
                                     std::to_string(frames), "--max-runtime", std::to_string(600 + frames / 100)});
    if (!sim.Started()) return std::fprintf(stderr, "%s\n", sim.Problem().c_str()), 2;
    ToolRun tool;
    if (!tool.Begin(Port())) return 2;
    const UINT gdiMessage = ::RegisterWindowMessageW(L"Tavo_Ladu330_Pk27Tool.LiveGdiObjects");
    WaitUntil([&] { return tool.LogFolderFileSize(L".dat") > 1000; }, kWait);
    const HostProcess host(tool.Folder());
    std::vector<Sample> samples{Measure(tool, host, gdiMessage)};
    const double start = UnixNow();
    // Until every frame is recorded, or nothing more came for 30 s.
    const ULONGLONG all = static_cast<ULONGLONG>(frames) * frameBytes;
    ULONGLONG size = 0, lastSize = 0;
    double lastGrowth = UnixNow();
    for (;;) {
        size = tool.LogFolderFileSize(L".dat");
        const double quiet = UnixNow() - lastGrowth;
        if (size >= all || quiet > 30) break;
        if (size != lastSize) {
            lastSize = size;
            lastGrowth = UnixNow();
        }
        if (UnixNow() - samples.back().time >= 5) samples.push_back(Measure(tool, host, gdiMessage));
        ::Sleep(100);
    }
    const double elapsed = UnixNow() - start;
    samples.push_back(Measure(tool, host, gdiMessage));
    tool.Stop();
    sim.Stop();

    std::string stream;
    for (const TxBlock& block : ReportBlocks(sim.LogText())) stream += block.bytes;
    const std::string data = tool.LogFolderFile(L".dat");
    // Bytes missing at the start (frames read together with the reply to
    // "leave command mode" were once dropped that way) are counted apart;
    // the rest is compared byte for byte.
    const size_t lostAtStart = stream.size() > data.size() ? stream.size() - data.size() : 0;
    const std::string sent = stream.substr(lostAtStart);
    const std::string log = tool.LogFolderFile(L".log");
    const size_t expectedFrames = WholeFrameCount(sent);
    const size_t logged = CountOf(log, "State=");
    const std::vector<TxBlock> blocks = ReportBlocks(sim.LogText());
    const double sendSeconds = blocks.size() > 1 ? blocks.back().time - blocks.front().time : 0;
    const double bytesPerSecond = sendSeconds > 0 ? static_cast<double>(stream.size()) / sendSeconds : 0.0;
    std::printf("soak: %ld frames asked for, %zu bytes sent in %.1f s: %.0f B/s = %.2f of the line rate\n", frames,
                stream.size(), sendSeconds, bytesPerSecond, bytesPerSecond / kLineBytesPerSecond);
    std::printf("soak: recorded within %.1f s of the first sample\n", elapsed);
    std::printf("soak: %zu bytes of the stream missing from the recording's start\n", lostAtStart);
    std::printf("soak: data file %zu bytes, %s the bytes sent from there on\n", data.size(),
                data == sent ? "equal to" : "DIFFERENT FROM");
    std::printf("soak: frames in the stream %zu, log lines %zu (%s), broken trailers logged %zu\n", expectedFrames,
                logged, logged == expectedFrames ? "equal" : "DIFFERENT", CountOf(log, "Tailer TAG Invalid!"));
    if (data != sent) {
        // Where the recording parts from the stream, and which byte values it lacks.
        size_t at = 0;
        while (at < data.size() && at < sent.size() && data[at] == sent[at]) ++at;
        std::printf("soak: first difference at byte %zu of %zu\n", at, sent.size());
        long counts[256] = {};
        for (unsigned char c : sent) ++counts[c];
        for (unsigned char c : data) --counts[c];
        for (int v = 0; v < 256; ++v)
            if (counts[v] != 0)
                std::printf("soak: byte 0x%02X: %+ld in the stream against the recording\n", v, counts[v]);
    }
    std::printf("soak: %-8s %14s %14s %12s %14s %12s\n", "t (s)", "private KB", "working KB", "host RSS KB",
                "GetGuiResources", "own GDI");
    for (const Sample& s : samples)
        std::printf("soak: %-8.0f %14zu %14zu %12ld %14lu %12ld\n", s.time - samples.front().time,
                    s.privateBytes / 1024, s.workingSet / 1024, s.hostRssKb, s.guiGdi, static_cast<long>(s.ownGdi));
    const Sample& first = samples.front();
    const Sample& lastSample = samples.back();
    std::printf("soak: private bytes %+lld KB, host RSS %+ld KB, own GDI objects %+ld over the run (%s)\n",
                (static_cast<long long>(lastSample.privateBytes) - static_cast<long long>(first.privateBytes)) / 1024,
                lastSample.hostRssKb - first.hostRssKb, static_cast<long>(lastSample.ownGdi - first.ownGdi),
                first.guiGdi == 0 ? "GDI counted by the tool's own owners: GetGuiResources answers 0 under Wine"
                                  : "GetGuiResources");
    std::printf("RESULT soak_frames %zu\nRESULT soak_logged %zu\nRESULT soak_bytes_equal %d\n", expectedFrames, logged,
                lostAtStart == 0 && data == sent ? 1 : 0);
    std::printf("RESULT soak_private_kb_growth %lld\nRESULT soak_gdi_growth %ld\n",
                (static_cast<long long>(lastSample.privateBytes) - static_cast<long long>(first.privateBytes)) / 1024,
                static_cast<long>(lastSample.ownGdi - first.ownGdi));
    // Every frame asked for went out (each with its noise), and every one with
    // a good trailer is a whole frame in the recording and a log line: a run
    // that sent or recorded nothing must not pass as "equal". Noise can add
    // frames the parser's rule finds, never hide one: a false frame that
    // began in the 3 noise bytes and ended inside the real one would need its
    // state or distance high byte to be 0x55, and the random walk's states are
    // 0 to 2, its distances 30 to 700 cm.
    const size_t allBytes = static_cast<size_t>(frames) * static_cast<size_t>(frameBytes);
    const size_t goodFrames = static_cast<size_t>(frames - frames / badTrailerEvery);
    const bool allSent = stream.size() == allBytes;
    const bool allLogged = logged == expectedFrames && expectedFrames >= goodFrames;
    std::printf("soak: %ld frames asked for: %zu of %zu bytes sent (%s), %zu of at least %zu good frames logged (%s)\n",
                frames, stream.size(), allBytes, allSent ? "all" : "MISSING", logged, goodFrames,
                allLogged ? "all" : "MISSING");
    return lostAtStart == 0 && data == sent && allSent && allLogged ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    const long value = argc > 2 ? std::atol(argv[2]) : 0;
    if (mode == "latency") return Latency(value > 0 ? static_cast<int>(value) : 20);
    if (mode == "cpu") return Cpu(value > 0 ? static_cast<int>(value) : 20);
    if (mode == "soak") return Soak(value > 0 ? value : 100000);
    std::fprintf(stderr, "usage: tool_bench latency [seconds] | cpu [seconds] | soak [frames]\n");
    return 2;
}
