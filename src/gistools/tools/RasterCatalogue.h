#pragma once
// The raster catalogue: gathering raster files, and building a tile index over them with
// gdaltindex, one run per raster.

#include <QString>
#include <QStringList>

#include <functional>

namespace sotrix {

inline constexpr int kDelaiGdaltindexMs = 120000;

// The raster kinds, in filter order: labels and three-letter extensions.
QStringList libellesRaster();
QStringList extensionsRaster();
// The open dialog's filters: every kind together, then each by itself.
QStringList filtresRaster();

// Whether a file name ends in one of the extensions' three letters, in any case (so
// "carte_motif" counts and "x.tiff" does not).
bool estRaster(const QString& fileName);

struct FichiersDossier {
    QStringList rasters;     // full paths, in walk order
    QStringList illisibles;  // folders that could not be listed
};

// A folder's rasters sorted by name without regard to case, then, when sousDossiers,
// those of each sub-folder in the same order, depth first. Links to folders are not
// followed. Every name is listed, whatever its bytes (NomsOctets.h).
FichiersDossier fichiersInDossier(const QString& folder, bool sousDossiers);

// ".shp" appended unless the name already ends with it in any case.
QString nomCatalogue(const QString& destination);

struct ResultatCatalogue {
    bool ok = true;
    QString raster;  // the raster of the failed run
    QString erreur;  // that run's standard error
};

// Runs gdaltindex <catalogue> <raster> for each raster in order, calling step after each
// run, and stops at the first run that does not start, times out, exits non-zero or leaves
// no regular file at the catalogue path. The paths are stored as their own bytes, not
// recoded to a code page.
ResultatCatalogue creeCatalogue(const QString& catalogue, const QStringList& rasters,
                                const std::function<void()>& step, int timeoutMs = kDelaiGdaltindexMs);

// Deletes the .shp, .shx, .dbf and .prj of the catalogue's name; the first that exists
// and cannot be deleted, or "" when all are gone.
QString supprimeCatalogue(const QString& catalogue);

}  // namespace sotrix
