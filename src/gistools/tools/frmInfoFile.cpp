#include "frmInfoFile.h"

#include "AppDir.h"
#include "CommandGuard.h"
#include "FileDialogs.h"
#include "GisToolMessages.h"
#include "InfoReport.h"
#include "NomsOctets.h"
#include "State.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace sotrix {
namespace {

constexpr int kFiltreVectoriel = 1;
// Bytes of the report added to the view per turn of the event loop: some milliseconds.
constexpr qsizetype kMorceauAffiche = 256 * 1024;

QLabel* label(QWidget* parent, const char* name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromUtf8(name));
    return l;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromUtf8(name));
    b->setAutoDefault(false);
    return b;
}

}  // namespace

frmInfoFile::frmInfoFile() {
    setObjectName(QStringLiteral("frmInfoFile"));
    setWindowTitle(QStringLiteral("Informations fichier"));
    auto* grid = new QGridLayout(this);
    grid->addWidget(label(this, "label11", QStringLiteral("Informations fichier")), 0, 0, 1, 3);
    grid->addWidget(label(this, "Label10", QStringLiteral("Logiciel Sotrix")), 1, 0, 1, 3);
    grid->addWidget(label(this, "Label1", QStringLiteral("Fichier :")), 2, 0);
    txtFichier_ = new QLineEdit(this);
    txtFichier_->setObjectName(QStringLiteral("txtFichier"));
    grid->addWidget(txtFichier_, 2, 1);
    QPushButton* choisir = button(this, "cmd_destination", QStringLiteral("..."));
    grid->addWidget(choisir, 2, 2);
    chkResume_ = new QCheckBox(QStringLiteral("Afficher un résumé"), this);
    chkResume_->setObjectName(QStringLiteral("chkRésumé"));
    grid->addWidget(chkResume_, 3, 1);
    grid->addWidget(label(this, "Label3", QStringLiteral("Informations :")), 4, 0, 1, 3);
    txtInfo_ = new QPlainTextEdit(this);
    txtInfo_->setObjectName(QStringLiteral("txtInfo"));
    txtInfo_->setReadOnly(true);
    txtInfo_->setUndoRedoEnabled(false);
    txtInfo_->setLineWrapMode(QPlainTextEdit::NoWrap);
    grid->addWidget(txtInfo_, 5, 0, 1, 3);
    QPushButton* sauver = button(this, "cmdSauvegarder", QStringLiteral("Sauvegarder"));
    QPushButton* quitter = button(this, "cmdAnnuler", QStringLiteral("Quitter"));
    grid->addWidget(sauver, 6, 1);
    grid->addWidget(quitter, 6, 2);
    resize(640, 480);
    remplissage_.setInterval(0);
    connect(&remplissage_, &QTimer::timeout, this, &frmInfoFile::afficheMorceau);

    connect(choisir, &QPushButton::clicked, this, [this] { runCommand([this] { cmd_destination_Click(); }); });
    connect(sauver, &QPushButton::clicked, this, [this] { runCommand([this] { cmdSauvegarder_Click(); }); });
    connect(quitter, &QPushButton::clicked, this, [this] { runCommand([this] { cmdAnnuler_Click(); }); });
}

void frmInfoFile::cmd_destination_Click() {
    State& s = state();
    QString file;
    int kind = kFiltreVectoriel;
    for (;;) {
        FileRequest request;
        request.title = QStringLiteral("Sélectionner un fichier");
        request.filters = {QStringLiteral("Vectoriel"), QStringLiteral("Raster")};
        request.folder = s.dernierDossier;
        const auto choice = dialogueOuvrir(request, QStringLiteral("frmInfoFile"));
        if (!choice || choice->files.isEmpty() || choice->files.front().isEmpty()) return;
        file = choice->files.front();
        kind = choice->filterIndex;
        s.dernierDossier = QFileInfo(file).absolutePath();
        // The name's own bytes, which need not be UTF-8.
        if (fichierExisteOctets(file)) break;
        prompter().message(QStringLiteral("Le fichier '") + cheminAffiche(file) + QStringLiteral("' n'existe pas."),
                           Icon::Exclamation);
    }
    txtFichier_->setText(cheminAffiche(file));
    montre(QByteArray());
    auto report = rapportInfo(file, kind == kFiltreVectoriel, chkResume_->isChecked());
    if (!report) {
        prompter().message(QStringLiteral("Impossible de récupérer les informations sur ce fichier.\n"
                                          "Le format de fichier sélectionné n'est peut être pas reconnu."),
                           Icon::Exclamation);
        return;
    }
    montre(std::move(report->apercu));
    entier_ = std::move(report->entier);
}

void frmInfoFile::montre(QByteArray rapport) {
    remplissage_.stop();
    txtInfo_->clear();
    rapport_ = std::move(rapport);
    decodeur_ = QStringDecoder(QStringDecoder::Utf8);
    affiche_ = 0;
    morceau_ = kMorceauAffiche;
    entier_.reset();
    afficheMorceau();
}

// The next piece of the report, cut after a line end when one is near, so that a line is
// laid out once. A line longer than a piece comes in pieces that double, since each
// addition lays out the whole line again: twice the cost of laying it out once, at most.
void frmInfoFile::afficheMorceau() {
    qsizetype fin = std::min(affiche_ + morceau_, rapport_.size());
    if (fin < rapport_.size()) {
        const qsizetype ligne = QByteArrayView(rapport_).sliced(affiche_, fin - affiche_).lastIndexOf('\n');
        if (ligne >= 0) fin = affiche_ + ligne + 1;
    }
    morceau_ = fin > 0 && rapport_[fin - 1] != '\n' ? 2 * morceau_ : kMorceauAffiche;
    if (fin > affiche_) {
        QTextCursor fil(txtInfo_->document());
        fil.movePosition(QTextCursor::End);
        fil.insertText(decodeur_.decode(QByteArrayView(rapport_).sliced(affiche_, fin - affiche_)));
        affiche_ = fin;
    }
    if (affiche_ < rapport_.size())
        remplissage_.start();
    else
        remplissage_.stop();
}

void frmInfoFile::cmdSauvegarder_Click() {
    if (!entier_) return;
    FileRequest request;
    request.title = QStringLiteral("Enregistrer");
    request.filters = {QStringLiteral("Fichier texte (*.txt)")};
    request.folder = appDir();
    const auto choice = dialogueEnregistrer(request, QStringLiteral("frmInfoFile"));
    if (!choice || choice->files.isEmpty()) return;
    const QString path = choice->files.front();
    if (!accepteRemplacement(path)) return;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !copieRapport(*entier_, file) || !file.commit()) {
        prompter().message(msgCreationImpossible(path), Icon::Exclamation);
        return;
    }
    prompter().message(QStringLiteral("Les informations ont bien été enregistrées."), Icon::Information);
}

void frmInfoFile::cmdAnnuler_Click() { finish(); }

void frmInfoFile::closeFromControlBox() { cmdAnnuler_Click(); }

}  // namespace sotrix
