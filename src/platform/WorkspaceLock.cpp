#include "WorkspaceLock.h"

#include "FichierCible.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace sotrix {

QString WorkspaceLock::lockPath(const QString& databasePath) {
    const QFileInfo base(fichierCible(databasePath).value_or(databasePath));
    return base.dir().filePath(QLatin1Char('.') + base.fileName() + QStringLiteral(".lock"));
}

WorkspaceLock::WorkspaceLock(const QString& databasePath) {
    // Read-only is enough for flock, and lets a lock file made by another user serve.
    fd_ = ::open(QFile::encodeName(lockPath(databasePath)).constData(), O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0) return;
    int rc;
    do rc = ::flock(fd_, LOCK_EX | LOCK_NB);
    while (rc != 0 && errno == EINTR);
    if (rc == 0) {
        state_ = State::Held;
        return;
    }
    state_ = errno == EWOULDBLOCK ? State::InUse : State::Unavailable;
    ::close(fd_);
    fd_ = -1;
}

WorkspaceLock::~WorkspaceLock() {
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace sotrix
