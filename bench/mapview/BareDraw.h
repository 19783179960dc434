#pragma once
// The peer of a redraw: a bare QPainter loop that draws, from coordinates in memory, the
// same discs and lines as the map canvas (same scale, pens, brushes and passes).

#include "MapData.h"

#include <QImage>
#include <QRectF>

#include <utility>
#include <vector>

namespace sotrix::bench {

struct BareStyle {
    double left = 0, top = 0, kx = 1, ky = 1;  // map to pixels: ((x - left) * kx, (y - top) * ky)
    double radius = 1;                          // disc radius in pixels
    int penWidth = 1;
    unsigned colours[2] = {0, 0};  // unselected, selected, as 0x00BBGGRR
};

// What one loop draws: discs and segments (closing segments of rings included) per pass.
struct BareScene {
    std::vector<MapPoint> discs[2];
    std::vector<std::pair<MapPoint, MapPoint>> segments[2];
};

// Every disc and segment of the data, or only those whose pixels can reach the rectangle
// (in pixels) given.
BareScene sceneOf(const MapData& data, const BareStyle& style, const QRectF* visiblePixels);

// Clears the image to white and draws the scene: tracks unselected then selected, then
// waypoints unselected then selected.
void drawBare(QImage& image, const BareScene& scene, const BareStyle& style);

}  // namespace sotrix::bench
