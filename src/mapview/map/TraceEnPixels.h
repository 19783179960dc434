#pragma once
// The points of a track, or of a part of one, in their order, as the picture's pixels see
// them. A point that lands in the device pixel of the last point kept is merged into the
// line, unless the line from the last kept point, drawn straight to the points that follow
// in that pixel, would pass farther than a tolerance from it: the line then still goes
// through every point within that tolerance, and the way out of a pixel starts from the
// last point in it. The lines that cannot reach the picture are left out, which cuts the
// kept points into runs. Built away from the canvas, on any thread.

#include "MapCanvas.h"

#include <QPointF>
#include <QRectF>

#include <optional>
#include <vector>

namespace sotrix {

// Whether the line's box meets the area (everything when there is none): a line that
// does not paints nothing.
inline bool atteint(const std::optional<QRectF>& area, QPointF a, QPointF b) {
    return !area || (std::max(a.x(), b.x()) >= area->left() && std::min(a.x(), b.x()) <= area->right() &&
                     std::max(a.y(), b.y()) >= area->top() && std::min(a.y(), b.y()) <= area->bottom());
}

class TraceEnPixels {
public:
    // tolerance in device pixels (MapCanvas::Painter::mergeTolerance); area: where a line
    // must reach to paint, in map units.
    TraceEnPixels(const MapCanvas::Painter::PixelScale& scale, double tolerance, const std::optional<QRectF>& area)
        : scale_(scale), tolerance_(tolerance), area_(area) {}

    // The next point, in map units.
    void ajoute(QPointF p);
    // After the last point: the line goes on to it.
    void termine();

    // The points given, their first and last (map units).
    qint64 count() const { return count_; }
    QPointF premier() const { return premier_; }
    QPointF dernier() const { return dernier_; }

    // Calls f(points, count) on each run, in order, with points in the painter's pixels.
    template <typename F>
    void pourChaqueSuite(F&& f) const {
        for (size_t k = 0; k < debuts_.size(); ++k) {
            const size_t fin = k + 1 < debuts_.size() ? debuts_[k + 1] : points_.size();
            f(points_.data() + debuts_[k], fin - debuts_[k]);
        }
    }

private:
    // Whether the point (the painter's pixels) may be merged: every point merged since the
    // last kept one then lies within the tolerance of the line from it to this one.
    bool fusionnable(QPointF painter);
    // Keeps p as the run's next point when the line from the last kept point reaches the area.
    void garde(QPointF p, QPointF painter, QPointF pixel);

    MapCanvas::Painter::PixelScale scale_;
    double tolerance_;
    std::optional<QRectF> area_;
    qint64 count_ = 0;
    QPointF premier_, dernier_, dernierPeintre_;
    // The last point kept: in map units, in the painter's pixels, on the device, its pixel.
    QPointF garde_, gardePeintre_, gardeDevice_, gardePixel_;
    bool fusionne_ = false;  // the last point given was merged
    // The directions from the last point kept, as angles from the first one, that pass
    // within the tolerance of every point merged since.
    bool manche_ = false;
    double reference_ = 0, bas_ = 0, haut_ = 0;
    bool suiteOuverte_ = false;  // the last point kept ends the last run
    std::vector<QPointF> points_;
    std::vector<size_t> debuts_;
};

}  // namespace sotrix
