#pragma once
// The file information tool: the ogrinfo or gdalinfo report on a chosen file, shown and
// saved as plain text. A long report is shown a piece at a time from the event loop, so
// that the window answers while it fills; saving writes the whole report at any time.

#include "HandModal.h"

#include <QByteArray>
#include <QStringDecoder>
#include <QTimer>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;

namespace sotrix {

class frmInfoFile : public HandModalDialog {
    Q_OBJECT
public:
    frmInfoFile();

    void cmd_destination_Click();
    void cmdSauvegarder_Click();
    void cmdAnnuler_Click();
    // Whether the shown report is still being filled.
    bool remplissage() const { return remplissage_.isActive(); }

protected:
    void closeFromControlBox() override;

private:
    void montre(const QByteArray& rapport);
    void afficheMorceau();

    QLineEdit* txtFichier_;
    QCheckBox* chkResume_;
    QPlainTextEdit* txtInfo_;
    QTimer remplissage_;
    QByteArray rapport_;  // UTF-8
    QStringDecoder decodeur_;
    qsizetype affiche_ = 0;  // bytes of rapport_ already in txtInfo_
    bool reportLoaded_ = false;
};

}  // namespace sotrix
