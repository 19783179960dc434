// The average waypoint, merging, closing or opening and deleting, and what a failing
// statement leaves in any command.
#include "map_input.h"
#include "test_fixture.h"

#include "MapTools.h"
#include "State.h"

#include <QToolButton>

namespace sotrix {
namespace {

using test::kBlue;
using test::MapviewTest;
using test::PromptKind;
using test::tableRows;

class EditCommands : public MapviewTest {
protected:
    void TearDown() override {
        expectTrackInvariant();
        MapviewTest::TearDown();
    }
    void button(const char* name) { form->findChild<QToolButton*>(QString::fromLatin1(name))->click(); }
    qint64 scalar(const QString& sql, const QVariantList& params = {}) {
        DbGuard db;
        return db->scalar(sql, params).toLongLong();
    }
    // "Num_trace:X" of every point of the track, in order.
    QStringList points(qint64 track) {
        DbGuard db;
        QStringList out;
        Cursor c = db->query(QStringLiteral("select Num_trace, X from Points where Trace = ? order by Num_trace"), {track});
        while (c.next()) out << c.value(0).toString() + QLatin1Char(':') + c.value(1).toString();
        return out;
    }
    qint64 traceNamed(const QString& nom) { return scalar(QStringLiteral("select Id_trace from Trace where Nom = ?"), {nom}); }
};

TEST_F(EditCommands, TheAverageWaypointIsTheMeanOfTheSelectedWaypointsOnly) {
    const qint64 a = insertWaypoint(QStringLiteral("a"), 148000, 170000, true);
    const qint64 b = insertWaypoint(QStringLiteral("b"), 149000, 171000, true);
    insertWaypoint(QStringLiteral("c"), 0, 0);
    const qint64 t = addTrack(QStringLiteral("t"), {{100000, 100000}, {100100, 100000}}, false, true);
    {
        DbGuard db;
        db->exec(QStringLiteral("update Points set Altitude = 100, Description = 'x' where Trace = 0"));
    }
    form->majListes();
    viewAt(148500, 170500, 3000);
    prompts->answerInput(QStringLiteral("a"));
    prompts->answerInput(QStringLiteral("moyen"));
    button("cmdCalcMoyenneSelect");
    ASSERT_EQ(prompts->prompts().size(), 3u);
    EXPECT_EQ(prompts->prompts()[0].text, QStringLiteral("Nom du waypoint moyen :"));
    EXPECT_EQ(prompts->prompts()[0].title, QStringLiteral("Créer un Waypoint moyen"));
    EXPECT_EQ(prompts->prompts()[1].text, QStringLiteral("Le waypoint 'a' existe déjà. Veuillez choisir un autre nom."));
    DbGuard db;
    Cursor c = db->query(QStringLiteral("select X, Y, Lon, Lat, Altitude, \"Date\", Description, Selected "
                                        "from Points where Nom = 'moyen'"));
    ASSERT_TRUE(c.next());
    EXPECT_DOUBLE_EQ(c.value(0).toDouble(), 148500) << "the track's points play no part";
    EXPECT_DOUBLE_EQ(c.value(1).toDouble(), 170500);
    EXPECT_NEAR(c.value(2).toDouble(), 4.34, 0.02);
    EXPECT_NEAR(c.value(3).toDouble(), 50.84, 0.02);
    for (int i = 4; i <= 6; ++i) EXPECT_TRUE(c.value(i).isNull()) << c.columnName(i).toStdString();
    EXPECT_NE(c.value(7).toLongLong(), 0);
    EXPECT_FALSE(pointSelected(a));
    EXPECT_FALSE(pointSelected(b));
    EXPECT_TRUE(traceSelected(t));
    EXPECT_EQ(state().nbWaypoints, 4);
    EXPECT_TRUE(state().modifWaypoints);

    // One selected waypoint: the refusal, and no prompt.
    prompts->clear();
    button("cmdCalcMoyenneSelect");
    ASSERT_EQ(prompts->prompts().size(), 1u);
    EXPECT_EQ(prompts->prompts()[0].text,
              QStringLiteral("Vous devez sélectionner plus d'un waypoint pour pouvoir calculer un wayppoint moyen."));
    EXPECT_EQ(prompts->prompts()[0].icon, Icon::Exclamation);
}

TEST_F(EditCommands, AMergeCopiesTheOpenSelectedTracksInStoredOrder) {
    const qint64 w = insertWaypoint(QStringLiteral("w"), 0, 0, true);
    const qint64 a = addTrack(QStringLiteral("Z la première"), {{1, 0}, {2, 0}, {3, 0}});
    const qint64 b = addTrack(QStringLiteral("A la seconde"), {{4, 0}, {5, 0}, {6, 0}});
    const qint64 closed = addTrack(QStringLiteral("fermée"), {{7, 0}, {8, 0}}, true);
    {
        DbGuard db;
        db->exec(QStringLiteral("delete from Points where Trace = ? and Num_trace = 2"), {b});  // a gap: 1, 3
        db->exec(QStringLiteral("update Points set Altitude = Num_trace * 10, Description = 'd' where Trace = ?"), {a});
    }
    form->majListes();
    viewAt(0, 0, 100);
    // B first, then A, then the closed track: selection order plays no part.
    for (const qint64 t : {b, a, closed}) {
        QListWidget* l = list("lstTrace");
        for (int i = 0; i < l->count(); ++i)
            if (l->item(i)->data(Qt::UserRole).toLongLong() == t) l->item(i)->setSelected(true);
    }
    ASSERT_EQ(state().nbTracesSel, 3);
    prompts->answerInput(QStringLiteral("z LA PREMIÈRE"));
    prompts->answerInput(QStringLiteral("Fusion"));
    button("cmdFusionner");
    ASSERT_EQ(prompts->prompts().size(), 3u);
    EXPECT_EQ(prompts->prompts()[0].title, QStringLiteral("Fusionner les traces sélectionnées :"));
    EXPECT_EQ(prompts->prompts()[1].text,
              QStringLiteral("La trace 'z LA PREMIÈRE' existe déjà. Veuillez choisir un autre nom."));
    const qint64 merged = traceNamed(QStringLiteral("Fusion"));
    EXPECT_EQ(points(merged), (QStringList{QStringLiteral("1:1"), QStringLiteral("2:2"), QStringLiteral("3:3"),
                                           QStringLiteral("4:4"), QStringLiteral("5:6")}));
    EXPECT_EQ(scalar(QStringLiteral("select sum(Altitude) from Points where Trace = ? and Description = 'd'"), {merged}),
              60)
        << "the columns of the points come along";
    EXPECT_EQ(points(a).size(), 3) << "the merged tracks stay";
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from Trace where Selected <> 0")), 1);
    EXPECT_TRUE(traceSelected(merged));
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from Points where Trace <> ? and Trace > 0 and Selected <> 0"),
                     {merged}),
              0)
        << "the merged tracks' points lose their selection too";
    EXPECT_TRUE(pointSelected(w));
    EXPECT_TRUE(state().modifTraces);
    EXPECT_EQ(state().nbTraces, 4);

    // Refused before any prompt: one open and one closed track, two open tracks without points.
    const qint64 e1 = addTrack(QStringLiteral("vide 1"), {});
    const qint64 e2 = addTrack(QStringLiteral("vide 2"), {});
    const std::vector<qint64> refused[] = {{a, closed}, {e1, e2}};
    for (const auto& tracks : refused) {
        {
            DbGuard db;
            db->exec(QStringLiteral("update Trace set Selected = 0"));
            db->exec(QStringLiteral("update Points set Selected = 0 where Trace > 0"));
        }
        {
            DbGuard db;
            for (const qint64 t : tracks) {
                db->exec(QStringLiteral("update Trace set Selected = 1 where Id_trace = ?"), {t});
                db->exec(QStringLiteral("update Points set Selected = 1 where Trace = ?"), {t});
            }
        }
        form->majListes();
        prompts->clear();
        const QStringList before = tableRows();
        button("cmdFusionner");
        ASSERT_EQ(prompts->prompts().size(), 1u);
        EXPECT_EQ(prompts->prompts()[0].text,
                  QStringLiteral("Vous devez sélectionner au moins 2 traces non fermées pour pouvoir les fusionner."));
        EXPECT_EQ(tableRows(), before);
    }
}

TEST_F(EditCommands, ClosingAsksNothingAndOpeningAsksFirst) {
    const qint64 t = addTrack(QStringLiteral("Ma trace"), {{-20, -10}, {20, -10}, {0, 20}}, false, true);
    form->majListes();
    viewAt(0, 0, 100);
    const QPointF closingSide(-10, 5);  // middle of the ring's last side
    EXPECT_EQ(pixelAt(closingSide.x(), closingSide.y()), test::kWhite);
    button("cmdFermer");
    EXPECT_TRUE(prompts->prompts().empty());
    EXPECT_EQ(scalar(QStringLiteral("select Fermer from Trace")), 1);
    EXPECT_TRUE(state().modifTraces);
    EXPECT_TRUE(near(closingSide.x(), closingSide.y(), test::kRed)) << "the ring is drawn";

    for (const Answer a : {Answer::No, Answer::Yes}) {
        state().modifTraces = false;
        prompts->clear();
        prompts->answer(a);
        button("cmdFermer");
        ASSERT_EQ(prompts->prompts().size(), 1u);
        EXPECT_EQ(prompts->prompts()[0].text,
                  QStringLiteral("La trace 'Ma trace' est déjà fermée.\nVoulez-vous l'ouvrir ?"));
        EXPECT_EQ(prompts->prompts()[0].icon, Icon::Question);
        EXPECT_EQ(scalar(QStringLiteral("select Fermer from Trace")), a == Answer::Yes ? 0 : 1);
        EXPECT_EQ(state().modifTraces, a == Answer::Yes);
    }

    // Not exactly one selected track.
    addTrack(QStringLiteral("autre"), {{0, 0}, {1, 1}}, false, true);
    form->majListes();
    prompts->clear();
    button("cmdFermer");
    ASSERT_EQ(prompts->prompts().size(), 1u);
    EXPECT_EQ(prompts->prompts()[0].text, QStringLiteral("Vous devez sélectionner une et une seule trace à fermer/ouvrir."));
    EXPECT_EQ(scalar(QStringLiteral("select Fermer from Trace where Id_trace = ?"), {t}), 0);
}

TEST_F(EditCommands, DeletingTakesTheSelectedWaypointsAndTracksWithAllTheirPoints) {
    const struct {
        const char* name;
        bool waypointSelected, trackSelected;
    } cases[] = {{"waypoints only", true, false}, {"tracks only", false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        {
            DbGuard db;
            db->exec(QStringLiteral("delete from Points"));
            db->exec(QStringLiteral("delete from Trace"));
        }
        const qint64 w = insertWaypoint(QStringLiteral("w"), 0, 0, c.waypointSelected);
        const qint64 kept = insertWaypoint(QStringLiteral("gardé"), 5, 5);
        const qint64 t = addTrack(QStringLiteral("t"), {{0, 0}, {1, 1}, {2, 2}}, false, c.trackSelected);
        const qint64 other = addTrack(QStringLiteral("autre"), {{3, 3}, {4, 4}});
        {
            DbGuard db;
            // A point whose own flag disagrees with its track, both ways.
            db->exec(QStringLiteral("update Points set Selected = ? where Trace = ? and Num_trace = 2"),
                     {c.trackSelected ? 0 : 1, t});
            db->exec(QStringLiteral("update Points set Selected = 1 where Trace = ? and Num_trace = 1"), {other});
        }
        form->majListes();
        state().modifWaypoints = state().modifTraces = false;
        prompts->clear();
        prompts->answer(Answer::Yes);
        button("cmdSupprimer");
        ASSERT_EQ(prompts->prompts().size(), 1u);
        EXPECT_EQ(prompts->prompts()[0].text,
                  QStringLiteral("Etes-vous sûr de vouloir supprimer les Waypoints/Traces sélectionnés ?"));
        EXPECT_EQ(scalar(QStringLiteral("select count(*) from Points where Id_point = ?"), {w}), c.waypointSelected ? 0 : 1);
        EXPECT_EQ(scalar(QStringLiteral("select count(*) from Points where Id_point = ?"), {kept}), 1);
        EXPECT_EQ(scalar(QStringLiteral("select count(*) from Trace where Id_trace = ?"), {t}), c.trackSelected ? 0 : 1);
        EXPECT_EQ(points(t).size(), c.trackSelected ? 0 : 3) << "a track's points go with it, whatever their own flag";
        EXPECT_EQ(points(other).size(), 2) << "a selected point of an unselected track stays";
        EXPECT_TRUE(state().modifWaypoints);
        EXPECT_TRUE(state().modifTraces);
        // Put the stray flag back in step for the invariant.
        DbGuard db;
        db->exec(QStringLiteral("update Points set Selected = 0 where Trace > 0"));
    }

    // No selection: the refusal; No to the question: nothing goes.
    {
        DbGuard db;
        db->exec(QStringLiteral("update Points set Selected = 0"));
    }
    form->majListes();
    prompts->clear();
    button("cmdSupprimer");
    ASSERT_EQ(prompts->prompts().size(), 1u);
    EXPECT_EQ(prompts->prompts()[0].text, QStringLiteral("Vous devez sélectionner un ou plusieurs Waypoints/Traces à supprimer."));
    insertWaypoint(QStringLiteral("encore"), 0, 0, true);
    form->majListes();
    const QStringList before = tableRows();
    prompts->answer(Answer::No);
    button("cmdSupprimer");
    EXPECT_EQ(tableRows(), before);
}

TEST_F(EditCommands, AFailingStatementLeavesBothTablesAsTheyWere) {
    viewAt(148500, 170500, 3000);
    const struct {
        const char* name;
        const char* trigger;
        std::function<void()> run;
    } cases[] = {
        {"box selection", "before update on Points",
         [this] {
             prompts->answer(Answer::Yes);
             state().modeOutil = outil::kSelectWaypoint;
             test::drag(canvas, test::pixelOf(canvas, 147990, 169990), test::pixelOf(canvas, 148010, 170010));
         }},
        {"track selection", "before update on Trace",
         [this] {
             prompts->answer(Answer::No);
             state().modeOutil = outil::kSelectTrace;
             QTest::mouseClick(canvas, Qt::LeftButton, {}, test::pixelOf(canvas, 149000, 170000));
         }},
        {"new waypoint", "before insert on Points",
         [this] {
             prompts->answerInput(QStringLiteral("nouveau"));
             state().modeOutil = outil::kAjoutWaypoint;
             QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(50, 50));
         }},
        {"average", "before insert on Points",
         [this] {
             prompts->answerInput(QStringLiteral("moyen"));
             button("cmdCalcMoyenneSelect");
         }},
        {"merge", "before insert on Points",
         [this] {
             prompts->answerInput(QStringLiteral("fusion"));
             button("cmdFusionner");
         }},
        {"close", "before update on Trace when new.Nom = 'a'", [this] { button("cmdFermer"); }},
        {"delete", "before delete on Trace",
         [this] {
             prompts->answer(Answer::Yes);
             button("cmdSupprimer");
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        {
            DbGuard db;
            db->exec(QStringLiteral("delete from Points"));
            db->exec(QStringLiteral("delete from Trace"));
        }
        insertWaypoint(QStringLiteral("w1"), 148000, 170000, true);
        insertWaypoint(QStringLiteral("w2"), 148005, 170005, true);
        insertWaypoint(QStringLiteral("w3"), 148010, 170010);
        addTrack(QStringLiteral("a"), {{149000, 170000}, {149100, 170000}}, false, true);
        // Only one track is selected when the command is a close.
        addTrack(QStringLiteral("b"), {{149000, 171000}, {149100, 171000}}, false, std::string(c.name) != "close");
        {
            DbGuard db;
            db->exec(QStringLiteral("create trigger refus ") + QString::fromLatin1(c.trigger) +
                     QStringLiteral(" begin select raise(abort, 'refusé par le test'); end"));
        }
        form->majListes();
        prompts->clear();
        const QStringList before = tableRows();
        c.run();
        const QStringList after = tableRows();
        EXPECT_EQ(after, before);
        std::vector<test::Prompt> warnings;
        for (const auto& p : prompts->prompts())
            if (p.kind == PromptKind::Message && p.icon == Icon::Exclamation) warnings.push_back(p);
        ASSERT_EQ(warnings.size(), 1u);
        EXPECT_TRUE(warnings[0].text.contains(QStringLiteral("refusé par le test")));
        EXPECT_EQ(state().modeOutil, outil::kAucun);
        EXPECT_EQ(canvas->pointer(), pointeur::kDefaut);
        EXPECT_FALSE(canvas->bandVisible());
        {
            DbGuard db;
            db->exec(QStringLiteral("drop trigger refus"));
        }
        // The window goes on working.
        prompts->clear();
        button("cmdUnselect");
        EXPECT_TRUE(prompts->prompts().empty());
        EXPECT_EQ(scalar(QStringLiteral("select count(*) from Points where Selected <> 0")), 0);
        EXPECT_EQ(state().nbWaypoints, 3);
    }
}

}  // namespace
}  // namespace sotrix
