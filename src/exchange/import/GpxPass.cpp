#include "GpxPass.h"

#include "GpxNumber.h"
#include "ImportDates.h"

#include <cstring>

namespace sotrix {

namespace {

// "time", else "desc", else "cmt"; a "desc" that gives no date ends the search.
QString date(const GpxPointTexts& t, int decalage) {
    if (t.time) {
        const auto instant = lireTempsGpx(*t.time);
        return instant ? formateDate(*instant, decalage) : QString();
    }
    if (!t.dateText) return {};
    const QByteArray d = texteVersDate(texteGpx(*t.dateText)).toUtf8();
    if (d.isEmpty()) return {};
    const auto instant = lireDate(std::string_view(d.constData(), std::size_t(d.size())));
    return instant ? formateDate(*instant, decalage) : QString();
}

std::optional<std::string_view> textIf(const std::string& text, bool present) {
    return present ? std::optional<std::string_view>(text) : std::nullopt;
}

}  // namespace

QString texteGpx(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

bool lirePoint(const GpxPointTexts& t, int decalageHeures, GpxPoint& p) {
    const auto la = lireNombreGpx(t.lat);
    const auto lo = lireNombreGpx(t.lon);
    if (!la || !lo) return false;
    p.lat = *la;
    p.lon = *lo;
    p.altitude = t.ele ? lireNombreGpx(*t.ele) : std::nullopt;
    p.date = date(t, decalageHeures);
    return true;
}

void GpxPass::Element::reset(int at) {
    depth = at;
    lat.clear();
    lon.clear();
    hasLat = hasLon = false;
    for (Field* f : {&name, &ele, &time, &cmt, &desc}) {
        f->present = false;
        f->text.clear();
    }
}

GpxPass::GpxPass(GpxKind kind, GpxPassOutput& output, XmlStream& stream)
    : kind_(kind), output_(output), stream_(stream) {}

void GpxPass::go(bool ok) {
    if (!ok) stream_.stop();
}

void GpxPass::openPoint(int depth, const char** attributes, int count) {
    point_.reset(depth);
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
    header_.reset(depth);
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

GpxTrack GpxPass::header() const {
    GpxTrack t;
    if (header_.name.present) t.name = texteGpx(header_.name.text);
    if (header_.cmt.present)
        t.description = texteGpx(header_.cmt.text);
    else if (header_.desc.present)
        t.description = texteGpx(header_.desc.text);
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
    if (!point_.hasLat || !point_.hasLon) return;
    GpxPointTexts t;
    t.lat = point_.lat;
    t.lon = point_.lon;
    t.ele = textIf(point_.ele.text, point_.ele.present);
    t.time = textIf(point_.time.text, point_.time.present);
    if (!t.time) {
        const Field& source = point_.desc.present ? point_.desc : point_.cmt;
        t.dateText = textIf(source.text, source.present);
    }
    if (point_.depth == 2) {
        t.name = textIf(point_.name.text, point_.name.present);
        const Field& description = point_.cmt.present ? point_.cmt : point_.desc;
        t.description = textIf(description.text, description.present && !description.text.empty());
        go(output_.waypoint(t));
    } else {
        go(output_.trackPoint(t));
    }
}

}  // namespace sotrix
