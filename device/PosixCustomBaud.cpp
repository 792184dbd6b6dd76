// Only the kernel's termios2 here: its header cannot share a file with <termios.h>.
#include <asm/ioctls.h>
#include <asm/termbits.h>

extern "C" int ioctl(int fd, unsigned long request, ...);

namespace radardev {

bool SetCustomBaudRate(int fd, int baudRate) {
    struct termios2 t;
    if (ioctl(fd, TCGETS2, &t) != 0) return false;
    t.c_cflag &= ~static_cast<tcflag_t>(CBAUD);
    t.c_cflag |= BOTHER;
    t.c_ispeed = static_cast<speed_t>(baudRate);
    t.c_ospeed = static_cast<speed_t>(baudRate);
    return ioctl(fd, TCSETS2, &t) == 0;
}

}  // namespace radardev
