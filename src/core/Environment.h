#pragma once

#include <QString>

namespace sotrix {

// Points PROJ and GDAL at data folders shipped beside the program ("proj", "gdal/data",
// "gdal/plugins"), each only when that folder exists; otherwise the system's data serve.
void setToolEnvironment(const QString& folder);

}  // namespace sotrix
