#pragma once
// The progress window shown while an outside program runs: a title line and a bar
// counting the finished steps. It is application-modal, so the main window takes no
// input meanwhile, and it refuses every close that its caller did not make.

#include <QDialog>

class QCloseEvent;
class QLabel;
class QProgressBar;

namespace sotrix {

class frmProgress : public QDialog {
    Q_OBJECT
public:
    frmProgress();
    ~frmProgress() override;

    void setCaption(const QString& caption);
    void setTitre(const QString& titre);
    // Range of the bar; the value starts at its minimum.
    void setRange(int minimum, int maximum);
    int value() const;
    // Shows the window application-modal and paints it at once.
    void showProgress();
    // One more step finished: the bar advances by one and is painted at once.
    void step();
    // The caller's close, the only one accepted. The main window gets its focus back.
    void closeFromCode();

protected:
    void closeEvent(QCloseEvent* event) override;
    // Esc does nothing.
    void reject() override;

private:
    // Widens the window from its designed 361 x 58 pixels until the caption and the title
    // line show whole; within the screen's width, where a longer title is wrapped. The bar
    // spans the width under the title.
    void ajusteTaille();

    QLabel* titre_;
    QProgressBar* progress_;
    bool closingFromCode_ = false;
};

}  // namespace sotrix
