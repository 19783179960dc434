#pragma once
// What the other subsystems need of the main window, so that they depend on core only.

#include "CommandGuard.h"
#include "WorkspaceData.h"

#include <QSize>
#include <QString>

#include <functional>
#include <memory>

class QWidget;

namespace sotrix {

class ReferenceRenderer;

// The view of the map, in map units (0 everywhere before the first view).
struct ViewState {
    double vueMinX = 0, vueMaxX = 0, vueMinY = 0, vueMaxY = 0;  // extent the view was built from
    double tailleVue = 0;                                         // visible height; 0: no view yet
    double centreX = 0, centreY = 0;                              // map point at the centre
    double rapportAspect = 0;                                     // width / height of the map
    double tailleSymbole = 0;                                     // waypoint disc radius
};

// The reference layer drawn under the data.
struct ReferenceLayer {
    QString coucheRef;      // path, "" when there is none
    int typeCoucheRef = 0;  // 1 shapefile .. 7 WMS configuration
    double refMinX = 0, refMaxX = 0, refMinY = 0, refMaxY = 0;
};

// How the quit procedure ended: the user said No, or the window closed (after reporting a
// failed emptying, if any).
enum class QuitResult { Declined, Done };

class MainView {
public:
    virtual ~MainView() = default;
    virtual QWidget* window() = 0;
    // Rebuilds both lists and the four counters from the tables, then the labels.
    virtual void majListes() = 0;
    // Writes the list labels from the counters.
    virtual void majNb() = 0;
    // View on all points united with the reference layer.
    virtual void zoomGlobal() = 0;
    // Draws the whole map for the current view (building one when there is none).
    virtual void redraw() = 0;

    // The view state; setting tailleVue to 0 makes the next redraw build a global view.
    virtual ViewState& viewState() = 0;
    virtual const ReferenceLayer& referenceLayer() const = 0;
    // Sets the layer and shows its path beside the map ("" removes it).
    virtual void setReferenceLayer(const ReferenceLayer& layer) = 0;
    // The renderer of the reference layer (none: no background image).
    virtual void setReferenceRenderer(std::shared_ptr<ReferenceRenderer> renderer) = 0;
    // Draws the reference layer for the visible area.
    virtual void drawShp() = 0;

    // Empties the workspace: the tables in one transaction (a failure throws DbError and
    // changes nothing), then no view, no file label, both lists and counters cleared, then
    // the compaction and a redraw. The default does the tables, the compaction and the
    // redraw only; the main window adds its own part.
    virtual void viderDb() {
        videDonnees();
        redraw();
    }
    // Shows the path of the current data file ("" for none).
    virtual void setLblFichier(const QString& path) { (void)path; }
    // Disables the main window while a tool window is shown; enabling it again also gives
    // it the activation and the focus (giveBackMainWindow).
    virtual void setMainWindowEnabled(bool enabled) { (void)enabled; }
    // No map tool, and the default pointer on the map.
    virtual void resetMapTool() {}
    // The size of the map in pixels.
    virtual QSize canvasPixels() const { return {}; }

    // Runs one user command in the command guard: a failure is told to the user, then the
    // window is put back in order (the main window resets its map tool and pointer and
    // rebuilds the lists). True when the command ran to its end. Commands reach it through
    // runUserCommand.
    virtual bool guarded(const std::function<void()>& body) { return runCommand(body); }

    // What the settings dialog reads of the main window: the path of the current data
    // file, the path of the reference layer, and whether either list has an item.
    virtual QString lblFichierText() const { return {}; }
    virtual QString lblReferenceText() const { return {}; }
    virtual bool listsHoldData() const { return false; }

    // The quit procedure ("Quitter"): the unsaved-data question, the emptying of the
    // workspace, the working files, then the window closes.
    virtual QuitResult fichierQuitter_Click() { return QuitResult::Declined; }
};

}  // namespace sotrix
