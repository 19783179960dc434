#include "StubTools.h"

#include <QDir>
#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

namespace sotrix::test {

namespace {
QString readText(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}
}  // namespace

StubTools::StubTools() : folder_(dir_.path()), savedPath_(qgetenv("PATH")) {
    QImage image(16, 12, QImage::Format_RGB32);
    image.fill(QColor(0, 160, 0));
    EXPECT_TRUE(image.save(QDir(folder_).filePath(QStringLiteral("image.png")), "PNG"));
    qputenv("PATH", QFile::encodeName(folder_) + ":" + savedPath_);
}

StubTools::~StubTools() { qputenv("PATH", savedPath_); }

void StubTools::hideRealTools() { qputenv("PATH", QFile::encodeName(folder_)); }

void StubTools::add(const QString& name, const QString& body) {
    const QString path = QDir(folder_).filePath(name);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    const QString script = QStringLiteral(
                               "#!/bin/sh\n"
                               "PATH=/usr/bin:/bin\n"
                               "STUBS='%1'\n"
                               "LOG=\"$STUBS/%2\"\n"
                               "echo \"start $(date +%s%N)\" >> \"$LOG.runs\"\n"
                               "printf '%s\\n' \"$@\" > \"$LOG.args\"\n"
                               "OUT=\n"
                               "while [ $# -gt 0 ]; do [ \"$1\" = -o ] && OUT=$2; shift; done\n"
                               "finish() { echo \"end $(date +%s%N)\" >> \"$LOG.runs\"; }\n"
                               "trap finish EXIT\n")
                               .arg(folder_, name) +
                           body + QLatin1Char('\n');
    f.write(script.toUtf8());
    f.close();
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QStringList StubTools::arguments(const QString& name) const {
    QStringList lines = readText(QDir(folder_).filePath(name + QStringLiteral(".args"))).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

QStringList StubTools::runs(const QString& name) const {
    return readText(QDir(folder_).filePath(name + QStringLiteral(".runs"))).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString StubTools::writesImage() { return QStringLiteral("cp \"$STUBS/image.png\" \"$OUT\""); }
QString StubTools::failsAfterImage() { return writesImage() + QStringLiteral("\nexit 1"); }
QString StubTools::writesNothing() { return QStringLiteral("exit 0"); }
QString StubTools::imageWithError() {
    return writesImage() + QStringLiteral("\necho 'msDrawMap(): Image handling error. Failed to draw layer.' >&2");
}
QString StubTools::sleepsThenWritesImage(double seconds) {
    return QStringLiteral("sleep %1\n").arg(seconds) + writesImage();
}

}  // namespace sotrix::test
