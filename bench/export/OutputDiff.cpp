#include "OutputDiff.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace sotrix::bench {

namespace {

QByteArray bytesAt(const QString& path, qint64 at, qint64 n) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || !f.seek(at)) return {};
    return f.read(n);
}

int littleEndian16(const QByteArray& b) { return b.size() < 2 ? 0 : quint8(b[0]) | quint8(b[1]) << 8; }

// The part of a dBASE file: header, field descriptor or record (from 0) and its byte.
QString dbasePlace(const QString& path, qint64 at) {
    if (at >= 1 && at <= 3) return QStringLiteral("header, date of last update");
    if (at < 32) return QStringLiteral("header");
    const QByteArray head = bytesAt(path, 8, 4);
    const int headerLength = littleEndian16(head), recordLength = littleEndian16(head.mid(2));
    if (at < headerLength)
        return QStringLiteral("field descriptor %1, byte %2").arg((at - 32) / 32).arg((at - 32) % 32);
    if (recordLength == 0) return QStringLiteral("records");
    return QStringLiteral("record %1, byte %2")
        .arg((at - headerLength) / recordLength)
        .arg((at - headerLength) % recordLength);
}

// The part of a .shp or .shx: the 100-byte header (its bounding box from byte 36) or the records.
QString shapePlace(qint64 at) {
    if (at >= 36 && at < 100) return QStringLiteral("header, bounding box");
    return at < 100 ? QStringLiteral("header") : QStringLiteral("records");
}

}  // namespace

QString describeOffset(const QString& a, const QString& b, qint64 at) {
    const QString place = QFileInfo(a).suffix().compare(QLatin1String("dbf"), Qt::CaseInsensitive) == 0
                              ? dbasePlace(a, at)
                              : shapePlace(at);
    const qint64 from = std::max<qint64>(0, at - 4);
    return QStringLiteral("%1; bytes from %2: %3 / %4")
        .arg(place)
        .arg(from)
        .arg(QString::fromLatin1(bytesAt(a, from, 12).toHex(' ')),
             QString::fromLatin1(bytesAt(b, from, 12).toHex(' ')));
}

}  // namespace sotrix::bench
