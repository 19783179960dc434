#pragma once
// Watches what happens to one file through inotify, for tests that check that a start
// never touched it.

#include <QFile>
#include <QString>

#include <sys/inotify.h>
#include <unistd.h>

#include <cstdint>

namespace sotrix {

// The inotify events of one file, as a mask of everything that happened to it.
class FileWatch {
public:
    explicit FileWatch(const QString& path) {
        fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (fd_ >= 0)
            wd_ = ::inotify_add_watch(fd_, QFile::encodeName(path).constData(),
                                      IN_OPEN | IN_ACCESS | IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE |
                                          IN_DELETE_SELF | IN_MOVE_SELF);
    }
    ~FileWatch() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool ok() const { return fd_ >= 0 && wd_ >= 0; }
    uint32_t events() {
        alignas(inotify_event) char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n <= 0) break;
            for (ssize_t at = 0; at < n;) {
                const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
                mask_ |= e->mask;
                at += ssize_t(sizeof(inotify_event) + e->len);
            }
        }
        return mask_;
    }

private:
    int fd_ = -1;
    int wd_ = -1;
    uint32_t mask_ = 0;
};

}  // namespace sotrix
