// The map reads only what a view can show and draws discs in an order of its own: for
// every view, its picture must be the one that drawing every stored row, in the stored
// order, with the canvas's pens gives, whether the tracks' boxes are stored or not; and
// a redraw only reads.
#include "test_fixture.h"

#include "Database.h"
#include "MapCanvas.h"
#include "MapDrawing.h"
#include "PictureCheck.h"
#include "scaled_screen.h"
#include "State.h"

#include <QPainter>

#include <cmath>

namespace sotrix {
namespace {

using test::MapviewTest;

QColor colourOf(qint32 c) { return couleurQt(c); }

struct View {
    const char* what;
    double x, y, tailleVue;
    double facteurTaille = 1.0;  // 1.2 draws with a pen of 2 pixels
};

const View kViews[] = {
    {"everything", 0, 0, 420},
    {"everything, wider pen", 0, 0, 420, 1.2},
    {"the middle", 0, 0, 100},
    {"a corner of the data", 150, 100, 60, 1.2},
    {"between the vertices of the long tracks", -80, 60, 30},
    {"a few pixels of the crowd", 10.3, 10.4, 0.5},
    {"nothing", 5000, 5000, 10},
};

class BoundedDrawing : public MapviewTest {
protected:
    // Every row drawn as the canvas draws one shape at a time: tracks unselected then
    // selected in key and point order, then waypoints unselected then selected.
    QImage everyRowDrawn() {
        // In the picture's own pixels, pens as wide as the screen shows them.
        const double dpr = canvas->image().devicePixelRatio(), pen = canvas->drawWidth() * dpr;
        QImage image(canvas->image().size(), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        const double kx = dpr * canvas->width() / canvas->scaleWidth(), ky = dpr * canvas->height() / canvas->scaleHeight();
        auto pixel = [&](double x, double y) {
            return QPointF((x - canvas->scaleLeft()) * kx, (y - canvas->scaleTop()) * ky);
        };
        DbGuard db;
        for (const int selected : {0, 1}) {
            const QColor c = colourOf(selected ? state().paramCouleurSel : state().paramCouleur);
            painter.setPen(QPen(c, pen, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            Cursor t = db->query(QStringLiteral("select Id_trace, Fermer from Trace where (Selected <> 0) = ? "
                                                "order by Id_trace"),
                                 {selected});
            while (t.next()) {
                std::vector<QPointF> pts;
                Cursor p = db->query(QStringLiteral("select X, Y from Points where Trace = ? and X is not null and "
                                                    "Y is not null order by Num_trace, Id_point"),
                                     {t.value(0)});
                while (p.next()) pts.push_back(pixel(p.value(0).toDouble(), p.value(1).toDouble()));
                if (t.value(1).toLongLong() != 0 && pts.size() >= 2) pts.push_back(pts.front());
                for (size_t i = 1; i < pts.size(); ++i)
                    if (pts[i - 1] != pts[i]) painter.drawLine(pts[i - 1], pts[i]);
            }
        }
        for (const int selected : {0, 1}) {
            const QColor c = colourOf(selected ? state().paramCouleurSel : state().paramCouleur);
            painter.setPen(QPen(c, pen, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            painter.setBrush(c);
            const double r = std::abs(form->tailleSymbole * kx);
            Cursor w = db->query(QStringLiteral("select X, Y from Points where Trace = 0 and (Selected <> 0) = ? "
                                                "and X is not null and Y is not null order by Id_point"),
                                 {selected});
            while (w.next()) painter.drawEllipse(pixel(w.value(0).toDouble(), w.value(1).toDouble()), r, r);
        }
        return image;
    }

    // The rows of every view: waypoints of both states on a grid, in a crowd and on the
    // views' edges; tracks long, closed, with a hole, and dense.
    void seedRows() {
        DbGuard db;
        Transaction tx(*db);
        // Waypoints on a grid, one in three selected, and a crowd on a few pixels where
        // both colours and exact repeats mix.
        int n = 0;
        for (int gx = -200; gx <= 200; gx += 25)
            for (int gy = -150; gy <= 150; gy += 25, ++n)
                insertWaypoint(QStringLiteral("g%1").arg(n), gx + 0.3, gy - 0.7, n % 3 == 0);
        for (int i = 0; i < 400; ++i)
            insertWaypoint(QStringLiteral("c%1").arg(i), 10 + (i % 7) * 0.13, 10 + (i % 11) * 0.09, i % 5 == 0);
        // On the edges and corners of every view, and just outside them by less than a disc.
        for (const View& v : kViews) {
            const double halfW = v.tailleVue * 4 / 3 / 2, halfH = v.tailleVue / 2, gap = v.tailleVue / 125 / 2;
            for (const double dx : {-halfW - gap, -halfW, 0.0, halfW, halfW + gap})
                for (const double dy : {-halfH - gap, -halfH, 0.0, halfH, halfH + gap}) {
                    insertWaypoint(QStringLiteral("e%1").arg(n), v.x + dx, v.y + dy, n % 2 == 0);
                    ++n;
                }
        }
        // Tracks that cross views without a vertex in them, a closed one whose closing edge
        // crosses them, one with a point without coordinates, and a dense random walk.
        addTrack(QStringLiteral("longue"), {{-5000, -3000}, {5000, 3000}});
        addTrack(QStringLiteral("longue choisie"), {{-5000, 3200}, {4000, -2500}}, false, true);
        addTrack(QStringLiteral("anneau"), {{-3000, 70}, {-2000, 2000}, {3000, 50}}, true);
        const qint64 trou = addTrack(QStringLiteral("trou"), {{-100, -100}, {-50, -20}, {60, -90}});
        db->exec(QStringLiteral("update Points set X = null where Trace = ? and Num_trace = 2"), {trou});
        std::vector<QPointF> walk;
        double wx = 0, wy = 0;
        for (int i = 0; i < 3000; ++i) {
            wx += std::sin(i * 1.7) * 3;
            wy += std::cos(i * 2.3) * 3;
            walk.emplace_back(wx, wy);
        }
        addTrack(QStringLiteral("marche"), walk, false, false);
        addTrack(QStringLiteral("marche choisie"), std::vector<QPointF>(walk.begin() + 1000, walk.end()), true, true);
        tx.commit();
    }

    // The canvas's picture is the exact one, or differs from it only along edges, in at
    // most 0.5 % of the pixels drawn.
    ::testing::AssertionResult faithful() {
        const test::PictureCheck c = test::checkPicture(canvas->image(), everyRowDrawn());
        if (c.faithful()) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << c.differing << " of " << c.drawn << " pixels drawn differ, "
                                             << c.offDrawing << " off its drawing";
    }
};

TEST_F(BoundedDrawing, EveryViewShowsWhatDrawingEveryRowShows) {
    seedRows();
    for (const View& v : kViews) {
        state().facteurTaille = v.facteurTaille;
        viewAt(v.x, v.y, v.tailleVue);
        EXPECT_TRUE(faithful()) << v.what;
    }
}

TEST_F(BoundedDrawing, BoxesStoredOrNotDrawTheSameAndARedrawOnlyReads) {
    seedRows();
    const struct {
        const char* what;
        const char* change;  // what becomes of the stored boxes
    } cases[] = {
        {"boxes stored by the writers", nullptr},
        {"boxes wider than their points", "update EtendueTrace set minX = minX - 5000, maxY = maxY + 5000"},
        {"no box stored", "delete from EtendueTrace"},
    };
    const QString boxes = QStringLiteral("select count(*) || ':' || group_concat(Id_trace || ',' || minX || ',' || "
                                         "maxX || ',' || minY || ',' || maxY, ';') from EtendueTrace");
    for (const auto& c : cases) {
        DbGuard db;
        if (c.change) db->exec(QString::fromLatin1(c.change));
        const QString before = db->scalar(boxes).toString();
        // Another connection holds the write lock, as a read-only or full disk refuses
        // every write: the map is drawn all the same.
        Database writer(databasePath());
        writer.exec(QStringLiteral("begin immediate"));
        for (const View& v : kViews) {
            state().facteurTaille = v.facteurTaille;
            EXPECT_NO_THROW(viewAt(v.x, v.y, v.tailleVue)) << c.what << ", " << v.what;
            EXPECT_TRUE(faithful()) << c.what << ", " << v.what;
        }
        writer.exec(QStringLiteral("rollback"));
        EXPECT_EQ(db->scalar(boxes).toString(), before) << c.what << ": a redraw wrote the boxes";
        EXPECT_TRUE(prompts->prompts().empty()) << c.what;
    }
}

TEST_F(BoundedDrawing, GpsLogsWithManyPointsToAPixelShowWhatDrawingEveryRowShows) {
    // Logs of a point every 0.05 to 2.5 units on a heading that turns a little at each:
    // at the wider views, tens of points fall in one pixel. One wanders back over itself,
    // one stands still for a while.
    auto log = [](double x, double y, double heading, double turn, int points) {
        std::vector<QPointF> pts;
        for (int i = 0; i < points; ++i) {
            heading += std::sin(i * 0.37) * turn;
            const double step = 0.05 + 2.45 * (0.5 + 0.5 * std::sin(i * 1.3));
            x += step * std::cos(heading);
            y += step * std::sin(heading);
            pts.emplace_back(x, y);
        }
        return pts;
    };
    {
        DbGuard db;
        Transaction tx(*db);
        addTrack(QStringLiteral("route"), log(-150, -100, 0.6, 0.05, 4000));
        addTrack(QStringLiteral("boucle"), log(0, 0, 0, 0.4, 6000), true);
        addTrack(QStringLiteral("choisie"), log(100, 90, 3.5, 0.1, 3000), false, true);
        // A logger left standing: a thousand fixes wandering over less than a unit, then
        // on its way.
        std::vector<QPointF> arret;
        for (int i = 0; i < 1000; ++i) arret.emplace_back(60 + 0.4 * std::sin(i * 0.77), -60 + 0.3 * std::cos(i * 1.31));
        const std::vector<QPointF> depart = log(60, -60, 2, 0.15, 1500);
        arret.insert(arret.end(), depart.begin(), depart.end());
        addTrack(QStringLiteral("à l'arrêt"), arret, false, true);
        // Numbered with gaps, and a few points without a number, which come first.
        const qint64 renumerotee = addTrack(QStringLiteral("renumérotée"), log(-120, 80, 5, 0.2, 2500), true);
        db->exec(QStringLiteral("update Points set Num_trace = case when Num_trace % 401 = 0 then null "
                                "else Num_trace * 3 - 2000 end where Trace = ?"),
                 {renumerotee});
        tx.commit();
    }
    const struct {
        const char* what;
        int height;  // of the canvas, 4/3 as wide: with the factor, the pen's width
        double tailleVue, facteurTaille;
    } views[] = {
        {"the whole, pen of 1", 300, 420, 1.0},
        {"the whole, pen of 2", 300, 420, 1.2},
        {"the whole, pen of 3", 700, 420, 1.0},
        {"a quarter, pen of 3", 700, 210, 1.0},
        {"a sixteenth, pen of 4", 875, 105, 1.0},
        {"the whole from afar, pen of 2", 300, 4200, 1.2},
    };
    for (const auto& v : views) {
        canvas->setFixedSize(v.height * 4 / 3, v.height);
        state().facteurTaille = v.facteurTaille;
        viewAt(0, 0, v.tailleVue);
        ASSERT_EQ(canvas->image().devicePixelRatio(), test::echelleEcran());
        EXPECT_TRUE(faithful()) << v.what;
        // The same tracks read in parts of a few hundred points side by side.
        canvas->cls();
        {
            DbGuard db;
            afficheTraces(*db, *canvas, {state().paramCouleur, state().paramCouleurSel}, 300);
        }
        EXPECT_TRUE(faithful()) << v.what << ", read in parts";
    }
    // Points merge in the screen's own pixels, at a fractional ratio too.
    if (test::echelleEcran() == 1) test::lanceAEchelle(1.5);
}

}  // namespace
}  // namespace sotrix
