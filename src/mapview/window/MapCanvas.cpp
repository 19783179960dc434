#include "MapCanvas.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QResizeEvent>

#include <cmath>

namespace sotrix {

namespace {
// The scale of a canvas that has no view yet: twips, Y down.
constexpr double kTwipsPerPixel = 15.0;
constexpr int kResizeDelayMs = 100;
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
    const QSize size = canvas_.image_.size();
    kx_ = canvas_.scaleWidth_ != 0 ? size.width() / canvas_.scaleWidth_ : 0;
    ky_ = canvas_.scaleHeight_ != 0 ? size.height() / canvas_.scaleHeight_ : 0;
    if (!canvas_.image_.isNull()) painter_.begin(&canvas_.image_);
}

MapCanvas::Painter::~Painter() {
    if (painter_.isActive()) painter_.end();
    canvas_.update();
}

void MapCanvas::Painter::usePen(qint32 colour) {
    if (colour == penColour_) return;
    QPen pen(couleurQt(colour), canvas_.drawWidth_, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter_.setPen(pen);
    penColour_ = colour;
}

void MapCanvas::Painter::circle(double x, double y, double r, qint32 colour) {
    if (!painter_.isActive()) return;
    usePen(colour);
    painter_.setBrush(canvas_.fillSolid_ ? QBrush(couleurQt(canvas_.fillColour_)) : QBrush(Qt::NoBrush));
    const double radius = std::abs(r * kx_);
    painter_.drawEllipse(QPointF((x - canvas_.scaleLeft_) * kx_, (y - canvas_.scaleTop_) * ky_), radius, radius);
}

void MapCanvas::Painter::line(double x1, double y1, double x2, double y2, qint32 colour) {
    if (!painter_.isActive()) return;
    const QPointF a((x1 - canvas_.scaleLeft_) * kx_, (y1 - canvas_.scaleTop_) * ky_);
    const QPointF b((x2 - canvas_.scaleLeft_) * kx_, (y2 - canvas_.scaleTop_) * ky_);
    // An aliased zero-length line would still paint a pixel.
    if (a == b) return;
    usePen(colour);
    painter_.drawLine(a, b);
}

void MapCanvas::Painter::paintPicture(const QImage& image, double l, double t, double w, double h) {
    if (!painter_.isActive() || image.isNull()) return;
    const QPointF a((l - canvas_.scaleLeft_) * kx_, (t - canvas_.scaleTop_) * ky_);
    const QPointF b((l + w - canvas_.scaleLeft_) * kx_, (t + h - canvas_.scaleTop_) * ky_);
    painter_.drawImage(QRectF(a, b).normalized(), image);
}

// ---------------------------------------------------------------- canvas

void MapCanvas::ensureImageSize() {
    if (image_.size() != size()) cls();
}

void MapCanvas::cls() {
    if (width() < 1 || height() < 1) {
        image_ = QImage();
    } else {
        if (image_.size() != size()) image_ = QImage(size(), QImage::Format_RGB32);
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
    if (!image_.isNull()) p.drawImage(event->rect(), image_, event->rect());
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
