#pragma once
// The about box "A propos de Sotrix": the program's name, purpose and version, and the
// outside components it relies on. OK and the close box end it the same way.

#include "HandModal.h"

namespace sotrix {

class frmAproposde : public HandModalDialog {
    Q_OBJECT
public:
    frmAproposde();
    // Writes the version line.
    void Form_Load();
    void OK_Click();

protected:
    void closeFromControlBox() override;
};

}  // namespace sotrix
