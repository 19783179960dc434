// The layout of the main window: menu bar, tool bar, map, lists and the bottom line.
// Every control carries its documented name as objectName.

#include "frmAccueil.h"

#include "ListeNoms.h"
#include "MapCanvas.h"
#include "ToolIcons.h"

#include <QAction>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace sotrix {

namespace {
constexpr int kColumnMinWidth = 180;
constexpr int kColumnMaxWidth = 260;

QAction* addItem(QMenu* menu, const char* name, const QString& caption, const char* shortcut = nullptr) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(QString::fromUtf8(name));
    if (shortcut) a->setShortcut(QKeySequence(QString::fromLatin1(shortcut)));
    return a;
}

void addSeparator(QMenu* menu, const char* name = nullptr) {
    QAction* s = menu->addSeparator();
    if (name) s->setObjectName(QString::fromUtf8(name));
}

QMenu* addMenu(QMenuBar* bar, const char* name, const QString& caption) {
    QMenu* m = bar->addMenu(caption);
    m->setObjectName(QString::fromUtf8(name));
    return m;
}

QMenu* addSubMenu(QMenu* parent, const char* name, const QString& caption) {
    QMenu* m = parent->addMenu(caption);
    m->setObjectName(QString::fromUtf8(name));
    return m;
}

QCheckBox* makeCheckBox(QWidget* parent, const char* name, const QString& caption, bool checked) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QString::fromUtf8(name));
    box->setChecked(checked);
    return box;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QString::fromUtf8(name));
    return label;
}

ListeNoms* makeList(QWidget* parent, const char* name) {
    auto* list = new ListeNoms(parent);
    list->setObjectName(QString::fromUtf8(name));
    return list;
}
}  // namespace

void frmAccueil::buildUi() {
    setWindowTitle(QStringLiteral("Sotrix"));
    buildMenus();
    buildToolBar();
    buildCentre();
    connectMapTools();
}

void frmAccueil::buildMenus() {
    QMenuBar* bar = menuBar();

    QMenu* fichier = addMenu(bar, "menuFichier", QStringLiteral("Fichier"));
    addItem(fichier, "fichierOuvrir", QStringLiteral("Ouvrir"), "Ctrl+O");
    addItem(fichier, "fermerFichier", QStringLiteral("Fermer"), "Ctrl+F");
    addSeparator(fichier);
    addItem(fichier, "fichierEnregistrer", QStringLiteral("Enregistrer"), "Ctrl+E");
    addSeparator(fichier);
    addItem(fichier, "fichierQuitter", QStringLiteral("Quitter"), "Ctrl+Q");

    QMenu* gps = addMenu(bar, "menuGps", QStringLiteral("Transferts"));
    QMenu* telecharger = addSubMenu(gps, "gpsTélécharger", QStringLiteral("GPS -> PC"));
    addItem(telecharger, "gpsTéléchargerTout", QStringLiteral("Tout"), "Ctrl+D");
    addSeparator(telecharger, "espace4");
    addItem(telecharger, "gpsTéléchargerWaypoints", QStringLiteral("Waypoints"));
    addItem(telecharger, "gpsTéléchargerTraces", QStringLiteral("Traces"));
    addItem(telecharger, "gpsTéléchargerRoutes", QStringLiteral("Routes"));
    QMenu* envoyer = addSubMenu(gps, "gpsEnvoyer", QStringLiteral("PC -> GPS"));
    addItem(envoyer, "gpsEnvoyerTout", QStringLiteral("Tout"), "Ctrl+U");
    addSeparator(envoyer, "espace5");
    addItem(envoyer, "gpsEnvoyerWaypoints", QStringLiteral("Waypoints"));
    addItem(envoyer, "gpsEnvoyerTraces", QStringLiteral("Traces"));

    QMenu* outils = addMenu(bar, "menuOutils", QStringLiteral("Outils"));
    addItem(outils, "gpsOptions", QStringLiteral("Options"), "Ctrl+P");
    addItem(outils, "outilsUpdate", QStringLiteral("Vérifier les mises à jour"), "Ctrl+M");
    addItem(outils, "outilsCatalogue", QStringLiteral("Catalogue rasters"), "Ctrl+C");
    addItem(outils, "outilsInfo", QStringLiteral("Informations fichier"), "Ctrl+I");
    addItem(outils, "outilsWMS", QStringLiteral("Fichier configuration WMS"), "Ctrl+W");

    QMenu* aide = addMenu(bar, "menuAide", QStringLiteral("?"));
    addItem(aide, "a_propos_de", QStringLiteral("A propos de"));
}

QToolButton* frmAccueil::addToolButton(QToolBar* bar, const char* name, const QString& tip, const char* icon,
                                       const QString& text) {
    auto* button = new QToolButton(bar);
    button->setObjectName(QString::fromUtf8(name));
    button->setToolTip(tip);
    button->setCheckable(false);
    button->setText(text);
    const QIcon picture = iconeOutil(icon, button->objectName());
    button->setIcon(picture);
    button->setToolButtonStyle(picture.isNull() ? Qt::ToolButtonTextOnly : Qt::ToolButtonIconOnly);
    bar->addWidget(button);
    return button;
}

void frmAccueil::buildToolBar() {
    QToolBar* bar = addToolBar(QStringLiteral("Outils"));
    bar->setObjectName(QStringLiteral("barreOutils"));
    bar->setMovable(false);
    prepareThemeIcones();

    addToolButton(bar, "cmdZoomIn", QStringLiteral("Zoom avant"), "zoom-in", QStringLiteral("Z+"));
    addToolButton(bar, "cmdZoomOut", QStringLiteral("Zoom arrière"), "zoom-out", QStringLiteral("Z-"));
    addToolButton(bar, "cmdPan", QStringLiteral("Pan"), nullptr, QStringLiteral("Pan"));
    addToolButton(bar, "cmdExtentAll", QStringLiteral("Zoom global"), "zoom-fit-best", QStringLiteral("Tout"));
    addToolButton(bar, "cmdZoomSelect", QStringLiteral("Zoom sur la sélection"), nullptr, QStringLiteral("Z sél."));
    addToolButton(bar, "cmdDistance", QStringLiteral("Mesure la distance entre 2 points"), nullptr,
                  QStringLiteral("Dist."));
    bar->addSeparator();

    addToolButton(bar, "cmdSelectWaypoint", QStringLiteral("Sélectionner un Waypoint en cliquant sur la carte"), nullptr,
                  QStringLiteral("S WP"));
    addToolButton(bar, "cmdSelectTrace", QStringLiteral("Sélectionner une Trace en cliquant sur la carte"), nullptr,
                  QStringLiteral("S trace"));
    addToolButton(bar, "cmdInfoWaypoint", QStringLiteral("Informations sur un waypoint"), "dialog-information",
                  QStringLiteral("i WP"));
    addToolButton(bar, "cmdInfoTrace", QStringLiteral("Informations sur la trace"), nullptr,
                  QStringLiteral("i trace"));
    addToolButton(bar, "cmdSelectDate",
                  QStringLiteral("Sélectionner les waypoints et/ou les traces sur base de la date"), "x-office-calendar",
                  QStringLiteral("Date"));
    QToolButton* unselect =
        addToolButton(bar, "cmdUnselect", QStringLiteral("Supprimer la sélection"), "edit-clear", QStringLiteral("Aucun"));
    connect(unselect, &QToolButton::clicked, this, [this] { cmdUnselect_Click(); });
    bar->addSeparator();

    addToolButton(bar, "cmdEdit", QStringLiteral("Ajouter un waypoint"), "list-add", QStringLiteral("+"));
    addToolButton(bar, "cmdCalcMoyenneSelect", QStringLiteral("Calcule le point moyen des waypoints sélectionnés"),
                  nullptr, QStringLiteral("Moy."));
    addToolButton(bar, "cmdFusionner", QStringLiteral("Fusionner plusieurs traces"), nullptr,
                  QStringLiteral("Fus."));
    addToolButton(bar, "cmdFermer", QStringLiteral("Fermer/Ouvrir une trace"), nullptr, QStringLiteral("F/O"));
    addToolButton(bar, "cmdSupprimer", QStringLiteral("Supprimer les wapoints et/ou les traces sélectionnés"),
                  "edit-delete", QStringLiteral("Sup."));
    bar->addSeparator();

    addToolButton(bar, "cmdAddShp", QStringLiteral("Ajouter un shapefile de référence"), nullptr,
                  QStringLiteral("Réf. +"));
    addToolButton(bar, "cmdSupShp", QStringLiteral("Supprimer le shapefile de référence"), nullptr,
                  QStringLiteral("Réf. -"));
}

void frmAccueil::buildCentre() {
    auto* centre = new QWidget(this);
    centre->setObjectName(QStringLiteral("centre"));
    auto* outer = new QVBoxLayout(centre);
    auto* row = new QHBoxLayout;
    outer->addLayout(row, 1);

    Picture1_ = new MapCanvas(centre);
    row->addWidget(Picture1_, 1);
    connect(Picture1_, &MapCanvas::resizeSettled, this, [this] {
        // Before the first view the fresh white picture is already right.
        if (tailleVue > 0) guarded([this] { redraw(); });
    });

    auto* column = new QWidget(centre);
    column->setObjectName(QStringLiteral("colonneListes"));
    column->setMinimumWidth(kColumnMinWidth);
    column->setMaximumWidth(kColumnMaxWidth);
    auto* col = new QVBoxLayout(column);
    col->setContentsMargins(0, 0, 0, 0);
    lblWaypoints_ = makeLabel(column, "lblWaypoints", QStringLiteral("Waypoints :"));
    chkToutWaypoints_ = makeCheckBox(column, "chkToutWaypoints", QStringLiteral("Tout sélectionner"), false);
    lstWaypoint_ = makeList(column, "lstWaypoint");
    lblTraces_ = makeLabel(column, "lblTraces", QStringLiteral("Traces :"));
    chkToutTrace_ = makeCheckBox(column, "chkToutTrace", QStringLiteral("Tout sélectionner"), false);
    lstTrace_ = makeList(column, "lstTrace");
    chkRef_ = makeCheckBox(column, "chkRef", QStringLiteral("Couche de référence"), true);
    chkTrace_ = makeCheckBox(column, "chkTrace", QStringLiteral("Traces"), true);
    chkWaypoint_ = makeCheckBox(column, "chkWaypoint", QStringLiteral("Waypoints"), true);
    col->addWidget(lblWaypoints_);
    col->addWidget(chkToutWaypoints_);
    col->addWidget(lstWaypoint_, 1);
    col->addWidget(lblTraces_);
    col->addWidget(chkToutTrace_);
    col->addWidget(lstTrace_, 1);
    col->addWidget(chkRef_);
    col->addWidget(chkTrace_);
    col->addWidget(chkWaypoint_);
    row->addWidget(column);

    connect(lstWaypoint_, &ListeNoms::itemSelectionChanged, this, [this] { lstWaypoint_Click(); });
    connect(lstTrace_, &ListeNoms::itemSelectionChanged, this, [this] { lstTrace_Click(); });
    // clicked fires on user action only, so unticking a box from code raises nothing.
    connect(chkToutWaypoints_, &QCheckBox::clicked, this, [this](bool on) { chkToutWaypoints_Click(on); });
    connect(chkToutTrace_, &QCheckBox::clicked, this, [this](bool on) { chkToutTrace_Click(on); });
    connect(chkRef_, &QCheckBox::clicked, this, [this] { chkRef_Click(); });
    connect(chkTrace_, &QCheckBox::clicked, this, [this] { chkTrace_Click(); });
    connect(chkWaypoint_, &QCheckBox::clicked, this, [this] { chkWaypoint_Click(); });

    auto* bottom = new QHBoxLayout;
    lblDistance_ = makeLabel(centre, "lblDistance", QString());
    lblFichier_ = makeLabel(centre, "lblFichier", QString());
    lblReference_ = makeLabel(centre, "lblRéférence", QString());
    lblVersion_ = makeLabel(centre, "lblVersion", QString());
    // Full paths, never elided; a long one must not widen the window.
    for (QLabel* path : {lblFichier_, lblReference_})
        path->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    bottom->addWidget(lblDistance_);
    bottom->addWidget(lblFichier_, 1);
    bottom->addWidget(lblReference_, 1);
    bottom->addWidget(lblVersion_);
    outer->addLayout(bottom);

    setCentralWidget(centre);
}

}  // namespace sotrix
