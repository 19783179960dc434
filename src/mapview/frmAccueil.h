#pragma once
// The main window: menus, tool buttons, the map, the two lists of names with their
// counters and the layer boxes. It holds the view state and the reference-layer state.

#include "MainView.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class QCheckBox;
class QCloseEvent;
class QLabel;
class QListWidget;
class QToolBar;
class QToolButton;

namespace sotrix {

class Database;
class MapCanvas;
class ReferenceRenderer;
class UpdateChecker;

class frmAccueil : public QMainWindow, public MainView, public ViewState, public ReferenceLayer {
    Q_OBJECT
public:
    explicit frmAccueil(QWidget* parent = nullptr);
    ~frmAccueil() override;

    // The start-up; false when the program must end.
    bool Form_Load();

    // MainView
    QWidget* window() override { return this; }
    void majListes() override;
    void majNb() override;
    void zoomGlobal() override;
    void redraw() override;
    ViewState& viewState() override { return *this; }
    const ReferenceLayer& referenceLayer() const override { return *this; }
    void setReferenceLayer(const ReferenceLayer& layer) override;
    void setReferenceRenderer(std::shared_ptr<ReferenceRenderer> renderer) override;
    void drawShp() override;
    void viderDb() override;
    void setLblFichier(const QString& path) override;
    void setMainWindowEnabled(bool enabled) override;

    // View on the selected points; nothing changes when nothing is selected.
    void zoomSelect();
    // Clears the map and sets its scale, symbol size and line width from the view.
    void initPicture1();
    void afficheWaypoints();
    void afficheTraces();

    // Writes the selected state of both lists into the tables and recounts the selection.
    void selectListes();

    // Handlers; each runs inside the command guard.
    void lstWaypoint_Click();
    void lstTrace_Click();
    void chkToutWaypoints_Click(bool checked);
    void chkToutTrace_Click(bool checked);
    void cmdUnselect_Click();
    void chkRef_Click();
    void chkTrace_Click();
    void chkWaypoint_Click();

    MapCanvas* picture1() const { return Picture1_; }

    // What the settings dialog reads, and the quit procedure with the close query: a
    // close from the window's control box (fromControlBox) runs the quit procedure and
    // Form_QueryUnload answers whether the close is cancelled.
    QString lblFichierText() const override;
    QString lblReferenceText() const override;
    bool listsHoldData() const override;
    QuitResult fichierQuitter_Click() override;
    bool Form_QueryUnload(bool fromControlBox);

    // Commands of the menus and of the date button, each run inside the command guard
    // when chosen.
    void gpsOptions_Click();
    void outilsUpdate_Click();
    void a_propos_de_Click();
    void cmdSelectDate_Click();
    // The update check, owned by the window.
    UpdateChecker& updateChecker() { return *updateChecker_; }

    // True while code changes the items of a list or their selection: the list handlers
    // then leave the tables alone.
    bool remplissageListes = false;

signals:
    // A redraw has finished.
    void redrawn();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildUi();
    void buildMenus();
    void buildToolBar();
    void buildCentre();
    void buildStatusLine();
    QToolButton* addToolButton(QToolBar* bar, const char* name, const QString& tip, const char* icon,
                               const QString& text);

    // Runs a command: a failure is reported, the map tool and pointer are reset and the
    // lists are rebuilt from the tables.
    bool guarded(const std::function<void()>& body);
    // Selects every item of one list (or none) after a select-all box changed.
    void selectAllItems(QListWidget* list, bool checked);
    // A select-all box: the rows through ecrit, then the list items and the counter; a box
    // with nothing to select goes back to unticked.
    void toutSelectionner(bool checked, QCheckBox* box, QListWidget* list, const qint64& total,
                          qint64& selectedCount, void (*ecrit)(Database&, bool));
    void redrawOnce();
    // Connects the menu items and buttons of the commands above.
    void connecteCommandes();

    MapCanvas* Picture1_ = nullptr;
    QListWidget* lstWaypoint_ = nullptr;
    QListWidget* lstTrace_ = nullptr;
    QLabel* lblWaypoints_ = nullptr;
    QLabel* lblTraces_ = nullptr;
    QCheckBox* chkToutWaypoints_ = nullptr;
    QCheckBox* chkToutTrace_ = nullptr;
    QCheckBox* chkRef_ = nullptr;
    QCheckBox* chkTrace_ = nullptr;
    QCheckBox* chkWaypoint_ = nullptr;
    QLabel* lblDistance_ = nullptr;
    QLabel* lblFichier_ = nullptr;
    QLabel* lblReference_ = nullptr;
    QLabel* lblVersion_ = nullptr;

    std::shared_ptr<ReferenceRenderer> renderer_;
    bool redrawing_ = false;
    bool redrawPending = false;
    UpdateChecker* updateChecker_ = nullptr;
};

}  // namespace sotrix
