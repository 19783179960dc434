#pragma once
// Dialogs made "modal by hand": the main window is disabled while the dialog is shown
// without waiting; every way out gives the main window back its input and focus.

#include <QDialog>
#include <QPointer>

class QCloseEvent;

namespace sotrix {

class HandModalDialog : public QDialog {
    Q_OBJECT
public:
    // The dialog has no QObject parent: a disabled parent would disable it too.
    HandModalDialog();
    // Disables main and shows this dialog over it, window-modal, without waiting.
    void showOver(QWidget* main);
    // Cancel and Escape run the control-box path.
    void reject() override;

protected:
    // Re-enables and activates the main window, then deletes this dialog.
    void finish();
    // A close from the window manager runs this path; Cancel by default.
    virtual void closeFromControlBox();
    void closeEvent(QCloseEvent* event) override;

private:
    QPointer<QWidget> main_;
    bool finished_ = false;
};

}  // namespace sotrix
