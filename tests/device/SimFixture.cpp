#include "SimFixture.h"

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace devtest {

std::wstring WinPath(const std::string& linuxPath) {
    std::wstring out = L"Z:";
    for (char c : linuxPath) out += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
    return out;
}

bool FileExists(const std::string& linuxPath) {
    return GetFileAttributesW(WinPath(linuxPath).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadWholeFile(const std::string& linuxPath) {
    std::ifstream in(WinPath(linuxPath).c_str(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool WriteWholeFile(const std::string& linuxPath, const std::string& text) {
    std::ofstream out(WinPath(linuxPath).c_str(), std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out);
}

bool SessionPaths(std::string& simBinary, std::string& sessionDir, std::string& problem) {
    const char* sim = std::getenv("ZUV_SIM");
    const char* dir = std::getenv("WINE_SESSION_DIR");
    if (!sim || !*sim) {
        problem =
            "ZUV_SIM is not set: export ZUV_SIM=<absolute Linux path of the zuv_sim binary> "
            "(scripts/test.sh does) and run inside scripts/wine-session.sh with WINE_SESSION_PORTS=\"5 6 7 8 12\"";
        return false;
    }
    if (!dir || !*dir) {
        problem = "WINE_SESSION_DIR is not set: run the device tests inside scripts/wine-session.sh";
        return false;
    }
    if (!FileExists(sim)) {
        problem = std::string("ZUV_SIM names no file: ") + sim;
        return false;
    }
    simBinary = sim;
    sessionDir = dir;
    return true;
}

namespace {
std::string WinPathNarrow(const std::string& linuxPath) {
    std::string out = "Z:";
    for (char c : linuxPath) out += c == '/' ? '\\' : c;
    return out;
}
}  // namespace

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

CSimulator::CSimulator(int comPort, const std::vector<std::string>& options) {
    std::string sim, dir;
    if (!SessionPaths(sim, dir, m_problem)) return;
    static std::atomic<int> counter{0};
    const std::string base = dir + "/sim-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
    m_ready = base + ".ready";
    m_stop = base + ".stop";
    m_log = base + ".log";
    DeleteFileW(WinPath(m_ready).c_str());
    DeleteFileW(WinPath(m_stop).c_str());
    DeleteFileW(WinPath(m_log).c_str());

    // --max-runtime: should a test process die before its destructors run,
    // the simulator still ends.
    std::string cmd = WinPathNarrow(sim);
    cmd = "\"" + cmd + "\" --link " + dir + "/ports/com" + std::to_string(comPort) + " --ready-file " + m_ready +
          " --stop-file " + m_stop + " --log " + m_log + " --max-runtime 300";
    for (const std::string& o : options) cmd += " " + o;
    std::wstring wide(cmd.begin(), cmd.end());
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, &wide[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        m_problem = "CreateProcessW failed (" + std::to_string(GetLastError()) + "): " + cmd;
        return;
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    if (!WaitUntil([&] { return FileExists(m_ready) || Exited(); })) {
        m_problem = "simulator not ready within 30 s: " + cmd + "\n" + LogText();
        Stop();
        return;
    }
    if (!FileExists(m_ready)) {
        m_problem = "simulator ended at once: " + cmd + "\n" + LogText();
        return;
    }
    m_started = true;
}

CSimulator::~CSimulator() {
    Stop();
    DeleteFileW(WinPath(m_ready).c_str());
    DeleteFileW(WinPath(m_stop).c_str());
}

bool CSimulator::Exited() const { return LogText().find("--- exit:") != std::string::npos; }

bool CSimulator::WaitExited(std::chrono::milliseconds timeout) const {
    return WaitUntil([&] { return Exited(); }, timeout);
}

bool CSimulator::Stop() {
    if (m_stop.empty() || Exited()) return true;
    WriteWholeFile(m_stop, "stop\n");
    return WaitExited();
}

int CSimulator::CountLog(const char* tag) const {
    std::istringstream lines(LogText());
    std::string line, word, t;
    int count = 0;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        if (fields >> word >> t && t == tag) ++count;
    }
    return count;
}

std::vector<uint8_t> ReadFor(TAVO_DEVICE_HANDLE device, int ms) {
    std::vector<uint8_t> all;
    uint8_t buffer[4096];
    const int64_t end = NowMs() + ms;
    for (int64_t left = ms; left > 0; left = end - NowMs()) {
        const int n = Tavo_Interface_RadarDevice_ReadData(device, buffer, sizeof buffer, static_cast<int>(left), 0);
        if (n > 0) all.insert(all.end(), buffer, buffer + n);
    }
    return all;
}

std::vector<uint8_t> ReadAtLeast(TAVO_DEVICE_HANDLE device, size_t count, int timeoutMs) {
    std::vector<uint8_t> all;
    uint8_t buffer[4096];
    const int64_t end = NowMs() + timeoutMs;
    while (all.size() < count && NowMs() < end) {
        const int n = Tavo_Interface_RadarDevice_ReadData(device, buffer, sizeof buffer, 500, 0);
        if (n > 0) all.insert(all.end(), buffer, buffer + n);
    }
    return all;
}

uint16_t RecordingHandler(int hasStatus, const unsigned char* data, int length, void* context) {
    HandlerLog* log = static_cast<HandlerLog*>(context);
    ++log->calls;
    log->hasStatus = hasStatus;
    log->data.assign(data, data + (length > 0 ? length : 0));
    return log->result;
}

}  // namespace devtest
