#pragma once
// The two ways of writing the same rows into the workspace that the insert-path benchmark
// compares, each in one transaction on the connection given.

#include "ImportRows.h"

namespace sotrix {
class Database;
}

namespace sotrix::bench {

// Through ImportInserts, as an import does: the seconds from BEGIN to COMMIT, the
// writer's set-up included. The rows are moved into the writer.
double writeThroughImportInserts(Database& db, ImportRows rows);

// SQLite's own bulk path: the rows are first loaded into temporary tables in memory (not
// timed), then copied into Trace and Points by INSERT ... SELECT; the seconds of the copy
// and its commit.
double writeThroughInsertSelect(Database& db, const ImportRows& rows);

}  // namespace sotrix::bench
