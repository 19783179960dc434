#pragma once
// The raster catalogue tool: gathers raster files and folders in a list and builds a
// tile index shapefile over them with gdaltindex.

#include "HandModal.h"

class QCheckBox;
class QLineEdit;
class QListWidget;

namespace sotrix {

class frmCatalogue : public HandModalDialog {
    Q_OBJECT
public:
    frmCatalogue();

    void cmd_fichier_Click();
    void cmd_repertoire_Click();
    void cmd_effacer_Click();
    void cmd_effacer_tout_Click();
    void cmd_destination_Click();
    void cmd_convert_Click();
    void cmdAnnuler_Click();

protected:
    void closeFromControlBox() override;

private:
    void add(const QStringList& paths);

    QListWidget* lstFichiers_;
    QCheckBox* chkSous_;
    QLineEdit* txtDestination_;
};

}  // namespace sotrix
