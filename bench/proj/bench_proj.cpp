// Converts 1,000,000 points from 4326 to 31370 (the delivered definitions) with
// projTransformePoint, and the same points with a plain loop over PROJ's C API (one
// transformation, proj_trans per point) in this process; prints the median times of three
// runs each and their ratio. Every point of ours is checked against the plain loop's.
// cs2cs on the same points follows for information: a process that reads and prints a
// million lines of text.
#include "Database.h"
#include "DeliveredCopy.h"
#include "Fail.h"
#include "Median.h"
#include "NumericLocale.h"
#include "PlainProj.h"
#include "ProcessRun.h"
#include "Stopwatch.h"
#include "proj4.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

using namespace sotrix;
using bench::fail;
using bench::median;

namespace {

constexpr int kPoints = 1000000;
constexpr int kRuns = 3;

struct Point {
    double x, y;
};

QString definition(Database& db, qint32 epsg) {
    const auto text = definitionProj(db, epsg);
    if (!text) fail(QStringLiteral("no definition for %1").arg(epsg));
    return *text;
}

void append(QByteArray& out, double v) {
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, res.ptr - buf);
}

// The median time of converting a fresh copy of points kRuns times with convert(x, y);
// the converted points of the last run go to result, the failures of one run to failures.
template <class Convert>
double timeRuns(const std::vector<Point>& points, std::vector<Point>& result, int& failures, Convert convert) {
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        result = points;
        failures = 0;
        const bench::Stopwatch clock;
        for (Point& p : result)
            if (!convert(p.x, p.y)) ++failures;
        times.push_back(clock.seconds());
    }
    return median(times);
}

double largestDifference(const std::vector<Point>& a, const std::vector<Point>& b) {
    double worst = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        worst = std::max({worst, std::abs(a[i].x - b[i].x), std::abs(a[i].y - b[i].y)});
    return worst;
}

// cs2cs over the points written as text: its time and its largest difference from ours.
std::pair<double, double> runCs2cs(const QString& from, const QString& to, const std::vector<Point>& points,
                                   const std::vector<Point>& ours) {
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("points.txt"));
    QByteArray text;
    text.reserve(qsizetype(points.size()) * 40);
    for (const Point& p : points) {
        append(text, p.x);
        text.append(' ');
        append(text, p.y);
        text.append(" 1\n");
    }
    QFile f(input);
    if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size()) fail(QStringLiteral("cannot write ") + input);
    f.close();

    QStringList args{QStringLiteral("-f"), QStringLiteral("%.4f")};
    args += from.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    args += QStringLiteral("+to");
    args += to.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    args += input;
    const bench::ProcessRun run = bench::runProcess(QStringLiteral("cs2cs"), args);
    if (!run.ok) fail(QStringLiteral("cs2cs failed"));
    const QList<QByteArray> lines = run.output.split('\n');
    if (lines.size() < qsizetype(ours.size())) fail(QStringLiteral("cs2cs gave %1 lines").arg(lines.size()));
    double worst = 0;
    for (std::size_t i = 0; i < ours.size(); ++i) {
        const QList<QByteArray> fields = lines[qsizetype(i)].simplified().split(' ');
        if (fields.size() < 2) fail(QStringLiteral("cs2cs line %1: %2").arg(i + 1).arg(lines[qsizetype(i)]));
        worst =
            std::max({worst, std::abs(fields[0].toDouble() - ours[i].x), std::abs(fields[1].toDouble() - ours[i].y)});
    }
    return {run.seconds, worst};
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    useCNumericLocale();

    QString from, to;
    {
        const bench::DeliveredCopy delivered;
        Database db(delivered.path());
        from = definition(db, 4326);
        to = definition(db, 31370);
    }

    // Points spread over Belgium, the same on every run.
    std::mt19937_64 rng(31370);
    std::uniform_real_distribution<double> lon(2.55, 6.40), lat(49.50, 51.50);
    std::vector<Point> points(kPoints);
    for (auto& p : points) p = {lon(rng), lat(rng)};

    const ProjHandle source(from), destination(to);
    if (!source || !destination) fail(QStringLiteral("the service cannot set the systems up"));
    const bench::PlainProj plain(from, to);
    if (!plain) fail(QStringLiteral("PROJ cannot make the transformation"));

    std::vector<Point> ours, theirs;
    int oursFailures = 0, theirsFailures = 0;
    const double oursSec = timeRuns(points, ours, oursFailures, [&](double& x, double& y) {
        return projTransformePoint(source.get(), destination.get(), x, y);
    });
    const double theirsSec =
        timeRuns(points, theirs, theirsFailures, [&](double& x, double& y) { return plain.transform(x, y); });
    const double worst = largestDifference(ours, theirs);
    if (worst > 1e-6) fail(QStringLiteral("ours and the PROJ loop differ by up to %1 m").arg(worst));
    const auto [cs2csSec, cs2csWorst] = runCs2cs(from, to, points, ours);

    std::printf("points: %d (failures: ours %d, PROJ loop %d), medians of %d runs\n", kPoints, oursFailures,
                theirsFailures, kRuns);
    std::printf("projTransformePoint: %.3f s (%.0f ns/point)\n", oursSec, oursSec * 1e9 / kPoints);
    std::printf("PROJ C API loop:     %.3f s (%.0f ns/point)\n", theirsSec, theirsSec * 1e9 / kPoints);
    std::printf("ratio ours / PROJ loop: %.2f (goal: 2 or less)\n", oursSec / theirsSec);
    std::printf("largest difference from the PROJ loop over %d points: %.3g m\n", kPoints, worst);
    std::printf("for information, cs2cs (a process reading and printing text): %.3f s, largest difference %.4f m\n",
                cs2csSec, cs2csWorst);
    return 0;
}
