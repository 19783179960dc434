#pragma once
// The dialog "Sélection sur la date": selects the waypoints and the whole tracks dated
// in an interval of days, or within N days around today.

#include "HandModal.h"

#include <QPointer>

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QScrollBar;

namespace sotrix {

class frmAccueil;

class frmDate : public HandModalDialog {
    Q_OBJECT
public:
    explicit frmDate(frmAccueil& main);

    // The default period: the earliest and latest stored dates, or today twice.
    // Throws DbError.
    void Form_Load();
    void optInterval_Click();
    void optNombre_Click();
    void cmdJour_Change();
    void cmdOk_Click();
    void cmdAnnuler_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void choisitPeriode(bool interval);

    QPointer<frmAccueil> main_;
    QCheckBox* chkWaypoint_ = nullptr;
    QCheckBox* chkTrace_ = nullptr;
    QRadioButton* optInterval_ = nullptr;
    QRadioButton* optNombre_ = nullptr;
    QLabel* Label7_ = nullptr;
    QLabel* Label1_ = nullptr;
    QLabel* Label8_ = nullptr;
    QLineEdit* txtDate1_ = nullptr;
    QLineEdit* txtDate2_ = nullptr;
    QLineEdit* txtNombre_ = nullptr;
    QScrollBar* cmdJour_ = nullptr;
};

}  // namespace sotrix
