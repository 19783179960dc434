#include "NumberText.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace sotrix {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace

std::optional<double> nombreExact(std::string_view text) {
    text = trimmed(text);
    if (text.empty()) return std::nullopt;
    // from_chars takes no "+": a leading one is accepted here, as any reader of numbers does.
    if (text.front() == '+' && text.size() > 1 && text[1] != '-') text.remove_prefix(1);
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<double> nombreEnTete(std::string_view text) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && isBlank(text[i])) ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    const std::size_t digitsStart = i;
    std::size_t digits = 0;
    while (i < n && isDigit(text[i])) ++i, ++digits;
    if (i < n && text[i] == '.') {
        std::size_t j = i + 1;
        std::size_t fraction = 0;
        while (j < n && isDigit(text[j])) ++j, ++fraction;
        if (digits > 0 || fraction > 0) {
            i = j;
            digits += fraction;
        }
    }
    if (digits == 0) return 0.0;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < n && (text[j] == '+' || text[j] == '-')) ++j;
        const std::size_t expDigits = j;
        while (j < n && isDigit(text[j])) ++j;
        if (j > expDigits) i = j;
    }
    // The span holds digits, "." and an exponent only: from_chars reads it whole.
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data() + digitsStart, text.data() + i, value);
    if (ec != std::errc() || end != text.data() + i || !std::isfinite(value)) return std::nullopt;
    return negative ? -value : value;
}

QString nombreCommande(double value) { return QString::number(value, 'g', 15); }

}  // namespace sotrix
