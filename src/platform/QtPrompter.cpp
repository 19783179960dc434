#include "Prompter.h"

#include <QApplication>
#include <QCloseEvent>
#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QRegularExpression>
#include <QScreen>
#include <QUrl>

#include <algorithm>

namespace sotrix {

namespace {

const QString kTitle = QStringLiteral("Sotrix");

QMessageBox::StandardButton toQt(Answer a) {
    switch (a) {
    case Answer::Ok: return QMessageBox::Ok;
    case Answer::Cancel: return QMessageBox::Cancel;
    case Answer::Yes: return QMessageBox::Yes;
    case Answer::No: return QMessageBox::No;
    case Answer::Retry: return QMessageBox::Retry;
    }
    return QMessageBox::Ok;
}

Answer fromQt(int b) {
    switch (b) {
    case QMessageBox::Cancel: return Answer::Cancel;
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    case QMessageBox::Retry: return Answer::Retry;
    default: return Answer::Ok;
    }
}

// Qt's name filters for the captions. Captions that Qt reads as they stand ("GPX (*.gpx)")
// are given unchanged. Otherwise each caption gets, in a group of its own, the patterns
// its last parenthesised group names, separated by blanks, commas or semicolons ("*" for a
// caption that names none, such as "Vectoriel"), and the dialog hides that group, so that
// it shows every caption as written.
struct NameFilters {
    QStringList filters;
    bool hideDetails = false;
};

NameFilters nameFilters(const QStringList& captions) {
    static const QRegularExpression lastGroup(QStringLiteral("\\(([^()]*)\\)\\s*$"));
    static const QRegularExpression separators(QStringLiteral("[\\s,;]+"));
    NameFilters out;
    QStringList patterns;
    for (const QString& caption : captions) {
        const QRegularExpressionMatch group = lastGroup.match(caption);
        const QString named = group.hasMatch() ? group.captured(1) : QString();
        const QStringList p = named.split(separators, Qt::SkipEmptyParts);
        if (p.isEmpty() || named.contains(u',') || named.contains(u';')) out.hideDetails = true;
        patterns << (p.isEmpty() ? QStringLiteral("*") : p.join(u' '));
    }
    if (!out.hideDetails) {
        out.filters = captions;
        return out;
    }
    for (qsizetype i = 0; i < captions.size(); ++i)
        out.filters << captions[i] + QStringLiteral(" (") + patterns[i] + u')';
    return out;
}

// A message box. A Yes/No question must be answered: Escape and the close box do
// nothing. Any other box takes them as Cancel when it has Cancel, as OK when OK is its
// only button.
class BoiteMessage final : public QMessageBox {
public:
    BoiteMessage(QWidget* parent, bool imposee) : QMessageBox(parent), imposee_(imposee) {}

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (imposee_ && event->matches(QKeySequence::Cancel)) return;
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override {
        if (imposee_ && !clickedButton()) {
            event->ignore();
            return;
        }
        QMessageBox::closeEvent(event);
    }

private:
    bool imposee_;
};

// The width a dialog needs for its whole title in the title bar: the text as title bars
// write it (bold), and room for the window icon and the title bar buttons. Never more
// than the screen.
int largeurTitre(const QWidget& dialog, const QString& title) {
    QFont bold = dialog.font();
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    const int wanted = metrics.horizontalAdvance(title) + 6 * metrics.height();
    const QScreen* screen = dialog.screen();
    return screen ? std::min(wanted, screen->availableGeometry().width()) : wanted;
}

// Qt's own dialog, the same on every desktop; its name filters ignore the case of
// extensions. A save dialog asks no question of its own: the program asks before it
// replaces a file.
std::optional<FileChoice> fileDialog(const FileRequest& r, QFileDialog::AcceptMode mode) {
    QFileDialog dlg(QApplication::activeWindow(), r.title.isEmpty() ? kTitle : r.title, r.folder);
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setAcceptMode(mode);
    if (mode == QFileDialog::AcceptSave) dlg.setOption(QFileDialog::DontConfirmOverwrite);
    const NameFilters filters = nameFilters(r.filters);
    dlg.setOption(QFileDialog::HideNameFilterDetails, filters.hideDetails);
    dlg.setNameFilters(filters.filters);
    if (r.filterIndex >= 1 && r.filterIndex <= filters.filters.size())
        dlg.selectNameFilter(filters.filters[r.filterIndex - 1]);
    if (mode == QFileDialog::AcceptOpen)
        dlg.setFileMode(r.multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    if (!r.fileName.isEmpty()) dlg.selectFile(r.fileName);
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    FileChoice c;
    c.files = dlg.selectedFiles();
    // With the patterns hidden, Qt may give back the caption it shows instead.
    const QString selected = dlg.selectedNameFilter();
    qsizetype index = filters.filters.indexOf(selected);
    if (index < 0) index = r.filters.indexOf(selected);
    c.filterIndex = int(index) + 1;
    if (c.filterIndex < 1) c.filterIndex = 1;
    return c;
}

}  // namespace

Answer QtPrompter::message(const QString& text, Icon icon, Buttons buttons, Answer defaultButton) {
    BoiteMessage box(QApplication::activeWindow(), buttons == Buttons::YesNo);
    box.setWindowTitle(kTitle);
    box.setText(text);
    switch (icon) {
    case Icon::None: box.setIcon(QMessageBox::NoIcon); break;
    case Icon::Information: box.setIcon(QMessageBox::Information); break;
    case Icon::Question: box.setIcon(QMessageBox::Question); break;
    case Icon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case Icon::Critical: box.setIcon(QMessageBox::Critical); break;
    }
    switch (buttons) {
    case Buttons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case Buttons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case Buttons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case Buttons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    case Buttons::RetryCancel: box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel); break;
    }
    if (box.button(QMessageBox::Cancel)) box.setEscapeButton(QMessageBox::Cancel);
    box.setDefaultButton(toQt(defaultButton));
    return fromQt(box.exec());
}

std::optional<QString> QtPrompter::input(const QString& text, const QString& title, const QString& defaultText) {
    QInputDialog dlg(QApplication::activeWindow());
    dlg.setInputMode(QInputDialog::TextInput);
    dlg.setWindowTitle(title.isEmpty() ? kTitle : title);
    dlg.setLabelText(text);
    dlg.setTextValue(defaultText);
    // Wide enough for its whole title.
    dlg.resize(std::max(dlg.sizeHint().width(), largeurTitre(dlg, dlg.windowTitle())), dlg.sizeHint().height());
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    return dlg.textValue();
}

std::optional<FileChoice> QtPrompter::openFile(const FileRequest& request) {
    return fileDialog(request, QFileDialog::AcceptOpen);
}

std::optional<FileChoice> QtPrompter::saveFile(const FileRequest& request) {
    return fileDialog(request, QFileDialog::AcceptSave);
}

std::optional<QString> QtPrompter::chooseFolder(const QString& title, const QString& start) {
    const QString dir = QFileDialog::getExistingDirectory(QApplication::activeWindow(), title, start);
    if (dir.isEmpty()) return std::nullopt;
    return dir;
}

std::optional<qint32> QtPrompter::chooseColor(qint32 initial) {
    const QColor start(initial & 0xFF, (initial >> 8) & 0xFF, (initial >> 16) & 0xFF);
    const QColor c = QColorDialog::getColor(start, QApplication::activeWindow(), kTitle);
    if (!c.isValid()) return std::nullopt;
    return qint32(c.red() | (c.green() << 8) | (c.blue() << 16));
}

bool QtPrompter::openUrl(const QString& url) { return QDesktopServices::openUrl(QUrl(url)); }

}  // namespace sotrix
