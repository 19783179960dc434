#pragma once
// A batch of import points handed to SQLite whole: the table-valued function
// "lot_import(?1)", bound to a batch in memory, gives its rows, so that one
// INSERT ... SELECT writes the batch, at the cost of SQLite's own bulk insert rather than
// that of a statement per row.

#include "ImportInserts.h"

#include <vector>

struct sqlite3;

namespace sotrix {

// The type name under which a std::vector<LignePoint> is bound to lot_import's argument.
inline constexpr const char kTypeLotImport[] = "sotrix-lot-import";

// Makes lot_import known to the connection (again, if it already is). Throws DbError.
void declareLotImport(Database& db);

}  // namespace sotrix
