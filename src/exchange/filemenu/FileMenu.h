#pragma once
// The commands of the "Fichier" menu: Ouvrir replaces the workspace with the content of
// one file, Fermer empties it, Enregistrer opens the export options dialog. "Quitter"
// is the quit procedure of the main window.

#include "frmExport.h"

class QWidget;

namespace sotrix {

// The kinds of file of the Open dialog, in the order of its filters.
inline constexpr int kOpenShapefile = 1;
inline constexpr int kOpenGpx = 2;
inline constexpr int kOpenG7ToWin = 3;
inline constexpr int kOpenCsvSemicolon = 4;
inline constexpr int kOpenCsvComma = 5;

void fichierOuvrir_Click();
void fermerFichier_Click();
// exporte: what the export options dialog runs (exporteFichier when empty).
void fichierEnregistrer_Click(const ExportRunner& exporte = {});

// Connects the actions fichierOuvrir, fermerFichier and fichierEnregistrer found under
// mainWindow to their commands, each run inside the command guard. Returns the number
// of actions connected (3 when the menu is complete).
int connecteMenuFichier(QWidget* mainWindow, ExportRunner exporte = {});

}  // namespace sotrix
