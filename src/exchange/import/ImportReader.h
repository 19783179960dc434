#pragma once
// One reader per kind of file that the import engine can read.

#include "ImportFlow.h"

#include <QString>

#include <memory>

namespace sotrix {

class PointStore;

class ImportReader {
public:
    virtual ~ImportReader() = default;
    // Reads whatever must be read before the workspace is touched; false when the file
    // cannot be read.
    virtual bool ouvre(const QString& path) = 0;
    // Hands every waypoint, track and point to the store. Stop when the user stopped.
    virtual Flow lit(PointStore& store, bool fromGps) = 0;
};

// The reader of a typeFichier (2 GPX); nothing for a type that has no reader.
std::unique_ptr<ImportReader> lecteurImport(int typeFichier);

}  // namespace sotrix
