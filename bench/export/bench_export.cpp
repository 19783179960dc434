// Exports 100 tracks of 10,000 points (1,000,000 track points) as the "_tw" shapefile set
// and has ogr2ogr write the same points, with the same fields, widths and code page, as
// a shapefile from a CSV dump. Prints the median times of three runs each and their
// ratio, then the time of the full set (polylines too) for information.
//
// bench_export [work folder]: the database and the CSV dump are made there (default: a
// temporary folder) outside the timings.
#include "FailingPrompter.h"
#include "Median.h"
#include "Database.h"
#include "ExportEngine.h"
#include "NumericLocale.h"
#include "State.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <utility>
#include <vector>

using namespace sotrix;
using sotrix::bench::median;

namespace {

constexpr int kTracks = 100;
constexpr int kPointsPerTrack = 10000;

QString gHome;
QString gCsv;
std::vector<double> gOurs, gOgr, gFull;

[[noreturn]] void fail(const QString& why) {
    std::fprintf(stderr, "bench_export: %s\n", qPrintable(why));
    std::exit(1);
}

void append(QByteArray& out, double v) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, r.ptr - buf);
}

// The workspace database with 1,000,000 seeded track points, and the same rows as CSV.
void prepareData(const QString& folder) {
    gHome = folder;
    const QString dbPath = QDir(folder).filePath(QStringLiteral("sotrix.mdb"));
    QFile::remove(dbPath);
    if (!QFile::copy(QStringLiteral(SOTRIX_DELIVERED_DB), dbPath)) fail(QStringLiteral("cannot copy the database"));
    QFile::setPermissions(dbPath, QFile::ReadOwner | QFile::WriteOwner);

    gCsv = QDir(folder).filePath(QStringLiteral("pts.csv"));
    QFile csv(gCsv);
    if (!csv.open(QIODevice::WriteOnly)) fail(QStringLiteral("cannot write ") + gCsv);
    QFile csvt(QDir(folder).filePath(QStringLiteral("pts.csvt")));
    if (!csvt.open(QIODevice::WriteOnly)) fail(QStringLiteral("cannot write pts.csvt"));
    csvt.write("Integer(11),Integer(11),Real(20.8),Real(20.8),Real(20.8),String(19),String(254)\n");
    QByteArray out = "Trace,Num_trace,Lon,Lat,Altitude,DateMesure,Description\n";

    std::mt19937_64 rng(20240501);
    std::uniform_real_distribution<double> lat(49.6, 51.4), lon(2.6, 6.3), alt(0, 700);
    Database db(dbPath);
    Transaction tx(db);
    Statement track(db, QStringLiteral("INSERT INTO Trace (Id_trace, Nom, Fermer, Nb) VALUES (?, ?, ?, ?)"));
    Statement point(db, QStringLiteral("INSERT INTO Points (Lon, Lat, X, Y, Altitude, Date, Trace, Num_trace) "
                                       "VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
    const QDateTime start(QDate(2024, 5, 1), QTime(6, 0), Qt::UTC);
    for (int t = 1; t <= kTracks; ++t) {
        track.run({t, QStringLiteral("Trace %1").arg(t), t % 2, kPointsPerTrack});
        for (int n = 1; n <= kPointsPerTrack; ++n) {
            const double x = lon(rng), y = lat(rng), z = std::round(alt(rng) * 10) / 10;
            const QDateTime when = start.addSecs(qint64(t) * 86400 + n);
            point.run({x, y, x * 100000, y * 100000, z, when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), t, n});
            out.append(QByteArray::number(t)).append(',').append(QByteArray::number(n)).append(',');
            append(out, x);
            out.append(',');
            append(out, y);
            out.append(',');
            append(out, z);
            out.append(',').append(when.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")).toLatin1()).append(",\n");
        }
        csv.write(out);
        out.clear();
    }
    tx.commit();
}

bool run(const QString& program, const QStringList& args) {
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.setStandardOutputFile(QProcess::nullDevice());
    p.start(program, args);
    return p.waitForFinished(600000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

double seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

void expectSize(const QString& path, qint64 size) {
    if (QFileInfo(path).size() != size)
        fail(QStringLiteral("%1: %2 bytes, %3 expected").arg(path).arg(QFileInfo(path).size()).arg(size));
}

// One export into a fresh folder; lines adds the polyline and polygon sets.
double exportOnce(bool lines) {
    QTemporaryDir dir(QDir(gHome).filePath(QStringLiteral("outXXXXXX")));
    resetState();
    state().prompter = std::make_shared<bench::FailingPrompter>("bench_export");
    state().typeFichier = 1;
    state().projExport = 0;
    state().nomFichier = QDir(dir.path()).filePath(QStringLiteral("out.shp"));
    const auto t0 = std::chrono::steady_clock::now();
    exporteFichier(false, true, lines, true, false);
    const double s = seconds(std::chrono::steady_clock::now() - t0);
    if (!state().resultatOk) fail(QStringLiteral("the export failed"));
    expectSize(QDir(dir.path()).filePath(QStringLiteral("out_tw.shp")), 28000100);
    expectSize(QDir(dir.path()).filePath(QStringLiteral("out_tw.shx")), 8000100);
    expectSize(QDir(dir.path()).filePath(QStringLiteral("out_tw.dbf")), 257 + 356LL * 1000000 + 1);
    return s;
}

void BM_Export(benchmark::State& st) {
    for (auto _ : st) st.SetIterationTime(gOurs.emplace_back(exportOnce(false)));
}

void BM_ExportFullSet(benchmark::State& st) {
    for (auto _ : st) st.SetIterationTime(gFull.emplace_back(exportOnce(true)));
}

void BM_Ogr2ogr(benchmark::State& st) {
    for (auto _ : st) {
        QTemporaryDir dir(QDir(gHome).filePath(QStringLiteral("refXXXXXX")));
        const QString ref = QDir(dir.path()).filePath(QStringLiteral("ref_tw.shp"));
        const auto t0 = std::chrono::steady_clock::now();
        const bool ok = run(QStringLiteral("ogr2ogr"),
                            {"-f", "ESRI Shapefile", "-lco", "ENCODING=LDID/87", "-oo", "X_POSSIBLE_NAMES=Lon", "-oo",
                             "Y_POSSIBLE_NAMES=Lat", ref, gCsv});
        const double s = seconds(std::chrono::steady_clock::now() - t0);
        if (!ok) fail(QStringLiteral("ogr2ogr failed"));
        st.SetIterationTime(gOgr.emplace_back(s));
        expectSize(ref, 28000100);
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    useCNumericLocale();
    benchmark::Initialize(&argc, argv);
    QTemporaryDir tmp;
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : tmp.path();
    QDir().mkpath(folder);
    qputenv("SOTRIX_HOME", QFile::encodeName(folder));
    std::printf("Filling the database and writing pts.csv ...\n");
    prepareData(folder);

    using Run = void (*)(benchmark::State&);
    const std::pair<const char*, Run> runs[] = {
        {"export_tw_1M_points", BM_Export}, {"ogr2ogr_1M_points", BM_Ogr2ogr}, {"export_full_set", BM_ExportFullSet}};
    for (const auto& [name, fn] : runs)
        benchmark::RegisterBenchmark(name, fn)->Iterations(1)->Repetitions(3)->UseManualTime()->Unit(benchmark::kSecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    const double ours = median(gOurs), ogr = median(gOgr);
    std::printf("\n1,000,000 track points (100 tracks of 10,000)\n");
    std::printf("export \"_tw\" set: median %.2f s\n", ours);
    std::printf("ogr2ogr (CSV to shapefile, same fields): median %.2f s\n", ogr);
    std::printf("ratio ours / ogr2ogr: %.2f (goal <= 1.0)\n", ogr > 0 ? ours / ogr : 0.0);
    std::printf("full set (\"_tl\", \"_tp\" and \"_tw\"), for information: median %.2f s\n", median(gFull));
    return 0;
}
