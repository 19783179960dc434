// Hostile pairs, built on disk: records whose counts claim far more than the file holds
// or than its bytes can carry, index entries with impossible lengths, a header claiming
// millions of records. Each is opened and read record by record in a child process, as
// the import reads a file; each must end in a numbered error while the child's memory
// grows by less than 50 MB.
#include "ShapeTestSupport.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>

#include <sys/wait.h>
#include <unistd.h>

using namespace shapefile;
using namespace shapefile::test;

namespace {

constexpr long kBudgetKiB = 50 * 1024;

// What a child saw: the first error out of item() (0: none), the count, the memory growth.
struct Outcome {
    int code = -1;
    std::int32_t count = -1;
    long growthKiB = -1;
};

long statusKiB(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(in, line))
        if (line.rfind(prefix, 0) == 0) return std::stol(line.substr(prefix.size()));
    return -1;
}

// Opens the pair and reads records 1 to count() + 1 in a child process, stopping at the
// first error. The growth is the child's peak resident size above its size at the start.
Outcome readInChild(const std::string& shpPath) {
    int fds[2];
    if (::pipe(fds) != 0) return {};
    const pid_t child = ::fork();
    if (child < 0) return {};
    if (child == 0) {
        ::close(fds[0]);
        const long start = statusKiB("VmRSS");
        Outcome out;
        out.code = 0;
        try {
            CShapeFile f;
            f.setFileSpec(fileName(shpPath), CShapeFile::Status::Open);
            out.count = f.count();
            for (std::int64_t i = 1; i <= std::int64_t(f.count()) + 1; ++i) f.item(std::int32_t(i));
        } catch (const ShapeError& e) {
            out.code = codeOf(e);
        } catch (...) {
            out.code = -2;
        }
        out.growthKiB = statusKiB("VmHWM") - start;
        const bool sent = ::write(fds[1], &out, sizeof out) == ssize_t(sizeof out);
        ::_exit(sent ? 0 : 1);
    }
    ::close(fds[1]);
    Outcome in;
    const bool received = ::read(fds[0], &in, sizeof in) == ssize_t(sizeof in);
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!received || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};
    return in;
}

void writePair(const std::string& base, const Pair& p) {
    writeBytes(base + ".shp", p.shp);
    writeBytes(base + ".shx", p.shx);
}

// One PolyLine record of `parts` parts and no point: 44 + 4 x parts bytes of contents,
// every start 0. Written in pieces, so that the test holds none of it in memory.
void writeEmptyParts(const std::string& base, std::int32_t parts) {
    const std::int64_t contentBytes = 44 + 4 * std::int64_t(parts);
    const auto mainWords = std::int32_t((100 + 8 + contentBytes) / 2);
    Bytes head = header(mainWords, 3);
    putBE32(head, 1);
    putBE32(head, std::int32_t(contentBytes / 2));
    putLE32(head, 3);
    for (int i = 0; i < 4; ++i) putLEDouble(head, 0);
    putLE32(head, parts);
    putLE32(head, 0);
    std::ofstream shp(base + ".shp", std::ios::binary | std::ios::trunc);
    shp.write(reinterpret_cast<const char*>(head.data()), std::streamsize(head.size()));
    const std::vector<char> zeros(std::size_t(1) << 20, 0);
    for (std::int64_t left = 4 * std::int64_t(parts); left > 0; left -= std::int64_t(zeros.size()))
        shp.write(zeros.data(), std::streamsize(std::min<std::int64_t>(left, std::int64_t(zeros.size()))));
    Bytes shx = header(54, 3);
    putBE32(shx, 50);
    putBE32(shx, std::int32_t(contentBytes / 2));
    writeBytes(base + ".shx", shx);
}

Pair threePoints() { return makePair(1, {pointContents(1, 2), pointContents(3, 4), pointContents(5, 6)}); }

}  // namespace

TEST(HostileFiles, EachGivesANumberedErrorInBoundedMemory) {
    TempFolder dir;
    struct Case {
        const char* name;
        std::function<void(const std::string& base)> build;
        int code;
        std::int32_t count;
    };
    const Case cases[] = {
        {"ten million empty parts in 40 MB", [](const std::string& b) { writeEmptyParts(b, 10000000); },
         int(LibraryError::InvalidRecord), 1},
        {"negative length in the index",
         [](const std::string& b) {
             Pair p = threePoints();
             setBE32(p.shx, 112, -5);
             writePair(b, p);
         },
         int(LibraryError::InvalidRecord), 3},
        {"oversized length in the index",
         [](const std::string& b) {
             Pair p = threePoints();
             setBE32(p.shx, 112, 0x7ffffff0);
             writePair(b, p);
         },
         int(LibraryError::UnexpectedEndOfFile), 3},
        {"header claiming 100 million records over three",
         [](const std::string& b) {
             Pair p = threePoints();
             setBE32(p.shx, 24, 50 + 4 * 100000000);
             writePair(b, p);
         },
         int(LibraryError::NoSuchRecord), 3},
        {"part count larger than the record",
         [](const std::string& b) {
             Pair p = makePair(3, {polyContents(3, {0}, {{0, 0}, {1, 1}})});
             setLE32(p.shp, 100 + 8 + 36, 0x20000000);
             writePair(b, p);
         },
         int(LibraryError::InvalidRecord), 1},
        {"point count larger than the record",
         [](const std::string& b) {
             Pair p = makePair(5, {polyContents(5, {0}, {{0, 0}, {1, 1}, {0, 0}})});
             setLE32(p.shp, 100 + 8 + 40, 0x7ffffff0);
             writePair(b, p);
         },
         int(LibraryError::InvalidRecord), 1},
        {"multipoint count larger than the record",
         [](const std::string& b) {
             Pair p = makePair(8, {multiPointContents({{0, 0}})});
             setLE32(p.shp, 100 + 8 + 36, 0x10000000);
             writePair(b, p);
         },
         int(LibraryError::InvalidRecord), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string base = dir.file("hostile");
        c.build(base);
        const Outcome o = readInChild(base + ".shp");
        EXPECT_EQ(o.code, c.code);
        EXPECT_EQ(o.count, c.count);
        EXPECT_GE(o.growthKiB, 0);
        EXPECT_LT(o.growthKiB, kBudgetKiB);
        std::printf("  %-48s error %d, memory growth %ld KiB\n", c.name, o.code, o.growthKiB);
    }
}
