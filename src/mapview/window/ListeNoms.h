#pragma once
// A list of names for a million rows: the names live in one compact model (no object per
// item), the view lays every row out at the same height, and the selection is held as runs
// of rows. Several rows can be selected at once; the current row is apart from them.

#include "LignesListe.h"

#include <QAbstractListModel>
#include <QListView>

#include <vector>

namespace sotrix {

// The rows of a list: a name shown per row, bounded (nomAffiche), a row key behind it.
class ModeleNoms final : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // Replaces every row.
    void remplace(LignesListe lignes);
    QString texte(int row) const;
    qint64 cle(int row) const { return lignes_.cle(row); }

private:
    LignesListe lignes_;
};

class ListeNoms final : public QListView {
    Q_OBJECT
public:
    explicit ListeNoms(QWidget* parent = nullptr);

    // Replaces the rows and selects those read as selected, without a selection signal;
    // returns how many they are.
    qint64 remplit(LignesListe lignes);
    void clear();

    int count() const;
    // The text a row shows, and its row key.
    QString text(int row) const;
    qint64 key(int row) const;
    bool isRowSelected(int row) const;
    // Selects or unselects one row, or every row, as a click would (selectionChanged).
    void setRowSelected(int row, bool selected);
    void selectAllRows(bool selected);
    int selectedCount() const;
    // The keys of the selected rows, in row order.
    std::vector<qint64> selectedKeys() const;
    // -1 when there is no current row.
    int currentRow() const;
    void setCurrentRow(int row);

signals:
    // The selection changed, from the user or from code.
    void itemSelectionChanged();

private:
    ModeleNoms* modele_;
};

}  // namespace sotrix
