#include "GpxReader.h"

#include "GpxNumber.h"
#include "ImportDates.h"
#include "Xml.h"

#include <string>

namespace sotrix {

namespace {

QString textOf(pugi::xml_node element) { return QString::fromStdString(xmlText(element)); }

// The first child of each name a point or a track may carry.
struct Children {
    pugi::xml_node name, ele, time, cmt, desc;
};

Children childrenOf(const XmlNames& names, pugi::xml_node parent) {
    Children c;
    auto keepFirst = [&](pugi::xml_node& slot, pugi::xml_node n, const char* name) {
        if (!slot && names.matches(n.name(), name)) {
            slot = n;
            return true;
        }
        return false;
    };
    for (pugi::xml_node n = parent.first_child(); n; n = n.next_sibling()) {
        if (n.type() != pugi::node_element) continue;
        keepFirst(c.name, n, "name") || keepFirst(c.ele, n, "ele") || keepFirst(c.time, n, "time") ||
            keepFirst(c.cmt, n, "cmt") || keepFirst(c.desc, n, "desc");
    }
    return c;
}

// "time", else "desc", else "cmt"; a "desc" that gives no date ends the search.
QString dateOf(const Children& c, int decalage) {
    if (c.time) {
        const auto t = lireTempsGpx(xmlText(c.time));
        return t ? formateDate(*t, decalage) : QString();
    }
    const pugi::xml_node source = c.desc ? c.desc : c.cmt;
    if (!source) return {};
    const QByteArray d = texteVersDate(textOf(source)).toUtf8();
    if (d.isEmpty()) return {};
    const auto t = lireDate(std::string_view(d.constData(), std::size_t(d.size())));
    return t ? formateDate(*t, decalage) : QString();
}

// Reads lat, lon, ele and the date; false when lat or lon is missing or unreadable.
bool readPoint(pugi::xml_node node, const Children& c, int decalage, GpxPoint& p) {
    const pugi::xml_attribute lat = node.attribute("lat");
    const pugi::xml_attribute lon = node.attribute("lon");
    if (!lat || !lon) return false;
    const auto la = lireNombreGpx(lat.value());
    const auto lo = lireNombreGpx(lon.value());
    if (!la || !lo) return false;
    p.lat = *la;
    p.lon = *lo;
    p.altitude = c.ele ? lireNombreGpx(xmlText(c.ele)) : std::nullopt;
    p.date = dateOf(c, decalage);
    return true;
}

Flow walkTrack(const XmlNames& names, pugi::xml_node track, bool route, int decalage, GpxSink& sink) {
    const Children c = childrenOf(names, track);
    GpxTrack t;
    if (c.name) t.name = textOf(c.name);
    if (c.cmt)
        t.description = textOf(c.cmt);
    else if (c.desc)
        t.description = textOf(c.desc);
    if (sink.trackStart(t) == Flow::Stop) return Flow::Stop;

    GpxPoint p;
    auto walkPoints = [&](pugi::xml_node parent, const char* pointName) {
        for (pugi::xml_node n = parent.first_child(); n; n = n.next_sibling()) {
            if (!names.matches(n, pointName)) continue;
            if (!readPoint(n, childrenOf(names, n), decalage, p)) continue;
            if (sink.trackPoint(p) == Flow::Stop) return Flow::Stop;
        }
        return Flow::Continue;
    };
    if (route) return walkPoints(track, "rtept");
    for (pugi::xml_node seg = track.first_child(); seg; seg = seg.next_sibling())
        if (names.matches(seg, "trkseg") && walkPoints(seg, "trkpt") == Flow::Stop) return Flow::Stop;
    return Flow::Continue;
}

}  // namespace

bool estRacineGpx(pugi::xml_node root) { return root && XmlNames(root).matches(root, "gpx"); }

Flow parcourtGpx(pugi::xml_node root, int decalageHeures, GpxSink& sink) {
    const XmlNames names(root);
    for (pugi::xml_node n = root.first_child(); n; n = n.next_sibling()) {
        if (!names.matches(n, "wpt")) continue;
        const Children c = childrenOf(names, n);
        GpxWaypoint w;
        if (!readPoint(n, c, decalageHeures, w.point)) continue;
        if (c.name) w.name = textOf(c.name);
        if (c.cmt) {
            QString cmt = textOf(c.cmt);
            if (!cmt.isEmpty()) w.description = std::move(cmt);
        } else if (c.desc) {
            QString desc = textOf(c.desc);
            if (!desc.isEmpty()) w.description = std::move(desc);
        }
        if (sink.waypoint(w) == Flow::Stop) return Flow::Stop;
    }
    for (pugi::xml_node n = root.first_child(); n; n = n.next_sibling())
        if (names.matches(n, "trk") && walkTrack(names, n, false, decalageHeures, sink) == Flow::Stop)
            return Flow::Stop;
    for (pugi::xml_node n = root.first_child(); n; n = n.next_sibling())
        if (names.matches(n, "rte") && walkTrack(names, n, true, decalageHeures, sink) == Flow::Stop)
            return Flow::Stop;
    return Flow::Continue;
}

}  // namespace sotrix
