// New waypoints and tracks: the add chooser, the name prompt, the coordinate systems,
// the rows stored and their selection, and what a failure leaves.
#include "map_input.h"
#include "test_fixture.h"

#include "MapTools.h"
#include "ProjApi.h"
#include "State.h"
#include "proj4.h"

#include <QApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QToolButton>

namespace sotrix {
namespace {

using test::MapviewTest;
using test::PromptKind;
using test::tableRows;

// An orthographic view of Belgium: a point 10 000 km east of its centre is off the disc.
constexpr qint32 kOrtho = 990001;
constexpr double kOffDisc = 10000000;
const QString kOffDiscError = QStringLiteral("erreur de projection [tolerance condition error]");

QWidget* chooser() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QStringLiteral("frmEdit") && w->isVisible()) return w;
    return nullptr;
}

class Edit : public MapviewTest {
protected:
    void SetUp() override {
        MapviewTest::SetUp();
        DbGuard db;
        db->exec(QStringLiteral("insert into Proj (Epsg, \"Desc\", Proj4) values (?, 'ortho', "
                                "'+proj=ortho +lat_0=50 +lon_0=4 +datum=WGS84 +no_defs')"),
                 {kOrtho});
    }
    void TearDown() override {
        expectTrackInvariant();
        MapviewTest::TearDown();
    }
    qint64 count(const char* sql) {
        DbGuard db;
        return db->scalar(QString::fromLatin1(sql)).toLongLong();
    }
    // Digitised points, then the double click that ends the track.
    void drawTrack(const std::vector<QPointF>& points) {
        form->nbSaisies = qint64(points.size());
        form->saisieX.clear();
        form->saisieY.clear();
        for (const QPointF& p : points) form->saisieX << p.x(), form->saisieY << p.y();
        state().modeOutil = outil::kDessinTrace;
        form->Picture1_DblClick();
    }
    QString numbers(const QString& track) {
        DbGuard db;
        QStringList n;
        Cursor c = db->query(QStringLiteral("select Num_trace from Points where Trace = "
                                            "(select Id_trace from Trace where Nom = ?) order by Num_trace"),
                             {track});
        while (c.next()) n << c.value(0).toString();
        return n.join(QLatin1Char(','));
    }
};

TEST_F(Edit, TheChooserArmsATool) {
    form->findChild<QToolButton*>(QStringLiteral("cmdEdit"))->click();
    EXPECT_EQ(chooser(), nullptr) << "no view yet";

    viewAt(0, 0, 100);
    const struct {
        const char* name;
        std::function<void(QWidget*)> close;
        int code;
    } ways[] = {
        {"Enter", [](QWidget* w) { QTest::keyClick(w, Qt::Key_Return); }, outil::kAjoutWaypoint},
        {"Escape", [](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); }, outil::kInfoTrace},
        {"Annuler", [](QWidget* w) { w->findChild<QPushButton*>(QStringLiteral("cmdAnnuler"))->click(); },
         outil::kInfoTrace},
        {"a track",
         [](QWidget* w) {
             w->findChild<QRadioButton*>(QStringLiteral("optTrace"))->setChecked(true);
             w->findChild<QPushButton*>(QStringLiteral("cmdOk"))->click();
         },
         outil::kDessinTrace},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        state().modeOutil = outil::kInfoTrace;
        form->nbSaisies = 7;
        form->findChild<QToolButton*>(QStringLiteral("cmdEdit"))->click();
        QWidget* w = chooser();
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->windowTitle(), QStringLiteral("Ajouter"));
        EXPECT_TRUE(w->findChild<QRadioButton*>(QStringLiteral("optWaypoint"))->isChecked());
        EXPECT_FALSE(form->isEnabled());
        EXPECT_EQ(form->nbSaisies, 0);
        way.close(w);
        QApplication::processEvents();
        EXPECT_EQ(chooser(), nullptr);
        EXPECT_TRUE(form->isEnabled());
        EXPECT_EQ(state().modeOutil, way.code);
    }
    EXPECT_EQ(canvas->pointer(), pointeur::kCroix);
}

TEST_F(Edit, AClickedWaypointIsStoredWithItsGpsCoordinatesAndSelectedAlone) {
    const qint64 old = insertWaypoint(QStringLiteral("ancien"), 0, 0, true);
    const qint64 t = addTrack(QStringLiteral("t"), {{0, 0}, {10, 10}}, false, true);
    form->majListes();
    viewAt(148679.447, 171066.810, 3000);
    const std::pair<QString, QPoint> clicks[] = {{QStringLiteral("Bruxelles"), QPoint(200, 150)},
                                                 {QStringLiteral("Second"), QPoint(300, 100)}};
    for (const auto& [name, pixel] : clicks) {
        SCOPED_TRACE(name.toStdString());
        state().modeOutil = outil::kAjoutWaypoint;
        prompts->answerInput(name);
        QTest::mouseClick(canvas, Qt::LeftButton, {}, pixel);
        EXPECT_EQ(state().modeOutil, outil::kAucun);
        EXPECT_EQ(canvas->pointer(), pointeur::kDefaut);
        DbGuard db;
        Cursor c = db->query(QStringLiteral("select Id_point, X, Y, Lon, Lat, Altitude, Trace from Points where Nom = ?"),
                             {name});
        ASSERT_TRUE(c.next());
        const QPointF p = test::mapOf(canvas, pixel);
        EXPECT_NEAR(c.value(1).toDouble(), p.x(), 1e-6);
        EXPECT_NEAR(c.value(2).toDouble(), p.y(), 1e-6);
        EXPECT_TRUE(c.value(5).isNull());
        EXPECT_EQ(c.value(6).toLongLong(), 0);
        if (pixel == QPoint(200, 150)) {
            EXPECT_NEAR(c.value(1).toDouble(), 148679.447, 1e-6);
            EXPECT_NEAR(c.value(3).toDouble(), 4.35, 1e-7);
            EXPECT_NEAR(c.value(4).toDouble(), 50.85, 1e-7);
        }
        const qint64 id = c.value(0).toLongLong();
        EXPECT_EQ(db->scalar(QStringLiteral("select group_concat(Id_point) from Points where Trace = 0 and Selected <> 0"))
                      .toLongLong(),
                  id)
            << "the only selected waypoint";
        EXPECT_TRUE(traceSelected(t));
    }
    EXPECT_FALSE(pointSelected(old));
    EXPECT_TRUE(state().modifWaypoints);
    EXPECT_FALSE(state().modifTraces);
    EXPECT_EQ(state().nbWaypoints, 3);
    EXPECT_EQ(state().nbWaypointsSel, 1);
}

TEST_F(Edit, ANameInUseIsRefusedAndAskedAgain) {
    insertWaypoint(QStringLiteral("Col de l'Iseran"), 0, 0);
    addTrack(QStringLiteral("Boucle"), {{0, 0}, {10, 10}});
    {
        DbGuard db;
        db->exec(QStringLiteral("update Points set Nom = 'P12' where Trace > 0 and Num_trace = 2"));
    }
    form->majListes();
    viewAt(148679.447, 171066.810, 3000);
    const QString before = tableRows().join(QLatin1Char('\n'));

    for (const QString& name : {QStringLiteral("P12"), QStringLiteral("COL DE L'ISERAN")}) prompts->answerInput(name);
    prompts->answerInput(QString());
    form->saisieX = {148679.447};
    form->saisieY = {171066.810};
    form->addWaypoint();
    QStringList seen;
    for (const auto& p : prompts->prompts())
        seen << (p.kind == PromptKind::Input ? QStringLiteral("? ") + p.title + QStringLiteral(" | ") + p.text
                                               : QStringLiteral("! ") + p.text);
    EXPECT_EQ(seen, (QStringList{
                        QStringLiteral("? Ajouter un nouveau waypoint | Nom du nouveau waypoint :"),
                        QStringLiteral("! Le waypoint 'P12' existe déjà. Veuillez choisir un autre nom."),
                        QStringLiteral("? Ajouter un nouveau waypoint | Nom du nouveau waypoint :"),
                        QStringLiteral("! Le waypoint 'COL DE L'ISERAN' existe déjà. Veuillez choisir un autre nom."),
                        QStringLiteral("? Ajouter un nouveau waypoint | Nom du nouveau waypoint :")}));
    EXPECT_EQ(prompts->prompts()[1].icon, Icon::Exclamation);
    EXPECT_EQ(tableRows().join(QLatin1Char('\n')), before);
    EXPECT_FALSE(state().modifWaypoints);

    // A track name in another case; a waypoint's name is free for a track.
    prompts->clear();
    prompts->answerInput(QStringLiteral("boucle"));
    prompts->answerInput(QStringLiteral(" Col de l'Iseran "));
    drawTrack({{148679.447, 171066.810}});
    ASSERT_EQ(prompts->prompts().size(), 3u);
    EXPECT_EQ(prompts->prompts()[1].text, QStringLiteral("La trace 'boucle' existe déjà. Veuillez choisir un autre nom."));
    EXPECT_EQ(prompts->prompts()[2].title, QStringLiteral("Ajouter une nouvelle trace"));
    EXPECT_EQ(numbers(QStringLiteral(" Col de l'Iseran ")), QStringLiteral("1")) << "taken as typed, one point kept";
}

TEST_F(Edit, ATrackSkipsOrStopsAtAPointThatCannotBeConverted) {
    state().paramProjCarto = kOrtho;
    const qint64 w = insertWaypoint(QStringLiteral("w"), 0, 0, true);
    addTrack(QStringLiteral("ancienne"), {{0, 0}, {1, 1}}, false, true);
    form->majListes();
    viewAt(0, 0, 3000);
    const QString question = QStringLiteral("Une erreur est survenue lors de la projection d'un point de la trace : ") +
                             kOffDiscError + QStringLiteral(".\nVoulez-vous continuer ?");
    const struct {
        const char* name;
        std::vector<QPointF> points;
        std::vector<Answer> answers;
        const char* numbers;
    } cases[] = {
        {"Yes skips", {{1000, 2000}, {kOffDisc, 0}, {3000, 4000}}, {Answer::Yes}, "1,3"},
        {"No stops", {{1000, 2000}, {kOffDisc, 0}, {3000, 4000}}, {Answer::No}, "1"},
        {"none converted", {{kOffDisc, 0}, {-kOffDisc, 0}}, {Answer::Yes, Answer::Yes}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        prompts->clear();
        state().modifTraces = false;
        prompts->answerInput(QString::fromLatin1(c.name));
        for (Answer a : c.answers) prompts->answer(a);
        QSignalSpy redrawn(form.get(), &frmAccueil::redrawn);
        drawTrack(c.points);
        ASSERT_EQ(prompts->prompts().size(), 1 + c.answers.size());
        EXPECT_EQ(prompts->prompts()[1].text, question);
        EXPECT_EQ(prompts->prompts()[1].icon, Icon::Question);
        EXPECT_EQ(numbers(QString::fromLatin1(c.name)), QString::fromLatin1(c.numbers));
        EXPECT_EQ(redrawn.count(), 1);
        EXPECT_EQ(state().modeOutil, outil::kAucun);
        const bool stored = *c.numbers != 0;
        EXPECT_EQ(count("select count(*) from Trace where Nom = 'none converted'"), 0);
        EXPECT_EQ(state().modifTraces, stored);
        if (stored) {
            EXPECT_EQ(count("select count(*) from Trace where Selected <> 0"), 1) << "the only selected track";
            EXPECT_EQ(list("lstTrace")->selectedCount(), 1);
        }
        EXPECT_TRUE(pointSelected(w)) << "the waypoints' selection stays";
    }
    EXPECT_FALSE(state().modifWaypoints);
}

TEST_F(Edit, ASystemOrPointThatFailsStoresNothingAndLeavesNoHandle) {
    {
        DbGuard db;
        db->exec(QStringLiteral("insert into Proj (Epsg, \"Desc\", Proj4) values (990002, 'faux', '+proj=foo')"));
    }
    viewAt(0, 0, 3000);
    const int live = pjLiveHandles();
    const struct {
        qint32 carto;
        double x;
        Icon icon;
        QString start;
    } cases[] = {
        {990002, 0, Icon::None,
         QStringLiteral("Une erreur est survenue lors de la définition des systèmes de projection : erreur de projection [")},
        {990003, 0, Icon::Exclamation, QStringLiteral("Impossible de récupérer les paramètres du système de projection.")},
        {kOrtho, kOffDisc, Icon::Exclamation,
         QStringLiteral("Une erreur est survenue lors de la projection : ") + kOffDiscError +
             QStringLiteral(".\nImpossible de créer un nouveau Waypoint.")},
    };
    for (const auto& c : cases) {
        for (const bool track : {false, true}) {
            if (track && c.x != 0) continue;
            SCOPED_TRACE(testing::Message() << c.carto << (track ? " track" : " waypoint"));
            state().paramProjCarto = c.carto;
            prompts->clear();
            prompts->answerInput(QStringLiteral("nouveau"));
            QSignalSpy redrawn(form.get(), &frmAccueil::redrawn);
            if (track) {
                drawTrack({{0, 0}, {10, 0}});
            } else {
                form->saisieX = {c.x};
                form->saisieY = {0};
                form->addWaypoint();
            }
            ASSERT_EQ(prompts->prompts().size(), 2u);
            EXPECT_TRUE(prompts->prompts()[1].text.startsWith(c.start)) << prompts->prompts()[1].text.toStdString();
            EXPECT_EQ(prompts->prompts()[1].icon, c.icon);
            EXPECT_EQ(pjLiveHandles(), live);
            EXPECT_EQ(count("select count(*) from Points") + count("select count(*) from Trace"), 0);
            EXPECT_EQ(redrawn.count(), track ? 1 : 0) << "a track's sketch goes";
        }
    }
}

}  // namespace
}  // namespace sotrix
