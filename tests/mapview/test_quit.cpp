// Quitting and the atomic emptying of the workspace.
#include "AppDir.h"
#include "Database.h"
#include "MapCanvas.h"
#include "State.h"
#include "test_fixture.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QtTest/qtestspontaneevent.h>

#include <sys/stat.h>

namespace sotrix::test {
namespace {

const QString kQuestion = QStringLiteral(
    "Les Waypoints et/ou les Traces en cours n'ont pas été enregistrés.\nVoulez-vous néanmoins continuer ?");

ino_t inode(const QString& p) {
    struct stat st {};
    ::stat(QFile::encodeName(p).constData(), &st);
    return st.st_ino;
}

class Quit : public MapviewTest {
protected:
    void SetUp() override {
        MapviewTest::SetUp();
        QApplication::setQuitOnLastWindowClosed(false);
    }
    qint64 rows() {
        DbGuard db;
        return db->scalar(QStringLiteral("select (select count(*) from Points) + (select count(*) from Trace)"))
            .toLongLong();
    }
    void touch(const QString& name) {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
};

TEST_F(Quit, QuestionOnlyWithUnsavedDataAndNoKeepsEverything) {
    struct Case {
        const char* name;
        bool waypoint, track, modifWaypoints, modifTraces, listed, controlBox;
        std::optional<Answer> answer;  // none: no question expected
        bool closes;
    };
    const Case cases[] = {
        {"nothing at all", false, false, false, false, true, false, {}, true},
        {"saved data", true, true, false, false, true, true, {}, true},
        {"unsaved waypoints, No", true, false, true, false, true, false, Answer::No, false},
        {"unsaved waypoints, No, control box", true, false, true, false, true, true, Answer::No, false},
        {"unsaved tracks, Yes", true, true, false, true, true, false, Answer::Yes, true},
        {"unsaved tracks, control box, Yes", false, true, false, true, true, true, Answer::Yes, true},
        {"flags set, nothing listed", true, true, true, true, false, false, {}, true},
        {"waypoints flag, only tracks", false, true, true, false, true, false, {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        {
            DbGuard db;
            db->exec(QStringLiteral("delete from Points"));
            db->exec(QStringLiteral("delete from Trace"));
        }
        if (c.waypoint) insertWaypoint(QStringLiteral("Borne"), 150000, 170000);
        if (c.track) addTrack(QStringLiteral("Tour"), {{150000, 170000}, {150500, 170500}});
        if (c.listed) form->majListes();
        state().modifWaypoints = c.modifWaypoints;
        state().modifTraces = c.modifTraces;
        const qint64 before = rows();
        form->show();
        prompts->clear();
        if (c.answer) prompts->answer(*c.answer);

        const bool stays = c.controlBox ? form->Form_QueryUnload(true) : form->fichierQuitter_Click() != QuitResult::Done;

        EXPECT_EQ(stays, !c.closes);
        EXPECT_EQ(form->isVisible(), !c.closes);
        EXPECT_EQ(prompts->texts(), c.answer ? QStringList{kQuestion} : QStringList());
        if (c.answer) {
            EXPECT_EQ(prompts->prompts()[0].buttons, Buttons::YesNo);
        }
        EXPECT_EQ(rows(), c.closes ? 0 : before);
    }
}

TEST_F(Quit, WorkingFilesGoOnlyWhenTheSettingSaysSo) {
    for (const bool supInt : {false, true}) {
        state().paramSupInt = supInt;
        touch(QStringLiteral("zz.dbf"));
        touch(QStringLiteral("sotrix.jpg"));  // sotrix.map missing: no error
        touch(QStringLiteral("sotrix.conf"));
        touch(QStringLiteral("gps.gpx"));
        form->show();
        EXPECT_EQ(form->fichierQuitter_Click(), QuitResult::Done);
        for (const char* name : {"zz.dbf", "sotrix.jpg", "sotrix.conf"})
            EXPECT_EQ(QFile::exists(path(QString::fromLatin1(name))), !supInt) << name;
        EXPECT_TRUE(QFile::exists(path(QStringLiteral("gps.gpx"))));
    }
    EXPECT_TRUE(prompts->prompts().empty());
}

TEST_F(Quit, CloseByTheProgramAsksNothingAndEmptiesNothingWhileTheWindowManagersCloseAsks) {
    insertWaypoint(QStringLiteral("Borne"), 150000, 170000);
    form->majListes();
    state().modifWaypoints = true;

    // The window manager's close: the question, and No keeps the window.
    prompts->answer(Answer::No);
    QCloseEvent managerClose;
    QSpontaneKeyEvent::setSpontaneous(&managerClose);
    static_cast<QObject*>(form.get())->event(&managerClose);
    EXPECT_FALSE(managerClose.isAccepted());
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(prompts->texts(), QStringList{kQuestion});

    prompts->clear();
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(prompts->prompts().empty());
    EXPECT_EQ(rows(), 1);
}

TEST_F(Quit, MenuItemQuits) {
    form->findChild<QAction*>(QStringLiteral("fichierQuitter"))->trigger();
    EXPECT_FALSE(form->isVisible());
}

TEST_F(Quit, FailingDeleteIsReportedTheProgramEndsAndTheNextStartShowsTheRows) {
    for (const bool controlBox : {false, true}) {
        SCOPED_TRACE(controlBox ? "close box" : "Quitter");
        insertWaypoint(QStringLiteral("Borne"), 150000, 170000);
        addTrack(QStringLiteral("Tour"), {{150000, 170000}, {150500, 170500}});
        form->majListes();
        form->redraw();
        form->setLblFichier(QStringLiteral("/données/l'été.gpx"));
        const double view = form->tailleVue;
        {
            DbGuard db;
            db->exec(QStringLiteral("create trigger refuse before delete on Points begin "
                                    "select raise(abort, 'suppression refusée'); end"));
        }
        prompts->clear();

        if (controlBox) {
            QCloseEvent managerClose;
            QSpontaneKeyEvent::setSpontaneous(&managerClose);
            static_cast<QObject*>(form.get())->event(&managerClose);
            EXPECT_TRUE(managerClose.isAccepted());
        } else {
            EXPECT_EQ(form->fichierQuitter_Click(), QuitResult::Done);
        }

        EXPECT_EQ(prompts->texts(), QStringList{QStringLiteral("Une erreur est survenue lors de l'accès à la base de "
                                                               "données : suppression refusée")});
        EXPECT_FALSE(form->isVisible());
        // The emptying rolled back whole.
        EXPECT_EQ(rows(), 4);
        EXPECT_EQ(list("lstWaypoint")->count(), 1);
        EXPECT_EQ(list("lstTrace")->count(), 1);
        EXPECT_EQ(label("lblFichier")->text(), QStringLiteral("/données/l'été.gpx"));
        EXPECT_EQ(form->tailleVue, view);

        // The next start lists and draws the rows.
        form = std::make_unique<frmAccueil>();
        canvas = form->picture1();
        canvas->setFixedSize(400, 300);
        form->show();
        QApplication::processEvents();
        ASSERT_TRUE(form->Form_Load());
        EXPECT_EQ(list("lstWaypoint")->count(), 1);
        EXPECT_EQ(list("lstTrace")->count(), 1);
        EXPECT_TRUE(near(150000, 170000, kBlue));

        DbGuard db;
        db->exec(QStringLiteral("drop trigger refuse"));
        db->exec(QStringLiteral("delete from Points"));
        db->exec(QStringLiteral("delete from Trace"));
    }
}

TEST_F(Quit, EmptyingCompactsIntoANewSmallerFileAndClearsAStaleCopyFirst) {
    {
        DbGuard db;
        Transaction tx(*db);
        Statement insert =
            db->prepare(QStringLiteral("insert into Points (Nom, X, Y, Trace, Description) values (?, ?, ?, 0, ?)"));
        for (int i = 0; i < 100000; ++i)
            insert.run({QStringLiteral("P%1").arg(i), 150000.0 + i, 170000.0, QStringLiteral("un point parmi d'autres")});
        tx.commit();
    }
    form->majListes();
    form->redraw();
    {
        QFile stale(path(QStringLiteral("non_compactee.mdb")));
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
        stale.write("pas une base");
    }
    const qint64 sizeBefore = QFileInfo(databasePath()).size();
    const ino_t before = inode(databasePath());

    form->viderDb();

    // The view was dropped: the redraw built the view of an empty workspace.
    EXPECT_DOUBLE_EQ(form->tailleVue, 2.1);
    EXPECT_EQ(state().nbWaypoints, 0);
    EXPECT_NE(inode(databasePath()), before);
    EXPECT_LT(QFileInfo(databasePath()).size(), sizeBefore / 3);
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("non_compactee.mdb"))));
    DbGuard db;
    EXPECT_EQ(db->scalar(QStringLiteral("select count(*) from Points")).toLongLong(), 0);
    EXPECT_GT(db->scalar(QStringLiteral("select count(*) from Proj")).toLongLong(), 5000);
}

}  // namespace
}  // namespace sotrix::test
