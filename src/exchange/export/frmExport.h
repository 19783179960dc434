#pragma once
// The export options dialog: the target file and its format, what to write, which
// coordinates, then the export and its outcome. Shown over the main window by
// File > Enregistrer; every way out gives the main window back.

#include "HandModal.h"

#include <functional>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace sotrix {

// The export run by "Enregistrer" with the five choices of exporteFichier, in its order:
// waypoints, tracks, tracks as lines, tracks as points, selected only.
using ExportRunner = std::function<void(bool, bool, bool, bool, bool)>;

class frmExport final : public HandModalDialog {
    Q_OBJECT
public:
    // An empty runner runs exporteFichier.
    explicit frmExport(ExportRunner runner = {});

    void cmdFichier_Click();
    void chkTraces_Click();
    void cmdEnregistrer_Click();
    void cmAnnuler_Click();

protected:
    void closeFromControlBox() override;

private:
    void buildUi();
    void Form_Load();
    // The track-shape boxes follow the format and chkTraces.
    void formesTraces();

    ExportRunner runner_;
    QLineEdit* txtFichier_ = nullptr;
    QCheckBox* chkWaypoints_ = nullptr;
    QCheckBox* chkTraces_ = nullptr;
    QCheckBox* chkTracesLigne_ = nullptr;
    QCheckBox* chkTracesPoint_ = nullptr;
    QCheckBox* chkSelect_ = nullptr;
    QRadioButton* optGps_ = nullptr;
    QRadioButton* optAffichage_ = nullptr;
};

}  // namespace sotrix
