#include "XmlMender.h"

#include "TexteAdmis.h"

#include <array>
#include <cstdint>

namespace sotrix {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD
constexpr std::size_t kLongestName = 64;                   // of a named reference

bool startsWith(std::string_view s, std::size_t at, std::string_view prefix) {
    return s.substr(at, prefix.size()) == prefix;
}

// Whether data[at...] could still become prefix once more text comes.
bool cutPrefixOf(std::string_view data, std::size_t at, std::string_view prefix) {
    const std::string_view rest = data.substr(at);
    return rest.size() < prefix.size() && prefix.substr(0, rest.size()) == rest;
}

// Bytes copied as they are in each context: ASCII that is neither a control character
// nor the start of something to look at.
using Table = std::array<bool, 256>;

constexpr Table plainBytes(std::string_view lookedAt) {
    Table t{};
    for (int b = 0; b < 0x80; ++b) t[std::size_t(b)] = caractereAdmis(char32_t(b));
    for (char c : lookedAt) t[static_cast<unsigned char>(c)] = false;
    return t;
}

constexpr Table kPlainMarkup = plainBytes("<&");
constexpr Table kPlainComment = plainBytes("-");
constexpr Table kPlainCData = plainBytes("]");
constexpr Table kPlainInstruction = plainBytes("?");

// The length of the UTF-8 sequence at data[i] and its code point: 0 when the sequence is
// invalid, or -1 when the text ends inside it.
int utf8Sequence(std::string_view data, std::size_t i, std::uint32_t& code) {
    const auto b0 = static_cast<unsigned char>(data[i]);
    int length;
    std::uint32_t min;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2, min = 0x80, code = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3, min = 0x800, code = b0 & 0x0F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4, min = 0x10000, code = b0 & 0x07;
    } else {
        return 0;
    }
    for (int k = 1; k < length; ++k) {
        if (i + std::size_t(k) >= data.size()) return -1;
        const auto b = static_cast<unsigned char>(data[i + std::size_t(k)]);
        if ((b & 0xC0) != 0x80) return 0;
        code = (code << 6) | (b & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

bool nameByte(char c) {
    const auto b = static_cast<unsigned char>(c);
    return (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || b == '_' || b == ':' ||
           b == '.' || b == '-' || b >= 0x80;
}

std::string_view opener(std::string_view data, std::size_t i, bool& cut) {
    for (std::string_view o : {std::string_view("<!--"), std::string_view("<![CDATA["), std::string_view("<?")}) {
        if (startsWith(data, i, o)) return o;
        if (cutPrefixOf(data, i, o)) cut = true;
    }
    return {};
}

}  // namespace

void XmlMender::mend(std::string_view in, bool last, std::string& out) {
    std::string joined;
    if (!carry_.empty()) {
        joined = carry_;
        joined.append(in);
        in = joined;
        carry_.clear();
    }
    out.reserve(out.size() + in.size());
    std::size_t i = 0;
    while (i < in.size()) {
        const Table& plain = context_ == Context::Markup    ? kPlainMarkup
                             : context_ == Context::Comment ? kPlainComment
                             : context_ == Context::CData   ? kPlainCData
                                                            : kPlainInstruction;
        std::size_t j = i;
        for (;;) {
            while (j < in.size() && plain[static_cast<unsigned char>(in[j])]) ++j;
            // A tag ("<" then neither "!" nor "?") is plain too.
            if (context_ != Context::Markup || j + 1 >= in.size() || in[j] != '<' || in[j + 1] == '!' ||
                in[j + 1] == '?')
                break;
            ++j;
        }
        out.append(in.substr(i, j - i));
        i = j;
        if (i == in.size()) break;
        const std::size_t taken = special(in, i, last, out);
        if (taken == 0) {
            carry_.assign(in.substr(i));
            return;
        }
        i += taken;
    }
}

std::size_t XmlMender::special(std::string_view data, std::size_t i, bool last, std::string& out) {
    const char c = data[i];
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x80) {
        std::uint32_t code = 0;
        const int length = utf8Sequence(data, i, code);
        if (length < 0 && !last) return 0;
        if (length <= 0 || !caractereAdmis(code)) {
            out.append(kReplacement);
            return length > 0 ? std::size_t(length) : 1;
        }
        out.append(data.substr(i, std::size_t(length)));
        return std::size_t(length);
    }
    if (!caractereAdmis(b)) {
        out.append(kReplacement);
        return 1;
    }
    auto closes = [&](std::string_view closer) -> std::size_t {
        if (startsWith(data, i, closer)) {
            out.append(closer);
            context_ = Context::Markup;
            return closer.size();
        }
        if (cutPrefixOf(data, i, closer) && !last) return 0;
        out.push_back(c);
        return 1;
    };
    switch (context_) {
    case Context::Comment:
        return closes("-->");
    case Context::CData:
        return closes("]]>");
    case Context::Instruction:
        return closes("?>");
    case Context::Markup:
        break;
    }
    if (c == '&') return reference(data, i, last, out);
    bool cut = false;
    const std::string_view o = opener(data, i, cut);
    if (o.empty() && cut && !last) return 0;
    if (o == "<!--")
        context_ = Context::Comment;
    else if (o == "<?")
        context_ = Context::Instruction;
    else if (!o.empty())
        context_ = Context::CData;
    const std::string_view taken = o.empty() ? data.substr(i, 1) : o;
    out.append(taken);
    return taken.size();
}

std::size_t XmlMender::reference(std::string_view data, std::size_t i, bool last, std::string& out) {
    std::size_t j = i + 1;
    if (j < data.size() && data[j] == '#') {
        ++j;
        const bool hex = j < data.size() && data[j] == 'x';
        if (hex) ++j;
        const std::size_t digits = j;
        std::uint32_t code = 0;
        bool tooLarge = false;
        for (; j < data.size() && j - digits <= 8; ++j) {
            const char d = data[j];
            int v;
            if (d >= '0' && d <= '9')
                v = d - '0';
            else if (hex && d >= 'a' && d <= 'f')
                v = d - 'a' + 10;
            else if (hex && d >= 'A' && d <= 'F')
                v = d - 'A' + 10;
            else
                break;
            code = code * (hex ? 16 : 10) + std::uint32_t(v);
            if (code > 0x10FFFF) tooLarge = true;
        }
        if (j == data.size() && !last) return 0;
        if (j > digits && j < data.size() && data[j] == ';') {
            if (!tooLarge && caractereAdmis(code))
                out.append(data.substr(i, j + 1 - i));
            else
                out.append(kReplacement);
            return j + 1 - i;
        }
    } else {
        while (j < data.size() && j - i <= kLongestName && nameByte(data[j])) ++j;
        if (j == data.size() && !last) return 0;
        if (j > i + 1 && j < data.size() && data[j] == ';') {
            const std::string_view name = data.substr(i + 1, j - i - 1);
            for (std::string_view predefined : {"amp", "lt", "gt", "quot", "apos"}) {
                if (name == predefined) {
                    out.append(data.substr(i, j + 1 - i));
                    return j + 1 - i;
                }
            }
        }
    }
    out.append("&amp;");  // the "&" stands for itself; what follows is read as usual
    return 1;
}

}  // namespace sotrix
