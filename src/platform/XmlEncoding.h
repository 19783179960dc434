#pragma once
// How the bytes of an XML document become UTF-8: its encoding is found from a byte order
// mark, from its first bytes (UTF-16 and UTF-32 without a mark) or from an ASCII
// declaration, and anything but UTF-8 is converted through iconv, piece by piece.

#include <iconv.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace sotrix {

struct XmlEncoding {
    std::string from;     // iconv's name of the bytes' encoding; empty when they are UTF-8
    std::size_t bom = 0;  // bytes of the byte order mark, which are not text
};

// From the first bytes of a document (a few hundred suffice: the declaration must be
// whole). Nothing when the declared name is no encoding name ("", "UTF-8//IGNORE") or
// names an encoding that iconv does not know. US-ASCII, and UTF-16 or UTF-32 declared in
// eight-bit text, are read as UTF-8, its superset.
std::optional<XmlEncoding> detectXmlEncoding(std::string_view head);

// Converts one stream to UTF-8. A sequence cut at the end of a piece waits for the next.
class Utf8Converter {
public:
    explicit Utf8Converter(const std::string& from);  // from names an encoding iconv knows
    ~Utf8Converter();
    Utf8Converter(const Utf8Converter&) = delete;
    Utf8Converter& operator=(const Utf8Converter&) = delete;

    // Appends the UTF-8 of in to out; false on bytes invalid in the encoding, or, with
    // last, on a sequence the text ends inside: out then ends with what came before them.
    bool convert(std::string_view in, bool last, std::string& out);

private:
    iconv_t cd_;
    std::string pending_;  // the start of a sequence cut at the end of the last piece
};

}  // namespace sotrix
