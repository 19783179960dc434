#pragma once

namespace sotrix {

// Brings the workspace database to schema version 1: adds [A propos de].Db when it is
// missing and sets it to 1 when it is 0 or empty. Also adds the map's index when an older
// database lacks it, and brings its factory coordinate systems to the delivered ones
// (ProjUpgrade.h). Throws DbError.
void updateDb();

}  // namespace sotrix
