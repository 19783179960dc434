#include "ListeNoms.h"

#include "Divers.h"

#include <QMouseEvent>
#include <QStyledItemDelegate>

#include <algorithm>
#include <memory>

namespace sotrix {

namespace {

// Paints a row selected as the list's bits have it: the view asks the base model, whose
// ranges stay empty.
class DelegueNoms final : public QStyledItemDelegate {
public:
    DelegueNoms(const SelectionNoms* selection, QObject* parent) : QStyledItemDelegate(parent), selection_(selection) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem o(option);
        o.state.setFlag(QStyle::State_Selected, selection_->estSelectionnee(index.row()));
        QStyledItemDelegate::paint(painter, o, index);
    }

private:
    const SelectionNoms* selection_;
};

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

ListeNoms::ListeNoms(QWidget* parent)
    : QListView(parent), modele_(new ModeleNoms(this)), selection_(new SelectionNoms(modele_, this)) {
    setModel(modele_);
    // The view does not delete the selection model it made with the model.
    const std::unique_ptr<QItemSelectionModel> premier(selectionModel());
    setSelectionModel(selection_);
    setItemDelegate(new DelegueNoms(selection_, this));
    // A click toggles an item; the current item is apart from the selection.
    setSelectionMode(QAbstractItemView::MultiSelection);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(selection_, &QItemSelectionModel::selectionChanged, this, &ListeNoms::itemSelectionChanged);
}

qint64 ListeNoms::remplit(LignesListe lignes) {
    modele_->remplace(std::move(lignes));
    const LignesListe& lues = modele_->lignes();
    ecrite_ = lues.selection();
    ecriteExacte_ = lues.selectionBinaire();
    selection_->remplace(ecrite_);
    viewport()->update();
    return ecrite_.count();
}

std::optional<qint64> ListeNoms::change(const Bascules& b) {
    const LignesListe& lignes = modele_->lignes();
    std::vector<int> selectionnees, deselectionnees;
    for (const auto& [cles, rows] : {std::pair(&b.selectionnees, &selectionnees), std::pair(&b.deselectionnees, &deselectionnees)}) {
        rows->reserve(cles->size());
        for (const qint64 cle : *cles) {
            const int row = lignes.ligneDe(cle);
            if (row < 0) return std::nullopt;
            rows->push_back(row);
        }
    }
    if (b.seules) {
        ecrite_ = BitsLignes(count(), false);
        selection_->remplace(ecrite_);
    }
    selection_->change(selectionnees, true);
    selection_->change(deselectionnees, false);
    for (const int row : selectionnees) ecrite_.set(row, true);
    for (const int row : deselectionnees) ecrite_.set(row, false);
    viewport()->update();
    return selection_->bits().count();
}

void ListeNoms::clear() {
    modele_->remplace({});
    ecrite_ = BitsLignes();
    ecriteExacte_ = true;
}

int ListeNoms::count() const { return modele_->rowCount(); }

QString ListeNoms::text(int row) const { return modele_->data(modele_->index(row)).toString(); }

qint64 ListeNoms::key(int row) const { return modele_->cle(row); }

bool ListeNoms::isRowSelected(int row) const { return selection_->estSelectionnee(row); }

void ListeNoms::setRowSelected(int row, bool selected) {
    selection_->select(modele_->index(row), selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
}

void ListeNoms::selectAllRows(bool selected) { selection_->toutes(selected); }

void ListeNoms::selectAll() { selectAllRows(true); }

Plages ListeNoms::plages() const { return selection_->bits().plages(); }

EcartSelection ListeNoms::ecart() const {
    const BitsLignes& maintenant = selection_->bits();
    EcartSelection e;
    // Values the list cannot show are written again on every selected row.
    e.ajoutees = ecriteExacte_ ? maintenant.moins(ecrite_) : maintenant.plages();
    e.retirees = ecrite_.moins(maintenant);
    e.nombre = maintenant.count();
    if (e.nombre == 0)
        e.toutes = false;
    else if (e.nombre == count())
        e.toutes = true;
    return e;
}

void ListeNoms::selectionEcrite() {
    ecrite_ = selection_->bits();
    ecriteExacte_ = true;
}

int ListeNoms::selectedCount() const { return int(selection_->bits().count()); }

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

void ListeNoms::mousePressEvent(QMouseEvent* event) {
    glisse_ = isRowSelected(indexAt(event->position().toPoint()).row()) ? QItemSelectionModel::Deselect
                                                                           : QItemSelectionModel::Select;
    QListView::mousePressEvent(event);
}

QItemSelectionModel::SelectionFlags ListeNoms::selectionCommand(const QModelIndex& index, const QEvent* event) const {
    QItemSelectionModel::SelectionFlags command = QListView::selectionCommand(index, event);
    if (event && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseMove) &&
        command.testFlag(QItemSelectionModel::Toggle))
        command = (command & ~QItemSelectionModel::Toggle) | glisse_;
    return command;
}

void ListeNoms::keyboardSearch(const QString& search) {
    // Without a selection mode the search moves the current row and selects nothing.
    setSelectionMode(NoSelection);
    QListView::keyboardSearch(search);
    setSelectionMode(MultiSelection);
}

}  // namespace sotrix
