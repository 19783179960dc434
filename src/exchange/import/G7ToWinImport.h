#pragma once
// The reader of the CSV export of G7ToWin (typeFichier 3): after four header lines, one
// item per line, its kind in the first field: "W" a waypoint (a route point inside a
// route), "N" a new track with its first point, "T" the next track point, "R" the start
// of a route, "E" its end. Coordinates are in the GPS system.

#include "ImportReader.h"
#include "LecteurTexte.h"
#include "LectureSink.h"

namespace sotrix {

// Walks the lines after the fourth. An empty line and a kind that is none of the five
// are passed over; a line too short for its kind, a point line whose latitude or
// longitude is not a number, and a track or route point with no track to go in are
// skipped (sink.skipped). Dates get decalageHeures added. ReadFailure when the text
// stops being readable; Stop as soon as the sink stops.
Flow parcourtG7ToWin(LecteurTexte& lignes, int decalageHeures, LectureSink& sink);

class G7ToWinImport final : public ImportReader {
public:
    bool ouvre(const QString& path) override { return lignes_.ouvre(path); }
    Flow lit(PointStore& store, bool fromGps) override;
    LignesIgnorees lignesIgnorees() const override { return ignorees_; }

private:
    LecteurTexte lignes_;
    LignesIgnorees ignorees_;
};

}  // namespace sotrix
