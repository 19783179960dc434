#include "Logo.h"

#include <QPainter>
#include <QPainterPath>

namespace sotrix {

QPixmap logoSotrix(int side) {
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = side;
    // The grid of a map sheet.
    p.setPen(QPen(QColor(150, 170, 190), s / 48.0));
    p.setBrush(QColor(230, 240, 250));
    p.drawRoundedRect(QRectF(s * 0.06, s * 0.30, s * 0.88, s * 0.64), s * 0.06, s * 0.06);
    for (int i = 1; i < 4; ++i) {
        const double x = s * (0.06 + 0.22 * i);
        p.drawLine(QPointF(x, s * 0.30), QPointF(x, s * 0.94));
    }
    p.drawLine(QPointF(s * 0.06, s * 0.62), QPointF(s * 0.94, s * 0.62));
    // The pin of a waypoint.
    QPainterPath pin;
    pin.moveTo(s * 0.5, s * 0.86);
    pin.cubicTo(s * 0.28, s * 0.56, s * 0.26, s * 0.40, s * 0.26, s * 0.30);
    pin.arcTo(QRectF(s * 0.26, s * 0.06, s * 0.48, s * 0.48), 180, -180);
    pin.cubicTo(s * 0.74, s * 0.40, s * 0.72, s * 0.56, s * 0.5, s * 0.86);
    p.setPen(QPen(QColor(120, 0, 0), s / 40.0));
    p.setBrush(QColor(220, 30, 30));
    p.drawPath(pin);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(s * 0.5, s * 0.30), s * 0.09, s * 0.09);
    return pixmap;
}

}  // namespace sotrix
