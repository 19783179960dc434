#include "Workspace.h"

#include "Database.h"
#include "Settings.h"
#include "State.h"

#include <QDir>
#include <QFile>

namespace sotrix::test {

QString deliveredDatabase() { return QStringLiteral(SOTRIX_DELIVERED_DB); }

void WorkspaceTest::SetUp() {
    savedCwd_ = QDir::currentPath();
    dir_ = std::make_unique<QTemporaryDir>();
    ASSERT_TRUE(dir_->isValid());
    qputenv("SOTRIX_HOME", QFile::encodeName(dir_->path()));
    resetState();
    prompts = std::make_shared<ScriptedPrompter>();
    state().prompter = prompts;
    state().reachability = std::make_shared<FixedReachability>(false);
    if (!withDatabase_) return;
    ASSERT_TRUE(QFile::copy(deliveredDatabase(), path(QStringLiteral("sotrix.mdb"))));
    QFile::setPermissions(path(QStringLiteral("sotrix.mdb")), QFile::ReadOwner | QFile::WriteOwner);
    if (withOptions_) addDefaultOptions();
}

void WorkspaceTest::TearDown() {
    QDir::setCurrent(savedCwd_);
    state().prompter.reset();
    prompts.reset();
    resetState();
    dir_.reset();
    qunsetenv("SOTRIX_HOME");
}

QString WorkspaceTest::path(const QString& name) const { return QDir(dir_->path()).filePath(name); }

void WorkspaceTest::addDefaultOptions() {
    DbGuard db;
    db->exec(QStringLiteral("delete from Options"));
    db->exec(QStringLiteral("insert into Options (Gps, Port, Vitesse, Decalage, ProjGps, ProjCarto, Dossier, Taille, "
                            "Couleur, CouleurSel, CouleurShp, CouleurEdit, SupInt, checkUpdate, urlUpdate) "
                            "values (1, 1, 0, 0, 4326, 31370, ?, 2, 16711680, 255, 8421504, 0, 1, 0, ?)"),
             {home(), QStringLiteral("http://127.0.0.1:9/")});
}

void WorkspaceTest::loadOptions() { options(); }

}  // namespace sotrix::test
