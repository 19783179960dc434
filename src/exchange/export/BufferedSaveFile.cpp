#include "BufferedSaveFile.h"

#include "ExportFailure.h"

namespace sotrix {

BufferedSaveFile::BufferedSaveFile(const QString& path) : file_(path), path_(path) {
    if (!file_.open(QIODevice::WriteOnly)) throw ExportFileError(path_, file_.errorString());
    out_.reserve(kChunk + 4096);
}

void BufferedSaveFile::commit() {
    flush();
    if (!file_.commit()) throw ExportFileError(path_, file_.errorString());
}

void BufferedSaveFile::flush() {
    if (!out_.isEmpty() && file_.write(out_) != out_.size()) throw ExportFileError(path_, file_.errorString());
    out_.clear();
}

}  // namespace sotrix
