#include "NmeaLine.h"

#include <QFile>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace sotrix {

namespace {

speed_t speedOf(int vitesse) {
    switch (vitesse) {
    case 1: return B1200;
    case 2: return B2400;
    case 4: return B9600;
    case 5: return B19200;
    case 6: return B38400;
    case 7: return B57600;
    case 8: return B115200;
    default: return B4800;  // index 3, and the receivers' usual speed otherwise
    }
}

}  // namespace

NmeaLine::NmeaLine(const QString& device, int vitesse, bool download) {
    const QByteArray path = QFile::encodeName(device);
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return;
    termios tio{};
    if (!::isatty(fd) || ::tcgetattr(fd, &tio) != 0) {
        ::close(fd);
        return;
    }
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    ::cfsetispeed(&tio, speedOf(vitesse));
    ::cfsetospeed(&tio, speedOf(vitesse));
    if (download) {
        tio.c_cc[VMIN] = 0;
        tio.c_cc[VTIME] = 30;
    }
    ::tcsetattr(fd, TCSANOW, &tio);
    fd_ = fd;
}

NmeaLine::~NmeaLine() {
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace sotrix
