#include "test_gps_fixture.h"

#include "Database.h"
#include "State.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QProgressBar>

#include <chrono>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

namespace sotrix::test {

QByteArray nmea(const QByteArray& body) {
    unsigned char sum = 0;
    for (const char c : body) sum ^= static_cast<unsigned char>(c);
    return '$' + body + '*' + QByteArray::number(sum, 16).toUpper().rightJustified(2, '0') + "\r\n";
}

QByteArray nmeaLog() {
    return nmea("GPWPL,5050.123,N,00420.568,E,CAMP1") + nmea("GPWPL,5051.000,N,00421.000,E,ECOLE") +
           nmea("GPGGA,101500,5050.100,N,00420.500,E,1,08,1.0,100.0,M,47.0,M,,") +
           nmea("GPRMC,101500,A,5050.100,N,00420.500,E,0.0,0.0,150304,,") +
           nmea("GPGGA,101510,5050.200,N,00420.600,E,1,08,1.0,101.0,M,47.0,M,,") +
           nmea("GPRMC,101510,A,5050.200,N,00420.600,E,0.0,0.0,150304,,");
}

RecordingMainView::RecordingMainView() {
    widget.setObjectName(QStringLiteral("frmAccueil"));
    widget.resize(300, 200);
}

ProgressRecorder::ProgressRecorder() { qApp->installEventFilter(this); }
ProgressRecorder::~ProgressRecorder() { qApp->removeEventFilter(this); }

bool ProgressRecorder::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show && watched->objectName() == QStringLiteral("frmProgress")) {
        if (auto* bar = watched->findChild<QProgressBar*>(QStringLiteral("progress"))) {
            ++windowsShown;
            QObject::connect(bar, &QProgressBar::valueChanged, this, [this](int v) { values.push_back(v); });
        }
    }
    return false;
}

Pty::Pty() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0)
        slave_ = QString::fromLocal8Bit(::ptsname(master_));
}

Pty::~Pty() {
    stop();
    if (master_ >= 0) ::close(master_);
}

void Pty::stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
}

void Pty::sendAfter(int delayMs, QByteArray data) {
    thread_ = std::thread([this, delayMs, data] {
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        if (!stop_) {
            [[maybe_unused]] auto n = ::write(master_, data.constData(), size_t(data.size()));
        }
    });
}

void Pty::sendForever(int periodMs, QByteArray sentence) {
    thread_ = std::thread([this, periodMs, sentence] {
        while (!stop_) {
            [[maybe_unused]] auto n = ::write(master_, sentence.constData(), size_t(sentence.size()));
            std::this_thread::sleep_for(std::chrono::milliseconds(periodMs));
        }
    });
}

void Pty::drain() {
    thread_ = std::thread([this] {
        char buffer[4096];
        while (!stop_) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0 || !(p.revents & POLLIN)) continue;
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n > 0) received_.append(buffer, n);
        }
    });
}

QByteArray Pty::received() {
    stop();
    return received_;
}

void GpsTest::SetUp() {
    WorkspaceTest::SetUp();
    loadOptions();
    state().mainView = &main;
    main.widget.show();
    receiver(3);
}

void GpsTest::TearDown() {
    for (const QString& var : comVars_) qunsetenv(var.toLatin1().constData());
    state().mainView = nullptr;
    WorkspaceTest::TearDown();
}

void GpsTest::receiver(int gps, int port, int vitesse, bool supInt) {
    State& s = state();
    s.paramGps = gps;
    s.paramPort = port;
    s.paramVitesse = vitesse;
    s.paramSupInt = supInt;
}

void GpsTest::setCom(int port, const QString& device) {
    const QString var = QStringLiteral("SOTRIX_COM") + QString::number(port);
    qputenv(var.toLatin1().constData(), QFile::encodeName(device));
    comVars_ << var;
}

QString GpsTest::writeFile(const QString& name, const QByteArray& data) {
    const QString file = QDir::isAbsolutePath(name) ? name : path(name);
    QFile f(file);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(data);
    return file;
}

void GpsTest::seedWorkspace() {
    DbGuard db;
    db->exec(QStringLiteral("insert into Points (Nom, X, Y, Lat, Lon, Altitude, Date, Description, Trace) "
                            "values ('CAMP1', 149070.5, 169345.2, 50.835, 4.343, 100.0, '2004-03-15 10:00:00', 'base', 0)"));
    db->exec(QStringLiteral("insert into Trace (Id_trace, Nom, Nb) values (7, 'T1', 2)"));
    db->exec(QStringLiteral("insert into Points (Nom, X, Y, Lat, Lon, Altitude, Date, Trace, Num_trace) values "
                            "('', 149100, 169400, 50.836, 4.344, 110.0, '2004-03-15 10:15:00', 7, 1), "
                            "('', 149200, 169500, 50.837, 4.345, 120.0, '2004-03-15 10:16:00', 7, 2)"));
    State& s = state();
    s.nbWaypoints = 1;
    s.nbTraces = 1;
}

QStringList GpsTest::snapshot() {
    QStringList rows;
    DbGuard db;
    for (const QString& sql : {QStringLiteral("select * from Points order by Id_point"),
                               QStringLiteral("select * from Trace order by Id_trace")}) {
        Cursor c = db->query(sql);
        while (c.next()) {
            QStringList fields;
            for (int i = 0; i < c.columnCount(); ++i) fields << c.value(i).toString();
            rows << fields.join(u'|');
        }
    }
    return rows;
}

QString GpsTest::lastMessage() const { return prompts->prompts().empty() ? QString() : prompts->prompts().back().text; }

Icon GpsTest::lastIcon() const { return prompts->prompts().empty() ? Icon::None : prompts->prompts().back().icon; }

bool GpsTest::progressWindowShown() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QStringLiteral("frmProgress") && w->isVisible()) return true;
    return false;
}

}  // namespace sotrix::test
