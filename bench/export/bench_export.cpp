// Exports 100 tracks of 10,000 points (1,000,000 track points) as the "_tw" shapefile set,
// each export in a process of its own, and has ogr2ogr write the same points from the
// same "sotrix.mdb", read through an OGR VRT whose SQL formats the dates as our export
// writes them, with the same fields, widths and code page. Both times include the process
// start; medians of three runs each, with each side's peak memory. The two outputs are
// then compared byte for byte. The full set (polylines and polygons too) follows for
// information.
//
// bench_export [work folder]: the database, the VRT and the outputs are made there
// (default: a temporary folder).
#include "ChildReport.h"
#include "ExportData.h"
#include "ExportOnce.h"
#include "Fail.h"
#include "FileCompare.h"
#include "Median.h"
#include "NumericLocale.h"
#include "OutputDiff.h"
#include "ProcessRun.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace sotrix;
using bench::fail;
using bench::median;

namespace {

constexpr int kRepetitions = 3;
constexpr qint64 kPoints = qint64(bench::kTracks) * bench::kPointsPerTrack;
const char* const kSuffixes[] = {"shp", "shx", "dbf"};

struct Runs {
    std::vector<double> seconds, work, peak;
    void add(double s, double w, double p) {
        seconds.push_back(s);
        work.push_back(w);
        peak.push_back(p);
    }
};

void configure(benchmark::internal::Benchmark* b) {
    b->Iterations(1)->Repetitions(kRepetitions)->UseManualTime()->Unit(benchmark::kSecond);
}

double maxOf(const std::vector<double>& v) { return v.empty() ? 0 : *std::max_element(v.begin(), v.end()); }

// An empty folder under the work folder for one side's output, kept for the comparison.
QString freshFolder(const QString& work, const char* name) {
    QDir dir(QDir(work).filePath(QLatin1String(name)));
    if ((dir.exists() && !dir.removeRecursively()) || !QDir().mkpath(dir.path()))
        fail(QStringLiteral("cannot empty ") + dir.path());
    return dir.path();
}

void expectSize(const QString& path, qint64 size) {
    if (QFileInfo(path).size() != size)
        fail(QStringLiteral("%1: %2 bytes, %3 expected").arg(path).arg(QFileInfo(path).size()).arg(size));
}

// The sizes of a "_tw" set of our points: 28 bytes a point record, 8 an index entry,
// 356 a dBASE record.
void expectTrackPointSet(const QString& base) {
    expectSize(base + QStringLiteral(".shp"), 100 + 28 * kPoints);
    expectSize(base + QStringLiteral(".shx"), 100 + 8 * kPoints);
    expectSize(base + QStringLiteral(".dbf"), 257 + 356 * kPoints + 1);
}

void registerOurs(const char* name, const QString& work, bool fullSet, Runs& runs) {
    configure(benchmark::RegisterBenchmark(name, [work, fullSet, &runs](benchmark::State& st) {
        for (auto _ : st) {
            const QString out = freshFolder(work, fullSet ? "ours-full" : "ours");
            const auto run = bench::runSelf({QStringLiteral("--one"), QDir(out).filePath(QStringLiteral("out.shp")),
                                             fullSet ? QStringLiteral("full") : QStringLiteral("tw")});
            if (!run) fail(QStringLiteral("our export failed"));
            expectTrackPointSet(QDir(out).filePath(QStringLiteral("out_tw")));
            st.SetIterationTime(run->seconds);
            st.counters["peak_MiB"] = run->peakMiB;
            runs.add(run->seconds, run->workSeconds, run->peakMiB);
        }
    }));
}

void registerOgr(const QString& work, const QString& vrt, Runs& runs) {
    configure(benchmark::RegisterBenchmark("ogr2ogr_vrt_tw_1M_points", [work, vrt, &runs](benchmark::State& st) {
        for (auto _ : st) {
            const QString out = freshFolder(work, "ogr2ogr");
            const bench::ProcessRun run =
                bench::runProcess(QStringLiteral("ogr2ogr"), {"-f", "ESRI Shapefile", "-lco", "ENCODING=LDID/87",
                                                              QDir(out).filePath(QStringLiteral("out_tw.shp")), vrt});
            if (!run.ok) fail(QStringLiteral("ogr2ogr failed"));
            expectTrackPointSet(QDir(out).filePath(QStringLiteral("out_tw")));
            st.SetIterationTime(run.seconds);
            st.counters["peak_MiB"] = run.peakMiB;
            runs.add(run.seconds, run.seconds, run.peakMiB);
        }
    }));
}

// The files of our last "_tw" set against ogr2ogr's: the same bytes, or what differs.
void compareOutputs(const QString& work) {
    std::printf("\nour \"_tw\" set against ogr2ogr's, byte for byte:\n");
    const QDir ours(QDir(work).filePath(QStringLiteral("ours"))),
        theirs(QDir(work).filePath(QStringLiteral("ogr2ogr")));
    for (const char* suffix : kSuffixes) {
        const QString name = QStringLiteral("out_tw.") + QLatin1String(suffix);
        const bench::FileDifference d = bench::compareFiles(ours.filePath(name), theirs.filePath(name));
        if (d.same()) {
            std::printf("  %s: identical (%lld bytes)\n", qPrintable(name), d.sizeA);
            continue;
        }
        std::printf("  %s: %lld and %lld bytes, %lld bytes differ\n", qPrintable(name), d.sizeA, d.sizeB, d.differing);
        for (const qint64 at : d.first)
            std::printf("    at %lld: %s\n", at,
                        qPrintable(bench::describeOffset(ours.filePath(name), theirs.filePath(name), at)));
    }
    const auto files = [](const QDir& d) { return d.entryList(QDir::Files).join(' '); };
    std::printf("  files written: ours %s; ogr2ogr's %s\n", qPrintable(files(ours)), qPrintable(files(theirs)));
}

void report(const Runs& ours, const Runs& ogr, const Runs& full, double floor) {
    std::printf(
        "\n1,000,000 track points (100 tracks of 10,000), medians of %d runs; times include the "
        "process start\n(a child is charged at least %.1f MiB, the pages of this program it holds until exec)\n",
        kRepetitions, floor);
    if (!ours.seconds.empty())
        std::printf("  ours, \"_tw\" set:  %6.2f s  peak %6.1f MiB  (exporteFichier alone %.2f s)\n",
                    median(ours.seconds), maxOf(ours.peak), median(ours.work));
    if (!ogr.seconds.empty())
        std::printf("  ogr2ogr from VRT: %6.2f s  peak %6.1f MiB\n", median(ogr.seconds), maxOf(ogr.peak));
    if (!ours.seconds.empty() && !ogr.seconds.empty())
        std::printf("  ratio ours / ogr2ogr: %.2f (goal <= 1.0)\n", median(ours.seconds) / median(ogr.seconds));
    if (!full.seconds.empty())
        std::printf("  for information, ours, full set (\"_tl\", \"_tp\" and \"_tw\"): %.2f s  peak %.1f MiB\n",
                    median(full.seconds), maxOf(full.peak));
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    useCNumericLocale();
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QLatin1String("--one"))
        return bench::exportOnce(args[2], args[3] == QLatin1String("full"));

    benchmark::Initialize(&argc, argv);
    QTemporaryDir tmp;
    const QString work = argc > 1 ? QString::fromLocal8Bit(argv[1]) : tmp.path();
    QDir().mkpath(work);
    qputenv("SOTRIX_HOME", QFile::encodeName(work));
    std::printf("Filling the database ...\n");
    bench::fillWorkspace(QDir(work).filePath(QStringLiteral("sotrix.mdb")));
    const QString vrt = QDir(work).filePath(QStringLiteral("track_points.vrt"));
    bench::writeTrackPointsVrt(vrt, QStringLiteral("sotrix.mdb"));
    const double floor = bench::measuringFloorMiB();

    Runs ours, ogr, full;
    registerOurs("export_tw_1M_points", work, false, ours);
    registerOgr(work, vrt, ogr);
    registerOurs("export_full_set", work, true, full);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    report(ours, ogr, full, floor);
    if (!ours.seconds.empty() && !ogr.seconds.empty()) compareOutputs(work);
    return 0;
}
