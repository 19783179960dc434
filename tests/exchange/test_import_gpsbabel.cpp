// GPX written by GPSBabel, the form of every "gps.gpx" a download leaves, imported as a
// download does (names keep their "/").
#include "test_import_fixture.h"

#include <QProcess>

using namespace sotrix;
using namespace sotrix::importtest;

namespace {

void gpsbabel(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral("gpsbabel"), args);
    ASSERT_TRUE(p.waitForFinished(60000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
}

QByteArray nmea(const QByteArray& sentence) {
    quint8 sum = 0;
    for (char c : sentence) sum ^= quint8(c);
    return "$" + sentence + "*" + QByteArray::number(sum, 16).rightJustified(2, '0').toUpper() + "\r\n";
}

struct Row {
    qint64 id;
    const char* nom;  // nullptr: NULL
    double lon, lat;
    const char* date;
    const char* description;
    qint64 trace, num;
};

}  // namespace

class GpsbabelImport : public ImportTest {
protected:
    void expectRows(const std::vector<Row>& rows) {
        std::vector<std::pair<double, double>> lonLat;
        for (const Row& r : rows) lonLat.emplace_back(r.lon, r.lat);
        const auto xy = cs2cs(proj4(4326), proj4(31370), lonLat);
        ASSERT_EQ(xy.size(), rows.size());
        DbGuard db;
        Cursor c = db->query(QStringLiteral("SELECT * FROM Points ORDER BY Id_point"));
        std::size_t i = 0;
        for (; c.next(); ++i) {
            ASSERT_LT(i, rows.size());
            const Row& r = rows[i];
            SCOPED_TRACE(r.id);
            EXPECT_EQ(c.value("Id_point").toLongLong(), r.id);
            if (r.nom)
                EXPECT_EQ(c.value("Nom").toString(), QString::fromUtf8(r.nom));
            else
                EXPECT_TRUE(c.isNull("Nom"));
            EXPECT_NEAR(c.value("Lon").toDouble(), r.lon, 1e-9);
            EXPECT_NEAR(c.value("Lat").toDouble(), r.lat, 1e-9);
            EXPECT_NEAR(c.value("X").toDouble(), xy[i].first, 1e-3);
            EXPECT_NEAR(c.value("Y").toDouble(), xy[i].second, 1e-3);
            EXPECT_EQ(c.isNull("Date") ? QString() : c.value("Date").toString(), QString::fromUtf8(r.date));
            if (r.description)
                EXPECT_EQ(c.value("Description").toString(), QString::fromUtf8(r.description));
            else
                EXPECT_TRUE(c.isNull("Description"));
            EXPECT_EQ(c.value("Trace").toLongLong(), r.trace);
            EXPECT_EQ(c.isNull("Num_trace") ? 0 : c.value("Num_trace").toLongLong(), r.num);
        }
        EXPECT_EQ(i, rows.size());
    }
};

TEST_F(GpsbabelImport, GpsbabelRewriteOfTheFixture) {
    const QString in = writeFile(rowsFixture(), QStringLiteral("in11.gpx"));
    const QString out = path(QStringLiteral("gps.gpx"));
    gpsbabel({"-w", "-t", "-r", "-i", "gpx", "-f", in, "-o", "gpx,gpxver=1.0", "-F", out});
    seedRows();
    EXPECT_EQ(importFile(out, true), ImportOutcome::Ok);
    EXPECT_TRUE(prompts->prompts().empty()) << prompts->texts().join("; ").toStdString();

    // GPSBabel trims names, names the nameless waypoints, copies desc into cmt, gives
    // missing or unreadable coordinates the value 0, writes offsets as "Z" and the route
    // before the tracks.
    expectRows({
        {1, "A/B", 4.35, 50.85, "2004-03-15 12:00:00", "Maison", 0, 0},
        {2, "WPT002", 0, 0, "", "WPT002", 0, 0},
        {3, "NoLat", 4.3, 0, "", "NoLat", 0, 0},
        {4, "WPT004", 4.0, 0, "", "WPT004", 0, 0},
        {5, "L'église", 4.3, 50.8, "", "ligne 1 ligne 2", 0, 0},
        {6, nullptr, 4.1, 50.1, "2007-11-25 18:58:00", nullptr, 1, 1},
        {7, nullptr, 4.2, 50.2, "2002-05-25 19:06:21", nullptr, 1, 2},
        {8, nullptr, 4.3, 50.3, "", nullptr, 1, 3},
        {9, nullptr, 4.4, 50.4, "", nullptr, 1, 4},
        {10, nullptr, 4.5, 50.5, "", nullptr, 1, 5},
        {11, nullptr, 4.6, 50.6, "", nullptr, 1, 6},
        {12, nullptr, 4.7, 50.7, "", nullptr, 1, 7},
        {14, nullptr, 5.01, 50.01, "", nullptr, 3, 1},
        {15, nullptr, 5.02, 50.02, "", nullptr, 3, 2},
        {16, nullptr, 5.03, 50.03, "", nullptr, 3, 3},
        {17, nullptr, 5.04, 50.04, "", nullptr, 3, 4},
        {18, nullptr, 5.05, 50.05, "", nullptr, 3, 5},
    });
    DbGuard db;
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT group_concat(Id_trace || ':' || Nom || ':' || Nb || ':' || "
                                        "ifnull(Description, 'NULL'), ' ') FROM Trace"))
                  .toString(),
              QStringLiteral("1:T:7:NULL 3:3:5:NULL"));
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT Altitude FROM Points WHERE Id_point = 1")).toDouble(), 120.5);
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT Altitude FROM Points WHERE Id_point = 7")).toDouble(), 20.0);
}

TEST_F(GpsbabelImport, NmeaLogTurnedIntoGpx) {
    QByteArray log = nmea("GPWPL,5051.000,N,00421.000,E,CAMP1") + nmea("GPWPL,5050.000,N,00420.000,E,L/R");
    for (int i = 0; i < 4; ++i) {
        const QByteArray t = "1200" + QByteArray::number(i).rightJustified(2, '0');
        const QByteArray pos = "5050." + QByteArray::number(i * 100).rightJustified(3, '0') + ",N,00420." +
                               QByteArray::number(i * 100).rightJustified(3, '0') + ",E";
        log += nmea("GPRMC," + t + ",A," + pos + ",0.0,0.0,150304,,");
        log += nmea("GPGGA," + t + "," + pos + ",1,08,1.0,100.0,M,47.0,M,,");
    }
    const QString logFile = writeFile(log, QStringLiteral("log.nmea"));
    const QString gpx = path(QStringLiteral("gps.gpx"));
    gpsbabel({"-w", "-t", "-i", "nmea", "-f", logFile, "-o", "gpx", "-F", gpx});
    QFile f(gpx);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const qint64 trackPoints = f.readAll().count("<trkpt ");
    ASSERT_GE(trackPoints, 2);

    EXPECT_EQ(importFile(gpx, true), ImportOutcome::Ok);
    DbGuard db;
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT group_concat(Nom || '=' || Description, ' ') FROM "
                                        "(SELECT * FROM Points WHERE Trace = 0 ORDER BY Id_point)"))
                  .toString(),
              QStringLiteral("CAMP1=CAMP1 L/R=L/R"));
    EXPECT_NEAR(db->scalar(QStringLiteral("SELECT Lat FROM Points WHERE Nom = 'CAMP1'")).toDouble(), 50.85, 1e-9);
    // The track has no name: it is named after its key.
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT Nom || ':' || Nb FROM Trace")).toString(),
              QStringLiteral("1:") + QString::number(trackPoints));
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT MIN(Date) FROM Points WHERE Trace = 1")).toString(),
              QStringLiteral("2004-03-15 14:00:00"));
}
