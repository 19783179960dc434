#pragma once
// The report of ogrinfo (vector files) or gdalinfo (rasters) on one file, made through
// "info.txt" in the program folder.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace sotrix {

inline constexpr int kDelaiInfoMs = 300000;
inline constexpr char kFichierInfo[] = "info.txt";

struct CommandeInfo {
    QString program;
    QStringList arguments;
};

// ogrinfo -al [-so] for a vector file (the summary when resume), gdalinfo -nogcp -nomd
// for a raster whatever resume says.
CommandeInfo commandeInfo(const QString& file, bool vectoriel, bool resume);

// Deletes any old "info.txt", runs the tool with its output there, and reads it back in
// UTF-8 (it is UTF-8, or else in the local 8-bit encoding), left undecoded so that a
// report of hundreds of megabytes is shown a piece at a time. A tool that exits
// non-zero or crashes gets its standard error appended after a blank line. Nullopt when
// the tool did not start or timed out, when no "info.txt" came out, or when there is
// nothing to show. With paramSupInt the file is deleted once read.
std::optional<QByteArray> rapportInfo(const QString& file, bool vectoriel, bool resume, int timeoutMs = kDelaiInfoMs);

}  // namespace sotrix
