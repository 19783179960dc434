#pragma once
// The default value of every setting: the default row written into an empty Options
// table, the value of a Null column, the in-memory settings before loading and the
// settings dialog's "Restaurer défaut" all read these.

#include <QtGlobal>

namespace sotrix::defaut {

inline constexpr int gps = 1;        // Garmin
inline constexpr int port = 1;       // COM1
inline constexpr int vitesse = 0;    // no speed chosen
inline constexpr int decalage = 0;   // hours
inline constexpr qint32 projGps = 4326;
inline constexpr qint32 projCarto = 31370;
inline constexpr int taille = 2;     // "Moyenne"
inline constexpr double facteurTaille = 1.0;
inline constexpr qint32 couleur = 0xFF0000;     // blue
inline constexpr qint32 couleurSel = 255;       // red
inline constexpr qint32 couleurShp = 0x808080;  // grey, palette entry 8
inline constexpr qint32 couleurEdit = 0;        // black
inline constexpr bool supInt = true;
inline constexpr bool checkUpdate = true;
// The update server's base address; the working folder's default is the program folder.
inline constexpr const char* urlUpdate = "http://www.sotrix.invalid/update/";

}  // namespace sotrix::defaut
