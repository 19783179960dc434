// Reads the input as a server's capabilities reply: records or a refusal, never a crash.
// A record always comes from a leaf with a whole box, and its code is one of the codes.
#include "WmsCapabilities.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto caps =
        sotrix::lireCapabilities(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!caps) return 0;
    if (caps->formats.isEmpty()) std::abort();
    for (const sotrix::WmsLayer& l : caps->layers)
        if (std::find(caps->codes.begin(), caps->codes.end(), l.srs) == caps->codes.end()) std::abort();
    return 0;
}
