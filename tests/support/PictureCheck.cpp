#include "PictureCheck.h"

#include <algorithm>

namespace sotrix::test {

namespace {
// Whether the picture draws a pixel (not white) within one pixel of (x, y).
bool nearDrawn(const QImage& image, int x, int y) {
    for (int yy = std::max(0, y - 1); yy <= std::min(image.height() - 1, y + 1); ++yy) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(yy));
        for (int xx = std::max(0, x - 1); xx <= std::min(image.width() - 1, x + 1); ++xx)
            if ((row[xx] & 0xFFFFFF) != 0xFFFFFF) return true;
    }
    return false;
}
}  // namespace

PictureCheck checkPicture(const QImage& oursImage, const QImage& exactImage) {
    PictureCheck c;
    if (oursImage.size() != exactImage.size()) {
        c.differing = c.offDrawing = qMax(1, oursImage.width() * oursImage.height());
        return c;
    }
    const QImage ours = oursImage.convertToFormat(QImage::Format_RGB32);
    const QImage exact = exactImage.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < exact.height(); ++y) {
        const auto* ro = reinterpret_cast<const QRgb*>(ours.constScanLine(y));
        const auto* re = reinterpret_cast<const QRgb*>(exact.constScanLine(y));
        for (int x = 0; x < exact.width(); ++x) {
            const QRgb o = ro[x] & 0xFFFFFF, e = re[x] & 0xFFFFFF;
            c.drawn += e != 0xFFFFFF;
            if (o == e) continue;
            ++c.differing;
            c.offDrawing += !nearDrawn(exact, x, y);
        }
    }
    return c;
}

}  // namespace sotrix::test
