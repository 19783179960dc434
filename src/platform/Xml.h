#pragma once
// Reading XML documents with pugixml: the whole file is parsed before anything looks at
// it, the declared encoding is honoured, and elements are found by their documented
// names, written bare or with the root's own prefix.

#include <QString>

#include <pugixml.hpp>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace sotrix {

enum class XmlLoad {
    Ok,
    Unreadable,   // missing, a folder, or a read error
    BadEncoding,  // an encoding name we cannot convert from, or bytes invalid in it
    Malformed,    // not well-formed, empty, or more than one root element
};

// One parsed document. The text buffer belongs to the document, which parses in place.
class XmlDocument {
public:
    XmlDocument() = default;
    XmlDocument(const XmlDocument&) = delete;
    XmlDocument& operator=(const XmlDocument&) = delete;

    XmlLoad loadFile(const QString& path);
    XmlLoad loadBytes(const char* data, std::size_t size);

    // The root element; empty until a load succeeded.
    pugi::xml_node root() const;

private:
    XmlLoad parse(std::unique_ptr<char[]> buffer, std::size_t size);

    std::unique_ptr<char[]> buffer_;
    pugi::xml_document doc_;
};

// Matches elements against documented names. An element matches "wpt" when it is
// written "wpt" (whatever default namespace applies) or, under a root written
// "g:gpx", "g:wpt". Any other prefix never matches.
class XmlNames {
public:
    explicit XmlNames(pugi::xml_node root);
    explicit XmlNames(std::string_view rootName);

    bool matches(pugi::xml_node node, std::string_view name) const;
    bool matches(const char* qualifiedName, std::string_view name) const;

private:
    std::string prefix_;  // the root's prefix with its ":", or empty
};

// An element's text: its character data and CDATA children joined in order.
std::string xmlText(pugi::xml_node element);

}  // namespace sotrix
