#include "ImportStore.h"

#include "State.h"
#include "proj4.h"

#include <stdexcept>

namespace sotrix {

PointStore::PointStore(Database& db, ProjSystems& systems) : systems_(systems), inserts_(db) {}

namespace {

LignePoint ligne(const Coordonnees& c, const ChampsPoint& champs, const std::optional<QString>& description) {
    LignePoint row;
    row.lon = c.lon;
    row.lat = c.lat;
    row.x = c.x;
    row.y = c.y;
    row.altitude = champs.altitude;
    row.date = DateLigne(champs.date);
    row.description = description;
    return row;
}

}  // namespace

// The row of the track begun last: a track without a name is named after its key.
LigneTrace PointStore::ligneTrace(const ChampsTrace& champs) const {
    LigneTrace row;
    row.nom = (champs.nom ? *champs.nom : QString::number(trace_)) + champs.suffixe;
    row.description = champs.description;
    row.fermer = champs.fermer;
    return row;
}

std::optional<Coordonnees> PointStore::projette(SourceSysteme source, double a, double b) {
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
    LignePoint row = ligne(*c, champs, champs.description);
    row.nom = champs.nom ? *champs.nom : QString::number(inserts_.prochainPoint());
    inserts_.point(std::move(row));
    return Flow::Continue;
}

void PointStore::debutTrace(const ChampsTrace& champs) {
    trace_ = inserts_.prochaineTrace();
    numTrace_ = 0;
    inserts_.trace(ligneTrace(champs));
}

void PointStore::corrigeTrace(const ChampsTrace& champs) {
    if (trace_ == 0) throw std::logic_error("track header before its track");
    LigneTrace row = ligneTrace(champs);
    row.id = trace_;
    inserts_.corrigeTrace(std::move(row));
}

Flow PointStore::pointTrace(SourceSysteme source, double a, double b, const ChampsPoint& champs,
                            const std::optional<QString>& description) {
    if (trace_ == 0) throw std::logic_error("track point before its track");
    const auto c = projette(source, a, b);
    if (!c) return stop_ ? Flow::Stop : Flow::Continue;
    LignePoint row = ligne(*c, champs, description);
    row.trace = trace_;
    row.numTrace = ++numTrace_;
    inserts_.point(std::move(row));
    return Flow::Continue;
}

}  // namespace sotrix
