#include "ListeNoms.h"

#include "Divers.h"

#include <QItemSelectionModel>

#include <algorithm>

namespace sotrix {

int ModeleNoms::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : lignes_.size(); }

QVariant ModeleNoms::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= lignes_.size()) return {};
    return texte(index.row());
}

void ModeleNoms::remplace(LignesListe lignes) {
    beginResetModel();
    lignes_ = std::move(lignes);
    endResetModel();
}

QString ModeleNoms::texte(int row) const {
    // Enough bytes for one character more than is shown, whatever their length in UTF-8:
    // the text costs the same for any name.
    constexpr qsizetype kOctets = 4 * (kLongueurAffichee + 1);
    const QByteArrayView nom = lignes_.nom(row);
    return nomAffiche(QString::fromUtf8(nom.first(std::min(nom.size(), kOctets))));
}

ListeNoms::ListeNoms(QWidget* parent) : QListView(parent), modele_(new ModeleNoms(this)) {
    setModel(modele_);
    // A click toggles an item; the current item is apart from the selection.
    setSelectionMode(QAbstractItemView::MultiSelection);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &ListeNoms::itemSelectionChanged);
}

qint64 ListeNoms::remplit(LignesListe lignes) {
    const qint64 selected = lignes.nbSelectionnees();
    const std::vector<std::pair<int, int>> runs = lignes.selection();
    modele_->remplace(std::move(lignes));
    QItemSelection selection;
    for (const auto& [first, last] : runs) selection.select(modele_->index(first), modele_->index(last));
    if (!selection.isEmpty()) selectionModel()->select(selection, QItemSelectionModel::Select);
    return selected;
}

void ListeNoms::clear() { modele_->remplace({}); }

int ListeNoms::count() const { return modele_->rowCount(); }

QString ListeNoms::text(int row) const { return modele_->data(modele_->index(row)).toString(); }

qint64 ListeNoms::key(int row) const { return modele_->cle(row); }

bool ListeNoms::isRowSelected(int row) const { return selectionModel()->isRowSelected(row); }

void ListeNoms::setRowSelected(int row, bool selected) {
    selectionModel()->select(modele_->index(row),
                             selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
}

void ListeNoms::selectAllRows(bool selected) {
    const int n = count();
    if (selected && n > 0)
        selectionModel()->select(QItemSelection(modele_->index(0), modele_->index(n - 1)),
                                 QItemSelectionModel::ClearAndSelect);
    else
        selectionModel()->clearSelection();
}

int ListeNoms::selectedCount() const {
    int n = 0;
    for (const QItemSelectionRange& r : selectionModel()->selection()) n += r.height();
    return n;
}

std::vector<qint64> ListeNoms::selectedKeys() const {
    QItemSelection ranges = selectionModel()->selection();
    std::sort(ranges.begin(), ranges.end(),
              [](const QItemSelectionRange& a, const QItemSelectionRange& b) { return a.top() < b.top(); });
    std::vector<qint64> keys;
    for (const QItemSelectionRange& r : ranges)
        for (int row = r.top(); row <= r.bottom(); ++row) keys.push_back(modele_->cle(row));
    return keys;
}

int ListeNoms::currentRow() const { return currentIndex().isValid() ? currentIndex().row() : -1; }

void ListeNoms::setCurrentRow(int row) {
    selectionModel()->setCurrentIndex(modele_->index(row), QItemSelectionModel::NoUpdate);
}

}  // namespace sotrix
