// Emptying the workspace from the main window.
#include "Database.h"
#include "State.h"
#include "test_fixture.h"

#include <QDir>
#include <QLabel>

#include <sys/stat.h>

namespace sotrix::test {
namespace {

ino_t inode(const QString& p) {
    struct stat st {};
    ::stat(QFile::encodeName(p).constData(), &st);
    return st.st_ino;
}

class ViderDb : public MapviewTest {
protected:
    void seed() {
        insertWaypoint(QStringLiteral("L'église"), 150000, 170000, true);
        insertWaypoint(QStringLiteral("Gare"), 151000, 171000);
        addTrack(QStringLiteral("Tour"), {{150000, 170000}, {150500, 170500}, {151000, 170000}}, true, true);
        DbGuard db;
        db->exec(QStringLiteral("create table zz as select Nom from Points"));
        form->majListes();
        form->redraw();
        form->setLblFichier(QStringLiteral("/data/l'été.gpx"));
        state().modifWaypoints = true;
    }
};

TEST_F(ViderDb, EmptiesListsTablesViewAndLabelButKeepsSelectionCountsAndFlags) {
    seed();
    ASSERT_EQ(list("lstWaypoint")->count(), 2);
    ASSERT_GT(form->tailleVue, 0);
    const qint64 selWaypoints = state().nbWaypointsSel;
    const qint64 selTraces = state().nbTracesSel;
    const ino_t before = inode(databasePath());

    form->viderDb();

    EXPECT_EQ(list("lstWaypoint")->count(), 0);
    EXPECT_EQ(list("lstTrace")->count(), 0);
    EXPECT_EQ(state().nbWaypoints, 0);
    EXPECT_EQ(state().nbTraces, 0);
    EXPECT_EQ(state().nbWaypointsSel, selWaypoints);
    EXPECT_EQ(state().nbTracesSel, selTraces);
    EXPECT_TRUE(state().modifWaypoints);
    EXPECT_EQ(label("lblFichier")->text(), QString());
    EXPECT_TRUE(allWhite());
    EXPECT_NE(inode(databasePath()), before);  // compacted into a new file
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("non_compactee.mdb"))));
    DbGuard db;
    EXPECT_EQ(db->scalar(QStringLiteral("select count(*) from Points")).toLongLong(), 0);
    EXPECT_EQ(db->scalar(QStringLiteral("select count(*) from Trace")).toLongLong(), 0);
    EXPECT_FALSE(db->tableExists(QStringLiteral("zz")));
    EXPECT_TRUE(prompts->prompts().empty());
}

TEST_F(ViderDb, ABlockedCompactionStillDeletesEveryRow) {
    seed();
    ASSERT_TRUE(QDir(home()).mkdir(QStringLiteral("non_compactee.mdb")));
    const ino_t before = inode(databasePath());
    form->viderDb();
    EXPECT_EQ(inode(databasePath()), before);
    DbGuard db;
    EXPECT_EQ(db->scalar(QStringLiteral("select count(*) from Points")).toLongLong(), 0);
    EXPECT_EQ(db->scalar(QStringLiteral("select count(*) from Trace")).toLongLong(), 0);
    EXPECT_TRUE(prompts->prompts().empty());
}

}  // namespace
}  // namespace sotrix::test
