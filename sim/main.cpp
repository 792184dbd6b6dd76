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
#include <string>
#include <thread>

#include "Module.h"
#include "Options.h"
#include "Scenario.h"

namespace {

using Clock = std::chrono::steady_clock;

volatile sig_atomic_t g_signal = 0;
void OnSignal(int sig) { g_signal = sig; }

// The command code a reply frame answers (bytes 3 and 4), or -1.
long long ReplyCode(const std::vector<uint8_t>& reply) {
    return reply.size() >= 5 ? static_cast<long long>(radarproto::GetLe16(&reply[3])) : -1;
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
    struct stat st {};
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

// The longest scene name or file path a switch file may hold.
constexpr std::streamsize kMaxSwitchRequest = 4096;

// What a scene switch file asks for, its surrounding white space taken off
// (reading no further than one byte past the longest request); false when
// it holds more.
bool ReadSwitchRequest(const std::string& path, std::string& request) {
    std::ifstream in(path, std::ios::binary);
    std::string text(kMaxSwitchRequest + 1, '\0');
    in.read(&text[0], kMaxSwitchRequest + 1);
    if (in.gcount() > kMaxSwitchRequest) return false;
    text.resize(static_cast<size_t>(in.gcount()));
    const size_t first = text.find_first_not_of(" \t\r\n");
    request = first == std::string::npos ? "" : text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    zuvsim::Settings s;
    zuvsim::Scenario scenario;
    zuvsim::Scene scene;
    const int status = zuvsim::ParseCommandLine(argc, argv, s, scenario, scene);
    if (status >= 0) return status;

    Log log(s.logFile, s.logWallClock);
    if (log.Failed(s.logFile)) return zuvsim::Usage("cannot open log " + s.logFile);

    struct sigaction sa {};
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

    zuvsim::Module module = s.scene.empty() ? zuvsim::Module(s.module, scenario) : zuvsim::Module(s.module, scene);
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
    auto framesLeft = [&] { return s.frameLimit < 0 || module.ReportFrames() < static_cast<uint64_t>(s.frameLimit); };
    auto hungUp = [&] { return s.hangupAfter >= 0 && module.ReportFrames() >= static_cast<uint64_t>(s.hangupAfter); };
    std::deque<std::pair<Clock::time_point, zuvsim::Reply>> pending;
    const char* why = nullptr;
    int rc = 0;
    // Report frames out; false (why and rc set) when the line failed or the
    // hang-up count is reached.
    auto sendReports = [&](const std::vector<uint8_t>& bytes) {
        if (!send(bytes)) {
            why = "line failed";
            rc = 1;
            return false;
        }
        if (hungUp()) {
            why = "hang-up";
            return false;
        }
        return true;
    };

    // The scene switch file: an empty one may be half written ("echo NAME >
    // PATH" creates it, then writes), so it gets a second before it is refused.
    Clock::time_point switchEmptySince{};
    auto switchScene = [&](Clock::time_point now) {
        if (s.sceneSwitchFile.empty() || access(s.sceneSwitchFile.c_str(), F_OK) != 0) return;
        std::string request;
        const bool fits = ReadSwitchRequest(s.sceneSwitchFile, request);
        if (fits && request.empty() && switchEmptySince == Clock::time_point{}) switchEmptySince = now;
        if (fits && request.empty() && now - switchEmptySince < std::chrono::seconds(1)) return;
        switchEmptySince = {};
        zuvsim::Scene next;
        std::string problem = !fits             ? s.sceneSwitchFile + " holds more than a scene name or file"
                              : request.empty() ? s.sceneSwitchFile + " is empty"
                                                : "";
        if (problem.empty() && zuvsim::LoadScene(request, next, problem)) {
            next.loop = s.loop;
            module.SwitchScene(next);
            log.Line("---", "scene " + request + " from the next report");
        } else {
            log.Line("---", "scene switch refused: " + problem);
            std::fprintf(stderr, "zuv_sim: scene switch refused: %s\n", problem.c_str());
        }
        if (unlink(s.sceneSwitchFile.c_str()) != 0) {
            // Never the same switch over and over: the file is watched no more.
            const int error = errno;
            log.Line("---", "cannot remove " + s.sceneSwitchFile + ": switch file no longer watched");
            std::fprintf(stderr, "zuv_sim: cannot remove %s (%s): switch file no longer watched\n",
                         s.sceneSwitchFile.c_str(), std::strerror(error));
            s.sceneSwitchFile.clear();
        }
    };

    while (!why) {
        const auto now = Clock::now();
        if (g_signal)
            why = "signal";
        else if (!s.stopFile.empty() && access(s.stopFile.c_str(), F_OK) == 0)
            why = "stop file";
        else if (now >= deadline)
            why = "maximum run time";
        else if (s.exitWithParent && getppid() != parent)
            why = "parent gone";
        if (why) break;
        switchScene(now);

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
                if (!sendReports(chunk)) break;
            }
            nextFrame = now + std::chrono::milliseconds(2);
        } else if (now >= nextFrame) {
            // The report frame that is due.
            nextFrame += period;
            if (nextFrame < now) nextFrame = now + period;  // fell behind: no burst
            if (!s.silent && module.Sending() && framesLeft() && !sendReports(module.Tick())) break;
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
