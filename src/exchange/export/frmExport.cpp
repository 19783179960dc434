#include "frmExport.h"

#include "CommandGuard.h"
#include "Divers.h"
#include "ExportEngine.h"
#include "FileDialogs.h"
#include "MainView.h"
#include "Prompter.h"
#include "ShapefileSet.h"
#include "State.h"
#include "TypeFichier.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace sotrix {

namespace {

const QString kTitreEnregistrer = QStringLiteral("Enregistrer");
const QStringList kFiltresEnregistrer{QStringLiteral("Shapefile (*.shp)"), QStringLiteral("GPX (*.gpx)"),
                                      QStringLiteral("CSV : séparateur point virgule (*.csv)")};

template <class W>
W* named(W* widget, const char* name) {
    widget->setObjectName(QString::fromUtf8(name));
    return widget;
}

// A name typed without any suffix gets the one of its format.
QString avecSuffixeFormat(const QString& path, int type) {
    switch (type) {
    case typefichier::kEnregistrerShapefile: return avecSuffixe(path, QStringLiteral("shp"));
    case typefichier::kEnregistrerGpx: return avecSuffixe(path, QStringLiteral("gpx"));
    case typefichier::kEnregistrerCsv: return avecSuffixe(path, QStringLiteral("csv"));
    default: return path;
    }
}

// A shapefile set is in the way when any of its four files exists; the chosen name
// itself is never written.
bool existeDeja(const QString& path, int type) {
    if (type != typefichier::kEnregistrerShapefile) return fichierExiste(path);
    const QStringList shp = shapefileSetShpPaths(path);
    return std::any_of(shp.begin(), shp.end(), [](const QString& p) { return fichierExiste(p); });
}

QString succes(bool waypoints, bool tracks) {
    if (waypoints && tracks) return QStringLiteral("Les Waypoints et les Traces ont bien été enregistrés.");
    if (waypoints) return QStringLiteral("Les Waypoints ont bien été enregistrés.");
    return QStringLiteral("Les Traces ont bien été enregistrées.");
}

void refuse(const QString& text) { prompter().message(text, Icon::Exclamation); }

}  // namespace

frmExport::frmExport(ExportRunner runner) : runner_(std::move(runner)) {
    if (!runner_)
        runner_ = [](bool w, bool t, bool lines, bool points, bool sel) { exporteFichier(w, t, lines, points, sel); };
    buildUi();
    Form_Load();
}

void frmExport::buildUi() {
    setObjectName(QStringLiteral("frmExport"));
    setWindowTitle(QStringLiteral("Options de l'enregistrement"));
    auto* outer = new QVBoxLayout(this);

    auto* file = new QHBoxLayout;
    file->addWidget(named(new QLabel(QStringLiteral("Fichier :"), this), "Label2"));
    txtFichier_ = named(new QLineEdit(this), "txtFichier");
    txtFichier_->setReadOnly(true);
    txtFichier_->setMinimumWidth(320);
    file->addWidget(txtFichier_, 1);
    auto* cmdFichier = named(new QPushButton(QStringLiteral("..."), this), "cmdFichier");
    cmdFichier->setAutoDefault(false);
    file->addWidget(cmdFichier);
    outer->addLayout(file);

    outer->addWidget(named(new QLabel(QStringLiteral("Options de l'enregistrement :"), this), "Label1"));
    const auto box = [this](const char* name, const QString& caption) { return named(new QCheckBox(caption, this), name); };
    chkWaypoints_ = box("chkWaypoints", QStringLiteral("Enregistrer les Waypoints"));
    chkTraces_ = box("chkTraces", QStringLiteral("Enregistrer les Traces"));
    chkTracesLigne_ = box("chkTracesLigne", QStringLiteral("Enregistrer les Traces sous la forme de lignes/polygones"));
    chkTracesPoint_ =
        box("chkTracesPoint", QStringLiteral("Enregistrer les Traces sous la forme d'une succession de points"));
    chkSelect_ = box("chkSelect", QStringLiteral("Limiter l'enregistrement aux élements sélectionnés"));
    auto* options = new QGridLayout;
    options->setColumnMinimumWidth(0, 20);
    options->addWidget(chkWaypoints_, 0, 0, 1, 2);
    options->addWidget(chkTraces_, 1, 0, 1, 2);
    options->addWidget(chkTracesLigne_, 2, 1);
    options->addWidget(chkTracesPoint_, 3, 1);
    options->addWidget(chkSelect_, 4, 0, 1, 2);
    outer->addLayout(options);

    auto* projection = new QHBoxLayout;
    projection->addWidget(named(new QLabel(QStringLiteral("Système de projection :"), this), "Label3"));
    optGps_ = named(new QRadioButton(QStringLiteral("GPS"), this), "optGps");
    optAffichage_ = named(new QRadioButton(QStringLiteral("Affichage"), this), "optAffichage");
    auto* group = new QButtonGroup(this);
    group->addButton(optGps_);
    group->addButton(optAffichage_);
    projection->addWidget(optGps_);
    projection->addWidget(optAffichage_);
    projection->addStretch(1);
    outer->addLayout(projection);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* cmdEnregistrer = named(new QPushButton(QStringLiteral("Enregistrer"), this), "cmdEnregistrer");
    auto* cmAnnuler = named(new QPushButton(QStringLiteral("Annuler"), this), "cmAnnuler");
    cmdEnregistrer->setDefault(true);
    cmAnnuler->setAutoDefault(false);
    buttons->addWidget(cmdEnregistrer);
    buttons->addWidget(cmAnnuler);
    outer->addLayout(buttons);

    const auto guarded = [](void (frmExport::*handler)(), frmExport* self) {
        return [handler, self] { runCommand([&] { (self->*handler)(); }); };
    };
    connect(cmdFichier, &QPushButton::clicked, this, guarded(&frmExport::cmdFichier_Click, this));
    connect(chkTraces_, &QCheckBox::clicked, this, guarded(&frmExport::chkTraces_Click, this));
    connect(cmdEnregistrer, &QPushButton::clicked, this, guarded(&frmExport::cmdEnregistrer_Click, this));
    connect(cmAnnuler, &QPushButton::clicked, this, guarded(&frmExport::cmAnnuler_Click, this));
}

void frmExport::Form_Load() {
    const State& s = state();
    chkWaypoints_->setChecked(true);
    chkTraces_->setChecked(true);
    for (QCheckBox* shape : {chkTracesPoint_, chkTracesLigne_}) {
        shape->setChecked(false);
        shape->setEnabled(false);
    }
    chkSelect_->setChecked(false);
    chkSelect_->setEnabled(s.nbTracesSel > 0 || s.nbWaypointsSel > 0);
    optAffichage_->setChecked(true);
}

void frmExport::formesTraces() {
    const bool shapes = state().typeFichier == typefichier::kEnregistrerShapefile && chkTraces_->isChecked();
    chkTracesLigne_->setChecked(shapes);
    chkTracesLigne_->setEnabled(shapes);
    chkTracesPoint_->setChecked(false);
    chkTracesPoint_->setEnabled(shapes);
}

void frmExport::cmdFichier_Click() {
    State& s = state();
    for (;;) {
        const auto choice =
            dialogueEnregistrer({kTitreEnregistrer, kFiltresEnregistrer, 1, s.dernierDossier, QString(), false},
                                QStringLiteral("frmExport"));
        if (!choice) return;
        s.typeFichier = choice->filterIndex;
        s.nomFichier = avecSuffixeFormat(choice->files.value(0), s.typeFichier);
        if (s.nomFichier.isEmpty()) return;
        s.dernierDossier = QFileInfo(s.nomFichier).absolutePath();
        if (!existeDeja(s.nomFichier, s.typeFichier)) break;
        if (prompter().ask(QStringLiteral("Le fichier '") + s.nomFichier +
                           QStringLiteral("' existe déjà.\nVoulez-vous le remplacer ?")) == Answer::Yes)
            break;
        s.nomFichier.clear();
    }
    const bool gpx = s.typeFichier == typefichier::kEnregistrerGpx;
    (gpx ? optGps_ : optAffichage_)->setChecked(true);
    optGps_->setEnabled(!gpx);
    optAffichage_->setEnabled(!gpx);
    formesTraces();
    txtFichier_->setText(s.nomFichier);
}

void frmExport::chkTraces_Click() { formesTraces(); }

void frmExport::cmdEnregistrer_Click() {
    State& s = state();
    const bool waypoints = chkWaypoints_->isChecked();
    const bool tracks = chkTraces_->isChecked();
    if (s.nomFichier.isEmpty() || txtFichier_->text().isEmpty())
        return refuse(QStringLiteral("Vous devez sélectionner un fichier de destination."));
    if (!waypoints && !tracks)
        return refuse(
            QStringLiteral("Vous devez sélectionner au moins un élément (Waypoint et/ou Trace) à enregistrer."));
    if (s.typeFichier == typefichier::kEnregistrerShapefile && tracks && !chkTracesPoint_->isChecked() &&
        !chkTracesLigne_->isChecked())
        return refuse(QStringLiteral("Vous devez sélectionner la manière d'enregistrer les traces."));
    s.projExport = optGps_->isChecked() ? 0 : 1;
    runner_(waypoints, tracks, chkTracesLigne_->isChecked(), chkTracesPoint_->isChecked(), chkSelect_->isChecked());
    if (!s.resultatOk) return;
    if (s.mainView) s.mainView->setLblFichier(s.nomFichier);
    prompter().message(succes(waypoints, tracks), Icon::Information);
    finish();
}

void frmExport::cmAnnuler_Click() { finish(); }

void frmExport::closeFromControlBox() { cmAnnuler_Click(); }

}  // namespace sotrix
