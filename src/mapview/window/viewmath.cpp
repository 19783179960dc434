#include "viewmath.h"

#include <algorithm>
#include <cmath>

namespace sotrix {

namespace {
constexpr double kSpanFactor = 1.05;
constexpr double kMarginDivisor = 200.0;
constexpr double kSymbolDivisor = 125.0;
constexpr double kMaxDrawWidth = 32.0;
constexpr double kZoomOutDivisor = 5.0;
constexpr double kToleranceDivisor = 100.0;
constexpr double kToleranceMin = 50.0;

void setExtent(ViewState& v, const Extent& e) {
    v.vueMinX = e.minX;
    v.vueMaxX = e.maxX;
    v.vueMinY = e.minY;
    v.vueMaxY = e.maxY;
}

// Centre in the middle of the extent, span its larger side (the height when strictly
// larger).
void centreSansMarge(ViewState& v) {
    const double w = v.vueMaxX - v.vueMinX;
    const double h = v.vueMaxY - v.vueMinY;
    v.centreX = v.vueMinX + w / 2;
    v.centreY = v.vueMinY + h / 2;
    v.tailleVue = h > w ? h : w;
}

bool isSinglePoint(const ViewState& v) { return v.vueMinX == v.vueMaxX && v.vueMinY == v.vueMaxY; }

void widen(ViewState& v, double m) {
    v.vueMinX -= m;
    v.vueMaxX += m;
    v.vueMinY -= m;
    v.vueMaxY += m;
}
}  // namespace

double margeVue(const std::optional<Extent>& allPoints) {
    if (!allPoints) return 1.0;
    const double dx = std::abs(allPoints->maxX - allPoints->minX);
    const double dy = std::abs(allPoints->maxY - allPoints->minY);
    const double m = (dx > dy ? dx : dy) / kMarginDivisor;
    return m == 0 ? 1.0 : m;
}

void calcTailleCentre(ViewState& v) {
    const double w = (v.vueMaxX - v.vueMinX) * kSpanFactor;
    const double h = (v.vueMaxY - v.vueMinY) * kSpanFactor;
    v.centreX = v.vueMinX + (v.vueMaxX - v.vueMinX) / 2;
    v.centreY = v.vueMinY + (v.vueMaxY - v.vueMinY) / 2;
    v.tailleVue = h > w ? h : w;
}

void vueGlobale(ViewState& v, const std::optional<Extent>& points, const ReferenceLayer& ref) {
    const bool withRef = !ref.coucheRef.isEmpty();
    Extent e;
    if (!points) {
        if (withRef) e = {ref.refMinX, ref.refMinY, ref.refMaxX, ref.refMaxY};
    } else if (withRef) {
        e = {std::min(points->minX, ref.refMinX), std::min(points->minY, ref.refMinY),
             std::max(points->maxX, ref.refMaxX), std::max(points->maxY, ref.refMaxY)};
    } else {
        e = *points;
    }
    setExtent(v, e);
    if (isSinglePoint(v)) widen(v, margeVue(points));
    calcTailleCentre(v);
}

bool vueSelection(ViewState& v, const std::optional<Extent>& selected,
                  const std::function<std::optional<Extent>()>& allPoints) {
    if (!selected) return false;
    setExtent(v, *selected);
    if (isSinglePoint(v)) widen(v, margeVue(allPoints()));
    calcTailleCentre(v);
    return true;
}

CanvasScale echelleVue(ViewState& v, int w, int h, double facteurTaille) {
    v.rapportAspect = h > 0 ? double(w) / double(h) : 0;
    CanvasScale s;
    s.height = -v.tailleVue;
    s.width = v.tailleVue * v.rapportAspect;
    s.left = v.centreX - v.tailleVue * v.rapportAspect / 2;
    s.top = v.tailleVue / 2 + v.centreY;
    v.tailleSymbole = std::abs(s.height) / kSymbolDivisor * facteurTaille;
    return s;
}

int drawWidthFor(int h, double facteurTaille) {
    const double raw = double(h) * facteurTaille * facteurTaille / (2 * kSymbolDivisor);
    if (!(raw >= 1) || raw > kMaxDrawWidth) return 1;
    return int(std::nearbyint(raw));
}

void vueBoite(ViewState& v, double x1, double y1, double x2, double y2) {
    setExtent(v, {std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)});
    centreSansMarge(v);
}

void deplaceVue(ViewState& v, double dx, double dy) {
    v.centreX += dx;
    v.centreY += dy;
    v.vueMinX += dx;
    v.vueMaxX += dx;
    v.vueMinY += dy;
    v.vueMaxY += dy;
}

void elargitVue(ViewState& v) {
    widen(v, v.tailleVue / kZoomOutDivisor);
    centreSansMarge(v);
}

double toleranceClic(double tailleVue) {
    const double t = tailleVue / kToleranceDivisor;
    return t < kToleranceMin ? kToleranceMin : t;
}

}  // namespace sotrix
