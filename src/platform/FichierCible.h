#pragma once
// The file that replacing a name replaces: the name itself, or, when it is a symbolic
// link (a link to a link included), the file it leads to. The new file is put there and
// the link stays, as the user made it.

#include <QString>

#include <optional>

namespace sotrix {

// path when it is no link; else the file its links lead to, nullopt when they lead nowhere
// or round in a loop.
std::optional<QString> fichierCible(const QString& path);

}  // namespace sotrix
