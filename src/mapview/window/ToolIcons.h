#pragma once
// The pictures of the tool buttons: the desktop's icon theme where a standard icon fits,
// our own drawings (resources :/outils/<button name>.svg) for the others.

#include <QIcon>
#include <QString>

namespace sotrix {

// Makes the system's icon folders searched and a theme with the standard icons the
// fallback of the desktop's theme (or the theme, when the desktop names none).
void prepareThemeIcones();

// The theme's icon themeName when the theme has one, else our own drawing for the button
// of that objectName; a null icon when there is neither.
QIcon iconeOutil(const char* themeName, const QString& objectName);

}  // namespace sotrix
