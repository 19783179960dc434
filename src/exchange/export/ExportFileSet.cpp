#include "ExportFileSet.h"

#include "ExportFailure.h"

#include <QCoreApplication>
#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace sotrix {

namespace {

const QStringList kWritten = {QStringLiteral("shx"), QStringLiteral("dbf"), QStringLiteral("shp")};
const QString kCodePage = QStringLiteral("cpg");

QByteArray native(const QString& path) { return QFile::encodeName(path); }

// lstat: 1 a directory, 0 some other entry, -1 nothing there.
int entryKind(const QString& path) {
    struct stat st {};
    if (::lstat(native(path).constData(), &st) != 0) return -1;
    return S_ISDIR(st.st_mode) ? 1 : 0;
}

bool renameFile(const QString& from, const QString& to) {
    return std::rename(native(from).constData(), native(to).constData()) == 0;
}

QString lastError() { return QString::fromLocal8Bit(std::strerror(errno)); }

}  // namespace

ExportFileSet::ExportFileSet(const QString& finalBase)
    : finalBase_(finalBase),
      tempBase_(finalBase + QStringLiteral(".tmp") + QString::number(QCoreApplication::applicationPid())),
      backupBase_(finalBase + QStringLiteral(".bak") + QString::number(QCoreApplication::applicationPid())) {}

ExportFileSet::~ExportFileSet() {
    if (committed_) return;
    for (const QString& ext : kWritten) ::unlink(native(tempPath(ext)).constData());
    // Left there by the shapefile and dBASE writers, which clear their own stale ".cpg".
    ::unlink(native(tempPath(kCodePage)).constData());
}

QString ExportFileSet::finalPath(const QString& extension) const { return finalBase_ + '.' + extension; }
QString ExportFileSet::tempPath(const QString& extension) const { return tempBase_ + '.' + extension; }
QString ExportFileSet::backupPath(const QString& extension) const { return backupBase_ + '.' + extension; }

void ExportFileSet::commit() {
    // A folder under one of the final names is never moved aside: it is in the way.
    for (const QString& ext : kWritten)
        if (entryKind(finalPath(ext)) == 1) throw ExportFileError(finalPath(ext), QStringLiteral("un dossier porte ce nom"));
    if (entryKind(finalPath(kCodePage)) == 1)
        throw ExportFileError(finalPath(kCodePage), QStringLiteral("un dossier porte ce nom"));

    struct Step {
        QString ext;
        bool movedAside = false;
        bool placed = false;
    };
    std::vector<Step> done;
    auto rollback = [&] {
        for (auto it = done.rbegin(); it != done.rend(); ++it) {
            if (it->placed) renameFile(finalPath(it->ext), tempPath(it->ext));
            if (it->movedAside) renameFile(backupPath(it->ext), finalPath(it->ext));
        }
    };
    QStringList steps = kWritten;
    steps << kCodePage;
    for (const QString& ext : steps) {
        done.push_back({ext});
        Step& step = done.back();
        if (entryKind(finalPath(ext)) >= 0) {
            if (!renameFile(finalPath(ext), backupPath(ext))) {
                const QString cause = lastError();
                rollback();
                throw ExportFileError(finalPath(ext), cause);
            }
            step.movedAside = true;
        }
        if (ext == kCodePage) continue;
        if (!renameFile(tempPath(ext), finalPath(ext))) {
            const QString cause = lastError();
            rollback();
            throw ExportFileError(finalPath(ext), cause);
        }
        step.placed = true;
    }
    committed_ = true;
    for (const Step& step : done)
        if (step.movedAside) ::unlink(native(backupPath(step.ext)).constData());
}

}  // namespace sotrix
