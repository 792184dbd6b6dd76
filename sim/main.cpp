// zuv_sim: the ZUV-3917 module on a pseudo-terminal. The module's behaviour
// lives in Module; this file only moves bytes, keeps time and obeys the
// control files and signals. See --help.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>

#include "Module.h"
#include "Scenario.h"

namespace {

using Clock = std::chrono::steady_clock;

volatile sig_atomic_t g_signal = 0;
void OnSignal(int sig) { g_signal = sig; }

const char kUsage[] =
    "usage: zuv_sim (--link PATH | --device PATH) [options]\n"
    "Behaves as the ZUV-3917 module on a serial line (docs/protocol.md).\n"
    "\n"
    "Line:\n"
    "  --link PATH             create a pty (raw) and symlink its slave at PATH;\n"
    "                          a stale link there is replaced; removed on exit\n"
    "  --device PATH           use an existing serial device or pty end instead\n"
    "Module:\n"
    "  --version-text TEXT     firmware version text (default ZUV3917-2.04.261201)\n"
    "  --period MS             report period (default 50)\n"
    "  --scenario NAME         empty | walk-in | stand-still | walk-out | random\n"
    "                          (default walk-in)\n"
    "  --seed N                seed of the random scenario and of noise (default 1)\n"
    "  --script FILE           scenario from FILE: lines \"state distance duration_ms\",\n"
    "                          # starts a comment\n"
    "  --no-loop               hold the last step instead of starting over\n"
    "  --reporting             report from power-up (default: wait for 0x10)\n"
    "  --line-rate B           report frames back to back, paced to B bytes per\n"
    "                          second (frames and noise; 25600 is 256000 baud);\n"
    "                          --period then only advances the scenario\n"
    "  --frames N              send N report frames, then keep the line quiet\n"
    "Faults:\n"
    "  --noise N               N random bytes after every report frame\n"
    "  --bad-trailer-every N   every Nth report frame has a broken trailer\n"
    "  --split-writes          write everything in random pieces with 1-3 ms gaps\n"
    "  --silent                never send report frames\n"
    "  --reply-0x73-length N   0x73 reply payload of N bytes (51 or 53)\n"
    "  --status-0x73 S         status S in the 0x73 reply (data still sent)\n"
    "  --refuse-code C         answer write code C with status 0x0005\n"
    "  --hangup-after N        after N report frames remove the link, close the\n"
    "                          line and exit (the port vanishes)\n"
    "  --reply-delay MS        answer commands MS later\n"
    "  --hangup-on-command C   when command code C arrives, hang up as\n"
    "                          --hangup-after does, without answering it\n"
    "  --hangup-mid-reply C    send the first half of the reply to code C,\n"
    "                          then hang up\n"
    "Control:\n"
    "  --ready-file PATH       written (pid, line path) once the line is ready\n"
    "  --stop-file PATH        exit cleanly as soon as PATH exists (checked every 20 ms)\n"
    "  --max-runtime SEC       exit after SEC seconds whatever happens (default 600)\n"
    "  --exit-with-parent      exit when the parent process goes away\n"
    "  --log FILE              time-stamped log of every byte block and command\n"
    "  --log-wall-clock        log time stamps as Unix time (s, microseconds), not\n"
    "                          seconds since start: comparable with another clock\n"
    "  --help                  this text\n"
    "SIGTERM, SIGINT and SIGHUP end it cleanly. Exit status: 0 after a clean end\n"
    "(including a hang-up), 1 when the line fails, 2 for bad arguments.\n";

struct Settings {
    std::string link, device, scenario = "walk-in", script, readyFile, stopFile, logFile;
    bool loop = true, reporting = false, splitWrites = false, silent = false, exitWithParent = false;
    bool logWallClock = false;
    long long hangupAfter = -1, replyDelayMs = 0, maxRuntimeS = 600, lineRate = 0, frameLimit = -1;
    long long hangupOnCommand = -1, hangupMidReply = -1;
    zuvsim::ModuleOptions module;
};

bool ParseNumber(const char* text, long long min, long long max, long long& out) {
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(text, &end, 0);
    if (errno != 0 || end == text || *end != '\0' || v < min || v > max) return false;
    out = v;
    return true;
}

// The command code a reply frame answers (bytes 3 and 4), or -1.
long long ReplyCode(const std::vector<uint8_t>& reply) {
    return reply.size() >= 5 ? static_cast<long long>(radarproto::GetLe16(&reply[3])) : -1;
}

int Usage(const std::string& problem) {
    std::fprintf(stderr, "zuv_sim: %s\n%s", problem.c_str(), kUsage);
    return 2;
}

class Log {
public:
    Log(const std::string& path, bool wallClock) : m_start(Clock::now()), m_wallClock(wallClock) {
        if (!path.empty()) m_file = std::fopen(path.c_str(), "a");
    }
    ~Log() {
        if (m_file) std::fclose(m_file);
    }
    bool Failed(const std::string& path) const { return !path.empty() && m_file == nullptr; }
    void Line(const char* tag, const std::string& text) {
        if (!m_file) return;
        if (m_wallClock) {
            const double s = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
            std::fprintf(m_file, "%.6f %s %s\n", s, tag, text.c_str());
        } else {
            const double s = std::chrono::duration<double>(Clock::now() - m_start).count();
            std::fprintf(m_file, "%10.3f %s %s\n", s, tag, text.c_str());
        }
        std::fflush(m_file);
    }

private:
    Clock::time_point m_start;
    bool m_wallClock = false;
    std::FILE* m_file = nullptr;
};

// The line: a pty master (slave kept open, so the line survives the host
// closing and reopening its end) or a device.
class Line {
public:
    ~Line() { Close(); }

    bool OpenPty(std::string& error) {
        m_fd = posix_openpt(O_RDWR | O_NOCTTY);
        if (m_fd < 0 || grantpt(m_fd) != 0 || unlockpt(m_fd) != 0) return Fail("pty", error);
        const char* name = ptsname(m_fd);
        if (!name) return Fail("ptsname", error);
        m_slaveName = name;
        m_slave = open(name, O_RDWR | O_NOCTTY);
        if (m_slave < 0) return Fail(name, error);
        MakeRaw(m_slave);
        return NonBlocking(error);
    }

    bool OpenDevice(const std::string& path, std::string& error) {
        m_fd = open(path.c_str(), O_RDWR | O_NOCTTY);
        if (m_fd < 0) return Fail(path, error);
        if (isatty(m_fd)) MakeRaw(m_fd);
        m_slaveName = path;
        return NonBlocking(error);
    }

    int Fd() const { return m_fd; }

    // Before a hang-up: gives the host up to `limit` to read what was sent,
    // since closing a pty master discards what the other end has not read.
    void Drain(std::chrono::milliseconds limit) {
        // The kernel passes bytes on to the other end a moment after the write.
        const auto start = Clock::now();
        const auto until = start + limit;
        int queued = 0;
        while (m_slave >= 0 && Clock::now() < until) {
            if (ioctl(m_slave, FIONREAD, &queued) != 0) break;
            if (queued == 0 && Clock::now() - start >= std::chrono::milliseconds(30)) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    const std::string& Name() const { return m_slaveName; }

    void Close() {
        if (m_fd >= 0) close(m_fd);
        if (m_slave >= 0) close(m_slave);
        m_fd = m_slave = -1;
    }

    // Writes everything, waiting up to 200 ms for room; false when the line failed.
    bool Write(const uint8_t* data, size_t size, size_t& written) {
        written = 0;
        const auto until = Clock::now() + std::chrono::milliseconds(200);
        while (written < size) {
            const ssize_t n = write(m_fd, data + written, size - written);
            if (n > 0) {
                written += static_cast<size_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return false;
            if (Clock::now() >= until) return true;  // nobody reads: the rest is dropped
            pollfd p{m_fd, POLLOUT, 0};
            poll(&p, 1, 10);
        }
        return true;
    }

private:
    static void MakeRaw(int fd) {
        termios t{};
        if (tcgetattr(fd, &t) != 0) return;
        cfmakeraw(&t);
        t.c_cflag |= CLOCAL | CREAD;
        cfsetispeed(&t, B230400);
        cfsetospeed(&t, B230400);
        tcsetattr(fd, TCSANOW, &t);
    }
    bool NonBlocking(std::string& error) {
        const int flags = fcntl(m_fd, F_GETFL);
        if (flags < 0 || fcntl(m_fd, F_SETFL, flags | O_NONBLOCK) != 0) return Fail("fcntl", error);
        return true;
    }
    bool Fail(const std::string& what, std::string& error) {
        error = what + ": " + std::strerror(errno);
        Close();
        return false;
    }
    int m_fd = -1;
    int m_slave = -1;
    std::string m_slaveName;
};

bool WriteFileAtomically(const std::string& path, const std::string& text) {
    const std::string tmp = path + ".tmp" + std::to_string(getpid());
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out << text;
        if (!out.flush()) return false;
    }
    return std::rename(tmp.c_str(), path.c_str()) == 0;
}

// Makes PATH a symlink to target, replacing an old link but never a file.
bool MakeLink(const std::string& path, const std::string& target, std::string& error) {
    struct stat st{};
    if (lstat(path.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        error = path + " exists and is not a symlink";
        return false;
    }
    const std::string tmp = path + ".tmp" + std::to_string(getpid());
    unlink(tmp.c_str());
    if (symlink(target.c_str(), tmp.c_str()) != 0 || std::rename(tmp.c_str(), path.c_str()) != 0) {
        error = path + ": " + std::strerror(errno);
        unlink(tmp.c_str());
        return false;
    }
    return true;
}

// Removes PATH if it is still our link.
void RemoveLink(const std::string& path, const std::string& target) {
    if (path.empty()) return;
    char buf[4096];
    const ssize_t n = readlink(path.c_str(), buf, sizeof buf - 1);
    if (n < 0) return;
    buf[n] = '\0';
    if (target == buf) unlink(path.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    Settings s;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](const char*& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        auto number = [&](long long min, long long max, long long& out) {
            const char* v;
            return value(v) && ParseNumber(v, min, max, out);
        };
        const char* v = nullptr;
        long long n = 0;
        bool ok = true;
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == "--link") ok = value(v) && (s.link = v, true);
        else if (a == "--device") ok = value(v) && (s.device = v, true);
        else if (a == "--version-text") ok = value(v) && (s.module.versionText = v, s.module.versionText.size() <= 1000);
        else if (a == "--period") ok = number(1, 60000, n) && (s.module.periodMs = static_cast<uint32_t>(n), true);
        else if (a == "--scenario") ok = value(v) && (s.scenario = v, true);
        else if (a == "--seed") ok = number(0, INT64_MAX, n) && (s.module.seed = static_cast<uint64_t>(n), true);
        else if (a == "--script") ok = value(v) && (s.script = v, true);
        else if (a == "--no-loop") s.loop = false;
        else if (a == "--reporting") s.reporting = true;
        else if (a == "--line-rate") ok = number(1, 100000000, s.lineRate);
        else if (a == "--frames") ok = number(0, INT64_MAX, s.frameLimit);
        else if (a == "--log-wall-clock") s.logWallClock = true;
        else if (a == "--noise") ok = number(0, 1000, n) && (s.module.noisePerFrame = static_cast<uint32_t>(n), true);
        else if (a == "--bad-trailer-every") ok = number(1, 1000000, n) && (s.module.badTrailerEvery = static_cast<uint32_t>(n), true);
        else if (a == "--split-writes") s.splitWrites = true;
        else if (a == "--silent") s.silent = true;
        else if (a == "--reply-0x73-length") ok = number(0, 1024, n) && (s.module.reply73Length = static_cast<size_t>(n), true);
        else if (a == "--status-0x73") ok = number(0, 0xFFFF, n) && (s.module.status73 = static_cast<uint16_t>(n), true);
        else if (a == "--refuse-code") ok = number(0, 0xFFFF, n) && (s.module.refuseCode = static_cast<int>(n), true);
        else if (a == "--hangup-after") ok = number(0, INT64_MAX, s.hangupAfter);
        else if (a == "--reply-delay") ok = number(0, 60000, s.replyDelayMs);
        else if (a == "--hangup-on-command") ok = number(0, 0xFFFF, s.hangupOnCommand);
        else if (a == "--hangup-mid-reply") ok = number(0, 0xFFFF, s.hangupMidReply);
        else if (a == "--ready-file") ok = value(v) && (s.readyFile = v, true);
        else if (a == "--stop-file") ok = value(v) && (s.stopFile = v, true);
        else if (a == "--max-runtime") ok = number(1, 86400, s.maxRuntimeS);
        else if (a == "--exit-with-parent") s.exitWithParent = true;
        else if (a == "--log") ok = value(v) && (s.logFile = v, true);
        else return Usage("unknown option " + a);
        if (!ok) return Usage("bad or missing value for " + a);
    }
    if (s.link.empty() == s.device.empty()) return Usage("give exactly one of --link and --device");

    zuvsim::Scenario scenario;
    if (!s.script.empty()) {
        std::ifstream in(s.script, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        std::string error;
        if (!in || !zuvsim::Scenario::Parse(text.str(), scenario, error))
            return Usage(s.script + ": " + (in ? error : std::string("cannot read")));
    } else if (!zuvsim::Scenario::Builtin(s.scenario, s.module.seed, scenario)) {
        return Usage("unknown scenario " + s.scenario);
    }
    scenario.loop = s.loop;

    Log log(s.logFile, s.logWallClock);
    if (log.Failed(s.logFile)) return Usage("cannot open log " + s.logFile);

    struct sigaction sa{};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);
    const pid_t parent = getppid();

    Line line;
    std::string error;
    if (!(s.link.empty() ? line.OpenDevice(s.device, error) : line.OpenPty(error))) {
        std::fprintf(stderr, "zuv_sim: %s\n", error.c_str());
        return 1;
    }
    if (!s.link.empty() && !MakeLink(s.link, line.Name(), error)) {
        std::fprintf(stderr, "zuv_sim: %s\n", error.c_str());
        return 1;
    }
    auto cleanup = [&]() {
        RemoveLink(s.link, line.Name());
        line.Close();
    };
    if (!s.readyFile.empty() &&
        !WriteFileAtomically(s.readyFile, std::to_string(getpid()) + "\n" + line.Name() + "\n")) {
        std::fprintf(stderr, "zuv_sim: cannot write %s\n", s.readyFile.c_str());
        cleanup();
        return 1;
    }
    log.Line("---", "listening on " + line.Name() + (s.link.empty() ? "" : " linked at " + s.link));

    zuvsim::Module module(s.module, scenario);
    if (s.reporting) {
        const std::vector<uint8_t> start = radarproto::EncodeCommand(radarproto::kStartReporting);
        module.Receive(start.data(), start.size());
    }
    std::mt19937 rng(static_cast<uint32_t>(s.module.seed));

    auto send = [&](const std::vector<uint8_t>& bytes) {
        if (bytes.empty()) return true;
        size_t total = 0;
        if (!s.splitWrites) {
            if (!line.Write(bytes.data(), bytes.size(), total)) return false;
        } else {
            for (size_t at = 0; at < bytes.size();) {
                const size_t piece = std::min<size_t>(bytes.size() - at, 1 + rng() % 4);
                size_t w = 0;
                if (!line.Write(bytes.data() + at, piece, w)) return false;
                total += w;
                at += piece;
                if (at < bytes.size()) std::this_thread::sleep_for(std::chrono::microseconds(1000 + rng() % 2000));
            }
        }
        log.Line("TX", zuvsim::Hex(bytes.data(), bytes.size()) +
                           (total < bytes.size() ? " (" + std::to_string(bytes.size() - total) + " dropped)" : ""));
        return true;
    };

    const auto started = Clock::now();
    const auto deadline = started + std::chrono::seconds(s.maxRuntimeS);
    const auto period = std::chrono::milliseconds(s.module.periodMs);
    auto nextFrame = started + period;
    // Line-rate pacing: bytes of report frames sent since reporting (re)started.
    bool paced = false;
    Clock::time_point paceStart;
    long long pacedBytes = 0;
    auto framesLeft = [&] {
        return s.frameLimit < 0 || module.ReportFrames() < static_cast<uint64_t>(s.frameLimit);
    };
    auto hungUp = [&] { return s.hangupAfter >= 0 && module.ReportFrames() >= static_cast<uint64_t>(s.hangupAfter); };
    std::deque<std::pair<Clock::time_point, zuvsim::Reply>> pending;
    const char* why = nullptr;
    int rc = 0;

    while (!why) {
        const auto now = Clock::now();
        if (g_signal) why = "signal";
        else if (!s.stopFile.empty() && access(s.stopFile.c_str(), F_OK) == 0) why = "stop file";
        else if (now >= deadline) why = "maximum run time";
        else if (s.exitWithParent && getppid() != parent) why = "parent gone";
        if (why) break;

        // Replies that are due.
        while (!pending.empty() && pending.front().first <= now) {
            log.Line("CMD", pending.front().second.description);
            const std::vector<uint8_t>& reply = pending.front().second.bytes;
            if (s.hangupMidReply >= 0 && ReplyCode(reply) == s.hangupMidReply) {
                send(std::vector<uint8_t>(reply.begin(), reply.begin() + static_cast<long>(reply.size() / 2)));
                why = "hang-up mid-reply";
                break;
            }
            if (!send(reply)) {
                why = "line failed";
                rc = 1;
                break;
            }
            pending.pop_front();
        }
        if (why) break;

        // Back-to-back frames at the line rate: everything due goes out in one
        // write, as a UART would deliver it.
        if (s.lineRate > 0) {
            const bool sending = !s.silent && module.Sending();
            if (sending && !paced) {
                paceStart = now;
                pacedBytes = 0;
            }
            paced = sending;
            if (sending) {
                const double elapsed = std::chrono::duration<double>(now - paceStart).count();
                long long due = static_cast<long long>(elapsed * static_cast<double>(s.lineRate));
                // Fell far behind (a loaded machine): no burst, pace again from now.
                if (due - pacedBytes > s.lineRate / 5) {
                    paceStart = now;
                    pacedBytes = 0;
                    due = 0;
                }
                std::vector<uint8_t> chunk;
                while (pacedBytes < due && framesLeft() && !hungUp()) {
                    std::vector<uint8_t> frame = module.Tick();
                    chunk.insert(chunk.end(), frame.begin(), frame.end());
                    pacedBytes += static_cast<long long>(frame.size());
                }
                if (!send(chunk)) {
                    why = "line failed";
                    rc = 1;
                    break;
                }
                if (hungUp()) {
                    why = "hang-up";
                    break;
                }
            }
            nextFrame = now + std::chrono::milliseconds(2);
        } else if (now >= nextFrame) {
            // The report frame that is due.
            nextFrame += period;
            if (nextFrame < now) nextFrame = now + period;  // fell behind: no burst
            if (!s.silent && module.Sending() && framesLeft()) {
                if (!send(module.Tick())) {
                    why = "line failed";
                    rc = 1;
                    break;
                }
                if (hungUp()) {
                    why = "hang-up";
                    break;
                }
            }
        }

        auto wake = std::min(nextFrame, now + std::chrono::milliseconds(20));
        if (!pending.empty()) wake = std::min(wake, pending.front().first);
        const auto waitMs = std::chrono::duration_cast<std::chrono::milliseconds>(wake - Clock::now()).count();
        pollfd p{line.Fd(), POLLIN, 0};
        const int ready = poll(&p, 1, waitMs > 0 ? static_cast<int>(waitMs) + 1 : 0);
        if (ready > 0 && (p.revents & (POLLIN | POLLHUP | POLLERR))) {
            uint8_t buf[4096];
            const ssize_t n = read(line.Fd(), buf, sizeof buf);
            if (n > 0) {
                log.Line("RX", zuvsim::Hex(buf, static_cast<size_t>(n)));
                const auto due = Clock::now() + std::chrono::milliseconds(s.replyDelayMs);
                for (zuvsim::Reply& r : module.Receive(buf, static_cast<size_t>(n))) {
                    if (s.hangupOnCommand >= 0 && ReplyCode(r.bytes) == s.hangupOnCommand) {
                        log.Line("CMD", r.description + " (not answered)");
                        why = "hang-up on command";
                        break;
                    }
                    pending.emplace_back(due, std::move(r));
                }
            } else if (n < 0 && errno != EAGAIN && errno != EINTR && errno != EIO) {
                why = "line failed";
                rc = 1;
            } else if (n == 0 || (n < 0 && errno == EIO)) {
                // The far end of a device is gone; a pty master never gets here
                // while we hold the slave.
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        }
    }
    log.Line("---", std::string("exit: ") + why);
    // Every hang-up lets the host read what was sent before it.
    if (std::strncmp(why, "hang-up", 7) == 0) line.Drain(std::chrono::milliseconds(500));
    cleanup();
    return rc;
}
