// Input: the bytes of a .dbf file. The table is opened and every value of every record
// is read as text and as a number; a hostile file must give a DbaseError or data, never
// a crash or an unbounded allocation.
#include "DbaseTable.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // In memory where the system offers it: every input is a file round trip.
    static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                                 ? QStringLiteral("/dev/shm/sotrix-fuzz-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/sotrix-fuzz-XXXXXX"));
    const QString path = QDir(dir.path()).filePath(QStringLiteral("fuzz.dbf"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    try {
        sotrix::DbaseTable table = sotrix::DbaseTable::open(path);
        const int fields = int(table.fields().size());
        const std::int64_t records = table.recordCount();
        for (std::int64_t r = 0; r < records && r < 10000; ++r) {
            table.isDeleted(r);
            for (int f = 0; f < fields; ++f) {
                table.text(r, f);
                table.number(r, f);
                table.isNull(r, f);
            }
        }
        table.codePage();
        table.fieldIndex(QStringLiteral("Nom"));
    } catch (const sotrix::DbaseError&) {
    }
    return 0;
}
