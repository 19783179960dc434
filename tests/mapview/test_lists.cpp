// The two lists and their counters, rebuilt from the tables.
#include "test_fixture.h"

#include "Database.h"
#include "State.h"

#include <QCheckBox>
#include <QLabel>
#include <QLocale>
#include <QSignalSpy>

#include <iterator>
#include <random>

namespace sotrix {
namespace {

using test::MapviewTest;

QStringList texts(ListeNoms* l) {
    QStringList out;
    for (int i = 0; i < l->count(); ++i) out << l->text(i);
    return out;
}

QStringList selectedTexts(ListeNoms* l) {
    QStringList out;
    for (int i = 0; i < l->count(); ++i)
        if (l->isRowSelected(i)) out << l->text(i);
    return out;
}

TEST_F(MapviewTest, EmptyTablesGiveEmptyListsAndBareCaptions) {
    form->majListes();
    EXPECT_EQ(list("lstWaypoint")->count(), 0);
    EXPECT_EQ(list("lstTrace")->count(), 0);
    const State& s = state();
    EXPECT_EQ(s.nbWaypoints + s.nbWaypointsSel + s.nbTraces + s.nbTracesSel, 0);
    EXPECT_EQ(label("lblWaypoints")->text(), QStringLiteral("Waypoints :"));
    EXPECT_EQ(label("lblTraces")->text(), QStringLiteral("Traces :"));
    EXPECT_TRUE(label("lblWaypoints")->toolTip().isEmpty());
    EXPECT_TRUE(label("lblTraces")->toolTip().isEmpty());
}

TEST_F(MapviewTest, ItemsComeInNameOrderWithoutRegardToCaseAndCarryTheirKeys) {
    const qint64 b = insertWaypoint(QStringLiteral("b"), 0, 0, true);
    const qint64 a = insertWaypoint(QStringLiteral("A"), 0, 0);
    const qint64 c = insertWaypoint(QStringLiteral("c"), 0, 0);
    const qint64 eb = insertWaypoint(QStringLiteral("éb"), 0, 0);
    const qint64 ea = insertWaypoint(QStringLiteral("Éa"), 0, 0);
    {
        DbGuard db;
        db->exec(QStringLiteral("update Points set Selected = 2 where Id_point = ?"), {c});  // non-zero is true
    }
    form->majListes();
    ListeNoms* l = list("lstWaypoint");
    EXPECT_EQ(texts(l), (QStringList{"A", "b", "c", "Éa", "éb"}));
    EXPECT_EQ(selectedTexts(l), (QStringList{"b", "c"}));
    const qint64 keys[] = {a, b, c, ea, eb};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(l->key(i), keys[i]);
    EXPECT_EQ(state().nbWaypoints, 5);
    EXPECT_EQ(state().nbWaypointsSel, 2);
}

TEST_F(MapviewTest, BothListsSortNamesInFrenchOrderWithTiesByKey) {
    // Stored out of order; "église" is stored before "Église", which equals it.
    const char* const stored[] = {"Zoo", "église", "Forêt", "Abbaye", "Église", "Écluse"};
    for (const char* name : stored) {
        insertWaypoint(QString::fromUtf8(name), 0, 0);
        addTrack(QString::fromUtf8(name), {{0, 0}});
    }
    form->majListes();
    const QStringList expected{"Abbaye", "Écluse", "église", "Église", "Forêt", "Zoo"};
    EXPECT_EQ(texts(list("lstWaypoint")), expected);
    EXPECT_EQ(texts(list("lstTrace")), expected);
    for (const char* name : {"lstWaypoint", "lstTrace"}) {
        ListeNoms* l = list(name);
        EXPECT_LT(l->key(2), l->key(3)) << name;
    }
}

TEST_F(MapviewTest, ListsFollowTheDatabaseOrderWithNullNamesFirst) {
    // Case, accent and ligature variants, Null and "", each name twice under other keys.
    const char* const names[] = {"église", "", "Zoo", "ÉGLISE", "oeuvre", "œuvre", "Abbé", "abbe", "Straße",
                                 "strasse", "K", "\u212A", "Pont 12", "Pontoise", "wp10", "wp9"};
    {
        DbGuard db;
        for (int round = 0; round < 2; ++round) {
            for (const char* name : names) {
                db->exec(QStringLiteral("insert into Points (Nom, X, Y, Trace) values (?, 0, 0, 0)"),
                         {QString::fromUtf8(name)});
                db->exec(QStringLiteral("insert into Trace (Nom) values (?)"), {QString::fromUtf8(name)});
            }
            db->exec(QStringLiteral("insert into Points (Nom, X, Y, Trace) values (null, 0, 0, 0)"));
            db->exec(QStringLiteral("insert into Trace (Nom) values (null)"));
        }
    }
    form->majListes();
    const struct {
        const char* list;
        const char* sql;
    } cases[] = {{"lstWaypoint", "select Id_point from Points where Trace = 0 order by Nom, Id_point"},
                 {"lstTrace", "select Id_trace from Trace order by Nom, Id_trace"}};
    for (const auto& c : cases) {
        std::vector<qint64> expected, shown;
        DbGuard db;
        for (Cursor k = db->query(QString::fromLatin1(c.sql)); k.next();) expected.push_back(k.value(0).toLongLong());
        ListeNoms* l = list(c.list);
        for (int i = 0; i < l->count(); ++i) shown.push_back(l->key(i));
        EXPECT_EQ(shown, expected) << c.list;
    }
}

// Names that share long beginnings, end early, differ only in case, or hold other
// letters within their first bytes: the list's order is the database's all the same.
TEST_F(MapviewTest, ManyNamesAreListedInTheDatabaseOrder) {
    const char* const starts[] = {"", "Point ", "point ", "POINT 0", "Point 00000", "Pé", "É", "pointe", "P"};
    const char* const letters[] = {"0", "1", "9", "a", "B", "z", "é", "É", "œ", "ß", "\u212A", " ", "-", "~"};
    const struct {
        const char* what;
        const char* shared;  // before every name
    } cases[] = {{"nothing shared", ""}, {"a shared beginning", "Waypoint "}, {"a shared accent", "Étang "}};
    std::mt19937 rng(25);
    for (const auto& c : cases) {
        {
            DbGuard db;
            db->exec(QStringLiteral("delete from Points"));
            Transaction tx(*db);
            Statement insert(*db, QStringLiteral("insert into Points (Nom, X, Y, Trace) values (?1, 0, 0, 0)"));
            for (int i = 0; i < 3000; ++i) {
                QString name = QString::fromUtf8(c.shared) + QString::fromUtf8(starts[rng() % std::size(starts)]);
                for (int n = int(rng() % 13); n > 0; --n) name += QString::fromUtf8(letters[rng() % std::size(letters)]);
                if (i % 500 == 0)
                    insert.bindNull(1);
                else
                    insert.bindText(1, name);
                insert.execute();
            }
            tx.commit();
        }
        form->majListes();
        std::vector<qint64> expected, shown;
        DbGuard db;
        for (Cursor k = db->query(QStringLiteral("select Id_point from Points where Trace = 0 order by Nom, Id_point"));
             k.next();)
            expected.push_back(k.value(0).toLongLong());
        ListeNoms* l = list("lstWaypoint");
        for (int i = 0; i < l->count(); ++i) shown.push_back(l->key(i));
        EXPECT_EQ(shown, expected) << c.what;
    }
}

TEST_F(MapviewTest, TrackPointsAreNeverListedOrCounted) {
    insertWaypoint(QStringLiteral("w"), 0, 0);
    const qint64 t1 = addTrack(QStringLiteral("t2"), {{0, 0}, {1, 1}}, false, false);
    addTrack(QStringLiteral("T1"), {{0, 0}}, true, true);
    {
        DbGuard db;
        db->exec(QStringLiteral("update Points set Selected = 1 where Trace = ?"), {t1});
    }
    form->majListes();
    EXPECT_EQ(texts(list("lstWaypoint")), QStringList{"w"});
    EXPECT_EQ(texts(list("lstTrace")), (QStringList{"T1", "t2"}));
    EXPECT_EQ(selectedTexts(list("lstTrace")), QStringList{"T1"});
    EXPECT_EQ(state().nbWaypoints, 1);
    EXPECT_EQ(state().nbWaypointsSel, 0);
    EXPECT_EQ(state().nbTraces, 2);
    EXPECT_EQ(state().nbTracesSel, 1);
}

TEST_F(MapviewTest, CaptionsAndToolTipsStateCountsAndSelection) {
    for (int i = 0; i < 12; ++i) insertWaypoint(QStringLiteral("w%1").arg(i), i, i, i < 3);
    for (int i = 0; i < 4; ++i) addTrack(QStringLiteral("t%1").arg(i), {{0, 0}, {1, 1}});
    form->majListes();
    EXPECT_EQ(label("lblWaypoints")->text(), QStringLiteral("Waypoints (12/3) :"));
    EXPECT_EQ(label("lblWaypoints")->toolTip(), QStringLiteral("Nb. : 12, Nb. select. : 3"));
    EXPECT_EQ(label("lblTraces")->text(), QStringLiteral("Traces (4) :"));
    EXPECT_EQ(label("lblTraces")->toolTip(), QStringLiteral("Nb. : 4"));
}

TEST_F(MapviewTest, LargeCountsAreWrittenWithoutGroupingUnderAFrenchLocale) {
    {
        DbGuard db;
        Transaction tx(*db);
        Statement st = db->prepare(QStringLiteral("insert into Points (Nom, X, Y, Trace) values (?, 0, 0, 0)"));
        for (int i = 0; i < 12345; ++i) st.run({QStringLiteral("p%1").arg(i)});
        tx.commit();
    }
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::French, QLocale::Belgium));
    form->majListes();
    QLocale::setDefault(saved);
    EXPECT_EQ(label("lblWaypoints")->text(), QStringLiteral("Waypoints (12345) :"));
    EXPECT_EQ(label("lblWaypoints")->toolTip(), QStringLiteral("Nb. : 12345"));
    EXPECT_EQ(list("lstWaypoint")->count(), 12345);
}

TEST_F(MapviewTest, SelectedRunsComeBackAsStoredAndAreWrittenBackUnchanged) {
    // One character per waypoint in name order: 'x' stored as selected.
    const struct {
        const char* name;
        QByteArray stored;
    } cases[] = {{"none", "......"},     {"all", "xxxxxx"},       {"first", "x....."},
                 {"last", ".....x"},     {"alternate", "x.x.x."}, {"runs", ".xx.xx"},
                 {"one row", "x"},       {"empty", ""},
                 // Runs that meet, start or end where a word of 64 rows does.
                 {"across words", QByteArray(63, '.') + "xx" + QByteArray(62, '.') + "xxx" + QByteArray(63, 'x')},
                 {"whole words", QByteArray(128, 'x') + "." + QByteArray(64, 'x')}};
    for (const auto& c : cases) {
        {
            DbGuard db;
            db->exec(QStringLiteral("delete from Points"));
        }
        const QByteArray& stored = c.stored;
        std::vector<qint64> keys;
        for (int i = 0; i < stored.size(); ++i)
            keys.push_back(insertWaypoint(QStringLiteral("w%1").arg(i, 3, 10, QLatin1Char('0')), i, i, stored[i] == 'x'));
        form->majListes();
        ListeNoms* l = list("lstWaypoint");
        QByteArray shown;
        std::vector<qint64> selectedKeys;
        for (int i = 0; i < l->count(); ++i) {
            shown += l->isRowSelected(i) ? 'x' : '.';
            EXPECT_EQ(l->key(i), keys[size_t(i)]) << c.name;
            if (l->isRowSelected(i)) selectedKeys.push_back(keys[size_t(i)]);
        }
        EXPECT_EQ(shown, stored) << c.name;
        EXPECT_EQ(state().nbWaypointsSel, stored.count('x')) << c.name;
        EXPECT_EQ(l->selectedCount(), stored.count('x')) << c.name;
        EXPECT_EQ(l->selectedKeys(), selectedKeys) << c.name;
        const QStringList before = selection();
        form->selectListes();
        EXPECT_EQ(selection(), before) << c.name;
    }
}

TEST_F(MapviewTest, ARebuildWritesNothingBackAndRaisesNoClick) {
    insertWaypoint(QStringLiteral("a"), 0, 0, true);
    insertWaypoint(QStringLiteral("b"), 0, 0);
    addTrack(QStringLiteral("t"), {{0, 0}, {1, 0}}, false, true);
    watchWrites();
    const QStringList before = selection();
    QSignalSpy redrawn(form.get(), &frmAccueil::redrawn);
    form->majListes();
    form->majListes();
    EXPECT_EQ(selection(), before);
    EXPECT_EQ(writes("P0") + writes("P+") + writes("T"), 0);
    EXPECT_EQ(redrawn.count(), 0);
    EXPECT_FALSE(form->remplissageListes);
}

TEST_F(MapviewTest, ARebuildReplacesItemsAndShowsANullNameAsEmpty) {
    const qint64 gone = insertWaypoint(QStringLiteral("parti"), 0, 0);
    insertWaypoint(QStringLiteral("reste"), 0, 0);
    form->majListes();
    {
        DbGuard db;
        db->exec(QStringLiteral("delete from Points where Id_point = ?"), {gone});
        db->exec(QStringLiteral("insert into Points (Nom, X, Y, Trace, Selected) values (null, 1, 1, 0, 1)"));
        db->exec(QStringLiteral("insert into Points (Nom, X, Y, Trace) values ('RESTE', 1, 1, 0)"));
    }
    form->majListes();
    ListeNoms* l = list("lstWaypoint");
    EXPECT_EQ(texts(l), (QStringList{"", "reste", "RESTE"}));
    EXPECT_TRUE(l->isRowSelected(0));
    EXPECT_TRUE(l->model()->flags(l->model()->index(0, 0)) & Qt::ItemIsSelectable);
    EXPECT_EQ(label("lblWaypoints")->text(), QStringLiteral("Waypoints (3/1) :"));
}

TEST_F(MapviewTest, AFailedRebuildKeepsListsAndCountersAsTheyWereAndReleasesTheGuard) {
    insertWaypoint(QStringLiteral("a"), 0, 0, true);
    addTrack(QStringLiteral("t"), {{0, 0}, {1, 0}});
    form->majListes();
    ASSERT_EQ(list("lstWaypoint")->count(), 1);
    {
        DbGuard db;
        db->exec(QStringLiteral("alter table Trace rename to TraceAilleurs"));
    }
    EXPECT_THROW(form->majListes(), DbError);
    EXPECT_FALSE(form->remplissageListes);
    EXPECT_EQ(list("lstWaypoint")->count(), 1);
    EXPECT_EQ(list("lstTrace")->count(), 1);
    EXPECT_EQ(state().nbWaypoints + state().nbWaypointsSel + state().nbTraces + state().nbTracesSel, 3);
    EXPECT_TRUE(state().comptesIncertains);
    EXPECT_EQ(label("lblWaypoints")->text(), QStringLiteral("Waypoints (1/1) :"));
    EXPECT_TRUE(prompts->prompts().empty()) << "the caller's guard reports";
    {
        DbGuard db;
        db->exec(QStringLiteral("alter table TraceAilleurs rename to Trace"));
    }
    form->majListes();
    EXPECT_FALSE(state().comptesIncertains);
}

}  // namespace
}  // namespace sotrix
