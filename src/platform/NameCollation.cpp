#include "NameCollation.h"

#include <QChar>
#include <QList>
#include <QString>

#include <array>
#include <vector>

namespace sotrix {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes the code point at p (p < end) and moves p past it; a byte that does not start
// a well-formed sequence gives U+FFFD and is skipped alone.
char32_t decode(const unsigned char*& p, const unsigned char* end) {
    const unsigned char lead = *p++;
    if (lead < 0x80) return lead;
    int extra = 0;
    char32_t cp = 0;
    char32_t least = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1, cp = lead & 0x1F, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, cp = lead & 0x0F, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, cp = lead & 0x07, least = 0x10000;
    } else {
        return kReplacement;
    }
    if (end - p < extra) return kReplacement;
    for (int i = 0; i < extra; ++i)
        if ((p[i] & 0xC0) != 0x80) return kReplacement;
    for (int i = 0; i < extra; ++i) cp = (cp << 6) | (p[i] & 0x3F);
    if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return kReplacement;
    p += extra;
    return cp;
}

// What one code point weighs in the first comparison: up to four folded code points
// (none for a combining accent).
struct Primary {
    std::array<char32_t, 4> unit{};
    int n = 0;
    void push(char32_t c) {
        if (n < int(unit.size())) unit[size_t(n++)] = c;
    }
};

// Case folded first, so that two characters equal without regard to case always weigh
// the same; then decomposed (canonical and compatibility forms: "é" -> "e" + accent,
// "ﬁ" -> "fi") with the accents dropped; the ligatures that Unicode does not decompose
// are spelt out.
void addPrimary(char32_t cp, Primary& out) {
    const char32_t c = QChar::toCaseFolded(cp);
    switch (c) {
    case 0x00DF: out.push(U's'), out.push(U's'); return;  // ß
    case 0x00E6: out.push(U'a'), out.push(U'e'); return;  // æ
    case 0x0153: out.push(U'o'), out.push(U'e'); return;  // œ
    default: break;
    }
    if (QChar::decompositionTag(c) != QChar::NoDecomposition) {
        for (const char32_t part : QChar::decomposition(c).toUcs4()) addPrimary(part, out);
        return;
    }
    const QChar::Category category = QChar::category(c);
    if (category == QChar::Mark_NonSpacing || category == QChar::Mark_Enclosing) return;
    out.push(c);
}

// Latin, Greek, Cyrillic and the common symbols are looked up; the rest is rare enough
// to be weighed at each comparison.
constexpr char32_t kTableEnd = 0x2500;

const std::vector<Primary>& primaryTable() {
    static const std::vector<Primary> table = [] {
        std::vector<Primary> t(kTableEnd - 0x80);
        for (char32_t cp = 0x80; cp < kTableEnd; ++cp) addPrimary(cp, t[cp - 0x80]);
        return t;
    }();
    return table;
}

// The folded code points of a name, one at a time.
class PrimaryStream {
public:
    PrimaryStream(const unsigned char* p, const unsigned char* end) : p_(p), end_(end) {}

    bool next(char32_t& c) {
        while (at_ == current_.n) {
            if (p_ == end_) return false;
            const char32_t cp = decode(p_, end_);
            at_ = 0;
            if (cp < 0x80) {
                current_.n = 1;
                current_.unit[0] = (cp >= 'A' && cp <= 'Z') ? cp + 32 : cp;
            } else if (cp < kTableEnd) {
                current_ = primaryTable()[cp - 0x80];
            } else {
                current_ = Primary{};
                addPrimary(cp, current_);
            }
        }
        c = current_.unit[size_t(at_++)];
        return true;
    }

private:
    const unsigned char* p_;
    const unsigned char* end_;
    Primary current_;
    int at_ = 0;
};

int sign(char32_t a, char32_t b) { return a < b ? -1 : 1; }

int comparePrimary(const unsigned char* a, const unsigned char* aEnd, const unsigned char* b,
                   const unsigned char* bEnd) {
    PrimaryStream sa(a, aEnd), sb(b, bEnd);
    for (;;) {
        char32_t ca = 0, cb = 0;
        const bool ha = sa.next(ca);
        const bool hb = sb.next(cb);
        if (!ha || !hb) return ha == hb ? 0 : (ha ? 1 : -1);
        if (ca != cb) return sign(ca, cb);
    }
}

// The tie-break: the case-folded code points, the equality names have always had.
int compareFolded(const unsigned char* a, const unsigned char* aEnd, const unsigned char* b,
                  const unsigned char* bEnd) {
    while (a != aEnd && b != bEnd) {
        const char32_t ca = QChar::toCaseFolded(decode(a, aEnd));
        const char32_t cb = QChar::toCaseFolded(decode(b, bEnd));
        if (ca != cb) return sign(ca, cb);
    }
    if (a == aEnd && b == bEnd) return 0;
    return a == aEnd ? -1 : 1;
}

}  // namespace

int compareNoms(std::string_view a, std::string_view b) {
    const auto* pa = reinterpret_cast<const unsigned char*>(a.data());
    const auto* pb = reinterpret_cast<const unsigned char*>(b.data());
    // Plain ASCII, the common case, is compared byte by byte with the case folded: up to
    // the first other byte both keys agree position by position.
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    size_t i = 0;
    for (; i < n; ++i) {
        unsigned char ca = pa[i], cb = pb[i];
        if ((ca | cb) & 0x80) break;
        if (ca >= 'A' && ca <= 'Z') ca = static_cast<unsigned char>(ca + 32);
        if (cb >= 'A' && cb <= 'Z') cb = static_cast<unsigned char>(cb + 32);
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (i == n) return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
    const unsigned char* aEnd = pa + a.size();
    const unsigned char* bEnd = pb + b.size();
    const int primary = comparePrimary(pa + i, aEnd, pb + i, bEnd);
    return primary != 0 ? primary : compareFolded(pa + i, aEnd, pb + i, bEnd);
}

namespace {

constexpr std::uint64_t kFnvDebut = 0xcbf29ce484222325ULL;
constexpr std::uint64_t kFnvFacteur = 0x100000001b3ULL;

}  // namespace

std::uint64_t empreinteNom(QStringView nom) {
    std::uint64_t h = kFnvDebut;
    const qsizetype n = nom.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t c = nom[i].unicode();
        if (c < 0x80) {
            if (c >= 'A' && c <= 'Z') c += 32;
        } else {
            if (QChar::isHighSurrogate(c) && i + 1 < n && nom[i + 1].isLowSurrogate()) {
                c = QChar::surrogateToUcs4(char16_t(c), nom[i + 1].unicode());
                ++i;
            } else if (QChar::isSurrogate(c)) {
                c = kReplacement;
            }
            c = QChar::toCaseFolded(c);
        }
        h = (h ^ c) * kFnvFacteur;
    }
    return h;
}

std::uint64_t empreinteNom(std::string_view nom) {
    // FNV-1a over the case-folded code points, the sequence whose equality is the names'.
    std::uint64_t h = kFnvDebut;
    const auto* p = reinterpret_cast<const unsigned char*>(nom.data());
    const unsigned char* end = p + nom.size();
    while (p != end) {
        char32_t c = *p;
        if (c < 0x80) {
            ++p;
            if (c >= 'A' && c <= 'Z') c += 32;
        } else {
            c = QChar::toCaseFolded(decode(p, end));
        }
        h = (h ^ c) * kFnvFacteur;
    }
    return h;
}

}  // namespace sotrix
