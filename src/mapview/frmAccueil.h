#pragma once
// The main window.

#include "MainView.h"

#include <QMainWindow>

class QLabel;

namespace sotrix {

class frmAccueil : public QMainWindow, public MainView {
    Q_OBJECT
public:
    explicit frmAccueil(QWidget* parent = nullptr);
    ~frmAccueil() override;

    // The start-up; false when the program must end.
    bool Form_Load();

    QWidget* window() override { return this; }
    void majListes() override;
    void majNb() override;
    void zoomGlobal() override;
    void redraw() override;

    bool majManuelle = false;

private:
    void buildUi();
    QLabel* lblVersion_ = nullptr;
};

}  // namespace sotrix
