#include "BareDraw.h"

#include <QPainter>

#include <algorithm>

namespace sotrix::bench {

namespace {

QColor colourOf(unsigned c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }

QPointF pixel(const MapPoint& p, const BareStyle& s) { return {(p.x - s.left) * s.kx, (p.y - s.top) * s.ky}; }

}  // namespace

BareScene sceneOf(const MapData& data, const BareStyle& style, const QRectF* visiblePixels) {
    BareScene scene;
    const double discMargin = style.radius + style.penWidth + 2;
    const double lineMargin = style.penWidth + 2;
    auto discSeen = [&](const MapPoint& p) {
        if (!visiblePixels) return true;
        return visiblePixels->adjusted(-discMargin, -discMargin, discMargin, discMargin).contains(pixel(p, style));
    };
    auto segmentSeen = [&](const MapPoint& a, const MapPoint& b) {
        if (!visiblePixels) return true;
        const QPointF pa = pixel(a, style), pb = pixel(b, style);
        const QRectF box(QPointF(std::min(pa.x(), pb.x()), std::min(pa.y(), pb.y())),
                         QPointF(std::max(pa.x(), pb.x()), std::max(pa.y(), pb.y())));
        return box.adjusted(-lineMargin, -lineMargin, lineMargin, lineMargin).intersects(*visiblePixels);
    };
    for (int pass = 0; pass < 2; ++pass)
        std::copy_if(data.waypoints[pass].begin(), data.waypoints[pass].end(), std::back_inserter(scene.discs[pass]),
                     discSeen);
    for (const MapTrack& track : data.tracks) {
        auto& segments = scene.segments[track.selected];
        const auto& pts = track.points;
        for (size_t i = 1; i < pts.size(); ++i)
            if (segmentSeen(pts[i - 1], pts[i])) segments.emplace_back(pts[i - 1], pts[i]);
        if (track.closed && pts.size() >= 2 && segmentSeen(pts.back(), pts.front()))
            segments.emplace_back(pts.back(), pts.front());
    }
    return scene;
}

void drawBare(QImage& image, const BareScene& scene, const BareStyle& style) {
    image.fill(Qt::white);
    QPainter painter(&image);
    for (int pass = 0; pass < 2; ++pass) {
        painter.setPen(QPen(colourOf(style.colours[pass]), style.penWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        for (const auto& [a, b] : scene.segments[pass]) {
            const QPointF pa = pixel(a, style), pb = pixel(b, style);
            // An aliased zero-length line would still paint a pixel; the canvas draws none.
            if (pa != pb) painter.drawLine(pa, pb);
        }
    }
    for (int pass = 0; pass < 2; ++pass) {
        const QColor c = colourOf(style.colours[pass]);
        painter.setPen(QPen(c, style.penWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(c);
        for (const MapPoint& p : scene.discs[pass]) painter.drawEllipse(pixel(p, style), style.radius, style.radius);
    }
}

}  // namespace sotrix::bench
