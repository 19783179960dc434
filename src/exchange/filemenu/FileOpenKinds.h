#pragma once
// The steps of File > Ouvrir that depend on the kind of file: the layout checks of a
// G7ToWin or delimited CSV file before anything is imported, and the field-mapping
// dialog that imports a shapefile or a delimited CSV file. Until the text-file reader
// and the field-mapping dialog are in place, each reports the file as unreadable.

#include <QString>

namespace sotrix {

class MainView;

enum class Disposition {
    Accepted,    // the file has the layout of its kind
    Refused,     // it has not; the caller tells why
    Unreadable,  // it cannot be opened; the caller shows the read failure
};

// A G7ToWin export: its second line starts with the field "DATUM:" (blanks around it
// and the case of its letters aside).
Disposition verifieG7ToWin(const QString& path);
// A delimited file: its first line holds the separator.
Disposition verifieSeparateurCsv(const QString& path, const QString& separator);
// Shows the field-mapping dialog over the main window, without waiting; the dialog
// imports state().nomFichier of state().typeFichier.
void afficheFrmImport(MainView& main);

}  // namespace sotrix
