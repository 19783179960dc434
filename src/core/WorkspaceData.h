#pragma once
// Emptying the workspace: what the main window's viderDb does to the database.

namespace sotrix {

// Deletes every waypoint, track and track point, drops the scratch table zz when it
// exists, then compacts the database file (compacteDb). Deleting is one transaction;
// its failure throws DbError.
void videDonnees();

// Compacts "sotrix.mdb" through "non_compactee.mdb". A failure (a connection still open,
// a full disk) is silent and leaves the file as it was.
void compacteDb();

}  // namespace sotrix
