#include "ImportOnce.h"

#include "ChildReport.h"
#include "FailingPrompter.h"
#include "ImportEngine.h"
#include "QuietMainView.h"
#include "State.h"
#include "Stopwatch.h"
#include "TypeFichier.h"

#include <QFile>

#include <cstdio>

namespace sotrix::bench {

int importOnce(const QString& gpx, const QString& home) {
    qputenv("SOTRIX_HOME", QFile::encodeName(home));
    QuietMainView view;
    resetState();
    state().prompter = std::make_shared<FailingPrompter>("bench_import");
    state().mainView = &view;
    state().paramProjGps = 4326;
    state().paramProjCarto = 31370;
    state().paramDecalage = 0;
    state().nomFichier = gpx;
    state().typeFichier = typefichier::kOuvrirGpx;

    const Stopwatch clock;
    const ImportOutcome outcome = importeFichier(false);
    const double seconds = clock.seconds();
    state().mainView = nullptr;
    if (outcome != ImportOutcome::Ok) {
        std::fprintf(stderr, "bench_import: the import of %s did not succeed\n", qPrintable(gpx));
        return 1;
    }
    reportWork(seconds);
    return 0;
}

}  // namespace sotrix::bench
