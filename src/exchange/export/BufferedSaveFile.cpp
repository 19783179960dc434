#include "BufferedSaveFile.h"

#include "ExportFailure.h"

#include <QFile>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace sotrix {

namespace {

QString errorText(int e) { return QString::fromLocal8Bit(std::strerror(e)); }

}  // namespace

BufferedSaveFile::BufferedSaveFile(const QString& path) : path_(path) {
    const QString temp = files_.add(path);
    fd_ = ::open(QFile::encodeName(temp).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd_ < 0) throw ExportFileError(path_, errorText(errno));
    out_.reserve(kChunk + 4096);
}

BufferedSaveFile::~BufferedSaveFile() {
    if (fd_ >= 0) ::close(fd_);
}

void BufferedSaveFile::commit() {
    flush();
    if (::close(std::exchange(fd_, -1)) != 0 && errno != EINTR) throw ExportFileError(path_, errorText(errno));
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
