#include "ShapeFileAccess.h"

#include "ErrorContext.h"

namespace shapefile {

void ShapeFileAccess::openFromMemory(CShapeFile& file, std::vector<std::byte> shx, std::vector<std::byte> shp) {
    file.close();
    detail::withPlatformSource("C_ShapeFile::SetFileSpec", [&] {
        file.fileName_ = CFileName();
        file.openPair(detail::memoryFile(std::move(shx)), detail::memoryFile(std::move(shp)));
    });
}

void ShapeFileAccess::failWrite(CShapeFile& file, long nth, int error) {
    file.fault_ = {nth, error, 0};
}

void ShapeFileAccess::pretendLarger(CShapeFile& file, std::int64_t shpExtra, std::int64_t shxExtra) {
    file.shpExtraBytes_ = shpExtra;
    file.shxExtraBytes_ = shxExtra;
}

}  // namespace shapefile
