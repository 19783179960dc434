#pragma once
// File names as the file system holds them: bytes, which need not be UTF-8 (a raster
// named in Latin-1 in an old archive). Inside the program such a name is a QString that
// keeps every byte: its UTF-8 parts as they read, each other byte b as the lone surrogate
// U+DC00 + b, which no decoded text holds. Qt's own conversions would turn those bytes
// into U+FFFD and lose the file, so the names go to the system through octetsDuNom, to
// the GDAL tools through argumentsGdal, and to the user through cheminAffiche.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QTemporaryFile>

#include <optional>

namespace sotrix {

QString nomDepuisOctets(QByteArrayView octets);
QByteArray octetsDuNom(const QString& nom);

// Whether the name holds bytes that are not UTF-8.
bool aOctetsBruts(const QString& nom);

// What the user is shown: the name with each such byte read as Latin-1 (or U+FFFD for
// the control codes 0x80 to 0x9F).
QString cheminAffiche(const QString& nom);

struct EntreesDossier {
    QStringList fichiers;  // everything that is not a folder once links are followed
    QStringList dossiers;  // folders that are not links
};

// The entries of a folder read as bytes, "." and ".." left out, in the order of the
// system; nullopt when the folder cannot be read.
std::optional<EntreesDossier> lireDossier(const QString& dossier);

// Whether a regular file stands at the name, links followed.
bool fichierExisteOctets(const QString& nom);

// File names for a GDAL tool's command line: as they stand when every one is UTF-8, else
// written as quoted bytes into optfile and replaced by "--optfile <its name>", which the
// GDAL tools read byte for byte in place. nullopt when the file cannot be written or a
// name holds a line break, which such a file cannot carry.
std::optional<QStringList> fichiersGdal(const QStringList& noms, QTemporaryFile& optfile);

}  // namespace sotrix
