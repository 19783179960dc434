// Input: the bytes of "gps.gpx" as GPSBabel left it. The probe reads the file and tells
// whether it is a GPX document without data; it must never crash, and it may only say so
// of a document whose root is named gpx.
#include "GpxProbe.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // In memory where the system offers it: every input is a file round trip.
    static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                                 ? QStringLiteral("/dev/shm/sotrix-fuzz-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/sotrix-fuzz-XXXXXX"));
    const QString path = QDir(dir.path()).filePath(QStringLiteral("gps.gpx"));
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        f.write(bytes);
    }
    if (sotrix::gpxSansDonnees(path) && !bytes.contains("gpx")) std::abort();
    return 0;
}
