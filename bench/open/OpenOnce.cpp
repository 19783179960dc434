#include "OpenOnce.h"

#include "ChildReport.h"
#include "Fail.h"
#include "FailingPrompter.h"
#include "FileMenu.h"
#include "GisToolCommands.h"
#include "MapServerRenderer.h"
#include "NumericLocale.h"
#include "ReferenceLayerCommands.h"
#include "State.h"
#include "Stopwatch.h"
#include "TransferCommands.h"
#include "TypeFichier.h"
#include "frmAccueil.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTimer>

#include <unistd.h>

#include <cstdio>

namespace sotrix::bench {

namespace {

// The Open dialog chooses the file; any other prompt ends the run.
class OpenPrompter final : public Prompter {
public:
    OpenPrompter(QString file, int filter) : file_(std::move(file)), filter_(filter) {}
    Answer message(const QString& text, Icon icon, Buttons buttons, Answer def) override {
        return failing_.message(text, icon, buttons, def);
    }
    std::optional<QString> input(const QString& text, const QString& title, const QString& def) override {
        return failing_.input(text, title, def);
    }
    std::optional<FileChoice> openFile(const FileRequest&) override { return FileChoice{{file_}, filter_}; }
    std::optional<FileChoice> saveFile(const FileRequest& r) override { return failing_.saveFile(r); }
    std::optional<QString> chooseFolder(const QString& t, const QString& s) override {
        return failing_.chooseFolder(t, s);
    }
    std::optional<qint32> chooseColor(qint32 c) override { return failing_.chooseColor(c); }
    bool openUrl(const QString& url) override { return failing_.openUrl(url); }

private:
    FailingPrompter failing_{"bench_open"};
    QString file_;
    int filter_;
};

// Handles every event already there, paints included, until none is left.
void untilIdle() {
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    do QCoreApplication::sendPostedEvents();
    while (dispatcher->processEvents(QEventLoop::AllEvents));
}

template <class T>
T* named(const QWidget* parent, const char* name) {
    T* w = parent ? parent->findChild<T*>(QLatin1String(name)) : nullptr;
    if (!w) fail(QStringLiteral("no ") + QLatin1String(name));
    return w;
}

QWidget* topLevel(const char* name) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String(name) && w->isVisible()) return w;
    fail(QStringLiteral("no window ") + QLatin1String(name));
}

}  // namespace

int openOnce(int argc, char** argv, const QString& kind, const QString& file, const QString& home, qint64 expected) {
    const Stopwatch clock;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("SOTRIX_HOME", QFile::encodeName(home));
    QApplication app(argc, argv);
    useCNumericLocale();
    const int filter = kind == QLatin1String("shp")                                    ? typefichier::kOuvrirShapefile
                       : kind == QLatin1String("gpx") || kind == QLatin1String("log") ? typefichier::kOuvrirGpx
                                                                                       : typefichier::kOuvrirCsvPointVirgule;
    state().prompter = std::make_shared<OpenPrompter>(file, filter);

    frmAccueil window;
    connecteMenuTransferts(&window);
    window.setReferenceRenderer(std::make_shared<MapServerRenderer>());
    connecteCoucheReference(&window, window);
    connecteMenuFichier(&window);
    connecteMenuOutils(&window);
    if (!window.Form_Load()) fail(QStringLiteral("the window did not load"));
    window.show();
    untilIdle();

    named<QAction>(&window, "fichierOuvrir")->trigger();
    untilIdle();
    // A GPX needs no field dialog: the open has run to its redraw.
    if (filter != typefichier::kOuvrirGpx) {
        named<QPushButton>(topLevel("frmImport"), "ouvrir_dbf")->click();
        untilIdle();
    }
    if (state().nbWaypoints != expected)
        fail(QStringLiteral("%1 waypoints listed, not %2").arg(state().nbWaypoints).arg(expected));

    reportWork(clock.seconds());
    // The window is idle: what it would cost to close it is not part of the open.
    ::_exit(0);
}

}  // namespace sotrix::bench
