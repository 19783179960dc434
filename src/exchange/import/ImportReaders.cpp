#include "CsvImport.h"
#include "G7ToWinImport.h"
#include "GpxImport.h"
#include "ImportReader.h"
#include "ShapefileImport.h"
#include "TypeFichier.h"

namespace sotrix {

std::unique_ptr<ImportReader> lecteurImport(int typeFichier) {
    switch (typeFichier) {
    case typefichier::kOuvrirShapefile:
        return std::make_unique<ShapefileImport>();
    case typefichier::kOuvrirGpx:
        return std::make_unique<GpxImport>();
    case typefichier::kOuvrirG7ToWin:
        return std::make_unique<G7ToWinImport>();
    default:
        if (typeFichier >= typefichier::kOuvrirCsvPointVirgule) return std::make_unique<CsvImport>();
        return nullptr;
    }
}

}  // namespace sotrix
