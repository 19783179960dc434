#include "FileOpenKinds.h"

#include "FileMessages.h"
#include "Prompter.h"
#include "State.h"

namespace sotrix {

Disposition verifieG7ToWin(const QString& path) {
    (void)path;
    return Disposition::Unreadable;
}

Disposition verifieSeparateurCsv(const QString& path, const QString& separator) {
    (void)path;
    (void)separator;
    return Disposition::Unreadable;
}

void afficheFrmImport(MainView& main) {
    (void)main;
    prompter().message(msgEchecLecture(state().nomFichier), Icon::Exclamation);
}

}  // namespace sotrix
