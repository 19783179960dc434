#include "ImportMessages.h"

#include <QStringList>

namespace sotrix {

QString texteEchecLecture(const QString& path) {
    return QStringLiteral("Impossible de lire le fichier '") + path +
           QStringLiteral("'.\nVérifiez que ce fichier n'est pas en cours d'utilisation.");
}

void LignesIgnorees::ajoute(qint64 ligne) {
    ++nombre;
    if (premieres.size() < kMontrees) premieres.push_back(ligne);
}

QString texteLignesIgnorees(const QString& path, const LignesIgnorees& lignes) {
    if (lignes.nombre == 1)
        return QStringLiteral("1 ligne du fichier '") + path + QStringLiteral("' a été ignorée (ligne ") +
               QString::number(lignes.premieres.front()) + QStringLiteral(").");
    QStringList numeros;
    for (const qint64 n : lignes.premieres) numeros << QString::number(n);
    QString liste = numeros.join(QStringLiteral(", "));
    if (lignes.nombre > qint64(lignes.premieres.size())) liste += QStringLiteral(", …");
    return QString::number(lignes.nombre) + QStringLiteral(" lignes du fichier '") + path +
           QStringLiteral("' ont été ignorées (lignes ") + liste + QStringLiteral(").");
}

}  // namespace sotrix
