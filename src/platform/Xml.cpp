#include "Xml.h"

#include "XmlEncoding.h"

#include <QFile>

#include <sys/stat.h>

#include <cstdio>
#include <cstring>

namespace sotrix {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

bool startsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

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
    const std::string_view text(buffer.get(), size);
    const auto detected = detectXmlEncoding(text);
    if (!detected) return XmlLoad::BadEncoding;
    pugi::xml_encoding encoding = pugi::encoding_auto;
    if (!detected->from.empty()) {
        // pugixml would take these bytes for UTF-8 or get the Unicode form wrong: convert them first.
        std::string utf8;
        utf8.reserve(size + size / 4 + 16);
        Utf8Converter converter(detected->from);
        if (!converter.convert(text.substr(detected->bom), true, utf8)) return XmlLoad::BadEncoding;
        buffer = std::make_unique_for_overwrite<char[]>(utf8.size() + 1);
        std::memcpy(buffer.get(), utf8.data(), utf8.size());
        size = utf8.size();
        encoding = pugi::encoding_utf8;
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

XmlNames::XmlNames(pugi::xml_node root) : XmlNames(std::string_view(root.name())) {}

XmlNames::XmlNames(std::string_view name) {
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
