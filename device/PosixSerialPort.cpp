#include "PosixSerialPort.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

namespace radardev {

namespace {
// A pause this long after bytes ends a read, as the Windows port's interval
// time-out does: a frame comes whole, yet is handed on within a few ms.
constexpr int kIntervalMs = 2;
constexpr int kWriteTimeoutMs = 1000;

speed_t StandardSpeed(int baudRate) {
    switch (baudRate) {
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    case 460800: return B460800;
    case 921600: return B921600;
    default: return B0;
    }
}

// Waits up to timeoutMs for events; -1 on a failed poll.
int PollFor(int fd, short events, int timeoutMs, short& revents) {
    pollfd p{fd, events, 0};
    for (;;) {
        const int r = poll(&p, 1, timeoutMs);
        if (r < 0 && errno == EINTR) continue;  // a signal (Ctrl+C) ends no read by itself
        revents = p.revents;
        return r;
    }
}
}  // namespace

std::unique_ptr<CPosixSerialPort> CPosixSerialPort::Open(const std::string& path, const PortSettings& settings,
                                                         int* error) {
    auto fail = [error](int code) {
        if (error) *error = code;
        return nullptr;
    };
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return fail(errno);
    std::unique_ptr<CPosixSerialPort> port(new CPosixSerialPort(fd));
    // One user at a time, as a COM port is on Windows: a second zuv_cfg (or
    // any program that locks the same way) finds it busy.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) return fail(errno == EWOULDBLOCK ? EBUSY : errno);
    termios t{};
    if (tcgetattr(fd, &t) != 0) return fail(errno);
    cfmakeraw(&t);  // 8 data bits, no parity, no XON/XOFF (0x11 and 0x13 occur in frames)
    t.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | CRTSCTS);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    const speed_t speed = StandardSpeed(settings.baudRate);
    if (speed != B0) cfsetspeed(&t, speed);
    if (tcsetattr(fd, TCSANOW, &t) != 0) return fail(errno);
    if (speed == B0 && !SetCustomBaudRate(fd, settings.baudRate)) return fail(EINVAL);
    if (settings.purge) port->Purge();
    return port;
}

CPosixSerialPort::~CPosixSerialPort() { ::close(m_fd); }

int CPosixSerialPort::Read(uint8_t* buffer, int size, int timeoutMs) {
    if (size <= 0) return 0;
    int got = 0;
    int wait = timeoutMs > 0 ? timeoutMs : 1;
    while (got < size) {
        short revents = 0;
        const int r = PollFor(m_fd, POLLIN, wait, revents);
        if (r < 0) return -1;
        if (r == 0) break;  // the time-out, or the pause that ends a burst
        if (revents & POLLIN) {
            const ssize_t n = ::read(m_fd, buffer + got, static_cast<size_t>(size - got));
            if (n > 0) {
                got += static_cast<int>(n);
                wait = kIntervalMs;
                continue;
            }
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
            return got > 0 ? got : -1;  // 0 or EIO: the far end has gone
        }
        if (revents & (POLLHUP | POLLERR | POLLNVAL)) return got > 0 ? got : -1;
    }
    return got;
}

bool CPosixSerialPort::Write(const uint8_t* data, int size) {
    while (size > 0) {
        const ssize_t n = ::write(m_fd, data, static_cast<size_t>(size));
        if (n > 0) {
            data += n;
            size -= static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
        short revents = 0;
        if (PollFor(m_fd, POLLOUT, kWriteTimeoutMs, revents) <= 0 || !(revents & POLLOUT)) return false;
    }
    return true;
}

bool CPosixSerialPort::Alive() {
    // A pulled adapter or a closed pty master shows as a hang-up or an error.
    short revents = 0;
    if (PollFor(m_fd, 0, 0, revents) < 0) return false;
    if (revents & (POLLHUP | POLLERR | POLLNVAL)) return false;
    int status = 0;
    return ioctl(m_fd, TIOCMGET, &status) == 0 || errno == ENOTTY || errno == EINVAL;
}

void CPosixSerialPort::Purge() { tcflush(m_fd, TCIOFLUSH); }

std::unique_ptr<IPort> CPosixPortSystem::Open(const PortSettings& settings) {
    int error = 0;
    std::unique_ptr<IPort> port = CPosixSerialPort::Open(m_path, settings, &error);
    if (!port) m_lastOpenError = error;
    return port;
}

int64_t CPosixPortSystem::NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void CPosixPortSystem::SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms > 0 ? ms : 0)); }

}  // namespace radardev
