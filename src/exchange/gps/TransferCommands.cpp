#include "TransferCommands.h"

#include "CommandGuard.h"
#include "FileMessages.h"
#include "GpsTransfer.h"
#include "Prompter.h"
#include "State.h"

#include <QAction>
#include <QWidget>

#include <array>
#include <utility>

namespace sotrix {

void TransferService::telechargeGps(bool waypoints, bool tracks, bool routes) {
    sotrix::telechargeGps(waypoints, tracks, routes);
}

void TransferService::envoieGps(bool waypoints, bool tracks, bool selectedOnly) {
    sotrix::envoieGps(waypoints, tracks, selectedOnly);
}

namespace {

void telecharge(TransferService& service, bool waypoints, bool tracks, bool routes) {
    const DonneesPresentes d = donneesPresentes();
    if ((d.waypoints || d.traces) && prompter().ask(msgRemplacerDonnees()) != Answer::Yes) return;
    service.telechargeGps(waypoints, tracks, routes);
}

// Sends when there is something to send; asks about the selection when there is one.
// The question cannot cancel: No sends everything of the kinds asked.
void envoie(TransferService& service, bool waypoints, bool tracks, bool goesOn, bool hasSelection,
            const QString& question) {
    if (!goesOn) return;
    const bool selectedOnly = hasSelection && prompter().ask(question) == Answer::Yes;
    service.envoieGps(waypoints, tracks, selectedOnly);
}

}  // namespace

void gpsTelechargerTout_Click(TransferService& service) { telecharge(service, true, true, true); }
void gpsTelechargerWaypoints_Click(TransferService& service) { telecharge(service, true, false, false); }
void gpsTelechargerTraces_Click(TransferService& service) { telecharge(service, false, true, false); }
void gpsTelechargerRoutes_Click(TransferService& service) { telecharge(service, false, false, true); }

void gpsEnvoyerTout_Click(TransferService& service) {
    const State& s = state();
    envoie(service, true, true, s.nbTraces != 0 || s.nbWaypoints != 0, s.nbTracesSel > 0 || s.nbWaypointsSel > 0,
           QStringLiteral("Voulez-vous envoyer vers le GPS uniquement les Waypoints/Traces sélectionnés ?"));
}

void gpsEnvoyerWaypoints_Click(TransferService& service) {
    const State& s = state();
    envoie(service, true, false, s.nbWaypoints != 0, s.nbWaypointsSel > 0,
           QStringLiteral("Voulez-vous envoyer vers le GPS uniquement les Waypoints sélectionnés ?"));
}

void gpsEnvoyerTraces_Click(TransferService& service) {
    const State& s = state();
    envoie(service, false, true, s.nbTraces != 0, s.nbTracesSel > 0,
           QStringLiteral("Voulez-vous envoyer vers le GPS uniquement les Traces sélectionnées ?"));
}

int connecteMenuTransferts(QWidget* mainWindow, std::shared_ptr<TransferService> service) {
    if (!mainWindow || !service) return 0;
    using Handler = void (*)(TransferService&);
    const std::array<std::pair<QString, Handler>, 7> commands{{
        {QStringLiteral("gpsTéléchargerTout"), &gpsTelechargerTout_Click},
        {QStringLiteral("gpsTéléchargerWaypoints"), &gpsTelechargerWaypoints_Click},
        {QStringLiteral("gpsTéléchargerTraces"), &gpsTelechargerTraces_Click},
        {QStringLiteral("gpsTéléchargerRoutes"), &gpsTelechargerRoutes_Click},
        {QStringLiteral("gpsEnvoyerTout"), &gpsEnvoyerTout_Click},
        {QStringLiteral("gpsEnvoyerWaypoints"), &gpsEnvoyerWaypoints_Click},
        {QStringLiteral("gpsEnvoyerTraces"), &gpsEnvoyerTraces_Click},
    }};
    int connected = 0;
    for (const auto& [name, handler] : commands) {
        QAction* action = mainWindow->findChild<QAction*>(name);
        if (!action) continue;
        QObject::connect(action, &QAction::triggered, mainWindow,
                         [service, handler = handler] { runUserCommand([&] { handler(*service); }); });
        ++connected;
    }
    return connected;
}

}  // namespace sotrix
