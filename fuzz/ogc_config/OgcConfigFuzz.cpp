// Reads the input as a WMS configuration file: values or their absence, never a crash.
#include "OgcConfig.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const sotrix::OgcConfig c =
        sotrix::lireConfigurationOgc(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    (void)c.wms.layers.join(QLatin1Char(','));
    return 0;
}
