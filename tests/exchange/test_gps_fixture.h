#pragma once
// Shared set-up of the GPS transfer tests: a workspace with its settings, a recording main
// window, receivers played by files and pseudo-terminals, and a recorder of the progress bar.

#include "MainView.h"
#include "Workspace.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <atomic>
#include <thread>
#include <vector>

class QProgressBar;

namespace sotrix::test {

// One NMEA sentence with its checksum and line end.
QByteArray nmea(const QByteArray& body);
// The receiver's memory used by the download tests: CAMP1, ECOLE and two track fixes.
QByteArray nmeaLog();

// The main window's services, recorded.
class RecordingMainView final : public MainView {
public:
    RecordingMainView();
    QWidget* window() override { return &widget; }
    void majListes() override { calls << QStringLiteral("majListes"); }
    void majNb() override { calls << QStringLiteral("majNb"); }
    void zoomGlobal() override { calls << QStringLiteral("zoomGlobal"); }
    void redraw() override { calls << QStringLiteral("redraw"); }
    ViewState& viewState() override { return view; }
    const ReferenceLayer& referenceLayer() const override { return layer; }
    void setReferenceLayer(const ReferenceLayer& l) override { layer = l; }
    void setReferenceRenderer(std::shared_ptr<ReferenceRenderer>) override {}
    void drawShp() override { calls << QStringLiteral("drawShp"); }

    QWidget widget;
    QStringList calls;
    ViewState view;
    ReferenceLayer layer;
};

// Records the values taken by the progress bar of every progress window shown.
class ProgressRecorder final : public QObject {
public:
    ProgressRecorder();
    ~ProgressRecorder() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    std::vector<int> values;
    int windowsShown = 0;
};

// A pseudo-terminal: the test holds the master, the program opens the slave by name.
class Pty {
public:
    Pty();
    ~Pty();
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;
    int master() const { return master_; }
    const QString& slave() const { return slave_; }
    // Writes data to the master after a delay, then keeps the master open and silent.
    void sendAfter(int delayMs, QByteArray data);
    // Writes one sentence every periodMs until the object is destroyed.
    void sendForever(int periodMs, QByteArray sentence);
    // Collects whatever the program writes to the slave until the object is destroyed.
    void drain();
    QByteArray received();

private:
    void stop();
    int master_ = -1;
    QString slave_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    QByteArray received_;
};

class GpsTest : public WorkspaceTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Settings of the transfer.
    void receiver(int gps, int port = 1, int vitesse = 3, bool supInt = true);
    // SOTRIX_COM{n} for the rest of the test.
    void setCom(int port, const QString& device);
    // Writes a file of the program folder (or any absolute path).
    QString writeFile(const QString& name, const QByteArray& data);
    // Seeds the workspace with a waypoint and a track, as a previous download left them.
    void seedWorkspace();
    // Every row of Points and Trace, for before/after comparisons.
    QStringList snapshot();
    // The last message shown.
    QString lastMessage() const;
    Icon lastIcon() const;
    // Whether a progress window is still on screen.
    static bool progressWindowShown();

    RecordingMainView main;
    ProgressRecorder progress;

private:
    QStringList comVars_;
};

}  // namespace sotrix::test
