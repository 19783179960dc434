#pragma once

#include "SettingsDefaults.h"

#include <QString>
#include <QVariant>

#include <optional>

namespace sotrix {

class Database;

// The address of the update server used when the settings hold none.
extern const char* const kDefaultUrlUpdate;

// The fifteen values of the Options row, as stored.
struct Parametres {
    int gps = defaut::gps;
    int port = defaut::port;
    int vitesse = defaut::vitesse;
    int decalage = defaut::decalage;
    qint32 projGps = defaut::projGps;
    qint32 projCarto = defaut::projCarto;
    QString dossier;
    int taille = defaut::taille;
    qint32 couleur = defaut::couleur;
    qint32 couleurSel = defaut::couleurSel;
    qint32 couleurShp = defaut::couleurShp;
    qint32 couleurEdit = defaut::couleurEdit;
    bool supInt = defaut::supInt;
    bool checkUpdate = defaut::checkUpdate;
    QString urlUpdate;
};

// The default row: the working folder is the program folder.
Parametres parametresDefaut();

// Loads the Options row into the in-memory settings of state(), writing a row of
// defaults first when the table is empty. Throws DbError.
void options();

// Stores p: a new row when Options is empty, otherwise every row rewritten (the table
// holds one). Throws DbError.
void ecritOptions(Database& db, const Parametres& p);

// Puts p into the in-memory settings of state().
void appliqueParametres(const Parametres& p);

// The symbol-size factor of a stored Taille index.
double facteurPourTaille(qint64 taille);

// The integer a column holds, or nothing when it is Null, a fraction, a text that is
// not a whole number, or a blob.
std::optional<qint64> valeurEntiere(const QVariant& v);

}  // namespace sotrix
