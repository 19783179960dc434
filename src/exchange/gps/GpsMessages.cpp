#include "GpsMessages.h"

namespace sotrix {

namespace {

QString withItems(QString text, const QStringList& items) {
    for (const QString& item : items) text += u'\n' + item;
    return text;
}

}  // namespace

QString titreTelechargement(bool waypoints, bool tracks, bool routes) {
    QString title = QStringLiteral("Téléchargement ");
    if (waypoints) title += QStringLiteral("des Waypoints, ");
    if (tracks) title += QStringLiteral("des Traces, ");
    if (routes) title += QStringLiteral("des Routes, ");
    title.chop(2);
    const qsizetype comma = title.lastIndexOf(u',');
    if (comma >= 0) title.replace(comma, 1, QStringLiteral(" et"));
    return title;
}

QString titreEnvoi(bool waypoints, bool tracks) {
    if (waypoints && tracks) return QStringLiteral("Envoi des Waypoints et des Traces vers le GPS");
    if (waypoints) return QStringLiteral("Envoi des Waypoints vers le GPS");
    return QStringLiteral("Envoi des Traces vers le GPS");
}

QString msgTransfertReussi(GpsDirection direction) {
    return direction == GpsDirection::Download ? QStringLiteral("Téléchargement terminé.")
                                               : QStringLiteral("Transfert terminé.");
}

QString msgErreursGps(GpsDirection direction, const QStringList& items) {
    QString text = direction == GpsDirection::Download
                       ? QStringLiteral("Une erreur est survenue lors du téléchargement des données depuis le GPS : ")
                       : QStringLiteral("Une erreur est survenue lors de l'envoi des données vers le GPS : ");
    text += u'\n';
    for (const QString& item : items) text += item + u'\n';
    return text;
}

QString msgEchecExecution(GpsDirection direction, int port, const QStringList& items) {
    QString text = direction == GpsDirection::Download
                       ? QStringLiteral("Une erreur s'est produite lors du téléchargement des données depuis le GPS.")
                       : QStringLiteral("Une erreur s'est produite lors du transfert vers le GPS.");
    text += u'\n';
    if (port == kPortUsb)
        text += QStringLiteral("Vérifier que le gps est bien allumé et connecté au port USB.");
    else
        text += QStringLiteral("Vérifier que le gps est bien allumé et connecté au port COM") + QString::number(port) +
                u'.';
    return withItems(text, items);
}

QString msgAucuneDonnee(const QStringList& items) {
    return withItems(QStringLiteral("Une erreur est survenue lors du téléchargement depuis le GPS.\n"
                                    "Vérifiez que le GPS est connecté à l'ordinateur et que le port de "
                                    "communication (série ou USB) spécifié dans les options de l'application "
                                    "est correct."),
                     items);
}

QString msgGpxAbsent(const QString& path) {
    return QStringLiteral("Une erreur est survenue lors de la génération du fichier GPX.\nLe fichier '") + path +
           QStringLiteral("' n'existe pas.");
}

QString msgTypeGpsInconnu() { return QStringLiteral("Type de Gps inconnu."); }

}  // namespace sotrix
