#pragma once
// A Prompter for benchmarks: any question or message means the run did not go clean,
// so it prints what was asked and ends the program.

#include "Prompter.h"

#include <cstdio>
#include <cstdlib>

namespace sotrix::bench {

class FailingPrompter final : public Prompter {
public:
    explicit FailingPrompter(const char* program) : program_(program) {}
    Answer message(const QString& text, Icon, Buttons, Answer) override { fail(QStringLiteral("prompt: ") + text); }
    std::optional<QString> input(const QString& text, const QString&, const QString&) override { fail(text); }
    std::optional<FileChoice> openFile(const FileRequest&) override { fail(QStringLiteral("open dialog")); }
    std::optional<FileChoice> saveFile(const FileRequest&) override { fail(QStringLiteral("save dialog")); }
    std::optional<QString> chooseFolder(const QString&, const QString&) override { fail(QStringLiteral("folder")); }
    std::optional<qint32> chooseColor(qint32) override { fail(QStringLiteral("colour")); }
    bool openUrl(const QString&) override { fail(QStringLiteral("url")); }

private:
    [[noreturn]] void fail(const QString& why) {
        std::fprintf(stderr, "%s: %s\n", program_, qPrintable(why));
        std::exit(1);
    }
    const char* program_;
};

}  // namespace sotrix::bench
