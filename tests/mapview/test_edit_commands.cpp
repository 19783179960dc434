// The average waypoint, merging, closing or opening and deleting, and what a failing
// statement leaves in any command.
#include "map_input.h"
#include "test_fixture.h"

#include "MapTools.h"
#include "State.h"

#include <QToolButton>

namespace sotrix {
namespace {

using test::tableRows;

class EditCommands : public test::MapviewTest {
protected:
    void TearDown() override {
        expectTrackInvariant();
        MapviewTest::TearDown();
    }
    void button(const char* name) { form->findChild<QToolButton*>(QString::fromLatin1(name))->click(); }
    QString sql(const QString& query, const QVariantList& params = {}) {
        DbGuard db;
        return db->scalar(query, params).toString();
    }
    void exec(const QString& query, const QVariantList& params = {}) {
        DbGuard db;
        db->exec(query, params);
    }
    QString lastPrompt() { return prompts->prompts().empty() ? QString() : prompts->prompts().back().text; }
};

TEST_F(EditCommands, TheAverageWaypointIsTheMeanOfTheSelectedWaypointsOnly) {
    insertWaypoint(QStringLiteral("a"), 148000, 170000, true);
    insertWaypoint(QStringLiteral("b"), 149000, 171000, true);
    const qint64 t = addTrack(QStringLiteral("t"), {{100000, 100000}, {100100, 100000}}, false, true);
    exec(QStringLiteral("update Points set Altitude = 100, Description = 'x'"));
    form->majListes();
    viewAt(148500, 170500, 3000);
    prompts->answerInput(QStringLiteral("A"));
    prompts->answerInput(QStringLiteral("moyen"));
    button("cmdCalcMoyenneSelect");
    ASSERT_EQ(prompts->prompts().size(), 3u);
    EXPECT_EQ(prompts->prompts()[0].title, QStringLiteral("Créer un Waypoint moyen"));
    EXPECT_EQ(prompts->prompts()[1].text, QStringLiteral("Le waypoint 'A' existe déjà. Veuillez choisir un autre nom."));
    EXPECT_EQ(sql(QStringLiteral("select X || ' ' || Y || ' ' || round(Lon, 2) || ' ' || round(Lat, 2) || ' ' || "
                                 "coalesce(Altitude, Description, \"Date\", 'vide') from Points where Nom = 'moyen'")),
              QStringLiteral("148500.0 170500.0 4.35 50.84 vide"));
    EXPECT_EQ(sql(QStringLiteral("select group_concat(Nom) from Points where Trace = 0 and Selected <> 0")),
              QStringLiteral("moyen"));
    EXPECT_TRUE(traceSelected(t));
    EXPECT_TRUE(state().modifWaypoints);

    prompts->clear();
    button("cmdCalcMoyenneSelect");
    EXPECT_EQ(lastPrompt(),
              QStringLiteral("Vous devez sélectionner plus d'un waypoint pour pouvoir calculer un wayppoint moyen."));
    EXPECT_EQ(prompts->prompts().size(), 1u) << "no name is asked";
}

TEST_F(EditCommands, AMergeCopiesTheOpenSelectedTracksInStoredOrder) {
    const qint64 w = insertWaypoint(QStringLiteral("w"), 0, 0, true);
    const qint64 a = addTrack(QStringLiteral("Z"), {{1, 0}, {2, 0}, {3, 0}}, false, true);
    const qint64 b = addTrack(QStringLiteral("A"), {{4, 0}, {5, 0}, {6, 0}}, false, true);
    const qint64 closed = addTrack(QStringLiteral("fermée"), {{7, 0}, {8, 0}}, true, true);
    exec(QStringLiteral("delete from Points where Trace = ? and Num_trace = 2"), {b});  // a gap: 1, 3
    exec(QStringLiteral("update Points set Description = 'd' || Num_trace where Trace = ?"), {a});
    form->majListes();
    viewAt(0, 0, 100);
    prompts->answerInput(QStringLiteral("z"));
    prompts->answerInput(QStringLiteral("Fusion"));
    button("cmdFusionner");
    EXPECT_EQ(prompts->prompts()[1].text, QStringLiteral("La trace 'z' existe déjà. Veuillez choisir un autre nom."));
    EXPECT_EQ(sql(QStringLiteral("select group_concat(Num_trace || ':' || X || coalesce(Description, ''), ' ') from "
                                 "(select * from Points where Trace = (select Id_trace from Trace where Nom = 'Fusion') "
                                 "order by Num_trace)")),
              QStringLiteral("1:1.0d1 2:2.0d2 3:3.0d3 4:4.0 5:6.0"));
    EXPECT_EQ(sql(QStringLiteral("select group_concat(Nom) from Trace where Selected <> 0")), QStringLiteral("Fusion"));
    EXPECT_EQ(sql(QStringLiteral("select count(*) from Points p join Trace t on t.Id_trace = p.Trace "
                                 "where t.Nom <> 'Fusion' and p.Selected <> 0")),
              QStringLiteral("0"))
        << "the merged tracks, kept, lose their selection with their points";
    EXPECT_TRUE(pointSelected(w));
    EXPECT_TRUE(state().modifTraces);

    // Refused before any prompt: one open and one closed track; two open tracks without points.
    const qint64 e1 = addTrack(QStringLiteral("vide 1"), {});
    const qint64 e2 = addTrack(QStringLiteral("vide 2"), {});
    for (const auto& [x, y] : {std::pair{a, closed}, std::pair{e1, e2}}) {
        exec(QStringLiteral("update Trace set Selected = Id_trace in (?, ?)"), {x, y});
        exec(QStringLiteral("update Points set Selected = Trace in (?, ?) where Trace > 0"), {x, y});
        form->majListes();
        prompts->clear();
        const QStringList before = tableRows();
        button("cmdFusionner");
        EXPECT_EQ(prompts->prompts().size(), 1u);
        EXPECT_EQ(lastPrompt(),
                  QStringLiteral("Vous devez sélectionner au moins 2 traces non fermées pour pouvoir les fusionner."));
        EXPECT_EQ(tableRows(), before);
    }
}

TEST_F(EditCommands, ClosingAsksNothingAndOpeningAsksFirst) {
    addTrack(QStringLiteral("Ma trace"), {{-20, -10}, {20, -10}, {0, 20}}, false, true);
    form->majListes();
    viewAt(0, 0, 100);
    EXPECT_EQ(pixelAt(-10, 5), test::kWhite);
    button("cmdFermer");
    EXPECT_TRUE(prompts->prompts().empty());
    EXPECT_EQ(sql(QStringLiteral("select Fermer from Trace")), QStringLiteral("1"));
    EXPECT_TRUE(state().modifTraces);
    EXPECT_TRUE(near(-10, 5, test::kRed)) << "the ring's closing side is drawn";
    for (const Answer answer : {Answer::No, Answer::Yes}) {
        state().modifTraces = false;
        prompts->answer(answer);
        button("cmdFermer");
        EXPECT_EQ(lastPrompt(), QStringLiteral("La trace 'Ma trace' est déjà fermée.\nVoulez-vous l'ouvrir ?"));
        EXPECT_EQ(sql(QStringLiteral("select Fermer from Trace")), answer == Answer::Yes ? "0" : "1");
        EXPECT_EQ(state().modifTraces, answer == Answer::Yes);
    }
    addTrack(QStringLiteral("autre"), {{0, 0}, {1, 1}}, false, true);
    form->majListes();
    button("cmdFermer");
    EXPECT_EQ(lastPrompt(), QStringLiteral("Vous devez sélectionner une et une seule trace à fermer/ouvrir."));
}

TEST_F(EditCommands, DeletingTakesTheSelectedWaypointsAndTracksWithAllTheirPoints) {
    for (const bool tracks : {false, true}) {
        SCOPED_TRACE(tracks ? "tracks only" : "waypoints only");
        exec(QStringLiteral("delete from Points"));
        exec(QStringLiteral("delete from Trace"));
        insertWaypoint(QStringLiteral("w"), 0, 0, !tracks);
        insertWaypoint(QStringLiteral("gardé"), 5, 5);
        const qint64 t = addTrack(QStringLiteral("t"), {{0, 0}, {1, 1}, {2, 2}}, false, tracks);
        const qint64 other = addTrack(QStringLiteral("autre"), {{3, 3}, {4, 4}});
        // Points whose own flag disagrees with their track, both ways.
        exec(QStringLiteral("update Points set Selected = not Selected where Trace = ? and Num_trace = 2"), {t});
        exec(QStringLiteral("update Points set Selected = 1 where Trace = ? and Num_trace = 1"), {other});
        form->majListes();
        state().modifWaypoints = state().modifTraces = false;
        prompts->answer(Answer::Yes);
        button("cmdSupprimer");
        EXPECT_EQ(lastPrompt(), QStringLiteral("Etes-vous sûr de vouloir supprimer les Waypoints/Traces sélectionnés ?"));
        EXPECT_EQ(sql(QStringLiteral("select group_concat(Nom) from (select Nom from Points order by Id_point)")),
                  tracks ? QStringLiteral("w,gardé,autre,autre") : QStringLiteral("gardé,t,t,t,autre,autre"));
        EXPECT_EQ(sql(QStringLiteral("select group_concat(Nom) from Trace")), tracks ? "autre" : "t,autre");
        EXPECT_TRUE(state().modifWaypoints);
        EXPECT_TRUE(state().modifTraces);
        exec(QStringLiteral("update Points set Selected = 0 where Trace > 0"));
    }
    exec(QStringLiteral("update Points set Selected = 0"));
    form->majListes();
    button("cmdSupprimer");
    EXPECT_EQ(lastPrompt(), QStringLiteral("Vous devez sélectionner un ou plusieurs Waypoints/Traces à supprimer."));
    exec(QStringLiteral("update Points set Selected = 1 where Trace = 0"));
    form->majListes();
    const QStringList before = tableRows();
    prompts->answer(Answer::No);
    button("cmdSupprimer");
    EXPECT_EQ(tableRows(), before);
}

TEST_F(EditCommands, AFailingStatementLeavesBothTablesAsTheyWere) {
    viewAt(148500, 170500, 3000);
    const auto press = [this](int code, QPoint p) {
        state().modeOutil = code;
        QTest::mouseClick(canvas, Qt::LeftButton, {}, p);
    };
    const struct {
        const char* name;
        const char* trigger;
        std::function<void()> run;
    } cases[] = {
        {"box selection", "before update on Points",
         [&] {
             prompts->answer(Answer::Yes);
             state().modeOutil = outil::kSelectWaypoint;
             test::drag(canvas, test::pixelOf(canvas, 147990, 169990), test::pixelOf(canvas, 148010, 170010));
         }},
        {"track selection", "before update on Trace",
         [&] {
             prompts->answer(Answer::No);
             press(outil::kSelectTrace, test::pixelOf(canvas, 149000, 170000));
         }},
        {"new waypoint", "before insert on Points",
         [&] {
             prompts->answerInput(QStringLiteral("nouveau"));
             press(outil::kAjoutWaypoint, QPoint(50, 50));
         }},
        {"new track", "before insert on Points when new.Num_trace = 2",
         [&] {
             prompts->answerInput(QStringLiteral("nouvelle"));
             form->saisieX = {148000, 148100, 148200};
             form->saisieY = {170000, 170000, 170000};
             form->nbSaisies = 3;
             state().modeOutil = outil::kDessinTrace;
             form->Picture1_DblClick();
         }},
        {"average", "before insert on Points",
         [&] {
             prompts->answerInput(QStringLiteral("moyen"));
             button("cmdCalcMoyenneSelect");
         }},
        {"merge", "before insert on Points",
         [&] {
             prompts->answerInput(QStringLiteral("fusion"));
             button("cmdFusionner");
         }},
        {"close", "before update on Trace when new.Nom = 'a'", [&] { button("cmdFermer"); }},
        {"delete", "before delete on Trace",
         [&] {
             prompts->answer(Answer::Yes);
             button("cmdSupprimer");
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        exec(QStringLiteral("delete from Points"));
        exec(QStringLiteral("delete from Trace"));
        insertWaypoint(QStringLiteral("w1"), 148000, 170000, true);
        insertWaypoint(QStringLiteral("w2"), 148005, 170005, true);
        insertWaypoint(QStringLiteral("w3"), 148010, 170010);
        addTrack(QStringLiteral("a"), {{149000, 170000}, {149100, 170000}}, false, true);
        // One selected track only for the close.
        addTrack(QStringLiteral("b"), {{149000, 171000}, {149100, 171000}}, false, std::string(c.name) != "close");
        exec(QStringLiteral("create trigger refus ") + QString::fromLatin1(c.trigger) +
             QStringLiteral(" begin select raise(abort, 'refusé par le test'); end"));
        form->majListes();
        prompts->clear();
        const QStringList before = tableRows();
        c.run();
        EXPECT_EQ(tableRows(), before);
        int warnings = 0;
        for (const auto& p : prompts->prompts())
            warnings += p.icon == Icon::Exclamation && p.text.contains(QStringLiteral("refusé par le test"));
        EXPECT_EQ(warnings, 1);
        EXPECT_EQ(state().modeOutil, outil::kAucun);
        EXPECT_EQ(canvas->pointer(), pointeur::kDefaut);
        EXPECT_FALSE(canvas->bandVisible());
        // The window goes on working.
        exec(QStringLiteral("drop trigger refus"));
        prompts->clear();
        button("cmdUnselect");
        EXPECT_TRUE(prompts->prompts().empty());
        EXPECT_EQ(sql(QStringLiteral("select count(*) from Points where Selected <> 0")), QStringLiteral("0"));
    }
}

}  // namespace
}  // namespace sotrix
