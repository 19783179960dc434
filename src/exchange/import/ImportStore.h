#pragma once
// The per-point step of every import reader: each point is converted into the other
// coordinate system of the run and stored with both pairs (ImportInserts). A point that
// cannot be converted is passed over or ends the reading, as the user chooses.
//
// Points wait in a lot and are converted together, then handled in their order: what is
// stored, asked and counted is what handling them one by one would give. The lot is
// handled when full, before a new track and at the end; a point whose conversion the user
// declined ends the reading at the reader's next point or track, and nothing handed over
// after that point is stored or counted.

#include "Database.h"
#include "ImportFlow.h"
#include "ImportInserts.h"
#include "ImportReader.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace sotrix {

class ProjSystems;

// A point in both systems of the run.
struct Coordonnees {
    double lon, lat, x, y;
};

// The system in which a file gives its coordinates.
enum class SourceSysteme { Gps, Carte };

struct ChampsPoint {
    std::optional<double> altitude;
    QString date;  // "yyyy-MM-dd HH:mm:ss"; "" stores none
};

struct ChampsWaypoint : ChampsPoint {
    std::optional<QString> nom;  // cleaned; nothing gives the text of the new Id_point
    std::optional<QString> description;
};

struct ChampsTrace {
    std::optional<QString> nom;  // cleaned; nothing gives the text of the new Id_trace
    std::optional<QString> description;
    bool fermer = false;  // a ring of a polygon
    QString suffixe;      // follows the name, or the Id_trace text (the part number of a shape)
};

class PointStore {
public:
    // systems: source the GPS system, destination the map system.
    PointStore(Database& db, ProjSystems& systems);

    // (a, b) is (longitude, latitude) from the GPS system or (X, Y) from the map system.
    Flow waypoint(SourceSysteme source, double a, double b, const ChampsWaypoint& champs);
    // Stores a track row before its points; a track without a name is named after its
    // Id_trace. Its points follow, numbered from 1. Stop, and no track, when a point
    // before it was declined.
    Flow debutTrace(const ChampsTrace& champs);
    // Gives the track begun last the name and description of champs, which came after
    // some of its points; its suffix and Fermer stay.
    void corrigeTrace(const ChampsTrace& champs);
    Flow pointTrace(SourceSysteme source, double a, double b, const ChampsPoint& champs,
                    const std::optional<QString>& description = std::nullopt);
    // A line the reader could not read, counted into `ignorees` in its place among the
    // points: not at all when the reading ends at a point before it.
    void ligneIgnoree(LignesIgnorees& ignorees, qint64 ligne);
    // Handles the points still waiting and writes what is queued; the database holds every
    // row stored when it returns.
    void termine();
    // The user declined to go on after a failed conversion.
    bool arretee() const { return stop_; }

    // The fingerprints of the names of the waypoints stored (empreinteNom), in no order.
    std::vector<std::uint64_t>& empreintesWaypoints() { return empreintes_; }

    static constexpr std::size_t kPointsParLot = 8192;

private:
    struct Attente {
        SourceSysteme source;
        double a, b;
        LignePoint row;  // all but the pairs, the key, the number along its track
        bool nomParCle;  // a waypoint without a name: named after its key
    };
    struct Ignoree {
        std::size_t avant;  // the points that came before it
        LignesIgnorees* ignorees;
        qint64 ligne;
    };

    Flow ajoute(Attente attente);
    // Converts the lot and handles its points and lines in their order.
    void vide();
    // Asks whether to go on after a failed conversion; false stops.
    bool continueApresEchec(int code);
    LigneTrace ligneTrace(const ChampsTrace& champs) const;

    ProjSystems& systems_;
    ImportInserts inserts_;
    std::vector<Attente> lot_;
    std::vector<Ignoree> ignorees_;
    std::vector<std::uint64_t> empreintes_;
    qint64 trace_ = 0;
    qint64 numTrace_ = 0;
    bool stop_ = false;
};

}  // namespace sotrix
