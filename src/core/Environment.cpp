#include "Environment.h"

#include <QDir>
#include <QFileInfo>

namespace sotrix {

void setToolEnvironment(const QString& folder) {
    const QDir dir(folder);
    const QString proj = dir.filePath(QStringLiteral("proj"));
    if (QFileInfo(proj).isDir()) {
        // PROJ 9 reads PROJ_DATA; PROJ_LIB alone would make it warn on standard error.
        qputenv("PROJ_DATA", QFile::encodeName(proj));
        qputenv("PROJ_LIB", QFile::encodeName(proj));
    }
    const QString gdalData = dir.filePath(QStringLiteral("gdal/data"));
    if (QFileInfo(gdalData).isDir()) qputenv("GDAL_DATA", QFile::encodeName(gdalData));
    const QString plugins = dir.filePath(QStringLiteral("gdal/plugins"));
    if (QFileInfo(plugins).isDir()) qputenv("GDAL_DRIVER_PATH", QFile::encodeName(plugins));
}

}  // namespace sotrix
