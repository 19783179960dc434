// The information window: the lines of a waypoint and of a track, the tools and their
// reach, F1 in the two lists.
#include "map_input.h"
#include "test_fixture.h"

#include "InfoQueries.h"
#include "MapTools.h"
#include "State.h"

#include <QLocale>

namespace sotrix {
namespace {

using test::infoWindows;
using test::MapviewTest;

// The first row showing text, or -1.
int rowOf(ListeNoms* l, const QString& text) {
    const QModelIndexList found =
        l->model()->match(l->model()->index(0, 0), Qt::DisplayRole, text, 1, Qt::MatchExactly);
    return found.isEmpty() ? -1 : found.first().row();
}

const QStringList kIseran{
    QStringLiteral("Nom : Col de l'Iseran"),       QStringLiteral("Date : 05/03/2021 14:07:09"),
    QStringLiteral("Description : Sommet"),        QStringLiteral("Coordonnées cartographiques :"),
    QStringLiteral("  X : 150000,5"),              QStringLiteral("  Y : 170000,25"),
    QStringLiteral("Coordonnées GPS :"),           QStringLiteral("  Latitude : 45,41670000"),
    QStringLiteral("  Longitude : 7,03060000"),    QStringLiteral("Altitude : 2764")};

class Info : public MapviewTest {
protected:
    void SetUp() override {
        MapviewTest::SetUp();
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
        iseran = insertWaypoint(QStringLiteral("Col de l'Iseran"), 150000.5, 170000.25);
        DbGuard db;
        db->exec(QStringLiteral("update Points set \"Date\" = '2021-03-05 14:07:09', Description = 'Sommet', "
                                "Lat = 45.4167, Lon = 7.0306, Altitude = 2764 where Id_point = ?"),
                 {iseran});
    }
    void TearDown() override {
        QLocale::setDefault(saved_);
        MapviewTest::TearDown();
    }
    // A closed track of three points without altitudes.
    qint64 boucle() {
        const qint64 t = addTrack(QStringLiteral("Boucle"), {{151000, 171000}, {151200, 171000}, {151100, 171100.5}}, true);
        DbGuard db;
        db->exec(QStringLiteral("update Trace set Description = 'Tour du lac' where Id_trace = ?"), {t});
        db->exec(QStringLiteral("update Points set Lat = 50.8 + Num_trace / 100.0, Lon = 4.25 - Num_trace / 1000.0, "
                                "\"Date\" = printf('2022-06-01 %02d:30:00', 7 + Num_trace) where Trace = ?"),
                 {t});
        return t;
    }
    std::vector<QStringList> pressWith(int code, double x, double y) {
        return infoWindows([&] {
            state().modeOutil = code;
            QTest::mouseClick(canvas, Qt::LeftButton, {}, test::pixelOf(canvas, x, y));
        });
    }
    qint64 iseran = 0;
    QLocale saved_;
};

TEST_F(Info, TheWaypointAndTrackLinesInTheUsersLocale) {
    const qint64 t = boucle();
    form->majListes();
    viewAt(150500, 170500, 3000);

    auto shown = pressWith(outil::kInfoWaypoint, 150000.5, 170000.25);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], kIseran);
    EXPECT_EQ(state().modeOutil, outil::kAucun);
    EXPECT_EQ(canvas->pointer(), pointeur::kDefaut);

    shown = pressWith(outil::kInfoTrace, 151000, 171000);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], (QStringList{QStringLiteral("Nom : Boucle"), QString(), QStringLiteral("Dates : "),
                                     QStringLiteral("  Min. : 01/06/2022 08:30:00"),
                                     QStringLiteral("  Max. : 01/06/2022 10:30:00"), QString(),
                                     QStringLiteral("Description : Tour du lac"), QString(),
                                     QStringLiteral("Coordonnées cartographiques : "), QStringLiteral("  X min. : 151000"),
                                     QStringLiteral("  X max. : 151200"), QStringLiteral("  Y min. : 171000"),
                                     QStringLiteral("  Y max. : 171100,5"), QString(),
                                     QStringLiteral("Coordonnées GPS : "),
                                     QStringLiteral("  Latitude min. : 50,81000000"),
                                     QStringLiteral("  Latitude max. : 50,83000000"),
                                     QStringLiteral("  Longitude min. : 4,24700000"),
                                     QStringLiteral("  Longitude max. : 4,24900000"), QString(),
                                     QStringLiteral("Nombre de points dans la trace : 3"), QString(),
                                     QStringLiteral("Trace fermée : oui")}))
        << "no altitude section, figures over every point";

    // Without date, altitude and GPS coordinates: no such lines; an open track says so.
    {
        DbGuard db;
        db->exec(QStringLiteral("update Points set \"Date\" = null, Altitude = null, Lat = null where Id_point = ?"),
                 {iseran});
        db->exec(QStringLiteral("update Trace set Fermer = 0, Description = null"));
        db->exec(QStringLiteral("update Points set \"Date\" = null where Trace = ?"), {t});
        db->exec(QStringLiteral("update Points set \"Date\" = 'hier' where Trace = ? and Num_trace = 2"), {t});
    }
    shown = pressWith(outil::kInfoWaypoint, 150000.5, 170000.25);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], (QStringList{kIseran[0], kIseran[2], kIseran[3], kIseran[4], kIseran[5]}));
    shown = pressWith(outil::kInfoTrace, 151000, 171000);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].mid(1, 4), (QStringList{QString(), QStringLiteral("Dates : "), QStringLiteral("  Min. : hier"),
                                               QStringLiteral("  Max. : hier")}))
        << "a date that does not parse is shown as stored";
    EXPECT_EQ(shown[0].last(), QStringLiteral("Trace fermée : non"));
}

TEST_F(Info, EachToolReachesItsOwnKindWithinItsDistance) {
    boucle();
    form->majListes();
    viewAt(150500, 170500, 3000);
    EXPECT_TRUE(pressWith(outil::kInfoWaypoint, 151000, 171000).empty()) << "a track point is no waypoint";
    EXPECT_TRUE(pressWith(outil::kInfoTrace, 150000.5, 170000.25).empty()) << "a waypoint is no track point";

    const struct {
        double tailleVue, dx, dy;
        bool shown;
    } cases[] = {{3000, 30, 40, true}, {3000, 30, 40.001, false}, {20000, 120, 160, true}, {20000, 120.001, 160, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.tailleVue << " " << c.dx << "," << c.dy);
        form->tailleVue = c.tailleVue;
        form->xClic = 150000.5 + c.dx;
        form->yClic = 170000.25 - c.dy;
        EXPECT_EQ(infoWindows([&] { form->infoWaypoint(); }).size(), c.shown ? 1u : 0u);
        form->xClic = 151000 - c.dx;
        form->yClic = 171000 - c.dy;
        EXPECT_EQ(infoWindows([&] { form->infoTrace(); }).size(), c.shown ? 1u : 0u);
    }
}

TEST_F(Info, F1ShowsTheCurrentItemOfAListAndNothingElse) {
    const qint64 other = insertWaypoint(QString(), 0, 0, true);
    {
        DbGuard db;
        db->exec(QStringLiteral("update Points set Nom = null where Id_point = ?"), {other});
    }
    addTrack(QStringLiteral("vide"), {});
    boucle();
    form->majListes();
    const QStringList before = selection();
    ListeNoms* waypoints = list("lstWaypoint");
    ListeNoms* traces = list("lstTrace");

    EXPECT_TRUE(infoWindows([&] { QTest::keyRelease(waypoints, Qt::Key_F1); }).empty()) << "no current item";
    waypoints->setCurrentRow(rowOf(waypoints, QStringLiteral("Col de l'Iseran")));
    EXPECT_TRUE(infoWindows([&] { QTest::keyRelease(waypoints, Qt::Key_F2); }).empty()) << "another key";

    auto shown = infoWindows([&] {
        QTest::keyRelease(waypoints, Qt::Key_F1);
        waypoints->setCurrentRow(rowOf(waypoints, QString()));
        QTest::keyRelease(waypoints, Qt::Key_F1);
    });
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], kIseran);
    EXPECT_EQ(shown[1], (QStringList{QStringLiteral("Coordonnées cartographiques :"), QStringLiteral("  X : 0"),
                                     QStringLiteral("  Y : 0")}))
        << "a waypoint listed as \"\" is found by its key, and only its lines are shown";

    traces->setCurrentRow(rowOf(traces, QStringLiteral("vide")));
    EXPECT_TRUE(infoWindows([&] { QTest::keyRelease(traces, Qt::Key_F1); }).empty()) << "a track without points";
    traces->setCurrentRow(rowOf(traces, QStringLiteral("Boucle")));
    shown = infoWindows([&] { QTest::keyRelease(traces, Qt::Key_F1); });
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].first(), QStringLiteral("Nom : Boucle"));
    EXPECT_EQ(selection(), before) << "F1 never changes the selection";
}

// A long track is read in parts side by side; whatever its rows hold, its figures must be
// those of one query over all its points.
TEST_F(Info, ALongTrackReadInPartsHasTheFiguresOfOneQuery) {
    struct Row {
        const char* name;
        const char* change;  // run on the 2,000 points of the track ?1
    } const rows[] = {
        {"plain", ""},
        {"Nulls", "update Points set Num_trace = case when Num_trace % 7 = 0 then null else Num_trace end, "
                  "\"Date\" = case when Num_trace % 5 = 0 then null else \"Date\" end, "
                  "Altitude = case when Num_trace > 1500 then null else Altitude end where Trace = ?1"},
        {"gaps and negatives", "update Points set Num_trace = (Num_trace - 1000) * 1000 where Trace = ?1"},
        {"mixed types", "update Points set Altitude = case when Num_trace % 3 = 0 then 'haut' else Altitude end, "
                        "\"Date\" = case when Num_trace = 11 then 20 else \"Date\" end where Trace = ?1"},
        {"extremes at the ends", "update Points set X = case Num_trace when 1 then 1e9 when 2000 then -1e9 "
                                 "else X end, Lat = case Num_trace when 1000 then -90 else Lat end where Trace = ?1"},
        {"fractional order", "update Points set Num_trace = Num_trace + 0.5 where Trace = ?1 and Num_trace = 2000"},
        {"no order at all", "update Points set Num_trace = null where Trace = ?1"},
    };
    const QString reference = QStringLiteral(
        "select min(\"Date\"), max(\"Date\"), min(Altitude), max(Altitude), count(Id_point), min(X), max(X), "
        "min(Y), max(Y), min(Lat), max(Lat), min(Lon), max(Lon) from Points where Trace = ?");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const qint64 t = addTrack(QStringLiteral("Longue %1").arg(QLatin1String(row.name)), {});
        DbGuard db;
        db->exec(QStringLiteral("with recursive n(i) as (select 1 union all select i + 1 from n where i < 2000) "
                                "insert into Points (Nom, X, Y, Lat, Lon, Altitude, \"Date\", Trace, Num_trace) "
                                "select 'p', 150000 + (i * 37) % 1999, 160000 - (i * 53) % 1997, 50 + i / 1e4, "
                                "4 - i / 1e4, (i * 17) % 701, printf('2024-01-%02d %02d:00:00', 1 + i % 28, i % 24), "
                                "?1, i from n"),
                 {t});
        if (*row.change) db->exec(QString::fromLatin1(row.change), {t});

        const std::optional<InfoTrace> parts = infoTraceCle(*db, t, 100);
        ASSERT_TRUE(parts);
        Cursor c = db->query(reference, {t});
        ASSERT_TRUE(c.next());
        const QVariant got[] = {parts->minDate, parts->maxDate, parts->minAltitude, parts->maxAltitude, parts->nb,
                                parts->minX,    parts->maxX,    parts->minY,        parts->maxY,        parts->minLat,
                                parts->maxLat,  parts->minLon,  parts->maxLon};
        for (int i = 0; i < 13; ++i) {
            EXPECT_EQ(got[i].typeId(), c.value(i).typeId()) << "figure " << i;
            EXPECT_EQ(got[i], c.value(i)) << "figure " << i << ": " << got[i].toString().toStdString() << " vs "
                                          << c.value(i).toString().toStdString();
        }
        EXPECT_EQ(parts->nomTrace, QVariant(QStringLiteral("Longue %1").arg(QLatin1String(row.name))));
    }
}

}  // namespace
}  // namespace sotrix
