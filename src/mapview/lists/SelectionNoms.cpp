#include "SelectionNoms.h"

#include <algorithm>

namespace sotrix {

namespace {
// Beyond this many runs, a change goes out as the one range from its first row to its
// last: the view works out the region of every range it is given.
constexpr size_t kPlagesSignalees = 16;
}  // namespace

void SelectionNoms::select(const QModelIndex& index, SelectionFlags command) {
    select(QItemSelection(index, index), command);
}

void SelectionNoms::select(const QItemSelection& selection, SelectionFlags command) {
    if (command == NoUpdate) return;
    const BitsLignes avant = bits_;
    if (command & Clear) {
        bits_ = BitsLignes(bits_.size(), false);
        courante_.clear();
    }
    if (command & Current) {
        size_t k = 0;
        for (const auto& [first, last] : courante_)
            for (int row = first; row <= last; ++row) bits_.set(row, avantCourante_[k++]);
    }
    courante_.clear();
    avantCourante_.clear();
    if (command & (Toggle | Select | Deselect)) {
        // The rows of the list the selection names, overlaps merged.
        for (const QItemSelectionRange& r : selection)
            if (r.isValid() && r.model() == model() && !r.parent().isValid() && r.left() <= 0 && r.right() >= 0) {
                const int first = std::max(r.top(), 0), last = std::min(r.bottom(), bits_.size() - 1);
                if (first <= last) courante_.emplace_back(first, last);
            }
        std::sort(courante_.begin(), courante_.end());
        Plages fusion;
        for (const auto& [first, last] : courante_) {
            if (!fusion.empty() && first <= fusion.back().second + 1)
                fusion.back().second = std::max(fusion.back().second, last);
            else
                fusion.emplace_back(first, last);
        }
        courante_ = std::move(fusion);
        for (const auto& [first, last] : courante_)
            for (int row = first; row <= last; ++row) {
                const bool etait = bits_.test(row);
                avantCourante_.push_back(etait);
                bits_.set(row, (command & Deselect) ? false : (command & Toggle) ? !etait : true);
            }
    }
    signale(avant, kPlagesSignalees);
}

void SelectionNoms::clear() {
    select(QItemSelection(), Clear);
    clearCurrentIndex();
}

void SelectionNoms::reset() {
    QItemSelectionModel::reset();
    bits_ = BitsLignes(model() ? model()->rowCount() : 0, false);
    courante_.clear();
    avantCourante_.clear();
}

void SelectionNoms::toutes(bool selected) {
    const BitsLignes avant = bits_;
    remplace(BitsLignes(bits_.size(), selected));
    signale(avant, 1);
}

void SelectionNoms::remplace(BitsLignes bits) {
    bits_ = std::move(bits);
    courante_.clear();
    avantCourante_.clear();
}

void SelectionNoms::change(const std::vector<int>& rows, bool selected) {
    courante_.clear();
    avantCourante_.clear();
    for (const int row : rows) bits_.set(row, selected);
}

void SelectionNoms::signale(const BitsLignes& avant, size_t plagesMax) {
    auto enSelection = [&](const Plages& plages) {
        QItemSelection s;
        if (plages.size() > plagesMax) {
            s.select(model()->index(plages.front().first, 0), model()->index(plages.back().second, 0));
        } else {
            for (const auto& [first, last] : plages) s.select(model()->index(first, 0), model()->index(last, 0));
        }
        return s;
    };
    const Plages selectionnees = bits_.moins(avant), deselectionnees = avant.moins(bits_);
    if (selectionnees.empty() && deselectionnees.empty()) return;
    emit selectionChanged(enSelection(selectionnees), enSelection(deselectionnees));
}

}  // namespace sotrix
