#include "frmProgress.h"

#include "MainView.h"
#include "State.h"

#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QLabel>
#include <QProgressBar>
#include <QStyle>

namespace sotrix {

frmProgress::frmProgress() : QDialog(nullptr) {
    setObjectName(QStringLiteral("frmProgress"));
    setWindowTitle(QStringLiteral("Transfert en cours..."));
    setWindowIcon(QIcon::fromTheme(QStringLiteral("network-transmit-receive"),
                                   style()->standardIcon(QStyle::SP_DriveNetIcon)));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowModality(Qt::ApplicationModal);
    setFixedSize(361, 58);

    titre_ = new QLabel(this);
    titre_->setObjectName(QStringLiteral("Titre"));
    titre_->setGeometry(8, 8, 337, 17);

    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("progress"));
    progress_->setGeometry(8, 24, 345, 25);
    progress_->setTextVisible(false);
    progress_->setRange(0, 0);
    progress_->setValue(0);
}

frmProgress::~frmProgress() {
    if (isVisible()) closeFromCode();
}

void frmProgress::setCaption(const QString& caption) { setWindowTitle(caption); }

void frmProgress::setTitre(const QString& titre) { titre_->setText(titre); }

void frmProgress::setRange(int minimum, int maximum) {
    progress_->setRange(minimum, maximum);
    progress_->setValue(minimum);
}

int frmProgress::value() const { return progress_->value(); }

void frmProgress::showProgress() {
    show();
    repaint();
}

void frmProgress::step() {
    progress_->setValue(progress_->value() + 1);
    repaint();
}

void frmProgress::closeFromCode() {
    closingFromCode_ = true;
    close();
    closingFromCode_ = false;
    if (MainView* main = state().mainView; main && main->window()) {
        QWidget* window = main->window();
        window->activateWindow();
        window->setFocus(Qt::OtherFocusReason);
    }
}

void frmProgress::closeEvent(QCloseEvent* event) {
    // QDialog's own handler would call reject(), which does nothing here.
    if (closingFromCode_)
        event->accept();
    else
        event->ignore();
}

void frmProgress::reject() {}

}  // namespace sotrix
