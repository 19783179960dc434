#include "XmlStream.h"

#include "XmlEncoding.h"
#include "XmlMender.h"

#include <QFile>

#include <expat.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace sotrix {

namespace {

struct ParserFree {
    void operator()(XML_ParserStruct* p) const { XML_ParserFree(p); }
};

bool allSpace(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
}

// The expat callbacks: character data is gathered into text nodes, which any markup ends.
class Session {
public:
    Session(XML_Parser parser, XmlHandler& handler, bool& stopRequested)
        : parser_(parser), handler_(handler), stopRequested_(stopRequested) {
        XML_SetUserData(parser, this);
        XML_SetElementHandler(parser, &Session::onStart, &Session::onEnd);
        XML_SetCharacterDataHandler(parser, &Session::onCharacters);
        XML_SetCdataSectionHandler(parser, &Session::onCdataStart, &Session::onCdataEnd);
        XML_SetCommentHandler(parser, &Session::onComment);
        XML_SetProcessingInstructionHandler(parser, &Session::onInstruction);
    }

    // How many callbacks expat has made so far.
    std::size_t events() const { return events_; }

private:
    static Session& of(void* data) {
        Session& s = *static_cast<Session*>(data);
        ++s.events_;
        return s;
    }

    void flush() {
        if (!run_.empty() && !allSpace(run_)) handler_.text(run_);
        run_.clear();
    }

    void afterEvent() {
        if (stopRequested_) XML_StopParser(parser_, XML_FALSE);
    }

    static void onStart(void* data, const XML_Char* name, const XML_Char** attributes) {
        Session& s = of(data);
        s.flush();
        s.handler_.startElement(name, attributes, XML_GetSpecifiedAttributeCount(s.parser_));
        s.afterEvent();
    }

    static void onEnd(void* data, const XML_Char* name) {
        Session& s = of(data);
        s.flush();
        s.handler_.endElement(name);
        s.afterEvent();
    }

    static void onCharacters(void* data, const XML_Char* text, int length) {
        Session& s = of(data);
        if (s.inCdata_)
            s.cdata_.append(text, std::size_t(length));
        else if (s.handler_.wantsText())
            s.run_.append(text, std::size_t(length));
    }

    static void onCdataStart(void* data) {
        Session& s = of(data);
        s.flush();
        s.inCdata_ = s.handler_.wantsText();
        s.cdata_.clear();
    }

    static void onCdataEnd(void* data) {
        Session& s = of(data);
        if (s.inCdata_ && !s.cdata_.empty()) s.handler_.text(s.cdata_);
        s.inCdata_ = false;
        s.afterEvent();
    }

    static void onComment(void* data, const XML_Char*) { of(data).flush(); }
    static void onInstruction(void* data, const XML_Char*, const XML_Char*) { of(data).flush(); }

    XML_Parser parser_;
    XmlHandler& handler_;
    bool& stopRequested_;
    std::string run_;
    std::string cdata_;
    bool inCdata_ = false;
    std::size_t events_ = 0;
};

// Expat scans a token cut at the end of a piece again from its start with the next piece,
// so that a very long token (an attribute value, a comment) fed in pieces of a fixed size
// costs the square of its length. A piece that gave no event most likely ended inside
// such a token: the next piece doubles, which keeps the scans of a token linear in its
// length; pieces go back to their size as soon as events come again.
constexpr std::size_t kPieceMax = std::size_t(1) << 30;

}  // namespace

XmlSourceReader::XmlSourceReader(const XmlSource& source) : source_(source) {}

XmlSourceReader::~XmlSourceReader() {
    if (file_) std::fclose(file_);
}

bool XmlSourceReader::open() {
    if (!source_.isFile()) return true;
    const QByteArray name = QFile::encodeName(source_.path());
    file_ = std::fopen(name.constData(), "rb");
    struct stat info {};
    return file_ && ::fstat(fileno(file_), &info) == 0 && S_ISREG(info.st_mode);
}

bool XmlSourceReader::next(std::string_view& piece, bool& last) { return next(piece, last, source_.chunkSize()); }

bool XmlSourceReader::next(std::string_view& piece, bool& last, std::size_t size) {
    const std::size_t chunk = std::max<std::size_t>(size, 1);
    if (!source_.isFile()) {
        const std::string_view data = source_.data();
        piece = data.substr(std::min(offset_, data.size()), chunk);
        offset_ += piece.size();
        last = offset_ >= data.size();
        return true;
    }
    // A buffer grown for one large piece is given back once pieces are small again.
    if (buffer_.capacity() > 4 * chunk) buffer_ = std::vector<char>();
    buffer_.resize(chunk);
    const std::size_t n = std::fread(buffer_.data(), 1, chunk, file_);
    if (n < chunk && std::ferror(file_)) return false;
    piece = std::string_view(buffer_.data(), n);
    last = n < chunk && std::feof(file_);
    return true;
}

XmlSource XmlSource::file(const QString& path, std::size_t chunkSize) {
    XmlSource s;
    s.path_ = path;
    s.isFile_ = true;
    s.chunk_ = chunkSize;
    return s;
}

XmlSource XmlSource::bytes(std::string_view data, std::size_t chunkSize) {
    XmlSource s;
    s.data_ = data;
    s.chunk_ = chunkSize;
    return s;
}

XmlLoad XmlStream::parse(const XmlSource& source, XmlHandler& handler) {
    stopRequested_ = false;
    stopped_ = false;
    XmlSourceReader reader(source);
    if (!reader.open()) return XmlLoad::Unreadable;

    // The declaration must be whole to be read: gather the first bytes until it is.
    std::string head;
    bool last = false;
    do {
        std::string_view piece;
        if (!reader.next(piece, last)) return XmlLoad::Unreadable;
        head.append(piece);
    } while (!last && head.size() < 1024);
    const std::optional<XmlEncoding> encoding = detectXmlEncoding(head);
    if (!encoding) return XmlLoad::BadEncoding;

    std::unique_ptr<XML_ParserStruct, ParserFree> parser(XML_ParserCreate("UTF-8"));
    if (!parser) throw std::bad_alloc();
    Session session(parser.get(), handler, stopRequested_);
    std::optional<Utf8Converter> converter;
    if (!encoding->from.empty()) converter.emplace(encoding->from);
    XmlMender mender;
    std::string utf8;
    std::string mended;

    std::string_view piece = std::string_view(head).substr(std::min(encoding->bom, head.size()));
    std::size_t pieceSize = source.chunkSize();
    for (;;) {
        const std::size_t eventsBefore = session.events();
        // Bytes invalid in the encoding end the document where they stand: what comes
        // before them is still read, and may hold a fault of its own or all that was wanted.
        std::string_view text = piece;
        bool badBytes = false;
        if (converter) {
            utf8.clear();
            badBytes = !converter->convert(piece, last, utf8);
            text = utf8;
        }
        const bool end = last && !badBytes;
        mended.clear();
        mender.mend(text, end, mended);
        if (XML_Parse(parser.get(), mended.data(), int(mended.size()), end ? XML_TRUE : XML_FALSE) != XML_STATUS_OK) {
            if (stopRequested_ && XML_GetErrorCode(parser.get()) == XML_ERROR_ABORTED) {
                stopped_ = true;
                return XmlLoad::Ok;
            }
            return XmlLoad::Malformed;
        }
        if (stopRequested_) {  // asked for on the last event of the piece
            stopped_ = true;
            return XmlLoad::Ok;
        }
        if (badBytes) return XmlLoad::BadEncoding;
        if (stopFlag_ && stopFlag_->load(std::memory_order_relaxed)) {
            stopped_ = true;
            return XmlLoad::Ok;
        }
        if (last) return XmlLoad::Ok;
        pieceSize = session.events() == eventsBefore ? std::min(2 * pieceSize, kPieceMax) : source.chunkSize();
        if (!reader.next(piece, last, pieceSize)) return XmlLoad::Unreadable;
    }
}

}  // namespace sotrix
