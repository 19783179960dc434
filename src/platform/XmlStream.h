#pragma once
// Reading XML as a stream, for documents too large to hold (expat): the bytes are read a
// piece at a time, converted to UTF-8 when their encoding is another (XmlEncoding.h) and
// mended (XmlMender.h), so that memory stays the same whatever the size of the file. The
// handler sees what the whole-document reader (Xml.h) would build: elements, and their
// text nodes, each a run of character data between markup that is not all white space
// or the content of a CDATA section. Entities of a DTD are never expanded; nothing is
// fetched.

#include "Xml.h"

#include <QString>

#include <atomic>
#include <cstddef>
#include <cstdio>
#include <string_view>
#include <vector>

namespace sotrix {

// The bytes of a document: a file, or bytes that the caller keeps alive while they are
// parsed. Pieces of chunkSize bytes are handed on at a time.
class XmlSource {
public:
    static constexpr std::size_t kChunk = 64 * 1024;

    static XmlSource file(const QString& path, std::size_t chunkSize = kChunk);
    static XmlSource bytes(std::string_view data, std::size_t chunkSize = kChunk);

    const QString& path() const { return path_; }
    std::string_view data() const { return data_; }
    bool isFile() const { return isFile_; }
    std::size_t chunkSize() const { return chunk_; }

private:
    QString path_;
    std::string_view data_;
    bool isFile_ = false;
    std::size_t chunk_ = kChunk;
};

// Reads a source a piece at a time.
class XmlSourceReader {
public:
    explicit XmlSourceReader(const XmlSource& source);
    ~XmlSourceReader();
    XmlSourceReader(const XmlSourceReader&) = delete;
    XmlSourceReader& operator=(const XmlSourceReader&) = delete;

    // False for a file that cannot be opened or is no regular file.
    bool open();
    // The next piece, valid until the next call; false on a read error. last is set with
    // the final piece.
    bool next(std::string_view& piece, bool& last);
    // The same with a piece of up to size bytes instead of the source's own size.
    bool next(std::string_view& piece, bool& last, std::size_t size);

private:
    const XmlSource& source_;
    std::FILE* file_ = nullptr;
    std::vector<char> buffer_;
    std::size_t offset_ = 0;
};

class XmlHandler {
public:
    virtual ~XmlHandler() = default;
    // attributes holds count names and values, alternately; those a DTD would add are not
    // among them.
    virtual void startElement(const char* name, const char** attributes, int count) = 0;
    virtual void endElement(const char* name) = 0;
    // Whether the element now open wants its text nodes; asked again after every tag.
    virtual bool wantsText() const = 0;
    virtual void text(std::string_view text) = 0;
};

class XmlStream {
public:
    // Parses the whole source, or until the handler calls stop(): Ok then, stopped() true.
    XmlLoad parse(const XmlSource& source, XmlHandler& handler);
    void stop() { stopRequested_ = true; }
    bool stopped() const { return stopped_; }
    // Another thread may end the parse through flag: it is looked at between pieces.
    void stopWhen(const std::atomic<bool>& flag) { stopFlag_ = &flag; }

private:
    const std::atomic<bool>* stopFlag_ = nullptr;
    bool stopRequested_ = false;
    bool stopped_ = false;
};

}  // namespace sotrix
