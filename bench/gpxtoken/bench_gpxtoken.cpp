// Imports three GPX files of 50 MB, each in a process of its own: one whose single
// waypoint carries a 50 MB attribute value, one with a 50 MB comment between two
// waypoints, and one of ordinary waypoints. A long token must cost no more than twice
// the ordinary file (goal <= 2). xmllint's tree parser reads the same files, as the
// outside reference (its streaming reader is itself quadratic in a long attribute).
// Medians of three runs, with min and max.
//
// bench_gpxtoken [data folder]: the files are written there once and kept.
#include "ChildReport.h"
#include "Fail.h"
#include "ImportOnce.h"
#include "Median.h"
#include "NumericLocale.h"
#include "ProcessRun.h"
#include "Workspace.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <utility>
#include <cstdio>
#include <vector>

using namespace sotrix;
using bench::fail;
using bench::median;

namespace {

constexpr int kRuns = 3;
constexpr qint64 kTaille = 50'000'000;

const QByteArray kDebut = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<gpx version=\"1.0\" creator=\"bench\" xmlns=\"http://www.topografix.com/GPX/1/0\">\n";
const QByteArray kFin = "</gpx>\n";

QByteArray waypoint(qint64 i) {
    return "<wpt lat=\"" + QByteArray::number(50 + double(i % 100000) * 1e-5, 'f', 6) + "\" lon=\"" +
           QByteArray::number(4 + double(i / 100000) * 1e-3, 'f', 6) + "\"><name>W" + QByteArray::number(i) +
           "</name></wpt>\n";
}

// The file, written once: head, body made by the writer, end.
template <class Ecrit>
QString prepare(const QString& folder, const char* name, Ecrit ecrit) {
    const QString path = QDir(folder).filePath(QLatin1String(name));
    if (QFileInfo(path).size() > 0) return path;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) fail(QStringLiteral("cannot write ") + path);
    f.write(kDebut);
    ecrit(f);
    f.write(kFin);
    if (!f.flush()) fail(QStringLiteral("cannot write ") + path);
    return path;
}

void filler(QFile& f, char c, qint64 n) {
    const QByteArray block(1 << 20, c);
    for (; n > 0; n -= block.size()) f.write(block.constData(), std::min<qint64>(n, block.size()));
}

struct Fichier {
    Fichier(const char* w, QString p) : what(w), path(std::move(p)) {}
    const char* what;
    QString path;
    std::vector<double> ours, xmllint;
};

void line(const char* who, const std::vector<double>& v) {
    std::printf("  %-8s median %7.3f s  min %7.3f  max %7.3f\n", who, median(v), *std::min_element(v.begin(), v.end()),
                *std::max_element(v.begin(), v.end()));
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    useCNumericLocale();
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QLatin1String("--one")) return bench::importOnce(args[2], args[3]);

    const QString folder =
        args.size() > 1 ? args[1] : QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("bench-gpxtoken-data"));
    QDir().mkpath(folder);
    std::vector<Fichier> fichiers{
        {"50 MB attribute", prepare(folder, "attribute.gpx", [](QFile& f) {
             f.write(waypoint(0));
             f.write("<wpt lat=\"50.5\" lon=\"4.5\" extra=\"");
             filler(f, 'a', kTaille);
             f.write("\"><name>Long</name></wpt>\n");
         })},
        {"50 MB comment", prepare(folder, "comment.gpx", [](QFile& f) {
             f.write(waypoint(0));
             f.write("<!--");
             filler(f, 'c', kTaille);
             f.write("-->\n");
             f.write(waypoint(1));
         })},
        {"50 MB of waypoints", prepare(folder, "ordinary.gpx", [](QFile& f) {
             for (qint64 i = 0, written = 0; written < kTaille; ++i) written += f.write(waypoint(i));
         })},
    };
    for (Fichier& fi : fichiers) {
        for (int run = 0; run < kRuns; ++run) {
            const bench::Workspace w(folder);
            const auto ours = bench::runSelf({QStringLiteral("--one"), fi.path, w.home()});
            if (!ours) fail(QStringLiteral("the import of ") + fi.path + QStringLiteral(" failed"));
            fi.ours.push_back(ours->seconds);
            const bench::ProcessRun ref =
                bench::runProcess(QStringLiteral("xmllint"), {QStringLiteral("--noout"), QStringLiteral("--huge"), fi.path});
            if (!ref.ok) fail(QStringLiteral("xmllint failed on ") + fi.path);
            fi.xmllint.push_back(ref.seconds);
        }
    }
    std::printf("\nGPX import of 50 MB files, %d runs each, process start included\n", kRuns);
    for (const Fichier& fi : fichiers) {
        std::printf("\n%s (%.1f MB)\n", fi.what, double(QFileInfo(fi.path).size()) / 1e6);
        line("ours", fi.ours);
        line("xmllint", fi.xmllint);
        std::printf("  ratio ours / xmllint: %.2f\n", median(fi.ours) / median(fi.xmllint));
    }
    const double ordinaire = median(fichiers[2].ours);
    for (int i = 0; i < 2; ++i)
        std::printf("\nratio %s / 50 MB of waypoints: %.2f (goal <= 2)\n", fichiers[std::size_t(i)].what,
                    median(fichiers[std::size_t(i)].ours) / ordinaire);
    return 0;
}
