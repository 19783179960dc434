#pragma once
// A Prompter for tests: records every prompt and answers from a queue. A prompt of
// another kind than the next queued answer, or with none queued, fails the test.

#include "Prompter.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace sotrix::test {

enum class PromptKind { Message, Input, OpenFile, SaveFile, ChooseFolder, ChooseColor, OpenUrl };

struct Prompt {
    PromptKind kind;
    Icon icon = Icon::None;
    Buttons buttons = Buttons::Ok;
    Answer defaultButton = Answer::Ok;
    QString title;
    QString text;
    FileRequest file;
};

struct Reply {
    PromptKind kind;
    Answer answer = Answer::Ok;
    std::optional<QString> text;  // input, folder, url; nullopt cancels
    std::optional<FileChoice> files;
    std::optional<qint32> color;
};

class ScriptedPrompter final : public Prompter {
public:
    ~ScriptedPrompter() override;

    // Queue answers.
    void answer(Answer a);
    void answerInput(std::optional<QString> text);
    void answerOpen(std::optional<FileChoice> files);
    void answerSave(std::optional<FileChoice> files);
    void answerFolder(std::optional<QString> folder);
    void answerColor(std::optional<qint32> colour);

    // Message boxes need no queued answer when they offer only OK.
    const std::vector<Prompt>& prompts() const { return prompts_; }
    // Called with each message box as it shows, before it is answered.
    std::function<void(const Prompt&)> onMessage;
    QStringList texts() const;
    void clear() { prompts_.clear(); }

    Answer message(const QString& text, Icon icon, Buttons buttons, Answer defaultButton) override;
    std::optional<QString> input(const QString& text, const QString& title, const QString& defaultText) override;
    std::optional<FileChoice> openFile(const FileRequest& request) override;
    std::optional<FileChoice> saveFile(const FileRequest& request) override;
    std::optional<QString> chooseFolder(const QString& title, const QString& start) override;
    std::optional<qint32> chooseColor(qint32 initial) override;
    bool openUrl(const QString& url) override;

private:
    std::unique_ptr<Reply> take(PromptKind kind, const QString& what);
    std::optional<FileChoice> fileChoice(PromptKind kind, const FileRequest& request);
    std::deque<std::unique_ptr<Reply>> queue_;
    std::vector<Prompt> prompts_;
};

}  // namespace sotrix::test
