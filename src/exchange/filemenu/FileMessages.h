#pragma once
// The messages about a file that cannot be written or read, shared by the File menu,
// the import and export engines and the GPS transfers.

#include <QString>

namespace sotrix {

// A file that cannot be created, replaced or deleted.
QString msgEchecFichier(const QString& path);
// A file that cannot be opened for reading, or turns out unreadable.
QString msgEchecLecture(const QString& path);

}  // namespace sotrix
