#include "EchelleCatalogue.h"

#include "Execution.h"
#include "NomsOctets.h"

#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <shapefil.h>

#include <memory>

namespace sotrix {
namespace {

struct DbfClose {
    void operator()(DBFInfo* dbf) const { DBFClose(dbf); }
};

// The statistics of a mosaic of the tiles, which gdalinfo computes from each tile's own
// (two runs whatever the number of tiles, where one run per tile would cost a start of
// GDAL each), or "" when a run did not end well.
QByteArray statistiques(const QStringList& tiles, int timeoutMs) {
    QTemporaryFile list;
    QTemporaryFile report;
    const QTemporaryDir dir;
    if (!list.open() || !report.open() || !dir.isValid()) return {};
    report.close();
    // One name a line, as its bytes: gdalbuildvrt reads the list byte for byte.
    for (const QString& tile : tiles) {
        const QByteArray name = octetsDuNom(tile) + '\n';
        if (name.count('\n') + name.count('\r') > 1) continue;  // no line can hold it
        if (list.write(name) != name.size()) return {};
    }
    if (!list.flush()) return {};
    const QString mosaic = dir.filePath(QStringLiteral("tuiles.vrt"));
    const RunResult built = executeEtAttend(
        QStringLiteral("gdalbuildvrt"),
        {QStringLiteral("-q"), QStringLiteral("-allow_projection_difference"), QStringLiteral("-input_file_list"),
         list.fileName(), mosaic},
        timeoutMs);
    if (!built.finished() || built.crashed || built.exitCode != 0) return {};
    const RunResult run = executeEtAttend(
        QStringLiteral("gdalinfo"),
        {QStringLiteral("-approx_stats"), QStringLiteral("-nomd"), QStringLiteral("--config"),
         QStringLiteral("GDAL_PAM_ENABLED"), QStringLiteral("NO"), mosaic},
        timeoutMs, report.fileName());
    if (!run.finished() || !report.open()) return {};
    return report.readAll();
}

}  // namespace

QStringList tuilesCatalogue(const QString& catalogue) {
    std::unique_ptr<DBFInfo, DbfClose> dbf(DBFOpen(octetsDuNom(catalogue).constData(), "rb"));
    if (!dbf) return {};
    const int field = DBFGetFieldIndex(dbf.get(), "Location");
    if (field < 0) return {};
    const QString folder = QFileInfo(catalogue).absolutePath() + u'/';
    QStringList tiles;
    QSet<QString> seen;
    for (int record = 0, n = DBFGetRecordCount(dbf.get()); record < n; ++record) {
        if (DBFIsRecordDeleted(dbf.get(), record) || DBFIsAttributeNULL(dbf.get(), record, field)) continue;
        QString tile = nomDepuisOctets(DBFReadStringAttribute(dbf.get(), record, field));
        if (tile.isEmpty()) continue;
        if (!tile.startsWith(u'/')) tile.prepend(folder);
        if (!seen.contains(tile)) {
            seen.insert(tile);
            tiles << tile;
        }
    }
    return tiles;
}

std::optional<PlageValeurs> echelleCatalogue(const QString& catalogue, int timeoutMs) {
    const QStringList tiles = tuilesCatalogue(catalogue);
    if (tiles.isEmpty()) return std::nullopt;
    const QByteArray report = statistiques(tiles, timeoutMs);
    const std::string_view text(report.constData(), std::size_t(report.size()));
    auto plage = plageValeurs(text);
    if (!plage || bandesHuitBits(text)) return std::nullopt;
    if (plage->max <= plage->min) plage->max = plage->min + 1;
    return plage;
}

}  // namespace sotrix
