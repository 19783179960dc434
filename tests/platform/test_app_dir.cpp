// The program folder: SOTRIX_HOME, a build's folder, an installed program's user data
// folder seeded from the pristine database, and the folder without a database.
#include "AppDir.h"
#include "Workspace.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace sotrix {
namespace {

QByteArray sha(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

void copyDelivered(const QString& to) {
    ASSERT_TRUE(QDir().mkpath(QFileInfo(to).path()));
    ASSERT_TRUE(QFile::copy(test::deliveredDatabase(), to));
}

TEST(AppDir, ChoiceOfTheProgramFolder) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QDir r(root.path());
    // An installed program: its executable in prefix/bin, the pristine database in
    // prefix/share/sotrix.
    const QString installedBin = r.filePath(QStringLiteral("prefix/bin"));
    const QString pristine = r.filePath(QStringLiteral("prefix/share/sotrix/sotrix.mdb"));
    copyDelivered(pristine);
    ASSERT_EQ(pristineInstallee(installedBin), pristine);
    // A build: the executable in build/bin beside its working copy, the pristine one in
    // build/data, where no installed program looks.
    const QString buildBin = r.filePath(QStringLiteral("build/bin"));
    copyDelivered(r.filePath(QStringLiteral("build/data/sotrix.mdb")));
    // A build whose working copy was removed, and a folder holding nothing.
    const QString bareBuildBin = r.filePath(QStringLiteral("bare/bin"));
    copyDelivered(r.filePath(QStringLiteral("bare/data/sotrix.mdb")));
    ASSERT_TRUE(QDir().mkpath(bareBuildBin));
    copyDelivered(QDir(buildBin).filePath(QStringLiteral("sotrix.mdb")));
    const QString home = r.filePath(QStringLiteral("home"));
    const QString user = r.filePath(QStringLiteral("user/.local/share/sotrix"));

    struct Row {
        const char* what;
        QString sotrixHome, exeDir;
        QString dir, seedFrom;
    } rows[] = {
        {"SOTRIX_HOME wins over an installed program", home, installedBin, home, {}},
        {"SOTRIX_HOME wins over a build", home, buildBin, home, {}},
        {"a build uses its own folder", {}, buildBin, buildBin, {}},
        {"an installed program uses the user's folder", {}, installedBin, user, pristine},
        {"a build without its working copy reports it", {}, bareBuildBin, bareBuildBin, {}},
        {"a folder with nothing reports it", {}, r.filePath(QStringLiteral("nothing")),
         r.filePath(QStringLiteral("nothing")), {}},
    };
    for (const Row& row : rows) {
        const AppDirChoice c = choisitAppDir(row.sotrixHome, row.exeDir, user);
        EXPECT_EQ(c.dir, row.dir) << row.what;
        EXPECT_EQ(c.seedFrom, row.seedFrom) << row.what;
    }
    // An installed program that once found a workspace beside itself keeps using it.
    copyDelivered(QDir(installedBin).filePath(QStringLiteral("sotrix.mdb")));
    EXPECT_EQ(choisitAppDir({}, installedBin, user).dir, installedBin);
}

TEST(AppDir, SeedingCopiesThePristineDatabaseOnceAndNeverWritesIt) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QDir r(root.path());
    const QString pristine = r.filePath(QStringLiteral("share/sotrix/sotrix.mdb"));
    copyDelivered(pristine);
    ASSERT_TRUE(QFile::setPermissions(pristine, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    const QByteArray original = sha(pristine);
    const QString user = r.filePath(QStringLiteral("home/.local/share/sotrix"));
    const QString workspace = QDir(user).filePath(QStringLiteral("sotrix.mdb"));

    EXPECT_TRUE(seedAppDir(AppDirChoice{user, {}}));  // nothing to seed: nothing made
    EXPECT_FALSE(QFileInfo::exists(user));

    ASSERT_TRUE(seedAppDir(AppDirChoice{user, pristine}));
    EXPECT_EQ(sha(workspace), original);
    EXPECT_TRUE(QFileInfo(workspace).permissions() & QFile::WriteOwner);
    EXPECT_EQ(QDir(user).entryList(QDir::Files), QStringList{QStringLiteral("sotrix.mdb")});

    // The user's workspace is never replaced by a later start.
    {
        QFile f(workspace);
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write("user data");
    }
    const QByteArray used = sha(workspace);
    ASSERT_TRUE(seedAppDir(AppDirChoice{user, pristine}));
    EXPECT_EQ(sha(workspace), used);
    EXPECT_EQ(sha(pristine), original);
    EXPECT_EQ(QFileInfo(pristine).permissions() & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther), 0);

    // A folder that cannot be made: false, and nothing half-written anywhere.
    const QString blocker = r.filePath(QStringLiteral("file"));
    {
        QFile f(blocker);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    EXPECT_FALSE(seedAppDir(AppDirChoice{QDir(blocker).filePath(QStringLiteral("sotrix")), pristine}));
    // A pristine database that has gone: false, no partial file left.
    const QString other = r.filePath(QStringLiteral("other"));
    EXPECT_FALSE(seedAppDir(AppDirChoice{other, r.filePath(QStringLiteral("gone.mdb"))}));
    EXPECT_EQ(QDir(other).entryList(QDir::Files), QStringList());
}

}  // namespace
}  // namespace sotrix
