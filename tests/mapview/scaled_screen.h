#pragma once
// Tests at a screen scale (QT_SCALE_FACTOR), which Qt reads once per process: a test runs
// its rows at this process's scale, and from the unscaled process starts itself again at
// each other scale its table holds.
#include <QCoreApplication>
#include <QProcess>
#include <QString>

#include <gtest/gtest.h>

namespace sotrix::test {

// The scale factor this process runs at.
inline double echelleEcran() {
    bool ok = false;
    const double s = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&ok);
    return ok ? s : 1.0;
}

// Runs the current test again in a process at scale, and fails when that run fails. With
// a window manager, the process runs on a real X server of its own (Xvfb, on a free
// display) under openbox, which places and sizes windows as a desktop does.
inline void lanceAEchelle(double scale, bool gestionnaireFenetres = false) {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::number(scale));
    QStringList args{QCoreApplication::applicationFilePath(),
                     QStringLiteral("--gtest_filter=%1.%2")
                         .arg(QString::fromUtf8(test->test_suite_name()), QString::fromUtf8(test->name()))};
    if (gestionnaireFenetres) {
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        // The test starts once openbox has taken the screen. Its displays are counted from
        // 300: two xvfb-run -a started at once from the same number may take the same one.
        args = QStringList{QStringLiteral("-a"), QStringLiteral("-n"), QStringLiteral("300"), QStringLiteral("-s"),
                           QStringLiteral("-screen 0 1600x1200x24"),
                           QStringLiteral("sh"), QStringLiteral("-c"),
                           QStringLiteral("openbox >/dev/null 2>&1 & wm=$!; i=0; "
                                          "until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window; "
                                          "do i=$((i+1)); [ $i -gt 400 ] && break; sleep 0.05; done; "
                                          "\"$@\"; rc=$?; kill $wm; exit $rc"),
                           QStringLiteral("sh")} +
               args;
    }
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    const QString program = gestionnaireFenetres ? QStringLiteral("xvfb-run") : args.takeFirst();
    child.start(program, args);
    const bool finished = child.waitForFinished(240000);
    const QByteArray output = child.readAll();
    EXPECT_TRUE(finished && child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0 &&
                output.contains("[  PASSED  ] 1 test"))
        << "at scale " << scale << ":\n"
        << output.toStdString();
}

}  // namespace sotrix::test
