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
    // Replaces the lines and sizes the window to them: as wide as the longest one, up to
    // two thirds of the screen, beyond which the list scrolls sideways; as tall as all of
    // them, up to the screen.
    void remplit(const QStringList& lines);

private:
    QListWidget* lstInfo_;
    QPushButton* cmdQuitter_;
};

}  // namespace sotrix
