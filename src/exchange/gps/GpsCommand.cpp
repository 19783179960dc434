#include "GpsCommand.h"

#include <array>

namespace sotrix {

QString vitesseBaud(int vitesse) {
    static constexpr std::array<const char*, 8> kBauds{"1200", "2400", "4800", "9600",
                                                       "19200", "38400", "57600", "115200"};
    if (vitesse < 1 || vitesse > 8) return {};
    return QString::fromLatin1(kBauds[static_cast<std::size_t>(vitesse - 1)]);
}

QString comDevice(int port, const QProcessEnvironment& env) {
    const QString named = env.value(QStringLiteral("SOTRIX_COM") + QString::number(port));
    if (!named.isEmpty()) return named;
    return QStringLiteral("/dev/ttyS") + QString::number(port - 1);
}

QString gpsDevice(int gps, int port, const QProcessEnvironment& env) {
    if (gps == kGpsGarmin && port == kPortUsb) return QStringLiteral("usb:");
    return comDevice(port, env);
}

namespace {

// GPSBabel's format name with its options, or "" for an unknown receiver type.
QString gpsFormat(int gps, int vitesse) {
    QString base;
    switch (gps) {
    case kGpsGarmin: return QStringLiteral("garmin");
    case kGpsMagellan: base = QStringLiteral("magellan"); break;
    case kGpsNmea: base = QStringLiteral("nmea"); break;
    default: return {};
    }
    const QString baud = vitesseBaud(vitesse);
    return baud.isEmpty() ? base : base + QStringLiteral(",baud=") + baud;
}

}  // namespace

std::optional<QStringList> gpsArguments(GpsDirection direction, int gps, int port, int vitesse, bool waypoints,
                                        bool tracks, bool routes, const QString& gpx,
                                        const QProcessEnvironment& env) {
    const QString format = gpsFormat(gps, vitesse);
    if (format.isEmpty()) return std::nullopt;
    const QString device = gpsDevice(gps, port, env);

    QStringList args;
    if (waypoints) args << QStringLiteral("-w");
    if (tracks) args << QStringLiteral("-t");
    if (direction == GpsDirection::Download) {
        if (routes) args << QStringLiteral("-r");
        args << QStringLiteral("-i") << format << QStringLiteral("-f") << device << QStringLiteral("-o")
             << QStringLiteral("gpx") << QStringLiteral("-F") << gpx;
    } else {
        args << QStringLiteral("-i") << QStringLiteral("gpx") << QStringLiteral("-f") << gpx << QStringLiteral("-o")
             << format << QStringLiteral("-F") << device;
    }
    return args;
}

}  // namespace sotrix
