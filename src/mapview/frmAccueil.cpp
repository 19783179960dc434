#include "frmAccueil.h"

#include "AppDir.h"
#include "CommandGuard.h"
#include "Database.h"
#include "Divers.h"
#include "Environment.h"
#include "MapCanvas.h"
#include "ReferenceRenderer.h"
#include "Schema.h"
#include "Settings.h"
#include "ShapefileMessages.h"
#include "State.h"
#include "WorkspaceData.h"

#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QScopedValueRollback>

namespace sotrix {

namespace {
constexpr int kVersionMajor = 2;
constexpr int kVersionMinor = 6;
constexpr int kVersionRevision = 11;
}  // namespace

frmAccueil::frmAccueil(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmAccueil"));
    buildUi();
    state().mainView = this;
}

frmAccueil::~frmAccueil() {
    if (state().mainView == this) state().mainView = nullptr;
}

bool frmAccueil::Form_Load() {
    installShapefileMessages();
    State& s = state();
    lblVersion_->setText(QStringLiteral("Version %1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision));
    s.nomBd = QStringLiteral("sotrix.mdb");
    if (!fichierExiste(appPath(s.nomBd))) {
        prompter().message(QStringLiteral("Le fichier '") + s.nomBd +
                               QStringLiteral("' est introuvable. Impossible de continuer.\nL'application va se fermer."),
                           Icon::Exclamation);
        return false;
    }
    try {
        separateurDecimal();
        separateurDate();
        setToolEnvironment(appDir());
        s.nbWaypoints = s.nbWaypointsSel = s.nbTraces = s.nbTracesSel = 0;
        s.modifWaypoints = s.modifTraces = false;
        updateDb();
        majNb();
        options();
        majListes();
        // Rows left by an abnormal end are drawn as well as listed.
        if (s.nbWaypoints > 0 || s.nbTraces > 0) redraw();
    } catch (const DbError& e) {
        prompter().message(QString::fromUtf8(kMsgErreurBase) + e.message(), Icon::Exclamation);
        return false;
    } catch (const std::exception& e) {
        prompter().message(QString::fromUtf8(kMsgErreurInattendue) + QString::fromUtf8(e.what()), Icon::Exclamation);
        return false;
    }
    if (s.paramCheckUpdate) majManuelle = false;
    if (!s.paramDossier.isEmpty()) QDir::setCurrent(s.paramDossier);
    s.dernierDossier = QDir::currentPath();
    return true;
}

void frmAccueil::setReferenceLayer(const ReferenceLayer& layer) {
    static_cast<ReferenceLayer&>(*this) = layer;
    lblReference_->setText(coucheRef);
}

// Empties the workspace: no view, no current file, empty lists, then the tables and the
// compaction, then a redraw. The selection counts and the unsaved-changes flags stay as
// they are: the callers refresh what they need.
void frmAccueil::viderDb() {
    State& s = state();
    tailleVue = 0;
    lblFichier_->clear();
    {
        QScopedValueRollback<bool> filling(remplissageListes, true);
        lstWaypoint_->clear();
        s.nbWaypoints = 0;
        lstTrace_->clear();
        s.nbTraces = 0;
    }
    videDonnees();
    redraw();
}

void frmAccueil::setLblFichier(const QString& path) { lblFichier_->setText(path); }

void frmAccueil::setMainWindowEnabled(bool enabled) {
    setEnabled(enabled);
    if (enabled) {
        activateWindow();
        setFocus();
    }
}

void frmAccueil::setReferenceRenderer(std::shared_ptr<ReferenceRenderer> renderer) { renderer_ = std::move(renderer); }

bool frmAccueil::guarded(const std::function<void()>& body) {
    return runCommand(body, [this] {
        state().modeOutil = 0;
        Picture1_->setPointer(0);
        majListes();
    });
}

}  // namespace sotrix
