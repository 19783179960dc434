#pragma once
// The coordinate systems of an older workspace brought to the delivered ones. A system
// whose projbackup row still holds an earlier factory string gets today's there, and in
// Proj too when its definition is still that factory string; a definition the user
// edited stays as it is. Nothing changes the second time.

namespace sotrix {

class Database;

// Runs within the caller's transaction. Throws DbError.
void majSystemesUsine(Database& db);

}  // namespace sotrix
