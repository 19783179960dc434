// Time to an idle window on large inputs, each measure in a process of its own (killed
// after a time-out, as a frozen window would have to be):
// - the file information tool on the full ogrinfo report of a point shapefile of 60,000,
//   120,000 and 1,000,000 points: from the end of ogrinfo to the window idle with the
//   whole report in it (goal: under 1 s at 1,000,000 points), with the longest pause of
//   its event loop meanwhile, and its peak memory over what it held before the report
//   (goal: under 200 MiB whatever the report's size); ogrinfo's own run is the outside
//   reference;
// - the field-mapping dialog opened on a 50 MB binary file, a header of 1,000,000
//   columns and a 300-character column name: from the call to the dialog idle on screen
//   (or its refusal told); `head -n 1` reading the same line is the reference.
// Medians of three runs, with min and max.
//
// bench_dialogs [data folder]: the shapefiles, reports and CSV files are written there
// once and kept.
#include "DeliveredCopy.h"
#include "Fail.h"
#include "Median.h"
#include "ProcessRun.h"
#include "Prompter.h"
#include "SelfMemory.h"
#include "State.h"
#include "Stopwatch.h"
#include "TypeFichier.h"
#include "frmImport.h"
#include "frmInfoFile.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <functional>
#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

using namespace sotrix;
using bench::fail;
using bench::median;
using bench::peakMiB;
using bench::residentMiB;

namespace {

constexpr int kRuns = 3;
constexpr int kTimeoutSeconds = 180;

// Answers the open dialog with one file; every message is taken as read.
class BenchPrompter final : public Prompter {
public:
    explicit BenchPrompter(QString file) : file_(std::move(file)) {}
    Answer message(const QString&, Icon, Buttons, Answer) override {
        ++messages;
        return Answer::Ok;
    }
    std::optional<QString> input(const QString&, const QString&, const QString&) override { return std::nullopt; }
    std::optional<FileChoice> openFile(const FileRequest&) override { return FileChoice{{file_}, 1}; }
    std::optional<FileChoice> saveFile(const FileRequest&) override { return std::nullopt; }
    std::optional<QString> chooseFolder(const QString&, const QString&) override { return std::nullopt; }
    std::optional<qint32> chooseColor(qint32) override { return std::nullopt; }
    bool openUrl(const QString&) override { return false; }
    int messages = 0;

private:
    QString file_;
};

// What a child measured, printed as its last line.
struct Mesure {
    double answer = 0;  // to the first turn of the event loop: the window answers input
    double idle = 0;    // to the window idle with all of its content
    double pause = 0;   // longest turn of the event loop until then
    double peakMiB = 0;
    double addedMiB = 0;  // the peak over the resident size before the work
};

// before: the resident size before the work.
void rapporte(const Mesure& m, double before) {
    std::printf("mesure %.6f %.6f %.6f %.1f %.1f\n", m.answer, m.idle, m.pause, peakMiB(), peakMiB() - before);
    std::fflush(stdout);
}

// Printed as soon as the window answers, so that a run killed later still tells it.
void repond(double seconds) {
    std::printf("reponse %.6f\n", seconds);
    std::fflush(stdout);
}

std::optional<double> litReponse(const QByteArray& output) {
    const qsizetype at = output.lastIndexOf("reponse ");
    if (at < 0) return std::nullopt;
    return output.mid(at + 8, output.indexOf('\n', at) - at - 8).toDouble();
}

std::optional<Mesure> litMesure(const QByteArray& output) {
    const qsizetype at = output.lastIndexOf("mesure ");
    if (at < 0) return std::nullopt;
    const QList<QByteArray> f = output.mid(at + 7).trimmed().split(' ');
    if (f.size() < 5) return std::nullopt;
    return Mesure{f[0].toDouble(), f[1].toDouble(), f[2].toDouble(), f[3].toDouble(), f[4].toDouble()};
}

// Turns the event loop until busy() is false and nothing is pending; the longest turn.
template <class Busy>
double jusquAuRepos(Busy busy) {
    double longest = 0;
    do {
        const bench::Stopwatch turn;
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        longest = std::max(longest, turn.seconds());
    } while (busy());
    return longest;
}

// A program folder of its own with a copy of the delivered database.
void programme(const QTemporaryDir& home) {
    if (!home.isValid() || !bench::copyDelivered(home.filePath(QStringLiteral("sotrix.mdb"))))
        fail(QStringLiteral("cannot make a program folder"));
    qputenv("SOTRIX_HOME", QFile::encodeName(home.path()));
    resetState();
}

// Child: the tool on report, through an ogrinfo stand-in that copies it; the stand-in's
// own time is taken off.
int infoUneFois(const QString& shp, const QString& report) {
    const QTemporaryDir home;
    programme(home);
    const QString stub = home.filePath(QStringLiteral("ogrinfo"));
    QFile s(stub);
    if (!s.open(QIODevice::WriteOnly)) fail(QStringLiteral("cannot write the stand-in"));
    s.write("#!/bin/sh\nexec cat '" + QFile::encodeName(report) + "'\n");
    s.close();
    s.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("PATH", QFile::encodeName(home.path()) + ":" + qgetenv("PATH"));
    double copie = 0;
    {
        QProcess p;
        p.setStandardOutputFile(home.filePath(QStringLiteral("copie.txt")));
        const bench::Stopwatch clock;
        p.start(stub, {});
        if (!p.waitForFinished(-1)) fail(QStringLiteral("the stand-in failed"));
        copie = clock.seconds();
        QFile::remove(home.filePath(QStringLiteral("copie.txt")));
    }
    auto prompter = std::make_shared<BenchPrompter>(shp);
    state().prompter = prompter;
    frmInfoFile tool;
    tool.show();
    jusquAuRepos([] { return false; });
    const double before = residentMiB();
    const bench::Stopwatch clock;
    tool.cmd_destination_Click();
    const double answer = clock.seconds() - copie;
    repond(answer);
    const double pause = jusquAuRepos([&tool] { return tool.remplissage(); });
    const double idle = clock.seconds() - copie;
    if (prompter->messages > 0) fail(QStringLiteral("the report was refused"));
    rapporte({answer, idle, pause, 0, 0}, before);
    return 0;
}

// Child: the field-mapping dialog on csv.
int importUneFois(const QString& csv) {
    const QTemporaryDir home;
    programme(home);
    state().prompter = std::make_shared<BenchPrompter>(csv);
    const double before = residentMiB();
    const bench::Stopwatch clock;
    const bool ouvert = ouvreFrmImport(csv, typefichier::kOuvrirCsvVirgule, {}, [](bool) { return ImportOutcome::Ok; });
    const double answer = clock.seconds();
    const double pause = jusquAuRepos([] { return false; });
    rapporte({answer, clock.seconds(), pause, 0, 0}, before);
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<frmImport*>(w); d && ouvert) d->annuler_dbf_Click();
    return 0;
}

struct Ligne {
    Ligne(QString w, QStringList c, QString p, QStringList a)
        : what(std::move(w)), childArgs(std::move(c)), program(std::move(p)), args(std::move(a)) {}
    QString what;
    QStringList childArgs;
    QString program;  // the outside reference
    QStringList args;
    std::vector<double> answer, idle, pause, peak, added, ref;
    bool timedOut = false;
};

void mesure(Ligne& l) {
    for (int run = 0; run < kRuns && !l.timedOut; ++run) {
        const bench::ProcessRun r = bench::runProcess(QCoreApplication::applicationFilePath(), l.childArgs, kTimeoutSeconds);
        const auto m = litMesure(r.output);
        if (!r.ok || !m) {
            l.timedOut = true;  // a frozen window: no more runs
            if (const auto answer = litReponse(r.output)) l.answer.push_back(*answer);
            break;
        }
        l.answer.push_back(m->answer);
        l.idle.push_back(m->idle);
        l.pause.push_back(m->pause);
        l.peak.push_back(r.peakMiB);
        l.added.push_back(m->addedMiB);
        const bench::ProcessRun ref = bench::runProcess(l.program, l.args);
        if (!ref.ok) fail(l.program + QStringLiteral(" failed"));
        l.ref.push_back(ref.seconds);
    }
}

QString ecrit(const QString& path, const std::function<void(QFile&)>& body) {
    if (QFileInfo(path).size() > 0) return path;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) fail(QStringLiteral("cannot write ") + path);
    body(f);
    if (!f.flush()) fail(QStringLiteral("cannot write ") + path);
    return path;
}

// A point shapefile of n points with a name, an altitude and a date, and its full
// ogrinfo report.
std::pair<QString, QString> shapefile(const QString& folder, int n) {
    const QString base = QDir(folder).filePath(QStringLiteral("points-%1").arg(n));
    const QString csv = ecrit(base + QStringLiteral(".csv"), [n](QFile& f) {
        f.write("Nom,Altitude,Date,X,Y\n");
        for (int i = 0; i < n; ++i)
            f.write("Point " + QByteArray::number(i) + "," + QByteArray::number(100 + i % 500) + ",2024-05-" +
                    QByteArray::number(10 + i % 20) + " 12:00:00," + QByteArray::number(4 + (i % 1000) * 1e-4, 'f', 6) +
                    "," + QByteArray::number(50 + (i / 1000) * 1e-4, 'f', 6) + "\n");
    });
    const QString shp = base + QStringLiteral(".shp");
    if (!QFileInfo::exists(shp) &&
        !bench::runProcess(QStringLiteral("ogr2ogr"), {QStringLiteral("-f"), QStringLiteral("ESRI Shapefile"), shp, csv,
                                                      QStringLiteral("-oo"), QStringLiteral("X_POSSIBLE_NAMES=X"),
                                                      QStringLiteral("-oo"), QStringLiteral("Y_POSSIBLE_NAMES=Y")})
             .ok)
        fail(QStringLiteral("ogr2ogr failed"));
    const QString report = base + QStringLiteral(".txt");
    if (QFileInfo(report).size() == 0) {
        QProcess p;
        p.setStandardOutputFile(report);
        p.start(QStringLiteral("ogrinfo"), {QStringLiteral("-al"), shp});
        if (!p.waitForFinished(-1) || p.exitCode() != 0) fail(QStringLiteral("ogrinfo failed"));
    }
    return {shp, report};
}

void montre(const Ligne& l, const char* refName) {
    std::printf("\n%s\n", qPrintable(l.what));
    if (l.timedOut) {
        if (l.answer.empty())
            std::printf("  ours: no answer within %d s (killed)\n", kTimeoutSeconds);
        else
            std::printf("  ours: answers after %.3f s, not whole within %d s (killed)\n", l.answer.back(),
                        kTimeoutSeconds);
    }
    if (l.idle.empty()) return;
    std::printf("  ours:    answers after %.3f s; idle and whole after %.3f s (min %.3f, max %.3f);\n"
                "           longest pause %.3f s; peak %.0f MiB, %.0f MiB over the open window\n",
                median(l.answer), median(l.idle), *std::min_element(l.idle.begin(), l.idle.end()),
                *std::max_element(l.idle.begin(), l.idle.end()), median(l.pause), median(l.peak), median(l.added));
    std::printf("  %-8s %7.3f s\n  ratio ours / %s: %.2f\n", refName, median(l.ref), refName,
                median(l.ref) > 0 ? median(l.idle) / median(l.ref) : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QLatin1String("--info")) return infoUneFois(args[2], args[3]);
    if (args.size() == 3 && args[1] == QLatin1String("--import")) return importUneFois(args[2]);

    const QString folder =
        args.size() > 1 ? args[1] : QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("bench-dialogs-data"));
    QDir().mkpath(folder);

    std::vector<Ligne> infos;
    for (const int n : {60000, 120000, 1000000}) {
        const auto [shp, report] = shapefile(folder, n);
        infos.push_back({QStringLiteral("File information, %1 points, report of %2 MB")
                             .arg(n)
                             .arg(double(QFileInfo(report).size()) / 1e6, 0, 'f', 1),
                         {QStringLiteral("--info"), shp, report},
                         QStringLiteral("ogrinfo"),
                         {QStringLiteral("-al"), QStringLiteral("-q"), shp}});
    }
    // Bytes of no text, and no line end among them.
    const QString binaire = ecrit(QDir(folder).filePath(QStringLiteral("binary-no-eol.csv")), [](QFile& f) {
        QByteArray block(1 << 20, '\0');
        quint32 x = 12345;
        for (int mb = 0; mb < 50; ++mb) {
            for (char& c : block) {
                c = char((x = x * 1103515245u + 12345u) >> 24);
                if (c == '\n' || c == '\r') c = '\0';
            }
            f.write(block);
        }
    });
    const QString colonnes = ecrit(QDir(folder).filePath(QStringLiteral("columns.csv")), [](QFile& f) {
        f.write("Nom,X,Y" + QByteArray(999997, ',') + "\n");
    });
    const QString nomLong = ecrit(QDir(folder).filePath(QStringLiteral("longname.csv")), [](QFile& f) {
        f.write(QByteArray(300, 'n') + ",X,Y\nA,4,50\n");
    });
    std::vector<Ligne> imports;
    for (const auto& [what, file] : {std::pair{"a 50 MB binary file", binaire}, {"a header of 1,000,000 columns", colonnes},
                                     {"a 300-character column name", nomLong}})
        imports.push_back({QStringLiteral("Field-mapping dialog, ") + QLatin1String(what),
                           {QStringLiteral("--import"), file},
                           QStringLiteral("head"),
                           {QStringLiteral("-n"), QStringLiteral("1"), file}});

    for (Ligne& l : infos) mesure(l);
    for (Ligne& l : imports) mesure(l);
    std::printf("\nTime to an idle window, %d runs each, medians\n", kRuns);
    for (const Ligne& l : infos) montre(l, "ogrinfo");
    if (!infos.back().answer.empty())
        std::printf("\n  goal: an idle window under 1 s at 1,000,000 points: answers after %.3f s\n",
                    median(infos.back().answer));
    for (const Ligne& l : imports) montre(l, "head");
    return 0;
}
