#pragma once
// Runs an outside program (or this benchmark again) as one child process and measures it:
// wall time from the start of the process to its exit, and its peak resident size as the
// kernel accounts it for that child alone (the rusage wait4 returns, which is what
// getrusage(RUSAGE_CHILDREN) would give for a single child).
//
// The kernel counts the pages a child holds before exec into its peak, as a floor under
// what the program itself uses. The child is made with fork() rather than QProcess: a
// fork holds only the parent's private pages, while QProcess's start charges the child
// with the parent's whole resident size, shared libraries included. Call it before a
// benchmark's own work fills memory; measuringFloorMiB() tells the floor.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace sotrix::bench {

struct ProcessRun {
    bool ok = false;     // started, ended by itself with exit code 0
    double seconds = 0;  // wall time, process start and exit included
    double peakMiB = 0;  // the child's peak resident size
    QByteArray output;   // what it wrote on standard output (standard error is shared)
};

// program is looked up on PATH; a child still running after timeoutSeconds is killed.
ProcessRun runProcess(const QString& program, const QStringList& args, int timeoutSeconds = 1800);

// The peak charged to a child that does nothing ("true").
double measuringFloorMiB();

}  // namespace sotrix::bench
