// The rules a file spec must satisfy, as pure functions of the text.
#include "CFileName.h"

namespace shapefile {

namespace {

bool isAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool hasAdjacentPair(std::string_view text, char c) {
    for (std::size_t i = 1; i < text.size(); ++i)
        if (text[i] == c && text[i - 1] == c) return true;
    return false;
}

}  // namespace

bool isValidWindowsFileSpec(std::string_view text) {
    if (text.empty()) return false;
    if (!isAsciiLetter(text[0])) return false;
    if (text.size() < 2 || text[1] != ':') return false;
    if (hasAdjacentPair(text, '\\') || hasAdjacentPair(text, '.')) return false;
    const auto lastSep = text.rfind('\\');
    const auto lastDot = text.rfind('.');
    if (lastSep == std::string_view::npos || lastDot == std::string_view::npos) return false;
    if (text.find_first_of(std::string_view("?\"*|/><:", 8), 2) != std::string_view::npos) return false;
    return lastSep < lastDot;
}

// Any absolute path Linux accepts (":", "..", "?" or a backslash inside names included) that
// names a file with an extension: no NUL, no empty component, a "." in its last one.
bool isValidPosixFileSpec(std::string_view text) {
    if (text.empty() || text[0] != '/') return false;
    if (text.find('\0') != std::string_view::npos || text.find("//") != std::string_view::npos) return false;
    const std::string_view name = text.substr(text.rfind('/') + 1);
    return name.find('.') != std::string_view::npos;
}

}  // namespace shapefile
