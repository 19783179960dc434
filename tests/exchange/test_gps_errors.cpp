// Transfers that fail: silent receivers, missing devices, no Garmin on USB, no GPSBabel,
// working files that cannot be replaced, unknown receiver types. GPSBabel's own texts
// reach the user and the workspace stays as it was.

#include "test_gps_fixture.h"

#include "GpsTransfer.h"
#include "State.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace sotrix::test {
namespace {

const QString kNoData = QStringLiteral(
    "Une erreur est survenue lors du téléchargement depuis le GPS.\nVérifiez que le GPS est connecté à l'ordinateur "
    "et que le port de communication (série ou USB) spécifié dans les options de l'application est correct.");
const QString kUploadHeader = QStringLiteral("Une erreur est survenue lors de l'envoi des données vers le GPS : \n");

bool garminUsbAttached() {
    for (const QString& dev : QDir(QStringLiteral("/sys/bus/usb/devices")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile vendor(QStringLiteral("/sys/bus/usb/devices/") + dev + QStringLiteral("/idVendor"));
        if (vendor.open(QIODevice::ReadOnly) && vendor.readAll().trimmed() == "091e") return true;
    }
    return false;
}

class GpsErrors : public GpsTest {
protected:
    void SetUp() override {
        GpsTest::SetUp();
        seedWorkspace();
        before = snapshot();
    }
    QStringList before;
};

TEST_F(GpsErrors, SilentGarminShowsGpsbabelTextsWhileInputIsBlocked) {
    Pty pty;
    ASSERT_FALSE(pty.slave().isEmpty());
    setCom(1, pty.slave());
    receiver(1, 1, 3);

    QString modalName;
    bool visibleAfterClose = false;
    bool mainEnabledDuring = false;
    QTimer::singleShot(1000, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) return;
        modalName = modal->objectName();
        modal->close();
        visibleAfterClose = modal->isVisible();
        mainEnabledDuring = main.widget.isEnabled();
    });
    telechargeGps(true, true, true);

    EXPECT_EQ(modalName, QStringLiteral("frmProgress"));
    EXPECT_TRUE(visibleAfterClose);
    EXPECT_TRUE(mainEnabledDuring);
    EXPECT_EQ(lastMessage(), kNoData + QStringLiteral("\n[ERROR] GPS_Packet_Read: Timeout.  No data received.\n"
                                                      "GARMIN:Can't init ") +
                                 pty.slave());
    EXPECT_EQ(lastIcon(), Icon::Critical);
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(progress.values, (std::vector<int>{1, 2, 3}));
    EXPECT_FALSE(progressWindowShown());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(main.widget.isEnabled());
    QApplication::processEvents();  // activation reaches the window asynchronously
    EXPECT_EQ(QApplication::activeWindow(), &main.widget);
}

TEST_F(GpsErrors, SilentMagellanInBothDirections) {
    Pty pty;
    ASSERT_FALSE(pty.slave().isEmpty());
    setCom(2, pty.slave());
    receiver(2, 2, 4);
    telechargeGps(true, true, true);
    EXPECT_EQ(lastMessage(), kNoData + QStringLiteral("\nMAGPROTO: Read error"));
    EXPECT_EQ(lastIcon(), Icon::Critical);
    EXPECT_EQ(snapshot(), before);

    // A failed upload is not a save either.
    state().modifWaypoints = true;
    state().modifTraces = true;
    envoieGps(true, true, false);
    EXPECT_EQ(lastMessage(), kUploadHeader + QStringLiteral("MAGPROTO: Read error\n"));
    EXPECT_EQ(lastIcon(), Icon::Critical);
    EXPECT_FALSE(state().resultatOk);
    EXPECT_TRUE(state().modifWaypoints && state().modifTraces);
}

TEST_F(GpsErrors, GarminUsbWithNoDevice) {
    if (garminUsbAttached()) GTEST_SKIP() << "a Garmin USB receiver is attached";
    receiver(1, 9, 3);
    telechargeGps(true, true, true);
    EXPECT_EQ(lastMessage(), kNoData + QStringLiteral("\nFound no Garmin USB devices."));
    EXPECT_EQ(snapshot(), before);
    envoieGps(true, true, false);
    EXPECT_EQ(lastMessage(), kUploadHeader + QStringLiteral("Found no Garmin USB devices.\n"));
    EXPECT_EQ(snapshot(), before);
}

TEST_F(GpsErrors, MissingDeviceForEachType) {
    const QString device = path(QStringLiteral("no such/ttyUSB0"));
    setCom(1, device);
    // GPSBabel shows the system's text of the error, in the user's language.
    const QString noSuchFile = QString::fromLocal8Bit(std::strerror(ENOENT));
    const QString expected[] = {
        QStringLiteral("\n[ERROR] XSERIAL: Cannot open serial port '") + device + QStringLiteral("': ") + noSuchFile +
            QStringLiteral("\n[ERROR] Cannot open serial port '") + device +
            QStringLiteral("'\nGARMIN:Can't init ") + device,
        QStringLiteral("\nMAGPROTO: Cannot open file '") + device + QStringLiteral("'!"),
        QStringLiteral("\nnmea: Cannot open file '") + device + QStringLiteral("'!"),
    };
    for (int gps = 1; gps <= 3; ++gps) {
        receiver(gps, 1, 3);
        telechargeGps(true, true, true);
        EXPECT_EQ(lastMessage(), kNoData + expected[gps - 1]) << gps;
        EXPECT_EQ(snapshot(), before);
    }
}

TEST_F(GpsErrors, GpsbabelMissingFromPath) {
    const QByteArray savedPath = qgetenv("PATH");
    QTemporaryDir empty;
    qputenv("PATH", QFile::encodeName(empty.path()));
    setCom(3, writeFile(QStringLiteral("receiver.nmea"), nmeaLog()));
    receiver(3, 3, 3);
    telechargeGps(true, true, true);
    const QString downloadText = lastMessage();
    receiver(1, 9, 3);
    envoieGps(true, true, false);
    const QString uploadText = lastMessage();
    qputenv("PATH", savedPath);

    EXPECT_EQ(downloadText, QStringLiteral("Une erreur s'est produite lors du téléchargement des données depuis le GPS.\n"
                                           "Vérifier que le gps est bien allumé et connecté au port COM3."));
    EXPECT_EQ(uploadText, QStringLiteral("Une erreur s'est produite lors du transfert vers le GPS.\n"
                                         "Vérifier que le gps est bien allumé et connecté au port USB."));
    EXPECT_EQ(prompts->prompts().front().icon, Icon::Exclamation);
    EXPECT_EQ(snapshot(), before);
    EXPECT_FALSE(progressWindowShown());
}

TEST_F(GpsErrors, LogThatCannotBeReplacedStopsBeforeTheRun) {
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("error.log/inside"))));
    setCom(1, writeFile(QStringLiteral("receiver.nmea"), nmeaLog()));
    telechargeGps(true, true, true);
    EXPECT_EQ(lastMessage(), QStringLiteral("Impossible de créer/supprimer le fichier '") + path(QStringLiteral("error.log")) +
                                 QStringLiteral("'.\nVérifiez que ce fichier n'est pas en cours d'utilisation."));
    EXPECT_EQ(lastIcon(), Icon::Exclamation);
    EXPECT_EQ(state().nomFichier, path(QStringLiteral("error.log")));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("out.log"))));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("gps.gpx"))));
    EXPECT_EQ(snapshot(), before);
    EXPECT_FALSE(progressWindowShown());

    // The same for an upload, and for an exchange file that cannot be replaced.
    prompts->clear();
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("gps.gpx/inside"))));
    envoieGps(true, true, false);
    EXPECT_EQ(lastMessage(), QStringLiteral("Impossible de créer/supprimer le fichier '") + path(QStringLiteral("gps.gpx")) +
                                 QStringLiteral("'.\nVérifiez que ce fichier n'est pas en cours d'utilisation."));
    EXPECT_EQ(prompts->prompts().size(), 1u);
}

TEST_F(GpsErrors, UnknownReceiverTypeRunsNothingAndTheNextTransferWorks) {
    setCom(1, writeFile(QStringLiteral("receiver.nmea"), nmeaLog()));
    for (const int gps : {0, 4}) {
        receiver(gps, 1, 3);
        telechargeGps(true, true, true);
        EXPECT_EQ(lastMessage(), QStringLiteral("Type de Gps inconnu."));
        EXPECT_EQ(lastIcon(), Icon::Exclamation);
        EXPECT_FALSE(state().resultatOk);
        envoieGps(true, true, false);
        EXPECT_EQ(lastMessage(), QStringLiteral("Type de Gps inconnu."));
        EXPECT_FALSE(QFile::exists(path(QStringLiteral("out.log"))));
        EXPECT_FALSE(progressWindowShown());
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
    EXPECT_EQ(snapshot(), before);
    receiver(3, 1, 3);
    telechargeGps(true, true, true);
    EXPECT_EQ(lastMessage(), QStringLiteral("Téléchargement terminé."));
}

}  // namespace
}  // namespace sotrix::test
