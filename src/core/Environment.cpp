#include "Environment.h"

#include "AppDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace sotrix {

namespace {

// The folder `name` beside the executable, else in the installation's share/sotrix/;
// "" when neither exists.
QString dossierInstalle(const QString& exeDir, const QString& name) {
    const QString share = QFileInfo(pristineInstallee(exeDir)).path();
    for (const QString& base : {exeDir, share})
        if (const QString folder = QDir(base).filePath(name); QFileInfo(folder).isDir()) return folder;
    return {};
}

}  // namespace

void setToolEnvironment(const QString& exeDir) {
    const QString proj = dossierInstalle(exeDir, QStringLiteral("proj"));
    if (!proj.isEmpty()) {
        // PROJ 9 reads PROJ_DATA; PROJ_LIB alone would make it warn on standard error.
        qputenv("PROJ_DATA", QFile::encodeName(proj));
        qputenv("PROJ_LIB", QFile::encodeName(proj));
    }
    const QString gdalData = dossierInstalle(exeDir, QStringLiteral("gdal/data"));
    if (!gdalData.isEmpty()) qputenv("GDAL_DATA", QFile::encodeName(gdalData));
    const QString plugins = dossierInstalle(exeDir, QStringLiteral("gdal/plugins"));
    if (!plugins.isEmpty()) qputenv("GDAL_DRIVER_PATH", QFile::encodeName(plugins));
}

void setToolEnvironment() { setToolEnvironment(QCoreApplication::applicationDirPath()); }

}  // namespace sotrix
