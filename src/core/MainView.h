#pragma once
// What the other subsystems need of the main window, so that they depend on core only.

class QWidget;

namespace sotrix {

class MainView {
public:
    virtual ~MainView() = default;
    virtual QWidget* window() = 0;
    virtual void majListes() = 0;
    virtual void majNb() = 0;
    virtual void zoomGlobal() = 0;
    virtual void redraw() = 0;
};

}  // namespace sotrix
