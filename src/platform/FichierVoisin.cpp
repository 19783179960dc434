#include "FichierVoisin.h"

#include <QDir>
#include <QFileInfo>

namespace sotrix {

std::optional<QString> fichierVoisin(const QString& path, const QString& suffixe) {
    const QFileInfo info(path);
    QString nom = info.fileName();
    const qsizetype dot = nom.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0) nom.truncate(dot);
    nom += QLatin1Char('.') + suffixe;
    const QDir dossier = info.dir();
    const QString exact = dossier.filePath(nom);
    if (QFileInfo(exact).isFile()) return exact;
    // entryList sorts by name, the order in which the first match is taken.
    const QStringList noms = dossier.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString& candidat : noms)
        if (candidat.compare(nom, Qt::CaseInsensitive) == 0) return dossier.filePath(candidat);
    return std::nullopt;
}

}  // namespace sotrix
