// One program per workspace: a second start on a workspace in use is refused before it
// touches the database; the lock of a program killed goes with it; two workspaces run
// side by side. The first program is a start in a forked copy of the test.
#include "AppDir.h"
#include "Database.h"
#include "Workspace.h"
#include "file_watch.h"
#include "frmAccueil.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace sotrix {
namespace {

using test::WorkspaceTest;

// The program started on the program folder home in a child process, kept running
// until killed.
class Holder {
public:
    explicit Holder(const QString& home) {
        int p[2];
        if (::pipe2(p, O_CLOEXEC) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(p[0]);
            qputenv("SOTRIX_HOME", QFile::encodeName(home));
            resetAppDir();
            frmAccueil w;
            const char started = w.Form_Load() ? 'Y' : 'N';
            if (::write(p[1], &started, 1) != 1) ::_exit(1);
            for (;;) ::pause();
        }
        ::close(p[1]);
        char c = 0;
        pollfd wait{p[0], POLLIN, 0};
        started_ = pid_ > 0 && ::poll(&wait, 1, 60000) > 0 && ::read(p[0], &c, 1) == 1 && c == 'Y';
        ::close(p[0]);
    }
    ~Holder() { kill(); }
    bool started() const { return started_; }
    void kill() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
    bool started_ = false;
};

class WorkspaceLockTest : public WorkspaceTest {};

TEST_F(WorkspaceLockTest, OneProgramPerWorkspace) {
    QTemporaryDir other;
    ASSERT_TRUE(other.isValid());
    ASSERT_TRUE(QFile::copy(path(QStringLiteral("sotrix.mdb")), QDir(other.path()).filePath(QStringLiteral("sotrix.mdb"))));
    const struct {
        const char* name;
        bool otherWorkspace;  // the first program runs on another program folder
        bool killed;          // the first program was killed before the second start
        bool linked;          // this workspace's database is a link to the other's
        bool accepted;
    } rows[] = {
        {"second start on a workspace in use", false, false, false, false},
        {"start after the first program was killed", false, true, false, true},
        {"two workspaces side by side", true, false, false, true},
        {"a link to a workspace in use", true, false, true, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.linked) {
            ASSERT_TRUE(QFile::remove(path(QStringLiteral("sotrix.mdb"))));
            ASSERT_TRUE(QFile::link(QDir(other.path()).filePath(QStringLiteral("sotrix.mdb")), path(QStringLiteral("sotrix.mdb"))));
        }
        Holder first(row.otherWorkspace ? other.path() : home());
        ASSERT_TRUE(first.started());
        if (row.killed) first.kill();
        prompts->clear();
        FileWatch watch(path(QStringLiteral("sotrix.mdb")));
        ASSERT_TRUE(watch.ok());
        {
            frmAccueil second;
            EXPECT_EQ(second.Form_Load(), row.accepted);
        }
        if (row.accepted) {
            EXPECT_TRUE(prompts->prompts().empty()) << prompts->texts().join('\n').toStdString();
            continue;
        }
        ASSERT_EQ(prompts->prompts().size(), 1u);
        EXPECT_EQ(prompts->prompts()[0].icon, Icon::Exclamation);
        EXPECT_EQ(prompts->prompts()[0].text,
                  QStringLiteral("Sotrix est déjà ouvert avec cet espace de travail : ") + path(QStringLiteral("sotrix.mdb")));
        EXPECT_EQ(watch.events(), 0u) << "the refused start touched the database";
    }
}

}  // namespace
}  // namespace sotrix
