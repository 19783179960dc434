#pragma once
// The pixels that QPainter's raster engine paints for an aliased line of a solid pen with
// round caps wider than one pixel, written straight into an RGB32 image: the outline its
// stroker makes (the two sides, and each cap as two quarter-circle Bézier curves), the
// curves flattened as it flattens them, the corners put on its 26.6 grid and the rows
// scanned with its rule (a pixel is painted when its centre lies inside, the top and left
// edges excluded). The same pixels, at a small part of the cost: drawing a line through
// QPainter mostly goes to building and flattening its caps.

#include <QImage>
#include <QPointF>

#include <cstdint>
#include <vector>

namespace sotrix {

class RoundPenLine {
public:
    // A pen of that width in the painter's pixels, which the picture's device transform
    // turns into its own by a uniform scale and a shift.
    RoundPenLine(double width, double scale, QPointF shift);

    // Paints the line from a to b (the painter's pixels) into image in colour. Paints
    // nothing and returns false when the painter would clip the outline on its own terms:
    // when it comes near the left or right side of the image, or lies far out.
    bool draw(QImage& image, QPointF a, QPointF b, QRgb colour);

private:
    // Whether every pixel a cap around c could paint has that colour already.
    bool painted(const QImage& image, QPointF c, QRgb colour) const;
    // The cap around c from c + n to c - n through c + u (|n| = |u| = the pen's half
    // width), or, when it would change nothing, the straight way across.
    void cap(QPointF c, QPointF n, QPointF u, bool whole);
    void flatten(const QPointF (&bezier)[4]);

    double halfWidth_, scale_, threshold_;
    QPointF shift_;
    std::vector<QPointF> outline_;
    std::vector<std::int64_t> grid_;  // the outline on the 26.6 grid, x and y in turn
    std::vector<std::int64_t> left_, right_;  // of each row, in pixels
};

}  // namespace sotrix
