#include "InfoReport.h"

#include "AppDir.h"
#include "Execution.h"
#include "State.h"

#include <QFile>
#include <QTemporaryFile>

#include <algorithm>

namespace sotrix {
namespace {

std::optional<QByteArray> readAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
    return f.readAll();
}

// The bytes in UTF-8, without a byte-order mark: as they are when valid UTF-8, else read
// in the local 8-bit encoding.
QByteArray enUtf8(QByteArray bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);
    return QByteArrayView(bytes).isValidUtf8() ? bytes : QString::fromLocal8Bit(bytes).toUtf8();
}

bool blanc(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

}  // namespace

CommandeInfo commandeInfo(const QString& file, bool vectoriel, bool resume) {
    if (!vectoriel) return {QStringLiteral("gdalinfo"), {QStringLiteral("-nogcp"), QStringLiteral("-nomd"), file}};
    QStringList args{QStringLiteral("-al")};
    if (resume) args << QStringLiteral("-so");
    args << file;
    return {QStringLiteral("ogrinfo"), args};
}

std::optional<QByteArray> rapportInfo(const QString& file, bool vectoriel, bool resume, int timeoutMs) {
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

    QByteArray text = enUtf8(*output);
    if (run.crashed || run.exitCode != 0) {
        const QByteArray err = enUtf8(readAll(errors.fileName()).value_or(QByteArray()));
        if (!err.isEmpty()) {
            if (!text.isEmpty()) text += text.endsWith('\n') ? "\n" : "\n\n";
            text += err;
        }
    }
    if (std::all_of(text.cbegin(), text.cend(), blanc)) return std::nullopt;
    if (state().paramSupInt) QFile::remove(info);
    return text;
}

}  // namespace sotrix
