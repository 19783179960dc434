// File > Ouvrir: the question, the emptied workspace, the Open dialog until an existing
// file is chosen, the layout check of its kind, then the import.

#include "CommandGuard.h"
#include "Divers.h"
#include "EcranLibre.h"
#include "FileDialogs.h"
#include "FileMenu.h"
#include "FileMessages.h"
#include "FileOpenKinds.h"
#include "ImportEngine.h"
#include "MainView.h"
#include "Prompter.h"
#include "State.h"
#include "TypeFichier.h"

#include <QApplication>
#include <QFileInfo>

namespace sotrix {

namespace {

const QString kTitreOuvrir = QStringLiteral("Ouvrir un fichier");
const QStringList kFiltresOuvrir{QStringLiteral("Shapefile (*.shp)"), QStringLiteral("GPX (*.gpx)"),
                                 QStringLiteral("G7ToWin (*.csv)"),
                                 QStringLiteral("CSV : séparateur point virgule (*.csv)"),
                                 QStringLiteral("CSV : séparateur virgule (*.csv)")};

// The Open dialog, again after a missing file; false on cancel or an empty name.
bool choisitFichier() {
    State& s = state();
    for (;;) {
        const auto choice = dialogueOuvrir({kTitreOuvrir, kFiltresOuvrir, 1, s.dernierDossier, QString(), false},
                                           QString::fromUtf16(kDialogueAccueil));
        if (!choice) return false;
        s.nomFichier = choice->files.value(0);
        s.typeFichier = choice->filterIndex;
        if (s.nomFichier.isEmpty()) return false;
        s.dernierDossier = QFileInfo(s.nomFichier).absolutePath();
        if (fichierExiste(s.nomFichier)) return true;
        prompter().message(QStringLiteral("Le fichier '") + s.nomFichier + QStringLiteral("' n'existe pas."),
                           Icon::Critical);
        s.nomFichier.clear();
    }
}

// The layout check of the chosen kind; false when the command ends here.
bool verifieFichier() {
    State& s = state();
    Disposition d = Disposition::Accepted;
    QString refus;
    switch (s.typeFichier) {
    case typefichier::kOuvrirG7ToWin:
        s.sepChamps = QStringLiteral(",");
        d = verifieG7ToWin(s.nomFichier);
        refus = QStringLiteral("Le fichier csv sélectionné n'a pas été créé à l'aide de l'application G7ToWin.\n"
                               "Pour importer un fichier CSV classique, vous devez sélectionner 'CSV (séparateur: "
                               "point virgule)' ou 'CSV (séparateur: virgule)' comme type de fichier.");
        break;
    case typefichier::kOuvrirCsvPointVirgule:
        s.sepChamps = QStringLiteral(";");
        d = verifieSeparateurCsv(s.nomFichier, s.sepChamps);
        refus = QStringLiteral("Le séparateur utilisé dans le fichier CSV sélectionné n'est pas le point-virgule (';').");
        break;
    case typefichier::kOuvrirCsvVirgule:
        s.sepChamps = QStringLiteral(",");
        d = verifieSeparateurCsv(s.nomFichier, s.sepChamps);
        refus = QStringLiteral("Le séparateur utilisé dans le fichier CSV sélectionné n'est pas la virgule (',').");
        break;
    default:
        return true;
    }
    if (d == Disposition::Unreadable) {
        prompter().message(msgEchecLecture(s.nomFichier), Icon::Exclamation);
        return false;
    }
    if (d == Disposition::Refused) {
        prompter().message(refus, Icon::Exclamation);
        s.nomFichier.clear();
        return false;
    }
    if (s.typeFichier == typefichier::kOuvrirG7ToWin)
        prompter().message(
            QStringLiteral("Le système de projection associé au fichier 'G7ToWin' est supposé être celui du GPS."),
            Icon::Information);
    return true;
}

// The hourglass from the chosen file to the drawn map, over the main window painted where
// the closed dialogs were.
class Occupation {
public:
    explicit Occupation(EcranLibre& ecran) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ecran.degage();
    }
    ~Occupation() { QApplication::restoreOverrideCursor(); }
    Occupation(const Occupation&) = delete;
    Occupation& operator=(const Occupation&) = delete;
};

}  // namespace

void fichierOuvrir_Click() {
    State& s = state();
    MainView* main = s.mainView;
    if (!main) return;
    EcranLibre ecran(main->window());
    const DonneesPresentes d = donneesPresentes();
    if ((d.waypoints || d.traces) && prompter().ask(msgRemplacerDonnees()) != Answer::Yes) return;
    main->viderDb();
    if (!choisitFichier() || !verifieFichier()) return;
    main->setLblFichier(s.nomFichier);
    if (s.typeFichier == typefichier::kOuvrirGpx || s.typeFichier == typefichier::kOuvrirG7ToWin) {
        // The path stays shown and the flags are cleared whatever the import's outcome.
        const Occupation occupation(ecran);
        importeFichier(false);
        s.modifTraces = false;
        s.modifWaypoints = false;
        main->zoomGlobal();
        main->redraw();
    } else {
        afficheFrmImport();
    }
}

}  // namespace sotrix
