#pragma once
// Texts the import shows about the file it reads, shared with File > Open.

#include <QString>

#include <cstddef>
#include <vector>

namespace sotrix {

// "Impossible de lire le fichier '<path>'.\nVérifiez que ce fichier n'est pas en cours
// d'utilisation."
QString texteEchecLecture(const QString& path);

// The lines of a text file passed over because they could not be read: how many, and
// the numbers of the first ones, for the one report after the import.
struct LignesIgnorees {
    static constexpr std::size_t kMontrees = 10;
    qint64 nombre = 0;
    std::vector<qint64> premieres;  // at most kMontrees, in file order

    void ajoute(qint64 ligne);
};

// "1 ligne du fichier '<path>' a été ignorée (ligne 5)." or "3 lignes du fichier '<path>'
// ont été ignorées (lignes 5, 11, 15)."; past ten numbers the list ends with ", …".
QString texteLignesIgnorees(const QString& path, const LignesIgnorees& lignes);

}  // namespace sotrix
