#include "ExportFiles.h"

#include "DroitsFichier.h"
#include "ExportFailure.h"
#include "FichierCible.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <utility>

namespace sotrix {

namespace {

QByteArray native(const QString& path) { return QFile::encodeName(path); }

QString errorText(int e) { return QString::fromLocal8Bit(std::strerror(e)); }

const QString kHeld = QStringLiteral("un autre enregistrement écrit ce fichier");

// fsync of a folder by its name; 0 or the error number.
int syncFolder(const QString& path) {
    const int fd = ::open(native(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno;
    int e = ::fsync(fd) == 0 ? 0 : errno;
    if (::close(fd) != 0 && e == 0 && errno != EINTR) e = errno;
    return e;
}

// An exclusive lock without waiting: 0, or the error number (EWOULDBLOCK: held elsewhere).
int lockNow(int fd) {
    int rc;
    do rc = ::flock(fd, LOCK_EX | LOCK_NB);
    while (rc != 0 && errno == EINTR);
    return rc == 0 ? 0 : errno;
}

bool sameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// The stem cut, without splitting a character, so that its UTF-8 takes at most room bytes.
QString cutTo(QString stem, qsizetype room) {
    while (!stem.isEmpty() && native(stem).size() > room) stem.chop(stem.back().isLowSurrogate() ? 2 : 1);
    return stem;
}

}  // namespace

QString temporaryPath(const QString& finalPath) {
    const QFileInfo info(finalPath);
    const QString name = info.fileName(), suffix = info.suffix();
    QString stem = suffix.isEmpty() ? name : name.left(name.size() - suffix.size() - 1);
    const QString tail = QStringLiteral(".tmp") + (suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix);
    if (native(QLatin1Char('.') + stem + tail).size() > NAME_MAX) {
        // The digest keeps apart two long names that begin alike; it depends on the stem
        // only, so that the files of a set share their temporary stem as their names do.
        const QString mark = QLatin1Char('~') + QString::fromLatin1(QCryptographicHash::hash(
                                                                         native(stem), QCryptographicHash::Sha1)
                                                                         .toHex()
                                                                         .left(12));
        stem = cutTo(stem, NAME_MAX - native(QLatin1Char('.') + mark + tail).size()) + mark;
    }
    return QDir(info.path()).filePath(QLatin1Char('.') + stem + tail);
}

QString replacedFile(const QString& finalPath) {
    const std::optional<QString> target = fichierCible(finalPath);
    if (!target) throw ExportFileError(finalPath, QStringLiteral("lien sans cible"));
    return *target;
}

namespace {

// Removes the file named temp unless a live export holds it; false when one does.
bool removeUnheld(const QString& temp) {
    const QByteArray name = native(temp);
    const int fd = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT) ::unlink(name.constData());  // a link or a file we may not read
        return true;
    }
    const int locked = lockNow(fd);
    struct stat held {}, now {};
    // Only the file locked here goes: one that a live export made since stays.
    const bool same = ::fstat(fd, &held) == 0 && ::lstat(name.constData(), &now) == 0 && sameFile(held, now);
    if (locked != EWOULDBLOCK && same) ::unlink(name.constData());
    ::close(fd);
    return locked != EWOULDBLOCK;
}

}  // namespace

void removeLeftover(const QString& temp, const QString& finalPath) {
    if (!removeUnheld(temp)) throw ExportFileError(finalPath, kHeld);
}

ExportFiles::~ExportFiles() {
    for (const Entry& e : entries_) {
        // A file its writer made but this export never held goes too, unless held elsewhere.
        if (!e.placed && own(e)) ::unlink(native(e.temp).constData());
        else if (!e.placed && e.fd < 0) removeUnheld(e.temp);
        if (e.fd >= 0) ::close(e.fd);
    }
}

QString ExportFiles::add(const QString& finalPath, SaveName kind) {
    Entry& e = entryOf(reserve(finalPath, {}, kind));
    e.fd = ::open(native(e.temp).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (e.fd < 0) throw ExportFileError(e.path, errorText(errno));
    take(e);
    return e.temp;
}

int ExportFiles::descriptor(const QString& temp) const {
    for (const Entry& e : entries_)
        if (e.temp == temp) return e.fd;
    return -1;
}

QString ExportFiles::reserve(const QString& finalPath, const QString& temp, SaveName kind) {
    Entry e{finalPath, kind == SaveName::Working ? finalPath : replacedFile(finalPath), temp, kind};
    if (e.temp.isEmpty()) e.temp = temporaryPath(e.target);
    removeLeftover(e.temp, finalPath);
    entries_.push_back(e);
    return e.temp;
}

void ExportFiles::hold(const QString& temp) {
    Entry& e = entryOf(temp);
    e.fd = ::open(native(temp).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (e.fd < 0) throw ExportFileError(e.path, errorText(errno));
    take(e);
}

ExportFiles::Entry& ExportFiles::entryOf(const QString& temp) {
    for (Entry& e : entries_)
        if (e.temp == temp) return e;
    throw ExportFileError(temp, QStringLiteral("fichier hors de l'enregistrement"));
}

void ExportFiles::take(Entry& e) {
    struct stat st {};
    if (::fstat(e.fd, &st) != 0) throw ExportFileError(e.path, errorText(errno));
    e.dev = st.st_dev;
    e.ino = st.st_ino;
    // A file system without locks still saves; the identity check remains. A file that
    // another export holds is its own: this one lets go of it and leaves it in place.
    if (lockNow(e.fd) == EWOULDBLOCK) {
        ::close(std::exchange(e.fd, -1));
        throw ExportFileError(e.path, kHeld);
    }
}

bool ExportFiles::own(const Entry& e) const {
    struct stat now {};
    return e.fd >= 0 && ::lstat(native(e.temp).constData(), &now) == 0 && now.st_dev == e.dev && now.st_ino == e.ino;
}

void ExportFiles::checkOwn(const Entry& e, const QStringList& replaced) const {
    if (!own(e)) throw ExportFileError(e.path, QStringLiteral("le fichier temporaire a été remplacé"), replaced);
}

void ExportFiles::removeAfter(const QString& path) { stale_ << path; }

QStringList ExportFiles::commit() {
    struct stat st {};
    for (const Entry& e : entries_) {
        // A folder under a final name is in the way, and nothing is replaced; nor is a file
        // that the user made read-only (root, who may write any file, is not stopped).
        const QByteArray target = native(e.target);
        const bool user = e.kind == SaveName::User;
        const bool exists = (user ? ::stat(target.constData(), &st) : ::lstat(target.constData(), &st)) == 0;
        if (exists && S_ISDIR(st.st_mode)) throw ExportFileError(e.path, QStringLiteral("un dossier porte ce nom"));
        if (user && exists && ::faccessat(AT_FDCWD, target.constData(), W_OK, AT_EACCESS) != 0)
            throw ExportFileError(e.path, errorText(errno));
        checkOwn(e, {});
        if (user && exists && S_ISREG(st.st_mode)) transmetDroits(e.target, st, e.fd);
        if (::fsync(e.fd) != 0) throw ExportFileError(e.path, errorText(errno));
    }
    QStringList replaced;
    for (Entry& e : entries_) {
        if (beforeRename) beforeRename(e.path);
        checkOwn(e, replaced);
        if (std::rename(native(e.temp).constData(), native(e.target).constData()) != 0)
            throw ExportFileError(e.path, errorText(errno), replaced);
        e.placed = true;
        replaced << e.path;
    }
    // Every stale file that can go goes; those that stay do not undo a complete save.
    QStringList stayed;
    for (const QString& path : stale_)
        if (::unlink(native(path).constData()) != 0 && errno != ENOENT) stayed << path;
    QStringList folders;
    for (const Entry& e : entries_)
        for (const QString& file : {e.target, e.temp}) {
            const QString folder = QFileInfo(file).path();
            if (folders.contains(folder)) continue;
            folders << folder;
            // Some file systems cannot sync a folder; the files themselves are on disk by now.
            if (const int err = syncFolder(folder); err != 0 && err != EINVAL)
                throw ExportFileError(e.path, errorText(err), replaced);
        }
    return stayed;
}

}  // namespace sotrix
