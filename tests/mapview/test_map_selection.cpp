// Selection on the map: waypoints by box or by the nearest within the tolerance, a track
// by its nearest point, and the add-or-replace question.
#include "map_input.h"
#include "test_fixture.h"

#include "MapTools.h"
#include "State.h"

#include <QSignalSpy>

namespace sotrix {
namespace {

using Ids = std::vector<qint64>;

class MapSelection : public test::MapviewTest {
protected:
    void TearDown() override {
        expectTrackInvariant();
        MapviewTest::TearDown();
    }
    Ids keys(const char* sql) {
        Ids ids;
        DbGuard db;
        for (Cursor c = db->query(QString::fromLatin1(sql)); c.next();) ids.push_back(c.value(0).toLongLong());
        return ids;
    }
    Ids waypointsSel() { return keys("select Id_point from Points where Trace = 0 and Selected <> 0 order by 1"); }
    Ids tracesSel() { return keys("select Id_trace from Trace where Selected <> 0 order by 1"); }
    void setSelection(const QString& points, const QString& traces) {
        DbGuard db;
        db->exec(QStringLiteral("update Points set Selected = ") + points);
        db->exec(QStringLiteral("update Trace set Selected = ") + traces);
    }
    void box(double x1, double y1, double x2, double y2) {
        form->majListes();
        form->boiteX = {x1, x2};
        form->boiteY = {y1, y2};
        form->selectWaypoint();
    }
};

TEST_F(MapSelection, ABoxSelectsItsWaypointsEdgesIncluded) {
    const qint64 w1 = insertWaypoint(QStringLiteral("w1"), 100, 100);
    const qint64 w2 = insertWaypoint(QStringLiteral("w2"), 200, 120);
    const qint64 w3 = insertWaypoint(QStringLiteral("w3"), 1234567.8, 150);
    const qint64 w4 = insertWaypoint(QStringLiteral("w4"), 5000000, 1000);
    const qint64 t = addTrack(QStringLiteral("t"), {{150, 110}, {250, 140}});
    const struct {
        const char* name;
        QString points, traces;
        std::optional<Answer> answer;
        Ids waypoints, tracks;
    } cases[] = {
        {"nothing selected before", "0", "0", std::nullopt, {w1, w2, w3}, {}},
        {"added on Yes", QStringLiteral("Id_point = %1 or Trace > 0").arg(w4), "1", Answer::Yes, {w1, w2, w3, w4}, {t}},
        {"replaced on No", QStringLiteral("Id_point = %1 or Trace > 0").arg(w4), "1", Answer::No, {w1, w2, w3}, {}},
        {"track points selected without their track still ask", "Trace > 0", "0", Answer::No, {w1, w2, w3}, {}},
    };
    viewAt(0, 0, 1000);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        setSelection(c.points, c.traces);
        prompts->clear();
        if (c.answer) prompts->answer(*c.answer);
        const double extent = form->vueMaxX;
        box(1234567.8, 150, 100, 100);
        ASSERT_EQ(prompts->prompts().size(), c.answer ? 1u : 0u);
        if (c.answer) {
            EXPECT_EQ(prompts->prompts()[0].text,
                      QStringLiteral("Voulez-vous ajouter la nouvelle sélection à la sélection en cours (OUI) ou créer "
                                     "une nouvelle sélection (NON) ?"));
        }
        EXPECT_EQ(waypointsSel(), c.waypoints);
        EXPECT_EQ(tracesSel(), c.tracks);
        EXPECT_EQ(state().nbWaypointsSel, qint64(c.waypoints.size())) << "lists rebuilt";
        EXPECT_EQ(canvas->pointer(), pointeur::kFleche);
        EXPECT_EQ(form->vueMaxX, extent) << "the box is not stored as the view's extent";
    }
    // Track points only: nothing, and no question.
    setSelection("0", "0");
    prompts->clear();
    box(145, 105, 155, 115);
    EXPECT_TRUE(waypointsSel().empty());
    EXPECT_TRUE(tracesSel().empty());
}

TEST_F(MapSelection, APressSelectsTheNearestWaypointWithinTheTolerance) {
    const qint64 origin = insertWaypoint(QStringLiteral("o"), 0, 0);
    const qint64 right = insertWaypoint(QStringLiteral("r"), 60, 0);
    const qint64 twin = insertWaypoint(QStringLiteral("a"), 5000, 40);
    insertWaypoint(QStringLiteral("b"), 5000, -40);
    addTrack(QStringLiteral("t"), {{-3000, -3000}, {-3000, 3000}});
    const struct {
        const char* name;
        double tailleVue, x, y;
        Ids expected;
    } cases[] = {
        {"exactly at 50", 1000, 30, -40, {origin}},       {"just beyond 50", 1000, 30, -40.001, {}},
        {"the nearer of two", 1000, 35, 0, {right}},      {"exactly at 200", 20000, -120, 160, {origin}},
        {"just beyond 200", 20000, -120, 160.001, {}},    {"a tie goes to the lower key", 1000, 5000, 0, {twin}},
        {"a track point is no waypoint", 1000, -3000, 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        setSelection("0", "0");
        viewAt(0, 0, c.tailleVue);
        QSignalSpy redrawn(form.get(), &frmAccueil::redrawn);
        box(c.x, c.y, c.x, c.y);
        EXPECT_EQ(waypointsSel(), c.expected);
        EXPECT_EQ(redrawn.count(), 1) << "redrawn whether or not anything was found";
    }
    EXPECT_TRUE(prompts->prompts().empty());
    // Over an earlier selection (the counters) the question comes.
    setSelection(QStringLiteral("Id_point = %1").arg(origin), "0");
    prompts->answer(Answer::No);
    box(60, 0, 60, 0);
    EXPECT_EQ(prompts->prompts().size(), 1u);
    EXPECT_EQ(waypointsSel(), Ids{right});
}

TEST_F(MapSelection, APressSelectsTheTrackOfTheNearestTrackPointWhole) {
    const qint64 w = insertWaypoint(QStringLiteral("w"), 0, 0, true);
    const qint64 near = addTrack(QStringLiteral("proche"), {{10, 0}, {10, 1000}, {500, 1000}});
    const qint64 far = addTrack(QStringLiteral("loin"), {{-40, 0}, {-40, -1000}});
    form->majListes();
    viewAt(0, 0, 1000);
    state().modeOutil = outil::kSelectTrace;
    prompts->answer(Answer::Yes);
    QTest::mouseClick(canvas, Qt::LeftButton, {}, test::pixelOf(canvas, 0, 0));
    EXPECT_EQ(tracesSel(), Ids{near});
    EXPECT_EQ(waypointsSel(), Ids{w});
    EXPECT_EQ(state().modeOutil, outil::kAucun);
    EXPECT_EQ(canvas->pointer(), pointeur::kDefaut);

    // Mid-segment, far from every point: nothing and no question; then No replaces.
    const QStringList before = selection();
    form->xClic = 300, form->yClic = 940;
    form->selectTrace();
    EXPECT_EQ(selection(), before);
    prompts->answer(Answer::No);
    form->xClic = -40, form->yClic = -20;
    form->selectTrace();
    EXPECT_EQ(tracesSel(), Ids{far});
    EXPECT_TRUE(waypointsSel().empty());
    EXPECT_EQ(prompts->prompts().size(), 2u);
}

TEST_F(MapSelection, WithNothingOfItsKindNothingIsReadOrRedrawn) {
    QSignalSpy redrawn(form.get(), &frmAccueil::redrawn);
    box(0, 0, 10, 10);
    form->selectTrace();
    EXPECT_EQ(redrawn.count(), 0);
}

}  // namespace
}  // namespace sotrix
