// Merges 100 selected open tracks of 10,000 points (1,000,000 points) into one new track,
// as "Fusionner plusieurs traces" does, each merge in a process of its own on a fresh copy
// of the same workspace, and has the sqlite3 command-line tool run the same statements,
// with the same values, on another copy. Our time is the merge's own (opening the
// database, the statements, closing it); the tool's runs from its process start to its
// exit. Five rounds, the two sides taking turns to go first; the minimum, median and
// maximum of each side and of the ratio of each round. Then the rows the two sides left
// are compared, every column of every row.
//
// bench_merge [work folder]: the workspace and its copies are made there (default: a
// temporary folder).
#include "ChildReport.h"
#include "Database.h"
#include "EditQueries.h"
#include "Fail.h"
#include "MergeData.h"
#include "NumericLocale.h"
#include "ProcessRun.h"
#include "Stopwatch.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace sotrix;
using bench::fail;

namespace {

constexpr int kRounds = 5;
// The name of the new track.
constexpr char kNom[] = "Fusion";

// The child: one merge, timed from the opening of the database to its closing.
int mergeOnce(const QString& path) {
    try {
        const bench::Stopwatch clock;
        {
            Database db(path);
            fusionneTraces(db, QString::fromLatin1(kNom));
        }
        bench::reportWork(clock.seconds());
        return 0;
    } catch (const DbError& e) {
        std::fprintf(stderr, "bench_merge: %s\n", qPrintable(e.message()));
        return 1;
    }
}

struct Spread {
    double min = 0, median = 0, max = 0;
};

Spread spread(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return {v.front(), v[v.size() / 2], v.back()};
}

void printSpread(const char* what, const std::vector<double>& v, const char* unit) {
    const Spread s = spread(v);
    std::printf("  %-40s min %6.3f%s  median %6.3f%s  max %6.3f%s\n", what, s.min, unit, s.median, unit, s.max, unit);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    useCNumericLocale();
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == QLatin1String("--one")) return mergeOnce(args[2]);

    QTemporaryDir tmp;
    const QDir work(argc > 1 ? QString::fromLocal8Bit(argv[1]) : tmp.path());
    QDir().mkpath(work.path());
    const QString base = work.filePath(QStringLiteral("base.mdb")), ours = work.filePath(QStringLiteral("ours.mdb")),
                  tool = work.filePath(QStringLiteral("sqlite3.mdb")),
                  scriptPath = work.filePath(QStringLiteral("merge.sql"));
    std::printf("Filling the workspace ...\n");
    bench::fillMergeWorkspace(base);

    // The statements, written out from a merge of a scratch copy.
    bench::copySynced(base, tool);
    const QByteArray script = bench::mergeStatements(tool, QString::fromLatin1(kNom));
    QFile scriptFile(scriptPath);
    if (!scriptFile.open(QIODevice::WriteOnly) || scriptFile.write(script) != script.size() || !scriptFile.flush())
        fail(QStringLiteral("cannot write ") + scriptPath);
    std::printf("The statements of the merge:\n");
    for (const QByteArray& line : script.split('\n'))
        if (!line.isEmpty()) std::printf("  %s%s\n", line.left(110).constData(), line.size() > 110 ? " ..." : "");

    std::vector<double> oursSeconds, oursWhole, toolSeconds, ratios;
    for (int round = 0; round < kRounds; ++round) {
        bench::copySynced(base, ours);
        bench::copySynced(base, tool);
        const auto runOurs = [&] {
            const auto run = bench::runSelf({QStringLiteral("--one"), ours});
            if (!run) fail(QStringLiteral("our merge failed"));
            oursSeconds.push_back(run->workSeconds);
            oursWhole.push_back(run->seconds);
        };
        const auto runTool = [&] {
            const bench::ProcessRun run = bench::runProcess(
                QStringLiteral("sqlite3"), {QStringLiteral("-bail"), tool, QStringLiteral(".read '%1'").arg(scriptPath)});
            if (!run.ok) fail(QStringLiteral("sqlite3 failed"));
            toolSeconds.push_back(run.seconds);
        };
        if (round % 2 == 0) {
            runOurs();
            runTool();
        } else {
            runTool();
            runOurs();
        }
        ratios.push_back(oursSeconds.back() / toolSeconds.back());
    }

    std::printf("\nMerging %d tracks of %d points, %d rounds:\n", bench::kMergedTracks, bench::kPointsPerMergedTrack,
                kRounds);
    printSpread("ours (open, merge, close)", oursSeconds, " s");
    printSpread("sqlite3, same statements (process)", toolSeconds, " s");
    printSpread("ours, whole process (for information)", oursWhole, " s");
    printSpread("ratio ours / sqlite3 (goal <= 1.0)", ratios, "  ");
    const QString difference = bench::firstDifference(ours, tool);
    std::printf("rows left by both sides: %s\n",
                difference.isEmpty() ? "the same" : qPrintable(QStringLiteral("differ, ") + difference));
    return difference.isEmpty() ? 0 : 1;
}
