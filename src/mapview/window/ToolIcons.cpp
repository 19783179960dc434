#include "ToolIcons.h"

#include <QFile>
#include <QStandardPaths>
#include <QStringList>

namespace sotrix {

namespace {
// The theme installed with the program that holds the standard icons in colour.
const char* const kThemeStandard = "Adwaita";
}  // namespace

void prepareThemeIcones() {
    QStringList paths = QIcon::themeSearchPaths();
    for (const QString& dir :
         QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("icons"),
                                   QStandardPaths::LocateDirectory))
        if (!paths.contains(dir)) paths << dir;
    QIcon::setThemeSearchPaths(paths);
    const QString theme = QString::fromLatin1(kThemeStandard);
    if (QIcon::themeName().isEmpty())
        QIcon::setThemeName(theme);
    else if (QIcon::themeName() != theme)
        QIcon::setFallbackThemeName(theme);
}

QIcon iconeOutil(const char* themeName, const QString& objectName) {
    if (themeName && QIcon::hasThemeIcon(QString::fromLatin1(themeName)))
        return QIcon::fromTheme(QString::fromLatin1(themeName));
    const QString own = QStringLiteral(":/outils/") + objectName + QStringLiteral(".svg");
    if (QFile::exists(own)) return QIcon(own);
    return {};
}

}  // namespace sotrix
