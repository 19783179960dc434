// The GPSBabel command line, the serial port mapping, the titles, the messages and the
// splitting of "error.log": pure functions, checked as tables.

#include "GpsCommand.h"
#include "GpsErrorLog.h"
#include "GpsMessages.h"

#include <QProcessEnvironment>

#include <gtest/gtest.h>

namespace sotrix {
namespace {

QProcessEnvironment envWith(const QString& name = {}, const QString& value = {}) {
    QProcessEnvironment env;
    if (!name.isEmpty()) env.insert(name, value);
    return env;
}

const QString kGpx = QStringLiteral("/h/L'été $x/gps.gpx");

struct ArgsRow {
    GpsDirection direction;
    int gps, port, vitesse;
    bool w, t, r;
    const char* expected;  // arguments joined by "|"
};

TEST(GpsCommand, ArgumentListsArePinned) {
    const QString com2 = QStringLiteral("/tmp/pts é/2");
    const auto env = envWith(QStringLiteral("SOTRIX_COM2"), com2);
    const ArgsRow rows[] = {
        {GpsDirection::Download, 1, 9, 3, true, true, true, "-w|-t|-r|-i|garmin|-f|usb:|-o|gpx|-F|G"},
        {GpsDirection::Upload, 1, 9, 0, true, true, false, "-w|-t|-i|gpx|-f|G|-o|garmin|-F|usb:"},
        {GpsDirection::Download, 1, 1, 9, false, true, false, "-t|-i|garmin|-f|/dev/ttyS0|-o|gpx|-F|G"},
        {GpsDirection::Download, 1, 2, 3, false, false, true, "-r|-i|garmin|-f|C2|-o|gpx|-F|G"},
        {GpsDirection::Upload, 1, 2, 3, true, false, false, "-w|-i|gpx|-f|G|-o|garmin|-F|C2"},
        {GpsDirection::Download, 2, 1, 3, true, false, false, "-w|-i|magellan,baud=4800|-f|/dev/ttyS0|-o|gpx|-F|G"},
        {GpsDirection::Download, 2, 2, 0, true, true, true, "-w|-t|-r|-i|magellan|-f|C2|-o|gpx|-F|G"},
        {GpsDirection::Upload, 2, 2, 3, true, true, false, "-w|-t|-i|gpx|-f|G|-o|magellan,baud=4800|-F|C2"},
        {GpsDirection::Upload, 2, 9, 9, false, true, false, "-t|-i|gpx|-f|G|-o|magellan|-F|/dev/ttyS8"},
        {GpsDirection::Download, 3, 9, 3, true, true, true, "-w|-t|-r|-i|nmea,baud=4800|-f|/dev/ttyS8|-o|gpx|-F|G"},
        {GpsDirection::Download, 3, 1, 9, true, false, false, "-w|-i|nmea|-f|/dev/ttyS0|-o|gpx|-F|G"},
        {GpsDirection::Upload, 3, 2, 0, true, true, false, "-w|-t|-i|gpx|-f|G|-o|nmea|-F|C2"},
        {GpsDirection::Upload, 3, 1, 3, false, true, false, "-t|-i|gpx|-f|G|-o|nmea,baud=4800|-F|/dev/ttyS0"},
        // Routes are never asked of an upload.
        {GpsDirection::Upload, 3, 1, 3, true, false, true, "-w|-i|gpx|-f|G|-o|nmea,baud=4800|-F|/dev/ttyS0"},
    };
    for (const ArgsRow& row : rows) {
        const auto args = gpsArguments(row.direction, row.gps, row.port, row.vitesse, row.w, row.t, row.r, kGpx, env);
        ASSERT_TRUE(args.has_value());
        QString expected = QString::fromUtf8(row.expected);
        QStringList want = expected.split(u'|');
        want.replaceInStrings(QStringLiteral("C2"), com2);
        for (QString& a : want)
            if (a == QStringLiteral("G")) a = kGpx;
        EXPECT_EQ(*args, want) << row.expected;
    }
}

TEST(GpsCommand, EveryTypePortSpeedAndKindFollowsTheRules) {
    const QString com2 = QStringLiteral("/dev/pts/42");
    const QString bauds[] = {QString(), QStringLiteral("4800"), QString()};
    const int speeds[] = {0, 3, 9};
    for (const bool com2Set : {false, true}) {
        const auto env = com2Set ? envWith(QStringLiteral("SOTRIX_COM2"), com2) : envWith();
        for (int gps = 1; gps <= 3; ++gps)
            for (const int port : {1, 2, 9})
                for (int s = 0; s < 3; ++s)
                    for (const auto dir : {GpsDirection::Download, GpsDirection::Upload})
                        for (int kinds = 1; kinds < 8; ++kinds) {
                            const bool w = kinds & 1, t = kinds & 2, r = kinds & 4;
                            const auto args = gpsArguments(dir, gps, port, speeds[s], w, t, r, kGpx, env);
                            ASSERT_TRUE(args.has_value());
                            const QString name = gps == 1 ? QStringLiteral("garmin")
                                                 : gps == 2 ? QStringLiteral("magellan")
                                                            : QStringLiteral("nmea");
                            const QString format =
                                gps == 1 || bauds[s].isEmpty() ? name : name + QStringLiteral(",baud=") + bauds[s];
                            QString device = port == 1   ? QStringLiteral("/dev/ttyS0")
                                             : port == 2 ? (com2Set ? com2 : QStringLiteral("/dev/ttyS1"))
                                                         : QStringLiteral("/dev/ttyS8");
                            if (gps == 1 && port == 9) device = QStringLiteral("usb:");
                            QStringList want;
                            if (w) want << QStringLiteral("-w");
                            if (t) want << QStringLiteral("-t");
                            if (dir == GpsDirection::Download) {
                                if (r) want << QStringLiteral("-r");
                                want << QStringLiteral("-i") << format << QStringLiteral("-f") << device
                                     << QStringLiteral("-o") << QStringLiteral("gpx") << QStringLiteral("-F") << kGpx;
                            } else {
                                want << QStringLiteral("-i") << QStringLiteral("gpx") << QStringLiteral("-f") << kGpx
                                     << QStringLiteral("-o") << format << QStringLiteral("-F") << device;
                            }
                            EXPECT_EQ(*args, want) << gps << ' ' << port << ' ' << speeds[s] << ' ' << kinds;
                        }
    }
}

TEST(GpsCommand, UnknownReceiverTypesAreRefused) {
    for (const int gps : {0, 4, -1})
        for (const auto dir : {GpsDirection::Download, GpsDirection::Upload})
            EXPECT_FALSE(gpsArguments(dir, gps, 1, 3, true, true, true, kGpx, envWith()).has_value()) << gps;
}

TEST(GpsCommand, SpeedsAndPorts) {
    const char* bauds[] = {"", "1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200", ""};
    for (int v = 0; v <= 9; ++v) EXPECT_EQ(vitesseBaud(v), QString::fromLatin1(bauds[v])) << v;
    EXPECT_EQ(vitesseBaud(-3), QString());

    EXPECT_EQ(comDevice(1, envWith()), QStringLiteral("/dev/ttyS0"));
    EXPECT_EQ(comDevice(8, envWith()), QStringLiteral("/dev/ttyS7"));
    EXPECT_EQ(comDevice(3, envWith(QStringLiteral("SOTRIX_COM3"), QStringLiteral("/dev/ttyUSB0"))),
              QStringLiteral("/dev/ttyUSB0"));
    // An empty variable does not count; another port's variable does not either.
    EXPECT_EQ(comDevice(3, envWith(QStringLiteral("SOTRIX_COM3"), QString())), QStringLiteral("/dev/ttyS2"));
    EXPECT_EQ(comDevice(3, envWith(QStringLiteral("SOTRIX_COM1"), QStringLiteral("x"))), QStringLiteral("/dev/ttyS2"));
    EXPECT_EQ(gpsDevice(kGpsGarmin, 9, envWith(QStringLiteral("SOTRIX_COM9"), QStringLiteral("x"))),
              QStringLiteral("usb:"));
    EXPECT_EQ(gpsDevice(kGpsNmea, 9, envWith(QStringLiteral("SOTRIX_COM9"), QStringLiteral("x"))), QStringLiteral("x"));

    // The environment is read at each call.
    qputenv("SOTRIX_COM7", "/tmp/a");
    EXPECT_EQ(comDevice(7), QStringLiteral("/tmp/a"));
    qputenv("SOTRIX_COM7", "/tmp/b");
    EXPECT_EQ(comDevice(7), QStringLiteral("/tmp/b"));
    qunsetenv("SOTRIX_COM7");
    EXPECT_EQ(comDevice(7), QStringLiteral("/dev/ttyS6"));
}

TEST(GpsMessages, DownloadTitleOverAllCombinations) {
    struct Row {
        bool w, t, r;
        const char* title;
    } rows[] = {
        {true, true, true, "Téléchargement des Waypoints, des Traces et des Routes"},
        {true, true, false, "Téléchargement des Waypoints et des Traces"},
        {true, false, true, "Téléchargement des Waypoints et des Routes"},
        {false, true, true, "Téléchargement des Traces et des Routes"},
        {true, false, false, "Téléchargement des Waypoints"},
        {false, true, false, "Téléchargement des Traces"},
        {false, false, true, "Téléchargement des Routes"},
    };
    for (const Row& row : rows) EXPECT_EQ(titreTelechargement(row.w, row.t, row.r), QString::fromUtf8(row.title));
    EXPECT_EQ(titreEnvoi(true, true), QStringLiteral("Envoi des Waypoints et des Traces vers le GPS"));
    EXPECT_EQ(titreEnvoi(true, false), QStringLiteral("Envoi des Waypoints vers le GPS"));
    EXPECT_EQ(titreEnvoi(false, true), QStringLiteral("Envoi des Traces vers le GPS"));
}

TEST(GpsErrorLog, ItemsAreSplitLikeDelimitedFields) {
    struct Row {
        const char* text;
        QStringList items;
    } rows[] = {
        {"a, b\n", {"a", "b"}},
        {"\n", {""}},
        {"x\n\ny\n", {"x", "", "y"}},
        {"\"a, b\", c\n", {"a, b", "c"}},
        {"Not implemented", {"Not implemented"}},
        {"", {}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"  lead\ttab", {"lead\ttab"}},
        {"\"q\" dropped, next", {"q", "next"}},
        {"a,\n", {"a", ""}},
        {"a,", {"a", ""}},
        {"\"open to end", {"open to end"}},
        {"[ERROR] GPS_Packet_Read: Timeout.  No data received.\nGARMIN:Can't init /dev/pts/3\n",
         {"[ERROR] GPS_Packet_Read: Timeout.  No data received.", "GARMIN:Can't init /dev/pts/3"}},
    };
    for (const Row& row : rows) EXPECT_EQ(decoupeErreurs(QString::fromUtf8(row.text)), row.items) << row.text;
}

}  // namespace
}  // namespace sotrix
