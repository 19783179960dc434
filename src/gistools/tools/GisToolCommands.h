#pragma once
// The three tools of the Outils menu: each opens its window, modal by hand, over the
// main window.

class QWidget;

namespace sotrix {

void outilsWMS_Click(QWidget* mainWindow);
void outilsCatalogue_Click(QWidget* mainWindow);
void outilsInfo_Click(QWidget* mainWindow);

// Connects outilsWMS, outilsCatalogue and outilsInfo found under mainWindow by their
// objectName, each handler run inside the command guard. Returns how many were found.
int connecteMenuOutils(QWidget* mainWindow);

}  // namespace sotrix
