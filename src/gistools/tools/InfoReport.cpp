#include "InfoReport.h"

#include "AppDir.h"
#include "Execution.h"
#include "State.h"

#include <QFile>
#include <QStringDecoder>
#include <QTemporaryFile>

#include <algorithm>

namespace sotrix {
namespace {

std::optional<QByteArray> readAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
    return f.readAll();
}

QString decode(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? QString::fromLocal8Bit(bytes) : text;
}

}  // namespace

CommandeInfo commandeInfo(const QString& file, bool vectoriel, bool resume) {
    if (!vectoriel) return {QStringLiteral("gdalinfo"), {QStringLiteral("-nogcp"), QStringLiteral("-nomd"), file}};
    QStringList args{QStringLiteral("-al")};
    if (resume) args << QStringLiteral("-so");
    args << file;
    return {QStringLiteral("ogrinfo"), args};
}

std::optional<QString> rapportInfo(const QString& file, bool vectoriel, bool resume, int timeoutMs) {
    const QString info = appPath(QString::fromLatin1(kFichierInfo));
    QFile::remove(info);
    QTemporaryFile errors;
    if (!errors.open()) return std::nullopt;
    errors.close();
    const CommandeInfo c = commandeInfo(file, vectoriel, resume);
    const RunResult run = executeEtAttend(c.program, c.arguments, timeoutMs, info, errors.fileName());
    if (!run.finished()) return std::nullopt;
    const auto output = readAll(info);
    if (!output) return std::nullopt;

    QString text = decode(*output);
    if (run.crashed || run.exitCode != 0) {
        const QString err = decode(readAll(errors.fileName()).value_or(QByteArray()));
        if (!err.isEmpty()) {
            if (!text.isEmpty()) text += text.endsWith(u'\n') ? QStringLiteral("\n") : QStringLiteral("\n\n");
            text += err;
        }
    }
    // Looked at in place: a report may be hundreds of megabytes.
    if (std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.isSpace(); })) return std::nullopt;
    if (state().paramSupInt) QFile::remove(info);
    return text;
}

}  // namespace sotrix
