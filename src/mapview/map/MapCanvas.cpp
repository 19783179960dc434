#include "MapCanvas.h"

#include "PixelRounding.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QResizeEvent>

#include <algorithm>
#include <array>
#include <cmath>

namespace sotrix {

namespace {
// The scale of a canvas that has no view yet: twips, Y down.
constexpr double kTwipsPerPixel = 15.0;
constexpr int kResizeDelayMs = 100;
// How far points merged into a line may lie from it, as a share of the pen's width: the
// pixels whose centres an edge then crosses stay a few in a thousand of those drawn.
constexpr double kMergeTolerancePerWidth = 0.005;
}  // namespace

QColor couleurQt(qint32 colour) {
    const quint32 c = quint32(colour) & 0xFFFFFFu;
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

MapCanvas::MapCanvas(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Picture1"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setMinimumSize(1, 1);
    resizeTimer_.setSingleShot(true);
    resizeTimer_.setInterval(kResizeDelayMs);
    connect(&resizeTimer_, &QTimer::timeout, this, &MapCanvas::resizeSettled);
    useTwipsScale();
    cls();
}

void MapCanvas::useTwipsScale() {
    scaleLeft_ = 0;
    scaleTop_ = 0;
    scaleWidth_ = width() * kTwipsPerPixel;
    scaleHeight_ = height() * kTwipsPerPixel;
}

// ---------------------------------------------------------------- painter

MapCanvas::Painter::Painter(MapCanvas& canvas) : canvas_(canvas) {
    canvas_.ensureImageSize();
    // A picture pixel is a logical pixel times the ratio, exactly, as the screen shows it.
    const double dpr = canvas_.image_.devicePixelRatio();
    kx_ = canvas_.scaleWidth_ != 0 ? dpr * canvas_.width() / canvas_.scaleWidth_ : 0;
    ky_ = canvas_.scaleHeight_ != 0 ? dpr * canvas_.height() / canvas_.scaleHeight_ : 0;
    pen_ = canvas_.drawWidth_ * dpr;
    scale_.left_ = canvas_.scaleLeft_;
    scale_.top_ = canvas_.scaleTop_;
    scale_.kx_ = kx_;
    scale_.ky_ = ky_;
    if (canvas_.image_.isNull()) return;
    // Painted at a ratio of 1, a painter takes coordinates and pen widths in picture pixels.
    canvas_.image_.setDevicePixelRatio(1);
    painter_.begin(&canvas_.image_);
    // Pixels of the painter become the picture's own through its device transform: a
    // scale and a shift.
    const QTransform device = painter_.isActive() ? painter_.deviceTransform() : QTransform();
    scale_.sx_ = device.m11();
    scale_.sy_ = device.m22();
    scale_.dx_ = device.dx();
    scale_.dy_ = device.dy();
    if (pen_ * device.m11() > 1 && device.type() <= QTransform::TxScale && device.m11() == device.m22())
        roundPen_.emplace(pen_, device.m11(), QPointF(device.dx(), device.dy()));
}

double MapCanvas::Painter::mergeTolerance() const {
    const double width = pen_ * std::abs(scale_.sx_);
    return width > 1 ? width * kMergeTolerancePerWidth : 0;
}

MapCanvas::Painter::~Painter() {
    if (painter_.isActive()) {
        painter_.end();
        canvas_.image_.setDevicePixelRatio(canvas_.devicePixelRatio());
    }
    canvas_.update();
}

void MapCanvas::Painter::usePen(qint32 colour) {
    if (colour == penColour_) return;
    QPen pen(couleurQt(colour), pen_, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter_.setPen(pen);
    penColour_ = colour;
}

void MapCanvas::Painter::useBrush() {
    if (brushSet_ && brushSolid_ == canvas_.fillSolid_ && brushColour_ == canvas_.fillColour_) return;
    painter_.setBrush(canvas_.fillSolid_ ? QBrush(couleurQt(canvas_.fillColour_)) : QBrush(Qt::NoBrush));
    brushSet_ = true;
    brushSolid_ = canvas_.fillSolid_;
    brushColour_ = canvas_.fillColour_;
}

namespace {

// How far the raster may paint beyond a shape's geometry (a disc's radius, half a pen
// width), in pixels; a generous bound, so that no pixel beyond it is ever painted.
constexpr double kRasterSlack = 1.5;
// The same for a line of a pen wider than a pixel, which fills the pixels whose centres
// its outline holds: half a pixel, with room to spare. A pen of one pixel takes the
// generous bound.
constexpr double kWideLineRasterSlack = 0.5;
// Shapes whose bounds hold more pixels than this are drawn without looking at them first.
constexpr double kMostPixelsLookedAt = 1024;
// How far, in device pixels, the edge of a disc the painter draws may lie inside or
// outside the circle of its radius plus half its pen (a pen of one pixel adds half a
// pixel): measured on every pen width and device pixel ratio, at most 0.47 inside and
// 0.3 outside; these leave room.
constexpr double kDiscEdgeInside = 1.0;
constexpr double kDiscEdgeOutside = 0.25;
constexpr double kThinDiscEdgeOutside = 0.75;

// True when the box cannot hold a pixel of an image w x h.
bool offPicture(double left, double top, double right, double bottom, int w, int h) {
    return right < 0 || bottom < 0 || left > w || top > h;
}

}  // namespace

bool MapCanvas::Painter::discWithoutPainter(QPointF centre, double radius, QRgb colour) {
    // On the picture's own pixels. The painter's disc, outline and fill, covers every pixel
    // whose centre lies well within its outer edge and none beyond it: when every pixel
    // near that edge already has the disc's colour, painting the inside gives the
    // painter's very picture.
    QImage& image = canvas_.image_;
    const int w = image.width(), h = image.height();
    const QPointF c = scale_.device(centre);
    const double s = std::abs(scale_.sx_), width = pen_ * s, r = radius * s;
    const double edge = r + (width > 1 ? width / 2 : 0.5);
    const double outer = edge + (width > 1 ? kDiscEdgeOutside : kThinDiscEdgeOutside), inner = edge - kDiscEdgeInside;
    if (offPicture(c.x() - outer, c.y() - outer, c.x() + outer, c.y() + outer, w, h)) return true;
    // A fill of another colour than the outline, or a disc smaller than its pen (which the
    // painter leaves hollow), is left to the painter.
    const bool oneColour = !canvas_.fillSolid_ || couleurQt(canvas_.fillColour_).rgb() == colour;
    if (!oneColour || r < width || (2 * outer) * (2 * outer) > kMostPixelsLookedAt) return false;
    // The columns of a row whose centres lie within a distance of the centre.
    struct Span {
        int from = 0, to = -1;
    };
    auto span = [&](double dy, double distance) {
        const double d2 = distance * distance - dy * dy;
        if (d2 < 0) return Span{};
        const double half = std::sqrt(d2);
        return Span{std::max(0, ceilToInt(c.x() - half - 0.5)), std::min(w - 1, floorToInt(c.x() + half - 0.5))};
    };
    auto allOf = [colour](const QRgb* row, int from, int to) {
        for (int x = from; x <= to; ++x)
            if (row[x] != colour) return false;
        return true;
    };
    const int first = std::max(0, ceilToInt(c.y() - outer - 0.5));
    const int last = std::min(h - 1, floorToInt(c.y() + outer - 0.5));
    std::array<Span, 64> insides;
    for (int y = first; y <= last; ++y) {
        const double dy = y + 0.5 - c.y();
        const Span around = span(dy, outer), inside = span(dy, inner);
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        const bool edgePainted = inside.from > inside.to
                                     ? allOf(row, around.from, around.to)
                                     : allOf(row, around.from, inside.from - 1) && allOf(row, inside.to + 1, around.to);
        if (!edgePainted) return false;
        insides[size_t(y - first)] = inside;
    }
    for (int y = first; y <= last; ++y) {
        const Span inside = insides[size_t(y - first)];
        if (inside.from <= inside.to) {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            std::fill(row + inside.from, row + inside.to + 1, colour);
        }
    }
    return true;
}

double MapCanvas::Painter::lineReach() const {
    return pen_ / 2.0 + (pen_ >= 2 ? kWideLineRasterSlack : kRasterSlack);
}

bool MapCanvas::Painter::lineOffPicture(QPointF a, QPointF b) const {
    const double reach = lineReach();
    return offPicture(std::min(a.x(), b.x()) - reach, std::min(a.y(), b.y()) - reach,
                      std::max(a.x(), b.x()) + reach, std::max(a.y(), b.y()) + reach, canvas_.image_.width(),
                      canvas_.image_.height());
}

bool MapCanvas::Painter::lineChangesNothing(QPointF a, QPointF b, QRgb colour) const {
    const QImage& image = canvas_.image_;
    const int w = image.width(), h = image.height();
    const double reach = lineReach();
    const double left = std::min(a.x(), b.x()) - reach, right = std::max(a.x(), b.x()) + reach;
    const double top = std::min(a.y(), b.y()) - reach, bottom = std::max(a.y(), b.y()) + reach;
    if (lineOffPicture(a, b)) return true;
    if (!((right - left) * (bottom - top) <= kMostPixelsLookedAt)) return false;
    // The pixel holding b is one of those looked at below (its centre lies within reach):
    // on new ground, the answer is known at once.
    if (b.x() >= 0 && b.y() >= 0 && b.x() < w && b.y() < h &&
        reinterpret_cast<const QRgb*>(image.constScanLine(int(b.y())))[int(b.x())] != colour)
        return false;
    // Every pixel whose centre lies within reach of the segment.
    const QPointF d = b - a;
    const double length2 = QPointF::dotProduct(d, d);
    const int y0 = std::max(0, int(std::floor(top))), y1 = std::min(h - 1, int(std::ceil(bottom)));
    const int x0 = std::max(0, int(std::floor(left))), x1 = std::min(w - 1, int(std::ceil(right)));
    for (int y = y0; y <= y1; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = x0; x <= x1; ++x) {
            const QPointF p(x + 0.5, y + 0.5);
            const double t = std::clamp(QPointF::dotProduct(p - a, d) / length2, 0.0, 1.0);
            const QPointF gap = p - (a + t * d);
            if (QPointF::dotProduct(gap, gap) <= reach * reach && row[x] != colour) return false;
        }
    }
    return true;
}

namespace {

// The order in which to draw shapes of one colour placed at these pixels: the picture in
// square cells of the given side, round k holding the k-th shape of every cell, so that
// the first round already covers the crowded parts of the picture and most later shapes
// find their pixels painted.
std::vector<size_t> inRounds(const std::vector<QPointF>& pixels, double cell, QSize size) {
    const int columns = int(size.width() / cell) + 1, rows = int(size.height() / cell) + 1;
    auto slot = [cell](double v, int count) {
        const double i = v / cell;
        return i >= 0 && i < count ? int(i) : (i >= count ? count - 1 : 0);  // NaN goes to 0
    };
    std::vector<int> ranks(pixels.size());
    std::vector<int> filled(size_t(columns) * size_t(rows), 0);
    int rounds = 0;
    for (size_t i = 0; i < pixels.size(); ++i) {
        ranks[i] = filled[size_t(slot(pixels[i].y(), rows)) * size_t(columns) + size_t(slot(pixels[i].x(), columns))]++;
        rounds = std::max(rounds, ranks[i] + 1);
    }
    std::vector<size_t> start(size_t(rounds) + 1, 0);
    for (const int rank : ranks) ++start[size_t(rank) + 1];
    for (size_t k = 1; k < start.size(); ++k) start[k] += start[k - 1];
    std::vector<size_t> order(pixels.size());
    for (size_t i = 0; i < pixels.size(); ++i) order[start[size_t(ranks[i])]++] = i;
    return order;
}

}  // namespace

QPointF MapCanvas::Painter::pixel(double x, double y) const {
    return {(x - canvas_.scaleLeft_) * kx_, (y - canvas_.scaleTop_) * ky_};
}

void MapCanvas::Painter::circle(double x, double y, double r, qint32 colour) {
    if (painter_.isActive()) disc(pixel(x, y), std::abs(r * kx_), colour);
}

bool MapCanvas::Painter::centreAlreadyDrawn(QPointF devicePixel, const Disc& disc) {
    const QImage& image = canvas_.image_;
    const double x = devicePixel.x(), y = devicePixel.y();
    if (!(x >= 0 && y >= 0 && x < image.width() && y < image.height())) return false;
    if (!centresKept_ || centresOf_ != disc) {
        centres_.assign((size_t(image.width()) * size_t(image.height()) + 63) / 64, 0);
        centresOf_ = disc;
        centresKept_ = true;
    }
    const size_t i = size_t(y) * size_t(image.width()) + size_t(x);
    quint64& word = centres_[i / 64];
    const quint64 bit = quint64(1) << (i % 64);
    const bool drawn = word & bit;
    word |= bit;
    return drawn;
}

void MapCanvas::Painter::disc(QPointF centre, double radius, qint32 colour) {
    const Disc shape{radius, colour, canvas_.fillColour_, canvas_.fillSolid_};
    if (centreAlreadyDrawn(pixelScale().devicePixel(centre), shape) ||
        discWithoutPainter(centre, radius, couleurQt(colour).rgb()))
        return;
    usePen(colour);
    useBrush();
    painter_.drawEllipse(centre, radius, radius);
}

void MapCanvas::Painter::circles(const std::vector<QPointF>& centres, double r, qint32 colour) {
    if (!painter_.isActive() || centres.empty()) return;
    const double radius = std::abs(r * kx_);
    std::vector<QPointF> pixels;
    pixels.reserve(centres.size());
    for (const QPointF& c : centres) pixels.push_back(pixel(c.x(), c.y()));
    // Cells small enough that a disc paints the whole of its own cell.
    const double cell = std::max(1.0, (radius + pen_ / 2.0) / std::sqrt(2.0));
    for (const size_t i : inRounds(pixels, cell, canvas_.image_.size())) disc(pixels[i], radius, colour);
}

void MapCanvas::Painter::line(double x1, double y1, double x2, double y2, qint32 colour) {
    if (painter_.isActive()) segment(pixel(x1, y1), pixel(x2, y2), colour, couleurQt(colour).rgb());
}

void MapCanvas::Painter::segment(QPointF a, QPointF b, qint32 colour, QRgb rgb) {
    // An aliased zero-length line would still paint a pixel.
    if (a == b) return;
    // Painting a line directly costs no more than looking at its pixels first.
    if (roundPen_ && !lineOffPicture(a, b) && roundPen_->draw(canvas_.image_, a, b, rgb)) {
        forgetCentres();
        return;
    }
    if (lineChangesNothing(a, b, rgb)) return;
    forgetCentres();
    usePen(colour);
    painter_.drawLine(a, b);
}

void MapCanvas::Painter::polyline(const QPointF* points, size_t count, qint32 colour) {
    if (!painter_.isActive()) return;
    const QRgb rgb = couleurQt(colour).rgb();
    for (size_t i = 1; i < count; ++i) segment(points[i - 1], points[i], colour, rgb);
}

std::optional<QRectF> MapCanvas::Painter::userArea(double pixels) const {
    if (!painter_.isActive() || kx_ == 0 || ky_ == 0 || !std::isfinite(pixels)) return std::nullopt;
    const QSize size = canvas_.image_.size();
    const QPointF a((-pixels) / kx_ + canvas_.scaleLeft_, (-pixels) / ky_ + canvas_.scaleTop_);
    const QPointF b((size.width() + pixels) / kx_ + canvas_.scaleLeft_, (size.height() + pixels) / ky_ + canvas_.scaleTop_);
    return QRectF(a, b).normalized();
}

void MapCanvas::Painter::paintPicture(const QImage& image, double l, double t, double w, double h) {
    if (!painter_.isActive() || image.isNull()) return;
    const QPointF a((l - canvas_.scaleLeft_) * kx_, (t - canvas_.scaleTop_) * ky_);
    const QPointF b((l + w - canvas_.scaleLeft_) * kx_, (t + h - canvas_.scaleTop_) * ky_);
    painter_.drawImage(QRectF(a, b).normalized(), image);
    forgetCentres();
}

// ---------------------------------------------------------------- canvas

QSize MapCanvas::imageSize() const {
    const double dpr = devicePixelRatio();
    // Enough pixels to cover the widget when its size in the screen's pixels is fractional.
    auto pixels = [dpr](int logical) { return int(std::ceil(logical * dpr - 1e-9)); };
    return {pixels(width()), pixels(height())};
}

void MapCanvas::ensureImageSize() {
    if (image_.size() != imageSize() || image_.devicePixelRatio() != devicePixelRatio()) cls();
}

void MapCanvas::cls() {
    if (width() < 1 || height() < 1) {
        image_ = QImage();
    } else {
        if (image_.size() != imageSize()) image_ = QImage(imageSize(), QImage::Format_RGB32);
        image_.setDevicePixelRatio(devicePixelRatio());
        image_.fill(Qt::white);
    }
    update();
}

void MapCanvas::setScale(double left, double top, double width, double height) {
    scaleLeft_ = left;
    scaleTop_ = top;
    scaleWidth_ = width;
    scaleHeight_ = height;
    scaleSet_ = true;
}

void MapCanvas::setFill(bool solid, qint32 colour) {
    fillSolid_ = solid;
    fillColour_ = colour;
}

void MapCanvas::circle(double x, double y, double r, qint32 colour) { Painter(*this).circle(x, y, r, colour); }

void MapCanvas::line(double x1, double y1, double x2, double y2, qint32 colour) {
    Painter(*this).line(x1, y1, x2, y2, colour);
}

void MapCanvas::paintPicture(const QImage& image, double l, double t, double w, double h) {
    Painter(*this).paintPicture(image, l, t, w, h);
}

void MapCanvas::refresh() { repaint(); }

QPointF MapCanvas::toPixel(double x, double y) const {
    const double kx = scaleWidth_ != 0 ? width() / scaleWidth_ : 0;
    const double ky = scaleHeight_ != 0 ? height() / scaleHeight_ : 0;
    return {(x - scaleLeft_) * kx, (y - scaleTop_) * ky};
}

QPointF MapCanvas::toUser(double px, double py) const {
    const double w = width() > 0 ? width() : 1;
    const double h = height() > 0 ? height() : 1;
    return {scaleLeft_ + px * scaleWidth_ / w, scaleTop_ + py * scaleHeight_ / h};
}

void MapCanvas::showBand(const QRectF& userRect) {
    band_ = userRect;
    bandVisible_ = true;
    update();
}

void MapCanvas::hideBand() {
    bandVisible_ = false;
    update();
}

void MapCanvas::showLine(const QPointF& from, const QPointF& to) {
    measureFrom_ = from;
    measureTo_ = to;
    lineVisible_ = true;
    update();
}

void MapCanvas::hideLine() {
    lineVisible_ = false;
    update();
}

void MapCanvas::setPointer(int code) {
    pointer_ = code;
    switch (code) {
    case 1: setCursor(Qt::ArrowCursor); break;
    case 2: setCursor(Qt::CrossCursor); break;
    case 5: setCursor(Qt::SizeAllCursor); break;
    case 11: setCursor(Qt::WaitCursor); break;
    default: unsetCursor(); break;
    }
}

// ---------------------------------------------------------------- events

void MapCanvas::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    p.fillRect(event->rect(), Qt::white);
    // The picture carries its pixel ratio: it covers the widget pixel for pixel.
    if (!image_.isNull()) p.drawImage(QPointF(0, 0), image_);
    // Moved to a screen of another ratio: a fresh picture once the window settles there.
    if (!image_.isNull() && image_.devicePixelRatio() != devicePixelRatio()) resizeTimer_.start();
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::NoBrush);
    if (bandVisible_) {
        const QRectF r(toPixel(band_.left(), band_.top()), toPixel(band_.right(), band_.bottom()));
        p.drawRect(r.normalized());
    }
    if (lineVisible_) p.drawLine(toPixel(measureFrom_.x(), measureFrom_.y()), toPixel(measureTo_.x(), measureTo_.y()));
}

void MapCanvas::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (!scaleSet_) useTwipsScale();
    cls();
    resizeTimer_.start();
}

void MapCanvas::mousePressEvent(QMouseEvent* event) {
    const QPointF p = toUser(event->position().x(), event->position().y());
    emit mouseDown(event->button(), event->modifiers(), p.x(), p.y());
}

void MapCanvas::mouseMoveEvent(QMouseEvent* event) {
    const QPointF p = toUser(event->position().x(), event->position().y());
    emit mouseMove(event->buttons(), event->modifiers(), p.x(), p.y());
}

void MapCanvas::mouseReleaseEvent(QMouseEvent* event) {
    const QPointF p = toUser(event->position().x(), event->position().y());
    emit mouseUp(event->button(), event->modifiers(), p.x(), p.y());
}

// The base class would turn the second press of a double click into a press: a double
// click is only a double click here.
void MapCanvas::mouseDoubleClickEvent(QMouseEvent*) { emit dblClick(); }

}  // namespace sotrix
