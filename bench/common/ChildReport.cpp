#include "ChildReport.h"

#include "ProcessRun.h"

#include <QCoreApplication>

#include <sys/resource.h>

#include <cstdio>

namespace sotrix::bench {

namespace {

constexpr char kTag[] = "child-report ";

}  // namespace

void reportWork(double seconds) {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%s%.6f %ld\n", kTag, seconds, usage.ru_maxrss);
    std::fflush(stdout);
}

std::optional<ChildRun> runSelf(const QStringList& args) {
    const ProcessRun run = runProcess(QCoreApplication::applicationFilePath(), args);
    const qsizetype at = run.output.lastIndexOf(kTag);
    if (!run.ok || at < 0) return std::nullopt;
    const QList<QByteArray> fields = run.output.mid(at + qsizetype(sizeof kTag) - 1).trimmed().split(' ');
    bool okWork = false, okPeak = false;
    const double work = fields.value(0).toDouble(&okWork);
    const double peakKiB = fields.value(1).toDouble(&okPeak);
    if (!okWork || !okPeak) return std::nullopt;
    return ChildRun{run.seconds, work, peakKiB / 1024.0};
}

}  // namespace sotrix::bench
