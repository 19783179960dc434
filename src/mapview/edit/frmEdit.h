#pragma once
// The chooser of the add command: a waypoint (one press on the map) or a track (presses
// ended by a double click). Modal by hand; Escape and the close box cancel.

#include "HandModal.h"

class QRadioButton;

namespace sotrix {

class frmEdit : public HandModalDialog {
    Q_OBJECT
public:
    frmEdit();

    void cmdOk_Click();
    void cmdAnnuler_Click();

signals:
    // Ok: the tool to arm.
    void choisi(int code);

private:
    QRadioButton* optWaypoint_;
    QRadioButton* optTrace_;
};

}  // namespace sotrix
