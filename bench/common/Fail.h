#pragma once
// Ends a benchmark that cannot go on, saying why (after the program's name).

#include <QCoreApplication>
#include <QFileInfo>
#include <QString>

#include <cstdio>
#include <cstdlib>

namespace sotrix::bench {

[[noreturn]] inline void fail(const QString& why) {
    const QString program = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    std::fprintf(stderr, "%s: %s\n", qPrintable(program.isEmpty() ? QStringLiteral("bench") : program),
                 qPrintable(why));
    std::exit(1);
}

}  // namespace sotrix::bench
