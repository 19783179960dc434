#include "ImportStore.h"

#include "State.h"
#include "proj4.h"

#include <stdexcept>

namespace sotrix {

namespace {

QVariant orNull(const std::optional<double>& v) { return v ? QVariant(*v) : QVariant(); }
QVariant orNull(const std::optional<QString>& v) { return v ? QVariant(*v) : QVariant(); }
QVariant dateOrNull(const QString& date) { return date.isEmpty() ? QVariant() : QVariant(date); }

}  // namespace

PointStore::PointStore(Database& db, ProjSystems& systems)
    : db_(db),
      systems_(systems),
      insertWaypoint_(db, QStringLiteral("INSERT INTO Points (Nom, Lon, Lat, X, Y, Altitude, Date, Description) "
                                         "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)")),
      nameWaypoint_(db, QStringLiteral("UPDATE Points SET Nom = ?1 WHERE Id_point = ?2")),
      insertTrace_(db, QStringLiteral("INSERT INTO Trace (Nom, Description, Fermer) VALUES (?1, ?2, ?3)")),
      nameTrace_(db, QStringLiteral("UPDATE Trace SET Nom = ?1 WHERE Id_trace = ?2")),
      insertTrackPoint_(db, QStringLiteral("INSERT INTO Points (Trace, Num_trace, Lon, Lat, X, Y, Altitude, Date, "
                                           "Description) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)")) {}

std::optional<PointStore::Coordonnees> PointStore::projette(SourceSysteme source, double a, double b) {
    double x = a;
    double y = b;
    bool ok;
    if (source == SourceSysteme::Gps) {
        ok = systems_.transforme(x, y);
    } else {
        ok = projTransformePoint(systems_.destination(), systems_.source(), x, y);
        state().resultatOk = ok;
    }
    if (ok) return source == SourceSysteme::Gps ? Coordonnees{a, b, x, y} : Coordonnees{x, y, a, b};
    const QString question = QStringLiteral("Une erreur est survenue lors de la projection : ") +
                             state().derniereErreurProj + QStringLiteral(".\nVoulez-vous continuer ?");
    if (prompter().ask(question) != Answer::Yes) stop_ = true;
    return std::nullopt;
}

Flow PointStore::waypoint(SourceSysteme source, double a, double b, const ChampsWaypoint& champs) {
    const auto c = projette(source, a, b);
    if (!c) return stop_ ? Flow::Stop : Flow::Continue;
    insertWaypoint_.run({orNull(champs.nom), c->lon, c->lat, c->x, c->y, orNull(champs.altitude),
                         dateOrNull(champs.date), orNull(champs.description)});
    if (!champs.nom) {
        const qint64 id = db_.lastInsertId();
        nameWaypoint_.run({QString::number(id), id});
    }
    return Flow::Continue;
}

void PointStore::debutTrace(const std::optional<QString>& nom, const std::optional<QString>& description) {
    ChampsTrace champs;
    champs.nom = nom;
    champs.description = description;
    debutTrace(champs);
}

void PointStore::debutTrace(const ChampsTrace& champs) {
    insertTrace_.run({champs.nom ? QVariant(*champs.nom + champs.suffixe) : QVariant(), orNull(champs.description),
                      champs.fermer ? 1 : 0});
    trace_ = db_.lastInsertId();
    numTrace_ = 0;
    if (!champs.nom) nameTrace_.run({QString::number(trace_) + champs.suffixe, trace_});
}

Flow PointStore::pointTrace(SourceSysteme source, double a, double b, const ChampsPoint& champs,
                            const std::optional<QString>& description) {
    if (trace_ == 0) throw std::logic_error("track point before its track");
    const auto c = projette(source, a, b);
    if (!c) return stop_ ? Flow::Stop : Flow::Continue;
    insertTrackPoint_.run({trace_, ++numTrace_, c->lon, c->lat, c->x, c->y, orNull(champs.altitude),
                           dateOrNull(champs.date), orNull(description)});
    return Flow::Continue;
}

}  // namespace sotrix
