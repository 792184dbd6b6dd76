// The serial port behind the device object on Linux: a tty device or a pty
// opened by path, raw 8N1 without flow control, reads that hand bytes over
// after a short pause. What CWinSerialPort is to the DLL, this is to
// zuv_cfg's Linux build.
#pragma once

#include <string>

#include "RadarDeviceCore.h"

namespace radardev {

class CPosixSerialPort final : public IPort {
public:
    // Null when the device does not open, is held by another program or will
    // not take the settings; *error then holds errno.
    static std::unique_ptr<CPosixSerialPort> Open(const std::string& path, const PortSettings& settings, int* error);
    ~CPosixSerialPort() override;
    CPosixSerialPort(const CPosixSerialPort&) = delete;
    CPosixSerialPort& operator=(const CPosixSerialPort&) = delete;

    int Read(uint8_t* buffer, int size, int timeoutMs) override;
    bool Write(const uint8_t* data, int size) override;
    bool Alive() override;
    void Purge() override;

private:
    explicit CPosixSerialPort(int fd) : m_fd(fd) {}
    int m_fd;
};

// Opens the one device path it was made with, whatever port number the core
// asks for (a Linux device has a path, not a COM number).
class CPosixPortSystem final : public IPortSystem {
public:
    explicit CPosixPortSystem(std::string path) : m_path(std::move(path)) {}
    std::unique_ptr<IPort> Open(const PortSettings& settings) override;
    int64_t NowMs() override;
    void SleepMs(int ms) override;
    int LastOpenError() const { return m_lastOpenError; }  // errno of the last failed open

private:
    std::string m_path;
    int m_lastOpenError = 0;
};

// Sets a baud rate that has no Bxxx constant (256000); false when the driver
// refuses it. In its own file: the kernel's termios2 header clashes with <termios.h>.
bool SetCustomBaudRate(int fd, int baudRate);

}  // namespace radardev
