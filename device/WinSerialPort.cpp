#include "WinSerialPort.h"

#include <chrono>
#include <cwchar>

namespace radardev {

namespace {
// A pause this long after bytes ends a read: a frame (0.3 ms on the wire at
// 256000 baud) comes whole, yet is handed on within a few ms instead of
// after the caller's full time-out. Wine honours it, so does Windows.
constexpr DWORD kIntervalMs = 2;
constexpr DWORD kWriteTimeoutMs = 1000;
constexpr DWORD kQueueSize = 4096;
}  // namespace

std::unique_ptr<CWinSerialPort> CWinSerialPort::Open(const PortSettings& settings) {
    wchar_t name[32];
    std::swprintf(name, 32, L"\\\\.\\COM%d", settings.portNum);
    UniqueKernelHandle handle(CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!handle.IsValid()) return nullptr;

    SetupComm(handle.Get(), kQueueSize, kQueueSize);  // a hint only; some drivers refuse it

    DCB dcb = {};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(handle.Get(), &dcb)) return nullptr;
    dcb.BaudRate = static_cast<DWORD>(settings.baudRate);
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fDsrSensitivity = FALSE;
    // XON/XOFF off, or 0x11 and 0x13 in frames vanish.
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    if (!SetCommState(handle.Get(), &dcb)) return nullptr;

    std::unique_ptr<CWinSerialPort> port(new CWinSerialPort(std::move(handle)));
    if (!port->SetReadTimeout(100)) return nullptr;
    if (settings.purge) port->Purge();
    return port;
}

bool CWinSerialPort::SetReadTimeout(DWORD totalMs) {
    if (totalMs == m_readTimeoutMs) return true;
    // A MAXDWORD multiplier would mean "return at once" on Windows but Wine
    // ignores it and waits the whole constant; interval + constant means the
    // same on both.
    COMMTIMEOUTS timeouts = {};
    timeouts.ReadIntervalTimeout = kIntervalMs;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = totalMs;
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = kWriteTimeoutMs;
    if (!SetCommTimeouts(m_handle.Get(), &timeouts)) {
        m_readTimeoutMs = MAXDWORD;
        return false;
    }
    m_readTimeoutMs = totalMs;
    return true;
}

int CWinSerialPort::Read(uint8_t* buffer, int size, int timeoutMs) {
    if (size <= 0) return 0;
    // 0 would mean "no total time-out" to the driver.
    if (!SetReadTimeout(static_cast<DWORD>(timeoutMs > 0 ? timeoutMs : 1))) return -1;
    DWORD got = 0;
    if (!ReadFile(m_handle.Get(), buffer, static_cast<DWORD>(size), &got, nullptr))
        return -1;  // any failure: the device is gone, whatever the code
    return static_cast<int>(got);
}

bool CWinSerialPort::Write(const uint8_t* data, int size) {
    while (size > 0) {
        DWORD written = 0;
        if (!WriteFile(m_handle.Get(), data, static_cast<DWORD>(size), &written, nullptr) || written == 0) return false;
        data += written;
        size -= static_cast<int>(written);
    }
    return true;
}

bool CWinSerialPort::Alive() {
    DWORD errors = 0;
    COMSTAT status = {};
    return ClearCommError(m_handle.Get(), &errors, &status) != FALSE;
}

void CWinSerialPort::Purge() {
    PurgeComm(m_handle.Get(), PURGE_RXABORT | PURGE_RXCLEAR | PURGE_TXABORT | PURGE_TXCLEAR);
}

std::unique_ptr<IPort> CWinPortSystem::Open(const PortSettings& settings) { return CWinSerialPort::Open(settings); }

int64_t CWinPortSystem::NowMs() {
    // Finer than GetTickCount64's 16 ms steps, which would blur the 20 ms quiet span.
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void CWinPortSystem::SleepMs(int ms) { Sleep(ms > 0 ? static_cast<DWORD>(ms) : 0); }

}  // namespace radardev
