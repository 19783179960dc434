#include "LignesListe.h"

#include "Database.h"
#include "NameCollation.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <string_view>

namespace sotrix {

QByteArrayView LignesListe::lu(int i) const {
    const qsizetype debut = i > 0 ? fins_[size_t(i - 1)] : 0;
    return QByteArrayView(noms_).sliced(debut, fins_[size_t(i)] - debut);
}

QByteArrayView LignesListe::nom(int row) const { return lu(ordre_[size_t(row)]); }

namespace {

// Folded ASCII, as the names compare byte by byte until a byte of another kind.
unsigned char plie(unsigned char c) { return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c; }

// A name's place for the sort: the eight folded bytes that follow the prefix all names
// share, big-endian, and how many of them are ASCII from the name itself.
struct Cle {
    std::uint64_t octets;
    int ligne;
    int disponibles;
};

}  // namespace

// Most names decide their order within a few bytes past the prefix they all share, so
// those bytes, packed in an integer, order them without a look at the names; where the
// integers cannot tell (equal, or a byte past the end or outside ASCII), the full
// comparison does.
std::vector<int> LignesListe::ordreDesNoms() const {
    const int n = int(cles_.size());
    auto octets = [this](int i) { return reinterpret_cast<const unsigned char*>(lu(i).data()); };
    std::vector<int> nuls;
    std::vector<Cle> cles;
    cles.reserve(size_t(n));
    qsizetype commun = -1;
    const unsigned char* premier = nullptr;
    for (int i = 0; i < n; ++i) {
        if (nuls_[size_t(i)]) {
            nuls.push_back(i);
            continue;
        }
        const QByteArrayView nom = lu(i);
        const unsigned char* p = octets(i);
        qsizetype a = 0;
        while (a < nom.size() && p[a] < 0x80) ++a;
        if (!premier) {
            premier = p;
            commun = a;
        }
        qsizetype k = 0;
        for (const qsizetype fin = std::min(commun, a); k < fin && plie(p[k]) == plie(premier[k]);) ++k;
        commun = k;
        cles.push_back({0, i, int(a)});
    }
    for (Cle& c : cles) {
        c.disponibles = int(std::min<qsizetype>(c.disponibles - commun, 8));
        const unsigned char* p = octets(c.ligne) + commun;
        for (int k = 0; k < 8; ++k) c.octets = (c.octets << 8) | (k < c.disponibles ? plie(p[k]) : 0u);
    }
    auto complet = [this](int a, int b) {
        const QByteArrayView na = lu(a), nb = lu(b);
        const int c = compareNoms(std::string_view(na.data(), size_t(na.size())),
                                  std::string_view(nb.data(), size_t(nb.size())));
        return c != 0 ? c < 0 : cles_[size_t(a)] < cles_[size_t(b)];
    };
    std::sort(cles.begin(), cles.end(), [&complet](const Cle& a, const Cle& b) {
        if (a.octets != b.octets) {
            const int premierEcart = std::countl_zero(a.octets ^ b.octets) / 8;
            if (premierEcart < a.disponibles && premierEcart < b.disponibles) return a.octets < b.octets;
        }
        return complet(a.ligne, b.ligne);
    });
    std::sort(nuls.begin(), nuls.end(), [this](int a, int b) { return cles_[size_t(a)] < cles_[size_t(b)]; });
    std::vector<int> ordre = std::move(nuls);
    ordre.reserve(size_t(n));
    for (const Cle& c : cles) ordre.push_back(c.ligne);
    return ordre;
}

namespace {
// The key and the selected state of each row a query gives; a non-zero Selected is true.
struct Lecture {
    std::vector<qint64> cles;
    std::vector<bool> selectionnees;
    bool binaire = true;

    void ajoute(qint64 cle, qint64 selected) {
        cles.push_back(cle);
        selectionnees.push_back(selected != 0);
        if (selected != 0 && selected != 1) binaire = false;
    }
};
}  // namespace

LignesListe LignesListe::lit(Database& db, const QString& sql) {
    LignesListe l;
    Lecture lu;
    Statement st = db.prepare(sql);
    while (st.step()) {
        lu.ajoute(st.intValue(0), st.intValue(2));
        l.nuls_.push_back(st.isNull(1));
        l.noms_.append(st.utf8Value(1));
        l.fins_.push_back(l.noms_.size());
    }
    l.cles_ = std::move(lu.cles);
    l.clesCroissantes_ = std::is_sorted(l.cles_.begin(), l.cles_.end());
    l.selectionBinaire_ = lu.binaire;
    // Sorted here rather than by the query: one pass over the names in memory costs less
    // than the database's sorter over a million rows.
    l.ordre_ = l.ordreDesNoms();
    l.selection_ = BitsLignes(l.size(), false);
    for (int row = 0; row < l.size(); ++row)
        if (lu.selectionnees[size_t(l.ordre_[size_t(row)])]) l.selection_.set(row, true);
    return l;
}

int LignesListe::lueDe(qint64 cle) const {
    auto avant = [this](int i, qint64 k) { return cles_[size_t(i)] < k; };
    if (clesCroissantes_) {
        const auto it = std::lower_bound(cles_.begin(), cles_.end(), cle);
        return it != cles_.end() && *it == cle ? int(it - cles_.begin()) : -1;
    }
    if (parCle_.size() != cles_.size()) {
        parCle_.resize(cles_.size());
        for (size_t i = 0; i < parCle_.size(); ++i) parCle_[i] = int(i);
        std::sort(parCle_.begin(), parCle_.end(), [this](int a, int b) { return cles_[size_t(a)] < cles_[size_t(b)]; });
    }
    const auto it = std::lower_bound(parCle_.begin(), parCle_.end(), cle, avant);
    return it != parCle_.end() && cles_[size_t(*it)] == cle ? *it : -1;
}

int LignesListe::ligneDe(qint64 cle) const {
    const int i = lueDe(cle);
    if (i < 0) return -1;
    if (lignes_.size() != ordre_.size()) {
        lignes_.resize(ordre_.size());
        for (size_t row = 0; row < ordre_.size(); ++row) lignes_[size_t(ordre_[row])] = int(row);
    }
    return lignes_[size_t(i)];
}

LignesListe lignesWaypoints(Database& db) {
    return LignesListe::lit(db, QStringLiteral("select Id_point, Nom, Selected from Points where Trace = 0"));
}

LignesListe lignesTraces(Database& db) {
    return LignesListe::lit(db, QStringLiteral("select Id_trace, Nom, Selected from Trace"));
}

}  // namespace sotrix
