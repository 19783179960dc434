#pragma once
// The map picture: a persistent backing image drawn in a user scale (left, top, width,
// height; a negative height makes Y grow upward), with filled discs, lines, stretched
// images, a rubber band and a measuring line, and mouse positions in map units.
// Colours are 0x00BBGGRR. Drawing is aliased so that every pixel is predictable.

#include "RoundPenLine.h"

#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <QTimer>
#include <QWidget>

#include <cmath>
#include <optional>
#include <vector>

namespace sotrix {

// A 0x00BBGGRR colour as a QColor (only the low 24 bits count).
QColor couleurQt(qint32 colour);

class MapCanvas : public QWidget {
    Q_OBJECT
public:
    explicit MapCanvas(QWidget* parent = nullptr);

    // One painter on the backing image for a run of drawing calls. Coordinates are in the
    // user scale; the painter works in the picture's own (device) pixels, and a pen keeps
    // its width in the widget's (logical) pixels.
    class Painter {
    public:
        explicit Painter(MapCanvas& canvas);
        ~Painter();
        Painter(const Painter&) = delete;
        Painter& operator=(const Painter&) = delete;

        // A circle of radius r (converted through the horizontal factor), outlined in colour
        // and filled with the canvas fill colour when the fill is solid.
        void circle(double x, double y, double r, qint32 colour);
        // Circles as circle() draws them, all of one colour with the same fill, in an order
        // of the painter's choosing: such discs paint the union of their pixels whatever
        // their order, and an order that covers the picture early lets most of the later
        // ones be skipped.
        void circles(const std::vector<QPointF>& centres, double r, qint32 colour);
        // A line; a zero-length line paints nothing.
        void line(double x1, double y1, double x2, double y2, qint32 colour);
        // The lines between consecutive points, given in the painter's pixels (see
        // PixelScale), each as line() draws it.
        void polyline(const QPointF* points, size_t count, qint32 colour);
        // The image stretched over the rectangle (l, t, w, h) of the user scale, upright.
        void paintPicture(const QImage& image, double l, double t, double w, double h);

        // What the picture shows, widened by pixels on every side, in map units; nothing
        // when there is no picture or no scale.
        std::optional<QRectF> userArea(double pixels) const;
        // How map units land on the painter's pixels and on the picture's own (device)
        // pixels, for code that works out points away from the painter, on any thread.
        class PixelScale {
        public:
            QPointF painterPoint(double x, double y) const { return {(x - left_) * kx_, (y - top_) * ky_}; }
            // A point of the painter on the picture's own pixels, and the pixel holding it
            // as its column and row (whole numbers, as doubles: far-off points do not
            // overflow).
            QPointF device(QPointF p) const { return {p.x() * sx_ + dx_, p.y() * sy_ + dy_}; }
            QPointF devicePixel(QPointF p) const {
                const QPointF d = device(p);
                return {std::floor(d.x()), std::floor(d.y())};
            }

        private:
            friend class Painter;
            double left_ = 0, top_ = 0, kx_ = 0, ky_ = 0;
            double sx_ = 1, sy_ = 1, dx_ = 0, dy_ = 0;
        };
        const PixelScale& pixelScale() const { return scale_; }
        // How far, in device pixels, a line may move when points are merged into it: the
        // picture then differs from drawing every point only where an edge of a line passes
        // that close to the centre of a pixel. None for a pen of one pixel, every pixel of
        // which lies on an edge.
        double mergeTolerance() const;
        // The pen's width in the picture's pixels.
        double penWidth() const { return pen_; }
        // A length of the user scale in the picture's pixels, as circle() converts a radius.
        double pixels(double length) const { return std::abs(length * kx_); }

    private:
        QPointF pixel(double x, double y) const;
        // circle() and line() in pixels.
        void disc(QPointF centre, double radius, qint32 colour);
        void segment(QPointF a, QPointF b, qint32 colour, QRgb rgb);
        // A line whose pixels could only be painted in colours they already have, or only
        // outside the picture, changes nothing and is not drawn.
        bool lineChangesNothing(QPointF a, QPointF b, QRgb colour) const;
        // True when the disc needs no painter: it lies off the picture, or it is painted
        // here, pixel for pixel as the painter would, which it can when its edge lies on
        // pixels of its colour.
        bool discWithoutPainter(QPointF centre, double radius, QRgb colour);
        // How far from a line its pixels may lie, and whether none of them is in the picture.
        double lineReach() const;
        bool lineOffPicture(QPointF a, QPointF b) const;
        void usePen(qint32 colour);
        void useBrush();

        MapCanvas& canvas_;
        QPainter painter_;
        double kx_, ky_;  // picture pixels per unit of the user scale
        double pen_;      // the draw width in picture pixels
        qint32 penColour_ = -1;
        bool brushSet_ = false;
        bool brushSolid_ = false;
        qint32 brushColour_ = 0;
        // The picture's pixels holding the centre of a disc drawn (or found to change
        // nothing) since anything else was drawn, for discs alike in all but their centre:
        // another such disc centred in one of them would only move the disc's edge by less
        // than a pixel, and is not drawn.
        struct Disc {
            double radius;
            qint32 pen, fill;
            bool solid;
            bool operator==(const Disc&) const = default;
        };
        // True when a disc like this one is already centred in that pixel; marks it if not.
        bool centreAlreadyDrawn(QPointF devicePixel, const Disc& disc);
        void forgetCentres() { centresKept_ = false; }
        std::vector<quint64> centres_;
        std::optional<Disc> centresOf_;
        bool centresKept_ = false;
        PixelScale scale_;
        // The lines of a pen wider than a pixel, painted without QPainter where it can.
        std::optional<RoundPenLine> roundPen_;
    };

    // Clears the picture to white, at the widget's current size in the screen's pixels.
    void cls();
    // A drawing at the current size is under way: a resize waiting to settle has nothing
    // left to ask for.
    void drawingAtCurrentSize() { resizeTimer_.stop(); }
    void setScale(double left, double top, double width, double height);
    double scaleLeft() const { return scaleLeft_; }
    double scaleTop() const { return scaleTop_; }
    double scaleWidth() const { return scaleWidth_; }
    double scaleHeight() const { return scaleHeight_; }

    void setDrawWidth(int pixels) { drawWidth_ = pixels < 1 ? 1 : pixels; }
    int drawWidth() const { return drawWidth_; }
    // Solid fill in colour, or no fill.
    void setFill(bool solid, qint32 colour);

    // Single drawing calls (each opens its own painter).
    void circle(double x, double y, double r, qint32 colour);
    void line(double x1, double y1, double x2, double y2, qint32 colour);
    void paintPicture(const QImage& image, double l, double t, double w, double h);
    // Shows at once what was drawn.
    void refresh();

    // Between the user scale and the widget's (logical) pixels, those of mouse events.
    QPointF toPixel(double x, double y) const;
    QPointF toUser(double px, double py) const;

    // The rubber band (a rectangle in user units) and the measuring line.
    void showBand(const QRectF& userRect);
    void hideBand();
    bool bandVisible() const { return bandVisible_; }
    void showLine(const QPointF& from, const QPointF& to);
    void hideLine();
    bool lineVisible() const { return lineVisible_; }
    QPointF lineStart() const { return measureFrom_; }
    QPointF lineEnd() const { return measureTo_; }

    // 0 default, 1 arrow, 2 cross, 5 four-way arrow, 11 hourglass.
    void setPointer(int code);
    int pointer() const { return pointer_; }

    // The picture, in the screen's pixels: the widget's size times its device pixel ratio,
    // which the image carries.
    const QImage& image() const { return image_; }

signals:
    void mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, double x, double y);
    void mouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, double x, double y);
    void mouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, double x, double y);
    void dblClick();
    // The size has stopped changing for a moment: time to redraw.
    void resizeSettled();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void ensureImageSize();
    // The picture's size and pixel ratio for the widget as it is now.
    QSize imageSize() const;
    void useTwipsScale();

    QImage image_;
    double scaleLeft_ = 0, scaleTop_ = 0, scaleWidth_ = 1, scaleHeight_ = 1;
    bool scaleSet_ = false;
    int drawWidth_ = 1;
    bool fillSolid_ = false;
    qint32 fillColour_ = 0;
    QRectF band_;
    bool bandVisible_ = false;
    QPointF measureFrom_, measureTo_;
    bool lineVisible_ = false;
    int pointer_ = 0;
    QTimer resizeTimer_;
};

}  // namespace sotrix
