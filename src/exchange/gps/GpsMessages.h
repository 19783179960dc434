#pragma once
// Titles and messages of the GPS transfers.

#include "GpsCommand.h"

#include <QString>
#include <QStringList>

namespace sotrix {

// Title line of the progress window.
QString titreTelechargement(bool waypoints, bool tracks, bool routes);
QString titreEnvoi(bool waypoints, bool tracks);

QString msgTransfertReussi(GpsDirection direction);
// The error header followed by each item on its own line.
QString msgErreursGps(GpsDirection direction, const QStringList& items);
// GPSBabel could not be run, or did not end in time; GPSBabel's items follow.
QString msgEchecExecution(GpsDirection direction, int port, const QStringList& items);
// A download that brought no data back; GPSBabel's items follow.
QString msgAucuneDonnee(const QStringList& items);
QString msgGpxAbsent(const QString& path);
QString msgTypeGpsInconnu();

}  // namespace sotrix
