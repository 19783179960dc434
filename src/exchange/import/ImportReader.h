#pragma once
// One reader per kind of file that the import engine can read.

#include "ImportFlow.h"

#include <QString>

#include <cstddef>
#include <memory>
#include <vector>

namespace sotrix {

class PointStore;

// The lines of a text file passed over because they could not be read: how many, and
// the numbers of the first ones, for the one report after the import.
struct LignesIgnorees {
    static constexpr std::size_t kMontrees = 10;
    qint64 nombre = 0;
    std::vector<qint64> premieres;  // at most kMontrees, in file order

    void ajoute(qint64 ligne) {
        ++nombre;
        if (premieres.size() < kMontrees) premieres.push_back(ligne);
    }
};

class ImportReader {
public:
    virtual ~ImportReader() = default;
    // Reads whatever must be read before the workspace is touched; false when the file
    // cannot be read.
    virtual bool ouvre(const QString& path) = 0;
    // Hands every waypoint, track and point to the store. Stop when the user stopped.
    virtual Flow lit(PointStore& store, bool fromGps) = 0;
    // The lines that lit() passed over as unreadable, reported once after a commit.
    virtual LignesIgnorees lignesIgnorees() const { return {}; }
};

// The reader of a typeFichier (TypeFichier.h): 1 shapefile, 2 GPX, 3 G7ToWin, 4 and
// every higher value delimited CSV; nothing for a type that has no reader.
std::unique_ptr<ImportReader> lecteurImport(int typeFichier);

}  // namespace sotrix
