#include "frmDate.h"

#include "CommandGuard.h"
#include "DateSelection.h"
#include "Database.h"
#include "Horloge.h"
#include "MapCanvas.h"
#include "State.h"
#include "frmAccueil.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

namespace sotrix {

namespace {

const QString kFormatJour = QStringLiteral("dd/MM/yyyy");

template <typename W>
W* named(W* widget, const char* name) {
    widget->setObjectName(QString::fromUtf8(name));
    return widget;
}

}  // namespace

frmDate::frmDate(frmAccueil& main) : main_(&main) {
    setObjectName(QStringLiteral("frmDate"));
    setWindowTitle(QStringLiteral("Sélection sur la date"));
    auto* outer = new QVBoxLayout(this);

    outer->addWidget(named(new QLabel(QStringLiteral("Type :")), "Label2"));
    chkWaypoint_ = named(new QCheckBox(QStringLiteral("Sélectionner les Waypoints")), "chkWaypoint");
    chkTrace_ = named(new QCheckBox(QStringLiteral("Sélectionner les Traces")), "chkTrace");
    chkWaypoint_->setChecked(true);
    chkTrace_->setChecked(true);
    outer->addWidget(chkWaypoint_);
    outer->addWidget(chkTrace_);

    outer->addWidget(named(new QLabel(QStringLiteral("Période :")), "Label3"));
    auto* grid = new QGridLayout;
    optInterval_ = named(new QRadioButton, "optInterval");
    Label7_ = named(new QLabel(QStringLiteral("du")), "Label7");
    txtDate1_ = named(new QLineEdit, "txtDate1");
    Label1_ = named(new QLabel(QStringLiteral("au     ")), "Label1");
    txtDate2_ = named(new QLineEdit, "txtDate2");
    grid->addWidget(optInterval_, 0, 0);
    grid->addWidget(Label7_, 0, 1);
    grid->addWidget(txtDate1_, 0, 2);
    grid->addWidget(Label1_, 0, 3);
    grid->addWidget(txtDate2_, 0, 4);
    optNombre_ = named(new QRadioButton, "optNombre");
    txtNombre_ = named(new QLineEdit, "txtNombre");
    cmdJour_ = named(new QScrollBar(Qt::Vertical), "cmdJour");
    cmdJour_->setRange(0, 365);
    cmdJour_->setSingleStep(1);
    cmdJour_->setValue(1);
    Label8_ = named(new QLabel(QStringLiteral("derniers jours")), "Label8");
    grid->addWidget(optNombre_, 1, 0);
    grid->addWidget(txtNombre_, 1, 2);
    grid->addWidget(cmdJour_, 1, 3);
    grid->addWidget(Label8_, 1, 4);
    outer->addLayout(grid);

    auto* buttons = new QHBoxLayout;
    auto* ok = named(new QPushButton(QStringLiteral("OK")), "cmdOk");
    auto* annuler = named(new QPushButton(QStringLiteral("Annuler")), "cmdAnnuler");
    ok->setAutoDefault(false);
    annuler->setAutoDefault(false);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(annuler);
    outer->addLayout(buttons);

    for (QLineEdit* box : {txtDate1_, txtDate2_}) box->installEventFilter(this);
    connect(optInterval_, &QRadioButton::clicked, this, [this] { optInterval_Click(); });
    connect(optNombre_, &QRadioButton::clicked, this, [this] { optNombre_Click(); });
    connect(cmdJour_, &QScrollBar::valueChanged, this, [this] { cmdJour_Change(); });
    connect(ok, &QPushButton::clicked, this, [this] { runCommand([this] { cmdOk_Click(); }); });
    connect(annuler, &QPushButton::clicked, this, [this] { cmdAnnuler_Click(); });
}

void frmDate::Form_Load() {
    std::optional<std::pair<QDate, QDate>> period;
    {
        DbGuard db;
        period = etendueDates(*db);
    }
    const QDate today = aujourdhui();
    txtDate1_->setText((period ? period->first : today).toString(kFormatJour));
    txtDate2_->setText((period ? period->second : today).toString(kFormatJour));
    txtNombre_->setText(QStringLiteral("1"));
    optInterval_->setChecked(true);
    choisitPeriode(true);
}

void frmDate::choisitPeriode(bool interval) {
    for (QWidget* w : std::initializer_list<QWidget*>{Label7_, Label1_, txtDate1_, txtDate2_}) w->setEnabled(interval);
    for (QWidget* w : std::initializer_list<QWidget*>{Label8_, txtNombre_, cmdJour_}) w->setEnabled(!interval);
}

void frmDate::optInterval_Click() { choisitPeriode(true); }

void frmDate::optNombre_Click() { choisitPeriode(false); }

void frmDate::cmdJour_Change() { txtNombre_->setText(QString::number(cmdJour_->minimum() + cmdJour_->value())); }

bool frmDate::eventFilter(QObject* watched, QEvent* event) {
    // Later: the press that gave the focus would clear the selection at once.
    if (event->type() == QEvent::FocusIn)
        if (auto* box = qobject_cast<QLineEdit*>(watched)) QTimer::singleShot(0, box, &QLineEdit::selectAll);
    return HandModalDialog::eventFilter(watched, event);
}

void frmDate::cmdOk_Click() {
    QDate d1;
    QDate d2;
    if (optInterval_->isChecked()) {
        const std::optional<QDate> first = litDate(txtDate1_->text());
        const std::optional<QDate> last = litDate(txtDate2_->text());
        if (!first || !last) {
            prompter().message(QStringLiteral("Vous devez sélectionner les dates de début et de fin."),
                               Icon::Exclamation);
            return;
        }
        if (*last < *first) {
            prompter().message(QStringLiteral("La date de début est supérieure à la date de fin."), Icon::Exclamation);
            return;
        }
        d1 = *first;
        d2 = *last;
    }
    if (!chkWaypoint_->isChecked() && !chkTrace_->isChecked()) {
        prompter().message(QStringLiteral("Vous devez sélectionner sur quel(s) élément(s) (Waypoints et/ou Traces) "
                                          "vous voulez rélaiser la requête."),
                           Icon::Exclamation);
        return;
    }
    if (optNombre_->isChecked()) {
        const qint64 n = litNombreJours(txtNombre_->text());
        const QDate today = aujourdhui();
        d1 = today.addDays(-n);
        d2 = today.addDays(n);
    }

    const State& s = state();
    std::optional<SelectionChangee> found;
    {
        DbGuard db;
        found = selectionneDates(*db, d1, d2, chkWaypoint_->isChecked(), chkTrace_->isChecked(),
                                 s.nbWaypointsSel > 0 || s.nbTracesSel > 0, [] {
                                     return prompter().ask(QStringLiteral(
                                                "Voulez-vous ajouter la nouvelle sélection à la sélection en cours "
                                                "(OUI) ou créer une nouvelle sélection (NON) ?")) == Answer::No;
                                 });
    }
    if (main_) {
        if (found) {
            main_->appliqueSelection(*found);
            main_->redraw();
        }
        main_->picture1()->setPointer(1);
    }
    if (!found) prompter().message(QStringLiteral("La sélection n'abouti à aucun résultat."), Icon::Exclamation);
    finish(QDialog::Accepted);
}

void frmDate::cmdAnnuler_Click() { finish(QDialog::Rejected); }

}  // namespace sotrix
