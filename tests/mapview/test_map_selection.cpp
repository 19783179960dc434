// Selection on the map: waypoints by box or by the nearest within the tolerance, a track
// by its nearest point, the add-or-replace question, and what is left alone.
#include "map_input.h"
#include "test_fixture.h"

#include "MapTools.h"
#include "State.h"

#include <QSignalSpy>

namespace sotrix {
namespace {

using test::MapviewTest;
using test::PromptKind;

const QString kQuestion = QStringLiteral(
    "Voulez-vous ajouter la nouvelle sélection à la sélection en cours (OUI) ou créer une nouvelle sélection (NON) ?");

class MapSelection : public MapviewTest {
protected:
    void TearDown() override {
        expectTrackInvariant();
        MapviewTest::TearDown();
    }
    // Keys of the selected waypoints and of the selected tracks.
    std::vector<qint64> selected(const char* sql) {
        std::vector<qint64> ids;
        DbGuard db;
        Cursor c = db->query(QString::fromLatin1(sql));
        while (c.next()) ids.push_back(c.value(0).toLongLong());
        return ids;
    }
    std::vector<qint64> waypointsSel() {
        return selected("select Id_point from Points where Trace = 0 and Selected <> 0 order by Id_point");
    }
    std::vector<qint64> tracesSel() { return selected("select Id_trace from Trace where Selected <> 0 order by Id_trace"); }
    void box(double x1, double y1, double x2, double y2) {
        form->boiteX = {x1, x2};
        form->boiteY = {y1, y2};
        form->selectWaypoint();
    }
    void press(double x, double y) {
        form->boiteX = {x, x};
        form->boiteY = {y, y};
        form->selectWaypoint();
    }
};

TEST_F(MapSelection, ABoxSelectsItsWaypointsAndAsksOnlyOverAnEarlierSelection) {
    // w1..w3 in the box (w1 and w3 on its edges), w4 outside, a track inside.
    const qint64 w1 = insertWaypoint(QStringLiteral("w1"), 100, 100);
    const qint64 w2 = insertWaypoint(QStringLiteral("w2"), 200, 120);
    const qint64 w3 = insertWaypoint(QStringLiteral("w3"), 300, 150);
    const qint64 w4 = insertWaypoint(QStringLiteral("w4"), 1000, 1000);
    const qint64 t = addTrack(QStringLiteral("t"), {{150, 110}, {250, 140}});
    const struct {
        const char* name;
        bool w4Before, trackBefore;
        std::optional<Answer> answer;
        std::vector<qint64> waypoints, traces;
    } cases[] = {
        {"nothing selected before", false, false, std::nullopt, {w1, w2, w3}, {}},
        {"added on Yes", true, true, Answer::Yes, {w1, w2, w3, w4}, {t}},
        {"replaced on No", true, true, Answer::No, {w1, w2, w3}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        {
            DbGuard db;
            db->exec(QStringLiteral("update Points set Selected = (Id_point = ?) and ?"), {w4, c.w4Before ? 1 : 0});
            db->exec(QStringLiteral("update Points set Selected = ? where Trace > 0"), {c.trackBefore ? 1 : 0});
            db->exec(QStringLiteral("update Trace set Selected = ?"), {c.trackBefore ? 1 : 0});
        }
        form->majListes();
        viewAt(500, 500, 3000);
        prompts->clear();
        if (c.answer) prompts->answer(*c.answer);
        box(300, 150, 100, 100);
        ASSERT_EQ(prompts->prompts().size(), c.answer ? 1u : 0u);
        if (c.answer) {
            EXPECT_EQ(prompts->prompts()[0].text, kQuestion);
            EXPECT_EQ(prompts->prompts()[0].icon, Icon::Question);
            EXPECT_EQ(prompts->prompts()[0].defaultButton, Answer::Yes);
        }
        EXPECT_EQ(waypointsSel(), c.waypoints);
        EXPECT_EQ(tracesSel(), c.traces);
        EXPECT_EQ(state().nbWaypointsSel, qint64(c.waypoints.size())) << "lists rebuilt";
        EXPECT_EQ(canvas->pointer(), pointeur::kFleche);
        EXPECT_EQ(form->vueMinX, 0) << "the box is not the view's extent";
    }

    // A box over a track point only selects nothing and asks nothing.
    prompts->clear();
    box(145, 105, 155, 115);
    EXPECT_TRUE(prompts->prompts().empty());
    EXPECT_EQ(waypointsSel(), (std::vector<qint64>{w1, w2, w3}));
    {
        DbGuard db;
        db->exec(QStringLiteral("update Points set Selected = 0"));
    }
    form->majListes();
    box(145, 105, 155, 115);
    EXPECT_TRUE(waypointsSel().empty());
    EXPECT_TRUE(tracesSel().empty());
}

TEST_F(MapSelection, APressSelectsTheNearestWaypointWithinTheTolerance) {
    const qint64 origin = insertWaypoint(QStringLiteral("o"), 0, 0);
    const qint64 right = insertWaypoint(QStringLiteral("r"), 60, 0);
    const qint64 twinA = insertWaypoint(QStringLiteral("a"), 5000, 40);
    insertWaypoint(QStringLiteral("b"), 5000, -40);
    addTrack(QStringLiteral("t"), {{-3000, -3000}, {-3000, 3000}});
    const struct {
        const char* name;
        double tailleVue, x, y;
        std::optional<qint64> expected;
    } cases[] = {
        {"exactly at 50", 1000, 30, -40, origin},
        {"just beyond 50", 1000, 30, -40.001, std::nullopt},
        {"nearer of two", 1000, 35, 0, right},
        {"exactly at 200", 20000, -120, 160, origin},
        {"just beyond 200", 20000, -120, 160.001, std::nullopt},
        {"a tie goes to the lower key", 1000, 5000, 0, twinA},
        {"a track point is no waypoint", 1000, -3000, 0, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        {
            DbGuard db;
            db->exec(QStringLiteral("update Points set Selected = 0"));
        }
        form->majListes();
        viewAt(0, 0, c.tailleVue);
        QSignalSpy redrawn(form.get(), &frmAccueil::redrawn);
        press(c.x, c.y);
        EXPECT_EQ(waypointsSel(), c.expected ? std::vector<qint64>{*c.expected} : std::vector<qint64>{});
        EXPECT_EQ(form->xClic, c.x);
        EXPECT_EQ(form->yClic, c.y);
        EXPECT_EQ(redrawn.count(), 1) << "redrawn whether or not anything was found";
        EXPECT_TRUE(prompts->prompts().empty());
    }

    // Over an earlier selection the question comes; No keeps only the new one.
    form->tailleVue = 1000;
    press(60, 0);
    prompts->answer(Answer::No);
    press(0, 10);
    EXPECT_EQ(prompts->prompts().size(), 1u);
    EXPECT_EQ(waypointsSel(), std::vector<qint64>{origin});

    // A box edge on a large coordinate is still inside.
    const qint64 far = insertWaypoint(QStringLiteral("loin"), 1234567.8, 20);
    form->majListes();
    prompts->answer(Answer::No);
    box(1234500, 0, 1234567.8, 30);
    EXPECT_EQ(waypointsSel(), std::vector<qint64>{far});
}

TEST_F(MapSelection, APressSelectsTheTrackOfTheNearestTrackPointWhole) {
    const qint64 w = insertWaypoint(QStringLiteral("w"), 0, 0, true);
    const qint64 near = addTrack(QStringLiteral("proche"), {{10, 0}, {10, 1000}, {500, 1000}});
    const qint64 far = addTrack(QStringLiteral("loin"), {{-40, 0}, {-40, -1000}});
    form->majListes();
    viewAt(0, 0, 1000);
    form->xClic = 0, form->yClic = 0;
    prompts->answer(Answer::Yes);
    form->selectTrace();
    EXPECT_EQ(prompts->prompts().size(), 1u) << "a waypoint was selected";
    EXPECT_EQ(tracesSel(), std::vector<qint64>{near});
    EXPECT_EQ(waypointsSel(), std::vector<qint64>{w});
    {
        DbGuard db;
        EXPECT_EQ(db->scalar(QStringLiteral("select count(*) from Points where Trace = ? and Selected <> 0"), {near})
                      .toLongLong(),
                  3);
    }

    // In the middle of a long segment, far from its points: nothing, and no question.
    prompts->clear();
    const QStringList before = selection();
    form->xClic = 300, form->yClic = 1000 - 60;
    QSignalSpy redrawn(form.get(), &frmAccueil::redrawn);
    form->selectTrace();
    EXPECT_EQ(selection(), before);
    EXPECT_TRUE(prompts->prompts().empty());
    EXPECT_EQ(redrawn.count(), 1);

    // Through the tool: a press near the other track, No replaces the selection.
    prompts->answer(Answer::No);
    state().modeOutil = outil::kSelectTrace;
    QTest::mouseClick(canvas, Qt::LeftButton, {}, test::pixelOf(canvas, -40, -20));
    EXPECT_EQ(tracesSel(), std::vector<qint64>{far});
    EXPECT_TRUE(waypointsSel().empty());
    EXPECT_EQ(state().modeOutil, outil::kAucun);
    EXPECT_EQ(canvas->pointer(), pointeur::kDefaut);
}

TEST_F(MapSelection, WithNothingOfItsKindTheToolTouchesNothing) {
    watchWrites();
    QSignalSpy redrawn(form.get(), &frmAccueil::redrawn);
    press(0, 0);
    box(0, 0, 10, 10);
    form->selectTrace();
    EXPECT_EQ(redrawn.count(), 0);
    EXPECT_TRUE(prompts->prompts().empty());
}

}  // namespace
}  // namespace sotrix
