#include "frmImport.h"

#include "CommandGuard.h"
#include "CsvImport.h"
#include "DbaseTable.h"
#include "DecoupeCsv.h"
#include "FichierVoisin.h"
#include "FileMessages.h"
#include "LecteurTexte.h"
#include "MainView.h"
#include "State.h"
#include "TypeFichier.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QTimer>

namespace sotrix {

namespace {

constexpr int kGps = 0;
constexpr int kAffichage = 1;
// The lists offer the first columns only: no header needs more to be chosen from.
constexpr qsizetype kColonnesOffertes = 256;
// Width of a list when closed, in characters, whatever its items.
constexpr int kLargeurListe = 20;

bool parmi(const QString& item, std::initializer_list<const char*> mots) {
    const QString u = item.toUpper();
    for (const char* m : mots)
        if (u == QLatin1String(m)) return true;
    return false;
}

// The first coordinate item of the map word or of a GPS word, and the projection it gives.
void choisitCoordonnee(const QStringList& items, const char* carte, std::initializer_list<const char*> gps,
                       int& colonne, int& projection) {
    for (int i = 0; i < items.size(); ++i) {
        if (parmi(items[i], {carte})) {
            colonne = i;
            projection = kAffichage;
            return;
        }
        if (parmi(items[i], gps)) {
            colonne = i;
            projection = kGps;
            return;
        }
    }
}

QComboBox* liste(QWidget* parent, const char* nom) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QLatin1String(nom));
    c->setEditable(false);
    c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    c->setMinimumContentsLength(kLargeurListe);
    return c;
}

QLabel* etiquette(QWidget* parent, const char* nom, const QString& texte) {
    auto* l = new QLabel(texte, parent);
    l->setObjectName(QLatin1String(nom));
    return l;
}

// The first items, elided to half the screen so that an open list fits on it. A text is
// cut first to as many characters as that width has pixels, which no glyphs overfill.
QStringList offerts(const QWidget* w, QStringList items) {
    if (items.size() > kColonnesOffertes) items.resize(kColonnesOffertes);
    const int largeur = w->screen()->availableGeometry().width() / 2;
    for (QString& item : items) item = w->fontMetrics().elidedText(item.left(largeur), Qt::ElideRight, largeur);
    return items;
}

void remplit(QComboBox* c, const QStringList& items, int choix) {
    c->clear();
    c->addItems(items);
    c->setCurrentIndex(choix);
}

}  // namespace

ChoixImport choixAutomatiques(const QStringList& noms, const QStringList& coordonnees) {
    ChoixImport c;
    for (int i = 0; i < noms.size() && c.nom < 0; ++i)
        if (parmi(noms[i], {"NOM", "NAME", "LABEL"})) c.nom = i;
    choisitCoordonnee(coordonnees, "X", {"LON", "LONG", "LONGITUDE"}, c.x, c.projection);
    choisitCoordonnee(coordonnees, "Y", {"LAT", "LATITUDE"}, c.y, c.projection);
    return c;
}

std::optional<QString> refusChoix(int typeFichier, const ChoixImport& choix, const QString& sepDecimal) {
    if (choix.projection < 0)
        return QStringLiteral("Vous devez sélectionner le système de projection des données à importer.");
    if (typeFichier < typefichier::kOuvrirCsvPointVirgule) {
        if (choix.nom < 0) return QStringLiteral("Vous devez sélectionner le champ 'Nom' avant de pouvoir continuer.");
    } else if (choix.y < 0 || choix.x < 0 || choix.nom < 0) {
        return QStringLiteral("Vous devez sélectionner les champs 'Nom', 'X' et 'Y' avant de pouvoir continuer.");
    }
    if (sepDecimal == QLatin1String(",") && typeFichier == typefichier::kOuvrirCsvVirgule)
        return QStringLiteral("Le séparateur décimal doit être différent du délimitateur de champ ('virgule').");
    return std::nullopt;
}

QString texteEchecShapefile() { return QStringLiteral("Une erreur est survenue lors de l'importation du shapefile."); }

std::variant<QStringList, QString> champsAttributs(const QString& shpPath) {
    const auto dbf = fichierVoisin(shpPath, QStringLiteral("dbf"));
    if (!dbf) return texteEchecShapefile();
    QStringList noms;
    try {
        const DbaseTable table = DbaseTable::open(*dbf);
        for (const DbaseField& f : table.fields()) noms << f.name;
    } catch (const DbaseError&) {
        return texteEchecShapefile();
    }
    QSet<QString> vus;
    for (const QString& n : noms) {
        const QString cle = n.toUpper();
        if (vus.contains(cle))
            return texteEchecShapefile() + QStringLiteral("\nDeux champs de la table d'attribut porte le même nom.");
        vus.insert(cle);
    }
    return noms;
}

frmImport::frmImport(Importeur importeur, Fin fin) : importeur_(std::move(importeur)), fin_(std::move(fin)) {
    setObjectName(QStringLiteral("frmImport"));
    setWindowTitle(QStringLiteral("Importation fichier"));
    Combo_nom_ = liste(this, "Combo_nom");
    Combo_x_ = liste(this, "Combo_x");
    Combo_y_ = liste(this, "Combo_y");
    Combo_projection_ = liste(this, "Combo_projection");
    txtSep_ = new QLineEdit(this);
    txtSep_->setObjectName(QStringLiteral("txtSep"));
    txtSep_->installEventFilter(this);
    Label3_6_ = etiquette(this, "Label3_6", QStringLiteral("Champ \"Nom\" :"));
    Label3_9_ = etiquette(this, "Label3_9", QStringLiteral("Champ \"X\" / \"Longitude\" :"));
    Label3_7_ = etiquette(this, "Label3_7", QStringLiteral("Champ \"Y\" / \"Latitude\" :"));
    Label3_0_ = etiquette(this, "Label3_0", QStringLiteral("Séparateur décimal :"));
    Label3_1_ = etiquette(this, "Label3_1", QStringLiteral("Système de projection :"));
    ouvrir_dbf_ = new QPushButton(QStringLiteral("Ouvrir"), this);
    ouvrir_dbf_->setObjectName(QStringLiteral("ouvrir_dbf"));
    ouvrir_dbf_->setDefault(true);
    annuler_dbf_ = new QPushButton(QStringLiteral("Annuler"), this);
    annuler_dbf_->setObjectName(QStringLiteral("annuler_dbf"));

    auto* grille = new QGridLayout(this);
    const std::pair<QLabel*, QWidget*> lignes[] = {{Label3_6_, Combo_nom_}, {Label3_9_, Combo_x_},
                                                   {Label3_7_, Combo_y_},   {Label3_0_, txtSep_},
                                                   {Label3_1_, Combo_projection_}};
    int rang = 0;
    for (const auto& [label, champ] : lignes) {
        grille->addWidget(label, rang, 0);
        grille->addWidget(champ, rang++, 1);
    }
    auto* boutons = new QHBoxLayout;
    boutons->addStretch();
    boutons->addWidget(ouvrir_dbf_);
    boutons->addWidget(annuler_dbf_);
    grille->addLayout(boutons, rang, 0, 1, 2);

    setMaximumWidth(screen()->availableGeometry().width());

    connect(ouvrir_dbf_, &QPushButton::clicked, this, [this] { runCommand([this] { ouvrir_dbf_Click(); }); });
    connect(annuler_dbf_, &QPushButton::clicked, this, [this] { runCommand([this] { annuler_dbf_Click(); }); });
}

bool frmImport::Form_Load() {
    State& s = state();
    s.champNom.clear();
    s.colonneX = -1;
    s.colonneY = -1;
    remplit(Combo_projection_, {QStringLiteral("GPS"), QStringLiteral("Affichage")}, 1);
    const bool shapefile = s.typeFichier == typefichier::kOuvrirShapefile;
    QStringList noms;
    QStringList colonnes;
    if (shapefile) {
        auto champs = champsAttributs(s.nomFichier);
        if (const auto* texte = std::get_if<QString>(&champs)) {
            prompter().message(*texte, Icon::Exclamation);
            termine(false);
            return false;
        }
        noms = offerts(this, std::get<QStringList>(champs));
    } else {
        const auto lignes = premieresLignes(s.nomFichier, 1);
        if (!lignes) {
            prompter().message(msgEchecLecture(s.nomFichier), Icon::Exclamation);
            termine(false);
            return false;
        }
        const QChar delimiteur = s.sepChamps.isEmpty() ? delimiteurCsv(s.typeFichier) : s.sepChamps.front();
        if (!lignes->isEmpty()) decoupeLigneCsv(lignes->front(), delimiteur, colonnes);
        colonnes = offerts(this, colonnes);
        noms = colonnes;
    }
    for (QWidget* w : {static_cast<QWidget*>(Combo_x_), static_cast<QWidget*>(Combo_y_),
                       static_cast<QWidget*>(Label3_9_), static_cast<QWidget*>(Label3_7_),
                       static_cast<QWidget*>(Label3_0_), static_cast<QWidget*>(txtSep_)})
        w->setEnabled(!shapefile);
    Combo_nom_->setEnabled(true);
    Label3_6_->setEnabled(true);
    txtSep_->setText(shapefile ? QString() : QStringLiteral("."));

    const ChoixImport choix = choixAutomatiques(noms, colonnes);
    remplit(Combo_nom_, noms, choix.nom);
    remplit(Combo_x_, colonnes, choix.x);
    remplit(Combo_y_, colonnes, choix.y);
    Combo_projection_->setCurrentIndex(choix.projection);
    return true;
}

void frmImport::ouvrir_dbf_Click() {
    State& s = state();
    const ChoixImport choix{Combo_nom_->currentIndex(), Combo_x_->currentIndex(), Combo_y_->currentIndex(),
                            Combo_projection_->currentIndex()};
    if (const auto refus = refusChoix(s.typeFichier, choix, txtSep_->text())) {
        prompter().message(*refus, Icon::Exclamation);
        return;
    }
    s.projImport = choix.projection;
    if (s.typeFichier < typefichier::kOuvrirCsvPointVirgule) {
        s.champNom = Combo_nom_->currentText();
    } else {
        s.champNom = QString::number(choix.nom);
        s.colonneX = choix.x;
        s.colonneY = choix.y;
        s.sepDecimalFichier = txtSep_->text();
    }
    // The outcome is not looked at: the engine told the user of its own failures.
    importeur_(false);
    s.modifTraces = false;
    s.modifWaypoints = false;
    if (s.mainView) {
        s.mainView->zoomGlobal();
        s.mainView->redraw();
    }
    termine(true);
}

void frmImport::annuler_dbf_Click() { termine(false); }

void frmImport::closeFromControlBox() { annuler_dbf_Click(); }

void frmImport::termine(bool importLance) {
    if (fin_) std::exchange(fin_, {})(importLance);
    if (!isVisible() && state().mainView) state().mainView->setMainWindowEnabled(true);
    finish();
}

bool frmImport::eventFilter(QObject* watched, QEvent* event) {
    // Deferred, or the click that gave the focus would clear the selection again.
    if (watched == txtSep_ && event->type() == QEvent::FocusIn) QTimer::singleShot(0, txtSep_, &QLineEdit::selectAll);
    return HandModalDialog::eventFilter(watched, event);
}

bool ouvreFrmImport(const QString& path, int typeFichier, frmImport::Fin fin, frmImport::Importeur importeur) {
    State& s = state();
    s.nomFichier = path;
    s.typeFichier = typeFichier;
    if (typeFichier != typefichier::kOuvrirShapefile) s.sepChamps = QString(delimiteurCsv(typeFichier));
    auto* dialogue = new frmImport(std::move(importeur), std::move(fin));
    if (!dialogue->Form_Load()) return false;  // the dialog deletes itself
    dialogue->showOver(s.mainView ? s.mainView->window() : nullptr);
    return true;
}

}  // namespace sotrix
