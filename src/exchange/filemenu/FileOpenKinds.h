#pragma once
// The steps of File > Ouvrir that depend on the kind of file: the layout checks of a
// G7ToWin or delimited CSV file before anything is imported, and the field-mapping
// dialog that imports a shapefile or a delimited CSV file. A file with too few lines for
// its check is refused as one of another layout.

#include <QString>

namespace sotrix {

enum class Disposition {
    Accepted,    // the file has the layout of its kind
    Refused,     // it has not; the caller tells why
    Unreadable,  // it cannot be opened; the caller shows the read failure
};

// A G7ToWin export: the first field of its second line, split on ",", reads "DATUM:"
// (blanks around it and the case of its letters aside).
Disposition verifieG7ToWin(const QString& path);
// A delimited file: its first line holds the separator (an empty file has none).
Disposition verifieSeparateurCsv(const QString& path, const QString& separator);
// Shows the field-mapping dialog over the main window (disabled meanwhile), without
// waiting; the dialog imports state().nomFichier of state().typeFichier, then clears the
// unsaved-changes flags, zooms and redraws.
void afficheFrmImport();

}  // namespace sotrix
