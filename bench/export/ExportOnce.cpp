#include "ExportOnce.h"

#include "ChildReport.h"
#include "ExportEngine.h"
#include "FailingPrompter.h"
#include "State.h"
#include "Stopwatch.h"
#include "TypeFichier.h"

#include <cstdio>

namespace sotrix::bench {

int exportOnce(const QString& nomFichier, bool fullSet) {
    resetState();
    state().prompter = std::make_shared<FailingPrompter>("bench_export");
    state().typeFichier = typefichier::kEnregistrerShapefile;
    state().projExport = 0;
    state().nomFichier = nomFichier;
    const Stopwatch clock;
    exporteFichier(false, true, fullSet, true, false);
    const double seconds = clock.seconds();
    if (!state().resultatOk) {
        std::fprintf(stderr, "bench_export: the export to %s failed\n", qPrintable(nomFichier));
        return 1;
    }
    reportWork(seconds);
    return 0;
}

}  // namespace sotrix::bench
