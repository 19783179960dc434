#include "Execution.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>

namespace sotrix {
namespace {

// Swallows the user's input for the whole program while it exists. Excluding user input
// from the event loop alone would not do: Qt keeps such events and delivers them once the
// wait is over, so a click made during a run would act after it.
class InputBlocker final : public QObject {
public:
    InputBlocker() {
        if (QCoreApplication* app = QCoreApplication::instance()) {
            app->installEventFilter(this);
            app_ = app;
        }
    }
    ~InputBlocker() override {
        if (app_) app_->removeEventFilter(this);
    }
    InputBlocker(const InputBlocker&) = delete;
    InputBlocker& operator=(const InputBlocker&) = delete;

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TouchCancel:
        case QEvent::TabletPress:
        case QEvent::TabletMove:
        case QEvent::TabletRelease:
        case QEvent::InputMethod:  // text typed through an input method (IBus, compose keys)
            return true;
        case QEvent::Close:
            // A window closed by the user stays open: its widget receives a spontaneous
            // close event, which is refused. The program's own closes reach the widget as
            // ordinary events and go through (the event to the native window is
            // spontaneous in both cases and is left alone).
            if (!event->spontaneous() || !receiver->isWidgetType()) return false;
            event->ignore();
            return true;
        default:
            return false;
        }
    }

private:
    QCoreApplication* app_ = nullptr;
};

constexpr int kGraceMs = 2000;

// Waits for the end of a started child, processing events; false on time-out.
bool waitWithEvents(QProcess& process, int timeoutMs) {
    if (!QCoreApplication::instance()) return process.waitForFinished(timeoutMs);
    InputBlocker blocker;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, [&loop](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) loop.quit();
    });
    timer.start(timeoutMs);
    // Events are only handled inside exec(), so the end cannot have been signalled yet.
    loop.exec();
    return process.state() == QProcess::NotRunning;
}

}  // namespace

RunResult executeEtAttend(const QString& program, const QStringList& args, int timeoutMs, const QString& stdoutFile,
                          const QString& stderrFile, const QString& workDir) {
    RunResult result;
    QProcess process;
    process.setProgram(program);
    process.setArguments(args);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(stdoutFile.isEmpty() ? QProcess::nullDevice() : stdoutFile);
    process.setStandardErrorFile(stderrFile.isEmpty() ? QProcess::nullDevice() : stderrFile);
    if (!workDir.isEmpty()) process.setWorkingDirectory(workDir);

    process.start();
    if (!process.waitForStarted(-1)) {
        result.status = RunResult::Status::FailedToStart;
        result.errorText = process.errorString();
        return result;
    }

    if (!waitWithEvents(process, timeoutMs)) {
        // The windows keep painting while the child is stopped, as during its run.
        process.terminate();
        if (!waitWithEvents(process, kGraceMs)) {
            process.kill();
            if (!waitWithEvents(process, kGraceMs)) process.waitForFinished(-1);
        }
        result.status = RunResult::Status::TimedOut;
        result.errorText = QStringLiteral("time-out after %1 ms").arg(timeoutMs);
        return result;
    }

    result.status = RunResult::Status::Finished;
    result.exitCode = process.exitCode();
    result.crashed = process.exitStatus() == QProcess::CrashExit;
    return result;
}

}  // namespace sotrix
