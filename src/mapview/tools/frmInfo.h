#pragma once
// The information window: the lines about one waypoint or one track, shown truly modal.

#include <QDialog>
#include <QStringList>

class QListWidget;
class QPushButton;

namespace sotrix {

class frmInfo : public QDialog {
    Q_OBJECT
public:
    explicit frmInfo(QWidget* parent);
    // Replaces the lines and widens the window to the longest one, up to two thirds of
    // the screen; beyond that the list scrolls sideways.
    void remplit(const QStringList& lines);

private:
    QListWidget* lstInfo_;
    QPushButton* cmdQuitter_;
};

}  // namespace sotrix
