#include "GpxImport.h"
#include "ImportReader.h"

namespace sotrix {

std::unique_ptr<ImportReader> lecteurImport(int typeFichier) {
    switch (typeFichier) {
    case 2:
        return std::make_unique<GpxImport>();
    default:
        return nullptr;
    }
}

}  // namespace sotrix
