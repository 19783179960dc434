#pragma once
// The GPX walker: reads a GPX document as a stream and hands its waypoints, tracks and
// routes, in that order, to a sink. It touches no database, so that it can be driven
// on its own (tests, fuzzing).

#include "ImportFlow.h"
#include "XmlStream.h"

#include <QString>

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
    // The whole header of the track being handed on, when a file gives part of it after
    // the track's first segment: trackStart had only what came before.
    virtual Flow trackHeader(const GpxTrack& track) = 0;
    virtual Flow trackPoint(const GpxPoint& point) = 0;
};

// Whether the source is XML whose root element is "gpx" (bare or with its own prefix);
// nothing after the root's start tag is read.
bool estRacineGpx(const XmlSource& source);

// Walks the root's "wpt", then its "trk" (points of all "trkseg"), then its "rte", with
// memory bounded whatever the size of the file: threads of their own read the file ahead
// of the sink, which is called on the caller's thread. When no waypoint can follow the
// first track, waypoints and tracks are read in one pass, in file order, and the sink
// works while the rest of the file is read. A point without a readable "lat" and "lon"
// is passed over. Dates get decalageHeures added. Returns Stop as soon as the sink does,
// and ReadFailure when the document proves unreadable or not well-formed partway through.
Flow parcourtGpx(const XmlSource& source, int decalageHeures, GpxSink& sink);

}  // namespace sotrix
