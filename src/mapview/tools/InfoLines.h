#pragma once
// The lines of the information window, in the user's locale: a line (or a section with
// its heading) is left out when its values are Null. Names and descriptions are shown
// bounded (nomAffiche).

#include "InfoQueries.h"

#include <QStringList>

namespace sotrix {

QStringList lignesWaypoint(const InfoWaypoint& w);
QStringList lignesTrace(const InfoTrace& t);

// A stored date "yyyy-MM-dd HH:mm:ss" as "dd/MM/yyyy HH:mm:ss"; any other text as it is.
QString texteDate(const QVariant& date);

}  // namespace sotrix
