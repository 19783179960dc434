#pragma once
// Two small helpers shared by the forms: the width a list needs for its longest line,
// and the folder chooser.

#include <QString>
#include <QStringList>

class QFontMetrics;

namespace sotrix {

// Width in pixels of the longest line plus one vertical scroll bar, so that the end of
// that line stays visible beside the bar; 0 for no line.
int ajusteListe(const QStringList& lines, const QFontMetrics& metrics, int scrollBarWidth);

// Asks for a folder of the file system, starting from the current folder; the chosen path
// whole, or "" when the user cancels. The dialog is owned by the active window.
QString choisirDossier(const QString& titre);

}  // namespace sotrix
