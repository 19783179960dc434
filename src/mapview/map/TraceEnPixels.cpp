#include "TraceEnPixels.h"

#include <cmath>
#include <numbers>

namespace sotrix {

void TraceEnPixels::ajoute(QPointF p) {
    if (count_++ == 0) premier_ = p;
    const QPointF painter = scale_.painterPoint(p.x(), p.y());
    const QPointF pixel = scale_.devicePixel(painter);
    if (count_ > 1 && pixel.x() == gardePixel_.x() && pixel.y() == gardePixel_.y() && fusionnable(painter)) {
        fusionne_ = true;
    } else {
        termine();
        garde(p, painter, pixel);
    }
    dernier_ = p;
    dernierPeintre_ = painter;
}

bool TraceEnPixels::fusionnable(QPointF painter) {
    const QPointF d = scale_.device(painter) - gardeDevice_;
    const double distance = std::hypot(d.x(), d.y());
    // Within the tolerance of the last point kept, any line from it passes close enough.
    if (distance <= tolerance_) return true;
    const double angle = std::atan2(d.y(), d.x()), ecart = std::asin(tolerance_ / distance);
    if (!manche_) {
        reference_ = angle;
        bas_ = -ecart;
        haut_ = ecart;
        manche_ = true;
        return true;
    }
    const double relatif = std::remainder(angle - reference_, 2 * std::numbers::pi);
    if (relatif < bas_ || relatif > haut_) return false;
    bas_ = std::max(bas_, relatif - ecart);
    haut_ = std::min(haut_, relatif + ecart);
    return true;
}

void TraceEnPixels::termine() {
    if (!fusionne_) return;
    garde(dernier_, dernierPeintre_, gardePixel_);
    fusionne_ = false;
}

void TraceEnPixels::garde(QPointF p, QPointF painter, QPointF pixel) {
    if (count_ > 1 && atteint(area_, garde_, p)) {
        if (!suiteOuverte_) {
            debuts_.push_back(points_.size());
            points_.push_back(gardePeintre_);
            suiteOuverte_ = true;
        }
        points_.push_back(painter);
    } else {
        suiteOuverte_ = false;
    }
    garde_ = p;
    gardePeintre_ = painter;
    gardeDevice_ = scale_.device(painter);
    gardePixel_ = pixel;
    manche_ = false;
}

}  // namespace sotrix
