// The commands that open a dialog over the main window (settings, date selection,
// about box) or check for updates, and the connection of their menu items and buttons.

#include "frmAccueil.h"

#include "CommandGuard.h"
#include "State.h"
#include "UpdateCheck.h"
#include "frmAproposde.h"
#include "frmDate.h"
#include "frmOption.h"

#include <QAction>
#include <QToolButton>

#include <memory>

namespace sotrix {

namespace {

// Loads a dialog, then shows it over the main window; a failed load shows nothing and
// leaves the main window as it was.
template <typename Dialog>
void ouvre(std::unique_ptr<Dialog> dialog, QWidget* main) {
    dialog->Form_Load();
    dialog.release()->showOver(main);
}

}  // namespace

void frmAccueil::gpsOptions_Click() { ouvre(std::make_unique<frmOption>(), this); }

void frmAccueil::outilsUpdate_Click() { updateChecker_->update(true); }

void frmAccueil::a_propos_de_Click() { ouvre(std::make_unique<frmAproposde>(), this); }

void frmAccueil::cmdSelectDate_Click() {
    const State& s = state();
    if (s.nbWaypoints > 0 || s.nbTraces > 0) ouvre(std::make_unique<frmDate>(*this), this);
}

void frmAccueil::connecteCommandes() {
    const std::pair<const char*, void (frmAccueil::*)()> menus[] = {
        {"gpsOptions", &frmAccueil::gpsOptions_Click},
        {"outilsUpdate", &frmAccueil::outilsUpdate_Click},
        {"a_propos_de", &frmAccueil::a_propos_de_Click},
    };
    for (const auto& [name, handler] : menus)
        if (QAction* action = findChild<QAction*>(QString::fromLatin1(name)))
            connect(action, &QAction::triggered, this, [this, handler = handler] { guarded([&] { (this->*handler)(); }); });
    if (QAction* quitter = findChild<QAction*>(QStringLiteral("fichierQuitter")))
        connect(quitter, &QAction::triggered, this, [this] { fichierQuitter_Click(); });
    if (auto* date = findChild<QToolButton*>(QStringLiteral("cmdSelectDate")))
        connect(date, &QToolButton::clicked, this, [this] { guarded([this] { cmdSelectDate_Click(); }); });
}

}  // namespace sotrix
