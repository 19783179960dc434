#pragma once
// Every question and message the program puts to the user goes through one Prompter:
// the Qt one on screen, a scripted one in tests.

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

namespace sotrix {

enum class Icon { None, Information, Question, Exclamation, Critical };
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class Answer { Ok, Cancel, Yes, No, Retry };

// An open or save dialog, index from 1. Each filter is a caption shown as written that
// names its patterns in its last parenthesised group ("GPX (*.gpx)", "Tous les fichiers
// (*.tif, *.jpg)"); a caption without one ("Vectoriel") takes every file.
struct FileRequest {
    QString title;
    QStringList filters;
    int filterIndex = 1;
    QString folder;
    QString fileName;
    bool multiple = false;
};

struct FileChoice {
    QStringList files;
    int filterIndex = 1;
};

class Prompter {
public:
    virtual ~Prompter() = default;
    // A message box titled "Sotrix"; text lines are separated by "\n".
    virtual Answer message(const QString& text, Icon icon = Icon::None, Buttons buttons = Buttons::Ok,
                           Answer defaultButton = Answer::Ok) = 0;
    // A Yes/No question box; answers Yes or No, and only an answer ends it.
    Answer ask(const QString& text, Answer defaultButton = Answer::Yes) {
        return message(text, Icon::Question, Buttons::YesNo, defaultButton);
    }
    // An input box; nullopt when cancelled.
    virtual std::optional<QString> input(const QString& text, const QString& title,
                                         const QString& defaultText = {}) = 0;
    virtual std::optional<FileChoice> openFile(const FileRequest& request) = 0;
    virtual std::optional<FileChoice> saveFile(const FileRequest& request) = 0;
    virtual std::optional<QString> chooseFolder(const QString& title, const QString& start) = 0;
    // Colours are 0x00BBGGRR.
    virtual std::optional<qint32> chooseColor(qint32 initial) = 0;
    virtual bool openUrl(const QString& url) = 0;
};

// The on-screen Prompter; dialogs are parented to the active window.
class QtPrompter final : public Prompter {
public:
    Answer message(const QString& text, Icon icon, Buttons buttons, Answer defaultButton) override;
    std::optional<QString> input(const QString& text, const QString& title, const QString& defaultText) override;
    std::optional<FileChoice> openFile(const FileRequest& request) override;
    std::optional<FileChoice> saveFile(const FileRequest& request) override;
    std::optional<QString> chooseFolder(const QString& title, const QString& start) override;
    std::optional<qint32> chooseColor(qint32 initial) override;
    bool openUrl(const QString& url) override;
};

}  // namespace sotrix
