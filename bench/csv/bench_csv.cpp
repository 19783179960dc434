// Exports 100 tracks of 10,000 points (1,000,000 track points) as CSV, and has ogr2ogr
// write the same fields of the same points as a ";" CSV from a "," dump. Prints the
// median times of three runs each and their ratio.
//
// bench_csv [work folder]: the database and the dump are made there (default: a
// temporary folder) outside the timings.
#include "Database.h"
#include "ExportEngine.h"
#include "FailingPrompter.h"
#include "Median.h"
#include "NumericLocale.h"
#include "State.h"
#include "TypeFichier.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

using namespace sotrix;
using sotrix::bench::median;

namespace {

constexpr int kTracks = 100;
constexpr int kPointsPerTrack = 10000;

QString gHome;
QString gDump;
std::vector<double> gOurs, gOgr;

[[noreturn]] void fail(const QString& why) {
    std::fprintf(stderr, "bench_csv: %s\n", qPrintable(why));
    std::exit(1);
}

double seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

// The workspace with 1,000,000 track points, and the same fields as a "," CSV.
void prepareData(const QString& folder) {
    gHome = folder;
    const QString dbPath = QDir(folder).filePath(QStringLiteral("sotrix.mdb"));
    QFile::remove(dbPath);
    if (!QFile::copy(QStringLiteral(SOTRIX_DELIVERED_DB), dbPath)) fail(QStringLiteral("cannot copy the database"));
    QFile::setPermissions(dbPath, QFile::ReadOwner | QFile::WriteOwner);
    gDump = QDir(folder).filePath(QStringLiteral("dump.csv"));
    QFile dump(gDump);
    if (!dump.open(QIODevice::WriteOnly)) fail(QStringLiteral("cannot write ") + gDump);
    QByteArray out = "Trace,Nom,X,Y,Altitude,Date,Description\n";

    std::mt19937_64 rng(20240501);
    std::uniform_real_distribution<double> x(20000, 290000), y(20000, 250000), alt(0, 700);
    Database db(dbPath);
    Transaction tx(db);
    Statement track(db, QStringLiteral("INSERT INTO Trace (Id_trace, Nom, Nb) VALUES (?, ?, ?)"));
    Statement point(db, QStringLiteral("INSERT INTO Points (X, Y, Lon, Lat, Altitude, Date, Trace, Num_trace) "
                                       "VALUES (?, ?, 4.5, 50.5, ?, ?, ?, ?)"));
    const QDateTime start(QDate(2024, 5, 1), QTime(6, 0), Qt::UTC);
    for (int t = 1; t <= kTracks; ++t) {
        track.run({t, QStringLiteral("Trace %1").arg(t), kPointsPerTrack});
        for (int n = 1; n <= kPointsPerTrack; ++n) {
            const double px = std::round(x(rng) * 1000) / 1000, py = std::round(y(rng) * 1000) / 1000;
            const double z = std::round(alt(rng) * 10) / 10;
            const QDateTime when = start.addSecs(qint64(t) * 86400 + n);
            point.run({px, py, z, when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), t, n});
            out.append(QByteArray::number(t)).append(',').append(QByteArray::number(n)).append(',');
            out.append(QByteArray::number(px, 'g', 15)).append(',').append(QByteArray::number(py, 'g', 15)).append(',');
            out.append(QByteArray::number(z, 'g', 15)).append(',');
            out.append(when.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")).toLatin1()).append(",\n");
        }
        dump.write(out);
        out.clear();
    }
    tx.commit();
}

void BM_ExportCsv(benchmark::State& st) {
    for (auto _ : st) {
        QTemporaryDir dir(QDir(gHome).filePath(QStringLiteral("outXXXXXX")));
        resetState();
        state().prompter = std::make_shared<bench::FailingPrompter>("bench_csv");
        state().typeFichier = typefichier::kEnregistrerCsv;
        state().projExport = 1;
        state().nomFichier = QDir(dir.path()).filePath(QStringLiteral("out.csv"));
        const auto t0 = std::chrono::steady_clock::now();
        exporteFichier(true, true, false, false, false);
        st.SetIterationTime(gOurs.emplace_back(seconds(std::chrono::steady_clock::now() - t0)));
        if (!state().resultatOk || QFileInfo(state().nomFichier).size() < 50000000)
            fail(QStringLiteral("the export failed"));
    }
}

void BM_Ogr2ogr(benchmark::State& st) {
    for (auto _ : st) {
        QTemporaryDir dir(QDir(gHome).filePath(QStringLiteral("refXXXXXX")));
        const QString ref = QDir(dir.path()).filePath(QStringLiteral("ref.csv"));
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        const auto t0 = std::chrono::steady_clock::now();
        p.start(QStringLiteral("ogr2ogr"), {"-f", "CSV", "-lco", "SEPARATOR=SEMICOLON", "-lco", "LINEFORMAT=CRLF", ref, gDump});
        const bool ok = p.waitForFinished(600000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
        st.SetIterationTime(gOgr.emplace_back(seconds(std::chrono::steady_clock::now() - t0)));
        if (!ok || QFileInfo(ref).size() < 50000000) fail(QStringLiteral("ogr2ogr failed"));
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
    std::printf("Filling the database and writing dump.csv ...\n");
    prepareData(folder);

    benchmark::RegisterBenchmark("export_csv_1M_points", BM_ExportCsv)
        ->Iterations(1)->Repetitions(3)->UseManualTime()->Unit(benchmark::kSecond);
    benchmark::RegisterBenchmark("ogr2ogr_csv_1M_points", BM_Ogr2ogr)
        ->Iterations(1)->Repetitions(3)->UseManualTime()->Unit(benchmark::kSecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    const double ours = median(gOurs), ogr = median(gOgr);
    std::printf("\n1,000,000 track points (100 tracks of 10,000)\n");
    std::printf("CSV export: median %.2f s\n", ours);
    std::printf("ogr2ogr (\",\" CSV to \";\" CSV, same fields): median %.2f s\n", ogr);
    std::printf("ratio ours / ogr2ogr: %.2f (goal <= 1.0)\n", ogr > 0 ? ours / ogr : 0.0);
    return 0;
}
