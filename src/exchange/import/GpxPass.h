#pragma once
// One pass of the GPX walker over the stream of a document. The walker hands on all
// waypoints, then all tracks, then all routes, whatever their order in the file: a file
// whose waypoints all come before its tracks has them handed on in one pass, in file
// order; any other has a pass for each kind. A pass that reads the waypoints also keeps
// the names and descriptions of every track and route, for those may follow their points.
// A pass hands on a point's texts as the file gives them: numbers, dates and names are
// read from them by whoever takes them (lirePoint), off the thread of the parser.

#include "GpxReader.h"
#include "Xml.h"
#include "XmlStream.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sotrix {

// The texts of a point that has both "lat" and "lon", valid for the call they are given to.
struct GpxPointTexts {
    std::string_view lat, lon;
    std::optional<std::string_view> ele;
    std::optional<std::string_view> time;      // "time"
    std::optional<std::string_view> dateText;  // without "time": "desc", else "cmt"
    std::optional<std::string_view> name;         // a waypoint's
    std::optional<std::string_view> description;  // a waypoint's "cmt", else "desc", when not empty
};

// Reads lat, lon, ele and the date, with decalageHeures added; false when lat or lon is
// unreadable.
bool lirePoint(const GpxPointTexts& texts, int decalageHeures, GpxPoint& point);

// A text of the file (UTF-8) as the sink gets it.
QString texteGpx(std::string_view text);

enum class GpxKind {
    Waypoints,           // and the headers of tracks and routes
    WaypointsAndTracks,  // in file order, and the headers of routes
    Tracks,
    Routes,
};

// Where a pass hands what it reads; false stops the pass.
class GpxPassOutput {
public:
    virtual ~GpxPassOutput() = default;
    virtual bool waypoint(const GpxPointTexts& waypoint) = 0;
    // The index-th track (or route) of the file, from 0. Its header is what came before
    // its first segment in a pass that reads tracks in file order; empty in the others,
    // where the waypoints' pass has it.
    virtual bool trackStart(int index, GpxTrack&& header) = 0;
    // The whole header of the track just read, when part of it came after its points.
    virtual bool trackHeader(GpxTrack&& header) = 0;
    virtual bool trackPoint(const GpxPointTexts& point) = 0;
};

class GpxPass final : public XmlHandler {
public:
    GpxPass(GpxKind kind, GpxPassOutput& output, XmlStream& stream);

    void startElement(const char* name, const char** attributes, int count) override;
    void endElement(const char* name) override;
    bool wantsText() const override { return capture_ != nullptr && depth_ == captureDepth_; }
    void text(std::string_view text) override { capture_->text.append(text); }

    // Filled by a pass that reads the waypoints, in file order.
    const std::vector<GpxTrack>& tracks() const { return tracks_; }
    const std::vector<GpxTrack>& routes() const { return routes_; }

private:
    struct Field {
        bool present = false;
        std::string text;
    };
    // An element whose children are read: a waypoint, track point or route point, or the
    // header of a track or a route.
    struct Element {
        int depth = 0;  // 0: none open
        std::string lat, lon;
        bool hasLat = false, hasLon = false;
        Field name, ele, time, cmt, desc;
        // Opened at depth, with nothing read; the texts keep their room for the next.
        void reset(int at);
    };

    void openPoint(int depth, const char** attributes, int count);
    void openHeader(int depth, std::vector<GpxTrack>* into, bool tracksInOrder);
    void captureChild(Element& parent, const char* name);
    void closePoint();
    void closeHeader();
    GpxTrack header() const;
    void go(bool ok);

    GpxKind kind_;
    GpxPassOutput& output_;
    XmlStream& stream_;
    XmlNames names_{std::string_view()};
    int depth_ = 0;
    bool inTrack_ = false;    // a trk or rte of the pass's kind
    bool inSegment_ = false;  // a trkseg in it
    int tracksSeen_ = 0;
    Element point_;
    Element header_;
    std::vector<GpxTrack>* headerInto_ = nullptr;
    bool headerInOrder_ = false;  // the header's track is handed on by this pass
    bool headerGiven_ = false;    // its trackStart was handed on
    bool headerLate_ = false;     // a field of it came after that
    Field* capture_ = nullptr;
    int captureDepth_ = 0;
    std::vector<GpxTrack> tracks_;
    std::vector<GpxTrack> routes_;
};

}  // namespace sotrix
