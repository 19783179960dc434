#pragma once
// The windows a command closes before a long task on the user-interface thread: the
// window system has the main window painted where they were only through its events,
// which the task holds back, so that they would seem to stay on the screen over a window
// that looks hung.

#include <QObject>
#include <QPointer>
#include <QWidget>

class QEventLoop;

namespace sotrix {

class EcranLibre final : public QObject {
public:
    // Watches, from now on, the windows that close over `main`.
    explicit EcranLibre(QWidget* main);
    ~EcranLibre() override;
    EcranLibre(const EcranLibre&) = delete;
    EcranLibre& operator=(const EcranLibre&) = delete;

    // When a window has closed since the main window was last exposed, handles the
    // window system's events (no input) until it is, for half a second at most; then
    // paints the main window at once.
    void degage();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> main_;
    bool fermee_ = false;  // a window closed, and the main window has not been exposed since
    QEventLoop* attente_ = nullptr;
};

}  // namespace sotrix
