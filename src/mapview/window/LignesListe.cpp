#include "LignesListe.h"

#include "Database.h"
#include "NameCollation.h"

#include <algorithm>
#include <numeric>
#include <string_view>

namespace sotrix {

QByteArrayView LignesListe::lu(int i) const {
    const qsizetype debut = i > 0 ? fins_[size_t(i - 1)] : 0;
    return QByteArrayView(noms_).sliced(debut, fins_[size_t(i)] - debut);
}

QByteArrayView LignesListe::nom(int row) const { return lu(ordre_[size_t(row)]); }

LignesListe LignesListe::lit(Database& db, const QString& sql) {
    LignesListe l;
    std::vector<bool> selectionnees;
    Statement st = db.prepare(sql);
    while (st.step()) {
        l.cles_.push_back(st.intValue(0));
        l.nuls_.push_back(st.isNull(1));
        l.noms_.append(st.utf8Value(1));
        l.fins_.push_back(l.noms_.size());
        selectionnees.push_back(st.intValue(2) != 0);
    }
    // Sorted here rather than by the query: one pass over the names in memory costs less
    // than the database's sorter over a million rows.
    l.ordre_.resize(l.cles_.size());
    std::iota(l.ordre_.begin(), l.ordre_.end(), 0);
    std::sort(l.ordre_.begin(), l.ordre_.end(), [&l](int a, int b) {
        if (l.nuls_[size_t(a)] != l.nuls_[size_t(b)]) return bool(l.nuls_[size_t(a)]);
        const QByteArrayView na = l.lu(a), nb = l.lu(b);
        const int c = compareNoms(std::string_view(na.data(), size_t(na.size())),
                                  std::string_view(nb.data(), size_t(nb.size())));
        return c != 0 ? c < 0 : l.cles_[size_t(a)] < l.cles_[size_t(b)];
    });
    for (int row = 0; row < l.size();) {
        if (!selectionnees[size_t(l.ordre_[size_t(row)])]) {
            ++row;
            continue;
        }
        int fin = row;
        while (fin + 1 < l.size() && selectionnees[size_t(l.ordre_[size_t(fin + 1)])]) ++fin;
        l.selection_.emplace_back(row, fin);
        l.nbSelectionnees_ += fin - row + 1;
        row = fin + 1;
    }
    return l;
}

LignesListe lignesWaypoints(Database& db) {
    return LignesListe::lit(db, QStringLiteral("select Id_point, Nom, Selected from Points where Trace = 0"));
}

LignesListe lignesTraces(Database& db) {
    return LignesListe::lit(db, QStringLiteral("select Id_trace, Nom, Selected from Trace"));
}

}  // namespace sotrix
