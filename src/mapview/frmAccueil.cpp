#include "frmAccueil.h"

#include "AppDir.h"
#include "Database.h"
#include "Divers.h"
#include "Environment.h"
#include "Schema.h"
#include "Settings.h"
#include "State.h"

#include <QDir>
#include <QLabel>
#include <QStatusBar>

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

void frmAccueil::buildUi() {
    setWindowTitle(QStringLiteral("Sotrix"));
    lblVersion_ = new QLabel(this);
    lblVersion_->setObjectName(QStringLiteral("lblVersion"));
    statusBar()->addPermanentWidget(lblVersion_);
}

bool frmAccueil::Form_Load() {
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
    } catch (const DbError& e) {
        prompter().message(QStringLiteral("Une erreur est survenue lors de l'accès à la base de données : ") + e.message(),
                           Icon::Exclamation);
        return false;
    } catch (const std::exception& e) {
        prompter().message(QStringLiteral("Une erreur inattendue est survenue : ") + QString::fromUtf8(e.what()),
                           Icon::Exclamation);
        return false;
    }
    if (s.paramCheckUpdate) majManuelle = false;
    if (!s.paramDossier.isEmpty()) QDir::setCurrent(s.paramDossier);
    s.dernierDossier = QDir::currentPath();
    return true;
}

void frmAccueil::majListes() {}
void frmAccueil::majNb() {}
void frmAccueil::zoomGlobal() {}
void frmAccueil::redraw() {}

}  // namespace sotrix
