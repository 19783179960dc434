#pragma once
// Emptying the workspace: what the main window's viderDb does to the database.

namespace sotrix {

// Deletes every waypoint, track and track point and drops the scratch table zz when it
// exists, in one transaction; its failure throws DbError and leaves every row.
void videTables();

// videTables, then compacteDb.
void videDonnees();

// Compacts "sotrix.mdb" through "non_compactee.mdb". A failure (a connection still open,
// a full disk) is silent and leaves the file as it was.
void compacteDb();

}  // namespace sotrix
