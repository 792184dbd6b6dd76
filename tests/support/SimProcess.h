// The real simulator and our own console programs as child processes, for
// host tests and benchmarks (Linux only): zuv_sim on a pty link in a scratch
// folder, a program run to its end with its output caught. Every wait has a
// deadline and ends in a condition, never a fixed sleep.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace testsupport {

// Polls done every few ms until it holds (true) or limit passes (false).
bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(30));

std::string ReadFile(const std::string& path);
bool WriteFile(const std::string& path, const std::string& bytes);

// A scratch folder, removed with everything in it when the object goes.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

// zuv_sim with --link DIR/NAME, its log in DIR/NAME.log; ended (SIGTERM, then
// SIGKILL) when the object goes. Started() is false, and Problem() says why,
// when the ready file never came.
class SimProcess {
public:
    SimProcess(const std::string& simBinary, const std::string& dir, const std::string& name,
               const std::vector<std::string>& options);
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    bool Started() const { return m_started; }
    const std::string& Problem() const { return m_problem; }
    const std::string& Link() const { return m_link; }
    std::string Log() const { return ReadFile(m_log); }
    // Ends it and waits; its log is complete afterwards.
    void Stop();

private:
    pid_t m_pid = -1;
    bool m_started = false;
    std::string m_problem, m_link, m_log;
};

// A program started with its stdout and stderr going to files.
class ChildProcess {
public:
    // Output to outputPrefix.out and .err; stdoutPath, when given, takes stdout instead.
    ChildProcess(const std::vector<std::string>& argv, const std::string& outputPrefix,
                 const std::string& stdoutPath = "");
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t Pid() const { return m_pid; }
    // The exit status once it ended within limit; -1 when it did not (it is
    // then killed), 128 + n when signal n ended it.
    int Wait(std::chrono::milliseconds limit = std::chrono::seconds(120));
    std::string Out() const { return ReadFile(m_out); }
    std::string Err() const { return ReadFile(m_err); }

private:
    pid_t m_pid = -1;
    int m_status = -1;
    std::string m_out, m_err;
};

}  // namespace testsupport
