#pragma once
// The selection of a list of names as one bit per row. Qt's own model keeps runs of rows
// and goes through all of them to answer whether a row is selected or to take a change:
// the waypoints of a box on the map are scattered in name order, as many runs as rows.
// Here the view's commands (Select, Deselect, Toggle, Clear, Current) act on the bits and
// the changes go out as selectionChanged, carrying one range where they make many runs;
// the view asks the bits, through the list's delegate and its selection commands, rather
// than the base model's ranges, which stay empty.

#include "BitsLignes.h"

#include <QItemSelectionModel>

namespace sotrix {

class SelectionNoms final : public QItemSelectionModel {
    Q_OBJECT
public:
    using QItemSelectionModel::QItemSelectionModel;

    void select(const QModelIndex& index, SelectionFlags command) override;
    void select(const QItemSelection& selection, SelectionFlags command) override;
    void clear() override;
    // Every row unselected, without a signal; the model calls it when its rows are replaced.
    void reset() override;

    const BitsLignes& bits() const { return bits_; }
    bool estSelectionnee(int row) const { return row >= 0 && row < bits_.size() && bits_.test(row); }
    // Every row selected, or none, as one range.
    void toutes(bool selected);
    // The rows become bits, without a signal: the caller repaints.
    void remplace(BitsLignes bits);
    // Rows set to a state, without a signal.
    void change(const std::vector<int>& rows, bool selected);

private:
    // Emits the change from avant to the bits, if any, in at most plagesMax ranges a side.
    void signale(const BitsLignes& avant, size_t plagesMax);

    BitsLignes bits_;
    // The range of the selection under way (the rows a drag covers) and the state its rows
    // had before it, which a command with Current puts back before it applies its own.
    std::vector<std::pair<int, int>> courante_;
    std::vector<bool> avantCourante_;
};

}  // namespace sotrix
