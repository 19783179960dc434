#include "frmCatalogue.h"

#include "AppDir.h"
#include "CommandGuard.h"
#include "Divers.h"
#include "FileDialogs.h"
#include "GisToolMessages.h"
#include "ListeDossier.h"
#include "NomsOctets.h"
#include "RasterCatalogue.h"
#include "State.h"
#include "frmProgress.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace sotrix {
namespace {

QPushButton* button(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromUtf8(name));
    b->setAutoDefault(false);
    return b;
}

QLabel* label(QWidget* parent, const char* name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromUtf8(name));
    return l;
}

}  // namespace

frmCatalogue::frmCatalogue() {
    setObjectName(QStringLiteral("frmCatalogue"));
    setWindowTitle(QStringLiteral("Création d'un catalogue de rasters"));
    auto* grid = new QGridLayout(this);
    grid->addWidget(label(this, "label11", QStringLiteral("Catalogue de rasters")), 0, 0, 1, 2);
    grid->addWidget(label(this, "Label10", QStringLiteral("Logiciel Sotrix")), 1, 0, 1, 2);

    auto* source = new QGroupBox(QStringLiteral("Source"), this);
    auto* sourceGrid = new QGridLayout(source);
    lstFichiers_ = new QListWidget(source);
    lstFichiers_->setObjectName(QStringLiteral("lst_fichiers"));
    lstFichiers_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    sourceGrid->addWidget(lstFichiers_, 0, 0, 5, 1);
    QPushButton* fichier = button(source, "cmd_fichier", QStringLiteral("Ajouter  Fichier(s)"));
    QPushButton* repertoire = button(source, "cmd_répertoire", QStringLiteral("Ajouter Répertoire"));
    chkSous_ = new QCheckBox(QStringLiteral("Inclure les sous répertoires"), source);
    chkSous_->setObjectName(QStringLiteral("chk_sous"));
    QPushButton* effacer = button(source, "cmd_effacer", QStringLiteral("Effacer"));
    QPushButton* effacerTout = button(source, "cmd_effacer_tout", QStringLiteral("Effacer tout"));
    sourceGrid->addWidget(fichier, 0, 1);
    sourceGrid->addWidget(repertoire, 1, 1);
    sourceGrid->addWidget(chkSous_, 2, 1);
    sourceGrid->addWidget(effacer, 3, 1);
    sourceGrid->addWidget(effacerTout, 4, 1);
    grid->addWidget(source, 2, 0, 1, 2);

    auto* destination = new QGroupBox(QStringLiteral("Destination"), this);
    auto* destinationGrid = new QGridLayout(destination);
    txtDestination_ = new QLineEdit(destination);
    txtDestination_->setObjectName(QStringLiteral("txt_destination"));
    QPushButton* choisir = button(destination, "cmd_destination", QStringLiteral("..."));
    destinationGrid->addWidget(txtDestination_, 0, 0);
    destinationGrid->addWidget(choisir, 0, 1);
    grid->addWidget(destination, 3, 0, 1, 2);

    QPushButton* creer = button(this, "cmd_convert", QStringLiteral("Créer"));
    QPushButton* quitter = button(this, "cmdAnnuler", QStringLiteral("Quitter"));
    grid->addWidget(creer, 4, 0);
    grid->addWidget(quitter, 4, 1);

    const auto on = [this](QPushButton* b, void (frmCatalogue::*handler)()) {
        connect(b, &QPushButton::clicked, this, [this, handler] { runCommand([this, handler] { (this->*handler)(); }); });
    };
    on(fichier, &frmCatalogue::cmd_fichier_Click);
    on(repertoire, &frmCatalogue::cmd_repertoire_Click);
    on(effacer, &frmCatalogue::cmd_effacer_Click);
    on(effacerTout, &frmCatalogue::cmd_effacer_tout_Click);
    on(choisir, &frmCatalogue::cmd_destination_Click);
    on(creer, &frmCatalogue::cmd_convert_Click);
    on(quitter, &frmCatalogue::cmdAnnuler_Click);
}

void frmCatalogue::add(const QStringList& paths) {
    // The list scrolls sideways over its longest path by itself. Each item shows what its
    // name's bytes can show and keeps the name itself.
    for (const QString& path : paths) {
        auto* item = new QListWidgetItem(cheminAffiche(path), lstFichiers_);
        item->setData(Qt::UserRole, path);
    }
}

void frmCatalogue::cmd_fichier_Click() {
    State& s = state();
    FileRequest request;
    request.title = QStringLiteral("Ajouter un fichier");
    request.filters = filtresRaster();
    request.folder = s.dernierDossier;
    request.multiple = true;
    const auto choice = dialogueOuvrir(request, QStringLiteral("frmCatalogue"));
    if (!choice || choice->files.isEmpty()) return;
    s.dernierDossier = QFileInfo(choice->files.front()).absolutePath();
    add(choice->files);
}

void frmCatalogue::cmd_repertoire_Click() {
    QString folder = choisirDossier(QStringLiteral("Ajouter un répertoire :"));
    if (folder.isEmpty()) return;
    if (folder.size() > 1 && folder.endsWith(u'/')) folder.chop(1);
    const FichiersDossier found = fichiersInDossier(folder, chkSous_->isChecked());
    add(found.rasters);
    for (const QString& f : found.illisibles)
        prompter().message(QStringLiteral("Impossible de lire le répertoire '") + cheminAffiche(f) + QStringLiteral("'."),
                           Icon::Exclamation);
}

void frmCatalogue::cmd_effacer_Click() {
    for (int i = lstFichiers_->count() - 1; i >= 0; --i)
        if (lstFichiers_->item(i)->isSelected()) delete lstFichiers_->takeItem(i);
}

void frmCatalogue::cmd_effacer_tout_Click() {
    lstFichiers_->clear();
}

void frmCatalogue::cmd_destination_Click() {
    FileRequest request;
    request.title = QStringLiteral("Enregistrer");
    request.filters = {QStringLiteral("Shapefile (*.shp)")};
    request.folder = appDir();
    const auto choice = dialogueEnregistrer(request, QStringLiteral("frmCatalogue"));
    if (choice && !choice->files.isEmpty()) txtDestination_->setText(choice->files.front());
}

void frmCatalogue::cmd_convert_Click() {
    if (lstFichiers_->count() == 0) {
        prompter().message(QStringLiteral("Vous devez sélectionner un fichier."), Icon::Exclamation);
        return;
    }
    if (txtDestination_->text().isEmpty()) {
        prompter().message(QStringLiteral("Vous devez saisir non de fichier pour le catalogue."), Icon::Exclamation);
        return;
    }
    const QString catalogue = nomCatalogue(txtDestination_->text());
    txtDestination_->setText(catalogue);
    if (fichierExiste(catalogue)) {
        if (prompter().ask(msgFichierExiste(catalogue)) != Answer::Yes) return;
        const QString stuck = supprimeCatalogue(catalogue);
        if (!stuck.isEmpty()) {
            prompter().message(msgSuppressionImpossible(stuck), Icon::Exclamation);
            return;
        }
    }
    QStringList rasters;
    for (int i = 0; i < lstFichiers_->count(); ++i) {
        const QListWidgetItem* item = lstFichiers_->item(i);
        const QVariant path = item->data(Qt::UserRole);
        rasters << (path.isValid() ? path.toString() : item->text());
    }

    ResultatCatalogue result;
    {
        frmProgress progress;
        progress.setCaption(QStringLiteral("Création du catalogue en cours..."));
        progress.setTitre(QStringLiteral("Création du catalogue..."));
        progress.setRange(0, int(rasters.size()));
        progress.showProgress();
        result = creeCatalogue(catalogue, rasters, [&progress] { progress.step(); });
        progress.closeFromCode();
    }
    if (!result.ok) {
        QString text = QStringLiteral("Une erreur est survenue lors de la création du catalogue '") +
                       cheminAffiche(catalogue) + QStringLiteral("' avec le fichier '") + cheminAffiche(result.raster) +
                       QStringLiteral("'.");
        if (!result.erreur.isEmpty()) text += u'\n' + result.erreur;
        prompter().message(text, Icon::Exclamation);
        return;
    }
    prompter().message(QStringLiteral("Le catalogue a été créé."), Icon::Information);
}

void frmCatalogue::cmdAnnuler_Click() { finish(); }

void frmCatalogue::closeFromControlBox() { cmdAnnuler_Click(); }

}  // namespace sotrix
