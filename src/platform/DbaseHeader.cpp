#include "DbaseHeader.h"

#include "DbaseTable.h"

#include <QFile>

#include <cstdint>

namespace sotrix {

namespace {

constexpr qint64 kFileHeaderBytes = 32;
constexpr qint64 kFieldBytes = 32;
constexpr char kTerminator = 0x0D;

std::uint32_t le(const QByteArray& b, int at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | std::uint8_t(b[at + i]);
    return v;
}

[[noreturn]] void refuse(const QString& path, const char* why) {
    throw DbaseError(QStringLiteral("table illisible %1 : %2").arg(path, QLatin1String(why)));
}

}  // namespace

void verifieEnTeteDbase(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) refuse(path, "ouverture impossible");
    const qint64 size = f.size();
    const QByteArray head = f.read(kFileHeaderBytes);
    if (head.size() < kFileHeaderBytes) refuse(path, "en-tête tronqué");
    const qint64 records = le(head, 4, 4);
    const qint64 headerBytes = le(head, 8, 2);
    const qint64 recordBytes = le(head, 10, 2);
    if (headerBytes <= kFileHeaderBytes || headerBytes > size) refuse(path, "longueur d'en-tête");

    // The field descriptors run to the terminator or to the end of the header, as
    // shapelib reads them; each record starts with its deletion flag.
    const QByteArray fields = f.read(headerBytes - kFileHeaderBytes);
    if (fields.size() < headerBytes - kFileHeaderBytes) refuse(path, "en-tête tronqué");
    qint64 width = 1;
    for (qint64 at = 0; at + kFieldBytes <= fields.size() && fields[at] != kTerminator; at += kFieldBytes)
        width += std::uint8_t(fields[at + 16]);
    if (width > recordBytes) refuse(path, "champs plus larges que l'enregistrement");
    if (records * recordBytes > size - headerBytes) refuse(path, "enregistrements au-delà de la fin du fichier");
}

}  // namespace sotrix
