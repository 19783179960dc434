#pragma once
// The file information tool: the ogrinfo or gdalinfo report on a chosen file, shown and
// saved as plain text.

#include "HandModal.h"

class QCheckBox;
class QLineEdit;
class QTextEdit;

namespace sotrix {

class frmInfoFile : public HandModalDialog {
    Q_OBJECT
public:
    frmInfoFile();

    void cmd_destination_Click();
    void cmdSauvegarder_Click();
    void cmdAnnuler_Click();

protected:
    void closeFromControlBox() override;

private:
    QLineEdit* txtFichier_;
    QCheckBox* chkResume_;
    QTextEdit* txtInfo_;
    bool reportLoaded_ = false;
};

}  // namespace sotrix
