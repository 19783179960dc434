// "PC -> GPS" through the real GPSBabel, to NMEA receivers played by a file and by a
// pseudo-terminal.

#include "test_gps_fixture.h"

#include "Database.h"
#include "GpsTransfer.h"
#include "State.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

namespace sotrix::test {
namespace {

class GpsUpload : public GpsTest {
protected:
    // What GPSBabel itself makes of the exchange file that the upload left.
    QByteArray gpsbabelNmea() {
        const QString out = path(QStringLiteral("expected.nmea"));
        QProcess p;
        p.start(QStringLiteral("gpsbabel"), {QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("-i"),
                                             QStringLiteral("gpx"), QStringLiteral("-f"), path(QStringLiteral("gps.gpx")),
                                             QStringLiteral("-o"), QStringLiteral("nmea"), QStringLiteral("-F"), out});
        EXPECT_TRUE(p.waitForFinished(30000));
        QFile f(out);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }

    void expectNmeaOf(const QByteArray& written) {
        // GPSBabel ends its lines with a line feed only.
        EXPECT_TRUE(written.contains(nmea("GPWPL,5050.100,N,00420.580,E,CAMP1").chopped(2) + '\n'))
            << written.toStdString();
        EXPECT_EQ(written.count("$GPRMC,"), 2) << written.toStdString();
        EXPECT_EQ(written.count("$GPGGA,"), 2) << written.toStdString();
        EXPECT_EQ(lastMessage(), QStringLiteral("Transfert terminé."));
        EXPECT_EQ(lastIcon(), Icon::Information);
        EXPECT_EQ(prompts->prompts().size(), 1u) << prompts->texts().join(u'\n').toStdString();
        EXPECT_EQ(progress.values, (std::vector<int>{1, 2, 3, 4, 5}));
        EXPECT_FALSE(progressWindowShown());
    }
};

TEST_F(GpsUpload, NmeaFileReceivesWhatGpsbabelMakesOfOurGpx) {
    seedWorkspace();
    receiver(3, 1, 3, false);
    const QString device = path(QStringLiteral("out.nmea"));
    setCom(1, device);
    for (const bool flags : {true, false}) {
        prompts->clear();
        progress.values.clear();
        state().modifWaypoints = flags;
        state().modifTraces = !flags;
        envoieGps(true, true, false);
        QFile f(device);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray written = f.readAll();
        expectNmeaOf(written);
        EXPECT_EQ(written, gpsbabelNmea());
        // An upload is not a save.
        EXPECT_EQ(state().modifWaypoints, flags);
        EXPECT_EQ(state().modifTraces, !flags);
    }
}

TEST_F(GpsUpload, PseudoTerminalReceivesTheSameLinesAndFilesAreCleanedUp) {
    seedWorkspace();
    Pty pty;
    ASSERT_FALSE(pty.slave().isEmpty());
    setCom(1, pty.slave());
    pty.drain();
    envoieGps(true, true, false);
    expectNmeaOf(pty.received());
    for (const char* name : {"gps.gpx", "out.log", "error.log"}) EXPECT_FALSE(QFile::exists(path(QString::fromLatin1(name)))) << name;
}

TEST_F(GpsUpload, FailedExportEndsTheUploadWithItsOwnMessage) {
    seedWorkspace();
    {
        DbGuard db;
        db->exec(QStringLiteral("alter table Points rename to Hidden"));
    }
    setCom(1, path(QStringLiteral("out.nmea")));
    state().modifWaypoints = true;
    state().modifTraces = false;
    envoieGps(true, true, false);
    ASSERT_EQ(prompts->prompts().size(), 1u) << prompts->texts().join(u'\n').toStdString();
    EXPECT_EQ(lastIcon(), Icon::Exclamation);
    EXPECT_FALSE(state().resultatOk);
    EXPECT_TRUE(state().modifWaypoints);
    EXPECT_FALSE(state().modifTraces);
    for (const char* name : {"gps.gpx", "out.log", "error.log", "out.nmea"})
        EXPECT_FALSE(QFile::exists(path(QString::fromLatin1(name)))) << name;
    EXPECT_TRUE(progress.values.empty());
    EXPECT_FALSE(progressWindowShown());
}

TEST_F(GpsUpload, SelectedOnlySendsTheSelection) {
    seedWorkspace();
    {
        DbGuard db;
        db->exec(QStringLiteral("insert into Points (Nom, X, Y, Lat, Lon, Trace, Selected) "
                                "values ('ECOLE', 1, 1, 50.85, 4.35, 0, 1)"));
    }
    const QString device = path(QStringLiteral("out.nmea"));
    setCom(1, device);
    envoieGps(true, false, true);
    QFile f(device);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray written = f.readAll();
    EXPECT_TRUE(written.contains(",ECOLE*"));
    EXPECT_FALSE(written.contains(",CAMP1*"));
    EXPECT_FALSE(written.contains("$GPRMC"));
}

}  // namespace
}  // namespace sotrix::test
