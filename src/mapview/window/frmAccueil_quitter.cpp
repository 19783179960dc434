// Quitting: the quit procedure of "Quitter" and the close query of the window.

#include "frmAccueil.h"

#include "AppDir.h"
#include "CommandGuard.h"
#include "Database.h"
#include "ListeNoms.h"
#include "ReferenceFiles.h"
#include "State.h"

#include <QCloseEvent>
#include <QFile>
#include <QLabel>

namespace sotrix {

QString frmAccueil::lblFichierText() const { return lblFichier_->text(); }

QString frmAccueil::lblReferenceText() const { return lblReference_->text(); }

bool frmAccueil::listsHoldData() const { return lstWaypoint_->count() > 0 || lstTrace_->count() > 0; }

QuitResult frmAccueil::fichierQuitter_Click() {
    const State& s = state();
    const SharedLockWait wait;
    const DonneesPresentes d = donneesPresentes();
    if (((d.waypoints && s.modifWaypoints) || (d.traces && s.modifTraces)) &&
        prompter().ask(QStringLiteral("Les Waypoints et/ou les Traces en cours n'ont pas été enregistrés.\n"
                                      "Voulez-vous néanmoins continuer ?")) == Answer::No)
        return QuitResult::Declined;
    // A failed emptying (a full disk) is reported and the quit goes on: the user has
    // answered for the data, and the rows left are listed at the next start.
    guarded([this] { viderDb(); });
    if (s.paramSupInt)
        for (const char* name : {"zz.dbf", kFichierMapfile, kFichierConfMapserver, kFichierImageRef})
            QFile::remove(appPath(QString::fromLatin1(name)));
    close();
    return QuitResult::Done;
}

bool frmAccueil::Form_QueryUnload(bool fromControlBox) {
    if (!fromControlBox) return false;
    return fichierQuitter_Click() != QuitResult::Done;
}

void frmAccueil::closeEvent(QCloseEvent* event) {
    // Only the window manager's close asks; the program's own close passes through.
    if (Form_QueryUnload(event->spontaneous())) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

}  // namespace sotrix
