#include "ShapefileSet.h"

#include <QDir>
#include <QFileInfo>

namespace sotrix {

QString shapefileSetBase(const QString& nomFichier) {
    const QFileInfo info(nomFichier);
    const QString path = info.absoluteFilePath();
    const QString suffix = info.suffix();
    return suffix.isEmpty() ? path : path.left(path.size() - suffix.size() - 1);
}

QStringList shapefileSetSuffixes() {
    return {QStringLiteral("_w"), QStringLiteral("_tl"), QStringLiteral("_tp"), QStringLiteral("_tw")};
}

QStringList shapefileSetShpPaths(const QString& nomFichier) {
    const QString base = shapefileSetBase(nomFichier);
    QStringList paths;
    for (const QString& suffix : shapefileSetSuffixes()) paths << base + suffix + QStringLiteral(".shp");
    return paths;
}

}  // namespace sotrix
