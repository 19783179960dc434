#include "ProcessRun.h"

#include "Stopwatch.h"

#include <QFile>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace sotrix::bench {

namespace {

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    void reset() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
};

// Reads the child's standard output to its end; false when the deadline passed first.
bool drain(int fd, QByteArray& out, const Stopwatch& clock, int timeoutSeconds) {
    char buf[65536];
    for (;;) {
        const int left = int((timeoutSeconds - clock.seconds()) * 1000);
        if (left <= 0) return false;
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, left);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return false;
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n > 0)
            out.append(buf, n);
        else if (n == 0 || errno != EINTR)
            return true;
    }
}

}  // namespace

ProcessRun runProcess(const QString& program, const QStringList& args, int timeoutSeconds) {
    // Everything the child needs is made before the fork: after it, only exec.
    std::vector<QByteArray> words{QFile::encodeName(program)};
    for (const QString& a : args) words.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);

    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) return {};
    Fd readEnd(ends[0]), writeEnd(ends[1]);

    ProcessRun run;
    const Stopwatch clock;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(ends[1], STDOUT_FILENO);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    if (pid < 0) return {};
    writeEnd.reset();
    const bool inTime = drain(readEnd.get(), run.output, clock, timeoutSeconds);
    if (!inTime) ::kill(pid, SIGKILL);
    int status = 0;
    rusage usage{};
    while (::wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    run.seconds = clock.seconds();
    run.ok = inTime && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    run.peakMiB = double(usage.ru_maxrss) / 1024.0;
    return run;
}

double measuringFloorMiB() { return runProcess(QStringLiteral("true"), {}).peakMiB; }

}  // namespace sotrix::bench
