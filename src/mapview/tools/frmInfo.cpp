#include "frmInfo.h"

#include "ListeDossier.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace sotrix {

frmInfo::frmInfo(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmInfo"));
    setWindowTitle(QStringLiteral("Information"));
    lstInfo_ = new QListWidget(this);
    lstInfo_->setObjectName(QStringLiteral("lstInfo"));
    lstInfo_->setSelectionMode(QAbstractItemView::NoSelection);
    lstInfo_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    cmdQuitter_ = new QPushButton(QStringLiteral("Quitter"), this);
    cmdQuitter_->setObjectName(QStringLiteral("cmdQuitter"));
    cmdQuitter_->setDefault(true);
    connect(cmdQuitter_, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lstInfo_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdQuitter_);
    layout->addLayout(buttons);
}

void frmInfo::remplit(const QStringList& lines) {
    lstInfo_->clear();
    lstInfo_->addItems(lines);
    const int scrollBar = lstInfo_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, lstInfo_);
    const int frame = 2 * lstInfo_->frameWidth();
    int rows = 0;
    for (int i = 0; i < lstInfo_->count(); ++i) rows += lstInfo_->sizeHintForRow(i);
    const QScreen* screen = parentWidget() ? parentWidget()->screen() : this->screen();
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    const QMargins m = layout()->contentsMargins();
    const int needed = ajusteListe(lines, lstInfo_->fontMetrics(), scrollBar) + frame;
    const int width = std::min(needed, available.width() * 2 / 3);
    // Every line in view, with the sideways scroll bar when the list needs one, as far as
    // the screen goes below the title bar.
    const int list = rows + frame + (width < needed ? scrollBar : 0);
    const int height = list + layout()->spacing() + cmdQuitter_->sizeHint().height() + m.top() + m.bottom();
    const int titleBar = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
    // At a fractional scale the window system may round the window down to whole screen
    // pixels (or to its steps of them): one logical pixel more each way keeps every line.
    const double dpr = devicePixelRatio();
    const int arrondi = dpr == std::floor(dpr) ? 0 : 1;
    resize(width + m.left() + m.right() + arrondi, std::min(height + arrondi, available.height() - titleBar));
}

}  // namespace sotrix
