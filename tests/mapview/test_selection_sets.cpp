// Selection commands on many rows: select-all and clear-all cost one range whatever was
// selected before, every command writes only the rows whose state changes and leaves the
// values the former whole rewrite left, and a letter typed in a list only moves its
// current item.
#include "map_input.h"
#include "test_fixture.h"

#include "Database.h"
#include "State.h"

#include "frmDate.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QHash>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <functional>

namespace sotrix {
namespace {

using test::MapviewTest;

// Ranges carried by the selection signals a spy recorded.
qint64 rangesCarried(const QSignalSpy& spy) {
    qint64 n = 0;
    for (const QList<QVariant>& args : spy)
        n += args.at(0).value<QItemSelection>().size() + args.at(1).value<QItemSelection>().size();
    return n;
}

// Rows of both snapshots ("table:key=value") whose value differs.
qint64 changedRows(const QStringList& before, const QStringList& after) {
    QHash<QString, QString> values;
    for (const QString& row : before) values.insert(row.section(QLatin1Char('='), 0, 0), row);
    qint64 n = 0;
    for (const QString& row : after) {
        const auto it = values.constFind(row.section(QLatin1Char('='), 0, 0));
        if (it != values.constEnd() && *it != row) ++n;
    }
    return n;
}

TEST_F(MapviewTest, SelectAllAndClearAllAfterAScatteredSelectionCarryOneRange) {
    constexpr int kRows = 20000;
    {
        DbGuard db;
        Transaction tx(*db);
        Statement st = db->prepare(QStringLiteral("insert into Points (Nom, X, Y, Trace, Selected) values (?, 0, 0, 0, ?)"));
        for (int i = 0; i < kRows; ++i) st.run({QStringLiteral("w%1").arg(i, 5, 10, QLatin1Char('0')), i % 2});
        tx.commit();
    }
    ListeNoms* l = list("lstWaypoint");
    QCheckBox* all = box("chkToutWaypoints");
    const struct {
        const char* name;
        std::function<void()> command;
        int selectedAfter;
    } cases[] = {
        {"ticking the box", [&] { all->setChecked(false), all->click(); }, kRows},
        {"unticking the box", [&] { all->setChecked(true), all->click(); }, 0},
        {"Ctrl+A in the list", [&] { QTest::keyClick(l, Qt::Key_A, Qt::ControlModifier); }, kRows},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        {
            DbGuard db;
            db->exec(QStringLiteral("update Points set Selected = Id_point % 2"));
        }
        form->majListes();
        ASSERT_EQ(l->selectedCount(), kRows / 2);
        QSignalSpy changed(l->selectionModel(), &QItemSelectionModel::selectionChanged);
        c.command();
        EXPECT_LE(rangesCarried(changed), 1);
        EXPECT_EQ(l->selectedCount(), c.selectedAfter);
        EXPECT_EQ(state().nbWaypointsSel, c.selectedAfter);
        DbGuard db;
        EXPECT_EQ(db->scalar(QStringLiteral("select count(*) from Points where Selected <> 0")).toLongLong(),
                  c.selectedAfter);
    }
}

class SelectionSets : public MapviewTest {
protected:
    void SetUp() override {
        MapviewTest::SetUp();
        for (const char* name : {"alpha", "bravo", "Beta", "charlie", "delta", "echo"})
            ids.push_back(insertWaypoint(QString::fromLatin1(name), 10.0 * qint64(ids.size()), 0));
        tracks = {addTrack(QStringLiteral("t1"), {{0, 10}, {5, 10}, {10, 10}}),
                  addTrack(QStringLiteral("t2"), {{0, 20}, {5, 20}}),
                  addTrack(QStringLiteral("t3"), {{0, 30}, {5, 30}})};
        viewAt(25, 15, 100);
        // charlie and t1 on the day the period chooses.
        DbGuard db;
        db->exec(QStringLiteral("update Points set \"Date\" = case when Id_point = ? or Trace = ? then "
                                "'2024-05-01 10:00:00' else '2023-01-01 10:00:00' end"),
                 {ids[3], tracks[0]});
    }
    // The selection before a command: alpha, charlie, delta and the track t2.
    void initialSelection() {
        DbGuard db;
        db->exec(QStringLiteral("update Points set Selected = (Id_point in (?, ?, ?) or Trace = ?)"),
                 {ids[0], ids[3], ids[4], tracks[1]});
        db->exec(QStringLiteral("update Trace set Selected = (Id_trace = ?)"), {tracks[1]});
    }
    // A copy of the rows for the former statements, and its selection as selection() gives.
    void copyRows() {
        DbGuard db;
        db->exec(QStringLiteral("drop table if exists RefP"));
        db->exec(QStringLiteral("drop table if exists RefT"));
        db->exec(QStringLiteral("create table RefP as select Id_point, Trace, X, Y, Selected from Points"));
        db->exec(QStringLiteral("create table RefT as select Id_trace, Selected from Trace"));
    }
    QStringList former() {
        QStringList out;
        DbGuard db;
        for (Cursor p = db->query(QStringLiteral("select Id_point, Selected from RefP order by 1")); p.next();)
            out << QStringLiteral("P:%1=%2").arg(p.value(0).toLongLong()).arg(p.value(1).toLongLong());
        for (Cursor t = db->query(QStringLiteral("select Id_trace, Selected from RefT order by 1")); t.next();)
            out << QStringLiteral("T:%1=%2").arg(t.value(0).toLongLong()).arg(t.value(1).toLongLong());
        return out;
    }
    // The former selection by list: every row cleared, then each selected item written.
    void formerListWrite() {
        DbGuard db;
        db->exec(QStringLiteral("update RefP set Selected = 0"));
        db->exec(QStringLiteral("update RefT set Selected = 0"));
        for (qint64 k : list("lstWaypoint")->selectedKeys())
            db->exec(QStringLiteral("update RefP set Selected = 1 where Id_point = ? and Trace = 0"), {k});
        for (qint64 k : list("lstTrace")->selectedKeys()) {
            db->exec(QStringLiteral("update RefT set Selected = 1 where Id_trace = ?"), {k});
            db->exec(QStringLiteral("update RefP set Selected = 1 where Trace = ?"), {k});
        }
    }
    void formerSql(const QStringList& statements) {
        DbGuard db;
        for (const QString& sql : statements) db->exec(sql);
    }
    int rowOf(const char* list, const char* text) {
        ListeNoms* l = this->list(list);
        for (int r = 0; r < l->count(); ++r)
            if (l->text(r) == QString::fromLatin1(text)) return r;
        ADD_FAILURE() << text;
        return 0;
    }
    // The keys the list shows selected, against the rows selected in the table.
    void expectListMatchesTable(const char* list, const char* sql) {
        std::vector<qint64> table;
        DbGuard db;
        for (Cursor c = db->query(QString::fromLatin1(sql)); c.next();) table.push_back(c.value(0).toLongLong());
        std::vector<qint64> shown = this->list(list)->selectedKeys();
        std::sort(shown.begin(), shown.end());
        EXPECT_EQ(shown, table) << list;
    }
    std::vector<qint64> ids, tracks;
};

TEST_F(SelectionSets, EachCommandLeavesTheFormerValuesAndWritesOnlyWhatChanges) {
    ListeNoms* wl = list("lstWaypoint");
    ListeNoms* tl = list("lstTrace");
    auto boxOver = [this](double x1, double x2) {
        form->boiteX = {x1, x2};
        form->boiteY = {-1, 1};
        form->selectWaypoint();
    };
    const QStringList formerBox = {QStringLiteral("update RefP set Selected = 1 where Trace = 0 and X >= 15 and X <= 35 "
                                                  "and Y >= -1 and Y <= 1")};
    const QStringList clearAll = {QStringLiteral("update RefP set Selected = 0"), QStringLiteral("update RefT set Selected = 0")};
    const struct {
        const char* name;
        std::function<void()> command;
        std::function<void()> former;  // on the copy, after the command
        int redraws;
    } cases[] = {
        {"a click selecting a waypoint", [&] { wl->setRowSelected(rowOf("lstWaypoint", "bravo"), true); },
         [&] { formerListWrite(); }, 1},
        {"a click unselecting a track", [&] { tl->setRowSelected(rowOf("lstTrace", "t2"), false); },
         [&] { formerListWrite(); }, 1},
        {"a click selecting a track", [&] { tl->setRowSelected(rowOf("lstTrace", "t3"), true); },
         [&] { formerListWrite(); }, 1},
        {"Ctrl+A in the waypoint list", [&] { QTest::keyClick(wl, Qt::Key_A, Qt::ControlModifier); },
         [&] { formerListWrite(); }, 1},
        {"Ctrl+A in the track list", [&] { QTest::keyClick(tl, Qt::Key_A, Qt::ControlModifier); },
         [&] { formerListWrite(); }, 1},
        {"ticking every waypoint", [&] { box("chkToutWaypoints")->setChecked(false), box("chkToutWaypoints")->click(); },
         [&] { formerSql({QStringLiteral("update RefP set Selected = 1 where Trace = 0")}); }, 1},
        {"unticking every track", [&] { box("chkToutTrace")->setChecked(true), box("chkToutTrace")->click(); },
         [&] {
             formerSql({QStringLiteral("update RefT set Selected = 0"),
                        QStringLiteral("update RefP set Selected = 0 where Trace > 0")});
         },
         1},
        {"a box replacing the selection",
         [&] {
             prompts->answer(Answer::No);
             boxOver(15, 35);
         },
         [&] { formerSql(clearAll + formerBox); }, 1},
        {"a box added to the selection",
         [&] {
             prompts->answer(Answer::Yes);
             boxOver(35, 15);
         },
         [&] { formerSql(formerBox); }, 1},
        {"clearing the selection", [&] { form->cmdUnselect_Click(); }, [&] { formerSql(clearAll); }, 1},
        {"a press on a selected waypoint replacing the selection",
         [&] {
             prompts->answer(Answer::No);
             form->boiteX = {30, 30};
             form->boiteY = {0, 0};
             form->selectWaypoint();
         },
         [&] { formerSql(clearAll + QStringList{QStringLiteral("update RefP set Selected = 1 where X = 30 and Trace = 0")}); },
         1},
        {"a press on a selected track replacing the selection",
         [&] {
             prompts->answer(Answer::No);
             form->xClic = 0;
             form->yClic = 20;
             form->selectTrace();
         },
         [&] {
             formerSql(clearAll + QStringList{QStringLiteral("update RefP set Selected = 1 where Trace = %1").arg(tracks[1]),
                                              QStringLiteral("update RefT set Selected = 1 where Id_trace = %1").arg(tracks[1])});
         },
         1},
        {"a period replacing the selection",
         [&] {
             prompts->answer(Answer::No);
             form->findChild<QToolButton*>(QStringLiteral("cmdSelectDate"))->click();
             for (QWidget* w : QApplication::topLevelWidgets())
                 if (auto* d = qobject_cast<frmDate*>(w); d && d->isVisible()) {
                     for (const char* box : {"txtDate1", "txtDate2"})
                         d->findChild<QLineEdit*>(QString::fromLatin1(box))->setText(QStringLiteral("01/05/2024"));
                     d->findChild<QPushButton*>(QStringLiteral("cmdOk"))->click();
                 }
         },
         [&] {
             formerSql(clearAll + QStringList{QStringLiteral("update RefP set Selected = 1 where Id_point = %1 or Trace = %2")
                                                  .arg(ids[3])
                                                  .arg(tracks[0]),
                                              QStringLiteral("update RefT set Selected = 1 where Id_trace = %1").arg(tracks[0])});
         },
         1},
        {"deleting the selection",
         [&] {
             prompts->answer(Answer::Yes);
             form->cmdSupprimer_Click();
         },
         [&] {
             formerSql({QStringLiteral("delete from RefP where Trace = 0 and Selected <> 0"),
                        QStringLiteral("delete from RefP where Trace in (select Id_trace from RefT where Selected <> 0)"),
                        QStringLiteral("delete from RefT where Selected <> 0")});
         },
         1},
        {"a letter", [&] { QTest::keyClick(wl, Qt::Key_B); }, [] {}, 0},
        {"Space",
         [&] {
             wl->setCurrentRow(rowOf("lstWaypoint", "echo"));
             QTest::keyClick(wl, Qt::Key_Space);
         },
         [&] { formerListWrite(); }, 1},
    };
    watchWrites();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        initialSelection();
        form->majListes();
        wl->setCurrentRow(0);
        copyRows();
        const QStringList before = selection();
        const qint64 writtenBefore = writes("P0") + writes("P+") + writes("T");
        prompts->clear();
        QSignalSpy redrawn(form.get(), &frmAccueil::redrawn);
        c.command();
        c.former();
        const QStringList after = selection();
        EXPECT_EQ(after, former());
        const qint64 changed = changedRows(before, after);
        EXPECT_EQ(writes("P0") + writes("P+") + writes("T") - writtenBefore, changed) << "rows written";
        EXPECT_EQ(redrawn.count(), c.redraws);
        expectListMatchesTable("lstWaypoint", "select Id_point from Points where Trace = 0 and Selected <> 0 order by 1");
        expectListMatchesTable("lstTrace", "select Id_trace from Trace where Selected <> 0 order by 1");
        EXPECT_EQ(state().nbWaypointsSel, wl->selectedCount());
        EXPECT_EQ(state().nbTracesSel, tl->selectedCount());
        expectTrackInvariant();
    }
}

TEST_F(SelectionSets, ALetterMovesTheCurrentItemToTheNextNameStartingWithIt) {
    insertWaypoint(QStringLiteral("Ëcho"), 0, 0);
    form->majListes();
    ListeNoms* l = list("lstWaypoint");
    l->setFocus();
    l->setCurrentRow(0);
    QTest::keyClick(l, Qt::Key_B);
    EXPECT_EQ(l->text(l->currentRow()), QStringLiteral("Beta"));
    EXPECT_EQ(l->selectedCount(), 0);
    QTest::qWait(QApplication::keyboardInputInterval() + 50);
    QTest::keyClick(l, Qt::Key_B);
    EXPECT_EQ(l->text(l->currentRow()), QStringLiteral("bravo"));
    EXPECT_EQ(l->selectedCount(), 0);
    QTest::qWait(QApplication::keyboardInputInterval() + 50);
    l->keyboardSearch(QStringLiteral("ë"));
    EXPECT_EQ(l->text(l->currentRow()), QStringLiteral("Ëcho"));
    QTest::qWait(QApplication::keyboardInputInterval() + 50);
    QTest::keyClicks(l, QStringLiteral("ec"));
    EXPECT_EQ(l->text(l->currentRow()), QStringLiteral("echo"));
    EXPECT_EQ(l->selectedCount(), 0);
    EXPECT_EQ(selection().filter(QStringLiteral("=1")), QStringList());
}

TEST_F(SelectionSets, ABoxAfterRowsChangedBehindTheListsShowsTheTables) {
    form->majListes();
    const qint64 added = insertWaypoint(QStringLiteral("foxtrot"), 20, 0.5);
    form->boiteX = {15, 25};
    form->boiteY = {-1, 1};
    form->selectWaypoint();
    EXPECT_EQ(list("lstWaypoint")->count(), 7);
    expectListMatchesTable("lstWaypoint", "select Id_point from Points where Trace = 0 and Selected <> 0 order by 1");
    EXPECT_TRUE(pointSelected(added));
    EXPECT_EQ(state().nbWaypoints, 7);
    EXPECT_EQ(state().nbWaypointsSel, 2);
}

}  // namespace
}  // namespace sotrix
