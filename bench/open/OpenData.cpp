#include "OpenData.h"

#include "Fail.h"
#include "GpxGenerator.h"
#include "ProcessRun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <random>

namespace sotrix::bench {

namespace {

constexpr int kGpxTracks = 1000, kGpxTrackPoints = 1000;

void writeGpx(const QString& path, const GpxLayout& layout) {
    if (QFileInfo(path).size() != 0) return;
    std::printf("Writing %s ...\n", qPrintable(path));
    const QString part = path + QStringLiteral(".part");
    if (!writeBenchGpx(part, layout) || !QFile::rename(part, path)) fail(QStringLiteral("cannot write ") + path);
}

void writeCsv(const QString& path, int points) {
    QFile f(path + QStringLiteral(".part"));
    if (!f.open(QIODevice::WriteOnly)) fail(QStringLiteral("cannot write ") + f.fileName());
    std::mt19937_64 rng(20261209);
    std::uniform_real_distribution<double> x(20000, 290000), y(20000, 250000);
    QByteArray out = "Nom;X;Y\n";
    char line[96];
    for (int i = 1; i <= points; ++i) {
        const int n = std::snprintf(line, sizeof line, "Point %07d;%.3f;%.3f\n", i, x(rng), y(rng));
        out.append(line, n);
        if (out.size() > (1 << 20) || i == points) {
            if (f.write(out) != out.size()) fail(QStringLiteral("cannot write ") + f.fileName());
            out.clear();
        }
    }
    f.close();
    QFile::remove(path);
    if (!f.rename(path)) fail(QStringLiteral("cannot write ") + path);
}

}  // namespace

OpenFiles prepareOpenFiles(const QString& folder, int points) {
    const QDir dir(folder);
    const QString base = QStringLiteral("open-%1").arg(points);
    OpenFiles files{dir.filePath(base + QStringLiteral(".csv")), dir.filePath(base + QStringLiteral(".shp")),
                    dir.filePath(base + QStringLiteral(".gpx")),
                    dir.filePath(QStringLiteral("open-logs-%1x%2.gpx").arg(kGpxTracks).arg(kGpxTrackPoints)),
                    kGpxTracks * kGpxTrackPoints};
    if (QFileInfo(files.csv).size() == 0) {
        std::printf("Writing %s ...\n", qPrintable(files.csv));
        writeCsv(files.csv, points);
    }
    if (QFileInfo(files.shp).size() == 0) {
        std::printf("Writing %s ...\n", qPrintable(files.shp));
        const ProcessRun run = runProcess(
            QStringLiteral("ogr2ogr"), {"-f", "ESRI Shapefile", "-overwrite", files.shp, files.csv, "-nln", base,
                                        "-oo", "X_POSSIBLE_NAMES=X", "-oo", "Y_POSSIBLE_NAMES=Y", "-select", "Nom"});
        if (!run.ok) fail(QStringLiteral("ogr2ogr could not write ") + files.shp);
    }
    writeGpx(files.gpx, GpxLayout{points + files.trackPoints, points, kGpxTracks});
    writeGpx(files.log, GpxLayout{files.trackPoints, 0, kGpxTracks, true});
    return files;
}

}  // namespace sotrix::bench
