#include "ShapeFormat.h"

#include "ByteOrder.h"

#include <cstring>

namespace shapefile::detail {

MainHeader decodeMainHeader(const std::byte* b) noexcept {
    MainHeader h;
    h.fileCode = loadBE32(b);
    h.fileLengthWords = loadBE32(b + 24);
    h.shapeType = loadLE32(b + 32);
    h.xmin = loadLEDouble(b + 36);
    h.ymin = loadLEDouble(b + 44);
    h.xmax = loadLEDouble(b + 52);
    h.ymax = loadLEDouble(b + 60);
    return h;
}

void encodeMainHeader(std::byte* b, const MainHeader& h) noexcept {
    std::memset(b, 0, std::size_t(kHeaderBytes));
    storeBE32(b, h.fileCode);
    storeBE32(b + 24, h.fileLengthWords);
    storeLE32(b + 28, kVersion);
    storeLE32(b + 32, h.shapeType);
    storeLEDouble(b + 36, h.xmin);
    storeLEDouble(b + 44, h.ymin);
    storeLEDouble(b + 52, h.xmax);
    storeLEDouble(b + 60, h.ymax);
}

std::int32_t recordCountFromIndexLength(std::int32_t indexWords) noexcept {
    const std::int64_t n = std::int64_t(indexWords) - kHeaderWords;
    if (n < 0) return 0;
    const std::int64_t q = n / 4;
    switch (n % 4) {
    case 2: return std::int32_t(q % 2 == 0 ? q : q + 1);  // exactly half: to the even one
    case 3: return std::int32_t(q + 1);
    default: return std::int32_t(q);
    }
}

}  // namespace shapefile::detail
