// Selection from the list side: item clicks, the two select-all boxes and clearing the
// selection keep Points, Trace, the counters and the map in step.
#include "test_fixture.h"

#include "Database.h"
#include "MapCanvas.h"
#include "State.h"

#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

namespace sotrix {
namespace {

using test::kBlue;
using test::kRed;
using test::MapviewTest;

// Selects or unselects the one row showing text, as a click would.
void setNamedSelected(ListeNoms* l, const QString& text, bool selected) {
    const QModelIndexList found = l->model()->match(l->model()->index(0, 0), Qt::DisplayRole, text, -1,
                                                    Qt::MatchExactly | Qt::MatchCaseSensitive);
    ASSERT_EQ(found.size(), 1) << qPrintable(text);
    l->setRowSelected(found.first().row(), selected);
}

class Selection : public MapviewTest {
protected:
    void TearDown() override {
        expectTrackInvariant();
        MapviewTest::TearDown();
    }
};

TEST_F(Selection, ATrackItemSelectsItsTrackAndPointsAndNothingOfTheSameName) {
    const qint64 w = insertWaypoint(QStringLiteral("Col de l'Iseran"), 0, 0);
    const qint64 t = addTrack(QStringLiteral("Col de l'Iseran"), {{-20, -5}, {20, -5}, {20, 5}});
    const qint64 other = addTrack(QStringLiteral("autre"), {{-20, 10}, {20, 10}});
    form->majListes();
    viewAt(0, 0, 100);
    QSignalSpy redrawn(form.get(), &frmAccueil::redrawn);

    setNamedSelected(list("lstTrace"), QStringLiteral("Col de l'Iseran"), true);
    EXPECT_TRUE(traceSelected(t));
    {
        DbGuard db;
        EXPECT_EQ(db->scalar(QStringLiteral("select count(*) from Points where Trace = ? and Selected <> 0"), {t})
                      .toLongLong(),
                  3);
    }
    EXPECT_FALSE(pointSelected(w));
    EXPECT_FALSE(traceSelected(other));
    EXPECT_EQ(state().nbTracesSel, 1);
    EXPECT_EQ(label("lblTraces")->text(), QStringLiteral("Traces (2/1) :"));
    EXPECT_EQ(redrawn.count(), 1);
    EXPECT_TRUE(near(0, -5, kRed));
    EXPECT_EQ(pixelAt(0, 0), kBlue);
    EXPECT_TRUE(prompts->prompts().empty());

    setNamedSelected(list("lstTrace"), QStringLiteral("Col de l'Iseran"), false);
    EXPECT_FALSE(traceSelected(t));
    {
        DbGuard db;
        EXPECT_EQ(db->scalar(QStringLiteral("select count(*) from Points where Selected <> 0")).toLongLong(), 0);
    }
    EXPECT_EQ(state().nbTracesSel, 0);
    EXPECT_EQ(redrawn.count(), 2);
}

TEST_F(Selection, AWaypointItemSelectsOnlyItsOwnRow) {
    const qint64 w = insertWaypoint(QStringLiteral("Col de l'Iseran"), 0, 0);
    const qint64 t = addTrack(QStringLiteral("Col de l'Iseran"), {{-20, -5}, {20, -5}});
    const qint64 lower = insertWaypoint(QStringLiteral("abc"), 5, 5);
    const qint64 upper = insertWaypoint(QStringLiteral("ABC"), 10, 10);
    form->majListes();
    viewAt(0, 0, 100);

    setNamedSelected(list("lstWaypoint"), QStringLiteral("ABC"), true);
    EXPECT_TRUE(pointSelected(upper));
    EXPECT_FALSE(pointSelected(lower));
    EXPECT_EQ(pixelAt(10, 10), kRed);
    EXPECT_EQ(pixelAt(5, 5), kBlue);

    setNamedSelected(list("lstWaypoint"), QStringLiteral("Col de l'Iseran"), true);
    EXPECT_TRUE(pointSelected(w));
    EXPECT_FALSE(traceSelected(t));
    {
        DbGuard db;
        EXPECT_EQ(db->scalar(QStringLiteral("select count(*) from Points where Trace = ? and Selected <> 0"), {t})
                      .toLongLong(),
                  0);
    }
    EXPECT_EQ(state().nbWaypointsSel, 2);
    EXPECT_EQ(label("lblWaypoints")->text(), QStringLiteral("Waypoints (3/2) :"));
}

TEST_F(Selection, AClickWithTheMouseTogglesTheItem) {
    const qint64 a = insertWaypoint(QStringLiteral("a"), 0, 0);
    const qint64 b = insertWaypoint(QStringLiteral("b"), 1, 1);
    form->majListes();
    ListeNoms* l = list("lstWaypoint");
    const QRect r = l->visualRect(l->model()->index(1, 0));
    QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_TRUE(pointSelected(b));
    EXPECT_FALSE(pointSelected(a));
    QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_FALSE(pointSelected(b));
}

TEST_F(Selection, PressesAndDragsInTheListGiveTheRowsTheStateThePressGave) {
    for (int i = 0; i < 8; ++i) insertWaypoint(QStringLiteral("w%1").arg(i), i, i, i % 2 == 1);
    ListeNoms* l = list("lstWaypoint");
    auto mouse = [&](QEvent::Type type, int row) {
        QMouseEvent e(type, QPointF(l->visualRect(l->model()->index(row, 0)).center()), l->viewport()->mapToGlobal(QPointF()),
                      Qt::LeftButton, type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, {});
        QApplication::sendEvent(l->viewport(), &e);
    };
    // Rows by name, '1' for selected; rows a drag leaves again are as they were.
    const struct {
        const char* name;
        std::vector<int> path;  // pressed, then moved over
        const char* after;
    } cases[] = {
        {"a press on an unselected row", {2}, "01110101"},
        {"a press on a selected row", {3}, "01000101"},
        {"a drag from an unselected row", {2, 5}, "01111101"},
        {"a drag from a selected row", {3, 6}, "01000001"},
        {"a drag that comes back", {1, 5, 3}, "00000101"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        {
            DbGuard db;
            db->exec(QStringLiteral("update Points set Selected = Id_point % 2 = 0"));
        }
        form->majListes();
        mouse(QEvent::MouseButtonPress, c.path.front());
        for (size_t i = 1; i < c.path.size(); ++i) mouse(QEvent::MouseMove, c.path[i]);
        mouse(QEvent::MouseButtonRelease, c.path.back());
        const QImage painted = l->viewport()->grab().toImage();
        QString shown, table, highlighted;
        for (int r = 0; r < l->count(); ++r) {
            shown += l->isRowSelected(r) ? QLatin1Char('1') : QLatin1Char('0');
            table += pointSelected(l->key(r)) ? QLatin1Char('1') : QLatin1Char('0');
            const QPoint p(l->viewport()->width() - 3, l->visualRect(l->model()->index(r, 0)).center().y());
            highlighted += painted.pixelColor(p) != l->palette().color(QPalette::Base) ? QLatin1Char('1') : QLatin1Char('0');
        }
        EXPECT_EQ(shown.toStdString(), c.after);
        EXPECT_EQ(table.toStdString(), c.after);
        EXPECT_EQ(highlighted.toStdString(), c.after);
        EXPECT_EQ(state().nbWaypointsSel, qint64(shown.count(QLatin1Char('1'))));
    }
}

TEST_F(Selection, AClickThatLeavesNothingSelectedClearsEveryColumn) {
    insertWaypoint(QStringLiteral("a"), 0, 0, true);
    addTrack(QStringLiteral("t"), {{0, 0}, {1, 1}}, false, true);
    form->majListes();
    list("lstTrace")->setRowSelected(0, false);
    list("lstWaypoint")->setRowSelected(0, false);
    DbGuard db;
    EXPECT_EQ(db->scalar(QStringLiteral("select count(*) from Points where Selected <> 0")).toLongLong(), 0);
    EXPECT_EQ(db->scalar(QStringLiteral("select count(*) from Trace where Selected <> 0")).toLongLong(), 0);
    EXPECT_EQ(state().nbWaypointsSel, 0);
    EXPECT_EQ(state().nbTracesSel, 0);
}

TEST_F(Selection, SelectAllTracksTouchesOnlyTracksAndTheirPoints) {
    const qint64 w1 = insertWaypoint(QStringLiteral("w1"), 0, 0, true);
    const qint64 w2 = insertWaypoint(QStringLiteral("w2"), 1, 1);
    addTrack(QStringLiteral("b"), {{0, 0}, {5, 5}});
    addTrack(QStringLiteral("a"), {{0, 5}, {5, 0}}, true, true);
    form->majListes();
    watchWrites();
    QSignalSpy redrawn(form.get(), &frmAccueil::redrawn);
    QCheckBox* all = box("chkToutTrace");
    ListeNoms* l = list("lstTrace");

    all->click();
    ASSERT_TRUE(all->isChecked());
    DbGuard db;
    EXPECT_EQ(db->scalar(QStringLiteral("select count(*) from Trace where Selected = 0")).toLongLong(), 0);
    EXPECT_EQ(db->scalar(QStringLiteral("select count(*) from Points where Trace > 0 and Selected = 0")).toLongLong(), 0);
    EXPECT_TRUE(pointSelected(w1));
    EXPECT_FALSE(pointSelected(w2));
    EXPECT_EQ(writes("P0"), 0) << "the list click handler did not rewrite the selection";
    EXPECT_EQ(l->selectedCount(), 2);
    EXPECT_EQ(l->currentRow(), 0);
    EXPECT_EQ(state().nbTracesSel, 2);
    EXPECT_EQ(label("lblTraces")->text(), QStringLiteral("Traces (2/2) :"));
    EXPECT_EQ(redrawn.count(), 1);

    all->click();
    ASSERT_FALSE(all->isChecked());
    EXPECT_EQ(db->scalar(QStringLiteral("select count(*) from Trace where Selected <> 0")).toLongLong(), 0);
    EXPECT_EQ(db->scalar(QStringLiteral("select count(*) from Points where Trace > 0 and Selected <> 0")).toLongLong(),
              0);
    EXPECT_TRUE(pointSelected(w1));
    EXPECT_EQ(writes("P0"), 0);
    EXPECT_TRUE(l->selectedCount() == 0);
    EXPECT_EQ(l->currentRow(), 0);
    EXPECT_EQ(state().nbTracesSel, 0);
    EXPECT_EQ(label("lblTraces")->text(), QStringLiteral("Traces (2) :"));
    EXPECT_EQ(redrawn.count(), 2);
    EXPECT_EQ(state().nbWaypointsSel, 1);
}

TEST_F(Selection, SelectAllWaypointsTouchesOnlyWaypoints) {
    insertWaypoint(QStringLiteral("w1"), 0, 0);
    insertWaypoint(QStringLiteral("w2"), 1, 1, true);
    const qint64 t = addTrack(QStringLiteral("t"), {{0, 0}, {5, 5}});
    form->majListes();
    watchWrites();
    box("chkToutWaypoints")->click();
    DbGuard db;
    EXPECT_EQ(db->scalar(QStringLiteral("select count(*) from Points where Trace = 0 and Selected = 0")).toLongLong(),
              0);
    EXPECT_FALSE(traceSelected(t));
    EXPECT_EQ(writes("P+") + writes("T"), 0);
    EXPECT_EQ(list("lstWaypoint")->selectedCount(), 2);
    EXPECT_EQ(state().nbWaypointsSel, 2);
    EXPECT_EQ(list("lstWaypoint")->currentRow(), 0);
}

TEST_F(Selection, SelectAllWithNothingToSelectUnticksTheBoxAndDoesNothingElse) {
    insertWaypoint(QStringLiteral("w"), 0, 0);
    form->majListes();
    watchWrites();
    QSignalSpy redrawn(form.get(), &frmAccueil::redrawn);
    box("chkToutTrace")->click();
    EXPECT_FALSE(box("chkToutTrace")->isChecked());
    EXPECT_EQ(redrawn.count(), 0);
    EXPECT_EQ(writes("P0") + writes("P+") + writes("T"), 0);
}

TEST_F(Selection, ClearingTheSelectionRebuildsTheListsAndKeepsTheBoxes) {
    box("chkToutWaypoints")->setChecked(true);
    form->cmdUnselect_Click();
    EXPECT_TRUE(prompts->prompts().empty());
    EXPECT_TRUE(box("chkToutWaypoints")->isChecked());
    EXPECT_FALSE(box("chkToutTrace")->isChecked());

    insertWaypoint(QStringLiteral("w"), 0, 0, true);
    addTrack(QStringLiteral("t"), {{-10, 5}, {10, 5}}, false, true);
    form->majListes();
    QSignalSpy redrawn(form.get(), &frmAccueil::redrawn);
    form->findChild<QToolButton*>(QStringLiteral("cmdUnselect"))->click();
    EXPECT_EQ(selection().filter(QStringLiteral("=1")), QStringList());
    EXPECT_TRUE(list("lstWaypoint")->selectedCount() == 0);
    EXPECT_TRUE(list("lstTrace")->selectedCount() == 0);
    EXPECT_EQ(state().nbWaypointsSel + state().nbTracesSel, 0);
    EXPECT_EQ(redrawn.count(), 1);
    EXPECT_EQ(pixelAt(0, 0), kBlue);
    EXPECT_TRUE(box("chkToutWaypoints")->isChecked());
}

TEST_F(Selection, AFailedClearRollsBackWarnsOnceAndTheWindowGoesOn) {
    const qint64 w = insertWaypoint(QStringLiteral("w"), 0, 0, true);
    form->majListes();
    {
        DbGuard db;
        db->exec(QStringLiteral("alter table Trace rename to TraceAilleurs"));
    }
    state().modeOutil = 3;
    canvas->setPointer(2);
    form->cmdUnselect_Click();
    ASSERT_EQ(prompts->prompts().size(), 1u);
    EXPECT_EQ(prompts->prompts()[0].icon, Icon::Exclamation);
    EXPECT_TRUE(prompts->prompts()[0].text.startsWith(
        QStringLiteral("Une erreur est survenue lors de l'accès à la base de données : ")));
    EXPECT_TRUE(pointSelected(w)) << "rolled back";
    EXPECT_EQ(state().modeOutil, 0);
    EXPECT_EQ(canvas->pointer(), 0);
    EXPECT_FALSE(form->remplissageListes);

    {
        DbGuard db;
        db->exec(QStringLiteral("alter table TraceAilleurs rename to Trace"));
    }
    prompts->clear();
    form->cmdUnselect_Click();
    EXPECT_TRUE(prompts->prompts().empty());
    EXPECT_FALSE(pointSelected(w));
    EXPECT_EQ(list("lstWaypoint")->count(), 1);
}

TEST_F(Selection, AFailedListClickShowsTheTablesAgain) {
    const qint64 w = insertWaypoint(QStringLiteral("w"), 0, 0);
    insertWaypoint(QStringLiteral("x"), 1, 1);
    form->majListes();
    {
        DbGuard db;
        db->exec(QStringLiteral("create trigger refuse before update on Points when new.Selected <> 0 "
                                "begin select raise(abort, 'refusé'); end"));
    }
    list("lstWaypoint")->setRowSelected(0, true);
    ASSERT_EQ(prompts->prompts().size(), 1u);
    EXPECT_TRUE(prompts->prompts()[0].text.contains(QStringLiteral("refusé")));
    EXPECT_FALSE(pointSelected(w));
    EXPECT_TRUE(list("lstWaypoint")->selectedCount() == 0) << "the list agrees with the table again";
    EXPECT_EQ(list("lstWaypoint")->count(), 2);
    EXPECT_EQ(state().nbWaypointsSel, 0);
}

}  // namespace
}  // namespace sotrix
