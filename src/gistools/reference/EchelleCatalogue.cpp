#include "EchelleCatalogue.h"

#include "Execution.h"
#include "NomsOctets.h"

#include <QFileInfo>
#include <QSet>
#include <QTemporaryFile>

#include <shapefil.h>

#include <algorithm>
#include <memory>

namespace sotrix {
namespace {

struct DbfClose {
    void operator()(DBFInfo* dbf) const { DBFClose(dbf); }
};

// gdalinfo's report on one tile, or "" when it did not run to its end.
QByteArray statistiques(const QString& tile, int timeoutMs) {
    QTemporaryFile report;
    QTemporaryFile optfile;
    const auto file = fichiersGdal({tile}, optfile);
    if (!report.open() || !file) return {};
    report.close();
    const RunResult run = executeEtAttend(
        QStringLiteral("gdalinfo"),
        QStringList{QStringLiteral("-approx_stats"), QStringLiteral("-nomd"), QStringLiteral("--config"),
                    QStringLiteral("GDAL_PAM_ENABLED"), QStringLiteral("NO")} +
            *file,
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
    std::optional<PlageValeurs> plage;
    bool huitBits = true;
    for (const QString& tile : tuilesCatalogue(catalogue)) {
        const QByteArray report = statistiques(tile, timeoutMs);
        const std::string_view text(report.constData(), std::size_t(report.size()));
        const auto tilePlage = plageValeurs(text);
        if (!tilePlage) continue;
        huitBits = huitBits && bandesHuitBits(text);
        plage = plage ? PlageValeurs{std::min(plage->min, tilePlage->min), std::max(plage->max, tilePlage->max)}
                      : *tilePlage;
    }
    if (huitBits || !plage) return std::nullopt;
    if (plage->max <= plage->min) plage->max = plage->min + 1;
    return plage;
}

}  // namespace sotrix
