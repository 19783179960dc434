#pragma once
// How close the redraw's picture is to the one drawing every row gives: the pixels that
// differ, the pixels the exact picture draws (not white), and the differing pixels that
// lie off its drawing (no pixel it draws within one pixel of them).

#include <QImage>

namespace sotrix::test {

struct PictureCheck {
    long long differing = 0, drawn = 0, offDrawing = 0;
    // Identical, or differing beside what it draws in at most 0.5 % of the drawn pixels.
    bool faithful() const { return offDrawing == 0 && differing * 200 <= drawn; }
};

PictureCheck checkPicture(const QImage& ours, const QImage& exact);

}  // namespace sotrix::test
