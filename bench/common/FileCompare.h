#pragma once
// Byte-for-byte comparison of two files, for benchmarks that check our output against an
// outside tool's.

#include <QString>

#include <vector>

namespace sotrix::bench {

struct FileDifference {
    qint64 sizeA = -1, sizeB = -1;  // -1 when the file cannot be read
    qint64 differing = 0;           // bytes that differ over the length both have
    std::vector<qint64> first;      // offsets of the first of them (a few)
    bool same() const { return sizeA >= 0 && sizeA == sizeB && differing == 0; }
};

FileDifference compareFiles(const QString& a, const QString& b);

}  // namespace sotrix::bench
