#include "FileCompare.h"

#include <QFile>

#include <algorithm>

namespace sotrix::bench {

namespace {

constexpr std::size_t kOffsetsKept = 8;
constexpr qint64 kBlock = 1 << 20;

}  // namespace

FileDifference compareFiles(const QString& a, const QString& b) {
    FileDifference d;
    QFile fa(a), fb(b);
    if (fa.open(QIODevice::ReadOnly)) d.sizeA = fa.size();
    if (fb.open(QIODevice::ReadOnly)) d.sizeB = fb.size();
    if (d.sizeA < 0 || d.sizeB < 0) return d;
    for (qint64 at = 0;;) {
        const QByteArray ba = fa.read(kBlock), bb = fb.read(kBlock);
        const qsizetype n = std::min(ba.size(), bb.size());
        if (n == 0) break;
        for (qsizetype i = 0; i < n; ++i) {
            if (ba[i] == bb[i]) continue;
            ++d.differing;
            if (d.first.size() < kOffsetsKept) d.first.push_back(at + i);
        }
        at += n;
    }
    return d;
}

}  // namespace sotrix::bench
