#pragma once
// How a benchmark that runs itself as a child (one import, one export ...) learns what the
// child measured: the child times its own work and prints that time with its peak
// resident size (getrusage(RUSAGE_SELF)) as its last line of standard output.

#include <QByteArray>
#include <QStringList>

#include <optional>

namespace sotrix::bench {

struct ChildRun {
    double seconds = 0;      // wall time of the child, process start and exit included
    double workSeconds = 0;  // the part the child timed itself
    double peakMiB = 0;      // the child's peak, as it read it itself
};

// In the child, once its work is done.
void reportWork(double seconds);

// In the parent: runs this program with args; nullopt when the child failed or did not report.
std::optional<ChildRun> runSelf(const QStringList& args);

}  // namespace sotrix::bench
