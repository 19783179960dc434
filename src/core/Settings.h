#pragma once

#include <QString>

namespace sotrix {

// The address of the update server used when the settings hold none.
extern const char* const kDefaultUrlUpdate;

// Loads the Options row into the in-memory settings of state(), writing a row of
// defaults first when the table is empty. Throws DbError.
void options();

// The symbol-size factor of a stored Taille index.
double facteurPourTaille(qint64 taille);

}  // namespace sotrix
