// The map tools: zoom box and click, pan, zoom out, tool codes and pointers, the distance
// line, digitising marks and the pictures of the tool buttons.
#include "map_input.h"
#include "test_fixture.h"

#include "MapTools.h"
#include "State.h"

#include <QLabel>
#include <QLocale>
#include <QToolBar>
#include <QToolButton>

namespace sotrix {
namespace {

using test::drag;
using test::pixelOf;

// 10 map units per pixel: pixel (200, 150) is (150000, 170000).
class Tools : public test::MapviewTest {
protected:
    void SetUp() override {
        MapviewTest::SetUp();
        viewAt(150000, 170000, 3000);
    }
    void TearDown() override {
        QLocale::setDefault(saved_);
        MapviewTest::TearDown();
    }
    void button(const char* name) { form->findChild<QToolButton*>(QString::fromLatin1(name))->click(); }
    void expectView(double minX, double maxX, double minY, double maxY, double cx, double cy, double taille) {
        const double got[] = {form->vueMinX, form->vueMaxX, form->vueMinY, form->vueMaxY,
                              form->centreX, form->centreY, form->tailleVue};
        const double want[] = {minX, maxX, minY, maxY, cx, cy, taille};
        for (int i = 0; i < 7; ++i) EXPECT_NEAR(got[i], want[i], 1e-6) << "field " << i;
        EXPECT_EQ(state().modeOutil, outil::kAucun);
        EXPECT_EQ(canvas->pointer(), pointeur::kDefaut);
        EXPECT_FALSE(canvas->bandVisible());
    }
    QLocale saved_;
};

TEST_F(Tools, ZoomBoxClickPanAndZoomOut) {
    const QPoint a(100, 250), b(250, 50);  // (149000, 169000) and (150500, 171000)
    for (const auto& [from, to] : {std::pair{a, b}, std::pair{b, a}, std::pair{QPoint(a.x(), b.y()), QPoint(b.x(), a.y())},
                                   std::pair{QPoint(b.x(), a.y()), QPoint(a.x(), b.y())}}) {
        SCOPED_TRACE(testing::Message() << "from " << from.x() << "," << from.y());
        viewAt(150000, 170000, 3000);
        button("cmdZoomIn");
        QTest::mousePress(canvas, Qt::LeftButton, {}, from);
        QTest::mouseMove(canvas, to);
        EXPECT_TRUE(canvas->bandVisible());
        QTest::mouseRelease(canvas, Qt::LeftButton, {}, to);
        expectView(149000, 150500, 169000, 171000, 149750, 170000, 2000);
    }

    // A pan 100 units east moves the view 100 west; a click gives the global view.
    viewAt(150000, 170000, 3000);
    button("cmdPan");
    EXPECT_EQ(canvas->pointer(), pointeur::kDeplacer);
    drag(canvas, QPoint(200, 150), QPoint(210, 150));
    expectView(148900, 150400, 169000, 171000, 149900, 170000, 3000);
    insertWaypoint(QStringLiteral("a"), 149000, 169000);
    insertWaypoint(QStringLiteral("b"), 151000, 171000, true);
    form->majListes();
    button("cmdZoomIn");
    QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(300, 40));
    expectView(149000, 151000, 169000, 171000, 150000, 170000, 2100);

    // The zoom out widens the stored extent by a fifth of the span, also after a box
    // selection, which leaves that extent alone.
    for (const bool afterBox : {false, true}) {
        form->vueMinX = 150000, form->vueMaxX = 150100, form->vueMinY = 170000, form->vueMaxY = 170080;
        viewAt(151000, 171000, 100);
        if (afterBox) {
            prompts->answer(Answer::Yes);
            button("cmdSelectWaypoint");
            drag(canvas, pixelOf(canvas, 150990, 170990), pixelOf(canvas, 151010, 171010));
            ASSERT_EQ(prompts->prompts().size(), 1u);
        }
        button("cmdZoomOut");
        expectView(149980, 150120, 169980, 170100, 150050, 170040, 140);
    }

    // The zoom on the selection keeps an armed tool.
    button("cmdZoomIn");
    button("cmdZoomSelect");
    EXPECT_NEAR(form->centreX, 151000, 1e-9);
    EXPECT_EQ(state().modeOutil, outil::kZoomBoite);
}

TEST_F(Tools, ButtonsArmTheirToolAndPointToolsActOnceOnThePress) {
    const std::tuple<const char*, int, int> buttons[] = {
        {"cmdZoomIn", outil::kZoomBoite, pointeur::kCroix},      {"cmdPan", outil::kPan, pointeur::kDeplacer},
        {"cmdSelectWaypoint", outil::kSelectWaypoint, pointeur::kCroix},
        {"cmdInfoWaypoint", outil::kInfoWaypoint, pointeur::kCroix},
        {"cmdDistance", outil::kDistance, pointeur::kCroix},    {"cmdSelectTrace", outil::kSelectTrace, pointeur::kCroix},
        {"cmdInfoTrace", outil::kInfoTrace, pointeur::kCroix}};
    for (const auto& [name, code, pointer] : buttons) {
        button("cmdExtentAll");
        button(name);
        EXPECT_EQ(state().modeOutil, code) << name;
        EXPECT_EQ(canvas->pointer(), pointer) << name;
    }
    // The add-waypoint tool asks for the name on the press; a second press does nothing.
    state().modeOutil = outil::kAjoutWaypoint;
    prompts->answerInput(std::nullopt);
    QTest::mousePress(canvas, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(prompts->prompts().size(), 1u);
    EXPECT_EQ(state().modeOutil, outil::kAucun);
    EXPECT_EQ(canvas->pointer(), pointeur::kDefaut);
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(50, 50));
    EXPECT_EQ(prompts->prompts().size(), 1u);
    // No view: the distance tool does not arm.
    form->tailleVue = 0;
    button("cmdDistance");
    EXPECT_EQ(state().modeOutil, outil::kAucun);
}

TEST_F(Tools, TheDistanceStaysAfterTheReleaseUntilADoubleClick) {
    QLabel* lbl = label("lblDistance");
    for (const auto& [locale, expected] : {std::pair{QLocale(QLocale::French, QLocale::France), "Distance : 2500,0000"},
                                           std::pair{QLocale::c(), "Distance : 2500.0000"}}) {
        QLocale::setDefault(locale);
        button("cmdDistance");
        drag(canvas, QPoint(100, 250), QPoint(250, 50));
        EXPECT_EQ(lbl->text(), QString::fromLatin1(expected));
        EXPECT_TRUE(canvas->lineVisible());
        EXPECT_NEAR(canvas->lineStart().x(), 149000, 1e-6);
        EXPECT_NEAR(canvas->lineEnd().y(), 171000, 1e-6);
        EXPECT_EQ(state().modeOutil, outil::kAucun);
        form->Picture1_DblClick();
        EXPECT_TRUE(lbl->text().isEmpty());
        EXPECT_FALSE(canvas->lineVisible());
    }
}

TEST_F(Tools, DigitisedPointsAreMarkedUntilTheTrackIsStored) {
    state().paramCouleurEdit = 0x00FF00;
    const QColor green(0, 255, 0);
    state().modeOutil = outil::kDessinTrace;
    const QPoint clicks[] = {{100, 100}, {160, 100}, {160, 160}, {240, 200}};
    for (int i = 0; i < 3; ++i) test::clickOnWindow(canvas, clicks[i]);
    for (const QPoint p : {clicks[0], clicks[1], clicks[2], QPoint(130, 100), QPoint(160, 130)})
        EXPECT_EQ(canvas->image().pixelColor(p), green) << p.x() << "," << p.y();
    EXPECT_EQ(canvas->image().pixelColor(130, 130), test::kWhite);

    prompts->answerInput(QStringLiteral("Dessinée"));
    test::doubleClickOnWindow(canvas, clicks[3]);
    EXPECT_EQ(state().modeOutil, outil::kAucun);
    DbGuard db;
    Cursor c = db->query(QStringLiteral("select Num_trace, X, Y from Points order by Num_trace"));
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(c.next());
        const QPointF p = test::mapOf(canvas, clicks[i]);
        EXPECT_EQ(c.value(0).toLongLong(), i + 1);
        EXPECT_NEAR(c.value(1).toDouble(), p.x(), 1e-6);
        EXPECT_NEAR(c.value(2).toDouble(), p.y(), 1e-6);
    }
    EXPECT_FALSE(c.next());
    EXPECT_EQ(canvas->image().pixelColor(130, 100), test::kRed) << "the stored track, selected";
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 400; ++x) ASSERT_NE(canvas->image().pixelColor(x, y), green) << x << "," << y;
}

TEST_F(Tools, EveryToolButtonShowsAPicture) {
    int buttons = 0;
    for (const QToolButton* b : form->findChild<QToolBar*>(QStringLiteral("barreOutils"))->findChildren<QToolButton*>()) {
        if (b->objectName().startsWith(QLatin1String("qt_"))) continue;  // the bar's own extension button
        ++buttons;
        EXPECT_FALSE(b->icon().pixmap(24, 24).isNull()) << b->objectName().toStdString();
        EXPECT_EQ(b->toolButtonStyle(), Qt::ToolButtonIconOnly);
    }
    EXPECT_EQ(buttons, 19);
}

}  // namespace
}  // namespace sotrix
