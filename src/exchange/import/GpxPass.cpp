#include "GpxPass.h"

#include "GpxNumber.h"
#include "ImportDates.h"

#include <cstring>

namespace sotrix {

namespace {

QString textOf(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

GpxPass::GpxPass(GpxKind kind, int decalageHeures, GpxPassOutput& output, XmlStream& stream)
    : kind_(kind), decalage_(decalageHeures), output_(output), stream_(stream) {}

void GpxPass::go(bool ok) {
    if (!ok) stream_.stop();
}

void GpxPass::openPoint(int depth, const char** attributes, int count) {
    point_ = Element{};
    point_.depth = depth;
    for (int i = 0; i + 1 < count; i += 2) {
        if (!point_.hasLat && std::strcmp(attributes[i], "lat") == 0) {
            point_.lat = attributes[i + 1];
            point_.hasLat = true;
        } else if (!point_.hasLon && std::strcmp(attributes[i], "lon") == 0) {
            point_.lon = attributes[i + 1];
            point_.hasLon = true;
        }
    }
}

void GpxPass::openHeader(int depth, std::vector<GpxTrack>* into, bool tracksInOrder) {
    header_ = Element{};
    header_.depth = depth;
    headerInto_ = into;
    headerInOrder_ = tracksInOrder;
    headerGiven_ = false;
    headerLate_ = false;
    if (tracksInOrder) {
        inTrack_ = true;
        ++tracksSeen_;
    }
}

// The first child of each name that a point, a track or a route may carry.
void GpxPass::captureChild(Element& parent, const char* name) {
    for (auto [field, wanted] : {std::pair{&parent.name, "name"}, std::pair{&parent.ele, "ele"},
                                 std::pair{&parent.time, "time"}, std::pair{&parent.cmt, "cmt"},
                                 std::pair{&parent.desc, "desc"}}) {
        if (!field->present && names_.matches(name, wanted)) {
            field->present = true;
            capture_ = field;
            captureDepth_ = depth_;
            if (&parent == &header_ && headerGiven_) headerLate_ = true;
            return;
        }
    }
}

void GpxPass::startElement(const char* name, const char** attributes, int count) {
    const int d = ++depth_;
    if (d == 1) {
        names_ = XmlNames(std::string_view(name));
        return;
    }
    if (point_.depth != 0) {
        if (d == point_.depth + 1) captureChild(point_, name);
        return;
    }
    if (header_.depth != 0 && d == header_.depth + 1) {
        if (headerInOrder_ && names_.matches(name, "trkseg")) {
            inSegment_ = true;
            if (!headerGiven_) {
                headerGiven_ = true;
                go(output_.trackStart(tracksSeen_ - 1, header()));
            }
            return;
        }
        captureChild(header_, name);
        return;
    }
    switch (kind_) {
    case GpxKind::Waypoints:
    case GpxKind::WaypointsAndTracks:
        if (d == 2) {
            if (names_.matches(name, "wpt"))
                openPoint(d, attributes, count);
            else if (names_.matches(name, "trk"))
                openHeader(d, &tracks_, kind_ == GpxKind::WaypointsAndTracks);
            else if (names_.matches(name, "rte"))
                openHeader(d, &routes_, false);
        } else if (d == 4 && inSegment_ && names_.matches(name, "trkpt")) {
            openPoint(d, attributes, count);
        }
        return;
    case GpxKind::Tracks:
        if (d == 2 && names_.matches(name, "trk")) {
            inTrack_ = true;
            go(output_.trackStart(tracksSeen_++, {}));
        } else if (d == 3 && inTrack_ && names_.matches(name, "trkseg")) {
            inSegment_ = true;
        } else if (d == 4 && inSegment_ && names_.matches(name, "trkpt")) {
            openPoint(d, attributes, count);
        }
        return;
    case GpxKind::Routes:
        if (d == 2 && names_.matches(name, "rte")) {
            inTrack_ = true;
            go(output_.trackStart(tracksSeen_++, {}));
        } else if (d == 3 && inTrack_ && names_.matches(name, "rtept")) {
            openPoint(d, attributes, count);
        }
        return;
    }
}

void GpxPass::endElement(const char*) {
    const int d = depth_--;
    if (capture_ && d == captureDepth_) capture_ = nullptr;
    if (d == point_.depth) {
        closePoint();
        point_.depth = 0;
    } else if (d == header_.depth) {
        closeHeader();
        header_.depth = 0;
    }
    if (d == 3) inSegment_ = false;
    if (d == 2) inTrack_ = false;
}

// "time", else "desc", else "cmt"; a "desc" that gives no date ends the search.
QString GpxPass::date() const {
    if (point_.time.present) {
        const auto t = lireTempsGpx(point_.time.text);
        return t ? formateDate(*t, decalage_) : QString();
    }
    const Field& source = point_.desc.present ? point_.desc : point_.cmt;
    if (!source.present) return {};
    const QByteArray d = texteVersDate(textOf(source.text)).toUtf8();
    if (d.isEmpty()) return {};
    const auto t = lireDate(std::string_view(d.constData(), std::size_t(d.size())));
    return t ? formateDate(*t, decalage_) : QString();
}

// Reads lat, lon, ele and the date; false when lat or lon is missing or unreadable.
bool GpxPass::readPoint(GpxPoint& p) const {
    if (!point_.hasLat || !point_.hasLon) return false;
    const auto la = lireNombreGpx(point_.lat);
    const auto lo = lireNombreGpx(point_.lon);
    if (!la || !lo) return false;
    p.lat = *la;
    p.lon = *lo;
    p.altitude = point_.ele.present ? lireNombreGpx(point_.ele.text) : std::nullopt;
    p.date = date();
    return true;
}

GpxTrack GpxPass::header() const {
    GpxTrack t;
    if (header_.name.present) t.name = textOf(header_.name.text);
    if (header_.cmt.present)
        t.description = textOf(header_.cmt.text);
    else if (header_.desc.present)
        t.description = textOf(header_.desc.text);
    return t;
}

void GpxPass::closeHeader() {
    GpxTrack t = header();
    if (headerInOrder_) {
        if (!headerGiven_)  // a track without segments
            go(output_.trackStart(tracksSeen_ - 1, GpxTrack(t)));
        else if (headerLate_)
            go(output_.trackHeader(GpxTrack(t)));
    }
    headerInto_->push_back(std::move(t));
}

void GpxPass::closePoint() {
    if (point_.depth == 2) {
        GpxWaypoint w;
        if (!readPoint(w.point)) return;
        if (point_.name.present) w.name = textOf(point_.name.text);
        const Field& description = point_.cmt.present ? point_.cmt : point_.desc;
        if (description.present && !description.text.empty()) w.description = textOf(description.text);
        go(output_.waypoint(std::move(w)));
    } else {
        GpxPoint p;
        if (readPoint(p)) go(output_.trackPoint(std::move(p)));
    }
}

}  // namespace sotrix
