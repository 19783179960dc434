#pragma once
// The commands of the "Transferts" menu: each asks its question, then starts a download
// or an upload with the right choice of data.

#include <memory>

class QWidget;

namespace sotrix {

// What the commands start; the real one runs telechargeGps and envoieGps.
class TransferService {
public:
    virtual ~TransferService() = default;
    virtual void telechargeGps(bool waypoints, bool tracks, bool routes);
    virtual void envoieGps(bool waypoints, bool tracks, bool selectedOnly);
};

void gpsTelechargerTout_Click(TransferService& service);
void gpsTelechargerWaypoints_Click(TransferService& service);
void gpsTelechargerTraces_Click(TransferService& service);
void gpsTelechargerRoutes_Click(TransferService& service);
void gpsEnvoyerTout_Click(TransferService& service);
void gpsEnvoyerWaypoints_Click(TransferService& service);
void gpsEnvoyerTraces_Click(TransferService& service);

// Connects the seven menu actions found under mainWindow by their objectName
// (gpsTéléchargerTout, ..., gpsEnvoyerTraces) to their commands, each run inside the
// main window's command guard (runUserCommand). Returns the number of actions connected (7 when the menu is complete).
int connecteMenuTransferts(QWidget* mainWindow,
                           std::shared_ptr<TransferService> service = std::make_shared<TransferService>());

}  // namespace sotrix
