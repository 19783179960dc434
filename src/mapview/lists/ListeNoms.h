#pragma once
// A list of names for a million rows: the names live in one compact model (no object per
// item), the view lays every row out at the same height, and the selection is a bit per
// row (SelectionNoms). Several rows can be selected at once; the current row is apart
// from them.
// The list remembers the selection the tables hold, so that a write carries only the rows
// whose state changed since.

#include "LignesListe.h"
#include "SelectionChangee.h"

#include "SelectionNoms.h"

#include <QAbstractListModel>
#include <QListView>

#include <optional>
#include <utility>
#include <vector>

namespace sotrix {

// The rows of a list: a name shown per row, bounded (nomAffiche), a row key behind it.
class ModeleNoms final : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // The typed search of the list (a display text starting with a text, wrapping round)
    // reads only the start of each name.
    QModelIndexList match(const QModelIndex& start, int role, const QVariant& value, int hits = 1,
                          Qt::MatchFlags flags = Qt::MatchFlags(Qt::MatchStartsWith | Qt::MatchWrap)) const override;

    // Replaces every row.
    void remplace(LignesListe lignes);
    QString texte(int row) const;
    qint64 cle(int row) const { return lignes_.cle(row); }
    LignesListe& lignes() { return lignes_; }

private:
    LignesListe lignes_;
};

// The rows whose state differs between the tables and the list.
struct EcartSelection {
    Plages ajoutees;  // selected in the list, not in the tables
    Plages retirees;  // the other way round
    // Every row is now selected (true) or none is (false); unset when some are.
    std::optional<bool> toutes;
    qint64 nombre = 0;  // rows selected in the list
};

class ListeNoms final : public QListView {
    Q_OBJECT
public:
    explicit ListeNoms(QWidget* parent = nullptr);

    // Replaces the rows and selects those read as selected, without a selection signal;
    // returns how many they are.
    qint64 remplit(LignesListe lignes);
    // Takes over the rows whose Selected a write changed (or, for a selection that replaced
    // the list's, the rows now selected) and returns how many are selected; nullopt, and
    // nothing changed, when a key is not in the list. No selection signal.
    std::optional<qint64> change(const Bascules& b);
    void clear();

    int count() const;
    // The text a row shows, and its row key.
    QString text(int row) const;
    qint64 key(int row) const;
    bool isRowSelected(int row) const;
    // Selects or unselects one row, or every row, as a click would (selectionChanged);
    // every row goes out as one range whatever was selected before.
    void setRowSelected(int row, bool selected);
    void selectAllRows(bool selected);
    void selectAll() override;
    // The selected rows as runs.
    Plages plages() const;
    // What changed since the tables last matched the list (every selected row when they
    // hold values other than 0 and 1), and the note that they match it again once written.
    EcartSelection ecart() const;
    void selectionEcrite();
    int selectedCount() const;
    // The keys of the selected rows, in row order.
    std::vector<qint64> selectedKeys() const;
    // -1 when there is no current row.
    int currentRow() const;
    void setCurrentRow(int row);

    // A letter moves the current row to the next name starting with it; the selection
    // stays as it is.
    void keyboardSearch(const QString& search) override;

signals:
    // The selection changed, from the user or from code.
    void itemSelectionChanged();

protected:
    // A press selects the row or unselects it, and a drag from it does the same to the rows
    // it covers, by the state of the row pressed as the bits hold it (the view would ask
    // the base model, whose ranges stay empty).
    void mousePressEvent(QMouseEvent* event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event = nullptr) const override;

private:
    ModeleNoms* modele_;
    SelectionNoms* selection_;
    BitsLignes ecrite_;  // the selection as the tables hold it
    bool ecriteExacte_ = true;
    // What a press and the drag after it do to rows.
    QItemSelectionModel::SelectionFlag glisse_ = QItemSelectionModel::Select;
};

}  // namespace sotrix
