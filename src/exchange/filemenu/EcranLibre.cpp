#include "EcranLibre.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <QWindow>

namespace sotrix {

namespace {
// Long enough for a window manager to take a closed window off the screen; short
// enough not to be noticed where nothing tells the main window (a compositor).
constexpr int kAttenteMs = 500;
}  // namespace

EcranLibre::EcranLibre(QWidget* main) : main_(main) { QCoreApplication::instance()->installEventFilter(this); }

EcranLibre::~EcranLibre() { QCoreApplication::instance()->removeEventFilter(this); }

bool EcranLibre::eventFilter(QObject* watched, QEvent* event) {
    if (!main_) return false;
    if (event->type() == QEvent::Hide && watched->isWidgetType()) {
        const auto* w = static_cast<QWidget*>(watched);
        if (w->isWindow() && w != main_) fermee_ = true;
    } else if (event->type() == QEvent::Expose && fermee_ && watched == main_->windowHandle()) {
        fermee_ = false;
        if (attente_) attente_->quit();
    }
    return false;
}

void EcranLibre::degage() {
    if (!main_ || !main_->isVisible()) return;
    if (fermee_) {
        QEventLoop attente;
        QTimer::singleShot(kAttenteMs, &attente, &QEventLoop::quit);
        attente_ = &attente;
        attente.exec(QEventLoop::ExcludeUserInputEvents);
        attente_ = nullptr;
    }
    main_->repaint();
}

}  // namespace sotrix
