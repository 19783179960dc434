#include "Xml.h"

#include <QFile>

#include <iconv.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

namespace sotrix {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

struct IconvCloser {
    iconv_t cd;
    ~IconvCloser() { iconv_close(cd); }
};

bool isXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool startsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

bool hasBom(std::string_view s) {
    return startsWith(s, "\xEF\xBB\xBF") || startsWith(s, "\xFE\xFF") || startsWith(s, "\xFF\xFE") ||
           startsWith(s, std::string_view("\0\0\xFE\xFF", 4));
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// Where the encoding name of an ASCII declaration ("<?xml ... encoding='name' ...?>")
// sits in the text: its offset and length. Nothing when there is no such declaration.
struct Span {
    std::size_t offset;
    std::size_t length;
};

std::optional<Span> declaredEncoding(std::string_view text) {
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
        return Span{i, close - i};
    }
    return std::nullopt;
}

// An encoding name as XML writes it: a letter, then letters, digits, ".", "_" or "-".
// Anything else ("", "UTF-8//TRANSLIT") is no encoding, whatever iconv would make of it.
bool isEncodingName(std::string_view name) {
    auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    if (name.empty() || !letter(name.front())) return false;
    return std::all_of(name.begin(), name.end(), [&](char c) {
        return letter(c) || (c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-';
    });
}

// Encodings that pugixml reads by itself from their declaration (or, for the Unicode
// forms, from their byte order mark or first bytes).
bool readByPugixml(std::string_view name) {
    for (std::string_view known : {"UTF-8", "UTF-16", "UTF-32", "ISO-8859-1", "US-ASCII"})
        if (equalsNoCase(name, known)) return true;
    return false;
}

// Converts text from the named encoding to UTF-8 and appends it to out.
bool appendAsUtf8(const char* from, std::string_view text, std::vector<char>& out) {
    iconv_t cd = iconv_open("UTF-8", from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    IconvCloser closer{cd};
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    std::size_t used = out.size();
    out.resize(used + text.size() * 2 + 16);
    while (inLeft > 0) {
        char* dst = out.data() + used;
        std::size_t outLeft = out.size() - used;
        const std::size_t rc = iconv(cd, &in, &inLeft, &dst, &outLeft);
        used = out.size() - outLeft;
        if (rc != static_cast<std::size_t>(-1)) break;
        if (errno != E2BIG) return false;  // an invalid or cut sequence
        out.resize(out.size() + inLeft * 2 + 16);
    }
    char* dst = out.data() + used;
    std::size_t outLeft = out.size() - used;
    if (iconv(cd, nullptr, nullptr, &dst, &outLeft) == static_cast<std::size_t>(-1)) return false;
    out.resize(out.size() - outLeft);
    return true;
}

}  // namespace

XmlLoad XmlDocument::loadFile(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    FilePtr file(std::fopen(name.constData(), "rb"));
    if (!file) return XmlLoad::Unreadable;
    struct stat info {};
    if (::fstat(fileno(file.get()), &info) != 0 || !S_ISREG(info.st_mode)) return XmlLoad::Unreadable;
    const auto size = static_cast<std::size_t>(info.st_size);
    auto buffer = std::make_unique_for_overwrite<char[]>(size + 1);
    if (size > 0 && std::fread(buffer.get(), 1, size, file.get()) != size) return XmlLoad::Unreadable;
    return parse(std::move(buffer), size);
}

XmlLoad XmlDocument::loadBytes(const char* data, std::size_t size) {
    auto buffer = std::make_unique_for_overwrite<char[]>(size + 1);
    if (size > 0) std::memcpy(buffer.get(), data, size);
    return parse(std::move(buffer), size);
}

XmlLoad XmlDocument::parse(std::unique_ptr<char[]> buffer, std::size_t size) {
    doc_.reset();
    buffer_.reset();
    std::string_view text(buffer.get(), size);
    pugi::xml_encoding encoding = pugi::encoding_auto;
    if (!hasBom(text)) {
        if (const auto span = declaredEncoding(text)) {
            const std::string name(text.substr(span->offset, span->length));
            if (!isEncodingName(name)) return XmlLoad::BadEncoding;
            if (!readByPugixml(name)) {
                // pugixml would take these bytes for UTF-8: convert them first, and say
                // so in the declaration.
                std::vector<char> utf8;
                utf8.reserve(size + size / 4 + 16);
                const std::string_view head = text.substr(0, span->offset);
                utf8.insert(utf8.end(), head.begin(), head.end());
                for (char c : std::string_view("UTF-8")) utf8.push_back(c);
                const std::string_view tail = text.substr(span->offset + span->length);
                const std::size_t declEnd = tail.find("?>");
                utf8.insert(utf8.end(), tail.begin(), tail.begin() + std::ptrdiff_t(declEnd));
                if (!appendAsUtf8(name.c_str(), tail.substr(declEnd), utf8)) return XmlLoad::BadEncoding;
                buffer = std::make_unique_for_overwrite<char[]>(utf8.size() + 1);
                std::memcpy(buffer.get(), utf8.data(), utf8.size());
                size = utf8.size();
                encoding = pugi::encoding_utf8;
            }
        }
    }
    const pugi::xml_parse_result result =
        doc_.load_buffer_inplace(buffer.get(), size, pugi::parse_default, encoding);
    buffer_ = std::move(buffer);
    if (!result) {
        doc_.reset();
        return XmlLoad::Malformed;
    }
    int roots = 0;
    for (pugi::xml_node n = doc_.first_child(); n; n = n.next_sibling())
        if (n.type() == pugi::node_element) ++roots;
    if (roots != 1) {
        doc_.reset();
        return XmlLoad::Malformed;
    }
    return XmlLoad::Ok;
}

pugi::xml_node XmlDocument::root() const { return doc_.document_element(); }

XmlNames::XmlNames(pugi::xml_node root) {
    const std::string_view name = root.name();
    const std::size_t colon = name.find(':');
    if (colon != std::string_view::npos) prefix_ = std::string(name.substr(0, colon + 1));
}

bool XmlNames::matches(const char* qualifiedName, std::string_view name) const {
    const std::string_view q(qualifiedName);
    if (q == name) return true;
    return !prefix_.empty() && q.size() == prefix_.size() + name.size() && startsWith(q, prefix_) &&
           q.substr(prefix_.size()) == name;
}

bool XmlNames::matches(pugi::xml_node node, std::string_view name) const {
    return node.type() == pugi::node_element && matches(node.name(), name);
}

std::string xmlText(pugi::xml_node element) {
    std::string text;
    for (pugi::xml_node n = element.first_child(); n; n = n.next_sibling())
        if (n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata) text += n.value();
    return text;
}

}  // namespace sotrix
