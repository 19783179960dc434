#pragma once
// The two tool buttons of the reference layer: cmdAddShp chooses a layer (its kind is
// the position of the filter chosen in the Open dialog), reads its extent, writes its
// mapfile and redraws; cmdSupShp removes it after a confirmation.

#include "ReferenceExtent.h"

class QWidget;

namespace sotrix {

class MainView;

// Asks before replacing a layer, then shows the Open dialog until a file is accepted or
// the dialog is cancelled. A refused file gives up the layer, removes "sotrix.map" and
// opens the dialog again.
void cmdAddShp_Click(MainView& view, int gdalinfoTimeoutMs = kDelaiGdalinfoMs);
// Asks, then removes the layer (and its working files when they are not kept) and redraws.
void cmdSupShp_Click(MainView& view);

// Connects the buttons cmdAddShp and cmdSupShp found under mainWindow by their
// objectName, each handler run inside the command guard. Returns how many were found.
int connecteCoucheReference(QWidget* mainWindow, MainView& view);

}  // namespace sotrix
