#include "HandModal.h"

#include <QCloseEvent>
#include <QWindow>

namespace sotrix {

void giveBackMainWindow(QWidget* main) {
    if (!main) return;
    main->setEnabled(true);
    main->activateWindow();
    main->setFocus();
}

HandModalDialog::HandModalDialog() : QDialog(nullptr) { setAttribute(Qt::WA_DeleteOnClose, false); }

void HandModalDialog::showOver(QWidget* main) {
    main_ = main;
    if (main) {
        main->setEnabled(false);
        winId();
        if (windowHandle() && main->window()->windowHandle())
            windowHandle()->setTransientParent(main->window()->windowHandle());
    }
    setWindowModality(Qt::WindowModal);
    show();
}

void HandModalDialog::finish(int result) {
    if (finished_) return;
    finished_ = true;
    QDialog::done(result);
    giveBackMainWindow(main_);
    deleteLater();
}

void HandModalDialog::done(int result) { finish(result); }

void HandModalDialog::closeFromControlBox() { finish(); }

void HandModalDialog::reject() { closeFromControlBox(); }

void HandModalDialog::closeEvent(QCloseEvent* event) {
    if (event->spontaneous() && !finished_) {
        event->ignore();
        closeFromControlBox();
        return;
    }
    // QDialog would turn any close into reject(); a close made by the program passes through.
    QWidget::closeEvent(event);
}

}  // namespace sotrix
