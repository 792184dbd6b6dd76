// The module simulator (a native Linux program) driven from a Windows test
// under Wine: started with CreateProcessW, controlled through files, since Wine
// can neither wait for nor kill it.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "Tavo_DataProcess.h"

namespace devtest {

// Linux path -> the same file through Wine's Z: drive.
std::wstring WinPath(const std::string& linuxPath);
bool FileExists(const std::string& linuxPath);
std::string ReadWholeFile(const std::string& linuxPath);
bool WriteWholeFile(const std::string& linuxPath, const std::string& text);

// Where the session keeps its ports and our control files; empty plus a
// message when the environment is missing.
bool SessionPaths(std::string& simBinary, std::string& sessionDir, std::string& problem);

// Polls condition until it holds or timeout passes.
template <typename F>
bool WaitUntil(F condition, std::chrono::milliseconds timeout = std::chrono::seconds(30)) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= end) return false;
        Sleep(10);
    }
}

// One running simulator on COM<port>. Stopped (stop file, then its log's exit
// line awaited) when the object goes, whatever the test did.
class CSimulator {
public:
    CSimulator(int comPort, const std::vector<std::string>& options);
    ~CSimulator();
    CSimulator(const CSimulator&) = delete;
    CSimulator& operator=(const CSimulator&) = delete;

    bool Started() const { return m_started; }
    const std::string& Problem() const { return m_problem; }
    // True once the simulator has exited (stop file, hang-up, failure).
    bool Exited() const;
    bool WaitExited(std::chrono::milliseconds timeout = std::chrono::seconds(30)) const;
    bool Stop();
    // Lines of the simulator's log that begin with tag ("TX", "RX", "CMD").
    int CountLog(const char* tag) const;
    std::string LogText() const { return ReadWholeFile(m_log); }

private:
    bool m_started = false;
    std::string m_problem;
    std::string m_ready, m_stop, m_log;
};

// A device handle, destroyed with the object.
class CDevice {
public:
    CDevice() : m_handle(Tavo_Interface_RadarDevice_Serial_Create()) {}
    ~CDevice() {
        if (m_handle) {
            Tavo_Interface_RadarDevice_Stop(m_handle);
            Tavo_Interface_RadarDevice_Serial_Close(m_handle);
            Tavo_Interface_RadarDevice_Serial_Destroy(m_handle);
        }
    }
    CDevice(const CDevice&) = delete;
    CDevice& operator=(const CDevice&) = delete;
    TAVO_DEVICE_HANDLE Get() const { return m_handle; }
    bool Open(int port) {
        return Tavo_Interface_RadarDevice_Serial_OpenByPortNum(m_handle, port, 256000, 2, 1, 1, 150) != 0;
    }

private:
    TAVO_DEVICE_HANDLE m_handle;
};

// Reads for about ms milliseconds and returns everything that came.
std::vector<uint8_t> ReadFor(TAVO_DEVICE_HANDLE device, int ms);
// Reads until at least count bytes came or timeout passed.
std::vector<uint8_t> ReadAtLeast(TAVO_DEVICE_HANDLE device, size_t count, int timeoutMs = 10000);

// What a reply handler saw.
struct HandlerLog {
    int calls = 0;
    int hasStatus = -1;
    std::vector<uint8_t> data;
    uint16_t result = 0;  // what the handler returns
};
uint16_t RecordingHandler(int hasStatus, const unsigned char* data, int length, void* context);

int64_t NowMs();

}  // namespace devtest
