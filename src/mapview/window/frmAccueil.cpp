#include "frmAccueil.h"

#include "AppDir.h"
#include "CommandGuard.h"
#include "Database.h"
#include "Divers.h"
#include "Environment.h"
#include "HandModal.h"
#include "ListeNoms.h"
#include "MapCanvas.h"
#include "ReferenceRenderer.h"
#include "Schema.h"
#include "Settings.h"
#include "ShapefileMessages.h"
#include "State.h"
#include "UpdateCheck.h"
#include "Version.h"
#include "WorkspaceData.h"
#include "WorkspaceLock.h"

#include <QDir>
#include <QLabel>
#include <QScopedValueRollback>

namespace sotrix {

frmAccueil::frmAccueil(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmAccueil"));
    buildUi();
    updateChecker_ = new UpdateChecker(this);
    connecteCommandes();
    state().mainView = this;
}

frmAccueil::~frmAccueil() {
    delete frmEdit_.data();
    if (state().mainView == this) state().mainView = nullptr;
}

bool frmAccueil::Form_Load() {
    installShapefileMessages();
    State& s = state();
    lblVersion_->setText(texteVersion());
    s.nomBd = QString::fromLatin1(kNomBd);
    // An installed program's first start makes the user's workspace; a failed copy ends
    // in the message below.
    seedAppDir();
    if (!fichierExiste(appPath(s.nomBd))) {
        prompter().message(QStringLiteral("Le fichier '") + s.nomBd +
                               QStringLiteral("' est introuvable. Impossible de continuer.\nL'application va se fermer."),
                           Icon::Exclamation);
        return false;
    }
    // One program per workspace: a second one would write into a file that the first
    // one's compaction replaces. Where no lock can be had, the program starts as before.
    workspaceLock_ = std::make_unique<WorkspaceLock>(databasePath());
    if (workspaceLock_->state() == WorkspaceLock::State::InUse) {
        prompter().message(QStringLiteral("Sotrix est déjà ouvert avec cet espace de travail : ") + databasePath(),
                           Icon::Exclamation);
        return false;
    }
    if (workspaceLock_->state() == WorkspaceLock::State::Unverifiable) {
        prompter().message(QStringLiteral("Impossible de vérifier que cet espace de travail n'est pas déjà ouvert : ") +
                               WorkspaceLock::lockPath(databasePath()),
                           Icon::Exclamation);
        return false;
    }
    // Any failure of these steps ends the program after its message, as the command
    // guard words it.
    const bool ready = runCommand([this, &s] {
        separateurDecimal();
        separateurDate();
        setToolEnvironment();
        s.nbWaypoints = s.nbWaypointsSel = s.nbTraces = s.nbTracesSel = 0;
        s.modifWaypoints = s.modifTraces = false;
        updateDb();
        majNb();
        options();
        majListes();
        // Rows left by an abnormal end are listed and drawn: at once when the window is
        // already shown, else once it shows and its canvas has taken its size
        // (resizeSettled).
        if (s.nbWaypoints > 0 || s.nbTraces > 0) {
            if (isVisible())
                redraw();
            else
                zoomGlobal();
        }
    });
    if (!ready) return false;
    if (s.paramCheckUpdate) updateChecker_->update(false);
    if (!s.paramDossier.isEmpty()) QDir::setCurrent(s.paramDossier);
    s.dernierDossier = QDir::currentPath();
    return true;
}

void frmAccueil::setReferenceLayer(const ReferenceLayer& layer) {
    static_cast<ReferenceLayer&>(*this) = layer;
    lblReference_->setText(coucheRef);
}

// Empties the workspace: the tables first, in one transaction, so that a failure leaves
// rows, lists, label and view as they were; then no view, no current file, empty lists;
// then the compaction and a redraw. The selection counts and the unsaved-changes flags
// stay as they are: the callers refresh what they need.
void frmAccueil::viderDb() {
    State& s = state();
    videTables();
    tailleVue = 0;
    lblFichier_->clear();
    {
        QScopedValueRollback<bool> filling(remplissageListes, true);
        lstWaypoint_->clear();
        s.nbWaypoints = 0;
        lstTrace_->clear();
        s.nbTraces = 0;
    }
    compacteDb();
    redraw();
}

void frmAccueil::setLblFichier(const QString& path) { lblFichier_->setText(path); }

void frmAccueil::setMainWindowEnabled(bool enabled) {
    if (enabled)
        giveBackMainWindow(this);
    else
        setEnabled(false);
}

void frmAccueil::setReferenceRenderer(std::shared_ptr<ReferenceRenderer> renderer) { renderer_ = std::move(renderer); }

// A failed command may have changed rows before it failed: the lists are read again once
// its message is closed. Until they can be, they keep what they showed, and the counters
// are taken as unsure (donneesPresentes). The command and the reading wait once in all
// for a database locked elsewhere.
bool frmAccueil::guarded(const std::function<void()>& body) {
    const SharedLockWait wait;
    const bool done = runCommand(body, [this] {
        state().modeOutil = 0;
        Picture1_->setPointer(0);
        Picture1_->hideBand();
        Picture1_->hideLine();
        lblDistance_->clear();
        mesureEnCours = false;
        state().comptesIncertains = true;
    });
    if (!done) {
        try {
            majListes();
        } catch (...) {
            // Read again by the next command that reads them.
        }
    }
    return done;
}

void frmAccueil::resetMapTool() {
    state().modeOutil = 0;
    Picture1_->setPointer(0);
}

QSize frmAccueil::canvasPixels() const { return Picture1_->size(); }

}  // namespace sotrix
