// The device object behind Tavo_DataProcess.dll, without Windows: command
// exchange, reply matching, quiet detection and the reopen policy, over a
// small port interface. The DLL plugs in the Win32 serial port; host tests
// plug in a scripted fake port and clock.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "RadarProtocol.h"

namespace radardev {

// Library error codes returned by SendCommand (the module's own statuses are
// 1..5 and reach the handler; these stay clear of them and of 0).
enum Error : uint16_t {
    kErrBadArgument = 0xE001,  // bad handle, null handler, negative length, payload too long
    kErrNotOpen = 0xE002,      // no port open, or the port has gone
    kErrWriteFailed = 0xE003,  // the command did not go out
    kErrTimeout = 0xE004,      // no matching well-formed reply within the time-out
    kErrStatus = 0xE005,       // the reply's status was not 0 (handler returned 0 anyway)
    kErrReplyLength = 0xE006,  // reply too short for a status word, or wrong length for the code
};

// One open serial port.
class IPort {
public:
    virtual ~IPort() = default;
    // Waits up to timeoutMs for bytes and returns as soon as a short pause
    // follows them. >= 0: bytes read; < 0: the port failed.
    virtual int Read(uint8_t* buffer, int size, int timeoutMs) = 0;
    // False unless every byte went out.
    virtual bool Write(const uint8_t* data, int size) = 0;
    // False once the port has failed (cable pulled, far end closed).
    virtual bool Alive() = 0;
    // Drops what the driver holds in both directions.
    virtual void Purge() = 0;
};

struct PortSettings {
    int portNum = 0;
    int baudRate = 0;
    bool purge = true;
};

// Opens ports and keeps time: what the device needs from the system.
class IPortSystem {
public:
    virtual ~IPortSystem() = default;
    // Null when the port cannot be opened (not there, busy).
    virtual std::unique_ptr<IPort> Open(const PortSettings& settings) = 0;
    virtual int64_t NowMs() = 0;  // monotonic
    virtual void SleepMs(int ms) = 0;
};

typedef uint16_t (*ReplyHandler)(int hasStatus, const unsigned char* data, int length, void* context);

class CRadarDeviceCore {
public:
    static constexpr int kReadBlockSize = 4096;
    static constexpr int kQuietMs = 20;            // CleanData: this much silence ends it
    static constexpr int kReopenIntervalMs = 100;  // gone port: one open attempt this often
    static constexpr int kOpenRetryPauseMs = 100;  // pause between open attempts
    static constexpr int kReadSliceMs = 100;       // longest single wait, so a vanished port shows quickly

    explicit CRadarDeviceCore(std::unique_ptr<IPortSystem> system);
    ~CRadarDeviceCore();
    CRadarDeviceCore(const CRadarDeviceCore&) = delete;
    CRadarDeviceCore& operator=(const CRadarDeviceCore&) = delete;

    // attempts >= 1; framing must be 1 (8N1); replyTimeoutMs is used by the
    // commands the library sends by itself (version, start, stop, leave command mode).
    bool Open(int portNum, int baudRate, int attempts, int framing, int purge, int replyTimeoutMs);
    // Safe from any thread at any time. Probes the port when no other call is
    // under way; otherwise reports what the running call last saw.
    bool IsConnected();
    void Close();

    bool ReadVersion(std::string& version);
    bool StartCmdMode(int attempts, int timeoutMs);
    bool StopCmdMode();
    bool CleanData(int maxMs);
    bool StartReporting();
    bool StopReporting();
    // 0 only when a matching reply came, handler ran and returned 0, the
    // status was 0 and the reply length fits the code; else an Error or the
    // handler's own non-zero result.
    uint16_t SendCommand(int code, const void* request, int requestLength, ReplyHandler handler, void* context,
                         int timeoutMs);
    bool SetParameter(int code, int count, const uint16_t* ids, const uint32_t* values, int timeoutMs);
    // Bytes read (> 0), 0 when the module was silent, < 0 when the port is
    // gone or not open. Reopens a vanished port by itself while it is wanted.
    int ReadData(void* buffer, int size, int timeoutMs);

    // Expected reply payload size for a code (status included), 0 when any.
    static size_t ExpectedReplySize(uint16_t code);

private:
    // Callers hold m_mutex for all of these.
    uint16_t ExchangeLocked(uint16_t code, const uint8_t* payload, size_t size, int timeoutMs,
                            radarproto::Frame& reply);
    uint16_t SimpleCommandLocked(uint16_t code, int timeoutMs);  // 0 when status 0
    bool EnsurePortLocked();                                     // one reopen attempt when the port is wanted but gone
    bool TryReopenLocked();
    void MarkGoneLocked();

    std::unique_ptr<IPortSystem> m_system;  // immutable after construction

    // Serialises every call but IsConnected's fallback. The caller's contract
    // already keeps the calls apart; the lock makes a stray overlap safe. It is
    // held only across waits bounded by the call's own time-out.
    std::mutex m_mutex;

    // Guarded by m_mutex (written by whichever thread holds it: the control
    // thread for open/close/commands, the acquisition thread in ReadData).
    std::unique_ptr<IPort> m_port;  // null while closed or gone
    bool m_wanted = false;          // a port was opened and not closed: keep reopening it
    PortSettings m_settings;
    int m_replyTimeoutMs = 150;
    int64_t m_nextReopenMs = 0;
    radarproto::FrameDecoder m_decoder;
    std::vector<uint8_t> m_pending;  // stream bytes read behind a reply; ReadData hands them out first

    // Written under m_mutex, read lock-free by IsConnected on any thread.
    std::atomic<bool> m_connected{false};
};

}  // namespace radardev
