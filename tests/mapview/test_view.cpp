// The view: extents of the global and selection views, span, centre, the canvas scale,
// symbol size and line width, and the redraw's guards.
#include "test_fixture.h"

#include "Database.h"
#include "MapCanvas.h"
#include "ReferenceRenderer.h"
#include "State.h"
#include "viewmath.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

namespace sotrix {
namespace {

using test::MapviewTest;

// How long a start-up may take to draw its map, however slow the build.
constexpr int kFirstDrawBoundMs = 30000;

TEST(ViewMath, LineWidthIsHalfASymbolInPixelsTimesTheFactorRoundedHalfToEven) {
    EXPECT_EQ(drawWidthFor(300, 1.0), 1);
    EXPECT_EQ(drawWidthFor(300, 1.2), 2);
    EXPECT_EQ(drawWidthFor(625, 1.0), 2);
    EXPECT_EQ(drawWidthFor(875, 1.0), 4);
    EXPECT_EQ(drawWidthFor(8100, 1.0), 1) << "above 32 falls back to 1";
    EXPECT_EQ(drawWidthFor(200, 0.8), 1);
    EXPECT_EQ(drawWidthFor(0, 1.0), 1);
}


TEST(ViewMath, GlobalViewCoversPointsAndTheLayerWhileItIsSet) {
    ViewState v;
    ReferenceLayer ref;
    vueGlobale(v, std::nullopt, ref);
    EXPECT_EQ(v.vueMinX, -1);
    EXPECT_EQ(v.vueMaxX, 1);
    EXPECT_EQ(v.vueMinY, -1);
    EXPECT_EQ(v.vueMaxY, 1);
    EXPECT_NEAR(v.tailleVue, 2.1, 1e-12);
    EXPECT_EQ(v.centreX, 0);
    EXPECT_EQ(v.centreY, 0);

    ref.refMinX = 0, ref.refMaxX = 100, ref.refMinY = 0, ref.refMaxY = 50;
    vueGlobale(v, std::nullopt, ref);
    EXPECT_NEAR(v.tailleVue, 2.1, 1e-12) << "a layer extent without a layer path plays no part";
    ref.coucheRef = QStringLiteral("/data/fond.shp");
    vueGlobale(v, std::nullopt, ref);
    EXPECT_NEAR(v.tailleVue, 105, 1e-9);
    EXPECT_NEAR(v.centreX, 50, 1e-12);
    EXPECT_NEAR(v.centreY, 25, 1e-12);

    vueGlobale(v, Extent{-20, 10, 30, 300}, ref);
    EXPECT_EQ(v.vueMinX, -20);
    EXPECT_EQ(v.vueMaxX, 100);
    EXPECT_EQ(v.vueMinY, 0);
    EXPECT_EQ(v.vueMaxY, 300);
    EXPECT_NEAR(v.tailleVue, 315, 1e-9);
}


TEST_F(MapviewTest, GlobalViewOfOnePointAndOfTwoPointsWithEqualX) {
    insertWaypoint(QStringLiteral("a"), 1000, 2000);
    form->zoomGlobal();
    EXPECT_NEAR(form->centreX, 1000, 1e-9);
    EXPECT_NEAR(form->centreY, 2000, 1e-9);
    EXPECT_NEAR(form->tailleVue, 2.1, 1e-9);

    addTrack(QStringLiteral("t"), {{1000, 2400}});
    form->zoomGlobal();
    EXPECT_EQ(form->vueMinX, 1000) << "no margin when only X is equal";
    EXPECT_EQ(form->vueMaxX, 1000);
    EXPECT_NEAR(form->tailleVue, 1.05 * 400, 1e-9);
    EXPECT_NEAR(form->centreY, 2200, 1e-9);
}


TEST_F(MapviewTest, SelectionViewLeavesEverythingAloneWhenNothingIsSelected) {
    insertWaypoint(QStringLiteral("a"), 0, 0);
    form->vueMinX = 1, form->vueMaxX = 2, form->vueMinY = 3, form->vueMaxY = 4;
    form->tailleVue = 5, form->centreX = 6, form->centreY = 7, form->rapportAspect = 8, form->tailleSymbole = 9;
    form->zoomSelect();
    EXPECT_EQ(form->vueMinX, 1);
    EXPECT_EQ(form->vueMaxX, 2);
    EXPECT_EQ(form->vueMinY, 3);
    EXPECT_EQ(form->vueMaxY, 4);
    EXPECT_EQ(form->tailleVue, 5);
    EXPECT_EQ(form->centreX, 6);
    EXPECT_EQ(form->centreY, 7);
    EXPECT_EQ(form->rapportAspect, 8);
    EXPECT_EQ(form->tailleSymbole, 9);
}

TEST_F(MapviewTest, SelectionViewOfOneWaypointTakesItsMarginFromAllData) {
    insertWaypoint(QStringLiteral("ouest"), 0, 0);
    insertWaypoint(QStringLiteral("est"), 10000, 3000);
    insertWaypoint(QStringLiteral("choisi"), 4000, 1000, true);
    ReferenceLayer ref;
    ref.coucheRef = QStringLiteral("fond.shp");
    ref.refMinX = -1e6, ref.refMaxX = 1e6, ref.refMinY = -1e6, ref.refMaxY = 1e6;
    form->setReferenceLayer(ref);
    form->zoomSelect();
    EXPECT_NEAR(form->tailleVue, 105, 1e-9);
    EXPECT_NEAR(form->centreX, 4000, 1e-9);
    EXPECT_NEAR(form->centreY, 1000, 1e-9);
    EXPECT_EQ(form->vueMinX, 3950);
    EXPECT_EQ(form->vueMaxY, 1050);

    // A selected track counts through its points.
    addTrack(QStringLiteral("t"), {{100, 100}, {300, 200}}, false, true);
    form->zoomSelect();
    EXPECT_EQ(form->vueMinX, 100);
    EXPECT_EQ(form->vueMaxX, 4000);
    EXPECT_NEAR(form->tailleVue, 3900 * 1.05, 1e-9);
}

TEST_F(MapviewTest, RedrawBuildsAViewAndScalesTheCanvasToIt) {
    insertWaypoint(QStringLiteral("a"), 0, 0);
    insertWaypoint(QStringLiteral("b"), 200, 100);
    QSignalSpy redrawn(form.get(), &frmAccueil::redrawn);
    form->redraw();
    EXPECT_EQ(redrawn.count(), 1);
    EXPECT_NEAR(form->tailleVue, 210, 1e-9);
    EXPECT_NEAR(canvas->scaleHeight(), -210, 1e-9);
    EXPECT_NEAR(canvas->scaleWidth(), 280, 1e-9);
    EXPECT_NEAR(canvas->scaleLeft(), 100 - 140, 1e-9);
    EXPECT_NEAR(canvas->scaleTop(), 50 + 105, 1e-9);
    EXPECT_NEAR(form->tailleSymbole, 210.0 / 125, 1e-12);
    EXPECT_EQ(canvas->drawWidth(), 1);
}

TEST_F(MapviewTest, WithEveryLayerBoxClearedTheMapIsWhiteWithItsScaleSet) {
    insertWaypoint(QStringLiteral("a"), 0, 0);
    addTrack(QStringLiteral("t"), {{-10, 0}, {10, 0}});
    for (const char* name : {"chkRef", "chkTrace", "chkWaypoint"}) box(name)->setChecked(false);
    viewAt(0, 0, 100);
    EXPECT_TRUE(allWhite());
    EXPECT_NEAR(canvas->scaleHeight(), -100, 1e-9);
}

TEST_F(MapviewTest, AZeroHeightCanvasDrawsNothingAndTheNextResizeRedraws) {
    insertWaypoint(QStringLiteral("a"), 5, 5);
    canvas->setFixedSize(400, 0);
    QApplication::processEvents();
    QSignalSpy redrawn(form.get(), &frmAccueil::redrawn);
    EXPECT_NO_THROW(form->redraw());
    EXPECT_EQ(redrawn.count(), 0);
    EXPECT_GT(form->tailleVue, 0) << "the view is built all the same";
    EXPECT_TRUE(canvas->image().isNull());

    canvas->setFixedSize(400, 300);
    ASSERT_TRUE(redrawn.wait(2000));
    EXPECT_EQ(pixelAt(5, 5), test::kBlue);
    EXPECT_TRUE(prompts->prompts().empty());
}

TEST_F(MapviewTest, AResizeRedrawsOnceWhateverRedrawCameBeforeItSettled) {
    insertWaypoint(QStringLiteral("a"), 5, 5);
    form->redraw();
    const struct {
        const char* what;
        bool redrawBeforeSettling;
        int redraws;
    } cases[] = {
        {"a resize alone", false, 1},
        {"a resize, then a redraw at the new size before it settles", true, 1},
    };
    int height = 300;
    for (const auto& c : cases) {
        QSignalSpy redrawn(form.get(), &frmAccueil::redrawn);
        canvas->setFixedSize(400, height += 20);
        QApplication::processEvents();
        if (c.redrawBeforeSettling) form->redraw();
        QTest::qWait(300);
        EXPECT_EQ(redrawn.count(), c.redraws) << c.what;
        EXPECT_EQ(pixelAt(5, 5), test::kBlue) << c.what;
    }
}

TEST_F(MapviewTest, AResizeBeforeAnyViewBuildsNone) {
    insertWaypoint(QStringLiteral("a"), 5, 5);
    QSignalSpy redrawn(form.get(), &frmAccueil::redrawn);
    canvas->setFixedSize(300, 200);
    QTest::qWait(300);
    EXPECT_EQ(redrawn.count(), 0);
    EXPECT_EQ(form->tailleVue, 0);
}

// Asks for a redraw from inside the rendering, as a timer could while it is awaited.
class ReentrantRenderer : public ReferenceRenderer {
public:
    explicit ReentrantRenderer(frmAccueil& form) : form_(form) {}
    void render(double, double, double, double, QSize, const QString& imagePath) override {
        ++calls;
        EXPECT_FALSE(inside) << "renderer entered twice";
        inside = true;
        if (calls == 1) form_.redraw();
        QImage img(4, 4, QImage::Format_RGB32);
        img.fill(Qt::green);
        img.save(imagePath, "PNG");
        inside = false;
    }
    int calls = 0;
    bool inside = false;

private:
    frmAccueil& form_;
};

TEST_F(MapviewTest, ARedrawAskedForDuringARedrawRunsAfterIt) {
    auto renderer = std::make_shared<ReentrantRenderer>(*form);
    form->setReferenceRenderer(renderer);
    ReferenceLayer ref;
    ref.coucheRef = QStringLiteral("fond.shp");
    ref.refMaxX = 10, ref.refMaxY = 10;
    form->setReferenceLayer(ref);
    QSignalSpy redrawn(form.get(), &frmAccueil::redrawn);
    form->redraw();
    EXPECT_EQ(renderer->calls, 2);
    EXPECT_EQ(redrawn.count(), 2);
    EXPECT_EQ(pixelAt(5, 5), QColor(Qt::green));
}

TEST_F(MapviewTest, StartUpListsAndDrawsRowsLeftByAnAbnormalEnd) {
    insertWaypoint(QStringLiteral("reste"), 10, 10, true);
    addTrack(QStringLiteral("vieille"), {{0, 0}, {20, 0}});
    form = std::make_unique<frmAccueil>();
    canvas = form->picture1();
    canvas->setFixedSize(400, 300);
    ASSERT_TRUE(form->Form_Load());
    EXPECT_GT(form->tailleVue, 0);
    QSignalSpy redrawn(form.get(), &frmAccueil::redrawn);
    form->show();
    ASSERT_TRUE(redrawn.wait(kFirstDrawBoundMs)) << "the map is drawn once the window shows";
    EXPECT_EQ(list("lstWaypoint")->count(), 1);
    EXPECT_EQ(list("lstTrace")->count(), 1);
    EXPECT_EQ(label("lblWaypoints")->text(), QStringLiteral("Waypoints (1/1) :"));
    EXPECT_EQ(pixelAt(10, 10), test::kRed);
    EXPECT_TRUE(near(5, 0, test::kBlue));
}

TEST_F(MapviewTest, StartUpDrawsTheMapOnceAfterTheWindowShows) {
    insertWaypoint(QStringLiteral("reste"), 10, 10);
    form = std::make_unique<frmAccueil>();
    canvas = form->picture1();
    canvas->setFixedSize(400, 300);
    QSignalSpy redrawn(form.get(), &frmAccueil::redrawn);
    ASSERT_TRUE(form->Form_Load());
    EXPECT_EQ(redrawn.count(), 0) << "nothing is drawn before the window shows";
    form->show();
    ASSERT_TRUE(redrawn.wait(kFirstDrawBoundMs)) << "the map is drawn once the window shows";
    EXPECT_FALSE(redrawn.wait(300)) << "and only once";
    EXPECT_EQ(redrawn.count(), 1);
    EXPECT_EQ(pixelAt(10, 10), test::kBlue);
}

TEST_F(MapviewTest, StartUpOfAnEmptyWorkspaceBuildsNoView) {
    form = std::make_unique<frmAccueil>();
    ASSERT_TRUE(form->Form_Load());
    EXPECT_EQ(form->tailleVue, 0);
}

}  // namespace
}  // namespace sotrix
