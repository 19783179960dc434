// The selection commands on a workspace of 1,000,000 waypoints and 1,000 tracks of 1,000
// points (steps of up to 50 m), every point dated: list clicks, Ctrl+A, the "Tout
// sélectionner" box, a box and presses on the map, a period of dates, deleting, a letter and
// Space in the list; then, with a track of 5,000,000 points added, that track chosen in its
// list. Each prints its own time apart from the redraw it ends with, and its Selected values
// are compared row by row with those the plain statements of the former code give on a copy
// of the same rows. Where a command must write many rows, the sqlite3 shell writing the same
// rows on the same file is the yardstick: the ratio of the two in each run.
// An argument runs only the commands whose name holds it.
#include "Database.h"
#include "DeliveredCopy.h"
#include "Median.h"
#include "NumericLocale.h"
#include "Prompter.h"
#include "Settings.h"
#include "Stopwatch.h"
#include "State.h"
#include "frmAccueil.h"
#include "frmDate.h"

#include "ListeNoms.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QProcess>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

using namespace sotrix;

constexpr int kWaypoints = 1000000;
constexpr int kTracks = 1000;
constexpr int kTrackPoints = 1000;
constexpr int kRuns = 5;
constexpr int kLongTrackPoints = 5000000;
// Days over which the points are dated, and the period chosen: about a tenth of them.
constexpr int kDays = 1000;
const char* const kPeriodFrom = "2020-01-01";
const char* const kPeriodTo = "2020-04-10";
constexpr double kSide = 100000;  // metres
// A box holding about 106,000 of the waypoints.
constexpr double kBoxSide = 32600;

[[noreturn]] void fail(const char* why) {
    std::fprintf(stderr, "bench_selection: %s\n", why);
    std::exit(1);
}

// Answers every question with the answer set before the command.
class Answering final : public Prompter {
public:
    Answer answer = Answer::Yes;
    Answer message(const QString&, Icon, Buttons, Answer) override { return answer; }
    std::optional<QString> input(const QString&, const QString&, const QString&) override { fail("input"); }
    std::optional<FileChoice> openFile(const FileRequest&) override { fail("open dialog"); }
    std::optional<FileChoice> saveFile(const FileRequest&) override { fail("save dialog"); }
    std::optional<QString> chooseFolder(const QString&, const QString&) override { fail("folder"); }
    std::optional<qint32> chooseColor(qint32) override { fail("colour"); }
    bool openUrl(const QString&) override { fail("url"); }
};

// The window, with the time of its redraws kept apart.
class Window final : public frmAccueil {
public:
    void redraw() override {
        const bench::Stopwatch t;
        frmAccueil::redraw();
        redrawSeconds += t.seconds();
    }
    double redrawSeconds = 0;
};

void fill(Database& db) {
    QRandomGenerator rng(1789);
    Transaction tx(db);
    const QDate first(2020, 1, 1);
    auto day = [&](int d) { return first.addDays(d).toString(QStringLiteral("yyyy-MM-dd 12:00:00")); };
    Statement wp = db.prepare(QStringLiteral("insert into Points (Nom, X, Y, Trace, \"Date\") values (?, ?, ?, 0, ?)"));
    for (int i = 0; i < kWaypoints; ++i)
        wp.run({QStringLiteral("WPT %1").arg(rng.bounded(100000000), 8, 10, QLatin1Char('0')),
                rng.bounded(kSide), rng.bounded(kSide), day(rng.bounded(kDays))});
    Statement tr = db.prepare(QStringLiteral("insert into Trace (Nom, Nb) values (?, ?)"));
    Statement pt = db.prepare(
        QStringLiteral("insert into Points (Nom, X, Y, Trace, Num_trace, \"Date\") values (?, ?, ?, ?, ?, ?)"));
    for (int t = 0; t < kTracks; ++t) {
        const qint64 id = db.insert(QStringLiteral("Trace"),
                                    {{QStringLiteral("Nom"), QStringLiteral("Trace %1").arg(t)},
                                     {QStringLiteral("Nb"), kTrackPoints}});
        double x = rng.bounded(kSide), y = rng.bounded(kSide);
        const QString date = day(rng.bounded(kDays));
        for (int n = 1; n <= kTrackPoints; ++n) {
            x = std::clamp(x + rng.bounded(70.0) - 35, 0.0, kSide);
            y = std::clamp(y + rng.bounded(70.0) - 35, 0.0, kSide);
            pt.run({QStringLiteral("Trace %1").arg(t), x, y, id, n, date});
        }
    }
    tx.commit();
}

// Copies of Points and Trace on which the former statements run, for the comparison.
void copyRows(Database& db) {
    db.exec(QStringLiteral("drop table if exists RefP"));
    db.exec(QStringLiteral("drop table if exists RefT"));
    db.exec(QStringLiteral("create table RefP as select Id_point, Trace, X, Y, Selected from Points"));
    db.exec(QStringLiteral("create table RefT as select Id_trace, Selected from Trace"));
}

// Rows whose Selected differs from the copy's, or that only one of them holds.
qint64 differences(Database& db) {
    return db.scalar(QStringLiteral(
                         "select (select count(*) from Points P left join RefP R using (Id_point) "
                         "where R.Selected is not P.Selected) + "
                         "(select count(*) from RefP R left join Points P using (Id_point) where P.Id_point is null) + "
                         "(select count(*) from Trace T left join RefT R using (Id_trace) "
                         "where R.Selected is not T.Selected) + "
                         "(select count(*) from RefT R left join Trace T using (Id_trace) where T.Id_trace is null)"))
        .toLongLong();
}

// The former selection by list on the copy: every row cleared, then each selected item.
void formerListWrite(Database& db, ListeNoms* waypoints, ListeNoms* traces) {
    db.exec(QStringLiteral("create temp table if not exists W (k integer primary key)"));
    db.exec(QStringLiteral("create temp table if not exists T (k integer primary key)"));
    db.exec(QStringLiteral("delete from W"));
    db.exec(QStringLiteral("delete from T"));
    Statement w = db.prepare(QStringLiteral("insert into W values (?)"));
    for (qint64 k : waypoints->selectedKeys()) w.run({k});
    Statement t = db.prepare(QStringLiteral("insert into T values (?)"));
    for (qint64 k : traces->selectedKeys()) t.run({k});
    db.exec(QStringLiteral("update RefP set Selected = 0"));
    db.exec(QStringLiteral("update RefT set Selected = 0"));
    db.exec(QStringLiteral("update RefP set Selected = 1 where Trace = 0 and Id_point in (select k from W)"));
    db.exec(QStringLiteral("update RefT set Selected = 1 where Id_trace in (select k from T)"));
    db.exec(QStringLiteral("update RefP set Selected = 1 where Trace in (select k from T)"));
}

void keyPress(QWidget* w, int key, Qt::KeyboardModifiers mods, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(w, &release);
}

struct Command {
    const char* name;
    // The selection before, as a statement over Points (Trace too for tracks).
    const char* before;
    std::function<void()> run;
    // The former statements, on the copy.
    std::function<void(Database&)> former;
    // The rows the command must change, written by the sqlite3 shell; none when few.
    QString shell;
};

// The shell's time for the statements, in ms.
double shellMs(const QString& dbPath, const QString& sql) {
    QProcess sqlite;
    sqlite.setStandardOutputFile(QProcess::nullDevice());
    const bench::Stopwatch t;
    sqlite.start(QStringLiteral("sqlite3"), {dbPath, sql});
    if (!sqlite.waitForFinished(600000) || sqlite.exitCode() != 0) fail("sqlite3 did not run");
    return t.seconds() * 1000;
}

void printTimes(const char* what, std::vector<double> times, const char* format = " %8.1f") {
    std::sort(times.begin(), times.end());
    std::printf(" %s", what);
    for (const double t : {times.front(), bench::median(times), times.back()}) std::printf(format, t);
}

// A track of kLongTrackPoints points a few metres apart, in rows across the workspace.
qint64 addLongTrack(Database& db) {
    Transaction tx(db);
    const qint64 id = db.insert(QStringLiteral("Trace"), {{QStringLiteral("Nom"), QStringLiteral("Longue trace")},
                                                          {QStringLiteral("Nb"), kLongTrackPoints}});
    Statement pt = db.prepare(QStringLiteral(
        "insert into Points (Nom, X, Y, Trace, Num_trace, \"Date\") values ('Longue trace', ?, ?, ?, ?, "
        "'2019-06-01 08:00:00')"));
    constexpr int kPerRow = 20000;
    for (int n = 0; n < kLongTrackPoints; ++n) {
        const int row = n / kPerRow, along = n % kPerRow;
        const double x = (row % 2 ? kPerRow - along : along) * kSide / kPerRow;
        pt.run({x, row * kSide / (kLongTrackPoints / kPerRow), id, n + 1});
    }
    tx.commit();
    return id;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    useCNumericLocale();
    auto prompter = std::make_shared<Answering>();
    state().prompter = prompter;

    QTemporaryDir home;
    qputenv("SOTRIX_HOME", QFile::encodeName(home.path()));
    const QString dbPath = home.filePath(QStringLiteral("sotrix.mdb"));
    if (!bench::copyDelivered(dbPath)) fail("cannot copy the delivered database");
    options();
    {
        const bench::Stopwatch t;
        DbGuard db;
        db->exec(QStringLiteral("update Options set checkUpdate = 0"));
        fill(*db);
        std::printf("workspace of %d waypoints and %d tracks of %d points made in %.1f s\n", kWaypoints, kTracks,
                    kTrackPoints, t.seconds());
    }

    Window form;
    form.resize(1600, 1000);
    form.show();
    QApplication::processEvents();
    form.majListes();
    form.zoomGlobal();
    form.redraw();
    auto* lstWaypoint = form.findChild<ListeNoms*>(QStringLiteral("lstWaypoint"));
    auto* lstTrace = form.findChild<ListeNoms*>(QStringLiteral("lstTrace"));
    auto* chkTout = form.findChild<QCheckBox*>(QStringLiteral("chkToutWaypoints"));
    if (!lstWaypoint || !lstTrace || !chkTout || lstWaypoint->count() != kWaypoints) fail("no lists");

    const QString inBox = QStringLiteral("Trace = 0 and X >= 10000 and X <= %1 and Y >= 10000 and Y <= %1")
                              .arg(10000 + kBoxSide);
    const QByteArray boxSel = (QStringLiteral("update Points set Selected = (") + inBox + QLatin1Char(')')).toUtf8();
    // The first unselected row of the waypoint list, and the first selected one.
    auto firstRow = [&](bool selected) {
        for (int r = 0; r < lstWaypoint->count(); ++r)
            if (lstWaypoint->isRowSelected(r) == selected) return r;
        fail("no such row");
    };
    auto box = [&](bool remplace) {
        prompter->answer = remplace ? Answer::No : Answer::Yes;
        form.boiteX = {10000, 10000 + kBoxSide};
        form.boiteY = {10000, 10000 + kBoxSide};
        form.selectWaypoint();
    };
    auto formerBox = [&](Database& db, bool remplace) {
        if (remplace) {
            db.exec(QStringLiteral("update RefP set Selected = 0"));
            db.exec(QStringLiteral("update RefT set Selected = 0"));
        }
        db.exec(QStringLiteral("update RefP set Selected = 1 where ") + inBox);
    };
    auto formerList = [&](Database& db) { formerListWrite(db, lstWaypoint, lstTrace); };
    const QString selectAll = QStringLiteral("update Points set Selected = 1 where Trace = 0 and Selected <> 1");

    // A press on the map: the waypoint, or the track point, nearest a place in the box.
    struct Nearest {
        qint64 id = 0, trace = 0;
        double x = 0, y = 0;
    };
    auto nearest = [](bool waypoint) {
        DbGuard db;
        Cursor c = db->query(waypoint ? QStringLiteral("select Id_point, 0, X, Y from Points where Trace = 0 and "
                                                       "X > 20000 order by X limit 1")
                                      : QStringLiteral("select Id_point, Trace, X, Y from Points where Trace > 0 and "
                                                       "X > 20000 and Y > 20000 order by X limit 1"));
        if (!c.next()) fail("no point to press on");
        return Nearest{c.value(0).toLongLong(), c.value(1).toLongLong(), c.value(2).toDouble(), c.value(3).toDouble()};
    };
    const Nearest waypoint = nearest(true), trackPoint = nearest(false);
    auto press = [&](const Nearest& n, bool remplace) {
        prompter->answer = remplace ? Answer::No : Answer::Yes;
        if (n.trace == 0) {
            form.boiteX = {n.x, n.x};
            form.boiteY = {n.y, n.y};
            form.selectWaypoint();
        } else {
            form.xClic = n.x;
            form.yClic = n.y;
            form.selectTrace();
        }
    };
    const QString dated = QStringLiteral("date(\"Date\") >= '%1' and date(\"Date\") <= '%2'")
                              .arg(QLatin1String(kPeriodFrom), QLatin1String(kPeriodTo));
    const QString datedTracks = QStringLiteral("(select Trace from Points where Trace > 0 and ") + dated + QLatin1Char(')');
    // The dialog's opening, which reads the period the points span, is a step of its own:
    // its time is kept apart from that of the selection made on OK.
    double openingSeconds = 0;
    auto byDate = [&](bool remplace) {
        prompter->answer = remplace ? Answer::No : Answer::Yes;
        // Deleting it takes back the deletion it asks for when it closes.
        const auto dialog = std::make_unique<frmDate>(form);
        const bench::Stopwatch opening;
        dialog->Form_Load();
        openingSeconds = opening.seconds();
        auto* from = dialog->findChild<QLineEdit*>(QStringLiteral("txtDate1"));
        auto* to = dialog->findChild<QLineEdit*>(QStringLiteral("txtDate2"));
        if (!from || !to) fail("no date boxes");
        from->setText(QDate::fromString(QLatin1String(kPeriodFrom), Qt::ISODate).toString(QStringLiteral("dd/MM/yyyy")));
        to->setText(QDate::fromString(QLatin1String(kPeriodTo), Qt::ISODate).toString(QStringLiteral("dd/MM/yyyy")));
        dialog->cmdOk_Click();
    };
    auto formerDate = [&](Database& db, bool remplace) {
        if (remplace) {
            db.exec(QStringLiteral("update RefP set Selected = 0"));
            db.exec(QStringLiteral("update RefT set Selected = 0"));
        }
        db.exec(QStringLiteral("update RefP set Selected = 1 where Trace = 0 and Id_point in (select Id_point from "
                               "Points where ") + dated + QLatin1Char(')'));
        db.exec(QStringLiteral("update RefP set Selected = 1 where Trace in ") + datedTracks);
        db.exec(QStringLiteral("update RefT set Selected = 1 where Id_trace in ") + datedTracks);
    };
    const QString dateShell = QStringLiteral("update Points set Selected = 1 where Trace = 0 and Selected <> 1 and ") +
                              dated + QStringLiteral("; update Points set Selected = 1 where Selected <> 1 and Trace in ") +
                              datedTracks + QStringLiteral("; update Trace set Selected = 1 where Selected <> 1 and "
                                                           "Id_trace in ") +
                              datedTracks;

    std::vector<Command> commands = {
        {"list click, 106k selected", boxSel.constData(), [&] { lstWaypoint->setRowSelected(firstRow(false), true); },
         formerList, {}},
        {"list click, 999,999 selected", "update Points set Selected = (Trace = 0)",
         [&] { lstWaypoint->setRowSelected(firstRow(true), false); }, formerList, {}},
        {"Ctrl+A in the list, 106k selected", boxSel.constData(),
         [&] { keyPress(lstWaypoint, Qt::Key_A, Qt::ControlModifier, QStringLiteral("a")); }, formerList, selectAll},
        {"tick \"Tout sélectionner\", 106k selected", boxSel.constData(),
         [&] {
             chkTout->setChecked(false);
             chkTout->click();
         },
         [](Database& db) { db.exec(QStringLiteral("update RefP set Selected = 1 where Trace = 0")); }, selectAll},
        {"untick \"Tout sélectionner\", 1M selected", "update Points set Selected = (Trace = 0)",
         [&] {
             chkTout->setChecked(true);
             chkTout->click();
         },
         [](Database& db) { db.exec(QStringLiteral("update RefP set Selected = 0 where Trace = 0")); },
         QStringLiteral("update Points set Selected = 0 where Trace = 0 and Selected <> 0")},
        {"box of 106k, nothing selected", "update Points set Selected = 0", [&] { box(false); },
         [&](Database& db) { formerBox(db, false); }, QStringLiteral("update Points set Selected = 1 where ") + inBox},
        {"box of 106k replacing 1M selected", "update Points set Selected = (Trace = 0)", [&] { box(true); },
         [&](Database& db) { formerBox(db, true); },
         QStringLiteral("update Points set Selected = 0 where Selected <> 0 and not (") + inBox + QLatin1Char(')')},
        {"press on a waypoint, 106k selected", boxSel.constData(), [&] { press(waypoint, false); },
         [&](Database& db) { db.exec(QStringLiteral("update RefP set Selected = 1 where Id_point = ?"), {waypoint.id}); },
         {}},
        {"press on a waypoint replacing 106k selected", boxSel.constData(), [&] { press(waypoint, true); },
         [&](Database& db) {
             db.exec(QStringLiteral("update RefP set Selected = (Id_point = ?)"), {waypoint.id});
             db.exec(QStringLiteral("update RefT set Selected = 0"));
         },
         QStringLiteral("update Points set Selected = (Id_point = %1) where Selected <> (Id_point = %1)")
             .arg(waypoint.id)},
        {"press on a track, 106k selected", boxSel.constData(), [&] { press(trackPoint, false); },
         [&](Database& db) {
             db.exec(QStringLiteral("update RefP set Selected = 1 where Trace = ?"), {trackPoint.trace});
             db.exec(QStringLiteral("update RefT set Selected = 1 where Id_trace = ?"), {trackPoint.trace});
         },
         {}},
        {"a period of dates, nothing selected", "update Points set Selected = 0", [&] { byDate(false); },
         [&](Database& db) { formerDate(db, false); }, dateShell},
        {"a period of dates replacing 106k selected", boxSel.constData(), [&] { byDate(true); },
         [&](Database& db) { formerDate(db, true); },
         QStringLiteral("update Points set Selected = 0 where Trace = 0 and Selected <> 0 and not (") + dated +
             QStringLiteral("); ") + dateShell},
        {"letter key in the list, 106k selected", boxSel.constData(),
         [&] { keyPress(lstWaypoint, Qt::Key_W, {}, QStringLiteral("w")); }, [](Database&) {}, {}},
        {"Space in the list, 106k selected", boxSel.constData(),
         [&] {
             lstWaypoint->setCurrentRow(firstRow(false));
             keyPress(lstWaypoint, Qt::Key_Space, {}, QStringLiteral(" "));
         },
         formerList, {}},
        {"delete 106k selected waypoints", boxSel.constData(),
         [&] {
             prompter->answer = Answer::Yes;
             form.cmdSupprimer_Click();
         },
         [](Database& db) {
             db.exec(QStringLiteral("delete from RefP where Trace = 0 and Selected <> 0"));
             db.exec(QStringLiteral("delete from RefP where Trace in (select Id_trace from RefT where Selected <> 0)"));
             db.exec(QStringLiteral("delete from RefT where Selected <> 0"));
         },
         QStringLiteral("delete from Points where Trace = 0 and Selected <> 0")},
    };

    std::printf("%d runs each, min / median / max: own work in ms (handler minus redraw and, for the period, the "
                "dialog's opening), its redraw, the sqlite3 shell writing the same rows on the same file, and own / "
                "shell in each run; rows whose Selected differs from the former statements'\n",
                kRuns);
    auto setUp = [&](const Command& c) {
        {
            DbGuard db;
            Transaction tx(*db);
            db->exec(QString::fromUtf8(c.before));
            db->exec(QStringLiteral("update Trace set Selected = 0"));
            db->exec(QStringLiteral("drop table if exists Gardes"));
            db->exec(QStringLiteral("create table Gardes as select * from Points where Trace = 0 and Selected <> 0"));
            tx.commit();
            copyRows(*db);
        }
        form.majListes();
        // The lists are laid out and painted before the user's next key or click.
        QApplication::processEvents();
    };
    auto restore = [] {
        DbGuard db;
        db->exec(QStringLiteral("insert or ignore into Points select * from Gardes"));
    };
    // An argument keeps the commands whose name holds it.
    const QString only = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    auto measure = [&](const Command& c) {
        if (!QString::fromUtf8(c.name).contains(only)) return;
        std::vector<double> own, drawn, shell, ratios, opened;
        qint64 wrong = 0;
        for (int run = 0; run < kRuns; ++run) {
            if (!c.shell.isEmpty()) {
                setUp(c);
                shell.push_back(shellMs(dbPath, c.shell));
                restore();
            }
            setUp(c);
            form.redrawSeconds = 0;
            openingSeconds = 0;
            const bench::Stopwatch t;
            c.run();
            const double total = t.seconds();
            own.push_back((total - form.redrawSeconds - openingSeconds) * 1000);
            drawn.push_back(form.redrawSeconds * 1000);
            if (openingSeconds > 0) opened.push_back(openingSeconds * 1000);
            if (!shell.empty()) ratios.push_back(own.back() / shell.back());
            DbGuard db;
            c.former(*db);
            wrong += differences(*db);
            restore();
        }
        std::printf("  %-44s", c.name);
        printTimes("own", own);
        printTimes(" redraw", drawn);
        if (!opened.empty()) printTimes(" dialog opening", opened);
        if (!shell.empty()) {
            printTimes(" sqlite3", shell);
            printTimes(" ratio", ratios, " %5.2f");
        }
        std::printf("  differing rows %lld\n", static_cast<long long>(wrong));
        std::fflush(stdout);
    };
    for (const Command& c : commands) measure(c);

    std::vector<double> rebuild;
    for (int run = 0; run < kRuns; ++run) {
        const bench::Stopwatch t;
        form.majListes();
        rebuild.push_back(t.seconds() * 1000);
    }
    printTimes("  for scale, majListes (both lists rebuilt)", rebuild);
    std::printf("\n");

    const QString longName = QStringLiteral("choosing the track of %1 points in its list").arg(kLongTrackPoints);
    if (!longName.contains(only)) return 0;
    qint64 longTrack = 0;
    {
        const bench::Stopwatch t;
        DbGuard db;
        longTrack = addLongTrack(*db);
        std::printf("a track of %d points added in %.1f s\n", kLongTrackPoints, t.seconds());
    }
    const QByteArray longUtf8 = longName.toUtf8();
    measure({longUtf8.constData(), "update Points set Selected = 0",
             [&] {
                 for (int r = 0; r < lstTrace->count(); ++r)
                     if (lstTrace->key(r) == longTrack) lstTrace->setRowSelected(r, true);
             },
             [&](Database& db) {
                 db.exec(QStringLiteral("update RefP set Selected = 1 where Trace = ?"), {longTrack});
                 db.exec(QStringLiteral("update RefT set Selected = 1 where Id_trace = ?"), {longTrack});
             },
             QStringLiteral("update Trace set Selected = 1 where Id_trace = %1 and Selected <> 1; update Points set "
                            "Selected = 1 where Trace = %1 and Selected <> 1")
                 .arg(longTrack)});
    return 0;
}
