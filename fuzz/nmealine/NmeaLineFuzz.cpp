// Input: five bytes of settings (receiver type, port, speed index, directions and data
// kinds, the kind of device), then the text of $SOTRIX_COM{port}. The GPSBabel command
// must name the device and speed the settings say; the line set-up must configure a
// terminal at that same speed and leave anything else untouched. The device the line is
// set up on is always one made here: a fuzzed name is never opened.
#include "GpsCommand.h"
#include "NmeaLine.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

using namespace sotrix;

void check(bool ok) {
    if (!ok) std::abort();
}

// The terminal speed of a baud rate as GPSBabel is told it.
speed_t speedOfBaud(const QString& baud) {
    static const std::pair<const char*, speed_t> speeds[] = {
        {"1200", B1200},   {"2400", B2400},   {"4800", B4800},   {"9600", B9600},
        {"19200", B19200}, {"38400", B38400}, {"57600", B57600}, {"115200", B115200}};
    for (const auto& [text, speed] : speeds)
        if (baud == QLatin1String(text)) return speed;
    return B4800;  // no speed named: the receivers' usual one
}

void checkCommand(int gps, int port, int vitesse, bool download, bool waypoints, bool tracks, bool routes,
                  const QString& named) {
    QProcessEnvironment env;
    env.insert(QStringLiteral("SOTRIX_COM") + QString::number(port), named);
    const auto args = gpsArguments(download ? GpsDirection::Download : GpsDirection::Upload, gps, port, vitesse,
                                   waypoints, tracks, routes, QStringLiteral("gps.gpx"), env);
    check(args.has_value() == (gps >= kGpsGarmin && gps <= kGpsNmea));
    if (!args) return;
    QString device = named.isEmpty() ? QStringLiteral("/dev/ttyS") + QString::number(port - 1) : named;
    if (gps == kGpsGarmin && port == kPortUsb) device = QStringLiteral("usb:");
    check(gpsDevice(gps, port, env) == device);
    const qsizetype at = args->indexOf(download ? QStringLiteral("-f") : QStringLiteral("-F"));
    check(at >= 0 && at + 1 < args->size() && args->at(at + 1) == device);
    // The first occurrences are the command's own: a device named "-o" comes after them.
    const QString format = args->at(args->indexOf(QString::fromLatin1(download ? "-i" : "-o")) + 1);
    const QString baud = vitesseBaud(vitesse);
    check(format.endsWith(QStringLiteral(",baud=") + baud) == (gps != kGpsGarmin && !baud.isEmpty()));
    const QStringList options = args->mid(0, args->indexOf(QStringLiteral("-i")));
    check(options.contains(QStringLiteral("-w")) == waypoints && options.contains(QStringLiteral("-t")) == tracks);
    check(options.contains(QStringLiteral("-r")) == (download && routes));
}

struct Pty {
    Pty() {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0)
            slave = QString::fromLocal8Bit(::ptsname(master));
    }
    int master = -1;
    QString slave;
};

void checkLine(int kind, int vitesse, bool download, const QByteArray& content) {
    static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                                 ? QStringLiteral("/dev/shm/sotrix-fuzz-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/sotrix-fuzz-XXXXXX"));
    static Pty pty;
    const QDir d(dir.path());
    const QString file = d.filePath(QStringLiteral("port.nmea"));
    const QString folder = d.filePath(QStringLiteral("port.d"));
    const QString fifo = d.filePath(QStringLiteral("port.fifo"));
    const QString missing = d.filePath(QStringLiteral("absent"));
    QString device;
    switch (kind % 5) {
    case 0:
        if (pty.slave.isEmpty()) return;
        device = pty.slave;
        break;
    case 1: {
        QFile f(file);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return;
        f.write(content);
        device = file;
        break;
    }
    case 2: device = missing; break;
    case 3: d.mkpath(QStringLiteral("port.d")), device = folder; break;
    default:
        if (!QFile::exists(fifo) && ::mkfifo(QFile::encodeName(fifo).constData(), 0600) != 0) return;
        device = fifo;
        break;
    }
    NmeaLine line(device, vitesse, download);
    check(line.isSetUp() == (kind % 5 == 0));
    if (kind % 5 == 0) {
        termios tio{};
        const int fd = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        check(fd >= 0 && ::tcgetattr(fd, &tio) == 0);
        ::close(fd);
        const speed_t speed = speedOfBaud(vitesseBaud(vitesse));
        check(::cfgetispeed(&tio) == speed && ::cfgetospeed(&tio) == speed);
        check((tio.c_lflag & (ICANON | ECHO)) == 0 && (tio.c_cflag & (CLOCAL | CREAD)) == (CLOCAL | CREAD));
        if (download) check(tio.c_cc[VMIN] == 0 && tio.c_cc[VTIME] == 30);
    } else if (kind % 5 == 1) {
        QFile f(file);
        check(f.open(QIODevice::ReadOnly) && f.readAll() == content);
    } else if (kind % 5 == 2) {
        check(!QFile::exists(missing));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 5) return 0;
    const int gps = data[0] % 5;
    const int port = data[1] % 11;
    const int vitesse = int(static_cast<int8_t>(data[2]));
    const uint8_t flags = data[3];
    const bool download = flags & 1;
    const QByteArray rest(reinterpret_cast<const char*>(data + 5), qsizetype(size - 5));
    checkCommand(gps, port, vitesse, download, flags & 2, flags & 4, flags & 8, QString::fromUtf8(rest));
    checkLine(data[4], vitesse, download, rest);
    return 0;
}
