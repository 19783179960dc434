#include "GpxNumber.h"

#include <charconv>
#include <system_error>

namespace sotrix {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

std::optional<double> lireNombreGpx(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isSpace(text[i])) ++i;
    text.remove_prefix(i);

    // Measure the number's prefix, and where its first significant digit stands
    // relative to the decimal point, to tell an overflow from an underflow.
    std::size_t n = 0;
    const bool negative = n < text.size() && text[n] == '-';
    const bool signed_ = n < text.size() && (text[n] == '-' || text[n] == '+');
    if (signed_) ++n;
    const std::size_t mantissaStart = n;
    long long magnitude = 0;       // decimal exponent of the first significant digit
    bool significant = false;
    long long intDigits = 0;
    while (n < text.size() && isDigit(text[n])) {
        if (significant || text[n] != '0') {
            if (!significant) significant = true;
            ++intDigits;
        }
        ++n;
    }
    bool anyDigit = n > mantissaStart;
    if (significant) magnitude = intDigits - 1;
    if (n < text.size() && text[n] == '.') {
        ++n;
        long long position = 0;
        while (n < text.size() && isDigit(text[n])) {
            ++position;
            if (!significant && text[n] != '0') {
                significant = true;
                magnitude = -position;
            }
            ++n;
            anyDigit = true;
        }
    }
    if (!anyDigit) return std::nullopt;
    if (n < text.size() && (text[n] == 'e' || text[n] == 'E')) {
        std::size_t e = n + 1;
        bool expNegative = false;
        if (e < text.size() && (text[e] == '-' || text[e] == '+')) expNegative = text[e++] == '-';
        if (e < text.size() && isDigit(text[e])) {
            long long exponent = 0;
            while (e < text.size() && isDigit(text[e])) {
                if (exponent < 100000000) exponent = exponent * 10 + (text[e] - '0');
                ++e;
            }
            magnitude += expNegative ? -exponent : exponent;
            n = e;
        }
    }

    // from_chars takes no "+".
    const std::string_view number = text.substr(signed_ && !negative ? 1 : 0, signed_ && !negative ? n - 1 : n);
    double value = 0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (ec == std::errc::result_out_of_range) {
        if (!significant || magnitude < 0) return negative ? -0.0 : 0.0;
        return std::nullopt;
    }
    if (ec != std::errc() || end != number.data() + number.size()) return std::nullopt;
    return value;
}

}  // namespace sotrix
