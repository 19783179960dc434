#pragma once
// The files that go with another (the .shx, .dbf and .cpg of a .shp), found whatever the
// case of their names, as the programs that write them on other systems choose it.

#include <QString>

#include <optional>

namespace sotrix {

// The regular file beside `path` named like it with its last suffix replaced by
// `suffixe` (given without the dot): the exact name first, else the first name of the
// folder equal to it ignoring case, in sorted order. nullopt when there is none.
std::optional<QString> fichierVoisin(const QString& path, const QString& suffixe);

}  // namespace sotrix
