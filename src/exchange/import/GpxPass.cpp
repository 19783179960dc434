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

void GpxPass::open(int depth, bool point, const char** attributes, int count) {
    item_ = Item{};
    item_.depth = depth;
    item_.point = point;
    if (!point) return;
    for (int i = 0; i + 1 < count; i += 2) {
        if (!item_.hasLat && std::strcmp(attributes[i], "lat") == 0) {
            item_.lat = attributes[i + 1];
            item_.hasLat = true;
        } else if (!item_.hasLon && std::strcmp(attributes[i], "lon") == 0) {
            item_.lon = attributes[i + 1];
            item_.hasLon = true;
        }
    }
}

// The first child of each name that a point, a track or a route may carry.
void GpxPass::captureChild(const char* name) {
    for (auto [field, wanted] : {std::pair{&item_.name, "name"}, std::pair{&item_.ele, "ele"},
                                 std::pair{&item_.time, "time"}, std::pair{&item_.cmt, "cmt"},
                                 std::pair{&item_.desc, "desc"}}) {
        if (!field->present && names_.matches(name, wanted)) {
            field->present = true;
            capture_ = field;
            captureDepth_ = depth_;
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
    if (item_.depth != 0) {
        if (d == item_.depth + 1) captureChild(name);
        return;
    }
    switch (kind_) {
    case GpxKind::Waypoints:
        if (d != 2) return;
        if (names_.matches(name, "wpt")) {
            open(d, true, attributes, count);
        } else if (names_.matches(name, "trk")) {
            open(d, false, attributes, count);
            item_.into = &tracks_;
        } else if (names_.matches(name, "rte")) {
            open(d, false, attributes, count);
            item_.into = &routes_;
        }
        return;
    case GpxKind::Tracks:
        if (d == 2 && names_.matches(name, "trk")) {
            inTrack_ = true;
            if (!output_.trackStart(tracksSeen_++)) stream_.stop();
        } else if (d == 3 && inTrack_ && names_.matches(name, "trkseg")) {
            inSegment_ = true;
        } else if (d == 4 && inSegment_ && names_.matches(name, "trkpt")) {
            open(d, true, attributes, count);
        }
        return;
    case GpxKind::Routes:
        if (d == 2 && names_.matches(name, "rte")) {
            inTrack_ = true;
            if (!output_.trackStart(tracksSeen_++)) stream_.stop();
        } else if (d == 3 && inTrack_ && names_.matches(name, "rtept")) {
            open(d, true, attributes, count);
        }
        return;
    }
}

void GpxPass::endElement(const char*) {
    const int d = depth_--;
    if (capture_ && d == captureDepth_) capture_ = nullptr;
    if (d == item_.depth) {
        close();
        item_.depth = 0;
    }
    if (d == 3) inSegment_ = false;
    if (d == 2) inTrack_ = false;
}

// "time", else "desc", else "cmt"; a "desc" that gives no date ends the search.
QString GpxPass::date() const {
    if (item_.time.present) {
        const auto t = lireTempsGpx(item_.time.text);
        return t ? formateDate(*t, decalage_) : QString();
    }
    const Field& source = item_.desc.present ? item_.desc : item_.cmt;
    if (!source.present) return {};
    const QByteArray d = texteVersDate(textOf(source.text)).toUtf8();
    if (d.isEmpty()) return {};
    const auto t = lireDate(std::string_view(d.constData(), std::size_t(d.size())));
    return t ? formateDate(*t, decalage_) : QString();
}

// Reads lat, lon, ele and the date; false when lat or lon is missing or unreadable.
bool GpxPass::readPoint(GpxPoint& p) const {
    if (!item_.hasLat || !item_.hasLon) return false;
    const auto la = lireNombreGpx(item_.lat);
    const auto lo = lireNombreGpx(item_.lon);
    if (!la || !lo) return false;
    p.lat = *la;
    p.lon = *lo;
    p.altitude = item_.ele.present ? lireNombreGpx(item_.ele.text) : std::nullopt;
    p.date = date();
    return true;
}

void GpxPass::close() {
    bool go = true;
    if (!item_.point) {
        GpxTrack t;
        if (item_.name.present) t.name = textOf(item_.name.text);
        if (item_.cmt.present)
            t.description = textOf(item_.cmt.text);
        else if (item_.desc.present)
            t.description = textOf(item_.desc.text);
        item_.into->push_back(std::move(t));
    } else if (kind_ == GpxKind::Waypoints) {
        GpxWaypoint w;
        if (!readPoint(w.point)) return;
        if (item_.name.present) w.name = textOf(item_.name.text);
        const Field& description = item_.cmt.present ? item_.cmt : item_.desc;
        if (description.present && !description.text.empty()) w.description = textOf(description.text);
        go = output_.waypoint(std::move(w));
    } else {
        GpxPoint p;
        if (!readPoint(p)) return;
        go = output_.trackPoint(std::move(p));
    }
    if (!go) stream_.stop();
}

}  // namespace sotrix
