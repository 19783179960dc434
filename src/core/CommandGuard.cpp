#include "CommandGuard.h"

#include "Database.h"
#include "MainView.h"
#include "State.h"

#include <QApplication>
#include <QString>

#include <exception>

namespace sotrix {

const char* const kMsgErreurBase = "Une erreur est survenue lors de l'accès à la base de données : ";
const char* const kMsgErreurInattendue = "Une erreur inattendue est survenue : ";

bool runCommand(const std::function<void()>& body, const std::function<void()>& cleanup) {
    const SharedLockWait wait;
    QString text;
    try {
        body();
        return true;
    } catch (const DbError& e) {
        text = QString::fromUtf8(kMsgErreurBase) + e.message();
    } catch (const std::exception& e) {
        text = QString::fromUtf8(kMsgErreurInattendue) + QString::fromUtf8(e.what());
    } catch (...) {
        text = QString::fromUtf8(kMsgErreurInattendue) + QStringLiteral("erreur inconnue");
    }
    while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
    if (cleanup) {
        try {
            cleanup();
        } catch (...) {
        }
    }
    prompter().message(text, Icon::Exclamation);
    return false;
}

DonneesPresentes donneesPresentes() {
    State& s = state();
    if (s.comptesIncertains) {
        try {
            if (s.mainView) s.mainView->majListes();
        } catch (const DbError&) {
        }
        if (s.comptesIncertains) return {true, true};
    }
    return {s.nbWaypoints > 0, s.nbTraces > 0};
}

bool runUserCommand(const std::function<void()>& body) {
    if (MainView* main = state().mainView) return main->guarded(body);
    return runCommand(body);
}

}  // namespace sotrix
