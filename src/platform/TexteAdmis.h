#pragma once
// The characters a stored text may hold, the same whichever reader brought it: those that
// XML 1.0 allows (tab, line feed, carriage return, everything from U+0020 but the
// surrogates, U+FFFE and U+FFFF). Every reader puts U+FFFD in place of the others, so that
// a NUL or another control character read from a file shows and is stored the same way
// from GPX, CSV or G7ToWin.

#include <QString>

namespace sotrix {

constexpr bool caractereAdmis(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

// The text with U+FFFD in place of every character not admitted and of every lone
// surrogate.
QString remplaceNonAdmis(const QString& texte);

}  // namespace sotrix
