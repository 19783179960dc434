// The start-up of the main window: missing or damaged database, upgrade, settings,
// working folder and environment.
#include "AppDir.h"
#include "Database.h"
#include "Environment.h"
#include "State.h"
#include "Workspace.h"
#include "frmAccueil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>

namespace sotrix {
namespace {

using test::WorkspaceTest;

QByteArray readAll(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

class StartupNoDb : public WorkspaceTest {
protected:
    void SetUp() override {
        withDatabase_ = false;
        WorkspaceTest::SetUp();
        for (const char* v : {"PROJ_DATA", "PROJ_LIB", "GDAL_DATA", "GDAL_DRIVER_PATH"}) saved_ << qgetenv(v);
    }
    void TearDown() override {
        const char* names[] = {"PROJ_DATA", "PROJ_LIB", "GDAL_DATA", "GDAL_DRIVER_PATH"};
        for (int i = 0; i < 4; ++i) {
            if (saved_[i].isNull())
                qunsetenv(names[i]);
            else
                qputenv(names[i], saved_[i]);
        }
        WorkspaceTest::TearDown();
    }
    QList<QByteArray> saved_;
};

TEST_F(StartupNoDb, MissingDatabaseEndsWithOneMessageAndWritesNothing) {
    qunsetenv("GDAL_DATA");
    QDir(home()).mkpath(QStringLiteral("gdal/data"));
    frmAccueil w;
    EXPECT_FALSE(w.Form_Load());
    ASSERT_EQ(prompts->prompts().size(), 1u);
    EXPECT_EQ(prompts->prompts()[0].icon, Icon::Exclamation);
    EXPECT_EQ(prompts->prompts()[0].buttons, Buttons::Ok);
    EXPECT_EQ(prompts->prompts()[0].text,
              QStringLiteral("Le fichier 'sotrix.mdb' est introuvable. Impossible de continuer.\nL'application va se fermer."));
    EXPECT_EQ(QDir(home()).entryList(QDir::Files), QStringList());
    EXPECT_TRUE(qgetenv("GDAL_DATA").isNull());
}

TEST_F(StartupNoDb, DamagedDatabaseIsReportedAndLeftAsItWas) {
    {
        QFile f(path(QStringLiteral("sotrix.mdb")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'j'));
    }
    const QByteArray before = readAll(path(QStringLiteral("sotrix.mdb")));
    frmAccueil w;
    EXPECT_FALSE(w.Form_Load());
    ASSERT_EQ(prompts->prompts().size(), 1u);
    EXPECT_EQ(prompts->prompts()[0].icon, Icon::Exclamation);
    EXPECT_TRUE(prompts->prompts()[0].text.startsWith(
        QStringLiteral("Une erreur est survenue lors de l'accès à la base de données : ")));
    EXPECT_EQ(readAll(path(QStringLiteral("sotrix.mdb"))), before);
}

// PROJ and GDAL get no folder of the workspace, where a planted plugin would run as the
// user; those of the installed program serve (here from its installation's share/sotrix/).
TEST_F(StartupNoDb, ToolFoldersComeFromTheInstallationNeverFromTheWorkspace) {
    ASSERT_TRUE(QFile::copy(test::deliveredDatabase(), path(QStringLiteral("sotrix.mdb"))));
    QFile::setPermissions(path(QStringLiteral("sotrix.mdb")), QFile::ReadOwner | QFile::WriteOwner);
    addDefaultOptions();
    const char* rows[][2] = {
        {"PROJ_DATA", "proj"}, {"PROJ_LIB", "proj"}, {"GDAL_DATA", "gdal/data"}, {"GDAL_DRIVER_PATH", "gdal/plugins"}};
    QTemporaryDir prefix;
    const QString exe = QDir(prefix.path()).filePath(QStringLiteral("bin")), share = QFileInfo(pristineInstallee(exe)).path();
    for (const auto& row : rows) {
        qunsetenv(row[0]);
        ASSERT_TRUE(QDir(home()).mkpath(QLatin1String(row[1])) && QDir(share).mkpath(QLatin1String(row[1])));
    }
    frmAccueil w;
    ASSERT_TRUE(w.Form_Load());
    for (const auto& row : rows) EXPECT_TRUE(qgetenv(row[0]).isNull()) << row[0];
    setToolEnvironment(exe);
    for (const auto& row : rows) EXPECT_EQ(QString::fromLocal8Bit(qgetenv(row[0])), QDir(share).filePath(QLatin1String(row[1])));
}

class Startup : public WorkspaceTest {};

TEST_F(Startup, NormalStartUpgradesLoadsAndMovesToTheWorkingFolder) {
    {
        DbGuard db;
        db->exec(QStringLiteral("update [A propos de] set Db = null"));
        db->exec(QStringLiteral("delete from Options"));
    }
    const QString work = path(QStringLiteral("l'été"));
    QDir(home()).mkdir(QStringLiteral("l'été"));
    addDefaultOptions();
    {
        DbGuard db;
        db->exec(QStringLiteral("update Options set Dossier = ?, Gps = 3"), {work});
    }
    frmAccueil w;
    ASSERT_TRUE(w.Form_Load());
    EXPECT_TRUE(prompts->prompts().empty());
    EXPECT_EQ(w.findChild<QLabel*>(QStringLiteral("lblVersion"))->text(), QStringLiteral("Version 2.6.11"));
    DbGuard db;
    EXPECT_EQ(db->scalar(QStringLiteral("select Db from [A propos de]")).toLongLong(), 1);
    EXPECT_EQ(state().paramGps, 3);
    EXPECT_EQ(QDir::currentPath(), QDir(work).canonicalPath());
    EXPECT_EQ(state().dernierDossier, QDir::currentPath());
}

TEST_F(Startup, MissingOrEmptyWorkingFolderKeepsTheCurrentFolder) {
    const QString start = QDir::currentPath();
    for (const QString& folder : {QString(), path(QStringLiteral("gone"))}) {
        {
            DbGuard db;
            db->exec(QStringLiteral("update Options set Dossier = ?"), {folder});
        }
        frmAccueil w;
        ASSERT_TRUE(w.Form_Load());
        EXPECT_EQ(QDir::currentPath(), start);
        EXPECT_EQ(state().dernierDossier, start);
    }
}

TEST_F(Startup, EmptyOptionsGetDefaultsWithoutNetworkWhenOffline) {
    {
        DbGuard db;
        db->exec(QStringLiteral("delete from Options"));
    }
    frmAccueil w;
    ASSERT_TRUE(w.Form_Load());
    DbGuard db;
    EXPECT_EQ(db->scalar(QStringLiteral("select count(*) from Options")).toLongLong(), 1);
    EXPECT_EQ(QDir::currentPath(), QDir(home()).canonicalPath());
    EXPECT_TRUE(prompts->prompts().empty());
}

TEST_F(Startup, RelativeProgramFolderKeepsNamingItAfterTheMoveToTheWorkingFolder) {
    const QString work = path(QStringLiteral("travail"));
    QDir(home()).mkdir(QStringLiteral("travail"));
    {
        DbGuard db;
        db->exec(QStringLiteral("update Options set Dossier = ?"), {work});
        db->exec(QStringLiteral("insert into Points (Nom, X, Y, Trace) values ('Borne', 150000, 170000, 0)"));
    }
    // SOTRIX_HOME relative to the folder the program starts in.
    ASSERT_TRUE(QDir::setCurrent(QFileInfo(home()).path()));
    qputenv("SOTRIX_HOME", QFile::encodeName(QFileInfo(home()).fileName()));
    resetAppDir();
    frmAccueil w;
    ASSERT_TRUE(w.Form_Load());
    EXPECT_EQ(QDir::currentPath(), QDir(work).canonicalPath());
    EXPECT_TRUE(QFileInfo(appDir()).isAbsolute());
    EXPECT_EQ(QFileInfo(appDir()).canonicalFilePath(), QFileInfo(home()).canonicalFilePath());

    w.chkToutWaypoints_Click(true);  // writes Points.Selected

    EXPECT_TRUE(prompts->prompts().empty()) << prompts->texts().join(QLatin1Char('\n')).toStdString();
    Database db(QDir(home()).filePath(QStringLiteral("sotrix.mdb")));
    EXPECT_EQ(db.scalar(QStringLiteral("select Selected from Points")).toLongLong(), 1);
    EXPECT_EQ(state().nbWaypointsSel, 1);
}

}  // namespace
}  // namespace sotrix
