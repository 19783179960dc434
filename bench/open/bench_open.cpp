// File > Ouvrir of a ";" CSV of 1,000,000 waypoints, of a point shapefile of the same
// waypoints, of a GPX of as many waypoints and 1,000 tracks of 1,000 points ("gpx") and of
// a GPX of 1,000 GPS logs of 1,000 points alone ("log"), in the real main window on the
// offscreen platform: each open in a process of its own, timed from the process start
// until the window is idle with its lists filled and its map drawn, against ogr2ogr
// writing the same file into an SQLite database (for a GPX, its waypoints and
// track_points layers, or the logs' track_points alone, in the map's system), timed from
// its own start.
// Prints each run, then per file the ratios (min / median / max) and both peaks.
//
// bench_open [data folder [runs [points [kind...]]]]: the files are written there once and kept;
// the workspaces and ogr2ogr's outputs are written there too, on disk.
#include "ChildReport.h"
#include "Database.h"
#include "DeliveredCopy.h"
#include "Fail.h"
#include "Median.h"
#include "NumericLocale.h"
#include "OpenData.h"
#include "OpenOnce.h"
#include "ProcessRun.h"
#include "Settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <unistd.h>
#include <vector>

using namespace sotrix;
using bench::fail;

namespace {

struct Side {
    std::vector<double> seconds, peaks;
};

struct Kind {
    const char* label;  // as the child takes it
    QString file;
    qint64 waypoints, trackPoints;  // what the file holds
    QStringList ogrLayers;          // the layers ogr2ogr writes, none for all
    double goalRatio, goalPeakMiB;
    Side ours, ogr;
    std::vector<double> ratios;
};

// A program folder with a fresh workspace whose settings leave the network alone.
void makeHome(const QString& home) {
    const QString db = QDir(home).filePath(QStringLiteral("sotrix.mdb"));
    if (!bench::copyDelivered(db)) fail(QStringLiteral("cannot copy the database into ") + home);
    Database d(db);
    Parametres p = parametresDefaut();
    p.dossier = home;
    p.checkUpdate = false;
    ecritOptions(d, p);
}

qint64 count(const QString& db, const QString& sql) { return Database(db).scalar(sql).toLongLong(); }

// The input in the system's cache, and no write of an earlier run still going to disk,
// so that each side starts from the same state.
void warm(const QString& path) {
    for (const char* ext : {"", ".dbf", ".shx"}) {
        QFile f(ext[0] ? QString(path).replace(QStringLiteral(".shp"), QLatin1String(ext)) : path);
        if (!f.open(QIODevice::ReadOnly)) continue;
        while (!f.read(1 << 20).isEmpty()) {
        }
    }
    ::sync();
}

void runOurs(Kind& k, const QString& folder) {
    const QTemporaryDir home(QDir(folder).filePath(QStringLiteral("home-XXXXXX")));
    makeHome(home.path());
    warm(k.file);
    const auto run = bench::runSelf({QStringLiteral("--one"), QLatin1String(k.label), k.file, home.path(),
                                     QString::number(k.waypoints)});
    if (!run) fail(QStringLiteral("the open of ") + k.file + QStringLiteral(" failed"));
    const QString db = QDir(home.path()).filePath(QStringLiteral("sotrix.mdb"));
    if (count(db, QStringLiteral("SELECT COUNT(*) FROM Points WHERE Trace = 0")) != k.waypoints ||
        count(db, QStringLiteral("SELECT COUNT(*) FROM Points WHERE Trace <> 0")) != k.trackPoints)
        fail(QStringLiteral("the workspace does not hold every point"));
    k.ours.seconds.push_back(run->seconds);
    k.ours.peaks.push_back(run->peakMiB);
}

void runOgr(Kind& k, const QString& folder) {
    const QTemporaryDir dir(QDir(folder).filePath(QStringLiteral("ogr-XXXXXX")));
    const QString out = dir.filePath(QStringLiteral("out.sqlite"));
    const bool gpx = k.file.endsWith(QLatin1String(".gpx"));
    QStringList args{"-f", "SQLite", "-gt", "unlimited", out, k.file};
    if (gpx)
        args << "-t_srs" << "EPSG:31370" << k.ogrLayers;
    else
        args << "-nln" << "points";
    if (k.file.endsWith(QLatin1String(".csv")))
        args << "-oo" << "X_POSSIBLE_NAMES=X" << "-oo" << "Y_POSSIBLE_NAMES=Y";
    warm(k.file);
    const bench::ProcessRun run = bench::runProcess(QStringLiteral("ogr2ogr"), args);
    if (!run.ok) fail(QStringLiteral("ogr2ogr failed on ") + k.file);
    const bool written = !gpx ? count(out, QStringLiteral("SELECT COUNT(*) FROM points")) == k.waypoints
                         : k.waypoints == 0
                             ? count(out, QStringLiteral("SELECT COUNT(*) FROM track_points")) == k.trackPoints
                             : count(out, QStringLiteral("SELECT COUNT(*) FROM waypoints")) == k.waypoints;
    if (!written) fail(QStringLiteral("ogr2ogr did not write every point"));
    k.ogr.seconds.push_back(run.seconds);
    k.ogr.peaks.push_back(run.peakMiB);
}

double maxOf(const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); }
double minOf(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

void report(const Kind& k, int runs, double floor) {
    std::printf("\nFichier > Ouvrir, %s, %lld waypoints and %lld track points, %d runs (times from the process start)\n",
                k.label, k.waypoints, k.trackPoints, runs);
    std::printf("  ours:    median %7.3f s  peak %6.1f MiB\n", bench::median(k.ours.seconds), maxOf(k.ours.peaks));
    std::printf("  ogr2ogr: median %7.3f s  peak %6.1f MiB\n", bench::median(k.ogr.seconds), maxOf(k.ogr.peaks));
    std::printf("  ratio ours / ogr2ogr: min %.2f  median %.2f  max %.2f (goal <= %.1f)\n", minOf(k.ratios),
                bench::median(k.ratios), maxOf(k.ratios), k.goalRatio);
    std::printf("  our peak %.1f MiB (goal <= %.0f; a child is charged at least %.1f MiB before exec)\n",
                maxOf(k.ours.peaks), k.goalPeakMiB, floor);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 6 && qstrcmp(argv[1], "--one") == 0)
        return bench::openOnce(argc, argv, QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                               QString::fromLocal8Bit(argv[4]), QByteArray(argv[5]).toLongLong());

    QCoreApplication app(argc, argv);
    useCNumericLocale();
    // Absolute: the window's process works in the folder of its settings.
    const QString folder = argc > 1 ? QDir(QString::fromLocal8Bit(argv[1])).absolutePath()
                                    : QCoreApplication::applicationDirPath() + QStringLiteral("/bench-open-data");
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 3;
    const int points = argc > 3 ? std::max(1, atoi(argv[3])) : 1000000;
    QDir().mkpath(folder);
    const bench::OpenFiles files = bench::prepareOpenFiles(folder, points);
    const double floor = bench::measuringFloorMiB();

    const QStringList gpxLayers{"waypoints", "track_points"};
    std::vector<Kind> kinds{{"csv", files.csv, points, 0, {}, 1.5, 150, {}, {}, {}},
                            {"shp", files.shp, points, 0, {}, 1.5, 150, {}, {}, {}},
                            {"gpx", files.gpx, points, files.trackPoints, gpxLayers, 0.6, 150, {}, {}, {}},
                            {"log", files.log, 0, files.trackPoints, {"track_points"}, 0.6, 150, {}, {}, {}}};
    // Only the kinds named after the other arguments, when some are.
    if (argc > 4) {
        const QStringList wanted = QCoreApplication::arguments().mid(4);
        std::erase_if(kinds, [&wanted](const Kind& k) { return !wanted.contains(QLatin1String(k.label)); });
    }
    for (Kind& k : kinds) {
        for (int i = 0; i < runs; ++i) {
            runOgr(k, folder);
            runOurs(k, folder);
            k.ratios.push_back(k.ours.seconds.back() / k.ogr.seconds.back());
            std::printf("%s run %d: ours %.3f s (%.1f MiB), ogr2ogr %.3f s (%.1f MiB), ratio %.2f\n", k.label, i + 1,
                        k.ours.seconds.back(), k.ours.peaks.back(), k.ogr.seconds.back(), k.ogr.peaks.back(),
                        k.ratios.back());
            std::fflush(stdout);
        }
    }
    for (const Kind& k : kinds) report(k, runs, floor);
    return 0;
}
