#pragma once
// Library-internal access for tests and fuzz targets: a pair read from memory, a write
// that fails, sizes pretended larger to reach the size limit without writing gigabytes.

#include "CShapeFile.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace shapefile {

struct ShapeFileAccess {
    // Opens the two byte arrays as a pair, exactly as files are opened.
    static void openFromMemory(CShapeFile& file, std::vector<std::byte> shx, std::vector<std::byte> shp);
    // The n-th write from now (1 = the next one) writes half its bytes, then fails with errno.
    static void failWrite(CShapeFile& file, long nth, int error);
    // Adds to the file sizes that the size limit sees.
    static void pretendLarger(CShapeFile& file, std::int64_t shpExtra, std::int64_t shxExtra);
};

}  // namespace shapefile
