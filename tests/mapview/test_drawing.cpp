// Waypoints and tracks on the map: colours, layering, rings, and what draws nothing.
// The view is 400 x 300 pixels, centred on (0, 0), 100 units high: 3 pixels per unit.
#include "test_fixture.h"

#include "Database.h"
#include "MapCanvas.h"
#include "RoundPenLine.h"
#include "State.h"

#include <QCheckBox>
#include <QPainter>
#include <QRandomGenerator>

#include <cmath>
#include <cstring>

namespace sotrix {
namespace {

using test::kBlue;
using test::kRed;
using test::kWhite;
using test::MapviewTest;

TEST_F(MapviewTest, WaypointsAreFilledDiscsWithTheSelectionOnTop) {
    insertWaypoint(QStringLiteral("libre"), 0, 0);
    insertWaypoint(QStringLiteral("choisi"), 20, 0, true);
    insertWaypoint(QStringLiteral("dessous"), -20, 0);
    insertWaypoint(QStringLiteral("dessus"), -20, 0, true);
    viewAt(0, 0, 100);
    EXPECT_EQ(pixelAt(0, 0), kBlue);
    EXPECT_EQ(canvas->image().pixelColor(200, 150), kBlue);
    EXPECT_EQ(pixelAt(20, 0), kRed);
    EXPECT_EQ(pixelAt(-20, 0), kRed) << "selected over unselected";
    // Radius tailleVue / 125 = 0.8 unit = 2.4 pixels.
    EXPECT_EQ(canvas->image().pixelColor(202, 150), kBlue);
    EXPECT_EQ(canvas->image().pixelColor(204, 150), kWhite);
    EXPECT_EQ(canvas->image().pixelColor(200, 155), kWhite);
}

TEST_F(MapviewTest, AnyNonZeroSelectedDrawsInTheSelectionColour) {
    const qint64 w = insertWaypoint(QStringLiteral("vrai"), 0, 10);
    const qint64 t = addTrack(QStringLiteral("t"), {{-20, -10}, {20, -10}});
    {
        DbGuard db;
        db->exec(QStringLiteral("update Points set Selected = -1 where Id_point = ? or Trace = ?"), {w, t});
        db->exec(QStringLiteral("update Trace set Selected = -1 where Id_trace = ?"), {t});
    }
    viewAt(0, 0, 100);
    EXPECT_EQ(pixelAt(0, 10), kRed);
    EXPECT_TRUE(near(0, -10, kRed));
}

TEST_F(MapviewTest, SymbolsFollowTheSizeFactorAndColoursFollowTheSettings) {
    state().facteurTaille = 1.2;
    state().paramCouleur = 0x00FF00;  // green
    insertWaypoint(QStringLiteral("a"), 0, 0);
    viewAt(0, 0, 100);
    EXPECT_NEAR(form->tailleSymbole, 0.96, 1e-12);
    EXPECT_EQ(canvas->drawWidth(), 2);
    EXPECT_EQ(pixelAt(0, 0), QColor(0, 255, 0));
    EXPECT_EQ(canvas->image().pixelColor(197, 150), QColor(0, 255, 0)) << "2.88 pixels";
}

TEST_F(MapviewTest, AClosedTriangleIsARingAndAnOpenOneIsTwoLines) {
    const std::vector<QPointF> triangle{{-20, -10}, {20, -10}, {0, 20}};
    addTrack(QStringLiteral("ferme"), triangle, true);
    viewAt(0, 0, 100);
    EXPECT_TRUE(near(0, -10, kBlue));
    EXPECT_TRUE(near(10, 5, kBlue));
    EXPECT_TRUE(near(-10, 5, kBlue)) << "closing edge";
    EXPECT_EQ(pixelAt(0, 0), kWhite) << "a ring, not a filled polygon";
}

TEST_F(MapviewTest, AnOpenTrackLeavesItsClosingEdgeWhite) {
    addTrack(QStringLiteral("ouverte"), {{-20, -10}, {20, -10}, {0, 20}}, false, true);
    viewAt(0, 0, 100);
    EXPECT_TRUE(near(0, -10, kRed));
    EXPECT_TRUE(near(10, 5, kRed));
    EXPECT_FALSE(near(-10, 5, kRed));
    EXPECT_FALSE(near(-10, 5, kBlue));
}

TEST_F(MapviewTest, TracksOfOneOrNoPointDrawNothingClosedOrNot) {
    addTrack(QStringLiteral("un"), {{0, 0}});
    addTrack(QStringLiteral("un fermé"), {{10, 10}}, true);
    addTrack(QStringLiteral("vide"), {});
    addTrack(QStringLiteral("vide fermée"), {}, true, true);
    viewAt(0, 0, 100);
    EXPECT_TRUE(allWhite());
}

TEST_F(MapviewTest, TrackPointsGetNoDiscsAndWaypointsNoLines) {
    addTrack(QStringLiteral("t"), {{-10, 0}, {10, 0}});
    insertWaypoint(QStringLiteral("a"), -10, 10);
    insertWaypoint(QStringLiteral("b"), 10, 10);
    viewAt(0, 0, 100);
    const QPointF end = canvas->toPixel(10, 0);
    EXPECT_EQ(canvas->image().pixelColor(int(end.x()) + 2, int(end.y())), kWhite);
    EXPECT_EQ(canvas->image().pixelColor(int(end.x()), int(end.y()) - 2), kWhite);
    EXPECT_EQ(pixelAt(0, 10), kWhite);
}

TEST_F(MapviewTest, ASelectedTrackLiesOverAnUnselectedOneItCrosses) {
    addTrack(QStringLiteral("dessus"), {{0, -20}, {0, 20}}, false, true);
    addTrack(QStringLiteral("dessous"), {{-20, 0}, {20, 0}});
    viewAt(0, 0, 100);
    EXPECT_EQ(pixelAt(0, 0), kRed);
    EXPECT_TRUE(near(10, 0, kBlue));
}

TEST_F(MapviewTest, PointsAreJoinedInTheirTrackOrderNotTheirStorageOrder) {
    // Stored 1, 3, 2: the path goes (0,0) -> (10,10) -> (20,0).
    const qint64 id = addTrack(QStringLiteral("zigzag"), {{0, 0}, {20, 0}, {10, 10}});
    {
        DbGuard db;
        db->exec(QStringLiteral("update Points set Num_trace = 5 - Num_trace where Trace = ? and Num_trace > 1"), {id});
    }
    viewAt(0, 0, 100);
    EXPECT_TRUE(near(5, 5, kBlue));
    EXPECT_TRUE(near(15, 5, kBlue));
    EXPECT_FALSE(near(10, 0, kBlue));
}

TEST_F(MapviewTest, LayerBoxesChooseWhatIsDrawn) {
    addTrack(QStringLiteral("t"), {{-20, 5}, {20, 5}});
    insertWaypoint(QStringLiteral("a"), 0, 0);
    box("chkWaypoint")->click();
    EXPECT_EQ(pixelAt(0, 0), kWhite);
    box("chkWaypoint")->click();
    box("chkTrace")->click();
    EXPECT_EQ(pixelAt(0, 0), kBlue) << "discs still filled without tracks";
    EXPECT_FALSE(near(10, 5, kBlue));
    box("chkTrace")->click();
    EXPECT_TRUE(near(10, 5, kBlue));
    EXPECT_TRUE(prompts->prompts().empty());
}

TEST_F(MapviewTest, APointAtMinus99999IsJoinedLikeAnyOther) {
    addTrack(QStringLiteral("loin"), {{-99999, 0}, {0, 0}, {10, 10}});
    viewAt(0, 0, 100);
    EXPECT_TRUE(near(-20, 0, kBlue));
    EXPECT_TRUE(near(5, 5, kBlue));
}

TEST_F(MapviewTest, APointWithoutCoordinatesIsSkippedAndItsNeighboursJoined) {
    const qint64 id = addTrack(QStringLiteral("trou"), {{-20, 0}, {0, 30}, {20, 0}});
    insertWaypoint(QStringLiteral("sans"), 0, -20);
    {
        DbGuard db;
        db->exec(QStringLiteral("update Points set Y = null where Trace = ? and Num_trace = 2"), {id});
        db->exec(QStringLiteral("update Points set X = null where Trace = 0"));
    }
    viewAt(0, 0, 100);
    EXPECT_TRUE(near(0, 0, kBlue));
    EXPECT_FALSE(near(-10, 15, kBlue));
    EXPECT_EQ(pixelAt(0, -20), kWhite) << "a waypoint without X is not drawn at 0";
    EXPECT_TRUE(prompts->prompts().empty());
}

TEST(RoundPenLine, PaintsThePixelsThePainterPaints) {
    // Lines of every length, their ends anywhere or on whole and half pixels, every way
    // round, on pictures at device pixel ratios of 1, 1.5 and 2.
    const struct {
        int width;
        double scale, longest;
        int snap;  // ends put on 1/snap of a pixel, 0 for anywhere
    } cases[] = {
        {2, 1, 0.05, 0}, {2, 1, 4, 0}, {2, 1, 4, 2}, {3, 1, 0.05, 0}, {3, 1, 4, 1}, {3, 1, 90, 2},
        {4, 1, 4, 0},    {5, 1, 4, 2}, {8, 1, 90, 0}, {32, 1, 4, 1},  {1, 2, 4, 0},  {3, 1.5, 4, 0},
    };
    QRandomGenerator rng(35);
    for (const auto& c : cases) {
        QImage exact(int(300 * c.scale), int(300 * c.scale), QImage::Format_RGB32), ours(exact.size(), exact.format());
        exact.setDevicePixelRatio(c.scale);
        RoundPenLine pen(c.width, c.scale, QPointF(0, 0));
        int differingRows = 0;
        for (int i = 0; i < 200; ++i) {
            auto at = [&](QPointF p) { return c.snap ? QPointF(std::round(p.x() * c.snap), std::round(p.y() * c.snap)) / c.snap : p; };
            const QPointF a = at(QPointF(100 + rng.bounded(100.0), 100 + rng.bounded(100.0)));
            const double angle = rng.bounded(2 * M_PI), length = rng.bounded(c.longest);
            const QPointF b = at(a + length * QPointF(std::cos(angle), std::sin(angle)));
            exact.fill(Qt::white);
            ours.fill(Qt::white);
            {
                QPainter painter(&exact);
                painter.setPen(QPen(Qt::blue, c.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
                if (a != b) painter.drawLine(a, b);
            }
            ASSERT_TRUE(pen.draw(ours, a, b, QColor(Qt::blue).rgb()));
            for (int y = 0; y < ours.height(); ++y)
                differingRows += std::memcmp(exact.constScanLine(y), ours.constScanLine(y), size_t(ours.bytesPerLine())) != 0;
        }
        EXPECT_EQ(differingRows, 0) << "width " << c.width << " at " << c.scale << ", up to " << c.longest;
    }
}

TEST(MapCanvasDiscs, CrowdsPaintThePixelsThePainterPaints) {
    // Discs of one colour whose centres fall in distinct pixels, crowded enough that most
    // land on ground their colour already covers, and scattered ones.
    const struct {
        int pen;
        double radius, spacing;
    } cases[] = {{1, 2.4, 1.3}, {2, 3.5, 1.1}, {3, 5.6, 1.7}, {3, 5.6, 9}, {5, 9.2, 2.3}, {12, 15, 4}};
    QRandomGenerator rng(7);
    for (const auto& c : cases) {
        MapCanvas canvas;
        canvas.setFixedSize(200, 150);
        canvas.setScale(0, 0, 200, 150);  // a unit a pixel, Y down
        canvas.setDrawWidth(c.pen);
        canvas.setFill(true, 0xFF0000);
        canvas.cls();
        std::vector<QPointF> centres;
        for (double y = 20; y < 130; y += c.spacing)
            for (double x = 20; x < 180; x += c.spacing)
                centres.emplace_back(x + rng.bounded(0.2), y + rng.bounded(0.2));
        MapCanvas::Painter(canvas).circles(centres, c.radius, 0xFF0000);
        QImage exact(canvas.image().size(), QImage::Format_RGB32);
        exact.fill(Qt::white);
        {
            QPainter painter(&exact);
            painter.setPen(QPen(Qt::blue, c.pen, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            painter.setBrush(Qt::blue);
            for (const QPointF& p : centres) painter.drawEllipse(p, c.radius, c.radius);
        }
        EXPECT_EQ(canvas.image(), exact) << "pen " << c.pen << ", radius " << c.radius << ", spacing " << c.spacing;
    }
}

}  // namespace
}  // namespace sotrix
