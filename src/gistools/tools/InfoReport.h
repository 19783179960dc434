#pragma once
// The report of ogrinfo (vector files) or gdalinfo (rasters) on one file, made through
// "info.txt" in the program folder (kFichierInfo).

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace sotrix {

inline constexpr int kDelaiInfoMs = 300000;
// Bytes of a report shown at most; the whole report stays on disk.
inline constexpr qsizetype kBorneRapport = 16 * 1024 * 1024;
// Lines shown at most: the view's cost follows its lines as much as its bytes, and a
// report of very short lines would cost past its bytes' share.
inline constexpr qint64 kLignesMax = 750000;

struct CommandeInfo {
    QString program;
    QStringList arguments;
};

// ogrinfo -al [-so] for a vector file (the summary when resume), gdalinfo -nogcp -nomd
// for a raster whatever resume says; then the file's arguments (fichiersGdal).
CommandeInfo commandeInfo(const QStringList& file, bool vectoriel, bool resume);

struct RapportInfo {
    // The whole report in UTF-8, open for reading: "info.txt" itself, or a copy when its
    // text had to be converted or the tool's errors added.
    std::unique_ptr<QFile> entier;
    // What the window shows, in UTF-8: the whole report up to kBorneRapport bytes and
    // kLignesMax lines; past that, its first lines within both, a line "…" and a note of
    // its line count.
    QByteArray apercu;
    qint64 lignes = 0;
};

// Deletes any old "info.txt", runs the tool with its output there, and reads it in one
// pass, never holding more of it than the bound. The report is "info.txt" in UTF-8
// without a byte-order mark (it is UTF-8, or else in the local 8-bit encoding); a tool
// that exits non-zero or crashes gets its standard error appended after a blank line.
// Nullopt when the tool did not start or timed out, when no "info.txt" came out, or when
// there is nothing to show. With paramSupInt the name "info.txt" is deleted once read.
std::optional<RapportInfo> rapportInfo(const QString& file, bool vectoriel, bool resume, int timeoutMs = kDelaiInfoMs);

// Copies the whole report to dest; false on a read or write error.
bool copieRapport(QFile& entier, QIODevice& dest);

}  // namespace sotrix
