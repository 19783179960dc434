// Imports a GPX file of 1,000 waypoints and 1,000,000 track points (parse, project into
// Belgian Lambert 72, store, check names and count points, commit) and has ogr2ogr
// convert the same file's track points, projected the same way, to a shapefile. Prints
// the median times of three runs each, their ratio and our peak memory.
//
// bench_import [data folder]: the GPX file is generated (through GPSBabel, as a
// receiver's file would be) into that folder once and kept for later runs.
#include "FailingPrompter.h"
#include "Median.h"
#include "Database.h"
#include "DeliveredCopy.h"
#include "GpxGenerator.h"
#include "ImportEngine.h"
#include "MainView.h"
#include "NumericLocale.h"
#include "State.h"
#include "proj4.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace sotrix;
using sotrix::bench::median;

namespace {

QString gBenchFile;
QString gProjGps, gProjCarto;
std::vector<double> gOurs, gOgr;

[[noreturn]] void fail(const QString& why) {
    std::fprintf(stderr, "bench_import: %s\n", qPrintable(why));
    std::exit(1);
}

class QuietMainView final : public MainView {
public:
    QWidget* window() override { return nullptr; }
    void majListes() override {}
    void majNb() override {}
    void zoomGlobal() override {}
    void redraw() override {}
    ViewState& viewState() override { return view_; }
    const ReferenceLayer& referenceLayer() const override { return layer_; }
    void setReferenceLayer(const ReferenceLayer&) override {}
    void setReferenceRenderer(std::shared_ptr<ReferenceRenderer>) override {}
    void drawShp() override {}
    // Services this benchmark does not use.
    void setLblFichier(const QString&) override {}
    void setMainWindowEnabled(bool) override {}
    QString lblFichierText() const override { return {}; }
    QString lblReferenceText() const override { return {}; }
    bool listsHoldData() const override { return false; }
    QuitResult fichierQuitter_Click() override { return QuitResult::Declined; }

private:
    ViewState view_;
    ReferenceLayer layer_;
};

bool run(const QString& program, const QStringList& args, int timeoutMs = 600000) {
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.setStandardOutputFile(QProcess::nullDevice());
    p.start(program, args);
    return p.waitForFinished(timeoutMs) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

void prepareData(const QString& folder) {
    QDir().mkpath(folder);
    gBenchFile = QDir(folder).filePath(QStringLiteral("bench.gpx"));
    if (QFileInfo(gBenchFile).size() > 0) return;
    const QString gen = QDir(folder).filePath(QStringLiteral("gen.gpx"));
    std::printf("Writing %s ...\n", qPrintable(gBenchFile));
    if (!bench::writeBenchGpx(gen)) fail(QStringLiteral("cannot write ") + gen);
    if (!run(QStringLiteral("gpsbabel"), {"-i", "gpx", "-f", gen, "-o", "gpx,gpxver=1.0", "-F", gBenchFile}))
        fail(QStringLiteral("gpsbabel failed"));
    QFile::remove(gen);
}

double seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

void BM_Import(benchmark::State& st) {
    QuietMainView view;
    for (auto _ : st) {
        st.PauseTiming();
        // On disk beside the data, so that the commit pays for a real disk (a /tmp in
        // memory would not).
        QTemporaryDir home(QFileInfo(gBenchFile).dir().filePath(QStringLiteral("home-XXXXXX")));
        if (!home.isValid()) fail(QStringLiteral("cannot make a program folder"));
        const QString db = QDir(home.path()).filePath(QStringLiteral("sotrix.mdb"));
        if (!QFile::copy(QStringLiteral(SOTRIX_DELIVERED_DB), db)) fail(QStringLiteral("cannot copy the database"));
        QFile::setPermissions(db, QFile::ReadOwner | QFile::WriteOwner);
        qputenv("SOTRIX_HOME", QFile::encodeName(home.path()));
        resetState();
        state().prompter = std::make_shared<bench::FailingPrompter>("bench_import");
        state().mainView = &view;
        state().paramProjGps = 4326;
        state().paramProjCarto = 31370;
        state().paramDecalage = 0;
        state().nomFichier = gBenchFile;
        state().typeFichier = 2;
        st.ResumeTiming();

        const auto t0 = std::chrono::steady_clock::now();
        const ImportOutcome outcome = importeFichier(false);
        gOurs.push_back(seconds(std::chrono::steady_clock::now() - t0));

        st.PauseTiming();
        if (outcome != ImportOutcome::Ok) fail(QStringLiteral("the import did not succeed"));
        {
            DbGuard g;
            const qint64 points = g->scalar(QStringLiteral("SELECT COUNT(*) FROM Points")).toLongLong();
            const qint64 tracks = g->scalar(QStringLiteral("SELECT COUNT(*) FROM Trace WHERE Nb = 10000")).toLongLong();
            if (points != 1001000 || tracks != 100)
                fail(QStringLiteral("rows: %1 points, %2 full tracks").arg(points).arg(tracks));
        }
        state().mainView = nullptr;
        st.ResumeTiming();
    }
}

void BM_Ogr2ogr(benchmark::State& st) {
    for (auto _ : st) {
        st.PauseTiming();
        QTemporaryDir dir;
        const QString out = QDir(dir.path()).filePath(QStringLiteral("out"));
        st.ResumeTiming();
        const auto t0 = std::chrono::steady_clock::now();
        const bool ok = run(QStringLiteral("ogr2ogr"), {"-f", "ESRI Shapefile", "-s_srs", gProjGps, "-t_srs", gProjCarto,
                                                        "-select", "ele,time", out, gBenchFile, "track_points"});
        gOgr.push_back(seconds(std::chrono::steady_clock::now() - t0));
        if (!ok) fail(QStringLiteral("ogr2ogr failed"));
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    useCNumericLocale();
    benchmark::Initialize(&argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                    : QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("bench-import-data"));
    {
        const bench::DeliveredCopy delivered;
        Database db(delivered.path());
        gProjGps = definitionProj(db, 4326).value_or(QString());
        gProjCarto = definitionProj(db, 31370).value_or(QString());
    }
    prepareData(folder);

    benchmark::RegisterBenchmark("import_gpx_1M_points", BM_Import)
        ->Iterations(1)->Repetitions(3)->UseRealTime()->Unit(benchmark::kSecond);
    benchmark::RegisterBenchmark("ogr2ogr_track_points", BM_Ogr2ogr)
        ->Iterations(1)->Repetitions(3)->UseRealTime()->Unit(benchmark::kSecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double ours = median(gOurs), ogr = median(gOgr);
    std::printf("\nGPX of %.0f MB, 1,001,000 points\n", double(QFileInfo(gBenchFile).size()) / 1e6);
    std::printf("import (parse, project, store): median %.2f s\n", ours);
    std::printf("ogr2ogr (track points to shapefile): median %.2f s\n", ogr);
    std::printf("ratio ours / ogr2ogr: %.2f (goal <= 1.0)\n", ogr > 0 ? ours / ogr : 0.0);
    std::printf("peak RSS: %.0f MiB (goal < 1024)\n", double(usage.ru_maxrss) / 1024.0);
    return 0;
}
