// Input: the bytes of GPSBabel's "error.log". The file is read and split into its items;
// the file and its text give the same items, and the items never hold more than the text
// nor outnumber its delimiters.
#include "Divers.h"
#include "GpsErrorLog.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                                 ? QStringLiteral("/dev/shm/sotrix-fuzz-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/sotrix-fuzz-XXXXXX"));
    const QString path = QDir(dir.path()).filePath(QStringLiteral("error.log"));
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        f.write(bytes);
    }
    const QString text = sotrix::decodeUtf8(bytes);
    const QStringList items = sotrix::decoupeErreurs(text);
    const std::optional<QStringList> read = sotrix::lisErreurs(path);
    if (!read || *read != items) std::abort();

    qsizetype delimiters = 0, held = 0;
    for (const QChar c : text)
        if (c == u',' || c == u'\n' || c == u'\r') ++delimiters;
    for (const QString& item : items) held += item.size();
    if (held > text.size() || items.size() > delimiters + 1 || (text.isEmpty() != items.isEmpty())) std::abort();
    return 0;
}
