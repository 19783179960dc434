#include "WorkspaceLock.h"

#include "FichierCible.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace sotrix {

namespace {

// The lock file holds nothing: every user of the workspace only needs to open it.
constexpr mode_t kModeVerrou = 0644;

// Read-only is enough for flock, and lets a lock file made by another user serve. Never
// through a link, nor waiting for a writer on a pipe.
constexpr int kOuverture = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;

}  // namespace

QString WorkspaceLock::lockPath(const QString& databasePath) {
    const QFileInfo base(fichierCible(databasePath).value_or(databasePath));
    return base.dir().filePath(QLatin1Char('.') + base.fileName() + QStringLiteral(".lock"));
}

WorkspaceLock::WorkspaceLock(const QString& databasePath) {
    const QByteArray name = QFile::encodeName(lockPath(databasePath));
    bool made = false;
    fd_ = ::open(name.constData(), kOuverture);
    if (fd_ < 0 && errno == ENOENT) {
        fd_ = ::open(name.constData(), kOuverture | O_CREAT | O_EXCL, kModeVerrou);
        made = fd_ >= 0;
        if (fd_ < 0 && errno == EEXIST) fd_ = ::open(name.constData(), kOuverture);  // another start made it
    }
    struct stat st {};
    if (fd_ < 0) {
        // Something at the name that cannot be opened (a link, another user's private
        // file) may stand for a program in use; a folder that takes no new file has no lock.
        state_ = ::lstat(name.constData(), &st) == 0 ? State::Unverifiable : State::Unavailable;
        return;
    }
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        state_ = State::Unverifiable;
        ::close(fd_);
        fd_ = -1;
        return;
    }
    if (made) ::fchmod(fd_, kModeVerrou);  // whatever the umask
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
