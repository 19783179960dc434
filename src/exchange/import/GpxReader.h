#pragma once
// The GPX walker: reads a parsed GPX document and hands its waypoints, tracks and
// routes, in that order, to a sink. It touches no database, so that it can be driven
// on its own (tests, fuzzing).

#include "ImportFlow.h"

#include <QString>

#include <pugixml.hpp>

#include <optional>

namespace sotrix {

struct GpxPoint {
    double lon = 0;
    double lat = 0;
    std::optional<double> altitude;
    QString date;  // "yyyy-MM-dd HH:mm:ss" with the hour offset added; "" for none
};

struct GpxWaypoint {
    GpxPoint point;
    std::optional<QString> name;         // the "name" text as written; nothing when absent
    std::optional<QString> description;  // the "cmt" or "desc" text chosen, as written
};

// A track or a route; its points follow through trackPoint().
struct GpxTrack {
    std::optional<QString> name;
    std::optional<QString> description;
};

class GpxSink {
public:
    virtual ~GpxSink() = default;
    virtual Flow waypoint(const GpxWaypoint& waypoint) = 0;
    virtual Flow trackStart(const GpxTrack& track) = 0;
    virtual Flow trackPoint(const GpxPoint& point) = 0;
};

// Whether the root element is "gpx" (bare or with its own prefix).
bool estRacineGpx(pugi::xml_node root);

// Walks the root's "wpt", then its "trk" (points of all "trkseg"), then its "rte".
// A point without a readable "lat" and "lon" is passed over. Dates get decalageHeures
// added. Returns Stop as soon as the sink does.
Flow parcourtGpx(pugi::xml_node root, int decalageHeures, GpxSink& sink);

}  // namespace sotrix
