#pragma once
// This process's memory as the kernel accounts it: its peak resident size so far, and its
// resident size now (to tell what a piece of work added to what the program held).

#include <QFile>
#include <QList>

#include <sys/resource.h>
#include <unistd.h>

namespace sotrix::bench {

inline double peakMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

inline double residentMiB() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) return 0;
    const QList<QByteArray> f = statm.readAll().split(' ');
    return f.size() > 1 ? f[1].toDouble() * double(getpagesize()) / (1024.0 * 1024.0) : 0;
}

}  // namespace sotrix::bench
