// POSIX and in-memory byte stores, the read window and the mapping of errno to the
// runtime's error numbers.
#include "ErrorContext.h"
#include "RandomAccessFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace shapefile::detail {

namespace {

[[noreturn]] void throwErrno(const char* what, const std::filesystem::path& path, int err) {
    throw std::filesystem::filesystem_error(what, path, std::error_code(err, std::generic_category()));
}

class PosixFile final : public RandomAccessFile {
public:
    PosixFile(std::filesystem::path path, int fd) : path_(std::move(path)), fd_(fd) {}
    ~PosixFile() override {
        if (fd_ >= 0) ::close(fd_);
    }
    PosixFile(const PosixFile&) = delete;
    PosixFile& operator=(const PosixFile&) = delete;

    std::int64_t size() const override {
        struct stat st {};
        if (::fstat(fd_, &st) != 0) throwErrno("fstat", path_, errno);
        return std::int64_t(st.st_size);
    }

    std::size_t readAt(std::int64_t offset, std::span<std::byte> out) override {
        std::size_t done = 0;
        while (done < out.size()) {
            const ssize_t n = ::pread(fd_, out.data() + done, out.size() - done, off_t(offset + std::int64_t(done)));
            if (n < 0) {
                if (errno == EINTR) continue;
                throwErrno("read", path_, errno);
            }
            if (n == 0) break;
            done += std::size_t(n);
        }
        return done;
    }

    void writeAt(std::int64_t offset, std::span<const std::byte> data) override {
        std::size_t done = 0;
        while (done < data.size()) {
            const ssize_t n = ::pwrite(fd_, data.data() + done, data.size() - done, off_t(offset + std::int64_t(done)));
            if (n < 0) {
                if (errno == EINTR) continue;
                throwErrno("write", path_, errno);
            }
            done += std::size_t(n);
        }
    }

    void truncate(std::int64_t length) override {
        if (::ftruncate(fd_, off_t(length)) != 0) throwErrno("truncate", path_, errno);
    }

    void makeWritable() override {
        const int fd = ::open(path_.c_str(), O_RDWR | O_CLOEXEC);
        if (fd < 0) throwErrno("open", path_, errno);
        ::close(fd_);
        fd_ = fd;
    }

    void close() override {
        const int fd = std::exchange(fd_, -1);
        if (fd >= 0 && ::close(fd) != 0 && errno != EINTR) throwErrno("close", path_, errno);
    }

private:
    std::filesystem::path path_;
    int fd_;
};

class MemoryFile final : public RandomAccessFile {
public:
    explicit MemoryFile(std::vector<std::byte> bytes) : bytes_(std::move(bytes)) {}

    std::int64_t size() const override { return std::int64_t(bytes_.size()); }

    std::size_t readAt(std::int64_t offset, std::span<std::byte> out) override {
        if (offset < 0 || offset >= size()) return 0;
        const std::size_t n = std::min(out.size(), bytes_.size() - std::size_t(offset));
        std::memcpy(out.data(), bytes_.data() + offset, n);
        return n;
    }

    void writeAt(std::int64_t offset, std::span<const std::byte> data) override {
        if (bytes_.size() < std::size_t(offset) + data.size()) bytes_.resize(std::size_t(offset) + data.size());
        std::copy(data.begin(), data.end(), bytes_.begin() + offset);
    }

    void truncate(std::int64_t length) override { bytes_.resize(std::size_t(length)); }
    void makeWritable() override {}
    void close() override {}

private:
    std::vector<std::byte> bytes_;
};

bool isAsciiCaseEqual(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

bool isRegularFile(const std::filesystem::path& p) {
    std::error_code ec;
    return std::filesystem::is_regular_file(p, ec);
}

}  // namespace

std::unique_ptr<RandomAccessFile> openFile(const std::filesystem::path& path, OpenMode mode) {
    const int flags = mode == OpenMode::Read ? O_RDONLY | O_CLOEXEC : O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC;
    const int fd = ::open(path.c_str(), flags, 0666);
    if (fd < 0) throwErrno("open", path, errno);
    return std::make_unique<PosixFile>(path, fd);
}

void removeFile(const std::filesystem::path& path) {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) throwErrno("remove", path, errno);
}

std::unique_ptr<RandomAccessFile> memoryFile(std::vector<std::byte> bytes) {
    return std::make_unique<MemoryFile>(std::move(bytes));
}

std::optional<std::filesystem::path> findExisting(const std::string& spec) {
    const std::filesystem::path wanted(spec);
    if (isRegularFile(wanted)) return wanted;
    const std::string name = wanted.filename().string();
    std::vector<std::string> matches;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(wanted.parent_path(), ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string candidate = it->path().filename().string();
        if (isAsciiCaseEqual(candidate, name) && isRegularFile(it->path())) matches.push_back(candidate);
    }
    if (matches.empty()) return std::nullopt;
    std::sort(matches.begin(), matches.end());
    return wanted.parent_path() / matches.front();
}

std::span<const std::byte> ReadWindow::read(RandomAccessFile& file, std::int64_t offset, std::size_t length,
                                            std::int64_t fileEnd) {
    const bool inside = offset >= start_ && offset - start_ <= std::int64_t(filled_) &&
                        std::size_t(offset - start_) + length <= filled_;
    if (!inside) {
        const std::int64_t remaining = std::max<std::int64_t>(fileEnd - offset, 0);
        const std::size_t capacity = std::max(std::size_t(std::min<std::int64_t>(remaining, kWindow)), length);
        // A window grown for one large record does not stay large.
        if (buffer_.size() != capacity && (buffer_.size() < capacity || buffer_.size() > 4 * kWindow))
            buffer_.assign(capacity, std::byte{0});
        start_ = offset;
        filled_ = 0;
        filled_ = file.readAt(offset, std::span<std::byte>(buffer_.data(), capacity));
    }
    const std::size_t begin = std::size_t(offset - start_);
    return std::span<const std::byte>(buffer_.data() + begin, std::min(length, filled_ - begin));
}

ShapeError fileError(const std::error_code& code, const std::filesystem::path& path, std::string source) {
    PlatformError number = PlatformError::PathFileAccess;
    if (code.category() == std::generic_category() || code.category() == std::system_category()) {
        switch (code.value()) {
        case ENOENT: {
            std::error_code ec;
            const bool folderExists = path.empty() || std::filesystem::is_directory(path.parent_path(), ec);
            number = folderExists ? PlatformError::FileNotFound : PlatformError::PathNotFound;
            break;
        }
        case ENOTDIR: number = PlatformError::PathNotFound; break;
        case ENOSPC:
        case EFBIG:
        case EDQUOT: number = PlatformError::DiskFull; break;
        case EACCES:
        case EPERM:
        case EROFS: number = PlatformError::PermissionDenied; break;
        case ENOMEM: number = PlatformError::OutOfMemory; break;
        default: break;
        }
    }
    return ShapeError::platform(number, std::move(source));
}

}  // namespace shapefile::detail
