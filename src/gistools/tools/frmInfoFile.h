#pragma once
// The file information tool: the ogrinfo or gdalinfo report on a chosen file, shown and
// saved as plain text. A long report is shown a piece at a time from the event loop, so
// that the window answers while it fills; a report past the bound is shown in its first
// part only. Saving writes the whole report at any time.

#include "HandModal.h"

#include <QByteArray>
#include <QFile>
#include <QStringDecoder>
#include <QTimer>

#include <memory>

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
    void montre(QByteArray rapport);
    void afficheMorceau();

    QLineEdit* txtFichier_;
    QCheckBox* chkResume_;
    QPlainTextEdit* txtInfo_;
    QTimer remplissage_;
    QByteArray rapport_;  // UTF-8, what the view shows
    QStringDecoder decodeur_;
    qsizetype affiche_ = 0;  // bytes of rapport_ already in txtInfo_
    qsizetype morceau_ = 0;  // bytes of the next piece at most
    std::unique_ptr<QFile> entier_;  // the whole report, once loaded
};

}  // namespace sotrix
