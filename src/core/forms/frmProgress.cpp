#include "frmProgress.h"

#include "MainView.h"
#include "State.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QIcon>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QStyle>

#include <algorithm>

namespace sotrix {

namespace {
// The designed layout, which the window keeps while its texts fit: a margin of 8 pixels,
// the title line 17 high, the bar 25 high just under it.
constexpr int kMarge = 8;
constexpr int kLargeurMin = 361;
constexpr int kHauteurTitre = 17;
constexpr int kHauteurBarre = 25;
// Room the window manager takes beside the caption in the title bar (icon, buttons).
constexpr int kCadreTitre = 120;
}  // namespace

frmProgress::frmProgress() : QDialog(nullptr) {
    setObjectName(QStringLiteral("frmProgress"));
    setWindowTitle(QStringLiteral("Transfert en cours..."));
    setWindowIcon(QIcon::fromTheme(QStringLiteral("network-transmit-receive"),
                                   style()->standardIcon(QStyle::SP_DriveNetIcon)));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowModality(Qt::ApplicationModal);

    titre_ = new QLabel(this);
    titre_->setObjectName(QStringLiteral("Titre"));

    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("progress"));
    progress_->setTextVisible(false);
    progress_->setRange(0, 0);
    progress_->setValue(0);
    ajusteTaille();
}

void frmProgress::ajusteTaille() {
    const QFontMetrics metrics = titre_->fontMetrics();
    const int texte = metrics.horizontalAdvance(titre_->text());
    int largeur = std::max({kLargeurMin, texte + 3 * kMarge,
                            fontMetrics().horizontalAdvance(windowTitle()) + kCadreTitre});
    if (const QScreen* ecran = screen()) largeur = std::min(largeur, std::max(kLargeurMin, ecran->availableSize().width()));
    // A title wider than the screen goes on as many lines as it needs.
    const int largeurTitre = largeur - 3 * kMarge;
    titre_->setWordWrap(texte > largeurTitre);
    const int hauteurTitre =
        std::max(kHauteurTitre, titre_->wordWrap() ? titre_->heightForWidth(largeurTitre) : metrics.height());
    const int haut = kMarge + hauteurTitre - 1;  // the bar's top edge under the title line
    titre_->setGeometry(kMarge, kMarge, largeur - 3 * kMarge, hauteurTitre);
    progress_->setGeometry(kMarge, haut, largeur - 2 * kMarge, kHauteurBarre);
    setFixedSize(largeur, haut + kHauteurBarre + kMarge + 1);
}

frmProgress::~frmProgress() {
    if (isVisible()) closeFromCode();
}

void frmProgress::setCaption(const QString& caption) {
    setWindowTitle(caption);
    ajusteTaille();
}

void frmProgress::setTitre(const QString& titre) {
    titre_->setText(titre);
    ajusteTaille();
}

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
