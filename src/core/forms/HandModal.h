#pragma once
// Dialogs made "modal by hand": the main window is disabled while the dialog is shown
// without waiting; every way out gives the main window back its input and focus.

#include <QDialog>
#include <QPointer>

class QCloseEvent;

namespace sotrix {

// Enables the main window again and gives it the activation and the focus: the one way
// a tool window hands control back.
void giveBackMainWindow(QWidget* main);

class HandModalDialog : public QDialog {
    Q_OBJECT
public:
    // The dialog has no QObject parent: a disabled parent would disable it too.
    HandModalDialog();
    // Disables main and shows this dialog over it, window-modal, without waiting.
    void showOver(QWidget* main);
    // Cancel and Escape run the control-box path.
    void reject() override;
    // accept(), and any other end through QDialog, closes through finish().
    void done(int result) override;

protected:
    // Hides the dialog, gives the main window back, then deletes this dialog. Runs once.
    void finish(int result = QDialog::Rejected);
    bool finished() const { return finished_; }
    // A close from the window manager runs this path; Cancel by default.
    virtual void closeFromControlBox();
    void closeEvent(QCloseEvent* event) override;

private:
    QPointer<QWidget> main_;
    bool finished_ = false;
};

}  // namespace sotrix
