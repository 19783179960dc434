#pragma once
// A set of list rows as one bit per row: a row is tested or changed at the same cost
// whatever else is set, and the whole set is copied, compared or walked run by run in a
// pass over words of 64 rows.

#include <QtGlobal>

#include <cstdint>
#include <utility>
#include <vector>

namespace sotrix {

// First and last row of each run of rows, in row order, runs apart.
using Plages = std::vector<std::pair<int, int>>;

class BitsLignes {
public:
    BitsLignes() = default;
    // n rows, all set or none.
    BitsLignes(int n, bool value);

    int size() const { return n_; }
    qint64 count() const { return count_; }
    bool test(int row) const { return (mots_[size_t(row) / 64] >> (row % 64)) & 1u; }
    void set(int row, bool value);

    // The runs of set rows.
    Plages plages() const;
    // The runs of rows set here and not in other, which has as many rows.
    Plages moins(const BitsLignes& other) const;

private:
    template <class Mot>
    Plages runs(Mot mot) const;

    std::vector<std::uint64_t> mots_;
    int n_ = 0;
    qint64 count_ = 0;
};

}  // namespace sotrix
