// Imports GPX files of 10,000, 100,000 and 1,000,000 points (parse, project into Belgian
// Lambert 72, store, check names and count points, commit), each import in a process of
// its own so that its peak memory is its own, against ogr2ogr writing the same file's
// waypoints and track points, projected the same way, into an SQLite database. Both
// times include the process start; medians of three runs each, with each side's peak
// memory. Then the insert path alone: 1,001,000 rows written through ImportInserts
// against SQLite's INSERT ... SELECT of the same rows.
//
// bench_import [data folder]: the GPX files are generated (through GPSBabel, as a
// receiver's files would be) into that folder once and kept for later runs; the
// workspaces and ogr2ogr's outputs are written there too, on disk.
#include "ChildReport.h"
#include "RowChecks.h"
#include "Workspace.h"
#include "Database.h"
#include "DeliveredCopy.h"
#include "Fail.h"
#include "GpxGenerator.h"
#include "ImportOnce.h"
#include "InsertPath.h"
#include "Median.h"
#include "NumericLocale.h"
#include "ProcessRun.h"
#include "proj4.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

using namespace sotrix;
using bench::fail;
using bench::median;

namespace {

constexpr int kRepetitions = 3;
constexpr int kInsertWaypoints = 1000;
constexpr int kInsertTracks = 100;
constexpr int kInsertTrackPoints = 10000;

struct Size {
    Size(const char* l, int points) : label(l), layout(bench::GpxLayout::forPoints(points)) {}
    const char* label;
    bench::GpxLayout layout;
    QString gpx;
    std::vector<double> ours, oursWork, oursPeak, ogr, ogrPeak;
};

struct Insertions {
    std::vector<double> ours, bulk;
};

// One run per iteration, timed by the benchmark itself.
void configure(benchmark::internal::Benchmark* b) {
    b->Iterations(1)->Repetitions(kRepetitions)->UseManualTime()->Unit(benchmark::kSecond);
}

double maxOf(const std::vector<double>& v) { return v.empty() ? 0 : *std::max_element(v.begin(), v.end()); }

QString thousands(qint64 n) { return QLocale(QLocale::English).toString(n); }

// The file of that layout in folder, generated once: our writer, then GPSBabel to GPX 1.0.
QString prepareGpx(const QString& folder, const char* label, const bench::GpxLayout& layout) {
    const QString path = QDir(folder).filePath(QStringLiteral("bench-%1.gpx").arg(QLatin1String(label)));
    if (QFileInfo(path).size() > 0) return path;
    const QString gen = QDir(folder).filePath(QStringLiteral("gen.gpx"));
    std::printf("Writing %s ...\n", qPrintable(path));
    if (!bench::writeBenchGpx(gen, layout)) fail(QStringLiteral("cannot write ") + gen);
    if (!bench::runProcess(QStringLiteral("gpsbabel"), {"-i", "gpx", "-f", gen, "-o", "gpx,gpxver=1.0", "-F", path}).ok)
        fail(QStringLiteral("gpsbabel failed"));
    QFile::remove(gen);
    return path;
}

// Reads the file once so that neither side pays for its first read from the disk.
void warm(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) fail(QStringLiteral("cannot read ") + path);
    while (!f.read(1 << 20).isEmpty()) {
    }
}

void registerImport(Size& s, const QString& folder) {
    configure(benchmark::RegisterBenchmark(
        (QStringLiteral("import_gpx/") + QLatin1String(s.label)).toLatin1().constData(),
        [&s, folder](benchmark::State& st) {
            for (auto _ : st) {
                const bench::Workspace w(folder);
                const auto run = bench::runSelf({QStringLiteral("--one"), s.gpx, w.home()});
                if (!run) fail(QStringLiteral("the import of ") + s.gpx + " failed");
                bench::checkImport(w.db(), s.layout);
                st.SetIterationTime(run->seconds);
                st.counters["peak_MiB"] = run->peakMiB;
                s.ours.push_back(run->seconds);
                s.oursWork.push_back(run->workSeconds);
                s.oursPeak.push_back(run->peakMiB);
            }
        }));
}

void registerOgr(Size& s, const QString& folder, const QString& gps, const QString& carto) {
    configure(benchmark::RegisterBenchmark(
        (QStringLiteral("ogr2ogr_sqlite/") + QLatin1String(s.label)).toLatin1().constData(),
        [&s, folder, gps, carto](benchmark::State& st) {
            for (auto _ : st) {
                const QTemporaryDir dir(QDir(folder).filePath(QStringLiteral("ogr-XXXXXX")));
                const QString out = dir.filePath(QStringLiteral("out.sqlite"));
                const bench::ProcessRun run =
                    bench::runProcess(QStringLiteral("ogr2ogr"),
                                      {"-f", "SQLite", "-gt", "unlimited", out, s.gpx, "waypoints", "track_points",
                                       "-s_srs", gps, "-t_srs", carto, "-select", "name,ele,time"});
                if (!run.ok) fail(QStringLiteral("ogr2ogr failed on ") + s.gpx);
                bench::checkOgrOutput(out, s.layout);
                st.SetIterationTime(run.seconds);
                st.counters["peak_MiB"] = run.peakMiB;
                s.ogr.push_back(run.seconds);
                s.ogrPeak.push_back(run.peakMiB);
            }
        }));
}

template <class Write>
void registerInsert(const char* name, const QString& folder, std::vector<double>& times, Write write) {
    configure(benchmark::RegisterBenchmark(name, [folder, &times, write](benchmark::State& st) {
        for (auto _ : st) {
            bench::ImportRows rows = bench::makeImportRows(kInsertWaypoints, kInsertTracks, kInsertTrackPoints);
            const bench::Workspace w(folder);
            Database db(w.db());
            const double seconds = write(db, std::move(rows));
            bench::checkInserted(db, kInsertWaypoints, kInsertTracks, kInsertTrackPoints);
            st.SetIterationTime(seconds);
            times.push_back(seconds);
        }
    }));
}

void report(const std::vector<Size>& sizes, const Insertions& ins, double floor) {
    std::printf("\nImport of a GPX file, medians of %d runs; times include the process start\n", kRepetitions);
    std::printf("(a child is charged at least %.1f MiB, the pages of this program it holds until exec)\n", floor);
    for (const Size& s : sizes) {
        if (s.ours.empty() || s.ogr.empty()) continue;
        const double ours = median(s.ours), ogr = median(s.ogr);
        std::printf("\n%s points (%s waypoints, %s track%s), %.1f MB\n", qPrintable(thousands(s.layout.points)),
                    qPrintable(thousands(s.layout.waypoints)), qPrintable(thousands(s.layout.tracks)),
                    s.layout.tracks > 1 ? "s" : "", double(QFileInfo(s.gpx).size()) / 1e6);
        std::printf("  ours:    %7.3f s  %6.2f us/point  peak %6.1f MiB  (importeFichier alone %.3f s)\n", ours,
                    ours * 1e6 / s.layout.points, maxOf(s.oursPeak), median(s.oursWork));
        std::printf("  ogr2ogr: %7.3f s  %6.2f us/point  peak %6.1f MiB\n", ogr, ogr * 1e6 / s.layout.points,
                    maxOf(s.ogrPeak));
        std::printf("  ratio ours / ogr2ogr: %.2f (goal <= 0.4)\n", ogr > 0 ? ours / ogr : 0.0);
    }
    if (sizes.size() == 3 && !sizes[1].oursPeak.empty() && !sizes[2].oursPeak.empty())
        std::printf("\nour peak memory, 1M / 100k: %.2f (%.1f / %.1f MiB; goal: under 100 MiB at 1M, within 1.2)\n",
                    maxOf(sizes[2].oursPeak) / maxOf(sizes[1].oursPeak), maxOf(sizes[2].oursPeak),
                    maxOf(sizes[1].oursPeak));
    if (!ins.ours.empty() && !ins.bulk.empty()) {
        const double ours = median(ins.ours), bulk = median(ins.bulk);
        std::printf("\nInsert path, %s rows (%d waypoints, %d tracks of %s points), medians of %d runs\n",
                    qPrintable(thousands(kInsertWaypoints + qint64(kInsertTracks) * kInsertTrackPoints)),
                    kInsertWaypoints, kInsertTracks, qPrintable(thousands(kInsertTrackPoints)), kRepetitions);
        std::printf("  ImportInserts:          %.3f s\n", ours);
        std::printf("  INSERT ... SELECT:      %.3f s\n", bulk);
        std::printf("  ratio ours / bulk:      %.2f (goal <= 1.3)\n", bulk > 0 ? ours / bulk : 0.0);
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    useCNumericLocale();
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QLatin1String("--one")) return bench::importOnce(args[2], args[3]);

    benchmark::Initialize(&argc, argv);
    const QString folder =
        argc > 1 ? QString::fromLocal8Bit(argv[1])
                 : QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("bench-import-data"));
    QDir().mkpath(folder);
    QString gps, carto;
    {
        const bench::DeliveredCopy delivered;
        Database db(delivered.path());
        gps = definitionProj(db, 4326).value_or(QString());
        carto = definitionProj(db, 31370).value_or(QString());
    }
    if (gps.isEmpty() || carto.isEmpty()) fail(QStringLiteral("no definition for 4326 or 31370"));

    std::vector<Size> sizes;
    for (const auto& [label, points] : {std::pair{"10k", 10000}, {"100k", 100000}, {"1M", 1000000}})
        sizes.emplace_back(label, points);
    for (Size& s : sizes) {
        s.gpx = prepareGpx(folder, s.label, s.layout);
        warm(s.gpx);
    }
    const double floor = bench::measuringFloorMiB();

    // The processes first, while this one is still small (see ProcessRun.h).
    for (Size& s : sizes) {
        registerImport(s, folder);
        registerOgr(s, folder, gps, carto);
    }
    Insertions ins;
    registerInsert("insert_path/ImportInserts", folder, ins.ours, [](Database& db, bench::ImportRows rows) {
        return bench::writeThroughImportInserts(db, std::move(rows));
    });
    registerInsert("insert_path/insert_select", folder, ins.bulk,
                   [](Database& db, bench::ImportRows rows) { return bench::writeThroughInsertSelect(db, rows); });
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    report(sizes, ins, floor);
    return 0;
}
