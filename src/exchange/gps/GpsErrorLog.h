#pragma once
// The items of GPSBabel's "error.log", split the way delimited text fields are read:
// an item ends at a comma or a line end, a quoted item runs to its closing quote.

#include <QString>
#include <QStringList>

#include <optional>

namespace sotrix {

// The items of a log's text; an empty text has none.
QStringList decoupeErreurs(const QString& text);

// The items of the log file at path; a missing file has none. nullopt when the file
// exists but cannot be read.
std::optional<QStringList> lisErreurs(const QString& path);

}  // namespace sotrix
