#include "RoundPenLine.h"

#include "PixelRounding.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace sotrix {

namespace {

// Qt's length of the control lines of a quarter circle, for a radius of 1.
constexpr double kKappa = 0.5522847498;
// Qt's flattening threshold for curves at a device scale of 1.
constexpr double kFlatness = 0.25;
// Beyond this many pixels from the image, the painter clips outlines itself.
constexpr double kFarOut = 16000;

// Qt's rounding of a coordinate to the 26.6 grid: to the nearest, halves away from zero.
std::int64_t onGrid(double v) {
    const double s = v * 64;
    return s >= 0 ? std::int64_t(s + 0.5) : std::int64_t(s - 0.5);
}

// A cubic Bézier curve by the coordinates of its four points, x and y apart.
struct Bezier {
    double x[4], y[4];
};

// De Casteljau at the middle, as Qt splits, on one coordinate.
void split(const double (&c)[4], double (&first)[4], double (&second)[4]) {
    const double middle = (c[1] + c[2]) * .5;
    first[0] = c[0];
    first[1] = (c[0] + c[1]) * .5;
    second[2] = (c[2] + c[3]) * .5;
    second[3] = c[3];
    first[2] = (first[1] + middle) * .5;
    second[1] = (second[2] + middle) * .5;
    first[3] = second[0] = (first[2] + second[1]) * .5;
}

// Whether a piece of curve whose control points lie between y0 and y1 (device pixels) can
// cross the centre of a row, with room for the rounding to the grid: the pieces that do
// not are kept whole, since the spans only depend on where edges cross rows.
bool crossesRows(double y0, double y1) {
    constexpr double kRoom = 1.0 / 32;
    return ceilToInt(y0 - kRoom - 0.5) + 0.5 <= y1 + kRoom;
}

}  // namespace

RoundPenLine::RoundPenLine(double width, double scale, QPointF shift)
    : halfWidth_(width / 2), scale_(scale), threshold_(kFlatness / scale), shift_(shift) {}

void RoundPenLine::flatten(const QPointF (&p)[4]) {
    // Qt's own: split until both control points lie close enough to the chord (measured
    // with its Manhattan length), at most nine times; each piece adds its end.
    Bezier stack[10];
    int levels[10];
    for (int i = 0; i < 4; ++i) {
        stack[0].x[i] = p[i].x();
        stack[0].y[i] = p[i].y();
    }
    levels[0] = 9;
    int top = 0;
    while (top >= 0) {
        const Bezier& b = stack[top];
        const double dx = b.x[3] - b.x[0], dy = b.y[3] - b.y[0];
        double l = std::abs(dx) + std::abs(dy), d;
        if (l > 1.) {
            d = std::abs(dx * (b.y[0] - b.y[1]) - dy * (b.x[0] - b.x[1])) +
                std::abs(dx * (b.y[0] - b.y[2]) - dy * (b.x[0] - b.x[2]));
        } else {
            d = std::abs(b.x[0] - b.x[1]) + std::abs(b.y[0] - b.y[1]) + std::abs(b.x[0] - b.x[2]) +
                std::abs(b.y[0] - b.y[2]);
            l = 1.;
        }
        const auto [low, high] = std::minmax({b.y[0], b.y[1], b.y[2], b.y[3]});
        if (d < threshold_ * l || levels[top] == 0 ||
            !crossesRows(low * scale_ + shift_.y(), high * scale_ + shift_.y())) {
            outline_.emplace_back(b.x[3], b.y[3]);
            --top;
        } else {
            Bezier first, second;
            split(b.x, first.x, second.x);
            split(b.y, first.y, second.y);
            stack[top] = second;
            stack[top + 1] = first;
            levels[top + 1] = --levels[top];
            ++top;
        }
    }
}

bool RoundPenLine::painted(const QImage& image, QPointF c, QRgb colour) const {
    // Every pixel whose centre lies within the pen's reach of c, with room for the grid;
    // those off the image are never painted.
    const double x = c.x() * scale_ + shift_.x(), y = c.y() * scale_ + shift_.y();
    const double reach = halfWidth_ * scale_ + 1.0 / 32;
    const int first = std::max(0, ceilToInt(y - reach - 0.5));
    const int last = std::min(image.height() - 1, floorToInt(y + reach - 0.5));
    for (int row = first; row <= last; ++row) {
        const double dy = row + 0.5 - y, half = std::sqrt(std::max(0.0, reach * reach - dy * dy));
        const int from = std::max(0, ceilToInt(x - half - 0.5));
        const int to = std::min(image.width() - 1, floorToInt(x + half - 0.5));
        const auto* pixels = reinterpret_cast<const QRgb*>(image.constScanLine(row));
        for (int i = from; i <= to; ++i)
            if (pixels[i] != colour) return false;
    }
    return true;
}

void RoundPenLine::cap(QPointF c, QPointF n, QPointF u, bool whole) {
    // A cap over pixels all painted already is left out, the side joined straight across.
    if (!whole) {
        outline_.push_back(c - n);
        return;
    }
    const QPointF start = c + n, tip = c + u, end = c - n;
    flatten({start, start + kKappa * u, tip + kKappa * n, tip});
    flatten({tip, tip - kKappa * n, end + kKappa * u, end});
}

bool RoundPenLine::draw(QImage& image, QPointF a, QPointF b, QRgb colour) {
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    const double length = std::sqrt(dx * dx + dy * dy);
    if (!(length > 0)) return true;
    const double far = kFarOut - halfWidth_ - 1;
    for (const QPointF& p : {a, b})
        if (!(std::abs(p.x() * scale_ + shift_.x()) < far && std::abs(p.y() * scale_ + shift_.y()) < far)) return false;
    // The stroker's outline, in the painter's pixels: one side, the cap at b, the other
    // side, the cap at a.
    const QPointF n(halfWidth_ * (dy / length), halfWidth_ * (-dx / length));
    const QPointF u(halfWidth_ * (dx / length), halfWidth_ * (dy / length));
    outline_.clear();
    outline_.push_back(a + n);
    outline_.push_back(b + n);
    cap(b, n, u, !painted(image, b, colour));
    outline_.push_back(a - n);
    cap(a, -n, -u, !painted(image, a, colour));

    // On the device's grid.
    const int w = image.width(), h = image.height();
    grid_.clear();
    std::int64_t minX = std::numeric_limits<std::int64_t>::max(), maxX = std::numeric_limits<std::int64_t>::min();
    std::int64_t minY = minX, maxY = maxX;
    for (const QPointF& p : outline_) {
        const std::int64_t gx = onGrid(p.x() * scale_ + shift_.x()), gy = onGrid(p.y() * scale_ + shift_.y());
        grid_.push_back(gx);
        grid_.push_back(gy);
        minX = std::min(minX, gx);
        maxX = std::max(maxX, gx);
        minY = std::min(minY, gy);
        maxY = std::max(maxY, gy);
    }
    // The scan works half a pixel to the right of the outline: the painter's clipping at
    // the image's sides is not reproduced.
    if (minX < 0 || maxX + 32 >= std::int64_t(w) * 64) return false;
    const std::int64_t top = std::max<std::int64_t>(0, (minY + 32) >> 6);
    const std::int64_t bottom = std::min<std::int64_t>(h - 1, (maxY - 32) >> 6);
    if (top > bottom) return true;

    // The outline is convex: each row lies between its leftmost and rightmost crossing.
    // Crossings as the scan converter computes them, in 16.16 fixed point, half a pixel
    // to the right, one step of the slope a row.
    const size_t rows = size_t(bottom - top + 1);
    left_.assign(rows, std::numeric_limits<std::int64_t>::max());
    right_.assign(rows, std::numeric_limits<std::int64_t>::min());
    const size_t corners = grid_.size() / 2;
    for (size_t i = 0, j = 1; i < corners; ++i, j = j + 1 == corners ? 0 : j + 1) {
        std::int64_t ax = grid_[2 * i], ay = grid_[2 * i + 1], bx = grid_[2 * j], by = grid_[2 * j + 1];
        if (ay == by) continue;
        if (ay > by) {
            std::swap(ax, bx);
            std::swap(ay, by);
        }
        const std::int64_t first = std::max(top, (ay + 32) >> 6), last = std::min(bottom, (by - 32) >> 6);
        if (first > last) continue;
        std::int64_t x = 32768 + ax * 1024, step = 0;
        if (bx != ax) {
            step = std::int64_t(double(bx - ax) / double(by - ay) * 65536.);
            x += (step * ((first << 16) + 32768 - ay * 1024)) >> 16;
        }
        for (std::int64_t row = first; row <= last; ++row, x += step) {
            const size_t k = size_t(row - top);
            left_[k] = std::min(left_[k], x >> 16);
            right_[k] = std::max(right_[k], x >> 16);
        }
    }
    uchar* bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    for (size_t k = 0; k < rows; ++k) {
        if (left_[k] >= right_[k]) continue;
        auto* row = reinterpret_cast<QRgb*>(bits + (top + std::int64_t(k)) * stride);
        std::fill(row + left_[k], row + right_[k], colour);
    }
    return true;
}

}  // namespace sotrix
