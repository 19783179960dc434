// One program per workspace: a second start on a workspace in use is refused before it
// touches the database; the lock of a program killed goes with it; two workspaces run
// side by side. Each start runs in a forked copy of the test.
#include "AppDir.h"
#include "Database.h"
#include "Workspace.h"
#include "file_watch.h"
#include "WorkspaceLock.h"
#include "frmAccueil.h"

#include <QDir>
#include <QFile>
#include <QDataStream>
#include <QTemporaryDir>

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

namespace sotrix {
namespace {

using test::WorkspaceTest;

// The program started on the program folder home in a child process (under umask 077,
// as an unprivileged user when the test runs as root, when asked), kept running until
// killed. It tells whether it started and the messages it showed.
class Holder {
public:
    Holder(const test::ScriptedPrompter& prompts, const QString& home, bool asOther = false, bool umask077 = false) {
        int p[2];
        if (::pipe2(p, O_CLOEXEC) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(p[0]);
            if (umask077) ::umask(077);
            if (asOther && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(1);
            qputenv("SOTRIX_HOME", QFile::encodeName(home));
            resetAppDir();
            frmAccueil w;
            const bool started = w.Form_Load();
            QByteArray bytes;
            const Icon icon = prompts.prompts().empty() ? Icon::None : prompts.prompts()[0].icon;
            QDataStream(&bytes, QIODevice::WriteOnly) << started << prompts.texts() << qint32(icon);
            if (::write(p[1], bytes.constData(), std::size_t(bytes.size())) != bytes.size()) ::_exit(1);
            ::close(p[1]);
            for (;;) ::pause();
        }
        ::close(p[1]);
        QByteArray bytes;
        char buf[4096];
        pollfd wait{p[0], POLLIN, 0};
        for (ssize_t n = 1; n > 0 && pid_ > 0 && ::poll(&wait, 1, 60000) > 0;)
            if ((n = ::read(p[0], buf, sizeof buf)) > 0) bytes.append(buf, n);
        ::close(p[0]);
        QDataStream(bytes) >> started_ >> messages_ >> icon_;
    }
    ~Holder() { kill(); }
    bool started() const { return started_; }
    const QStringList& messages() const { return messages_; }
    Icon icon() const { return Icon(icon_); }
    void kill() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
    bool started_ = false;
    QStringList messages_;
    qint32 icon_ = 0;
};

class WorkspaceLockTest : public WorkspaceTest {};

TEST_F(WorkspaceLockTest, OneProgramPerWorkspace) {
    QTemporaryDir other;
    ASSERT_TRUE(other.isValid());
    ASSERT_TRUE(QFile::copy(path(QStringLiteral("sotrix.mdb")), QDir(other.path()).filePath(QStringLiteral("sotrix.mdb"))));
    // What stands at the lock's name: only a regular file serves, made readable by every
    // user whatever the umask; anything else refuses the start and is left as it was.
    enum Lock { Made, Pipe, LinkToNothing, LinkToFile, OthersPrivate };
    const struct {
        const char* name;
        bool otherWorkspace;  // the first program runs on another program folder
        bool killed;          // the first program was killed before the second start
        bool linked;          // this workspace's database is a link to the other's
        bool accepted;
        Lock lock = Made;
        bool umask077 = false;  // the first program starts under umask 077
        bool asOther = false;   // the second start is an unprivileged user's (the test being root)
    } rows[] = {
        {"second start on a workspace in use", false, false, false, false},
        {"start after the first program was killed", false, true, false, true},
        {"two workspaces side by side", true, false, false, true},
        {"a pipe at the lock's name", true, false, false, false, Pipe},
        {"a link to nothing at the lock's name", true, false, false, false, LinkToNothing},
        {"a link to a file at the lock's name", true, false, false, false, LinkToFile},
        {"another user's private lock file", true, false, false, false, OthersPrivate, false, true},
        {"a start under umask 077, then another user's", false, false, false, false, Made, true, true},
        {"a link to a workspace in use", true, false, true, false},
    };
    const QString lock = WorkspaceLock::lockPath(path(QStringLiteral("sotrix.mdb")));
    const QByteArray lockName = QFile::encodeName(lock);
    const QString outside = QDir(other.path()).filePath(QStringLiteral("dehors"));
    ASSERT_EQ(::chmod(QFile::encodeName(home()).constData(), 0755), 0);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.asOther && ::geteuid() != 0) {
            std::printf("[  NOTE    ] %s: not run, needs root\n", row.name);
            continue;
        }
        ::unlink(lockName.constData());
        QFile::remove(outside);
        ASSERT_TRUE(row.lock != Pipe || ::mkfifo(lockName.constData(), 0644) == 0);
        ASSERT_TRUE(row.lock != LinkToFile || QFile(outside).open(QIODevice::WriteOnly));
        ASSERT_TRUE((row.lock != LinkToNothing && row.lock != LinkToFile) || QFile::link(outside, lock));
        ASSERT_TRUE(row.lock != OthersPrivate || (QFile(lock).open(QIODevice::WriteOnly) &&
                                                  ::chown(lockName.constData(), 1234, 1234) == 0 &&
                                                  ::chmod(lockName.constData(), 0600) == 0));
        if (row.linked) {
            ASSERT_TRUE(QFile::remove(path(QStringLiteral("sotrix.mdb"))));
            ASSERT_TRUE(QFile::link(QDir(other.path()).filePath(QStringLiteral("sotrix.mdb")), path(QStringLiteral("sotrix.mdb"))));
        }
        Holder first(*prompts, row.otherWorkspace ? other.path() : home(), false, row.umask077);
        ASSERT_TRUE(first.started());
        if (row.killed) first.kill();
        prompts->clear();
        FileWatch watch(path(QStringLiteral("sotrix.mdb")));
        ASSERT_TRUE(watch.ok());
        FileWatch watchOutside(outside);  // none when there is no such file
        const Holder second(*prompts, home(), row.asOther);
        EXPECT_EQ(second.started(), row.accepted);
        if (row.accepted) {
            EXPECT_TRUE(second.messages().empty()) << second.messages().join('\n').toStdString();
            continue;
        }
        EXPECT_EQ(second.icon(), Icon::Exclamation);
        EXPECT_EQ(second.messages(),
                  QStringList{row.lock == Made ? QStringLiteral("Sotrix est déjà ouvert avec cet espace de travail : ") +
                                                     path(QStringLiteral("sotrix.mdb"))
                                               : QStringLiteral("Impossible de vérifier que cet espace de travail n'est "
                                                                "pas déjà ouvert : ") + lock});
        EXPECT_EQ(watch.events(), 0u) << "the refused start touched the database";
        EXPECT_EQ(watchOutside.events(), 0u) << "the start followed the link";
        EXPECT_EQ(QFile::exists(outside), row.lock == LinkToFile);
    }
}

}  // namespace
}  // namespace sotrix
