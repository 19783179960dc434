#include "frmInfo.h"

#include "ListeDossier.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

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
    const int needed = ajusteListe(lines, lstInfo_->fontMetrics(), scrollBar) + 2 * lstInfo_->frameWidth();
    const QScreen* screen = parentWidget() ? parentWidget()->screen() : this->screen();
    const int limit = screen ? screen->availableGeometry().width() * 2 / 3 : needed;
    const QMargins m = layout()->contentsMargins();
    resize(std::min(needed, limit) + m.left() + m.right(), sizeHint().height());
}

}  // namespace sotrix
