// The "Projection" tab of the settings dialog: the GPS and display systems picked by
// code or by name, the editing of their PROJ.4 strings in Proj and the factory restore
// from projbackup.

#include "frmOption.h"

#include "Database.h"
#include "OptionRules.h"
#include "State.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>

namespace sotrix {

namespace {

QStringList column(Database& db, const QString& sql) {
    QStringList out;
    Cursor c = db.query(sql);
    while (c.next()) out << c.value(0).toString();
    return out;
}

}  // namespace

void frmOption::chargeListesProjection() {
    DbGuard db;
    const QStringList codes = column(*db, QStringLiteral("select Epsg from Proj where Epsg is not null order by Epsg"));
    const QStringList names =
        column(*db, QStringLiteral("select \"Desc\" from Proj where \"Desc\" is not null order by \"Desc\""));
    cboEpsg_->clear();
    cboEpsg_->addItems(codes);
    cboEpsg_->setCurrentIndex(-1);
    cboProjection_->clear();
    cboProjection_->addItems(names);
    cboProjection_->setCurrentIndex(-1);
}

qint32& frmOption::codeAffiche() { return afficheCarto_ ? codeCarto : codeGps; }

void frmOption::optGps_Click() {
    // The question about the string shown so far is about the system shown so far.
    questionsEnAttente();
    afficheCarto_ = optCarto_->isChecked();
    afficheSysteme();
}

void frmOption::optCarto_Click() { optGps_Click(); }

void frmOption::afficheSysteme() {
    const int i = cboEpsg_->findText(QString::number(codeAffiche()));
    if (i < 0) return afficheLigneProj(false, {}, {}, {}, true);
    {
        const QSignalBlocker blocker(cboEpsg_);
        cboEpsg_->setCurrentIndex(i);
    }
    rechercheParCode();
}

void frmOption::cboEpsg_Click() {
    questionsEnAttente();
    rechercheParCode();
}

void frmOption::cboProjection_Click() {
    questionsEnAttente();
    rechercheParNom();
}

void frmOption::rechercheParCode() {
    if (majEnCours) return;
    bool isCode = false;
    const qint64 code = cboEpsg_->currentText().toLongLong(&isCode);
    if (!isCode) return afficheLigneProj(false, {}, {}, {}, true);
    DbGuard db;
    Cursor c = db->query(
        QStringLiteral("select Epsg, \"Desc\", Proj4 from Proj where Epsg = ? order by rowid limit 1"), {code});
    const bool found = c.next();
    afficheLigneProj(found, found ? c.value(0) : QVariant(), found ? c.value(1) : QVariant(),
                     found ? c.value(2) : QVariant(), true);
}

void frmOption::rechercheParNom() {
    if (majEnCours) return;
    DbGuard db;
    Cursor c = db->query(
        QStringLiteral("select Epsg, \"Desc\", Proj4 from Proj where \"Desc\" = ? order by rowid limit 1"),
        {cboProjection_->currentText()});
    const bool found = c.next();
    afficheLigneProj(found, found ? c.value(0) : QVariant(), found ? c.value(1) : QVariant(),
                     found ? c.value(2) : QVariant(), false);
}

void frmOption::afficheLigneProj(bool found, const QVariant& epsg, const QVariant& desc, const QVariant& proj4,
                                 bool byCode) {
    if (!found) {
        codeAffiche() = 0;
        {
            const QSignalBlocker codes(cboEpsg_);
            const QSignalBlocker names(cboProjection_);
            cboEpsg_->setCurrentIndex(-1);
            cboProjection_->setCurrentIndex(-1);
        }
        txtProj4_->clear();
        prompter().message(QString::fromUtf8(kMsgLectureProj), Icon::Exclamation);
        return;
    }
    const std::optional<qint64> code = valeurEntiere(epsg);
    codeAffiche() = code ? qint32(*code) : 0;
    majEnCours = true;
    if (byCode) {
        const QSignalBlocker blocker(cboProjection_);
        cboProjection_->setCurrentIndex(desc.isNull() ? -1 : cboProjection_->findText(desc.toString()));
    } else {
        const QSignalBlocker blocker(cboEpsg_);
        cboEpsg_->setCurrentIndex(code ? cboEpsg_->findText(QString::number(*code)) : -1);
    }
    majEnCours = false;
    txtProj4_->setText(proj4.isNull() ? QString() : proj4.toString());
    proj4Modifie = false;
}

bool frmOption::rechargeProj4() {
    DbGuard db;
    Cursor c = db->query(QStringLiteral("select Proj4 from Proj where Epsg = ? and Proj4 is not null"), {codeAffiche()});
    if (!c.next()) return false;
    txtProj4_->setText(c.value(0).toString());
    return true;
}

void frmOption::txtProj4_LostFocus() {
    if (!proj4Modifie) return;
    // No system is shown: there is nothing to save the text into.
    if (codeAffiche() == 0) {
        proj4Modifie = false;
        return;
    }
    const Answer save = prompter().ask(
        QStringLiteral("Vous avez modifié la commande proj.4 associée au système de projection sélectionné.\n"
                       "Voulez-vous sauvegarder ces modifications ?"));
    if (save == Answer::Yes) {
        const QString text = txtProj4_->text();
        if (!porteDatum(text) && prompter().ask(questionDatum()) != Answer::Yes) {
            proj4Refuse_ = true;
            return;
        }
        DbGuard db;
        Transaction tx(*db);
        db->exec(QStringLiteral("update Proj set Proj4 = ? where Epsg = ?"), {text, codeAffiche()});
        tx.commit();
    } else {
        rechargeProj4();
    }
    proj4Modifie = false;
}

void frmOption::cmdDefaut_Click() {
    questionsEnAttente();
    if (prompter().ask(QStringLiteral("Etês-vous sûr de vouloir restaurer la commande proj.4 par défaut ?")) !=
        Answer::Yes)
        return;
    {
        DbGuard db;
        Transaction tx(*db);
        db->exec(QStringLiteral("update Proj set Proj4 = projbackup.proj4 from projbackup "
                                "where projbackup.epsg = Proj.Epsg and Proj.Epsg = ?"),
                 {codeAffiche()});
        tx.commit();
    }
    if (rechargeProj4()) proj4Modifie = false;
}

}  // namespace sotrix
