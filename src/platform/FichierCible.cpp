#include "FichierCible.h"

#include <QFile>

#include <sys/stat.h>

#include <cstdlib>
#include <memory>

namespace sotrix {

std::optional<QString> fichierCible(const QString& path) {
    const QByteArray nom = QFile::encodeName(path);
    struct stat st {};
    if (::lstat(nom.constData(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    // realpath follows every link to its end and fails on one that leads nowhere or
    // loops (a link to itself, two links to each other), where Qt gives the link back.
    const std::unique_ptr<char, decltype(&std::free)> cible(::realpath(nom.constData(), nullptr), &std::free);
    if (!cible) return std::nullopt;
    return QFile::decodeName(cible.get());
}

}  // namespace sotrix
