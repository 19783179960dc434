// The map tools: zoom box, zoom click, pan, zoom out, the tool codes and pointers, the
// distance line, digitising marks, the pictures of the tool buttons and a failing tool.
#include "map_input.h"
#include "test_fixture.h"

#include "MapTools.h"
#include "State.h"

#include <QLabel>
#include <QLocale>
#include <QSignalSpy>
#include <QToolBar>
#include <QToolButton>

namespace sotrix {
namespace {

using test::drag;
using test::kRed;
using test::MapviewTest;
using test::pixelOf;

// A view of 10 map units per pixel: pixel (200, 150) is (150000, 170000).
class Tools : public MapviewTest {
protected:
    void SetUp() override {
        MapviewTest::SetUp();
        viewAt(150000, 170000, 3000);
    }
    void TearDown() override {
        expectTrackInvariant();
        QLocale::setDefault(savedLocale_);
        MapviewTest::TearDown();
    }
    void button(const char* name) { form->findChild<QToolButton*>(QString::fromLatin1(name))->click(); }
    void expectIdle() {
        EXPECT_EQ(state().modeOutil, outil::kAucun);
        EXPECT_EQ(canvas->pointer(), pointeur::kDefaut);
        EXPECT_FALSE(canvas->bandVisible());
    }
    QLocale savedLocale_;
};

TEST_F(Tools, AZoomBoxGivesTheSameViewWhicheverWayItIsDragged) {
    const QPoint a(100, 250), b(250, 50);  // (149000, 169000) and (150500, 171000)
    const std::pair<QPoint, QPoint> drags[] = {
        {a, b}, {b, a}, {QPoint(a.x(), b.y()), QPoint(b.x(), a.y())}, {QPoint(b.x(), a.y()), QPoint(a.x(), b.y())}};
    for (const auto& [from, to] : drags) {
        SCOPED_TRACE(testing::Message() << "from " << from.x() << "," << from.y());
        viewAt(150000, 170000, 3000);
        button("cmdZoomIn");
        EXPECT_EQ(state().modeOutil, outil::kZoomBoite);
        EXPECT_EQ(canvas->pointer(), pointeur::kCroix);
        QTest::mousePress(canvas, Qt::LeftButton, {}, from);
        QTest::mouseMove(canvas, to);
        EXPECT_TRUE(canvas->bandVisible());
        QTest::mouseRelease(canvas, Qt::LeftButton, {}, to);
        EXPECT_NEAR(form->vueMinX, 149000, 1e-6);
        EXPECT_NEAR(form->vueMaxX, 150500, 1e-6);
        EXPECT_NEAR(form->vueMinY, 169000, 1e-6);
        EXPECT_NEAR(form->vueMaxY, 171000, 1e-6);
        EXPECT_NEAR(form->centreX, 149750, 1e-6);
        EXPECT_NEAR(form->centreY, 170000, 1e-6);
        EXPECT_NEAR(form->tailleVue, 2000, 1e-6) << "the larger side, no margin";
        expectIdle();
    }
}

TEST_F(Tools, AZoomClickGivesTheGlobalView) {
    insertWaypoint(QStringLiteral("a"), 149000, 169000);
    insertWaypoint(QStringLiteral("b"), 151000, 171000);
    form->majListes();
    button("cmdZoomIn");
    QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(300, 40));
    EXPECT_NEAR(form->tailleVue, 2100, 1e-6);
    EXPECT_NEAR(form->centreX, 150000, 1e-6);
    EXPECT_NEAR(form->centreY, 170000, 1e-6);
    expectIdle();
}

TEST_F(Tools, PanZoomOutAndZoomOnTheSelection) {
    button("cmdPan");
    EXPECT_EQ(state().modeOutil, outil::kPan);
    EXPECT_EQ(canvas->pointer(), pointeur::kDeplacer);
    QSignalSpy redrawn(form.get(), &frmAccueil::redrawn);
    drag(canvas, QPoint(200, 150), QPoint(210, 150));  // 100 units east
    EXPECT_NEAR(form->centreX, 149900, 1e-6) << "the map follows the pointer";
    EXPECT_NEAR(form->centreY, 170000, 1e-6);
    EXPECT_NEAR(form->tailleVue, 3000, 1e-9);
    EXPECT_NEAR(form->vueMinX, -100, 1e-6) << "the extent moves with the view";
    EXPECT_EQ(redrawn.count(), 1);
    expectIdle();

    // Zoom out, once from a stored extent and once right after a box selection, which
    // leaves the extent alone.
    insertWaypoint(QStringLiteral("w"), 1050, 2040);
    form->majListes();
    for (const bool afterBox : {false, true}) {
        SCOPED_TRACE(afterBox ? "after a box selection" : "from the extent");
        form->vueMinX = 1000, form->vueMaxX = 1100, form->vueMinY = 2000, form->vueMaxY = 2080;
        viewAt(1050, 2040, 100);
        if (afterBox) {
            button("cmdSelectWaypoint");
            drag(canvas, pixelOf(canvas, 1030, 2020), pixelOf(canvas, 1070, 2060));
            ASSERT_TRUE(pointSelected(1));
            EXPECT_EQ(form->vueMinX, 1000);
            EXPECT_EQ(form->vueMaxY, 2080);
        }
        button("cmdZoomOut");
        EXPECT_NEAR(form->vueMinX, 980, 1e-9);
        EXPECT_NEAR(form->vueMaxX, 1120, 1e-9);
        EXPECT_NEAR(form->vueMinY, 1980, 1e-9);
        EXPECT_NEAR(form->vueMaxY, 2100, 1e-9);
        EXPECT_NEAR(form->tailleVue, 140, 1e-9);
        EXPECT_NEAR(form->centreX, 1050, 1e-9);
        EXPECT_NEAR(form->centreY, 2040, 1e-9);
        expectIdle();
    }

    // The zoom on the selection keeps an armed tool; the global zoom disarms it.
    button("cmdZoomIn");
    button("cmdZoomSelect");
    EXPECT_NEAR(form->centreX, 1050, 1e-9);
    EXPECT_NEAR(form->tailleVue, 2.1, 1e-9) << "one selected point among one point";
    EXPECT_EQ(state().modeOutil, outil::kZoomBoite);
    button("cmdExtentAll");
    EXPECT_NEAR(form->tailleVue, 2.1, 1e-9);
    expectIdle();
}

TEST_F(Tools, EachToolButtonArmsItsCodeAndPointer) {
    const struct {
        const char* button;
        int code;
        int pointer;
    } cases[] = {
        {"cmdZoomIn", outil::kZoomBoite, pointeur::kCroix},
        {"cmdPan", outil::kPan, pointeur::kDeplacer},
        {"cmdSelectWaypoint", outil::kSelectWaypoint, pointeur::kCroix},
        {"cmdInfoWaypoint", outil::kInfoWaypoint, pointeur::kCroix},
        {"cmdDistance", outil::kDistance, pointeur::kCroix},
        {"cmdSelectTrace", outil::kSelectTrace, pointeur::kCroix},
        {"cmdInfoTrace", outil::kInfoTrace, pointeur::kCroix},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        button("cmdExtentAll");
        button(c.button);
        EXPECT_EQ(state().modeOutil, c.code);
        EXPECT_EQ(canvas->pointer(), c.pointer);
    }

    // The point tools act on the press, once: a second press asks nothing.
    form->tailleVue = 3000;
    for (const char* name : {"cmdInfoWaypoint", "cmdSelectTrace", "cmdInfoTrace"}) {
        SCOPED_TRACE(name);
        insertWaypoint(QStringLiteral("w") + QLatin1String(name), 150000, 170000);
        addTrack(QStringLiteral("t") + QLatin1String(name), {{150000, 170000}, {150100, 170000}});
        form->majListes();
        button(name);
        QTest::mousePress(canvas, Qt::LeftButton, {}, QPoint(5, 5));
        expectIdle();
        QTest::mouseRelease(canvas, Qt::LeftButton, {}, QPoint(5, 5));
    }
    state().modeOutil = outil::kAjoutWaypoint;
    prompts->answerInput(std::nullopt);
    QTest::mousePress(canvas, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(prompts->prompts().size(), 1u) << "the name is asked on the press";
    expectIdle();
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(50, 50));
    EXPECT_EQ(prompts->prompts().size(), 1u);

    // No view: the distance tool does not arm.
    form->tailleVue = 0;
    button("cmdDistance");
    EXPECT_EQ(state().modeOutil, outil::kAucun);
}

TEST_F(Tools, TheDistanceShowsWhileDraggingAndStaysUntilADoubleClick) {
    QLabel* lbl = label("lblDistance");
    const std::pair<QLocale, QString> locales[] = {
        {QLocale(QLocale::French, QLocale::France), QStringLiteral("Distance : 2500,0000")},
        {QLocale::c(), QStringLiteral("Distance : 2500.0000")},
    };
    for (const auto& [locale, expected] : locales) {
        SCOPED_TRACE(expected.toStdString());
        QLocale::setDefault(locale);
        button("cmdDistance");
        QTest::mousePress(canvas, Qt::LeftButton, {}, QPoint(100, 250));
        QTest::mouseMove(canvas, QPoint(100, 240));
        EXPECT_EQ(lbl->text(), QLocale().toString(100.0, 'f', 4).prepend(QStringLiteral("Distance : ")));
        QTest::mouseMove(canvas, QPoint(250, 50));
        EXPECT_EQ(lbl->text(), expected);
        QTest::mouseRelease(canvas, Qt::LeftButton, {}, QPoint(250, 50));
        EXPECT_EQ(lbl->text(), expected);
        EXPECT_TRUE(canvas->lineVisible());
        EXPECT_NEAR(canvas->lineStart().x(), 149000, 1e-6);
        EXPECT_NEAR(canvas->lineStart().y(), 169000, 1e-6);
        EXPECT_NEAR(canvas->lineEnd().x(), 150500, 1e-6);
        EXPECT_NEAR(canvas->lineEnd().y(), 171000, 1e-6);
        expectIdle();
        // A move with no tool armed leaves the measure.
        QTest::mousePress(canvas, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseMove(canvas, QPoint(20, 20));
        QTest::mouseRelease(canvas, Qt::LeftButton, {}, QPoint(20, 20));
        EXPECT_EQ(lbl->text(), expected);
        form->Picture1_DblClick();
        EXPECT_TRUE(lbl->text().isEmpty());
        EXPECT_FALSE(canvas->lineVisible());
    }
}

TEST_F(Tools, DigitisedPointsAreMarkedUntilTheTrackIsStored) {
    state().paramCouleurEdit = 0x00FF00;
    const QColor green(0, 255, 0);
    state().modeOutil = outil::kDessinTrace;
    form->nbSaisies = 0;
    const QPoint clicks[] = {{100, 100}, {160, 100}, {160, 160}, {240, 200}};
    for (int i = 0; i < 3; ++i) test::clickOnWindow(canvas, clicks[i]);
    ASSERT_EQ(form->nbSaisies, 3);
    const QImage sketch = canvas->image();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(sketch.pixelColor(clicks[i]), green) << "point " << i + 1;
    EXPECT_EQ(sketch.pixelColor(130, 100), green) << "first segment";
    EXPECT_EQ(sketch.pixelColor(160, 130), green) << "second segment";
    EXPECT_EQ(sketch.pixelColor(130, 130), QColor(Qt::white));

    prompts->answerInput(QStringLiteral("Dessinée"));
    test::doubleClickOnWindow(canvas, clicks[3]);
    expectIdle();
    DbGuard db;
    Cursor c = db->query(QStringLiteral("select Num_trace, X, Y from Points where Trace = "
                                        "(select Id_trace from Trace where Nom = 'Dessinée') order by Num_trace"));
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(c.next()) << "point " << i + 1;
        const QPointF p = test::mapOf(canvas, clicks[i]);
        EXPECT_EQ(c.value(0).toLongLong(), i + 1);
        EXPECT_NEAR(c.value(1).toDouble(), p.x(), 1e-6);
        EXPECT_NEAR(c.value(2).toDouble(), p.y(), 1e-6);
    }
    EXPECT_FALSE(c.next());
    for (const QPoint p : {clicks[0], clicks[1], QPoint(130, 100)})
        EXPECT_EQ(canvas->image().pixelColor(p), kRed) << "the stored track, selected";
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 400; ++x) ASSERT_NE(canvas->image().pixelColor(x, y), green) << x << "," << y;
}

TEST_F(Tools, AFailingSelectionLeavesNoToolNoBandAndOneWarning) {
    insertWaypoint(QStringLiteral("a"), 150000, 170000);
    form->majListes();
    {
        DbGuard db;
        db->exec(QStringLiteral("create trigger refus before update on Points begin select raise(abort, 'refus'); end"));
    }
    button("cmdSelectWaypoint");
    drag(canvas, QPoint(150, 100), QPoint(250, 200));
    ASSERT_EQ(prompts->prompts().size(), 1u);
    EXPECT_EQ(prompts->prompts()[0].icon, Icon::Exclamation);
    EXPECT_TRUE(prompts->prompts()[0].text.contains(QStringLiteral("refus")));
    expectIdle();
    EXPECT_FALSE(pointSelected(1));
}

TEST_F(Tools, EveryToolButtonShowsAPicture) {
    const auto* bar = form->findChild<QToolBar*>(QStringLiteral("barreOutils"));
    const QList<QToolButton*> buttons = bar->findChildren<QToolButton*>(QString(), Qt::FindDirectChildrenOnly);
    int named = 0;
    for (const QToolButton* b : buttons) {
        if (b->objectName().startsWith(QLatin1String("qt_"))) continue;  // the bar's own extension button
        ++named;
        SCOPED_TRACE(b->objectName().toStdString());
        EXPECT_FALSE(b->icon().pixmap(24, 24).isNull());
        EXPECT_EQ(b->toolButtonStyle(), Qt::ToolButtonIconOnly);
        EXPECT_FALSE(b->toolTip().isEmpty());
    }
    EXPECT_EQ(named, 19);
}

}  // namespace
}  // namespace sotrix
