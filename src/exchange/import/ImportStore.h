#pragma once
// The per-point step of every import reader: each point is converted into the other
// coordinate system of the run and stored with both pairs (ImportInserts). A point that
// cannot be converted is passed over or ends the reading, as the user chooses.

#include "Database.h"
#include "ImportFlow.h"
#include "ImportInserts.h"

#include <QString>

#include <optional>

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
    // Id_trace. Its points follow, numbered from 1.
    void debutTrace(const ChampsTrace& champs);
    // Gives the track begun last the name and description of champs, which came after
    // some of its points; its suffix and Fermer stay.
    void corrigeTrace(const ChampsTrace& champs);
    Flow pointTrace(SourceSysteme source, double a, double b, const ChampsPoint& champs,
                    const std::optional<QString>& description = std::nullopt);
    // Writes what is still queued; the database holds every row read when it returns.
    void termine() { inserts_.termine(); }

private:
    // Converts the pair; on failure asks whether to go on. Nothing when the point is
    // passed over or the user stops (then stop_ is set).
    std::optional<Coordonnees> projette(SourceSysteme source, double a, double b);
    LigneTrace ligneTrace(const ChampsTrace& champs) const;

    ProjSystems& systems_;
    ImportInserts inserts_;
    qint64 trace_ = 0;
    qint64 numTrace_ = 0;
    bool stop_ = false;
};

}  // namespace sotrix
