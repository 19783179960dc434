#include "ImportStore.h"

#include "NameCollation.h"
#include "Prompter.h"
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

Flow PointStore::ajoute(Attente attente) {
    if (stop_) return Flow::Stop;
    lot_.push_back(std::move(attente));
    if (lot_.size() == kPointsParLot) vide();
    return stop_ ? Flow::Stop : Flow::Continue;
}

void PointStore::ligneIgnoree(LignesIgnorees& ignorees, qint64 ligne) {
    if (stop_) return;
    if (lot_.empty())
        ignorees.ajoute(ligne);
    else
        ignorees_.push_back({lot_.size(), &ignorees, ligne});
}

bool PointStore::continueApresEchec(int code) {
    state().derniereErreurProj = texteErreurProj(code);
    const QString question = QStringLiteral("Une erreur est survenue lors de la projection : ") +
                             state().derniereErreurProj + QStringLiteral(".\nVoulez-vous continuer ?");
    return prompter().ask(question) == Answer::Yes;
}

void PointStore::vide() {
    const std::size_t n = lot_.size();
    // Each system's pairs in one call, in the direction of their source.
    std::vector<int> codes(n, 0);
    std::vector<double> x(n), y(n);
    for (const SourceSysteme source : {SourceSysteme::Gps, SourceSysteme::Carte}) {
        std::vector<std::size_t> indices;
        for (std::size_t i = 0; i < n; ++i)
            if (lot_[i].source == source) indices.push_back(i);
        if (indices.empty()) continue;
        std::vector<double> a(indices.size()), b(indices.size());
        for (std::size_t k = 0; k < indices.size(); ++k) {
            a[k] = lot_[indices[k]].a;
            b[k] = lot_[indices[k]].b;
        }
        const std::vector<int> c = source == SourceSysteme::Gps
                                       ? projTransformeLot(systems_.source(), systems_.destination(), a, b)
                                       : projTransformeLot(systems_.destination(), systems_.source(), a, b);
        for (std::size_t k = 0; k < indices.size(); ++k) {
            x[indices[k]] = a[k];
            y[indices[k]] = b[k];
            codes[indices[k]] = c[k];
        }
    }
    std::size_t ligne = 0;
    auto compteLignes = [&](std::size_t jusqua) {
        for (; ligne < ignorees_.size() && ignorees_[ligne].avant <= jusqua; ++ligne)
            ignorees_[ligne].ignorees->ajoute(ignorees_[ligne].ligne);
    };
    for (std::size_t i = 0; i < n && !stop_; ++i) {
        compteLignes(i);
        Attente& p = lot_[i];
        state().resultatOk = codes[i] == 0;
        if (codes[i] != 0) {
            stop_ = !continueApresEchec(codes[i]);
            continue;
        }
        const Coordonnees c = p.source == SourceSysteme::Gps ? Coordonnees{p.a, p.b, x[i], y[i]}
                                                               : Coordonnees{x[i], y[i], p.a, p.b};
        p.row.lon = c.lon;
        p.row.lat = c.lat;
        p.row.x = c.x;
        p.row.y = c.y;
        if (p.nomParCle) p.row.nom = QString::number(inserts_.prochainPoint());
        if (p.row.trace == 0) empreintes_.push_back(empreinteNom(QStringView(*p.row.nom)));
        if (p.row.trace != 0) p.row.numTrace = ++numTrace_;
        inserts_.point(std::move(p.row));
    }
    if (!stop_) compteLignes(n);
    lot_.clear();
    ignorees_.clear();
}

Flow PointStore::waypoint(SourceSysteme source, double a, double b, const ChampsWaypoint& champs) {
    Attente attente{source, a, b, ligne(Coordonnees{}, champs, champs.description), !champs.nom};
    if (champs.nom) attente.row.nom = *champs.nom;
    return ajoute(std::move(attente));
}

Flow PointStore::debutTrace(const ChampsTrace& champs) {
    vide();
    if (stop_) return Flow::Stop;
    trace_ = inserts_.prochaineTrace();
    numTrace_ = 0;
    inserts_.trace(ligneTrace(champs));
    return Flow::Continue;
}

void PointStore::corrigeTrace(const ChampsTrace& champs) {
    if (trace_ == 0) throw std::logic_error("track header before its track");
    LigneTrace row = ligneTrace(champs);
    row.id = trace_;
    inserts_.corrigeTrace(std::move(row));
}

Flow PointStore::pointTrace(SourceSysteme source, double a, double b, const ChampsPoint& champs,
                            const std::optional<QString>& description) {
    if (stop_) return Flow::Stop;
    if (trace_ == 0) throw std::logic_error("track point before its track");
    Attente attente{source, a, b, ligne(Coordonnees{}, champs, description), false};
    attente.row.trace = trace_;
    return ajoute(std::move(attente));
}

void PointStore::termine() {
    vide();
    inserts_.termine();
}

}  // namespace sotrix
