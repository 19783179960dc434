#pragma once
// One pass of the GPX walker over the stream of a document. The walker hands on all
// waypoints, then all tracks, then all routes, whatever their order in the file, so each
// kind has a pass of its own. The waypoints' pass also keeps the names and descriptions
// of every track and route, for those can follow their points.

#include "GpxReader.h"
#include "Xml.h"
#include "XmlStream.h"

#include <string>
#include <vector>

namespace sotrix {

enum class GpxKind { Waypoints, Tracks, Routes };

// Where a pass hands what it reads; false stops the pass.
class GpxPassOutput {
public:
    virtual ~GpxPassOutput() = default;
    virtual bool waypoint(GpxWaypoint&& waypoint) = 0;
    virtual bool trackStart(int index) = 0;  // the index-th track (or route) of the file, from 0
    virtual bool trackPoint(GpxPoint&& point) = 0;
};

class GpxPass final : public XmlHandler {
public:
    GpxPass(GpxKind kind, int decalageHeures, GpxPassOutput& output, XmlStream& stream);

    void startElement(const char* name, const char** attributes, int count) override;
    void endElement(const char* name) override;
    bool wantsText() const override { return capture_ != nullptr && depth_ == captureDepth_; }
    void text(std::string_view text) override { capture_->text.append(text); }

    // Filled by the waypoints' pass, in file order.
    const std::vector<GpxTrack>& tracks() const { return tracks_; }
    const std::vector<GpxTrack>& routes() const { return routes_; }

private:
    struct Field {
        bool present = false;
        std::string text;
    };
    // The element whose children are read: a waypoint, track point or route point, or,
    // in the waypoints' pass, a track or a route.
    struct Item {
        int depth = 0;  // 0: none open
        bool point = false;
        std::vector<GpxTrack>* into = nullptr;  // the list a track or route goes to
        std::string lat, lon;
        bool hasLat = false, hasLon = false;
        Field name, ele, time, cmt, desc;
    };

    void open(int depth, bool point, const char** attributes, int count);
    void captureChild(const char* name);
    void close();
    bool readPoint(GpxPoint& p) const;
    QString date() const;

    GpxKind kind_;
    int decalage_;
    GpxPassOutput& output_;
    XmlStream& stream_;
    XmlNames names_{std::string_view()};
    int depth_ = 0;
    bool inTrack_ = false;    // a trk or rte of the pass's kind
    bool inSegment_ = false;  // a trkseg in it
    int tracksSeen_ = 0;
    Item item_;
    Field* capture_ = nullptr;
    int captureDepth_ = 0;
    std::vector<GpxTrack> tracks_;
    std::vector<GpxTrack> routes_;
};

}  // namespace sotrix
