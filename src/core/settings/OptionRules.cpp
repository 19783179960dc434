#include "OptionRules.h"

#include <QFileInfo>

#include <cmath>

namespace sotrix {

const char* const kMsgNoticeProjGps =
    "Le changement de système de projection ne sera effectif que lorsque vous aurez re-téléchargé les points depuis "
    "le GPS.";
const char* const kMsgNoticeProjFichier =
    "Le changement de système de projection ne sera effectif que lorsque vous aurez ré-ouvert le fichier en cours.";
const char* const kMsgNoticeDecalage =
    "Le changement de décalage entre l'heure locale et l'heure GPS ne sera effectif que lorsque vous aurez "
    "re-téléchargé les points depuis le GPS.";
const char* const kMsgNoticeCouleurShp =
    "La modification de la couleur de la couche de référence ne sera effective qu'àprès avoir ré-ouvert celle-ci.";
const char* const kMsgPortUsb = "Seul les GPS Garmin peuvent être connecté en USB.";
const char* const kMsgLectureProj =
    "Une erreur est survenue lors de la lecture des paramètres du système de projection.";

std::optional<int> litDecalage(const QString& text, const QLocale& locale) {
    bool ok = false;
    const double hours = locale.toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(hours)) return std::nullopt;
    const double whole = std::floor(hours);
    if (whole < -32768 || whole > 32767) return std::nullopt;
    return int(whole);
}

std::optional<QString> valideOptions(const OptionControls& c, const QLocale& locale) {
    if (c.type < 0) return QStringLiteral("Vous devez spécifier un type de GPS.");
    if (c.port < 0) return QStringLiteral("Vous devez spécifier un port de communication avec le GPS.");
    if (c.vitesse < 0 && c.type > 0) return QStringLiteral("Vous devez spécifier une vitesse de communication avec les GPS.");
    if (!litDecalage(c.decalage, locale))
        return QStringLiteral("Vous devez sépécifier le décalage entre l'heure locale et l'heure fournie par le GPS.");
    if (c.codeCarto == 0) return QStringLiteral("Vous devez sélectionner un système de projection pour l'affichage.");
    if (c.codeGps == 0) return QStringLiteral("Vous devez sélectionner le système de projection du GPS.");
    if (!c.dossier.isEmpty() && !QFileInfo(c.dossier).isDir())
        return QStringLiteral("Le répertoire de travail sélectionné n'existe pas.");
    if (c.taille < 0) return QStringLiteral("Vous devez sélectionner une taille des éléments graphiques.");
    return std::nullopt;
}

bool porteDatum(const QString& proj4) {
    return proj4.contains(QLatin1String("+datum"), Qt::CaseSensitive) ||
           proj4.contains(QLatin1String("+towgs84"), Qt::CaseSensitive);
}

QString questionDatum() {
    return QStringLiteral(
        "La commande proj.4 correspondant au système de projection sélectionné ne comprend aucune information "
        "concernant le datum utilisé. La projection des données GPS risque d'être incorrecte. Pour plus "
        "d'informations à ce sujet, veuillez consulter la documentation de la librairie proj.4 et plus "
        "particulièrement le paramètre \"+towgs84\".\nVoulez-vous néanmoins utiliser ce système de projection ?");
}

}  // namespace sotrix
