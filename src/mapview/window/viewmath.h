#pragma once
// The arithmetic of the map view, without widgets or database: extents, margins, span,
// centre, the canvas scale, symbol size and line width.

#include "MainView.h"

#include <functional>
#include <optional>

namespace sotrix {

struct Extent {
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
};

// The widening of a degenerate extent, from the extent of all points: the larger side
// over 200, or 1 when that is 0 or there are no points.
double margeVue(const std::optional<Extent>& allPoints);

// Span (1.05 times the larger side of the extent) and centre (its middle).
void calcTailleCentre(ViewState& v);

// View on the points united with the reference layer while it is set; no points: the
// layer's extent, or nothing at all. A single point (or nothing) is widened by the margin.
void vueGlobale(ViewState& v, const std::optional<Extent>& points, const ReferenceLayer& ref);

// View on the selection; false and v unchanged when nothing is selected. allPoints is only
// asked for when the selection is a single point.
bool vueSelection(ViewState& v, const std::optional<Extent>& selected,
                  const std::function<std::optional<Extent>()>& allPoints);

struct CanvasScale {
    double left = 0, top = 0, width = 0, height = 0;
};

// The user scale of a canvas of w x h pixels showing the view, Y up; also sets
// rapportAspect and tailleSymbole.
CanvasScale echelleVue(ViewState& v, int w, int h, double facteurTaille);

// The pen width in pixels for a canvas h pixels high: half a symbol in pixels times the
// factor, rounded half to even; 1 when below 1 or above 32.
int drawWidthFor(int h, double facteurTaille);

// The view on a box given by two opposite corners: the box is the extent, the centre its
// middle and the span its larger side, with no margin. A box of zero size gives span 0,
// so that the next redraw builds the global view.
void vueBoite(ViewState& v, double x1, double y1, double x2, double y2);

// Moves the view and its extent by (dx, dy); the span stays.
void deplaceVue(ViewState& v, double dx, double dy);

// Widens the extent by a fifth of the span on every side, then centre and span as for a
// box.
void elargitVue(ViewState& v);

// How near a press must be to a point to reach it: a hundredth of the span, at least 50
// map units.
double toleranceClic(double tailleVue);

}  // namespace sotrix
