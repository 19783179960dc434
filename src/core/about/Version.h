#pragma once
// The program's version: the numbers come from the build (VersionNumbers.h); every
// label and the update check read them from here.

#include "VersionNumbers.h"

#include <QString>

namespace sotrix {

// "Version " and the three numbers joined by ".": "Version 2.6.11".
QString texteVersion();

}  // namespace sotrix
