#pragma once
// Runs an outside program and waits for its end, keeping the user interface alive.
//
// - The program is found on PATH unless given with a path; the arguments reach it byte
//   for byte (no shell, no quoting), and it inherits the program's environment.
// - Standard output and standard error go to the named files (created or truncated), or
//   are discarded when no file is named.
// - While waiting, events are processed (repaints, timers, sockets), but the user's input
//   (mouse buttons, wheel, keys, input-method text, shortcuts, context menus, touch,
//   tablet, closing a window) is swallowed, so that nothing the user does during the run
//   acts during or after it.
//   Callers that must not be re-entered still disable their window.
// - A child still running after timeoutMs is asked to terminate, then killed after 2 s;
//   events are processed as above while it is stopped.
//   What it wrote so far stays in the files.
// Never throws for a failed run: the outcome is in the result.

#include <QString>
#include <QStringList>

namespace sotrix {

struct RunResult {
    enum class Status {
        Finished,       // the program ran to its end (exitCode, crashed)
        FailedToStart,  // not found, not executable, output file not writable...
        TimedOut        // stopped after the time-out
    };
    Status status = Status::FailedToStart;
    int exitCode = -1;
    bool crashed = false;  // ended by a signal
    QString errorText;     // Qt's description when it did not finish

    bool finished() const { return status == Status::Finished; }
};

RunResult executeEtAttend(const QString& program, const QStringList& args, int timeoutMs,
                          const QString& stdoutFile = {}, const QString& stderrFile = {}, const QString& workDir = {});

}  // namespace sotrix
