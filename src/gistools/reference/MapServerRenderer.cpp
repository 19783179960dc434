#include "MapServerRenderer.h"

#include "AppDir.h"
#include "Execution.h"
#include "FichierTravail.h"
#include "NumberText.h"
#include "ReferenceFiles.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace sotrix {
namespace {

// MapServer 8 wants a configuration file, or it complains on standard error; the
// smallest one it accepts is an empty CONFIG block. It is made anew for every run, so
// that whatever someone put at its name (settings naming their own plugins or files, a
// link) is never handed to map2img.
constexpr char kConfMapserver[] = "CONFIG\r\nEND\r\n";

// The texts MapServer writes after the routine's name on each error line ("routine():
// text message"); its other lines (warnings, debugging) carry none of them.
constexpr const char* kTextesErreur[] = {
    "Unable to access file.", "Memory allocation error.", "Incorrect data type.", "Symbol definition error.",
    "Regular expression error.", "TrueType Font error.", "DBASE file error.", "GD library error.",
    "Unknown identifier.", "Premature End-of-File.", "Projection library error.", "General error message.",
    "CGI error.", "Web application error.", "Image handling error.", "Hash table error.", "Join error.",
    "Search returned no results.", "Shapefile error.", "Expression parser error.", "SDE error.", "OGR error.",
    "Query error.", "WMS server error.", "WMS connection error.", "OracleSpatial error.", "WFS server error.",
    "WFS connection error.", "WMS Map Context error.", "HTTP request error.", "Child array error.",
    "WCS server error.", "GEOS library error.", "Invalid rectangle.", "Date/time error.", "GML encoding error.",
    "SOS server error.", "NULL parent pointer error.", "AGG library error.", "OWS error.",
    "OpenGL renderer error.", "Renderer error.", "V8 engine error.", "OCG API error.", "Flatgeobuf error."};

QRegularExpression ligneErreur() {
    QStringList textes;
    for (const char* t : kTextesErreur) textes << QRegularExpression::escape(QString::fromLatin1(t));
    return QRegularExpression(QStringLiteral(R"(^\S*: (?:%1)( |$))").arg(textes.join(u'|')),
                              QRegularExpression::MultilineOption);
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

QStringList argumentsRendu(const QString& folder, const QString& imagePath, double xmin, double ymin, double xmax,
                           double ymax, QSize pixels, bool withConfig) {
    const QDir dir(folder);
    QStringList args{QStringLiteral("-m"), dir.filePath(QString::fromLatin1(kFichierMapfile)),
                     QStringLiteral("-o"), imagePath,
                     QStringLiteral("-e"), nombreCommande(xmin), nombreCommande(ymin), nombreCommande(xmax),
                     nombreCommande(ymax),
                     QStringLiteral("-s"), QString::number(pixels.width()), QString::number(pixels.height()),
                     QStringLiteral("-all_debug"), QStringLiteral("0")};
    if (withConfig) args << QStringLiteral("-conf") << dir.filePath(QString::fromLatin1(kFichierConfMapserver));
    return args;
}

bool erreurMapServer(const QByteArray& standardError) {
    static const QRegularExpression errorLine = ligneErreur();
    return errorLine.match(QString::fromUtf8(standardError)).hasMatch();
}

void MapServerRenderer::render(double xmin, double ymin, double xmax, double ymax, QSize canvasPixels,
                               const QString& imagePath) {
    bool ok = false;
    QString program = QStandardPaths::findExecutable(QStringLiteral("map2img"));
    const bool map2img = !program.isEmpty();
    if (!map2img) program = QStandardPaths::findExecutable(QStringLiteral("shp2img"));
    const QString folder = appDir();
    QTemporaryFile errors(QDir(QDir::tempPath()).filePath(QStringLiteral("sotrix-rendu-XXXXXX.log")));
    // map2img writes the picture at its name, following whatever stands there.
    if (!program.isEmpty() && errors.open() && libereFichierTravail(imagePath) &&
        (!map2img || ecritFichierTravail(QDir(folder).filePath(QString::fromLatin1(kFichierConfMapserver)),
                                         QByteArray(kConfMapserver)))) {
        errors.close();
        const RunResult run =
            executeEtAttend(program, argumentsRendu(folder, imagePath, xmin, ymin, xmax, ymax, canvasPixels, map2img),
                            timeoutMs_, {}, errors.fileName());
        ok = run.finished() && !run.crashed && run.exitCode == 0 && !erreurMapServer(readAll(errors.fileName()));
    }
    if (!ok) QFile::remove(imagePath);
}

}  // namespace sotrix
