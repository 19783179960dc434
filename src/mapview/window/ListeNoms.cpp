#include "ListeNoms.h"

#include "Divers.h"

#include <QItemSelectionModel>
#include <QSignalBlocker>

#include <algorithm>
#include <memory>

namespace sotrix {

namespace {

// Selecting every row, or none, in one step: the runs held before are dropped without
// being compared one by one with the new range (a comparison that grows with the square of
// their number), and the signal carries one range.
class SelectionNoms final : public QItemSelectionModel {
public:
    using QItemSelectionModel::QItemSelectionModel;

    void toutes(bool selected) {
        const int n = model()->rowCount();
        const QItemSelection avant = selection();
        if (n == 0 || (avant.isEmpty() && !selected)) return;
        if (selected && avant.size() == 1 && avant.first().top() == 0 && avant.first().bottom() == n - 1) return;
        int haut = n - 1, bas = 0;
        for (const QItemSelectionRange& r : avant) {
            haut = std::min(haut, r.top());
            bas = std::max(bas, r.bottom());
        }
        {
            const QSignalBlocker muet(this);
            clearSelection();
        }
        if (selected)
            select(QItemSelection(model()->index(0, 0), model()->index(n - 1, 0)), Select);
        else
            emit selectionChanged({}, QItemSelection(model()->index(haut, 0), model()->index(bas, 0)));
    }
};

// Up to this many changed rows, the view's selection changes row by row: each costs a pass
// over the runs already selected, where marking every run again costs them all at once.
constexpr size_t kLignesUneAUne = 16;

// The rows of a that are not in b.
Plages moins(const Plages& a, const Plages& b) {
    Plages out;
    size_t j = 0;
    for (auto [debut, fin] : a) {
        while (j < b.size() && b[j].second < debut) ++j;
        for (size_t k = j; k < b.size() && b[k].first <= fin; ++k) {
            if (b[k].first > debut) out.emplace_back(debut, b[k].first - 1);
            debut = std::max(debut, b[k].second + 1);
        }
        if (debut <= fin) out.emplace_back(debut, fin);
    }
    return out;
}

}  // namespace

int ModeleNoms::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : lignes_.size(); }

QVariant ModeleNoms::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= lignes_.size()) return {};
    return texte(index.row());
}

QModelIndexList ModeleNoms::match(const QModelIndex& start, int role, const QVariant& value, int hits,
                                  Qt::MatchFlags flags) const {
    const QString search = value.toString();
    // Up to this length the shown text starts as the name does.
    const bool debut = search.size() < kLongueurAffichee - 1;
    if (role != Qt::DisplayRole || hits != 1 || (flags & ~Qt::MatchWrap) != Qt::MatchStartsWith || !debut ||
        start.parent().isValid())
        return QAbstractListModel::match(start, role, value, hits, flags);
    const int n = rowCount();
    const int from = std::max(start.row(), 0);
    const int end = (flags & Qt::MatchWrap) ? from + n : n;
    // Enough bytes for one character more than the search, whatever their length in UTF-8.
    const qsizetype octets = 4 * (search.size() + 1);
    const QByteArray ascii = search.toLatin1().toLower();
    const bool enAscii = std::all_of(search.begin(), search.end(), [](QChar c) { return c.unicode() < 0x80; });
    auto commence = [&](QByteArrayView nom) {
        // An ASCII search against ASCII bytes needs no text; any other byte may fold to ASCII.
        for (qsizetype k = 0; enAscii && k < ascii.size(); ++k) {
            if (k >= nom.size()) return false;
            const auto b = static_cast<unsigned char>(nom[k]);
            if (b >= 0x80) break;
            if (char(b >= 'A' && b <= 'Z' ? b + 32 : b) != ascii[k]) return false;
            if (k + 1 == ascii.size()) return true;
        }
        return QString::fromUtf8(nom.first(std::min(nom.size(), octets))).startsWith(search, Qt::CaseInsensitive);
    };
    for (int i = from; i < end; ++i) {
        const int row = i % n;
        if (commence(lignes_.nom(row))) return {index(row)};
    }
    return {};
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
    // The view does not delete the selection model it made with the model.
    const std::unique_ptr<QItemSelectionModel> premier(selectionModel());
    setSelectionModel(new SelectionNoms(modele_, this));
    // A click toggles an item; the current item is apart from the selection.
    setSelectionMode(QAbstractItemView::MultiSelection);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &ListeNoms::itemSelectionChanged);
}

qint64 ListeNoms::remplit(LignesListe lignes) {
    modele_->remplace(std::move(lignes));
    marqueSelection();
    return modele_->lignes().nbSelectionnees();
}

std::optional<qint64> ListeNoms::change(const Bascules& b) {
    LignesListe& lignes = modele_->lignes();
    const size_t changees = b.selectionnees.size() + b.deselectionnees.size();
    if (changees == 0) return lignes.nbSelectionnees();
    if (!lignes.change(b)) return std::nullopt;
    if (changees > kLignesUneAUne) {
        marqueSelection();
        return lignes.nbSelectionnees();
    }
    // A few rows: the view changes only theirs, whatever else is selected.
    ecrite_ = lignes.selection();
    for (const auto& [cles, mode] : {std::pair(&b.selectionnees, QItemSelectionModel::Select),
                                     std::pair(&b.deselectionnees, QItemSelectionModel::Deselect)}) {
        QItemSelection rows;
        for (const qint64 cle : *cles) {
            const QModelIndex i = modele_->index(lignes.ligneDe(cle));
            rows.select(i, i);
        }
        if (!rows.isEmpty()) selectionModel()->select(rows, mode);
    }
    return lignes.nbSelectionnees();
}

void ListeNoms::marqueSelection() {
    const LignesListe& lignes = modele_->lignes();
    ecrite_ = lignes.selection();
    ecriteExacte_ = lignes.selectionBinaire();
    {
        const QSignalBlocker muet(selectionModel());
        selectionModel()->clearSelection();
    }
    QItemSelection selection;
    for (const auto& [first, last] : ecrite_) selection.select(modele_->index(first), modele_->index(last));
    if (!selection.isEmpty()) {
        // The view would work out the region of every run to repaint it: the whole viewport
        // is repainted at once instead.
        const QSignalBlocker muet(selectionModel());
        selectionModel()->select(selection, QItemSelectionModel::Select);
    }
    viewport()->update();
}

void ListeNoms::clear() {
    modele_->remplace({});
    ecrite_.clear();
    ecriteExacte_ = true;
}

int ListeNoms::count() const { return modele_->rowCount(); }

QString ListeNoms::text(int row) const { return modele_->data(modele_->index(row)).toString(); }

qint64 ListeNoms::key(int row) const { return modele_->cle(row); }

bool ListeNoms::isRowSelected(int row) const { return selectionModel()->isRowSelected(row); }

void ListeNoms::setRowSelected(int row, bool selected) {
    selectionModel()->select(modele_->index(row),
                             selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
}

void ListeNoms::selectAllRows(bool selected) { static_cast<SelectionNoms*>(selectionModel())->toutes(selected); }

void ListeNoms::selectAll() { selectAllRows(true); }

Plages ListeNoms::plages() const {
    const QItemSelection selection = selectionModel()->selection();
    Plages runs;
    runs.reserve(size_t(selection.size()));
    for (const QItemSelectionRange& r : selection) runs.emplace_back(r.top(), r.bottom());
    std::sort(runs.begin(), runs.end());
    Plages out;
    for (const auto& [first, last] : runs) {
        if (!out.empty() && first <= out.back().second + 1)
            out.back().second = std::max(out.back().second, last);
        else
            out.emplace_back(first, last);
    }
    return out;
}

EcartSelection ListeNoms::ecart() const {
    EcartSelection e;
    e.maintenant = plages();
    const Plages& maintenant = e.maintenant;
    // Values the list cannot show are written again on every selected row.
    e.ajoutees = ecriteExacte_ ? moins(maintenant, ecrite_) : maintenant;
    e.retirees = moins(ecrite_, maintenant);
    if (maintenant.empty())
        e.toutes = false;
    else if (maintenant.size() == 1 && maintenant.front() == std::pair(0, count() - 1))
        e.toutes = true;
    return e;
}

void ListeNoms::selectionEcrite() { selectionEcrite(plages()); }

void ListeNoms::selectionEcrite(Plages maintenant) {
    ecrite_ = std::move(maintenant);
    ecriteExacte_ = true;
}

int ListeNoms::selectedCount() const {
    int n = 0;
    for (const QItemSelectionRange& r : selectionModel()->selection()) n += r.height();
    return n;
}

std::vector<qint64> ListeNoms::selectedKeys() const {
    std::vector<qint64> keys;
    for (const auto& [first, last] : plages())
        for (int row = first; row <= last; ++row) keys.push_back(modele_->cle(row));
    return keys;
}

int ListeNoms::currentRow() const { return currentIndex().isValid() ? currentIndex().row() : -1; }

void ListeNoms::setCurrentRow(int row) {
    selectionModel()->setCurrentIndex(modele_->index(row), QItemSelectionModel::NoUpdate);
}

void ListeNoms::keyboardSearch(const QString& search) {
    // Without a selection mode the search moves the current row and selects nothing.
    setSelectionMode(NoSelection);
    QListView::keyboardSearch(search);
    setSelectionMode(MultiSelection);
}

}  // namespace sotrix
