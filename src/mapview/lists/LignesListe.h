#pragma once
// The rows of the two lists as read from the workspace, held compactly for a million
// names: the names in UTF-8 one after another, their keys, and the list order.

#include "BitsLignes.h"

#include <QByteArray>
#include <QByteArrayView>

#include <utility>
#include <vector>

namespace sotrix {

class Database;

class LignesListe {
public:
    int size() const { return int(ordre_.size()); }
    // Row r of the list, in name order.
    QByteArrayView nom(int row) const;  // "" for Null
    qint64 cle(int row) const { return cles_[size_t(ordre_[size_t(row)])]; }
    // The rows read as selected, and how many they are.
    const BitsLignes& selection() const { return selection_; }
    qint64 nbSelectionnees() const { return selection_.count(); }
    // Every Selected read was 0 or 1, as the list writes them.
    bool selectionBinaire() const { return selectionBinaire_; }

    // The rows of a query giving key, name and Selected, put in name order as the
    // database sorts names (Null first), equal names by key; a non-zero Selected is true.
    static LignesListe lit(Database& db, const QString& sql);
    // The row of the list that shows a key, or -1.
    int ligneDe(qint64 cle) const;

private:
    QByteArrayView lu(int i) const;
    std::vector<int> ordreDesNoms() const;
    // Where the row of a key was read, or -1.
    int lueDe(qint64 cle) const;

    QByteArray noms_;                // in the order read
    std::vector<qsizetype> fins_;    // end of the i-th name read in noms_
    std::vector<qint64> cles_;       // key of the i-th row read
    std::vector<bool> nuls_;         // the i-th name read is Null
    std::vector<int> ordre_;         // row r of the list is the ordre_[r]-th row read
    bool clesCroissantes_ = true;      // cles_ ascending, as a table read in key order gives them
    mutable std::vector<int> parCle_;  // otherwise the rows read in key order, made when first asked
    mutable std::vector<int> lignes_;  // the row of the i-th row read, made when first asked
    BitsLignes selection_;             // by row of the list
    bool selectionBinaire_ = true;
};

// Waypoints and tracks in name order, without regard to case (then by key).
LignesListe lignesWaypoints(Database& db);
LignesListe lignesTraces(Database& db);

}  // namespace sotrix
