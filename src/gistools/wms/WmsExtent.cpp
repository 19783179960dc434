#include "WmsExtent.h"

#include "Prompter.h"
#include "State.h"
#include "proj4.h"

#include <algorithm>

namespace sotrix {
namespace {

struct Union {
    std::optional<LayerExtent> extent;
    void add(double x, double y) {
        if (!extent) {
            extent = LayerExtent{x, y, x, y};
            return;
        }
        extent->minX = std::min(extent->minX, x);
        extent->minY = std::min(extent->minY, y);
        extent->maxX = std::max(extent->maxX, x);
        extent->maxY = std::max(extent->maxY, y);
    }
};

}  // namespace

std::optional<LayerExtent> etendueWms(const std::vector<WmsLayer>& layers, ProjSystems& systems, bool convert) {
    Union all;
    for (const WmsLayer& l : layers) {
        if (!convert) {
            all.add(l.minx, l.miny);
            all.add(l.maxx, l.maxy);
            continue;
        }
        Union layer;
        bool failed = false;
        for (int i = 0; i < kPointsParBord; ++i) {
            const double t = double(i) / (kPointsParBord - 1);
            const double x = l.minx + t * (l.maxx - l.minx);
            const double y = l.miny + t * (l.maxy - l.miny);
            const std::pair<double, double> points[] = {{x, l.miny}, {x, l.maxy}, {l.minx, y}, {l.maxx, y}};
            for (auto [px, py] : points) {
                if (systems.transforme(px, py))
                    layer.add(px, py);
                else
                    failed = true;
            }
        }
        if (failed &&
            prompter().ask(QStringLiteral("Une erreur est survenue lors de la détermination de l'étendue de la carte ?")) !=
                Answer::Yes)
            return std::nullopt;
        if (layer.extent) {
            all.add(layer.extent->minX, layer.extent->minY);
            all.add(layer.extent->maxX, layer.extent->maxY);
        }
    }
    return all.extent;
}

}  // namespace sotrix
