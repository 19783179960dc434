#include "XmlEncoding.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <stdexcept>

namespace sotrix {

namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

bool isXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool startsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

bool equalsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// The encoding name of an ASCII declaration ("<?xml ... encoding='name' ...?>"); nothing
// when there is no such declaration or it names none.
std::optional<std::string_view> declaredEncoding(std::string_view text) {
    if (!startsWith(text, "<?xml") || text.size() < 6 || !isXmlSpace(text[5])) return std::nullopt;
    const std::size_t end = text.find("?>");
    if (end == std::string_view::npos) return std::nullopt;
    const std::string_view decl = text.substr(0, end);
    std::size_t pos = 5;
    while ((pos = decl.find("encoding", pos)) != std::string_view::npos) {
        const bool separated = isXmlSpace(decl[pos - 1]);
        pos += 8;
        if (!separated) continue;
        std::size_t i = pos;
        while (i < decl.size() && isXmlSpace(decl[i])) ++i;
        if (i >= decl.size() || decl[i] != '=') continue;
        ++i;
        while (i < decl.size() && isXmlSpace(decl[i])) ++i;
        if (i >= decl.size() || (decl[i] != '"' && decl[i] != '\'')) return std::nullopt;
        const char quote = decl[i++];
        const std::size_t close = decl.find(quote, i);
        if (close == std::string_view::npos) return std::nullopt;
        return decl.substr(i, close - i);
    }
    return std::nullopt;
}

// An encoding name as XML writes it: a letter, then letters, digits, ".", "_" or "-".
// Anything else is no encoding, whatever iconv would make of it.
bool isEncodingName(std::string_view name) {
    auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    if (name.empty() || !letter(name.front())) return false;
    return std::all_of(name.begin(), name.end(), [&](char c) {
        return letter(c) || (c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-';
    });
}

bool readAsUtf8(std::string_view name) {
    for (std::string_view known : {"UTF-8", "US-ASCII", "UTF-16", "UTF-32"})
        if (equalsNoCase(name, known)) return true;
    return false;
}

bool iconvKnows(const std::string& name) {
    const iconv_t cd = iconv_open("UTF-8", name.c_str());
    if (cd == kNoConverter) return false;
    iconv_close(cd);
    return true;
}

}  // namespace

std::optional<XmlEncoding> detectXmlEncoding(std::string_view head) {
    struct Mark {
        std::string_view bytes;
        const char* from;
        std::size_t bom;
    };
    using namespace std::string_view_literals;
    // The byte order marks first (UTF-32LE's starts like UTF-16LE's), then the first
    // characters "<?" or "<" of the Unicode forms without one.
    static const Mark marks[] = {
        {"\xEF\xBB\xBF"sv, "", 3},           {"\x00\x00\xFE\xFF"sv, "UTF-32BE", 4}, {"\xFF\xFE\x00\x00"sv, "UTF-32LE", 4},
        {"\xFE\xFF"sv, "UTF-16BE", 2},       {"\xFF\xFE"sv, "UTF-16LE", 2},         {"\x00\x00\x00\x3C"sv, "UTF-32BE", 0},
        {"\x3C\x00\x00\x00"sv, "UTF-32LE", 0}, {"\x00\x3C"sv, "UTF-16BE", 0},       {"\x3C\x00"sv, "UTF-16LE", 0},
    };
    for (const Mark& m : marks)
        if (startsWith(head, m.bytes)) return XmlEncoding{m.from, m.bom};
    const auto name = declaredEncoding(head);
    if (!name || readAsUtf8(*name)) return XmlEncoding{};
    if (!isEncodingName(*name)) return std::nullopt;
    std::string from(*name);
    if (!iconvKnows(from)) return std::nullopt;
    return XmlEncoding{std::move(from), 0};
}

Utf8Converter::Utf8Converter(const std::string& from) : cd_(iconv_open("UTF-8", from.c_str())) {
    if (cd_ == kNoConverter) throw std::invalid_argument("unknown encoding " + from);
}

Utf8Converter::~Utf8Converter() { iconv_close(cd_); }

bool Utf8Converter::convert(std::string_view in, bool last, std::string& out) {
    std::string joined;
    if (!pending_.empty()) {
        joined = pending_ + std::string(in);
        in = joined;
        pending_.clear();
    }
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    while (srcLeft > 0) {
        const std::size_t used = out.size();
        out.resize(used + srcLeft * 3 + 16);
        char* dst = out.data() + used;
        std::size_t dstLeft = out.size() - used;
        const std::size_t rc = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
        const int error = errno;
        out.resize(out.size() - dstLeft);
        if (rc != static_cast<std::size_t>(-1)) break;
        if (error == E2BIG) continue;
        if (error == EINVAL && !last) {  // a sequence cut at the end of the piece
            pending_.assign(src, srcLeft);
            return true;
        }
        return false;
    }
    if (!last) return true;
    const std::size_t used = out.size();
    out.resize(used + 16);
    char* dst = out.data() + used;
    std::size_t dstLeft = 16;
    const bool flushed = iconv(cd_, nullptr, nullptr, &dst, &dstLeft) != static_cast<std::size_t>(-1);
    out.resize(out.size() - dstLeft);
    return flushed;
}

}  // namespace sotrix
