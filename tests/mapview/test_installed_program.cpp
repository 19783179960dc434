// The program installed with "cmake --install" into a temporary prefix and started by a
// new user: its workspace is made in the user's data folder from the installed pristine
// database, which is read and never opened for writing.
#include "Database.h"
#include "file_watch.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <optional>

namespace sotrix {
namespace {

QByteArray sha(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

// The Dossier stored by the program's first start, once the workspace holds it.
std::optional<QString> storedFolder(const QString& db) {
    if (!QFile::exists(db)) return std::nullopt;
    try {
        Database d(db);
        const QVariant v = d.scalar(QStringLiteral("select Dossier from Options"));
        if (v.isValid()) return v.toString();
    } catch (const DbError&) {
    }
    return std::nullopt;
}

TEST(InstalledProgram, NewUserStartsWithAWorkspaceInTheDataFolder) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QDir r(root.path());
    const QString prefix = r.filePath(QStringLiteral("prefix"));
    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(QStringLiteral("cmake"), {QStringLiteral("--install"), QStringLiteral(SOTRIX_BUILD_DIR),
                                            QStringLiteral("--prefix"), prefix});
    ASSERT_TRUE(install.waitForFinished(120000));
    ASSERT_EQ(install.exitCode(), 0) << install.readAll().constData();

    const QString program = QDir(prefix).filePath(QStringLiteral("bin/sotrix"));
    const QString pristine = QDir(prefix).filePath(QStringLiteral("share/sotrix/sotrix.mdb"));
    ASSERT_TRUE(QFile::exists(program));
    ASSERT_TRUE(QFile::exists(pristine));
    EXPECT_FALSE(QFile::exists(QDir(prefix).filePath(QStringLiteral("bin/sotrix.mdb"))));
    const QByteArray original = sha(pristine);

    const QString home = r.filePath(QStringLiteral("home"));
    ASSERT_TRUE(QDir().mkpath(home));
    const QString dataFolder = QDir(home).filePath(QStringLiteral(".local/share/sotrix"));
    const QString workspace = QDir(dataFolder).filePath(QStringLiteral("sotrix.mdb"));

    FileWatch watch(pristine);
    ASSERT_TRUE(watch.ok());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"SOTRIX_HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess sotrix;
    sotrix.setProcessEnvironment(env);
    sotrix.setWorkingDirectory(home);
    sotrix.setProcessChannelMode(QProcess::MergedChannels);
    sotrix.start(program, {});
    ASSERT_TRUE(sotrix.waitForStarted());

    // The start-up is over once the settings it writes on a first start are stored.
    std::optional<QString> folder;
    QElapsedTimer t;
    t.start();
    while (!(folder = storedFolder(workspace)) && sotrix.state() == QProcess::Running && t.elapsed() < 60000)
        QThread::msleep(50);
    const bool running = sotrix.state() == QProcess::Running;
    sotrix.terminate();
    if (!sotrix.waitForFinished(10000)) {
        sotrix.kill();
        sotrix.waitForFinished();
    }
    EXPECT_TRUE(running) << sotrix.readAll().constData();
    ASSERT_TRUE(folder.has_value());
    EXPECT_EQ(QDir(*folder).canonicalPath(), QDir(dataFolder).canonicalPath());

    // The pristine database was read for the copy, and never opened for writing.
    const uint32_t events = watch.events();
    EXPECT_NE(events & IN_CLOSE_NOWRITE, 0u);
    EXPECT_EQ(events & (IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_DELETE_SELF | IN_MOVE_SELF), 0u);
    EXPECT_EQ(sha(pristine), original);
    EXPECT_EQ(QDir(QFileInfo(pristine).path()).entryList(QDir::Files), QStringList{QStringLiteral("sotrix.mdb")});
    EXPECT_FALSE(QFile::exists(QDir(prefix).filePath(QStringLiteral("bin/sotrix.mdb"))));
}

}  // namespace
}  // namespace sotrix
