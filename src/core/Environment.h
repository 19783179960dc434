#pragma once

#include <QString>

namespace sotrix {

// Points PROJ and GDAL at the data and plugin folders shipped with the program: "proj",
// "gdal/data" and "gdal/plugins" beside the executable in exeDir, else in its
// installation's share/sotrix/; each only when such a folder exists, otherwise the
// system's data serve. Never folders of the workspace, which someone else may fill: a
// plugin found there would run as the user.
void setToolEnvironment(const QString& exeDir);
// The same for the running program.
void setToolEnvironment();

}  // namespace sotrix
