#pragma once
// The program folder: where "sotrix.mdb" and the working files live.

#include <QString>

namespace sotrix {

// The workspace database's file name.
inline constexpr const char* kNomBd = "sotrix.mdb";

// SOTRIX_HOME when set, else the folder of the executable.
QString appDir();
// A file of the program folder.
QString appPath(const QString& name);

}  // namespace sotrix
