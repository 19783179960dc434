#include "frmEdit.h"

#include "MapTools.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace sotrix {

frmEdit::frmEdit() {
    setObjectName(QStringLiteral("frmEdit"));
    setWindowTitle(QStringLiteral("Ajouter"));
    auto* label = new QLabel(QStringLiteral("Ajouter :"), this);
    label->setObjectName(QStringLiteral("Label1"));
    optWaypoint_ = new QRadioButton(QStringLiteral("un waypoint (point)"), this);
    optWaypoint_->setObjectName(QStringLiteral("optWaypoint"));
    optWaypoint_->setChecked(true);
    optTrace_ = new QRadioButton(QStringLiteral("une trace (ligne)"), this);
    optTrace_->setObjectName(QStringLiteral("optTrace"));
    auto* ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setObjectName(QStringLiteral("cmdOk"));
    ok->setDefault(true);
    auto* annuler = new QPushButton(QStringLiteral("Annuler"), this);
    annuler->setObjectName(QStringLiteral("cmdAnnuler"));
    annuler->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &frmEdit::cmdOk_Click);
    connect(annuler, &QPushButton::clicked, this, &frmEdit::cmdAnnuler_Click);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(optWaypoint_);
    layout->addWidget(optTrace_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(annuler);
    layout->addLayout(buttons);
}

void frmEdit::cmdOk_Click() {
    emit choisi(optWaypoint_->isChecked() ? outil::kAjoutWaypoint : outil::kDessinTrace);
    finish();
}

void frmEdit::cmdAnnuler_Click() { finish(); }

}  // namespace sotrix
