// "GPS -> PC" through the real GPSBabel, with NMEA receivers played by a file and by a
// pseudo-terminal.

#include "test_gps_fixture.h"

#include "AppDir.h"
#include "Database.h"
#include "GpsTransfer.h"
#include "State.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>

#include <cmath>

namespace sotrix::test {
namespace {

class GpsDownload : public GpsTest {
protected:
    // The rows that the NMEA log gives, and the end of a successful download.
    void expectLogImported() {
        DbGuard db;
        Cursor w = db->query(QStringLiteral("select Nom, Lat, Lon, Description from Points where Trace = 0 order by Nom"));
        ASSERT_TRUE(w.next());
        EXPECT_EQ(w.value(QStringLiteral("Nom")).toString(), QStringLiteral("CAMP1"));
        EXPECT_NEAR(w.value(QStringLiteral("Lat")).toDouble(), 50.835383333, 1e-9);
        EXPECT_NEAR(w.value(QStringLiteral("Lon")).toDouble(), 4.3428, 1e-9);
        EXPECT_EQ(w.value(QStringLiteral("Description")).toString(), QStringLiteral("CAMP1"));
        ASSERT_TRUE(w.next());
        EXPECT_EQ(w.value(QStringLiteral("Nom")).toString(), QStringLiteral("ECOLE"));
        EXPECT_FALSE(w.next());

        Cursor t = db->query(QStringLiteral("select Id_trace, Nom, Nb from Trace"));
        ASSERT_TRUE(t.next());
        EXPECT_EQ(t.value(QStringLiteral("Nom")).toString(), t.value(QStringLiteral("Id_trace")).toString());
        EXPECT_EQ(t.value(QStringLiteral("Nb")).toLongLong(), 2);
        EXPECT_FALSE(t.next());

        EXPECT_EQ(lastMessage(), QStringLiteral("Téléchargement terminé."));
        EXPECT_EQ(lastIcon(), Icon::Information);
        EXPECT_EQ(prompts->prompts().size(), 1u) << prompts->texts().join(u'\n').toStdString();
        EXPECT_EQ(progress.values, (std::vector<int>{1, 2, 3, 4, 5, 6}));
        ASSERT_GE(main.calls.size(), 3);
        EXPECT_EQ(main.calls.mid(main.calls.size() - 3),
                  (QStringList{QStringLiteral("majListes"), QStringLiteral("zoomGlobal"), QStringLiteral("redraw")}));
        EXPECT_TRUE(state().resultatOk);
        EXPECT_TRUE(state().modifWaypoints && state().modifTraces);
        EXPECT_FALSE(progressWindowShown());
    }
};

TEST_F(GpsDownload, NmeaLogFileReplacesTheWorkspaceAndCleansUp) {
    seedWorkspace();
    setCom(1, writeFile(QStringLiteral("receiver.nmea"), nmeaLog()));
    telechargeGps(true, true, true);
    expectLogImported();
    for (const char* name : {"gps.gpx", "out.log", "error.log"}) EXPECT_FALSE(QFile::exists(path(QString::fromLatin1(name)))) << name;
}

TEST_F(GpsDownload, ProgramFolderWithBlanksAccentsQuotesAndDollar) {
    // The working files stay when the settings keep them; paths reach GPSBabel intact.
    const QString odd = path(QStringLiteral("l'été $HOME dossier"));
    ASSERT_TRUE(QDir().mkpath(odd));
    ASSERT_TRUE(QFile::copy(path(QStringLiteral("sotrix.mdb")), odd + QStringLiteral("/sotrix.mdb")));
    qputenv("SOTRIX_HOME", QFile::encodeName(odd));
    resetAppDir();
    receiver(3, 1, 3, false);
    setCom(1, writeFile(odd + QStringLiteral("/réception l'1.nmea"), nmeaLog()));

    telechargeGps(true, true, true);
    expectLogImported();
    for (const char* name : {"gps.gpx", "out.log", "error.log"})
        EXPECT_TRUE(QFile::exists(odd + u'/' + QString::fromLatin1(name))) << name;
    EXPECT_EQ(QFile(odd + QStringLiteral("/error.log")).size(), 0);
}

TEST_F(GpsDownload, PseudoTerminalEndsAfterThreeSecondsOfSilence) {
    Pty pty;
    ASSERT_FALSE(pty.slave().isEmpty());
    setCom(1, pty.slave());
    QElapsedTimer clock;
    clock.start();
    pty.sendAfter(300, nmeaLog());
    telechargeGps(true, true, true);
    const qint64 elapsed = clock.elapsed();
    expectLogImported();
    EXPECT_GE(elapsed, 3000);
    EXPECT_LT(elapsed, 10000);
}

TEST_F(GpsDownload, ReceiverThatNeverStopsTimesOut) {
    seedWorkspace();
    const QStringList before = snapshot();
    Pty pty;
    ASSERT_FALSE(pty.slave().isEmpty());
    setCom(1, pty.slave());
    pty.sendForever(500, nmea("GPGGA,101500,5050.100,N,00420.500,E,1,08,1.0,100.0,M,47.0,M,,"));
    QElapsedTimer clock;
    clock.start();
    GpsLimits limits;
    limits.nmeaTimeoutMs = 3000;
    telechargeGps(true, true, true, limits);
    EXPECT_LT(clock.elapsed(), 8000);

    EXPECT_EQ(lastMessage(), QStringLiteral("Une erreur s'est produite lors du téléchargement des données depuis le GPS.\n"
                                            "Vérifier que le gps est bien allumé et connecté au port COM1."));
    EXPECT_EQ(lastIcon(), Icon::Exclamation);
    EXPECT_EQ(snapshot(), before);
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("gps.gpx"))));
    EXPECT_FALSE(progressWindowShown());
}

TEST_F(GpsDownload, EmptyReceiverKeepsTheWorkspace) {
    // GPSBabel writes a GPX without any data from a port that ends at once.
    seedWorkspace();
    const QStringList before = snapshot();
    setCom(1, writeFile(QStringLiteral("silent.nmea"), {}));
    telechargeGps(true, true, true);
    EXPECT_EQ(lastMessage(),
              QStringLiteral("Une erreur est survenue lors du téléchargement depuis le GPS.\nVérifiez que le GPS est "
                             "connecté à l'ordinateur et que le port de communication (série ou USB) spécifié dans les "
                             "options de l'application est correct."));
    EXPECT_EQ(lastIcon(), Icon::Critical);
    EXPECT_EQ(prompts->prompts().size(), 1u);
    EXPECT_EQ(snapshot(), before);
    EXPECT_TRUE(main.calls.isEmpty());
}

TEST_F(GpsDownload, RefusedImportKeepsTheWorkspaceAndTheExchangeFile) {
    seedWorkspace();
    const QStringList before = snapshot();
    setCom(1, writeFile(QStringLiteral("twice.nmea"), nmea("GPWPL,5050.123,N,00420.568,E,CAMP1") +
                                                          nmea("GPWPL,5051.000,N,00421.000,E,CAMP1")));
    telechargeGps(true, true, true);
    ASSERT_EQ(prompts->prompts().size(), 1u) << prompts->texts().join(u'\n').toStdString();
    EXPECT_TRUE(lastMessage().contains(QStringLiteral("Plusieurs waypoints ont le même nom : CAMP1 (2X)")));
    EXPECT_EQ(snapshot(), before);
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("gps.gpx"))));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("error.log"))));
}

TEST_F(GpsDownload, DiagnosticsAfterAnImportAreListed) {
    // A sentence with a wrong checksum is skipped by GPSBabel with a warning.
    setCom(1, writeFile(QStringLiteral("noisy.nmea"), nmea("GPWPL,5050.123,N,00420.568,E,CAMP1") +
                                                          "$GPWPL,5051.000,N,00421.000,E,ECOLE*00\r\n"));
    telechargeGps(true, false, false);
    EXPECT_EQ(lastMessage(), QStringLiteral("Une erreur est survenue lors du téléchargement des données depuis le GPS : \n"
                                            "Invalid NMEA checksum.  Computed 0x0d but found 0x00.  Ignoring sentence.\n"));
    EXPECT_EQ(lastIcon(), Icon::Critical);
    EXPECT_FALSE(state().resultatOk);
    DbGuard db;
    EXPECT_EQ(db->scalar(QStringLiteral("select group_concat(Nom) from Points")).toString(), QStringLiteral("CAMP1"));
    EXPECT_EQ(progress.values, (std::vector<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("gps.gpx"))));
}

}  // namespace
}  // namespace sotrix::test
