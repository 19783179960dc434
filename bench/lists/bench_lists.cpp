// Rebuilding the lists (majListes) over 50,000 waypoint names, a third of them with
// accents or ligatures, against the sqlite3 shell running the same ordered query on the
// same file with its own ASCII-only NOCASE.
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

#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kNames = 50000;
constexpr int kRuns = 7;

// Place words as users name their waypoints; the first half are plain ASCII.
const char* const kWords[] = {"Parking", "Pont",   "Moulin", "Col",    "Refuge", "Source", "Lac",
                              "Rocher",  "Ferme",  "Gare",   "Abbaye", "Zoo",    "Écluse", "Église",
                              "église",  "Forêt",  "Château", "Étang", "Île",    "Cœur",   "Gîte",
                              "Hôtel",   "Œuvre",  "Crêt"};

double medianMs(const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        times.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    return sotrix::bench::median(times);
}

[[noreturn]] void fail(const char* why) {
    std::fprintf(stderr, "bench_lists: %s\n", why);
    std::exit(1);
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

    const QStringList args{dbPath, QStringLiteral("select Id_point, Nom, Selected from Points where Trace = 0 "
                                                  "order by Nom, Id_point;")};
    const double shell = medianMs([&] {
        QProcess sqlite;
        sqlite.setStandardOutputFile(QProcess::nullDevice());
        sqlite.start(QStringLiteral("sqlite3"), args);
        if (!sqlite.waitForFinished(60000) || sqlite.exitCode() != 0) fail("sqlite3 did not run");
    });

    std::printf("lists of %d waypoint names, median of %d runs\n", kNames, kRuns);
    std::printf("  frmAccueil::majListes (query, French order, lists): %8.1f ms\n", ours);
    std::printf("  sqlite3 shell, same query, its own NOCASE:          %8.1f ms\n", shell);
    std::printf("  ratio: %.2f\n", ours / shell);
    return 0;
}
