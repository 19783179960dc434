#include "RasterCatalogue.h"

#include "Execution.h"
#include "NomsOctets.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <algorithm>

namespace sotrix {
namespace {

// By name without regard to case, then with it, so that the order does not depend on the
// system's.
void trie(QStringList& names) {
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int r = a.compare(b, Qt::CaseInsensitive);
        return r != 0 ? r < 0 : a < b;
    });
}

// The folder is read as the system's bytes: Qt leaves out names that are not UTF-8.
void walk(const QString& folder, bool sousDossiers, FichiersDossier& out) {
    auto entries = lireDossier(folder);
    if (!entries) {
        out.illisibles << folder;
        return;
    }
    const QString prefix = folder.endsWith(u'/') ? folder : folder + u'/';
    trie(entries->fichiers);
    for (const QString& name : entries->fichiers)
        if (estRaster(name)) out.rasters << prefix + name;
    if (!sousDossiers) return;
    trie(entries->dossiers);
    for (const QString& sub : entries->dossiers) walk(prefix + sub, true, out);
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
        QTemporaryFile optfile;
        const auto files = fichiersGdal({catalogue, raster}, optfile);
        if (!files) return {false, raster, {}};
        // An empty shapefile encoding keeps each path's own bytes in the location field,
        // so that MapServer opens the tiles whatever bytes their paths hold.
        const RunResult run = executeEtAttend(
            QStringLiteral("gdaltindex"),
            *files + QStringList{QStringLiteral("--config"), QStringLiteral("SHAPE_ENCODING"), QString()}, timeoutMs, {},
            withErrors ? errors.fileName() : QString());
        if (!run.finished() || run.crashed || run.exitCode != 0 || !fichierExisteOctets(catalogue)) {
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
