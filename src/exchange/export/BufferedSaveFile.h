#pragma once
// A text file written whole or not at all: lines are gathered in memory and written in
// large blocks to a temporary file that replaces the target only on commit(). Every
// write is checked; until commit() succeeds an older file of that name stays as it was,
// and without commit() nothing is left.

#include "ExportFiles.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <utility>

namespace sotrix {

class BufferedSaveFile {
public:
    // Throws ExportFileError naming path when the file cannot be created.
    explicit BufferedSaveFile(const QString& path, SaveName kind = SaveName::User);
    BufferedSaveFile(const BufferedSaveFile&) = delete;
    BufferedSaveFile& operator=(const BufferedSaveFile&) = delete;

    // The line being written.
    QByteArray& out() { return out_; }
    // Ends the line with CR LF; the buffer goes to the file once it is large.
    void lineDone() {
        out_.append("\r\n");
        if (out_.size() >= kChunk) flush();
    }
    // Writes what is left, syncs the file and puts it in place; throws ExportFileError
    // on failure.
    void commit();
    // Test seam: called with the final name right before the rename.
    void setBeforeRename(std::function<void(const QString&)> hook) { files_.beforeRename = std::move(hook); }

private:
    static constexpr qsizetype kChunk = 1 << 20;
    void flush();

    ExportFiles files_;
    QString path_;
    int fd_ = -1;  // the temporary file, held by files_
    QByteArray out_;
};

}  // namespace sotrix
