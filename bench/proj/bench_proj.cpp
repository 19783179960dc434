// Converts 1,000,000 points from 4326 to 31370 (the delivered definitions) with
// projTransformePoint, then runs cs2cs on the same points, and prints both times and
// their ratio. The results are compared on every point as a sanity check.
#include "Database.h"
#include "DeliveredCopy.h"
#include "Execution.h"
#include "NumericLocale.h"
#include "proj4.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

using namespace sotrix;

namespace {

constexpr int kPoints = 1000000;

struct Point {
    double x, y;
};

QString definition(Database& db, qint32 epsg) {
    const auto text = definitionProj(db, epsg);
    if (!text) {
        std::fprintf(stderr, "no definition for %d\n", epsg);
        std::exit(1);
    }
    return *text;
}

void append(QByteArray& out, double v) {
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, res.ptr - buf);
}

double seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

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

    QTemporaryDir dir;
    const QString input = QDir(dir.path()).filePath(QStringLiteral("points.txt"));
    const QString output = QDir(dir.path()).filePath(QStringLiteral("cs2cs.txt"));
    {
        QByteArray text;
        text.reserve(kPoints * 40);
        for (const auto& p : points) {
            append(text, p.x);
            text.append(' ');
            append(text, p.y);
            text.append(" 1\n");
        }
        QFile f(input);
        if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size()) return 1;
    }

    // Ours.
    std::vector<Point> ours(points);
    ProjHandle source(from), destination(to);
    if (!source || !destination) return 1;
    const auto t0 = std::chrono::steady_clock::now();
    int failures = 0;
    for (auto& p : ours)
        if (!projTransformePoint(source.get(), destination.get(), p.x, p.y)) ++failures;
    const double oursSec = seconds(std::chrono::steady_clock::now() - t0);

    // cs2cs on the same points, in its own process.
    QStringList args{QStringLiteral("-f"), QStringLiteral("%.4f")};
    args += from.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    args += QStringLiteral("+to");
    args += to.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    args += input;
    const auto t1 = std::chrono::steady_clock::now();
    const RunResult run = executeEtAttend(QStringLiteral("cs2cs"), args, 600000, output);
    const double theirsSec = seconds(std::chrono::steady_clock::now() - t1);
    if (!run.finished() || run.exitCode != 0) {
        std::fprintf(stderr, "cs2cs failed: %s\n", qPrintable(run.errorText));
        return 1;
    }

    // Same answers?
    QFile f(output);
    if (!f.open(QIODevice::ReadOnly)) return 1;
    double worst = 0;
    int lines = 0;
    for (const auto& p : ours) {
        const QList<QByteArray> fields = f.readLine().simplified().split(' ');
        if (fields.size() < 2) break;
        worst = std::max({worst, std::abs(fields[0].toDouble() - p.x), std::abs(fields[1].toDouble() - p.y)});
        ++lines;
    }

    std::printf("points:           %d (failures: %d)\n", kPoints, failures);
    std::printf("projTransformePoint: %.3f s (%.0f ns/point)\n", oursSec, oursSec * 1e9 / kPoints);
    std::printf("cs2cs:            %.3f s (%.0f ns/point)\n", theirsSec, theirsSec * 1e9 / kPoints);
    std::printf("ratio ours/cs2cs: %.2f (goal: 2 or less)\n", oursSec / theirsSec);
    std::printf("largest difference from cs2cs over %d points: %.4f m\n", lines, worst);
    return 0;
}
