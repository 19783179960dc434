#include "RasterCatalogue.h"

#include "Execution.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

namespace sotrix {
namespace {

void walk(const QString& folder, bool sousDossiers, FichiersDossier& out) {
    const QDir dir(folder);
    if (!dir.isReadable()) {
        out.illisibles << folder;
        return;
    }
    const QDir::SortFlags order = QDir::Name | QDir::IgnoreCase;
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System, order))
        if (estRaster(name)) out.rasters << dir.filePath(name);
    if (!sousDossiers) return;
    for (const QFileInfo& sub : dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, order))
        if (!sub.isSymLink()) walk(sub.filePath(), true, out);
}

QString readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(f.readAll()).trimmed() : QString();
}

}  // namespace

QStringList libellesRaster() {
    return {QStringLiteral("Tiff (*.tif)"), QStringLiteral("Jpeg (*.jpg)"),
            QStringLiteral("ERMapper Compress Wavelets (*.ecw)"), QStringLiteral("Erdas Imagine (*.img)")};
}

QStringList extensionsRaster() {
    return {QStringLiteral("tif"), QStringLiteral("jpg"), QStringLiteral("ecw"), QStringLiteral("img")};
}

QStringList filtresRaster() {
    QStringList patterns;
    for (const QString& e : extensionsRaster()) patterns << QStringLiteral("*.") + e;
    return QStringList{QStringLiteral("Tous les fichiers (") + patterns.join(QStringLiteral(", ")) + u')'} +
           libellesRaster();
}

bool estRaster(const QString& fileName) {
    return fileName.size() >= 3 && extensionsRaster().contains(fileName.right(3).toLower());
}

FichiersDossier fichiersInDossier(const QString& folder, bool sousDossiers) {
    FichiersDossier out;
    walk(folder, sousDossiers, out);
    return out;
}

QString nomCatalogue(const QString& destination) {
    return destination.endsWith(QLatin1String(".shp"), Qt::CaseInsensitive) ? destination
                                                                            : destination + QStringLiteral(".shp");
}

ResultatCatalogue creeCatalogue(const QString& catalogue, const QStringList& rasters,
                                const std::function<void()>& step, int timeoutMs) {
    for (const QString& raster : rasters) {
        QTemporaryFile errors;
        const bool withErrors = errors.open();
        if (withErrors) errors.close();
        // An empty shapefile encoding keeps each path's own bytes in the location field,
        // so that MapServer opens the tiles whatever characters their paths hold.
        const RunResult run = executeEtAttend(QStringLiteral("gdaltindex"),
                                              {catalogue, raster, QStringLiteral("--config"),
                                               QStringLiteral("SHAPE_ENCODING"), QString()},
                                              timeoutMs, {}, withErrors ? errors.fileName() : QString());
        const QFileInfo made(catalogue);
        if (!run.finished() || run.crashed || run.exitCode != 0 || !made.isFile()) {
            ResultatCatalogue r{false, raster, withErrors ? readAll(errors.fileName()) : QString()};
            if (r.erreur.isEmpty() && !run.finished()) r.erreur = run.errorText;
            return r;
        }
        if (step) step();
    }
    return {};
}

QString supprimeCatalogue(const QString& catalogue) {
    const QString base = catalogue.left(catalogue.size() - 4);
    for (const char* ext : {".shp", ".shx", ".dbf", ".prj"}) {
        const QString path = base + QLatin1String(ext);
        if (QFileInfo::exists(path) && !QFile::remove(path)) return path;
    }
    return {};
}

}  // namespace sotrix
