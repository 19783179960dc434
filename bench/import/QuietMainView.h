#pragma once
// A main view that shows nothing, for an import run without a window: the engine's
// refresh of the lists costs nothing here.

#include "MainView.h"

namespace sotrix::bench {

class QuietMainView final : public MainView {
public:
    QWidget* window() override { return nullptr; }
    void majListes() override {}
    void majNb() override {}
    void zoomGlobal() override {}
    void redraw() override {}
    ViewState& viewState() override { return view_; }
    const ReferenceLayer& referenceLayer() const override { return layer_; }
    void setReferenceLayer(const ReferenceLayer&) override {}
    void setReferenceRenderer(std::shared_ptr<ReferenceRenderer>) override {}
    void drawShp() override {}

private:
    ViewState view_;
    ReferenceLayer layer_;
};

}  // namespace sotrix::bench
