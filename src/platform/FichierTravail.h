#pragma once
// The program's own working files beside the database ("gps.gpx", the logs, "info.txt",
// "sotrix.map", "sotrix.conf", "sotrix.jpg"). Someone else may have put something at such
// a name (a link, a pipe, a file of their own): it is never followed nor trusted, only
// removed, and the program makes its file anew.

#include <QByteArray>
#include <QString>

namespace sotrix {

// Frees `path` for a new working file: whatever stands at the name (a file, a link, which
// is not followed, a pipe or socket, an empty folder) is removed. True when the name is free
// afterwards; false when something there cannot go (a folder with content, no right).
bool libereFichierTravail(const QString& path);

// True when a regular file stands at `path` itself (a link there is not followed): what
// an outside program left there, to be read.
bool fichierTravailPresent(const QString& path);

// Writes `contenu` as a new working file at `path`: the name freed as above, then a file
// created there exclusively, so that nothing put at the name in between is followed, and
// written whole. False on any failure, with no file left at the name.
bool ecritFichierTravail(const QString& path, const QByteArray& contenu);

}  // namespace sotrix
