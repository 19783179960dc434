#include "AppDir.h"

#include <QCoreApplication>
#include <QDir>

namespace sotrix {

QString appDir() {
    const QString home = qEnvironmentVariable("SOTRIX_HOME");
    if (!home.isEmpty()) return QDir(home).absolutePath();
    return QCoreApplication::applicationDirPath();
}

QString appPath(const QString& name) { return QDir(appDir()).filePath(name); }

}  // namespace sotrix
