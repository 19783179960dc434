#pragma once
// The main window: menus, tool buttons, the map, the two lists of names with their
// counters and the layer boxes. It holds the view state and the reference-layer state.

#include "MainView.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QCloseEvent;
class QLabel;
class QToolBar;
class QToolButton;

namespace sotrix {

struct SelectionChangee;

class Database;
class ListeNoms;
class MapCanvas;
class ReferenceRenderer;
struct DemandeNom;
class UpdateChecker;
class WorkspaceLock;

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
    // The lists take over the rows a selection command changed, the counters and labels
    // follow (majListes when a row is not in the lists).
    void appliqueSelection(const SelectionChangee& c);
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
    void resetMapTool() override;
    QSize canvasPixels() const override;
    // Runs a command: a failure is reported, the map tool and pointer are reset and the
    // lists are rebuilt from the tables.
    bool guarded(const std::function<void()>& body) override;

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

    // Map tools: the buttons arm state().modeOutil, the mouse on the map carries it out.
    void cmdZoomIn_Click();
    void cmdZoomOut_Click();
    void cmdPan_Click();
    void cmdExtentAll_Click();
    void cmdZoomSelect_Click();
    void cmdDistance_Click();
    void cmdSelectWaypoint_Click();
    void cmdSelectTrace_Click();
    void cmdInfoWaypoint_Click();
    void cmdInfoTrace_Click();
    void Picture1_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, double x, double y);
    void Picture1_MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, double x, double y);
    void Picture1_MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, double x, double y);
    void Picture1_DblClick();
    // The view on the box boiteX, boiteY; the view moved by the pan held there, redrawn.
    void calcZoomIn();
    void pan();

    // Selection on the map: the waypoints of the box boiteX, boiteY (or the one nearest a
    // press), the track of the track point nearest xClic, yClic.
    void selectWaypoint();
    void selectTrace();

    // The information window on the waypoint or the track nearest xClic, yClic; F1 in
    // the lists shows their current item.
    void infoWaypoint();
    void infoTrace();
    void lstWaypoint_KeyUp(int key);
    void lstTrace_KeyUp(int key);

    // Editing: the add chooser, the new waypoint (saisieX, saisieY) and track (the
    // nbSaisies points digitised), the average waypoint, merge, close or open, delete.
    void cmdEdit_Click();
    void addWaypoint();
    void addTrace();
    void cmdCalcMoyenneSelect_Click();
    void cmdFusionner_Click();
    void cmdFermer_Click();
    void cmdSupprimer_Click();

    // Map-tool fields, in map units: the press point of the band, the corners of a box
    // (or the press and release of a pan), the press of a point tool, the digitised points.
    double ancreX = 0, ancreY = 0;
    std::array<double, 2> boiteX{}, boiteY{};
    double xClic = 0, yClic = 0;
    QList<double> saisieX, saisieY;
    qint64 nbSaisies = 0;
    bool mesureEnCours = false;

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

    // Selects every item of one list (or none) after a select-all box changed.
    void selectAllItems(ListeNoms* list, bool checked);
    // A select-all box: the rows through ecrit, then the list items and the counter; a box
    // with nothing to select goes back to unticked.
    void toutSelectionner(bool checked, QCheckBox* box, ListeNoms* list, const qint64& total,
                          qint64& selectedCount, void (*ecrit)(Database&, bool));
    void redrawOnce();
    void connectMapTools();
    void armeOutil(int code, int pointer);
    // The tool has acted: no code, default pointer.
    void finOutil();
    void ajoutePointSaisi(double x, double y);
    void afficheInfo(const QStringList& lines);
    bool nouveauWaypoint(double x, double y, const DemandeNom& demande, const char* finEchec);
    // Connects the menu items and buttons of the commands above.
    void connecteCommandes();

    MapCanvas* Picture1_ = nullptr;
    ListeNoms* lstWaypoint_ = nullptr;
    ListeNoms* lstTrace_ = nullptr;
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
    QPointer<QWidget> frmEdit_;
    UpdateChecker* updateChecker_ = nullptr;
    std::unique_ptr<WorkspaceLock> workspaceLock_;  // held from the start-up to the end
};

}  // namespace sotrix
