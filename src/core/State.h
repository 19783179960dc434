#pragma once
// The program's shared state outside the database: the in-memory settings, the counters,
// the unsaved-changes flags and the choices that one command leaves for the next.
// One object, reachable through state(); tests start from a fresh one with resetState().

#include "AppDir.h"
#include "Prompter.h"
#include "Reachability.h"
#include "SettingsDefaults.h"

#include <QDate>
#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace sotrix { class MainView; }

namespace sotrix {

struct State {
    // Start-up
    QString nomBd = QString::fromLatin1(kNomBd);
    QString sepDecimal = QStringLiteral(".");
    QString sepDate = QStringLiteral("/");

    // Counters and unsaved-changes flags
    qint64 nbWaypoints = 0;
    qint64 nbWaypointsSel = 0;
    qint64 nbTraces = 0;
    qint64 nbTracesSel = 0;
    // A command failed since the lists and counters were last read from the tables: they
    // show what the tables held before and may no longer match them.
    bool comptesIncertains = false;
    bool modifWaypoints = false;
    bool modifTraces = false;

    // Settings in memory (loaded by options())
    int paramGps = defaut::gps;
    int paramPort = defaut::port;
    int paramVitesse = defaut::vitesse;
    int paramDecalage = defaut::decalage;
    qint32 paramProjGps = defaut::projGps;
    qint32 paramProjCarto = defaut::projCarto;
    QString paramDossier;
    double facteurTaille = defaut::facteurTaille;
    qint32 paramCouleur = defaut::couleur;
    qint32 paramCouleurSel = defaut::couleurSel;
    qint32 paramCouleurShp = defaut::couleurShp;
    qint32 paramCouleurEdit = defaut::couleurEdit;
    bool paramSupInt = defaut::supInt;
    bool paramCheckUpdate = defaut::checkUpdate;
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
    // Today's date (aujourdhui()); QDate::currentDate when unset. Tests fix it.
    std::function<QDate()> horloge;
};

State& state();
// Puts a fresh State in place (keeping nothing of the old one) and forgets the program
// folder chosen (resetAppDir).
void resetState();
// The current Prompter; a QtPrompter unless one was installed.
Prompter& prompter();

}  // namespace sotrix
