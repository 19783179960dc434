#pragma once
// The program's picture, drawn in code: a map pin over a grid, for the settings dialog
// and the about box.

#include <QPixmap>

namespace sotrix {

QPixmap logoSotrix(int side);

}  // namespace sotrix
