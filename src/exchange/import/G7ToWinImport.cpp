#include "G7ToWinImport.h"

#include "DecoupeCsv.h"
#include "Divers.h"
#include "ImportDates.h"
#include "State.h"

#include <array>

namespace sotrix {

namespace {

constexpr int kLignesEnTete = 4;
constexpr qsizetype kChampsPoint = 15;
constexpr qsizetype kChampsRoute = 2;
constexpr QChar kDelimiteur = QLatin1Char(',');
constexpr QChar kPoint = QLatin1Char('.');

// Field positions of a point line.
enum Champ { kNom = 1, kLat = 2, kLon = 3, kMois = 4, kJour = 5, kAnnee = 6, kHeure = 7, kMinute = 8,
             kSeconde = 9, kCommentaire = 10, kAltitude = 14 };

// A whole number of at most nine digits, blanks around it allowed.
std::optional<int> entier(const QString& champ) {
    const QString t = remplace(champ, {}, {});
    if (t.isEmpty() || t.size() > 9) return std::nullopt;
    int v = 0;
    for (const QChar c : t) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
        v = v * 10 + (c.unicode() - '0');
    }
    return v;
}

// The date of fields 4 to 9 (month, day, year, hours, minutes, seconds) with the shift
// added; "" when one is missing or the date is not valid.
QString date(const QStringList& champs, int decalageHeures) {
    std::array<int, 6> v{};
    const std::array<int, 6> positions{kAnnee, kMois, kJour, kHeure, kMinute, kSeconde};
    for (std::size_t i = 0; i < v.size(); ++i) {
        const auto n = entier(champs[positions[i]]);
        if (!n) return {};
        v[i] = *n;
    }
    const qint64 annee = remplace(champs[kAnnee], {}, {}).size() <= 2 ? anneeComplete(v[0]) : v[0];
    const auto instant = instantCivil(annee, v[1], v[2], v[3], v[4], v[5]);
    return instant ? formateDate(*instant, decalageHeures) : QString();
}

// The fields every point line carries; nothing when its latitude or longitude is no number.
std::optional<PointLu> point(const QStringList& champs, int decalageHeures) {
    const auto lat = lireNombreStrict(champs[kLat], kPoint);
    const auto lon = lireNombreStrict(champs[kLon], kPoint);
    if (!lat || !lon) return std::nullopt;
    PointLu p;
    p.a = *lon;
    p.b = *lat;
    p.altitude = lireNombreStrict(champs[kAltitude], kPoint);
    p.date = date(champs, decalageHeures);
    return p;
}

std::optional<QString> nomOuRien(const QString& champ) {
    if (remplace(champ, {}, {}).isEmpty()) return std::nullopt;
    return champ;
}

std::optional<QString> commentaire(const QStringList& champs) { return nomOuRien(champs[kCommentaire]); }

TraceLue nouvelleTrace(const QStringList& champs) {
    TraceLue t;
    t.nom = nomOuRien(champs[kNom]);
    return t;
}

}  // namespace

Flow parcourtG7ToWin(LecteurTexte& lignes, int decalageHeures, LectureSink& sink) {
    QString ligne;
    for (int i = 0; i < kLignesEnTete; ++i)
        if (!lignes.suivante(ligne)) return lignes.echec() ? Flow::ReadFailure : Flow::Continue;

    bool route = false;  // from an "R" line to the next "E" line
    bool enTrace = false;  // a track or route is there for the points that follow
    QStringList champs;
    while (lignes.suivante(ligne)) {
        if (ligne.isEmpty()) continue;
        decoupeLigneCsv(ligne, kDelimiteur, champs);
        const QString genre = champs.front().toUpper();
        Flow flow = Flow::Continue;
        bool lu = true;
        if (genre == QLatin1String("W")) {
            if (champs.size() < kChampsPoint || (route && !enTrace)) {
                lu = false;
            } else if (const auto p = point(champs, decalageHeures)) {
                if (route) {
                    PointLu rp = *p;
                    rp.description = commentaire(champs);
                    flow = sink.trackPoint(rp);
                } else {
                    WaypointLu w;
                    static_cast<PointLu&>(w) = *p;
                    w.description = commentaire(champs);
                    w.nom = nomOuRien(champs[kNom]);
                    flow = sink.waypoint(w);
                }
            } else {
                lu = false;
            }
        } else if (genre == QLatin1String("N")) {
            enTrace = champs.size() >= kChampsPoint;
            if (!enTrace) {
                lu = false;
            } else if ((flow = sink.trackStart(nouvelleTrace(champs))) == Flow::Continue) {
                if (const auto p = point(champs, decalageHeures))
                    flow = sink.trackPoint(*p);
                else
                    lu = false;  // the track stays
            }
        } else if (genre == QLatin1String("T")) {
            const auto p = champs.size() >= kChampsPoint && enTrace ? point(champs, decalageHeures) : std::nullopt;
            if (p)
                flow = sink.trackPoint(*p);
            else
                lu = false;
        } else if (genre == QLatin1String("R")) {
            route = true;
            enTrace = champs.size() >= kChampsRoute;
            if (enTrace)
                flow = sink.trackStart(nouvelleTrace(champs));
            else
                lu = false;
        } else if (genre == QLatin1String("E")) {
            route = false;
        }
        if (!lu) sink.skipped(lignes.numero());
        if (flow == Flow::Stop) return Flow::Stop;
    }
    return lignes.echec() ? Flow::ReadFailure : Flow::Continue;
}

Flow G7ToWinImport::lit(PointStore& store, bool) {
    StoreLectureSink sink(store, SourceSysteme::Gps, ignorees_);
    return parcourtG7ToWin(lignes_, state().paramDecalage, sink);
}

}  // namespace sotrix
