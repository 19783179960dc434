#pragma once
// Mends the faults that files from careless writers carry and that a strict parser
// refuses, the way the lenient whole-document reader (Xml.h) takes them: bytes that are
// not UTF-8, control characters and noncharacters become U+FFFD; an "&" that starts no
// reference, or a named reference other than the five predefined ones, is kept as text.
// Character data in comments, processing instructions and CDATA sections is left alone
// but for its bytes. Works piece by piece on a stream of UTF-8.

#include <cstddef>
#include <string>
#include <string_view>

namespace sotrix {

class XmlMender {
public:
    // Appends the mended text of in to out; last says the text ends with this piece.
    // A construct cut at the end of a piece waits for the next.
    void mend(std::string_view in, bool last, std::string& out);

private:
    enum class Context { Markup, Comment, CData, Instruction };

    // Mends what starts at data[i] and returns how many bytes it took; 0 when more text
    // is needed to decide.
    std::size_t special(std::string_view data, std::size_t i, bool last, std::string& out);
    std::size_t reference(std::string_view data, std::size_t i, bool last, std::string& out);

    Context context_ = Context::Markup;
    std::string carry_;
};

}  // namespace sotrix
