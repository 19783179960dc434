// Selection by date: reading the boxes, the dialog's defaults and refusals, and the
// waypoints and whole tracks selected for a period.
#include "CommandGuard.h"
#include "DateSelection.h"
#include "Database.h"
#include "MapCanvas.h"
#include "State.h"
#include "frmDate.h"
#include "test_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QToolButton>

namespace sotrix::test {
namespace {

const QDate kToday(2021, 3, 10);
const QString kNoResult = QStringLiteral("La sélection n'abouti à aucun résultat.");
const QString kAdd = QStringLiteral(
    "Voulez-vous ajouter la nouvelle sélection à la sélection en cours (OUI) ou créer une nouvelle sélection (NON) ?");

TEST(DateReading, DaysInEveryAcceptedFormAndCountsLikeVal) {
    const QLocale fr(QLocale::French, QLocale::Belgium);
    const std::pair<const char*, QDate> days[] = {
        {"05/03/2021", {2021, 3, 5}}, {"5/3/2021", {2021, 3, 5}},  {"5/3/21", {2021, 3, 5}},
        {"5/3/45", {1945, 3, 5}},     {"1/2/29", {2029, 2, 1}},    {"1/2/30", {1930, 2, 1}},
        {"05-03-2021", {2021, 3, 5}}, {"05.03.2021", {2021, 3, 5}}, {"2021-03-05", {2021, 3, 5}},
        {"05/03/2021 14:00", {2021, 3, 5}}, {" 29/02/2024 ", {2024, 2, 29}},
        {"31/02/2021", {}}, {"29/02/2023", {}}, {"abc", {}}, {"", {}}, {"05/13/2021", {}}, {"5.3.21", {}},
    };
    for (const auto& [text, day] : days) {
        const auto read = litDate(QString::fromUtf8(text), fr);
        EXPECT_EQ(read.value_or(QDate()), day) << text;
        EXPECT_EQ(read.has_value(), day.isValid()) << text;
    }
    const std::pair<const char*, qint64> counts[] = {{"  7", 7},   {"-3", -3}, {"2,5", 2},   {"1.9", 1},
                                                     {"-1.9", -1}, {"x", 0},   {"", 0},      {"+4j", 4},
                                                     {"99999999", 36500},      {"-99999999", -36500}};
    for (const auto& [text, n] : counts) EXPECT_EQ(litNombreJours(QString::fromUtf8(text)), n) << text;
}

class DateSelection : public MapviewTest {
protected:
    void SetUp() override {
        MapviewTest::SetUp();
        state().horloge = [] { return kToday; };
    }
    void TearDown() override {
        if (dialog) delete dialog.data();
        MapviewTest::TearDown();
    }

    qint64 dated(const QString& nom, const QString& when, qint64 trace = 0) {
        DbGuard db;
        return db->insert(QStringLiteral("Points"), {{QStringLiteral("Nom"), nom},
                                                     {QStringLiteral("X"), 150000.0},
                                                     {QStringLiteral("Y"), 170000.0},
                                                     {QStringLiteral("Trace"), trace},
                                                     {QStringLiteral("Date"), when.isEmpty() ? QVariant() : when}});
    }
    void seed() {
        dated(QStringLiteral("W08"), QStringLiteral("2021-03-08 12:00:00"));
        dated(QStringLiteral("W09"), QStringLiteral("2021-03-09 23:59:59"));
        dated(QStringLiteral("W10"), QStringLiteral("2021-03-10 00:00:01"));
        dated(QStringLiteral("W11"), QStringLiteral("2021-03-11 08:00:00"));
        dated(QStringLiteral("W13"), QStringLiteral("2021-03-13 08:00:00"));
        dated(QStringLiteral("WND"), QString());
        const qint64 t1 = addTrack(QStringLiteral("T1"), {});
        dated(QStringLiteral("T1"), QStringLiteral("2021-01-01 10:00:00"), t1);
        dated(QStringLiteral("T1"), QStringLiteral("2021-03-11 10:00:00"), t1);
        const qint64 t2 = addTrack(QStringLiteral("T2"), {});
        dated(QStringLiteral("T2"), QStringLiteral("2020-12-31 10:00:00"), t2);
        form->majListes();
    }
    void select(const QStringList& names) {
        DbGuard db;
        db->exec(QStringLiteral("update Points set Selected = 0"));
        db->exec(QStringLiteral("update Trace set Selected = 0"));
        for (const QString& n : names) {
            db->exec(QStringLiteral("update Points set Selected = 1 where Nom = ?"), {n});
            db->exec(QStringLiteral("update Trace set Selected = 1 where Nom = ?"), {n});
        }
        form->majListes();
    }
    // Selected waypoints, then selected tracks, by name.
    QStringList selected() {
        QStringList out;
        DbGuard db;
        Cursor p = db->query(QStringLiteral("select Nom from Points where Selected <> 0 and Trace = 0 order by Nom"));
        while (p.next()) out << p.value(0).toString();
        Cursor t = db->query(QStringLiteral("select Nom from Trace where Selected <> 0 order by Nom"));
        while (t.next()) out << t.value(0).toString();
        return out;
    }

    bool open() {
        form->findChild<QToolButton*>(QStringLiteral("cmdSelectDate"))->click();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<frmDate*>(w); d && d->isVisible()) dialog = d;
        return !dialog.isNull();
    }
    bool closed() {
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return dialog.isNull();
    }
    template <typename W>
    W* control(const char* name) {
        W* w = dialog->findChild<W*>(QString::fromUtf8(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QLineEdit* edit(const char* name) { return control<QLineEdit>(name); }
    void ok() { control<QPushButton>("cmdOk")->click(); }

    QPointer<frmDate> dialog;
};

TEST_F(DateSelection, OpensOnlyWithDataAndShowsTheStoredPeriodOrToday) {
    EXPECT_FALSE(open());
    EXPECT_TRUE(form->isEnabled());

    dated(QStringLiteral("WND"), QString());
    form->majListes();
    ASSERT_TRUE(open());
    EXPECT_FALSE(form->isEnabled());
    EXPECT_EQ(edit("txtDate1")->text(), QStringLiteral("10/03/2021"));
    EXPECT_EQ(edit("txtDate2")->text(), QStringLiteral("10/03/2021"));
    EXPECT_FALSE(edit("txtNombre")->isEnabled());
    QScrollBar* days = control<QScrollBar>("cmdJour");
    control<QRadioButton>("optNombre")->click();
    EXPECT_FALSE(edit("txtDate1")->isEnabled());
    EXPECT_TRUE(days->isEnabled());
    days->setValue(12);
    EXPECT_EQ(edit("txtNombre")->text(), QStringLiteral("12"));
    edit("txtNombre")->setText(QStringLiteral("40"));
    EXPECT_EQ(days->value(), 12);
    control<QPushButton>("cmdAnnuler")->click();
    EXPECT_TRUE(closed());
    EXPECT_TRUE(form->isEnabled());

    seed();
    ASSERT_TRUE(open());
    EXPECT_EQ(edit("txtDate1")->text(), QStringLiteral("31/12/2020"));
    EXPECT_EQ(edit("txtDate2")->text(), QStringLiteral("13/03/2021"));
}

TEST_F(DateSelection, RefusalsKeepTheDialogAndTheSelection) {
    seed();
    struct Case {
        const char *date1, *date2;
        bool waypoints, tracks;
        const char* message;
    };
    const Case cases[] = {
        {"31/02/2021", "10/03/2021", true, true, "Vous devez sélectionner les dates de début et de fin."},
        {"10/03/2021", "", true, true, "Vous devez sélectionner les dates de début et de fin."},
        {"11/03/2021", "10/03/2021", false, false, "La date de début est supérieure à la date de fin."},
        {"10/03/2021", "11/03/2021", false, false,
         "Vous devez sélectionner sur quel(s) élément(s) (Waypoints et/ou Traces) vous voulez rélaiser la requête."},
    };
    ASSERT_TRUE(open());
    const QStringList before = selection();
    for (const Case& c : cases) {
        edit("txtDate1")->setText(QString::fromUtf8(c.date1));
        edit("txtDate2")->setText(QString::fromUtf8(c.date2));
        control<QCheckBox>("chkWaypoint")->setChecked(c.waypoints);
        control<QCheckBox>("chkTrace")->setChecked(c.tracks);
        prompts->clear();
        ok();
        EXPECT_EQ(prompts->texts(), QStringList{QString::fromUtf8(c.message)}) << c.date1;
        EXPECT_EQ(prompts->prompts()[0].icon, Icon::Exclamation);
        EXPECT_FALSE(closed());
        EXPECT_EQ(selection(), before);
    }
    // A count ignores the boxes of the interval.
    control<QRadioButton>("optNombre")->click();
    control<QCheckBox>("chkWaypoint")->setChecked(true);
    edit("txtDate1")->setText(QStringLiteral("x"));
    prompts->clear();
    ok();
    EXPECT_TRUE(closed());
    EXPECT_EQ(selected(), (QStringList{QStringLiteral("W09"), QStringLiteral("W10"), QStringLiteral("W11")}));
}

TEST_F(DateSelection, PeriodsSelectWholeDaysAndWholeTracks) {
    seed();
    struct Case {
        const char* name;
        const char *date1, *date2, *count;  // count set: the number of days
        int scroll;                         // > 0: the scroll bar gives the count
        QStringList expected;
    };
    const Case cases[] = {
        {"one day", "10/03/2021", "10/03/2021", nullptr, 0, {"W10"}},
        {"interval", "09/03/2021", "11/03/2021", nullptr, 0, {"W09", "W10", "W11", "T1"}},
        {"a track through one point", "1/1/21", "01-01-2021", nullptr, 0, {"T1"}},
        {"N = 0", nullptr, nullptr, "0", 0, {"W10"}},
        {"N = 1", nullptr, nullptr, "1", 0, {"W09", "W10", "W11", "T1"}},
        {"N = -3", nullptr, nullptr, "-3", 0, {}},
        {"no number", nullptr, nullptr, "jours", 0, {"W10"}},
        {"scroll bar", nullptr, nullptr, nullptr, 3, {"W08", "W09", "W10", "W11", "W13", "T1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        select({});
        ASSERT_TRUE(open());
        if (c.date1) {
            edit("txtDate1")->setText(QString::fromUtf8(c.date1));
            edit("txtDate2")->setText(QString::fromUtf8(c.date2));
        } else {
            control<QRadioButton>("optNombre")->click();
            if (c.count) edit("txtNombre")->setText(QString::fromUtf8(c.count));
            if (c.scroll) control<QScrollBar>("cmdJour")->setValue(c.scroll);
        }
        canvas->setPointer(2);
        prompts->clear();
        ok();
        EXPECT_EQ(selected(), c.expected);
        EXPECT_EQ(prompts->texts(), c.expected.isEmpty() ? QStringList{kNoResult} : QStringList());
        expectTrackInvariant();
        EXPECT_TRUE(closed());
        EXPECT_TRUE(form->isEnabled());
        EXPECT_EQ(canvas->pointer(), 1);
        EXPECT_EQ(state().nbWaypointsSel + state().nbTracesSel, c.expected.size());
    }
}

TEST_F(DateSelection, OnlyTheWaypointStepAsksAboutTheCurrentSelection) {
    seed();
    struct Case {
        const char* name;
        bool waypoints, tracks;
        const char *date1, *date2;
        std::optional<Answer> answer;
        QStringList expected;
    };
    const Case cases[] = {
        {"both, new selection", true, true, "11/03/2021", "11/03/2021", Answer::No, {"W11", "T1"}},
        {"both, added", true, true, "11/03/2021", "11/03/2021", Answer::Yes, {"W11", "W13", "T1", "T2"}},
        {"tracks only", false, true, "11/03/2021", "11/03/2021", {}, {"W13", "T1", "T2"}},
        {"no waypoint matching", true, true, "01/01/2021", "01/01/2021", {}, {"W13", "T1", "T2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        select({QStringLiteral("W13"), QStringLiteral("T2")});
        ASSERT_TRUE(open());
        edit("txtDate1")->setText(QString::fromUtf8(c.date1));
        edit("txtDate2")->setText(QString::fromUtf8(c.date2));
        control<QCheckBox>("chkWaypoint")->setChecked(c.waypoints);
        control<QCheckBox>("chkTrace")->setChecked(c.tracks);
        prompts->clear();
        if (c.answer) prompts->answer(*c.answer);
        ok();
        EXPECT_EQ(prompts->texts(), c.answer ? QStringList{kAdd} : QStringList());
        EXPECT_EQ(selected(), c.expected);
        expectTrackInvariant();
        EXPECT_TRUE(closed());
    }
}

TEST_F(DateSelection, DatabaseFailureKeepsTheDialogAndEveryRow) {
    seed();
    {
        DbGuard db;
        db->exec(QStringLiteral("create trigger refuse before update on Points begin "
                                "select raise(abort, 'sélection refusée'); end"));
    }
    ASSERT_TRUE(open());
    const QStringList before = selection();
    ok();
    ASSERT_EQ(prompts->prompts().size(), 1u);
    EXPECT_TRUE(prompts->texts()[0].startsWith(QString::fromUtf8(kMsgErreurBase)));
    EXPECT_EQ(selection(), before);
    EXPECT_FALSE(closed());
    EXPECT_FALSE(form->isEnabled());
}

}  // namespace
}  // namespace sotrix::test
