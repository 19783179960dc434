#pragma once
// A text file written whole or not at all: lines are gathered in memory and written in
// large blocks to a temporary file that replaces the target only on commit(). Until
// then an older file of that name stays as it was; without commit() nothing is left.

#include <QByteArray>
#include <QSaveFile>
#include <QString>

namespace sotrix {

class BufferedSaveFile {
public:
    // Throws ExportFileError naming path when the file cannot be created.
    explicit BufferedSaveFile(const QString& path);
    BufferedSaveFile(const BufferedSaveFile&) = delete;
    BufferedSaveFile& operator=(const BufferedSaveFile&) = delete;

    // The line being written.
    QByteArray& out() { return out_; }
    // Ends the line with CR LF; the buffer goes to the file once it is large.
    void lineDone() {
        out_.append("\r\n");
        if (out_.size() >= kChunk) flush();
    }
    // Writes what is left and puts the file in place; throws ExportFileError on failure.
    void commit();

private:
    static constexpr qsizetype kChunk = 1 << 20;
    void flush();

    QSaveFile file_;
    QString path_;
    QByteArray out_;
};

}  // namespace sotrix
