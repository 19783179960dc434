#include "GpsTransfer.h"

#include "AppDir.h"
#include "Execution.h"
#include "ExportEngine.h"
#include "FichierTravail.h"
#include "FileMessages.h"
#include "GpsErrorLog.h"
#include "GpsMessages.h"
#include "GpxProbe.h"
#include "ImportEngine.h"
#include "MainView.h"
#include "NmeaLine.h"
#include "Prompter.h"
#include "State.h"
#include "TypeFichier.h"
#include "frmProgress.h"

#include <optional>

namespace sotrix {

namespace {

constexpr int kGpxFileType = typefichier::kOuvrirGpx;

struct WorkFiles {
    QString gpx = appPath(QStringLiteral("gps.gpx"));
    QString out = appPath(QStringLiteral("out.log"));
    QString err = appPath(QStringLiteral("error.log"));
};

// Removes an old working file before its use; when that fails, closes the window and
// names the file to the user. The working files are the program's own: whatever stands
// at their names (a link, which is not followed, a pipe) goes, and each is made anew.
bool supprimeAvantUsage(const QString& path, frmProgress& window) {
    state().nomFichier = path;
    if (libereFichierTravail(path)) return true;
    window.closeFromCode();
    prompter().message(msgEchecFichier(path), Icon::Exclamation);
    return false;
}

// The items of "error.log"; a log that cannot be read is treated as empty here, where a
// failure message is shown anyway.
QStringList itemsOuRien(const WorkFiles& files) { return lisErreurs(files.err).value_or(QStringList()); }

enum class RunStep { Ran, Stopped };

// Removes the old logs, sets an NMEA line up and runs GPSBabel. Reports every failure
// itself (the window is closed by then) and returns Stopped; Ran when GPSBabel ended.
RunStep lanceGpsBabel(GpsDirection direction, const QStringList& args, const WorkFiles& files,
                      const GpsLimits& limits, frmProgress& window) {
    if (!supprimeAvantUsage(files.out, window) || !supprimeAvantUsage(files.err, window)) return RunStep::Stopped;

    const State& s = state();
    const bool nmea = s.paramGps == kGpsNmea;
    RunResult run;
    {
        std::optional<NmeaLine> line;
        if (nmea) line.emplace(gpsDevice(s.paramGps, s.paramPort), s.paramVitesse, direction == GpsDirection::Download);
        run = executeEtAttend(QStringLiteral("gpsbabel"), args, nmea ? limits.nmeaTimeoutMs : limits.receiverTimeoutMs,
                              files.out, files.err);
    }
    if (run.finished()) return RunStep::Ran;

    // A download stopped half-way must not leave a partial exchange file to import.
    if (run.status == RunResult::Status::TimedOut && direction == GpsDirection::Download)
        libereFichierTravail(files.gpx);
    window.closeFromCode();
    prompter().message(msgEchecExecution(direction, s.paramPort, itemsOuRien(files)), Icon::Exclamation);
    return RunStep::Stopped;
}

// The arguments of the run, or nullopt after the refusal of an unknown receiver type.
std::optional<QStringList> argumentsOuRefus(GpsDirection direction, bool waypoints, bool tracks, bool routes,
                                            const WorkFiles& files, frmProgress& window) {
    State& s = state();
    auto args = gpsArguments(direction, s.paramGps, s.paramPort, s.paramVitesse, waypoints, tracks, routes, files.gpx);
    if (!args) {
        s.resultatOk = false;
        window.closeFromCode();
        prompter().message(msgTypeGpsInconnu(), Icon::Exclamation);
    }
    return args;
}

// Reads GPSBabel's diagnostics and removes the logs when the settings ask for it.
// nullopt when "error.log" could not be read (reported, window closed).
std::optional<QStringList> litDiagnostics(const WorkFiles& files, frmProgress& window) {
    State& s = state();
    s.nomFichier = files.err;
    const std::optional<QStringList> items = lisErreurs(files.err);
    if (!items) {
        window.closeFromCode();
        prompter().message(msgEchecFichier(files.err), Icon::Exclamation);
        return std::nullopt;
    }
    if (!items->isEmpty()) s.resultatOk = false;
    if (s.paramSupInt) {
        libereFichierTravail(files.out);
        libereFichierTravail(files.err);
    }
    return items;
}

// The last step of a transfer: GPSBabel's diagnostics, then the final message. Without
// diagnostics, the success message is shown only when `reussi` holds.
void termine(GpsDirection direction, const WorkFiles& files, frmProgress& window, bool reussi) {
    const auto items = litDiagnostics(files, window);
    if (!items) return;
    window.step();

    window.closeFromCode();
    if (!items->isEmpty())
        prompter().message(msgErreursGps(direction, *items), Icon::Critical);
    else if (reussi)
        prompter().message(msgTransfertReussi(direction), Icon::Information);
}

void fenetre(frmProgress& window, const QString& titre, int steps) {
    window.setCaption(QStringLiteral("Transfert en cours..."));
    window.setTitre(titre);
    window.setRange(0, steps);
    window.showProgress();
}

// Puts the unsaved-changes flags back as they were, on every way out.
class FlagsKeeper {
public:
    FlagsKeeper() : waypoints_(state().modifWaypoints), tracks_(state().modifTraces) {}
    ~FlagsKeeper() {
        state().modifWaypoints = waypoints_;
        state().modifTraces = tracks_;
    }
    FlagsKeeper(const FlagsKeeper&) = delete;
    FlagsKeeper& operator=(const FlagsKeeper&) = delete;

private:
    bool waypoints_;
    bool tracks_;
};

}  // namespace

void telechargeGps(bool waypoints, bool tracks, bool routes, const GpsLimits& limits) {
    constexpr auto direction = GpsDirection::Download;
    State& s = state();
    s.resultatOk = true;
    frmProgress window;
    fenetre(window, titreTelechargement(waypoints, tracks, routes), 6);
    const WorkFiles files;

    if (!supprimeAvantUsage(files.gpx, window)) return;
    window.step();

    const auto args = argumentsOuRefus(direction, waypoints, tracks, routes, files, window);
    if (!args) return;
    window.step();

    if (lanceGpsBabel(direction, *args, files, limits, window) == RunStep::Stopped) return;
    window.step();

    // No exchange file, or one with nothing in it: the receiver sent nothing, and the
    // workspace keeps its content.
    if (!fichierTravailPresent(files.gpx) || gpxSansDonnees(files.gpx)) {
        const QStringList items = itemsOuRien(files);
        window.closeFromCode();
        prompter().message(msgAucuneDonnee(items), Icon::Critical);
        return;
    }

    s.nomFichier = files.gpx;
    s.typeFichier = kGpxFileType;
    const ImportOutcome outcome = importeFichier(true);
    if (MainView* main = s.mainView) {
        main->majListes();
        main->zoomGlobal();
        main->redraw();
    }
    window.step();

    // After a refused or failed import the exchange file stays, for the user to look at.
    const bool imported = outcome == ImportOutcome::Ok || outcome == ImportOutcome::Stopped;
    if (s.paramSupInt && imported) libereFichierTravail(files.gpx);
    window.step();

    termine(direction, files, window, imported);
}

void envoieGps(bool waypoints, bool tracks, bool selectedOnly, const GpsLimits& limits) {
    constexpr auto direction = GpsDirection::Upload;
    State& s = state();
    s.resultatOk = true;
    frmProgress window;
    fenetre(window, titreEnvoi(waypoints, tracks), 5);
    const WorkFiles files;

    // The export replaces an older exchange file whole, or leaves it as it was and fails;
    // never through what stands at its name.
    {
        const FlagsKeeper keeper;
        s.nomFichier = files.gpx;
        s.typeFichier = kGpxFileType;
        ExportContext context;
        context.kind = SaveName::Working;
        exporteFichier(context, waypoints, tracks, false, false, selectedOnly);
    }
    if (!s.resultatOk) {
        window.closeFromCode();  // the export has told the user already
        return;
    }
    if (!fichierTravailPresent(files.gpx)) {
        window.closeFromCode();
        prompter().message(msgGpxAbsent(files.gpx), Icon::Critical);
        return;
    }
    window.step();

    const auto args = argumentsOuRefus(direction, waypoints, tracks, false, files, window);
    if (!args) return;
    window.step();

    if (lanceGpsBabel(direction, *args, files, limits, window) == RunStep::Stopped) return;
    window.step();

    if (s.paramSupInt) libereFichierTravail(files.gpx);
    window.step();

    termine(direction, files, window, true);
}

}  // namespace sotrix
