#include "ExportFiles.h"

#include "ExportFailure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace sotrix {

namespace {

QByteArray native(const QString& path) { return QFile::encodeName(path); }

QString errorText(int e) { return QString::fromLocal8Bit(std::strerror(e)); }

// fsync of a file or a folder by its name; 0 or the error number.
int syncPath(const QString& path, int flags) {
    const int fd = ::open(native(path).constData(), flags | O_CLOEXEC);
    if (fd < 0) return errno;
    int e = ::fsync(fd) == 0 ? 0 : errno;
    if (::close(fd) != 0 && e == 0 && errno != EINTR) e = errno;
    return e;
}

}  // namespace

QString temporaryPath(const QString& finalPath) {
    const QFileInfo info(finalPath);
    const QString name = info.fileName(), suffix = info.suffix();
    const QString stem = suffix.isEmpty() ? name : name.left(name.size() - suffix.size() - 1);
    return QDir(info.path()).filePath(QLatin1Char('.') + stem + QStringLiteral(".tmp") +
                                      (suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix));
}

void removeTemporary(const QString& finalPath) { ::unlink(native(temporaryPath(finalPath)).constData()); }

ExportFiles::~ExportFiles() {
    for (const Entry& e : entries_)
        if (!e.placed) ::unlink(native(e.temp).constData());
}

QString ExportFiles::add(const QString& finalPath) {
    entries_.push_back({finalPath, temporaryPath(finalPath)});
    ::unlink(native(entries_.back().temp).constData());
    return entries_.back().temp;
}

void ExportFiles::removeAfter(const QString& path) { stale_ << path; }

void ExportFiles::commit() {
    struct stat st {};
    for (const Entry& e : entries_) {
        // A folder under a final name is in the way, and nothing is replaced.
        const bool exists = ::lstat(native(e.path).constData(), &st) == 0;
        if (exists && S_ISDIR(st.st_mode)) throw ExportFileError(e.path, QStringLiteral("un dossier porte ce nom"));
        if (exists && S_ISREG(st.st_mode)) ::chmod(native(e.temp).constData(), st.st_mode & 07777);
        if (const int err = syncPath(e.temp, O_RDONLY)) throw ExportFileError(e.path, errorText(err));
    }
    QStringList replaced;
    for (Entry& e : entries_) {
        if (beforeRename) beforeRename(e.path);
        if (std::rename(native(e.temp).constData(), native(e.path).constData()) != 0)
            throw ExportFileError(e.path, errorText(errno), replaced);
        e.placed = true;
        replaced << e.path;
    }
    for (const QString& path : stale_)
        if (::unlink(native(path).constData()) != 0 && errno != ENOENT)
            throw ExportFileError(path, errorText(errno), replaced);
    QStringList folders;
    for (const Entry& e : entries_) {
        const QString folder = QFileInfo(e.path).path();
        if (folders.contains(folder)) continue;
        folders << folder;
        // Some file systems cannot sync a folder; the files themselves are on disk by now.
        if (const int err = syncPath(folder, O_RDONLY | O_DIRECTORY); err != 0 && err != EINVAL)
            throw ExportFileError(e.path, errorText(err), replaced);
    }
}

}  // namespace sotrix
