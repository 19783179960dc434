#pragma once
// What the CSV, G7ToWin and shapefile walkers hand over, and the engine's side of it.
// A walker reads its file only: names come as the file writes them, pairs as they stand
// in the file, unreadable lines as their numbers. The store side mends the control
// characters of names and descriptions, cleans the names and puts every pair through the
// per-point step.

#include "ImportFlow.h"
#include "ImportReader.h"
#include "ImportStore.h"

#include <QString>

#include <optional>

namespace sotrix {

struct PointLu {
    double a = 0;  // longitude or X
    double b = 0;  // latitude or Y
    std::optional<double> altitude;
    QString date;  // "yyyy-MM-dd HH:mm:ss"; "" for none
    std::optional<QString> description;
};

struct WaypointLu : PointLu {
    std::optional<QString> nom;  // as written; nothing when the file gives none
};

struct TraceLue {
    std::optional<QString> nom;  // as written; nothing when the file gives none
    QString suffixe;             // the part number of a shape of several parts
    bool fermer = false;
};

class LectureSink {
public:
    virtual ~LectureSink() = default;
    virtual Flow waypoint(const WaypointLu& waypoint) = 0;
    // Stop: a point before it was declined, and no track was begun.
    virtual Flow trackStart(const TraceLue& trace) = 0;
    // Only after a trackStart.
    virtual Flow trackPoint(const PointLu& point) = 0;
    // A line that could not be read (its number, from 1).
    virtual void skipped(qint64 ligne) = 0;
};

// Into the store: names and descriptions with U+FFFD for their control characters
// (remplaceNonAdmis), names through nettoieNom (never from a receiver), every pair from one
// system, skipped lines counted into `ignorees`.
class StoreLectureSink final : public LectureSink {
public:
    StoreLectureSink(PointStore& store, SourceSysteme source, LignesIgnorees& ignorees)
        : store_(store), source_(source), ignorees_(ignorees) {}

    Flow waypoint(const WaypointLu& waypoint) override;
    Flow trackStart(const TraceLue& trace) override;
    Flow trackPoint(const PointLu& point) override;
    void skipped(qint64 ligne) override { store_.ligneIgnoree(ignorees_, ligne); }

private:
    PointStore& store_;
    SourceSysteme source_;
    LignesIgnorees& ignorees_;
};

}  // namespace sotrix
