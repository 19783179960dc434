#include "MapServerRenderer.h"

#include "AppDir.h"
#include "Execution.h"
#include "NumberText.h"
#include "ReferenceFiles.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace sotrix {
namespace {

// MapServer 8 wants a configuration file, or it complains on standard error; the
// smallest one it accepts is an empty CONFIG block.
bool ensureConfig(const QString& path) {
    if (QFile::exists(path)) return true;
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    f.write("CONFIG\r\nEND\r\n");
    return f.commit();
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
    static const QRegularExpression errorLine(QStringLiteral(R"(^\w+\([^)]*\): )"),
                                              QRegularExpression::MultilineOption);
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
    if (!program.isEmpty() && errors.open() &&
        (!map2img || ensureConfig(QDir(folder).filePath(QString::fromLatin1(kFichierConfMapserver))))) {
        errors.close();
        const RunResult run =
            executeEtAttend(program, argumentsRendu(folder, imagePath, xmin, ymin, xmax, ymax, canvasPixels, map2img),
                            timeoutMs_, {}, errors.fileName());
        ok = run.finished() && !run.crashed && run.exitCode == 0 && !erreurMapServer(readAll(errors.fileName()));
    }
    if (!ok) QFile::remove(imagePath);
}

}  // namespace sotrix
