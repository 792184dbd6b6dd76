#include "SimProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace testsupport {

namespace {
using Clock = std::chrono::steady_clock;

// Forks and runs argv; stdout and stderr to the files named (when not empty).
// The child dies with the test process, whatever ends it.
pid_t Spawn(const std::vector<std::string>& args, const std::string& out, const std::string& err) {
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid != 0) return pid;
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    auto redirect = [](const std::string& path, int fd) {
        if (path.empty()) return;
        const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (file >= 0) dup2(file, fd);
    };
    redirect(out, STDOUT_FILENO);
    redirect(err, STDERR_FILENO);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
}

// True once pid ended within limit (*status then holds its wait status).
bool Reap(pid_t pid, std::chrono::milliseconds limit, int* status) {
    return WaitFor(
        [&] {
            const pid_t r = waitpid(pid, status, WNOHANG);
            return r == pid || r < 0;
        },
        limit);
}

void End(pid_t pid) {
    kill(pid, SIGTERM);
    int status = 0;
    if (!Reap(pid, std::chrono::seconds(10), &status)) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
}
}  // namespace

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto until = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() >= until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    return static_cast<bool>(out);
}

ScratchDir::ScratchDir() {
    char pattern[] = "/tmp/zuv_test.XXXXXX";
    if (mkdtemp(pattern)) m_path = pattern;
}

ScratchDir::~ScratchDir() {
    if (!m_path.empty()) std::system(("rm -rf '" + m_path + "'").c_str());
}

SimProcess::SimProcess(const std::string& simBinary, const std::string& dir, const std::string& name,
                       const std::vector<std::string>& options)
    : m_link(dir + "/" + name), m_log(dir + "/" + name + ".log") {
    const std::string ready = m_link + ".ready";
    std::vector<std::string> args = {simBinary, "--link", m_link,          "--ready-file", ready,
                                     "--log",   m_log,    "--max-runtime", "300",          "--exit-with-parent"};
    args.insert(args.end(), options.begin(), options.end());
    m_pid = Spawn(args, "", m_link + ".stderr");
    struct stat st;
    int status = 0;
    bool ended = false;
    WaitFor(
        [&] { return stat(ready.c_str(), &st) == 0 || (ended = Reap(m_pid, std::chrono::milliseconds(0), &status)); });
    if (ended) m_pid = -1;
    m_started = stat(ready.c_str(), &st) == 0;
    if (!m_started) m_problem = "zuv_sim did not become ready: " + ReadFile(m_link + ".stderr") + Log();
}

SimProcess::~SimProcess() { Stop(); }

void SimProcess::Stop() {
    if (m_pid > 0) End(m_pid);
    m_pid = -1;
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::string& outputPrefix,
                           const std::string& stdoutPath)
    : m_out(stdoutPath.empty() ? outputPrefix + ".out" : stdoutPath), m_err(outputPrefix + ".err") {
    m_pid = Spawn(argv, m_out, m_err);
}

ChildProcess::~ChildProcess() {
    if (m_pid > 0) End(m_pid);
}

int ChildProcess::Wait(std::chrono::milliseconds limit) {
    if (m_pid <= 0) return m_status;
    int status = 0;
    if (!Reap(m_pid, limit, &status)) {
        End(m_pid);
        m_pid = -1;
        return m_status = -1;
    }
    m_pid = -1;
    m_status = WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
    return m_status;
}

}  // namespace testsupport
