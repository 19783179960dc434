// The view of the map: zooms, the canvas set-up, the full redraw and the reference layer.

#include "frmAccueil.h"

#include "AppDir.h"
#include "Database.h"
#include "Divers.h"
#include "MapCanvas.h"
#include "MapDrawing.h"
#include "MapQueries.h"
#include "ReferenceFiles.h"
#include "ReferenceRenderer.h"
#include "State.h"
#include "viewmath.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QImageReader>
#include <QLabel>
#include <QScopedValueRollback>

namespace sotrix {

namespace {
// The hourglass for the length of a redraw.
class Hourglass {
public:
    Hourglass() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~Hourglass() {
        if (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
    }
    Hourglass(const Hourglass&) = delete;
    Hourglass& operator=(const Hourglass&) = delete;
};

DrawColours settingsColours() {
    const State& s = state();
    return {s.paramCouleur, s.paramCouleurSel};
}
}  // namespace

void frmAccueil::zoomGlobal() {
    DbGuard db;
    vueGlobale(*this, etenduePoints(*db, false), *this);
}

void frmAccueil::zoomSelect() {
    DbGuard db;
    vueSelection(*this, etenduePoints(*db, true), [&db] { return etenduePoints(*db, false); });
}

void frmAccueil::initPicture1() {
    const int w = Picture1_->width();
    const int h = Picture1_->height();
    if (w < 1 || h < 1) return;
    Picture1_->cls();
    const double f = state().facteurTaille;
    const CanvasScale sc = echelleVue(*this, w, h, f);
    Picture1_->setScale(sc.left, sc.top, sc.width, sc.height);
    Picture1_->setDrawWidth(drawWidthFor(h, f));
}

void frmAccueil::redraw() {
    // A redraw asked for while one runs (from a timer while the renderer is awaited) is
    // done by the running one, once more, when it has finished.
    if (redrawing_) {
        redrawPending = true;
        return;
    }
    QScopedValueRollback<bool> running(redrawing_, true);
    do {
        redrawPending = false;
        redrawOnce();
    } while (redrawPending);
}

void frmAccueil::redrawOnce() {
    if (tailleVue == 0) zoomGlobal();
    // A canvas without pixels has nothing to draw; its next resize redraws.
    if (Picture1_->width() < 1 || Picture1_->height() < 1) return;
    Picture1_->drawingAtCurrentSize();
    if (tailleVue > 0) {
        Hourglass hourglass;
        initPicture1();
        if (chkRef_->isChecked()) drawShp();
        if (chkTrace_->isChecked()) afficheTraces();
        if (chkWaypoint_->isChecked()) afficheWaypoints();
    } else {
        Picture1_->cls();
    }
    emit redrawn();
}

void frmAccueil::afficheWaypoints() {
    DbGuard db;
    sotrix::afficheWaypoints(*db, *Picture1_, settingsColours(), tailleSymbole);
}

void frmAccueil::afficheTraces() {
    DbGuard db;
    sotrix::afficheTraces(*db, *Picture1_, settingsColours());
}

void frmAccueil::drawShp() {
    if (coucheRef.isEmpty() || tailleVue <= 0) return;
    const double left = Picture1_->scaleLeft();
    const double top = Picture1_->scaleTop();
    const double width = Picture1_->scaleWidth();
    const double height = Picture1_->scaleHeight();

    const QString imagePath = appPath(QString::fromLatin1(kFichierImageRef));
    // An image left by an earlier run must never stand for this one.
    QFile::remove(imagePath);
    if (renderer_) {
        try {
            renderer_->render(left, top + height, left + width, top, Picture1_->size(), imagePath);
        } catch (const std::exception&) {
            // Judged by the image below, like any other failure of the renderer.
        }
    }

    QImage image;
    if (fichierExiste(imagePath)) {
        // The renderer may write another format than its name says.
        QImageReader reader(imagePath);
        reader.setDecideFormatFromContent(true);
        image = reader.read();
    }
    if (!image.isNull()) {
        Picture1_->paintPicture(image, left, top, width, height);
        return;
    }

    coucheRef.clear();
    lblReference_->clear();
    if (state().paramSupInt) QFile::remove(appPath(QString::fromLatin1(kFichierMapfile)));
    prompter().message(QStringLiteral("Une erreur est survenue lors de l'affichage de la couche de référence."),
                       Icon::Exclamation);
}

void frmAccueil::chkRef_Click() {
    guarded([this] { redraw(); });
}

void frmAccueil::chkTrace_Click() {
    guarded([this] { redraw(); });
}

void frmAccueil::chkWaypoint_Click() {
    guarded([this] { redraw(); });
}

}  // namespace sotrix
