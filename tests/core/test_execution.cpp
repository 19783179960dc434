// Process runner: waiting with a live user interface but no user input, exit codes,
// time-outs, start failures, output files, arguments and environment.
#include "Execution.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>

namespace sotrix {
namespace {

using Status = RunResult::Status;

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& data) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
}

class PaintCounter : public QWidget {
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent*) override { ++paints; }
};

// A click and a space key on the button, as the user would make them.
void userClicks(QPushButton& button) {
    const QPointF at(5, 5);
    QMouseEvent press(QEvent::MouseButtonPress, at, button.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, button.mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(&button, &press);
    QApplication::sendEvent(&button, &release);
    QKeyEvent keyPress(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QKeyEvent keyRelease(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QApplication::sendEvent(&button, &keyPress);
    QApplication::sendEvent(&button, &keyRelease);
}

// Text typed through an input method (compose keys, IBus) reaches the field as a commit.
void userTypes(QLineEdit& field, const QString& text) {
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(&field, &commit);
}

// The window manager's close: the native window passes a spontaneous close to its widget.
void userCloses(QWidget& window) {
    QCloseEvent close;
    QApplication::sendEvent(window.windowHandle(), &close);
}

TEST(Execution, WaitsWithLiveInterfaceAndNoUserInput) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());

    PaintCounter canvas;
    canvas.resize(50, 50);
    canvas.show();
    QPushButton button(QStringLiteral("OK"));
    button.resize(80, 30);
    button.show();
    QWidget closedByProgram;
    closedByProgram.show();
    QWidget closedByUser;
    closedByUser.show();
    QLineEdit field;
    field.show();
    QElapsedTimer shown;
    shown.start();
    while (canvas.paints == 0 && shown.elapsed() < 5000) QApplication::processEvents();
    button.setFocus();

    int clicks = 0;
    QObject::connect(&button, &QPushButton::clicked, [&clicks] { ++clicks; });
    userClicks(button);  // the synthetic input does click outside a wait
    ASSERT_EQ(clicks, 2);
    clicks = 0;

    int ticks = 0;
    int paintsBefore = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        if (++ticks == 3) {
            paintsBefore = canvas.paints;
            canvas.update();
            userClicks(button);
            userTypes(field, QStringLiteral("x"));
            closedByProgram.close();
            userCloses(closedByUser);
        }
    });
    ticker.start(50);

    const QString flag = QDir(dir.path()).filePath(QStringLiteral("f"));
    const RunResult r = executeEtAttend(
        QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("sleep 1; echo x > f")}, 10000, {}, {}, dir.path());
    const int ticksDuringWait = ticks;
    const int paintsDuringWait = canvas.paints - paintsBefore;
    ticker.stop();

    EXPECT_EQ(r.status, Status::Finished);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(QFile::exists(flag));
    EXPECT_GE(ticksDuringWait, 10);
    EXPECT_GT(paintsDuringWait, 0);
    EXPECT_FALSE(closedByProgram.isVisible());
    EXPECT_TRUE(closedByUser.isVisible());

    QApplication::processEvents();
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(field.text(), QString());
    EXPECT_TRUE(button.isVisible());
    EXPECT_TRUE(closedByUser.isVisible());
    userClicks(button);  // input flows again once the run is over
    EXPECT_EQ(clicks, 2);
    userTypes(field, QStringLiteral("y"));
    EXPECT_EQ(field.text(), QStringLiteral("y"));
    userCloses(closedByUser);
    EXPECT_FALSE(closedByUser.isVisible());
}

TEST(Execution, ExitCodesAndCrashes) {
    QElapsedTimer t;
    t.start();
    RunResult r = executeEtAttend(QStringLiteral("true"), {}, 10000);
    EXPECT_LT(t.elapsed(), 1000);
    EXPECT_EQ(r.status, Status::Finished);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_FALSE(r.crashed);

    r = executeEtAttend(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("exit 3")}, 10000);
    EXPECT_EQ(r.status, Status::Finished);
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_FALSE(r.crashed);

    r = executeEtAttend(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("kill -9 $$")}, 10000);
    EXPECT_EQ(r.status, Status::Finished);
    EXPECT_TRUE(r.crashed);
}

// Runs a child that writes its pid to a file, with a 300 ms time-out; returns the pid.
pid_t runTooLong(const QString& script, qint64 maxMs) {
    QTemporaryDir dir;
    EXPECT_TRUE(dir.isValid());
    QElapsedTimer t;
    t.start();
    const RunResult r = executeEtAttend(QStringLiteral("sh"), {QStringLiteral("-c"), script}, 300, {}, {}, dir.path());
    EXPECT_EQ(r.status, Status::TimedOut);
    EXPECT_GE(t.elapsed(), 290);
    EXPECT_LT(t.elapsed(), maxMs);
    bool ok = false;
    const pid_t pid = readAll(QDir(dir.path()).filePath(QStringLiteral("pid"))).trimmed().toInt(&ok);
    EXPECT_TRUE(ok);
    return pid;
}

TEST(Execution, ChildOutlivingItsTimeOutIsStopped) {
    pid_t pid = runTooLong(QStringLiteral("echo $$ > pid; exec sleep 30"), 3000);
    ASSERT_GT(pid, 0);
    EXPECT_EQ(::kill(pid, 0), -1);
    EXPECT_EQ(errno, ESRCH);

    // One that ignores the request to terminate is killed after the grace period.
    pid = runTooLong(QStringLiteral("trap '' TERM; echo $$ > pid; while :; do sleep 0.1; done"), 6000);
    ASSERT_GT(pid, 0);
    EXPECT_EQ(::kill(pid, 0), -1);
    EXPECT_EQ(errno, ESRCH);
}

TEST(Execution, WindowsKeepPaintingWhileAStubbornChildIsStopped) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    PaintCounter canvas;
    canvas.resize(50, 50);
    canvas.show();
    QElapsedTimer clock;
    clock.start();
    while (canvas.paints == 0 && clock.elapsed() < 5000) QApplication::processEvents();

    // After the 300 ms time-out, a child that ignores the request to terminate has 2 s of
    // grace: the timers fire and the window repaints all along.
    int ticksAfterTimeOut = 0;
    int paintsAfterTimeOut = 0;
    int paintsAtTimeOut = -1;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    clock.restart();
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        if (clock.elapsed() < 400) return;
        if (paintsAtTimeOut < 0) paintsAtTimeOut = canvas.paints;
        ++ticksAfterTimeOut;
        canvas.update();
        paintsAfterTimeOut = canvas.paints - paintsAtTimeOut;
    });
    ticker.start(50);
    const RunResult r = executeEtAttend(
        QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("trap '' TERM; while :; do sleep 0.1; done")}, 300,
        {}, {}, dir.path());
    const qint64 took = clock.elapsed();
    ticker.stop();
    EXPECT_EQ(r.status, Status::TimedOut);
    EXPECT_GE(took, 2200);
    EXPECT_GE(ticksAfterTimeOut, 20);
    EXPECT_GE(paintsAfterTimeOut, 10);
}

TEST(Execution, StartFailuresAreReturnedAtOnce) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QElapsedTimer t;
    t.start();
    RunResult r = executeEtAttend(QStringLiteral("no-such-program"), {}, 10000);
    EXPECT_LT(t.elapsed(), 1000);
    EXPECT_EQ(r.status, Status::FailedToStart);
    EXPECT_FALSE(r.errorText.isEmpty());

    r = executeEtAttend(QStringLiteral("true"), {}, 10000,
                        QDir(dir.path()).filePath(QStringLiteral("no/such/folder/out.log")));
    EXPECT_EQ(r.status, Status::FailedToStart);
}

TEST(Execution, OutputFilesAndVerbatimArguments) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString out = QDir(dir.path()).filePath(QStringLiteral("out.log"));
    const QString err = QDir(dir.path()).filePath(QStringLiteral("error.log"));
    writeFile(out, "earlier content, longer than the new one\n");
    writeFile(err, "earlier content, longer than the new one\n");

    RunResult r = executeEtAttend(QStringLiteral("sh"),
                                  {QStringLiteral("-c"), QStringLiteral("echo out; echo err >&2")}, 10000, out, err);
    EXPECT_EQ(r.status, Status::Finished);
    EXPECT_EQ(readAll(out), QByteArray("out\n"));
    EXPECT_EQ(readAll(err), QByteArray("err\n"));

    const QStringList args{QStringLiteral("L'église d'Arlon"), QStringLiteral("a b"), QStringLiteral("$HOME"),
                           QStringLiteral(";"), QStringLiteral("\"x\"")};
    r = executeEtAttend(QStringLiteral("printf"), QStringList{QStringLiteral("%s\\n")} + args, 10000, out);
    EXPECT_EQ(r.status, Status::Finished);
    EXPECT_EQ(QString::fromUtf8(readAll(out)), args.join(QLatin1Char('\n')) + QLatin1Char('\n'));
}

TEST(Execution, ChildInheritsTheEnvironment) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString out = QDir(dir.path()).filePath(QStringLiteral("env.txt"));
    const QByteArray saved = qgetenv("PROJ_DATA");
    const bool had = qEnvironmentVariableIsSet("PROJ_DATA");
    qputenv("PROJ_DATA", "/opt/sotrix test/proj");
    const RunResult r = executeEtAttend(QStringLiteral("sh"),
                                        {QStringLiteral("-c"), QStringLiteral("echo \"$PROJ_DATA\"")}, 10000, out);
    if (had)
        qputenv("PROJ_DATA", saved);
    else
        qunsetenv("PROJ_DATA");
    EXPECT_EQ(r.status, Status::Finished);
    EXPECT_EQ(readAll(out), QByteArray("/opt/sotrix test/proj\n"));
}

}  // namespace
}  // namespace sotrix
