#include "ReferenceExtent.h"

#include "AppDir.h"
#include "CFileName.h"
#include "CShapeFile.h"
#include "Execution.h"
#include "FichierTravail.h"
#include "GdalInfoReport.h"
#include "ReferenceFiles.h"
#include "ShapeError.h"
#include "State.h"

#include <QFile>
#include <QStandardPaths>

namespace sotrix {

std::optional<ShapefileHeader> lireEnteteShapefile(const QString& path) {
    try {
        shapefile::CFileName name;
        name.setFileSpec(QFile::encodeName(path).toStdString());
        shapefile::CShapeFile shp;
        shp.setFileSpec(name, shapefile::CShapeFile::Status::Open);
        return ShapefileHeader{{shp.left(), shp.bottom(), shp.right(), shp.top()}, shp.fileType()};
    } catch (const shapefile::ShapeError&) {
        return std::nullopt;
    }
}

std::optional<RapportRaster> rapportRaster(const QString& path, int timeoutMs) {
    const QString report = appPath(QString::fromLatin1(kFichierInfo));
    // A report left by an earlier run must never stand for this one, and gdalinfo's output
    // must not go through what stands at the name.
    std::optional<RapportRaster> raster;
    const QString program = QStandardPaths::findExecutable(QStringLiteral("gdalinfo"));
    if (libereFichierTravail(report) && !program.isEmpty()) {
        const RunResult run =
            executeEtAttend(program, {QStringLiteral("-nogcp"), QStringLiteral("-nomd"), path}, timeoutMs, report);
        QFile f(report);
        // The exit code is not read: the report decides.
        if (run.finished() && f.open(QIODevice::ReadOnly)) {
            const QByteArray bytes = f.readAll();
            const std::string_view text(bytes.constData(), std::size_t(bytes.size()));
            if (const auto extent = lireRapportGdalinfo(text)) raster = RapportRaster{*extent, bandesHuitBits(text)};
        }
    }
    if (state().paramSupInt) QFile::remove(report);
    return raster;
}

}  // namespace sotrix
