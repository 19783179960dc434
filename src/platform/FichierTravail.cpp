#include "FichierTravail.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sotrix {

bool libereFichierTravail(const QString& path) {
    const QByteArray nom = QFile::encodeName(path);
    struct stat st {};
    if (::lstat(nom.constData(), &st) != 0) return errno == ENOENT;
    const int r = S_ISDIR(st.st_mode) ? ::rmdir(nom.constData()) : ::unlink(nom.constData());
    return r == 0 || errno == ENOENT;
}

bool fichierTravailPresent(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

bool ecritFichierTravail(const QString& path, const QByteArray& contenu) {
    if (!libereFichierTravail(path)) return false;
    const QByteArray nom = QFile::encodeName(path);
    const int fd = ::open(nom.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    const char* p = contenu.constData();
    qsizetype reste = contenu.size();
    while (reste > 0) {
        const ssize_t n = ::write(fd, p, static_cast<size_t>(reste));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        p += n;
        reste -= n;
    }
    const bool ok = ::close(fd) == 0 && reste == 0;
    if (!ok) ::unlink(nom.constData());
    return ok;
}

}  // namespace sotrix
