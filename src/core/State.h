#pragma once
// The program's shared state outside the database: the in-memory settings, the counters,
// the unsaved-changes flags and the choices that one command leaves for the next.
// One object, reachable through state(); tests start from a fresh one with resetState().

#include "Prompter.h"
#include "Reachability.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <memory>

namespace sotrix { class MainView; }

namespace sotrix {

struct State {
    // Start-up
    QString nomBd = QStringLiteral("sotrix.mdb");
    QString sepDecimal = QStringLiteral(".");
    QString sepDate = QStringLiteral("/");

    // Counters and unsaved-changes flags
    qint64 nbWaypoints = 0;
    qint64 nbWaypointsSel = 0;
    qint64 nbTraces = 0;
    qint64 nbTracesSel = 0;
    bool modifWaypoints = false;
    bool modifTraces = false;

    // Settings in memory (loaded by options())
    int paramGps = 1;
    int paramPort = 1;
    int paramVitesse = 0;
    int paramDecalage = 0;
    qint32 paramProjGps = 4326;
    qint32 paramProjCarto = 31370;
    QString paramDossier;
    double facteurTaille = 1.0;
    qint32 paramCouleur = 0xFF0000;
    qint32 paramCouleurSel = 255;
    qint32 paramCouleurShp = 0x808080;
    qint32 paramCouleurEdit = 0;
    bool paramSupInt = true;
    bool paramCheckUpdate = true;
    QString paramUrlUpdate;

    // Files and outcomes
    QString nomFichier;
    int typeFichier = 0;
    bool resultatOk = false;
    QString derniereErreurProj;
    QString dernierDossier;
    // The filter position last chosen in each file dialog (FileDialogs.h).
    QHash<QString, int> positionFiltre;

    // Import choices of the field-mapping dialog
    QString sepChamps;
    QString champNom;
    int colonneX = -1;
    int colonneY = -1;
    QString sepDecimalFichier = QStringLiteral(".");
    int projImport = 0;
    QStringList champsCsv;

    // Export choice: 0 GPS coordinates, 1 map coordinates
    int projExport = 0;

    // Map tool code
    int modeOutil = 0;

    // User interaction
    std::shared_ptr<Prompter> prompter;
    std::shared_ptr<Reachability> reachability;
    MainView* mainView = nullptr;  // the main window, once it is made
};

State& state();
// Puts a fresh State in place (keeping nothing of the old one).
void resetState();
// The current Prompter; a QtPrompter unless one was installed.
Prompter& prompter();

}  // namespace sotrix
