#include "GpxGenerator.h"

#include <QFile>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>

namespace sotrix::bench {

namespace {

constexpr int kPointsPerWaypoint = 1000;
constexpr int kMaxTrackPoints = 10000;
constexpr double kMinLat = 49.6, kMaxLat = 51.4, kMinLon = 2.6, kMaxLon = 6.3;
// A GPS log's step, in degrees of latitude (about 1 to 8 m), and its turn at each point.
constexpr double kLogMinStep = 0.00001, kLogMaxStep = 0.00007, kLogTurn = 0.3;

void put(std::string& out, double v, int decimals) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    out.append(buf, r.ptr);
}

// "2020-01-01T00:00:00Z" plus a number of seconds below one year.
void putTime(std::string& out, long seconds) {
    static constexpr int kDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};  // 2020
    long day = seconds / 86400;
    int month = 0;
    while (day >= kDays[month]) day -= kDays[month++];
    char buf[32];
    std::snprintf(buf, sizeof buf, "2020-%02d-%02ldT%02ld:%02ld:%02ldZ", month + 1, day + 1, seconds / 3600 % 24,
                  seconds / 60 % 60, seconds % 60);
    out += buf;
}

void putPoint(std::string& out, const char* tag, double lat, double lon, double ele, long time) {
    out += '<';
    out += tag;
    out += " lat=\"";
    put(out, lat, 7);
    out += "\" lon=\"";
    put(out, lon, 7);
    out += "\"><ele>";
    put(out, ele, 1);
    out += "</ele><time>";
    putTime(out, time);
    out += "</time>";
}

}  // namespace

GpxLayout GpxLayout::forPoints(int points) {
    GpxLayout l;
    l.points = points;
    l.waypoints = points / kPointsPerWaypoint;
    l.tracks = (l.trackPoints() + kMaxTrackPoints - 1) / kMaxTrackPoints;
    return l;
}

int GpxLayout::pointsInTrack(int track) const {
    return trackPoints() / tracks + (track < trackPoints() % tracks ? 1 : 0);
}

bool writeBenchGpx(const QString& path, const GpxLayout& layout) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    std::mt19937_64 rng(4104);
    std::uniform_real_distribution<double> lat(kMinLat, kMaxLat), lon(kMinLon, kMaxLon), step(-0.0004, 0.0004),
        ele(0, 600), logStep(kLogMinStep, kLogMaxStep), turn(-kLogTurn, kLogTurn);
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<gpx version=\"1.1\" creator=\"sotrix bench\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n";
    for (int i = 0; i < layout.waypoints; ++i) {
        putPoint(out, "wpt", lat(rng), lon(rng), ele(rng), i * 60L);
        out += "<name>WPT" + std::to_string(10000 + i) + "</name></wpt>\n";
    }
    auto flush = [&] {
        const bool ok = f.write(out.data(), qint64(out.size())) == qint64(out.size());
        out.clear();
        return ok;
    };
    for (int t = 0; t < layout.tracks; ++t) {
        out += "<trk><name>Trace " + std::to_string(1000 + t) + "</name><trkseg>\n";
        // A random walk that stays inside the area.
        double la = lat(rng), lo = lon(rng), el = ele(rng);
        double heading = layout.gpsLogs ? turn(rng) * 20 : 0;
        for (int p = 0, n = layout.pointsInTrack(t); p < n; ++p) {
            if (layout.gpsLogs) {
                // A degree of longitude is about two thirds of one of latitude here.
                heading += turn(rng);
                const double d = logStep(rng);
                la = std::clamp(la + d * std::sin(heading), kMinLat, kMaxLat);
                lo = std::clamp(lo + d * std::cos(heading) * 1.5, kMinLon, kMaxLon);
                el = std::clamp(el + step(rng) * 100, 0.0, 700.0);
            } else {
                la = std::clamp(la + step(rng), kMinLat, kMaxLat);
                lo = std::clamp(lo + step(rng), kMinLon, kMaxLon);
                el = std::clamp(el + step(rng) * 1000, 0.0, 700.0);
            }
            putPoint(out, "trkpt", la, lo, el, t * 20000L + p);
            out += "</trkpt>\n";
        }
        out += "</trkseg></trk>\n";
        if (!flush()) return false;
    }
    out += "</gpx>\n";
    return flush();
}

}  // namespace sotrix::bench
