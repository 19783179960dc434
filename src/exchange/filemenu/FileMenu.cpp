#include "FileMenu.h"

#include "CommandGuard.h"
#include "FileMessages.h"
#include "MainView.h"
#include "Prompter.h"
#include "State.h"

#include <QAction>
#include <QWidget>

namespace sotrix {

void fermerFichier_Click() {
    const State& s = state();
    MainView* main = s.mainView;
    if (!main) return;
    const DonneesPresentes d = donneesPresentes();
    const bool unsaved = (d.waypoints && s.modifWaypoints) || (d.traces && s.modifTraces);
    if (unsaved && prompter().ask(msgNonEnregistres()) != Answer::Yes) return;
    main->viderDb();
    main->redraw();
}

void fichierEnregistrer_Click(const ExportRunner& exporte) {
    const State& s = state();
    if (s.nbWaypoints <= 0 && s.nbTraces <= 0) {
        prompter().message(QStringLiteral("Aucun Waypoint/Trace n'existe."), Icon::Exclamation);
        return;
    }
    auto* dialog = new frmExport(exporte);  // deletes itself on its way out
    dialog->showOver(s.mainView ? s.mainView->window() : nullptr);
}

int connecteMenuFichier(QWidget* mainWindow, ExportRunner exporte) {
    if (!mainWindow) return 0;
    const auto connecte = [mainWindow](const char* name, std::function<void()> command) {
        QAction* action = mainWindow->findChild<QAction*>(QString::fromUtf8(name));
        if (!action) return 0;
        QObject::connect(action, &QAction::triggered, mainWindow, [command] { runUserCommand(command); });
        return 1;
    };
    return connecte("fichierOuvrir", &fichierOuvrir_Click) + connecte("fermerFichier", &fermerFichier_Click) +
           connecte("fichierEnregistrer", [exporte] { fichierEnregistrer_Click(exporte); });
}

}  // namespace sotrix
