#pragma once
// Draws the reference layer: the GIS tools implement it, the main window calls it while
// it redraws the map. With none installed there is no background image.

#include <QSize>
#include <QString>

namespace sotrix {

class ReferenceRenderer {
public:
    virtual ~ReferenceRenderer() = default;
    // Renders the layer for the extent into imagePath; success is judged by that file.
    virtual void render(double xmin, double ymin, double xmax, double ymax, QSize canvasPixels,
                        const QString& imagePath) = 0;
};

}  // namespace sotrix
