// The settings dialog: its layout, its loading, the rules of the GPS, Graphique and
// Divers tabs, and "Ok" / "Annuler". The Projection tab is in frmOption_projection.cpp.

#include "frmOption.h"

#include "AppDir.h"
#include "CommandGuard.h"
#include "Database.h"
#include "ListeDossier.h"
#include "Logo.h"
#include "MainView.h"
#include "OptionRules.h"
#include "State.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFocusEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <functional>
#include <limits>
#include <utility>

namespace sotrix {

namespace {

const char* const kCouleurProperty = "couleur";

template <typename W>
W* named(W* widget, const char* name) {
    widget->setObjectName(QString::fromUtf8(name));
    return widget;
}

QLabel* heading(const QString& text, const char* name = nullptr) {
    auto* label = new QLabel(text);
    if (name) label->setObjectName(QString::fromUtf8(name));
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
    return label;
}

QComboBox* pickList(const char* name, const QStringList& items = {}) {
    auto* box = named(new QComboBox, name);
    box->setEditable(false);
    box->addItems(items);
    box->setCurrentIndex(-1);
    return box;
}

// Runs its action at the next release of a mouse button anywhere in the program, as the
// release arrives; then waits to be armed again.
class AuRelachement final : public QObject {
public:
    AuRelachement(QObject* parent, std::function<void()> action) : QObject(parent), action_(std::move(action)) {}
    void arme() { qApp->installEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease) {
            qApp->removeEventFilter(this);
            action_();
        }
        return false;
    }

private:
    std::function<void()> action_;
};

// Puts a list position from code: no handler runs.
void setPosition(QComboBox* box, int position) { box->setCurrentIndex(position < box->count() ? position : -1); }

}  // namespace

frmOption::frmOption() {
    setObjectName(QStringLiteral("frmOption"));
    setWindowTitle(QStringLiteral("Options de Sotrix"));
    buildUi();
    // Right after the release has reached its widget.
    auRelachement_ = new AuRelachement(this, [this] {
        QTimer::singleShot(0, this, [this] {
            if (isVisible() && !finished()) runCommand([this] { questionsEnAttente(); });
        });
    });
}

void frmOption::buildUi() {
    auto* outer = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    auto* picture = named(new QLabel, "Picture2");
    picture->setPixmap(logoSotrix(48));
    auto* titles = new QVBoxLayout;
    titles->addWidget(heading(QStringLiteral("Options de l'application"), "label11"));
    titles->addWidget(named(new QLabel(QStringLiteral("Logiciel Sotrix")), "Label10"));
    top->addWidget(picture);
    top->addLayout(titles, 1);
    auto* image = named(new QLabel, "Image1");
    image->setPixmap(logoSotrix(32));
    top->addWidget(image);
    outer->addLayout(top);

    SSTab1_ = named(new QTabWidget, "SSTab1");
    SSTab1_->addTab(buildGpsTab(), QStringLiteral("GPS"));
    SSTab1_->addTab(buildProjectionTab(), QStringLiteral("Projection"));
    SSTab1_->addTab(buildGraphiqueTab(), QStringLiteral("Graphique"));
    SSTab1_->addTab(buildDiversTab(), QStringLiteral("Divers"));
    outer->addWidget(SSTab1_, 1);

    auto* buttons = new QHBoxLayout;
    auto* restaurer = named(new QPushButton(QStringLiteral("Restaurer défaut")), "cmdRestaurer");
    auto* ok = named(new QPushButton(QStringLiteral("Ok")), "cmdOk");
    auto* annuler = named(new QPushButton(QStringLiteral("Annuler")), "cmdAnnuler");
    for (QPushButton* b : {restaurer, ok, annuler}) b->setAutoDefault(false);
    buttons->addWidget(restaurer);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(annuler);
    outer->addLayout(buttons);

    connect(restaurer, &QPushButton::clicked, this, [this] { runCommand([this] { cmdRestaurer_Click(); }); });
    connect(ok, &QPushButton::clicked, this, [this] { runCommand([this] { cmdOk_Click(); }); });
    connect(annuler, &QPushButton::clicked, this, [this] { runCommand([this] { cmdAnnuler_Click(); }); });
}

QWidget* frmOption::buildGpsTab() {
    auto* tab = named(new QWidget, "ongletGps");
    auto* form = new QFormLayout(tab);
    cboGps_ = pickList("cboGps", {QStringLiteral("Garmin"), QStringLiteral("Magellan"), QStringLiteral("Generic NMEA")});
    cboPort_ = pickList("cboPort", {QStringLiteral("COM1"), QStringLiteral("COM2"), QStringLiteral("COM3"),
                                    QStringLiteral("COM4"), QStringLiteral("COM5"), QStringLiteral("COM6"),
                                    QStringLiteral("COM7"), QStringLiteral("COM8"), QStringLiteral("USB")});
    cboVitesse_ = pickList("cboVitesse", {QStringLiteral("1200"), QStringLiteral("2400"), QStringLiteral("4800"),
                                          QStringLiteral("9600"), QStringLiteral("19200"), QStringLiteral("38400"),
                                          QStringLiteral("57600"), QStringLiteral("115200")});
    Label4_ = named(new QLabel(QStringLiteral("Vitesse :")), "Label4");
    txtDate_ = named(new QLineEdit, "txtDate");
    txtDate_->installEventFilter(this);

    form->addRow(heading(QStringLiteral("Protocole :")));
    form->addRow(QStringLiteral("GPS :"), cboGps_);
    form->addRow(QStringLiteral("Port :"), cboPort_);
    form->addRow(Label4_, cboVitesse_);
    form->addRow(heading(QStringLiteral("Fuseau horaire :")));
    form->addRow(QStringLiteral("Décalage heure locale et heure GPS :"), txtDate_);

    connect(cboGps_, &QComboBox::activated, this, [this] { runCommand([this] { cboGps_Click(); }); });
    connect(cboPort_, &QComboBox::activated, this, [this] { runCommand([this] { cboPort_Click(); }); });
    connect(cboVitesse_, &QComboBox::activated, this, [this] { runCommand([this] { questionsEnAttente(); }); });
    return tab;
}

QWidget* frmOption::buildProjectionTab() {
    auto* tab = named(new QWidget, "ongletProjection");
    auto* form = new QFormLayout(tab);
    optGps_ = named(new QRadioButton(QStringLiteral("Système de projection du GPS")), "optGps");
    optCarto_ = named(new QRadioButton(QStringLiteral("Système de projection utilisé à l'affichage")), "optCarto");
    cboProjection_ = pickList("cboProjection");
    cboEpsg_ = pickList("cboEpsg");
    txtProj4_ = named(new QLineEdit, "txtProj4");
    txtProj4_->installEventFilter(this);
    auto* defaut = named(new QPushButton(QStringLiteral("Restaurer la commande proj.4 par défaut")), "cmdDefaut");
    defaut->setAutoDefault(false);

    form->addRow(heading(QStringLiteral("Système de projection :")));
    form->addRow(optGps_);
    form->addRow(optCarto_);
    form->addRow(QStringLiteral("Nom :"), cboProjection_);
    form->addRow(QStringLiteral("Code EPSG :"), cboEpsg_);
    form->addRow(QStringLiteral("Commande proj.4 :"), txtProj4_);
    form->addRow(defaut);

    connect(optGps_, &QRadioButton::clicked, this, [this] { runCommand([this] { optGps_Click(); }); });
    connect(optCarto_, &QRadioButton::clicked, this, [this] { runCommand([this] { optCarto_Click(); }); });
    connect(cboEpsg_, &QComboBox::activated, this, [this] { runCommand([this] { cboEpsg_Click(); }); });
    connect(cboProjection_, &QComboBox::activated, this, [this] { runCommand([this] { cboProjection_Click(); }); });
    connect(txtProj4_, &QLineEdit::textChanged, this, [this] {
        proj4Modifie = true;
        proj4Refuse_ = false;
    });
    connect(defaut, &QPushButton::clicked, this, [this] { runCommand([this] { cmdDefaut_Click(); }); });
    return tab;
}

QPushButton* frmOption::makeColourButton(const char* name, const QString& tip) {
    auto* button = named(new QPushButton, name);
    button->setToolTip(tip);
    button->setAutoDefault(false);
    button->setFixedWidth(60);
    connect(button, &QPushButton::clicked, this, [this, button] { runCommand([&] { cmdCouleur_Click(button); }); });
    return button;
}

QWidget* frmOption::buildGraphiqueTab() {
    auto* tab = named(new QWidget, "ongletGraphique");
    auto* form = new QFormLayout(tab);
    cboTaille_ = pickList("cboTaille", {QStringLiteral("Petite"), QStringLiteral("Moyenne"), QStringLiteral("Grande")});
    cmdCouleur_ = makeColourButton("cmdCouleur", QStringLiteral("Changer la couleur des Waypoints / Traces"));
    cmdCouleurSel_ = makeColourButton("cmdCouleurSel", QStringLiteral("Changer la couleur de la sélection"));
    cmdCouleurShp_ =
        makeColourButton("cmdCouleurShp", QStringLiteral("Changer la couleur de la couche de référence"));
    cmdCouleurEdit_ = makeColourButton("cmdCouleurEdit", QStringLiteral("Changer la couleur lors de l'édition"));

    form->addRow(heading(QStringLiteral("Options graphiques :")));
    form->addRow(QStringLiteral("Taille des waypoints / traces :"), cboTaille_);
    form->addRow(QStringLiteral("Couleur des waypoints / traces :"), cmdCouleur_);
    form->addRow(QStringLiteral("Couleur de la sélection :"), cmdCouleurSel_);
    form->addRow(QStringLiteral("Couleur de la couche de référence :"), cmdCouleurShp_);
    form->addRow(QStringLiteral("Couleur lors de l'édition :"), cmdCouleurEdit_);

    connect(cboTaille_, &QComboBox::activated, this, [this] { runCommand([this] { questionsEnAttente(); }); });
    return tab;
}

QWidget* frmOption::buildDiversTab() {
    auto* tab = named(new QWidget, "ongletDivers");
    auto* grid = new QGridLayout(tab);
    txtDossier_ = named(new QLineEdit, "txtDossier");
    auto* dossier = named(new QPushButton(QStringLiteral("...")), "cmdDossier");
    dossier->setAutoDefault(false);
    chkInt_ = named(new QCheckBox(QStringLiteral("Supprimer les fichiers intermédiaires")), "chkInt");
    chkUpdate_ = named(new QCheckBox(QStringLiteral("Contrôler automatiquement les mises à jour de Sotrix")), "chkUpdate");
    txtUpdate_ = named(new QLineEdit, "txtUpdate");
    txtUpdate_->installEventFilter(this);

    grid->addWidget(heading(QStringLiteral("Répertoire de travail :")), 0, 0, 1, 2);
    grid->addWidget(txtDossier_, 1, 0);
    grid->addWidget(dossier, 1, 1);
    grid->addWidget(heading(QStringLiteral("Divers :")), 2, 0, 1, 2);
    grid->addWidget(chkInt_, 3, 0, 1, 2);
    grid->addWidget(chkUpdate_, 4, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Serveur de mise à jour :")), 5, 0, 1, 2);
    grid->addWidget(txtUpdate_, 6, 0, 1, 2);
    grid->setRowStretch(7, 1);

    connect(dossier, &QPushButton::clicked, this, [this] { runCommand([this] { cmdDossier_Click(); }); });
    for (QCheckBox* box : {chkInt_, chkUpdate_})
        connect(box, &QCheckBox::clicked, this, [this] { runCommand([this] { questionsEnAttente(); }); });
    connect(txtUpdate_, &QLineEdit::textChanged, this, [this] { urlModifiee = true; });
    return tab;
}

bool frmOption::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        // Only a move of the focus inside the dialog counts: not the activation of
        // another window (a message box), nor the dialog's own end.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && isVisible() && !finished() &&
            (watched == txtUpdate_ || watched == txtProj4_)) {
            if (reason == Qt::MouseFocusReason && qobject_cast<QAbstractButton*>(QApplication::focusWidget())) {
                // A box shown inside the press would take the release from the button,
                // which would stay drawn pressed and never act. The button's handler
                // asks the question before it acts; a press that ends off the button
                // gets it once released.
                static_cast<AuRelachement*>(auRelachement_)->arme();
            } else if (watched == txtUpdate_) {
                runCommand([this] { txtUpdate_LostFocus(); });
            } else {
                runCommand([this] { txtProj4_LostFocus(); });
            }
        }
    } else if (event->type() == QEvent::FocusIn) {
        // Later: the press that gave the focus would clear the selection at once.
        if (watched == txtDate_) QTimer::singleShot(0, txtDate_, &QLineEdit::selectAll);
        if (watched == txtProj4_) proj4Refuse_ = false;
    }
    return HandModalDialog::eventFilter(watched, event);
}

void frmOption::questionsEnAttente() {
    // One question at a time: a check that comes while one is on screen has nothing to add.
    if (questionEnCours_) return;
    const QScopedValueRollback<bool> enCours(questionEnCours_, true);
    txtUpdate_LostFocus();
    if (!proj4Refuse_) txtProj4_LostFocus();
}

// ---------------------------------------------------------------- loading

void frmOption::Form_Load() {
    DbGuard db;
    chargeListesProjection();
    Cursor row = db->query(QStringLiteral("select * from Options order by rowid limit 1"));
    if (!row.next()) {
        optionsDefaut();
        return;
    }
    chargeControles(row);
    majEnCours = false;
    optCarto_->setChecked(true);
    afficheCarto_ = true;
    afficheSysteme();
    afficheTypeGps();
    testPort();
    proj4Modifie = false;
    urlModifiee = false;
    proj4Refuse_ = false;
    SSTab1_->setCurrentIndex(0);
}

void frmOption::chargeControles(const Cursor& row) {
    const Parametres d = parametresDefaut();
    const auto column = [&](const char* name) { return row.value(QString::fromLatin1(name)); };
    const auto integer = [&](const char* name) { return valeurEntiere(column(name)); };
    // A stored position 1..n, Null as given, anything else as nothing chosen.
    const auto position = [&](const char* name, int n, int ifNull) {
        if (column(name).isNull()) return ifNull;
        const auto v = integer(name);
        return v && *v >= 1 && *v <= n ? int(*v - 1) : -1;
    };
    const auto int32 = [&](const char* name, qint32 ifNull, qint32 ifBad) {
        if (column(name).isNull()) return ifNull;
        const auto v = integer(name);
        return v && *v >= std::numeric_limits<qint32>::min() && *v <= std::numeric_limits<qint32>::max() ? qint32(*v)
                                                                                                        : ifBad;
    };
    const auto flag = [&](const char* name, bool ifNull) {
        const auto v = integer(name);
        return v ? *v != 0 : ifNull;
    };
    const auto text = [&](const char* name, const QString& ifNull) {
        const QVariant v = column(name);
        return v.isNull() ? ifNull : v.toString();
    };

    setPosition(cboGps_, position("Gps", 3, d.gps - 1));
    setPosition(cboPort_, position("Port", 9, d.port - 1));
    const auto gps = integer("Gps");
    setPosition(cboVitesse_, gps && *gps > 1 ? position("Vitesse", 8, -1) : -1);

    const QVariant decalage = column("Decalage");
    const auto hours = integer("Decalage");
    if (decalage.isNull())
        txtDate_->setText(QLocale().toString(d.decalage));
    else if (hours && *hours >= -32768 && *hours <= 32767)
        txtDate_->setText(QLocale().toString(*hours));
    else
        txtDate_->clear();

    codeCarto = int32("ProjCarto", d.projCarto, 0);
    codeGps = int32("ProjGps", d.projGps, 0);
    txtDossier_->setText(text("Dossier", d.dossier));

    const auto taille = integer("Taille");
    if (column("Taille").isNull() || (taille && *taille <= 0))
        setPosition(cboTaille_, d.taille - 1);
    else
        setPosition(cboTaille_, taille && *taille <= 3 ? int(*taille - 1) : -1);

    setCouleur(cmdCouleur_, int32("Couleur", d.couleur, d.couleur));
    setCouleur(cmdCouleurSel_, int32("CouleurSel", d.couleurSel, d.couleurSel));
    setCouleur(cmdCouleurShp_, int32("CouleurShp", d.couleurShp, d.couleurShp));
    setCouleur(cmdCouleurEdit_, int32("CouleurEdit", d.couleurEdit, d.couleurEdit));
    chkInt_->setChecked(flag("SupInt", d.supInt));
    chkUpdate_->setChecked(flag("checkUpdate", d.checkUpdate));
    txtUpdate_->setText(text("urlUpdate", d.urlUpdate));
}

// ---------------------------------------------------------------- rules

void frmOption::afficheTypeGps() {
    const bool speed = cboGps_->currentIndex() >= 1;
    cboVitesse_->setVisible(speed);
    Label4_->setVisible(speed);
}

void frmOption::regleType() {
    if (cboGps_->currentIndex() >= 1) setPosition(cboVitesse_, 3);  // "9600"
    afficheTypeGps();
    testPort();
}

void frmOption::cboGps_Click() {
    questionsEnAttente();
    regleType();
}

void frmOption::cboPort_Click() {
    questionsEnAttente();
    testPort();
}

void frmOption::testPort() {
    if (cboGps_->currentIndex() > 0 && cboPort_->currentIndex() == 8) {
        prompter().message(QString::fromUtf8(kMsgPortUsb), Icon::Exclamation);
        setPosition(cboPort_, 0);
    }
}

void frmOption::setCouleur(QPushButton* button, qint32 colour) {
    button->setProperty(kCouleurProperty, colour);
    button->setStyleSheet(QStringLiteral("background-color: rgb(%1, %2, %3);")
                              .arg(colour & 0xFF)
                              .arg((colour >> 8) & 0xFF)
                              .arg((colour >> 16) & 0xFF));
}

qint32 frmOption::couleur(const QPushButton* button) const {
    return qint32(button->property(kCouleurProperty).toLongLong());
}

void frmOption::cmdCouleur_Click(QPushButton* button) {
    questionsEnAttente();
    const std::optional<qint32> chosen = prompter().chooseColor(couleur(button));
    if (!chosen) return;
    if (button == cmdCouleurShp_) {
        const MainView* main = state().mainView;
        const QString layer = main ? main->lblReferenceText() : QString();
        if (!layer.isEmpty() && layer.right(3).toUpper() == QLatin1String("SHP") && *chosen != couleur(button))
            prompter().message(QString::fromUtf8(kMsgNoticeCouleurShp), Icon::Information);
    }
    setCouleur(button, *chosen);
}

void frmOption::cmdDossier_Click() {
    questionsEnAttente();
    const QString folder = choisirDossier(QStringLiteral("Ajouter un répertoire :"));
    if (!folder.isEmpty()) txtDossier_->setText(folder);
}

void frmOption::txtUpdate_LostFocus() {
    if (!urlModifiee) return;
    if (prompter().ask(QStringLiteral("Etes-vous sûr de vouloir changer l'adresse du serveur de mise à jour ?")) ==
        Answer::No)
        txtUpdate_->setText(QString::fromLatin1(kDefaultUrlUpdate));
    urlModifiee = false;
}

void frmOption::cmdRestaurer_Click() {
    questionsEnAttente();
    if (prompter().ask(QStringLiteral("Etes-vous sûr de vouloir restaurer les options par défaut ?")) == Answer::Yes)
        optionsDefaut();
}

void frmOption::optionsDefaut() {
    const Parametres d = parametresDefaut();
    setPosition(cboGps_, d.gps - 1);
    regleType();
    setPosition(cboPort_, d.port - 1);
    testPort();
    cboVitesse_->hide();
    Label4_->hide();
    txtDate_->setText(QLocale().toString(d.decalage));
    codeCarto = d.projCarto;
    codeGps = d.projGps;
    optCarto_->setChecked(true);
    afficheCarto_ = true;
    afficheSysteme();
    txtDossier_->setText(d.dossier);
    setPosition(cboTaille_, d.taille - 1);
    setCouleur(cmdCouleur_, d.couleur);
    setCouleur(cmdCouleurSel_, d.couleurSel);
    setCouleur(cmdCouleurShp_, d.couleurShp);
    setCouleur(cmdCouleurEdit_, d.couleurEdit);
    chkInt_->setChecked(d.supInt);
    chkUpdate_->setChecked(d.checkUpdate);
    txtUpdate_->setText(d.urlUpdate);
    majEnCours = false;
    afficheTypeGps();
    proj4Modifie = false;
    urlModifiee = false;
    proj4Refuse_ = false;
    SSTab1_->setCurrentIndex(0);
}

// ---------------------------------------------------------------- Ok and Annuler

Parametres frmOption::parametres() const {
    Parametres p;
    p.gps = cboGps_->currentIndex() + 1;
    p.port = cboPort_->currentIndex() + 1;
    p.vitesse = cboVitesse_->currentIndex() + 1;
    p.decalage = litDecalage(txtDate_->text()).value_or(0);
    p.projCarto = codeCarto;
    p.projGps = codeGps;
    p.dossier = txtDossier_->text();
    p.taille = cboTaille_->currentIndex() + 1;
    p.couleur = couleur(cmdCouleur_);
    p.couleurSel = couleur(cmdCouleurSel_);
    p.couleurShp = couleur(cmdCouleurShp_);
    p.couleurEdit = couleur(cmdCouleurEdit_);
    p.supInt = chkInt_->isChecked();
    p.checkUpdate = chkUpdate_->isChecked();
    p.urlUpdate = txtUpdate_->text();
    return p;
}

void frmOption::cmdOk_Click() {
    questionsEnAttente();
    const OptionControls controls{cboGps_->currentIndex(), cboPort_->currentIndex(), cboVitesse_->currentIndex(),
                                  txtDate_->text(),         codeCarto,               codeGps,
                                  txtDossier_->text(),      cboTaille_->currentIndex()};
    if (const std::optional<QString> refusal = valideOptions(controls)) {
        prompter().message(*refusal, Icon::Exclamation);
        return;
    }
    if (!porteDatum(txtProj4_->text()) && prompter().ask(questionDatum()) != Answer::Yes) return;

    State& s = state();
    const Parametres p = parametres();
    MainView* main = s.mainView;
    if (main && main->listsHoldData()) {
        const bool fromFile = !main->lblFichierText().isEmpty();
        if (p.projCarto != s.paramProjCarto || p.projGps != s.paramProjGps)
            prompter().message(QString::fromUtf8(fromFile ? kMsgNoticeProjFichier : kMsgNoticeProjGps),
                               Icon::Exclamation);
        if (!fromFile && p.decalage != s.paramDecalage)
            prompter().message(QString::fromUtf8(kMsgNoticeDecalage), Icon::Exclamation);
    }
    {
        DbGuard db;
        ecritOptions(*db, p);
    }
    appliqueParametres(p);
    if (!p.dossier.isEmpty()) QDir::setCurrent(p.dossier);
    s.dernierDossier = p.dossier;
    finish(QDialog::Accepted);
    if (main) main->redraw();
}

void frmOption::cmdAnnuler_Click() {
    questionsEnAttente();
    finish(QDialog::Rejected);
}

}  // namespace sotrix
