// Rebuilding the lists (majListes) over 50,000 waypoint names, a third of them with
// accents or ligatures, against the sqlite3 shell running the same ordered query on the
// same file with its own ASCII-only NOCASE.
// Then long names, as a GPX file may bring: a waypoint and a track named with 1 MB and
// 50 MB of text among ordinary ones. The start to a painted window and a rebuild with a
// repaint of the lists, against the shell reading the same rows.
#include "Database.h"
#include "FailingPrompter.h"
#include "Median.h"
#include "NumericLocale.h"
#include "Settings.h"
#include "State.h"
#include "frmAccueil.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kNames = 50000;
constexpr int kRuns = 7;
constexpr int kLongRuns = 3;

// Place words as users name their waypoints; the first half are plain ASCII.
const char* const kWords[] = {"Parking", "Pont",   "Moulin", "Col",    "Refuge", "Source", "Lac",
                              "Rocher",  "Ferme",  "Gare",   "Abbaye", "Zoo",    "Écluse", "Église",
                              "église",  "Forêt",  "Château", "Étang", "Île",    "Cœur",   "Gîte",
                              "Hôtel",   "Œuvre",  "Crêt"};

// The times of the runs, shortest first.
std::vector<double> timesMs(const std::function<void()>& work, int runs) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        times.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times;
}

double medianMs(const std::function<void()>& work, int runs = kRuns) {
    return sotrix::bench::median(timesMs(work, runs));
}

void printRow(const char* what, const std::vector<double>& times) {
    std::printf("  %-52s %9.1f %9.1f %9.1f ms\n", what, times.front(), sotrix::bench::median(times), times.back());
}

[[noreturn]] void fail(const char* why) {
    std::fprintf(stderr, "bench_lists: %s\n", why);
    std::exit(1);
}

double shellMs(const QString& dbPath, const QString& sql, int runs) {
    return medianMs(
        [&] {
            QProcess sqlite;
            sqlite.setStandardOutputFile(QProcess::nullDevice());
            sqlite.start(QStringLiteral("sqlite3"), {dbPath, sql});
            if (!sqlite.waitForFinished(600000) || sqlite.exitCode() != 0) fail("sqlite3 did not run");
        },
        runs);
}

// A fresh workspace in home holding the long names; the path of its database.
QString longNameWorkspace(const QTemporaryDir& home) {
    using namespace sotrix;
    qputenv("SOTRIX_HOME", QFile::encodeName(home.path()));
    const QString dbPath = home.filePath(QStringLiteral("sotrix.mdb"));
    if (!QFile::copy(QStringLiteral(SOTRIX_DELIVERED_DB), dbPath)) fail("cannot copy the delivered database");
    QFile::setPermissions(dbPath, QFile::ReadOwner | QFile::WriteOwner);
    options();
    DbGuard db;
    Transaction tx(*db);
    db->exec(QStringLiteral("update Options set checkUpdate = 0"));
    Statement wp = db->prepare(QStringLiteral("insert into Points (Nom, X, Y, Trace) values (?, ?, 0, 0)"));
    Statement tr = db->prepare(QStringLiteral("insert into Trace (Nom) values (?)"));
    const QString names[] = {QString(1 << 20, QLatin1Char('m')), QString(50 << 20, QLatin1Char('M')),
                             QStringLiteral("Col"), QStringLiteral("Refuge"), QStringLiteral("Source")};
    int x = 0;
    for (const QString& name : names) {
        wp.run({name, x++});
        tr.run({name});
    }
    tx.commit();
    return dbPath;
}

void longNames() {
    using namespace sotrix;
    QTemporaryDir home;
    const QString dbPath = longNameWorkspace(home);
    const std::vector<double> start = timesMs(
        [] {
            frmAccueil form;
            if (!form.Form_Load()) fail("the window did not start");
            form.show();
            form.grab();
        },
        kLongRuns);
    frmAccueil form;
    if (!form.Form_Load()) fail("the window did not start");
    form.show();
    auto* column = form.findChild<QWidget*>(QStringLiteral("colonneListes"));
    if (!column) fail("no list column");
    const std::vector<double> repaint = timesMs(
        [&] {
            form.majListes();
            column->grab();
        },
        kLongRuns);
    if (state().nbWaypoints != 5 || state().nbTraces != 5) fail("the lists do not hold every long name");
    const QString queries = QStringLiteral(
        "select Id_point, Nom, Selected from Points where Trace = 0 order by Nom, Id_point; "
        "select Id_trace, Nom, Selected from Trace order by Nom, Id_trace;");
    const double shell = shellMs(dbPath, queries, kLongRuns);
    std::printf("long names (1 MB and 50 MB, waypoints and tracks), %d runs: min, median, max\n", kLongRuns);
    printRow("start to a painted window (Form_Load, show, paint)", start);
    printRow("majListes and a repaint of the lists", repaint);
    std::printf("  %-52s %19.1f ms (median)\n", "sqlite3 shell, both list queries", shell);
    std::printf("  ratio (repaint / shell, medians): %.2f\n", sotrix::bench::median(repaint) / shell);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    sotrix::useCNumericLocale();
    using namespace sotrix;
    state().prompter = std::make_shared<bench::FailingPrompter>("bench_lists");

    QTemporaryDir home;
    qputenv("SOTRIX_HOME", QFile::encodeName(home.path()));
    const QString dbPath = home.filePath(QStringLiteral("sotrix.mdb"));
    if (!QFile::copy(QStringLiteral(SOTRIX_DELIVERED_DB), dbPath)) fail("cannot copy the delivered database");
    QFile::setPermissions(dbPath, QFile::ReadOwner | QFile::WriteOwner);
    options();

    QRandomGenerator rng(1789);
    {
        DbGuard db;
        Transaction tx(*db);
        Statement wp = db->prepare(QStringLiteral("insert into Points (Nom, X, Y, Trace, Selected) values (?, 0, 0, 0, ?)"));
        constexpr int kWordCount = int(sizeof kWords / sizeof kWords[0]);
        for (int i = 0; i < kNames; ++i) {
            QString name = QString::fromUtf8(kWords[rng.bounded(kWordCount)]);
            if (rng.bounded(4) == 0) name = name.toUpper();
            name += QStringLiteral(" %1").arg(rng.bounded(100000));
            wp.run({name, i % 10 == 0 ? 1 : 0});
        }
        tx.commit();
    }

    frmAccueil form;
    form.majListes();  // warm-up
    const double ours = medianMs([&] { form.majListes(); });
    if (state().nbWaypoints != kNames) fail("the list does not hold every name");

    const double shell = shellMs(dbPath,
                                 QStringLiteral("select Id_point, Nom, Selected from Points where Trace = 0 "
                                                "order by Nom, Id_point;"),
                                 kRuns);

    std::printf("lists of %d waypoint names, median of %d runs\n", kNames, kRuns);
    std::printf("  frmAccueil::majListes (query, French order, lists): %8.1f ms\n", ours);
    std::printf("  sqlite3 shell, same query, its own NOCASE:          %8.1f ms\n", shell);
    std::printf("  ratio: %.2f\n", ours / shell);
    longNames();
    return 0;
}
