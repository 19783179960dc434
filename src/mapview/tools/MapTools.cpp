// The map tools: the tool buttons arm a code, the mouse on the map carries it out and
// puts the code back to 0, so that every tool acts once. The band and the distance line
// move on the canvas overlay only: nothing is read or redrawn while dragging.

#include "MapTools.h"

#include "ListeNoms.h"
#include "MapCanvas.h"
#include "State.h"
#include "frmAccueil.h"
#include "viewmath.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QToolButton>

#include <cmath>
#include <functional>

namespace sotrix {

QString texteDistance(double d) {
    QLocale l;
    l.setNumberOptions(QLocale::OmitGroupSeparator);
    return QStringLiteral("Distance : ") + l.toString(d, 'f', 4);
}

namespace {
// Hands the key of every key release (not the repeats) of a widget to a handler.
class KeyUpFilter : public QObject {
public:
    KeyUpFilter(QObject* parent, std::function<void(int)> handler) : QObject(parent), handler_(std::move(handler)) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyRelease) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (!key->isAutoRepeat()) handler_(key->key());
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void(int)> handler_;
};
}  // namespace

void frmAccueil::connectMapTools() {
    const std::pair<const char*, void (frmAccueil::*)()> buttons[] = {
        {"cmdZoomIn", &frmAccueil::cmdZoomIn_Click},
        {"cmdZoomOut", &frmAccueil::cmdZoomOut_Click},
        {"cmdPan", &frmAccueil::cmdPan_Click},
        {"cmdExtentAll", &frmAccueil::cmdExtentAll_Click},
        {"cmdZoomSelect", &frmAccueil::cmdZoomSelect_Click},
        {"cmdDistance", &frmAccueil::cmdDistance_Click},
        {"cmdSelectWaypoint", &frmAccueil::cmdSelectWaypoint_Click},
        {"cmdSelectTrace", &frmAccueil::cmdSelectTrace_Click},
        {"cmdInfoWaypoint", &frmAccueil::cmdInfoWaypoint_Click},
        {"cmdInfoTrace", &frmAccueil::cmdInfoTrace_Click},
        {"cmdEdit", &frmAccueil::cmdEdit_Click},
        {"cmdCalcMoyenneSelect", &frmAccueil::cmdCalcMoyenneSelect_Click},
        {"cmdFusionner", &frmAccueil::cmdFusionner_Click},
        {"cmdFermer", &frmAccueil::cmdFermer_Click},
        {"cmdSupprimer", &frmAccueil::cmdSupprimer_Click},
    };
    for (const auto& [name, handler] : buttons) {
        auto* button = findChild<QToolButton*>(QString::fromLatin1(name));
        connect(button, &QToolButton::clicked, this, [this, h = handler] { (this->*h)(); });
    }
    connect(Picture1_, &MapCanvas::mouseDown, this, &frmAccueil::Picture1_MouseDown);
    connect(Picture1_, &MapCanvas::mouseMove, this, &frmAccueil::Picture1_MouseMove);
    connect(Picture1_, &MapCanvas::mouseUp, this, &frmAccueil::Picture1_MouseUp);
    connect(Picture1_, &MapCanvas::dblClick, this, &frmAccueil::Picture1_DblClick);
    lstWaypoint_->installEventFilter(new KeyUpFilter(lstWaypoint_, [this](int key) { lstWaypoint_KeyUp(key); }));
    lstTrace_->installEventFilter(new KeyUpFilter(lstTrace_, [this](int key) { lstTrace_KeyUp(key); }));
}

// ---------------------------------------------------------------- tool buttons

void frmAccueil::armeOutil(int code, int pointer) {
    guarded([&] {
        state().modeOutil = code;
        Picture1_->setPointer(pointer);
    });
}

void frmAccueil::cmdZoomIn_Click() { armeOutil(outil::kZoomBoite, pointeur::kCroix); }
void frmAccueil::cmdPan_Click() { armeOutil(outil::kPan, pointeur::kDeplacer); }
void frmAccueil::cmdSelectWaypoint_Click() { armeOutil(outil::kSelectWaypoint, pointeur::kCroix); }
void frmAccueil::cmdInfoWaypoint_Click() { armeOutil(outil::kInfoWaypoint, pointeur::kCroix); }
void frmAccueil::cmdSelectTrace_Click() { armeOutil(outil::kSelectTrace, pointeur::kCroix); }
void frmAccueil::cmdInfoTrace_Click() { armeOutil(outil::kInfoTrace, pointeur::kCroix); }

void frmAccueil::cmdDistance_Click() {
    // A distance needs a view to be measured in.
    if (tailleVue == 0) return;
    guarded([this] {
        mesureEnCours = false;
        state().modeOutil = outil::kDistance;
        Picture1_->setPointer(pointeur::kCroix);
    });
}

void frmAccueil::cmdZoomOut_Click() {
    guarded([this] {
        state().modeOutil = outil::kAucun;
        Picture1_->setPointer(pointeur::kDefaut);
        elargitVue(*this);
        redraw();
    });
}

void frmAccueil::cmdExtentAll_Click() {
    guarded([this] {
        state().modeOutil = outil::kAucun;
        Picture1_->setPointer(pointeur::kDefaut);
        zoomGlobal();
        redraw();
    });
}

void frmAccueil::cmdZoomSelect_Click() {
    guarded([this] {
        zoomSelect();
        redraw();
    });
}

// ---------------------------------------------------------------- view procedures

void frmAccueil::calcZoomIn() { vueBoite(*this, boiteX[0], boiteY[0], boiteX[1], boiteY[1]); }

void frmAccueil::pan() {
    // Press minus release: the map follows the pointer.
    deplaceVue(*this, boiteX[0] - boiteX[1], boiteY[0] - boiteY[1]);
    redraw();
    state().modeOutil = outil::kAucun;
}

// ---------------------------------------------------------------- mouse on the map

namespace {
bool outilBande(int code) { return code == outil::kZoomBoite || code == outil::kSelectWaypoint; }
}  // namespace

void frmAccueil::finOutil() {
    state().modeOutil = outil::kAucun;
    Picture1_->setPointer(pointeur::kDefaut);
}

void frmAccueil::Picture1_MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, double x, double y) {
    guarded([&] {
        State& s = state();
        switch (s.modeOutil) {
        case outil::kZoomBoite:
        case outil::kSelectWaypoint:
            ancreX = x;
            ancreY = y;
            Picture1_->showBand(QRectF(QPointF(x, y), QPointF(x, y)));
            break;
        case outil::kPan:
            boiteX[0] = x;
            boiteY[0] = y;
            break;
        case outil::kInfoWaypoint:
            xClic = x;
            yClic = y;
            infoWaypoint();
            finOutil();
            break;
        case outil::kDistance:
            mesureEnCours = true;
            Picture1_->showLine(QPointF(x, y), QPointF(x, y));
            break;
        case outil::kAjoutWaypoint:
            saisieX = {x};
            saisieY = {y};
            addWaypoint();
            finOutil();
            break;
        case outil::kSelectTrace:
            xClic = x;
            yClic = y;
            selectTrace();
            finOutil();
            break;
        case outil::kInfoTrace:
            xClic = x;
            yClic = y;
            infoTrace();
            finOutil();
            break;
        case outil::kDessinTrace: ajoutePointSaisi(x, y); break;
        default: break;
        }
    });
}

void frmAccueil::ajoutePointSaisi(double x, double y) {
    ++nbSaisies;
    saisieX.append(x);
    saisieY.append(y);
    // Marks of the sketch only: the next redraw removes them.
    const qint32 colour = state().paramCouleurEdit;
    MapCanvas::Painter painter(*Picture1_);
    Picture1_->setFill(true, colour);
    painter.circle(x, y, tailleSymbole, colour);
    if (nbSaisies >= 2) painter.line(saisieX[saisieX.size() - 2], saisieY[saisieY.size() - 2], x, y, colour);
}

void frmAccueil::Picture1_MouseMove(Qt::MouseButtons, Qt::KeyboardModifiers, double x, double y) {
    guarded([&] {
        const int code = state().modeOutil;
        if (outilBande(code) && Picture1_->bandVisible()) {
            Picture1_->showBand(QRectF(QPointF(ancreX, ancreY), QPointF(x, y)));
        } else if (code == outil::kDistance && mesureEnCours) {
            const QPointF from = Picture1_->lineStart();
            Picture1_->showLine(from, QPointF(x, y));
            lblDistance_->setText(texteDistance(std::hypot(x - from.x(), y - from.y())));
        }
    });
}

void frmAccueil::Picture1_MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, double x, double y) {
    guarded([&] {
        const int code = state().modeOutil;
        if (outilBande(code)) {
            if (!Picture1_->bandVisible()) return;
            boiteX = {ancreX, x};
            boiteY = {ancreY, y};
            Picture1_->hideBand();
            Picture1_->repaint();
            Picture1_->setPointer(pointeur::kSablier);
            if (code == outil::kZoomBoite) {
                calcZoomIn();
                redraw();
            } else {
                selectWaypoint();
            }
            finOutil();
        } else if (code == outil::kPan) {
            boiteX[1] = x;
            boiteY[1] = y;
            pan();
            finOutil();
        } else if (code == outil::kDistance) {
            mesureEnCours = false;
            finOutil();
        }
    });
}

void frmAccueil::Picture1_DblClick() {
    guarded([this] {
        if (state().modeOutil == outil::kDessinTrace) {
            addTrace();
            finOutil();
            return;
        }
        lblDistance_->clear();
        Picture1_->hideLine();
    });
}

}  // namespace sotrix
