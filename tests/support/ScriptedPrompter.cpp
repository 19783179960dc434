#include "ScriptedPrompter.h"

#include <gtest/gtest.h>

namespace sotrix::test {

ScriptedPrompter::~ScriptedPrompter() {
    EXPECT_TRUE(queue_.empty()) << queue_.size() << " answer(s) left unused in the scripted prompter";
}

void ScriptedPrompter::answer(Answer a) {
    queue_.push_back(std::make_unique<Reply>(Reply{PromptKind::Message, a, {}, {}, {}}));
}
void ScriptedPrompter::answerInput(std::optional<QString> text) {
    queue_.push_back(std::make_unique<Reply>(Reply{PromptKind::Input, Answer::Ok, std::move(text), {}, {}}));
}
void ScriptedPrompter::answerOpen(std::optional<FileChoice> files) {
    queue_.push_back(std::make_unique<Reply>(Reply{PromptKind::OpenFile, Answer::Ok, {}, std::move(files), {}}));
}
void ScriptedPrompter::answerSave(std::optional<FileChoice> files) {
    queue_.push_back(std::make_unique<Reply>(Reply{PromptKind::SaveFile, Answer::Ok, {}, std::move(files), {}}));
}
void ScriptedPrompter::answerFolder(std::optional<QString> folder) {
    queue_.push_back(std::make_unique<Reply>(Reply{PromptKind::ChooseFolder, Answer::Ok, std::move(folder), {}, {}}));
}
void ScriptedPrompter::answerColor(std::optional<qint32> colour) {
    queue_.push_back(std::make_unique<Reply>(Reply{PromptKind::ChooseColor, Answer::Ok, {}, {}, colour}));
}

QStringList ScriptedPrompter::texts() const {
    QStringList out;
    for (const auto& p : prompts_) out << p.text;
    return out;
}

std::unique_ptr<Reply> ScriptedPrompter::take(PromptKind kind, const QString& what) {
    if (queue_.empty() || queue_.front()->kind != kind) {
        ADD_FAILURE() << "unexpected prompt: " << what.toStdString();
        return nullptr;
    }
    std::unique_ptr<Reply> r = std::move(queue_.front());
    queue_.pop_front();
    return r;
}

Answer ScriptedPrompter::message(const QString& text, Icon icon, Buttons buttons, Answer defaultButton) {
    prompts_.push_back({PromptKind::Message, icon, buttons, defaultButton, QStringLiteral("Sotrix"), text, {}});
    if (onMessage) onMessage(prompts_.back());
    if (buttons == Buttons::Ok && (queue_.empty() || queue_.front()->kind != PromptKind::Message)) return Answer::Ok;
    auto r = take(PromptKind::Message, text);
    if (!r) return buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel ? Answer::No : Answer::Cancel;
    return r->answer;
}

std::optional<QString> ScriptedPrompter::input(const QString& text, const QString& title, const QString& defaultText) {
    Prompt p{PromptKind::Input, Icon::None, Buttons::OkCancel, Answer::Ok, title, text, {}};
    p.file.fileName = defaultText;
    prompts_.push_back(p);
    auto r = take(PromptKind::Input, text);
    return r ? r->text : std::nullopt;
}

// A file dialog gives back a position among its own filters.
std::optional<FileChoice> ScriptedPrompter::fileChoice(PromptKind kind, const FileRequest& request) {
    const bool save = kind == PromptKind::SaveFile;
    prompts_.push_back({kind, Icon::None, Buttons::OkCancel, Answer::Ok, request.title, {}, request});
    auto r = take(kind, save ? QStringLiteral("save file") : QStringLiteral("open file"));
    if (!r || !r->files) return std::nullopt;
    if (!request.filters.isEmpty() && (r->files->filterIndex < 1 || r->files->filterIndex > request.filters.size()))
        ADD_FAILURE() << "filter position " << r->files->filterIndex << " outside the " << request.filters.size()
                      << " filters of " << request.title.toStdString();
    return r->files;
}

std::optional<FileChoice> ScriptedPrompter::openFile(const FileRequest& request) {
    return fileChoice(PromptKind::OpenFile, request);
}

std::optional<FileChoice> ScriptedPrompter::saveFile(const FileRequest& request) {
    return fileChoice(PromptKind::SaveFile, request);
}

std::optional<QString> ScriptedPrompter::chooseFolder(const QString& title, const QString& start) {
    Prompt p{PromptKind::ChooseFolder, Icon::None, Buttons::OkCancel, Answer::Ok, title, {}, {}};
    p.file.folder = start;
    prompts_.push_back(p);
    auto r = take(PromptKind::ChooseFolder, QStringLiteral("choose folder"));
    return r ? r->text : std::nullopt;
}

std::optional<qint32> ScriptedPrompter::chooseColor(qint32 initial) {
    prompts_.push_back({PromptKind::ChooseColor, Icon::None, Buttons::OkCancel, Answer::Ok, {},
                        QString::number(initial), {}});
    auto r = take(PromptKind::ChooseColor, QStringLiteral("choose colour"));
    return r ? r->color : std::nullopt;
}

bool ScriptedPrompter::openUrl(const QString& url) {
    prompts_.push_back({PromptKind::OpenUrl, Icon::None, Buttons::Ok, Answer::Ok, {}, url, {}});
    return true;
}

}  // namespace sotrix::test
