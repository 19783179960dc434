#pragma once
// The settings dialog "Options de Sotrix": the receiver, the offset, the two coordinate
// systems with the editor of their PROJ.4 strings, the symbol size and colours, the
// working folder and the update check. Nothing is stored before "Ok", except the PROJ.4
// strings, saved in Proj when the user leaves an edited one and agrees.

#include "HandModal.h"
#include "Settings.h"

#include <QString>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace sotrix {

class Cursor;

class frmOption : public HandModalDialog {
    Q_OBJECT
public:
    frmOption();

    // Fills the lists and the controls from Options (the defaults when it is empty).
    // Throws DbError.
    void Form_Load();

    // GPS tab
    void cboGps_Click();
    void cboPort_Click();
    void testPort();
    // Graphique tab: the colour dialog for one of the four colour buttons.
    void cmdCouleur_Click(QPushButton* button);
    // Divers tab
    void cmdDossier_Click();
    void txtUpdate_LostFocus();
    // Buttons
    void cmdRestaurer_Click();
    void optionsDefaut();
    void cmdOk_Click();
    void cmdAnnuler_Click();

    // Projection tab
    void optGps_Click();
    void optCarto_Click();
    void cboEpsg_Click();
    void cboProjection_Click();
    void txtProj4_LostFocus();
    void cmdDefaut_Click();

    qint32 codeGps = 0;
    qint32 codeCarto = 0;
    bool proj4Modifie = false;
    bool majEnCours = false;
    bool urlModifiee = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildUi();
    QWidget* buildGpsTab();
    QWidget* buildProjectionTab();
    QWidget* buildGraphiqueTab();
    QWidget* buildDiversTab();
    QPushButton* makeColourButton(const char* name, const QString& tip);

    // The questions of the two boxes whose focus-out asks: answered before any other
    // control of the dialog acts.
    void questionsEnAttente();
    void afficheTypeGps();
    void setCouleur(QPushButton* button, qint32 colour);
    qint32 couleur(const QPushButton* button) const;
    void chargeListesProjection();
    void chargeControles(const Cursor& row);
    Parametres parametres() const;

    // The working code of the system the tab shows (codeCarto or codeGps).
    qint32& codeAffiche();
    // Shows the code of the shown system in the code list and looks it up.
    void afficheSysteme();
    void rechercheParCode();
    void rechercheParNom();
    // Puts the row found into the other list and the box, or takes the no-row path.
    void afficheLigneProj(bool found, const QVariant& epsg, const QVariant& desc, const QVariant& proj4,
                          bool byCode);
    // Puts the stored string of the shown system back into the box; false when it has none.
    bool rechargeProj4();
    // The type rule: the speed list follows the type, then the port rule.
    void regleType();

    QTabWidget* SSTab1_ = nullptr;
    QComboBox* cboGps_ = nullptr;
    QComboBox* cboPort_ = nullptr;
    QComboBox* cboVitesse_ = nullptr;
    QLabel* Label4_ = nullptr;
    QLineEdit* txtDate_ = nullptr;
    QRadioButton* optGps_ = nullptr;
    QRadioButton* optCarto_ = nullptr;
    QComboBox* cboProjection_ = nullptr;
    QComboBox* cboEpsg_ = nullptr;
    QLineEdit* txtProj4_ = nullptr;
    QComboBox* cboTaille_ = nullptr;
    QPushButton* cmdCouleur_ = nullptr;
    QPushButton* cmdCouleurSel_ = nullptr;
    QPushButton* cmdCouleurShp_ = nullptr;
    QPushButton* cmdCouleurEdit_ = nullptr;
    QLineEdit* txtDossier_ = nullptr;
    QCheckBox* chkInt_ = nullptr;
    QCheckBox* chkUpdate_ = nullptr;
    QLineEdit* txtUpdate_ = nullptr;

    // The save question of txtProj4 was answered and the datum question refused since
    // the box last took the focus: the question waits for its next focus-out.
    bool proj4Refuse_ = false;
    // Asks the questions still waiting once a press on a button has ended.
    QObject* auRelachement_ = nullptr;
    bool questionEnCours_ = false;
    // The system the tab shows: the display system, or the GPS system.
    bool afficheCarto_ = true;
};

}  // namespace sotrix
