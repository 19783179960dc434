#include "BitsLignes.h"

#include <bit>

namespace sotrix {

BitsLignes::BitsLignes(int n, bool value)
    : mots_((size_t(n) + 63) / 64, value ? ~std::uint64_t(0) : 0), n_(n), count_(value ? n : 0) {
    // Rows past the last stay clear, so that whole words can be compared and walked.
    if (value && n % 64 != 0) mots_.back() = (std::uint64_t(1) << (n % 64)) - 1;
}

void BitsLignes::set(int row, bool value) {
    std::uint64_t& mot = mots_[size_t(row) / 64];
    const std::uint64_t bit = std::uint64_t(1) << (row % 64);
    if (bool(mot & bit) == value) return;
    mot ^= bit;
    count_ += value ? 1 : -1;
}

template <class Mot>
Plages BitsLignes::runs(Mot mot) const {
    Plages out;
    for (size_t i = 0; i < mots_.size(); ++i) {
        std::uint64_t m = mot(i);
        while (m != 0) {
            const int debut = std::countr_zero(m);
            const int longueur = std::countr_one(m >> debut);
            const int first = int(i * 64) + debut;
            const int last = first + longueur - 1;
            if (!out.empty() && out.back().second + 1 == first)
                out.back().second = last;
            else
                out.emplace_back(first, last);
            m = longueur + debut == 64 ? 0 : m & ~(((std::uint64_t(1) << longueur) - 1) << debut);
        }
    }
    return out;
}

Plages BitsLignes::plages() const {
    return runs([this](size_t i) { return mots_[i]; });
}

Plages BitsLignes::moins(const BitsLignes& other) const {
    return runs([this, &other](size_t i) { return mots_[i] & ~other.mots_[i]; });
}

}  // namespace sotrix
