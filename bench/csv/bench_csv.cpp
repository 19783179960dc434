// Exports 100 tracks of 10,000 points (1,000,000 track points) as CSV, each export in a
// process of its own, and has ogr2ogr write the same points from the same "sotrix.mdb" as
// a ";" CSV with CR LF line ends, read through an OGR VRT whose SQL gives the columns and
// values of our export (dates formatted by SQLite as our export writes them). Both times
// include the process start; the minimum, median and maximum of three runs each, with each
// side's peak memory. The two outputs are then compared value by value (ogr2ogr quotes
// other fields than we do).
//
// bench_csv [work folder]: the database, the VRT and the outputs are made there (default:
// a temporary folder).
#include "ChildReport.h"
#include "CsvCompare.h"
#include "CsvData.h"
#include "ExportEngine.h"
#include "Fail.h"
#include "FailingPrompter.h"
#include "Median.h"
#include "NumericLocale.h"
#include "ProcessRun.h"
#include "State.h"
#include "Stopwatch.h"
#include "TypeFichier.h"

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
constexpr qint64 kPoints = qint64(bench::kCsvTracks) * bench::kCsvPointsPerTrack;

struct Runs {
    std::vector<double> seconds, work, peak;
    void add(double s, double w, double p) {
        seconds.push_back(s);
        work.push_back(w);
        peak.push_back(p);
    }
};

// The child: one export of every point of the workspace (SOTRIX_HOME) to the file given.
int exportOnce(const QString& nomFichier) {
    resetState();
    state().prompter = std::make_shared<bench::FailingPrompter>("bench_csv");
    state().typeFichier = typefichier::kEnregistrerCsv;
    state().projExport = 1;
    state().nomFichier = nomFichier;
    const bench::Stopwatch clock;
    exporteFichier(true, true, false, false, false);
    const double seconds = clock.seconds();
    if (!state().resultatOk) {
        std::fprintf(stderr, "bench_csv: the export to %s failed\n", qPrintable(nomFichier));
        return 1;
    }
    bench::reportWork(seconds);
    return 0;
}

void configure(benchmark::internal::Benchmark* b) {
    b->Iterations(1)->Repetitions(kRepetitions)->UseManualTime()->Unit(benchmark::kSecond);
}

// A fresh output path under the work folder, kept for the comparison.
QString freshOutput(const QString& work, const char* name) {
    const QString path = QDir(work).filePath(QLatin1String(name));
    QFile::remove(path);
    return path;
}

// The header and one line per point.
void expectLines(const QString& path) {
    QFile f(path);
    qint64 lines = 0;
    if (f.open(QIODevice::ReadOnly))
        while (!f.atEnd()) lines += f.readLine().endsWith('\n');
    if (lines != kPoints + 1) fail(QStringLiteral("%1: %2 lines, %3 expected").arg(path).arg(lines).arg(kPoints + 1));
}

void registerOurs(const QString& work, Runs& runs) {
    configure(benchmark::RegisterBenchmark("export_csv_1M_points", [work, &runs](benchmark::State& st) {
        for (auto _ : st) {
            const QString out = freshOutput(work, "ours.csv");
            const auto run = bench::runSelf({QStringLiteral("--one"), out});
            if (!run) fail(QStringLiteral("our export failed"));
            expectLines(out);
            st.SetIterationTime(run->seconds);
            st.counters["peak_MiB"] = run->peakMiB;
            runs.add(run->seconds, run->workSeconds, run->peakMiB);
        }
    }));
}

void registerOgr(const QString& work, const QString& vrt, Runs& runs) {
    configure(benchmark::RegisterBenchmark("ogr2ogr_vrt_csv_1M_points", [work, vrt, &runs](benchmark::State& st) {
        for (auto _ : st) {
            const QString out = freshOutput(work, "ogr2ogr.csv");
            const bench::ProcessRun run = bench::runProcess(
                QStringLiteral("ogr2ogr"), {"-f", "CSV", "-lco", "SEPARATOR=SEMICOLON", "-lco", "LINEFORMAT=CRLF", out, vrt});
            if (!run.ok) fail(QStringLiteral("ogr2ogr failed"));
            expectLines(out);
            st.SetIterationTime(run.seconds);
            st.counters["peak_MiB"] = run.peakMiB;
            runs.add(run.seconds, run.seconds, run.peakMiB);
        }
    }));
}

void printSide(const char* what, const Runs& r) {
    std::vector<double> s = r.seconds;
    std::sort(s.begin(), s.end());
    std::printf("  %-18s min %6.2f s  median %6.2f s  max %6.2f s  peak %6.1f MiB\n", what, s.front(), median(s),
                s.back(), *std::max_element(r.peak.begin(), r.peak.end()));
}

void report(const Runs& ours, const Runs& ogr, double floor) {
    std::printf("\n1,000,000 track points (100 tracks of 10,000), %d runs each; times include the process start\n"
                "(a child is charged at least %.1f MiB, the pages of this program it holds until exec)\n",
                kRepetitions, floor);
    printSide("ours:", ours);
    std::printf("  %-18s median %6.2f s\n", "(exporteFichier)", median(ours.work));
    printSide("ogr2ogr from VRT:", ogr);
    std::vector<double> ratios;
    for (std::size_t i = 0; i < std::min(ours.seconds.size(), ogr.seconds.size()); ++i)
        ratios.push_back(ours.seconds[i] / ogr.seconds[i]);
    std::sort(ratios.begin(), ratios.end());
    std::printf("  ratio ours / ogr2ogr: medians %.2f (goal <= 1.0); run by run min %.2f  median %.2f  max %.2f\n",
                median(ours.seconds) / median(ogr.seconds), ratios.front(), median(ratios), ratios.back());
}

void compareOutputs(const QString& work) {
    const bench::CsvDifference d = bench::compareCsvValues(QDir(work).filePath(QStringLiteral("ours.csv")),
                                                           QDir(work).filePath(QStringLiteral("ogr2ogr.csv")));
    std::printf("\nour CSV against ogr2ogr's, value by value: %lld and %lld lines, ", d.linesA, d.linesB);
    if (d.sameValues())
        std::printf("the same values (%lld lines quoted otherwise)\n", d.otherlyWritten);
    else
        std::printf("%lld lines differ\n", d.differingLines);
    for (const QString& line : d.first) std::printf("  %s\n", qPrintable(line));
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    useCNumericLocale();
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == QLatin1String("--one")) return exportOnce(args[2]);

    benchmark::Initialize(&argc, argv);
    QTemporaryDir tmp;
    const QString work = argc > 1 ? QString::fromLocal8Bit(argv[1]) : tmp.path();
    QDir().mkpath(work);
    qputenv("SOTRIX_HOME", QFile::encodeName(work));
    std::printf("Filling the database ...\n");
    bench::fillCsvWorkspace(QDir(work).filePath(QStringLiteral("sotrix.mdb")));
    const QString vrt = QDir(work).filePath(QStringLiteral("points.vrt"));
    bench::writeCsvVrt(vrt, QStringLiteral("sotrix.mdb"));
    const double floor = bench::measuringFloorMiB();

    Runs ours, ogr;
    registerOurs(work, ours);
    registerOgr(work, vrt, ogr);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    if (ours.seconds.empty() || ogr.seconds.empty()) return 0;
    report(ours, ogr, floor);
    compareOutputs(work);
    return 0;
}
