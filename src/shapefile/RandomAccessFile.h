#pragma once
// Library-internal: the byte store behind each file of a pair. Positioned reads and
// writes only, so the reader and the writer never depend on a shared file position.
// Failures are thrown as std::filesystem::filesystem_error carrying errno.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace shapefile::detail {

class RandomAccessFile {
public:
    virtual ~RandomAccessFile() = default;

    virtual std::int64_t size() const = 0;
    // Reads up to out.size() bytes at offset; fewer only where the file ends.
    virtual std::size_t readAt(std::int64_t offset, std::span<std::byte> out) = 0;
    virtual void writeAt(std::int64_t offset, std::span<const std::byte> data) = 0;
    virtual void truncate(std::int64_t length) = 0;
    // A file opened for reading is reopened for reading and writing.
    virtual void makeWritable() = 0;
    // Closes the file, reporting a failure of the close itself.
    virtual void close() = 0;
};

enum class OpenMode { Read, Create };

std::unique_ptr<RandomAccessFile> openFile(const std::filesystem::path& path, OpenMode mode);
// Deletes a file; a missing file is not an error.
void removeFile(const std::filesystem::path& path);
std::unique_ptr<RandomAccessFile> memoryFile(std::vector<std::byte> bytes);

// A regular file named `spec`, or else the first one in its folder (sorted by name)
// whose name equals the wanted one ignoring ASCII case.
std::optional<std::filesystem::path> findExisting(const std::string& spec);

// Keeps the last bytes read from a file so that consecutive small reads (index entries,
// records in order) cost one system call per window instead of one each.
class ReadWindow {
public:
    // Bytes [offset, offset + length) of the file, or fewer where the file ends. fileEnd,
    // the size the caller knows, keeps the window of a small file small. The span stays
    // valid until the next call or invalidate().
    std::span<const std::byte> read(RandomAccessFile& file, std::int64_t offset, std::size_t length,
                                    std::int64_t fileEnd);
    void invalidate() noexcept { filled_ = 0; }

private:
    static constexpr std::size_t kWindow = 64 * 1024;

    std::vector<std::byte> buffer_;
    std::int64_t start_ = 0;
    std::size_t filled_ = 0;
};

}  // namespace shapefile::detail
