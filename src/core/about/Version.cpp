#include "Version.h"

namespace sotrix {

QString texteVersion() {
    return QStringLiteral("Version %1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision);
}

}  // namespace sotrix
