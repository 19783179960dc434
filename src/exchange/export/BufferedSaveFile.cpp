#include "BufferedSaveFile.h"

#include "ExportFailure.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace sotrix {

namespace {

QString errorText(int e) { return QString::fromLocal8Bit(std::strerror(e)); }

}  // namespace

BufferedSaveFile::BufferedSaveFile(const QString& path, SaveName kind) : path_(path) {
    fd_ = files_.descriptor(files_.add(path, kind));
    out_.reserve(kChunk + 4096);
}

void BufferedSaveFile::commit() {
    flush();
    files_.commit();
}

void BufferedSaveFile::flush() {
    const char* p = out_.constData();
    qsizetype left = out_.size();
    while (left > 0) {
        const ssize_t n = ::write(fd_, p, std::size_t(left));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw ExportFileError(path_, errorText(n < 0 ? errno : ENOSPC));
        p += n;
        left -= n;
    }
    out_.clear();
}

}  // namespace sotrix
