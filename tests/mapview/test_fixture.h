#pragma once
// A main window on a fresh workspace: settings loaded, the map 400 x 300 pixels, and
// helpers to store rows and read the map's pixels.

#include "ListeNoms.h"
#include "Workspace.h"
#include "frmAccueil.h"

#include <QColor>
#include <QPointF>
#include <QString>

#include <memory>
#include <vector>

class QCheckBox;
class QLabel;

namespace sotrix {
class MapCanvas;
}

namespace sotrix::test {

inline const QColor kWhite(255, 255, 255);
inline const QColor kBlue(0, 0, 255);   // paramCouleur 0xFF0000
inline const QColor kRed(255, 0, 0);    // paramCouleurSel 255

class MapviewTest : public WorkspaceTest {
protected:
    void SetUp() override;
    void TearDown() override;

    qint64 insertWaypoint(const QString& nom, double x, double y, bool selected = false);
    // A track with its points numbered from 1; the points take the track's selection.
    qint64 addTrack(const QString& nom, const std::vector<QPointF>& points, bool closed = false, bool selected = false);

    // Selected of one row.
    bool pointSelected(qint64 id);
    bool traceSelected(qint64 id);
    // The Selected column of every row, as "table:key=value" entries in key order.
    QStringList selection();
    // Records every row update of Points and Trace from now on.
    void watchWrites();
    // Updates recorded: of waypoints ("P0"), of track points ("P+") or of tracks ("T").
    qint64 writes(const char* kind);
    // A selected track has all its points selected and an unselected one has none.
    void expectTrackInvariant();

    // A view centred on (x, y), tailleVue high; then a redraw.
    void viewAt(double x, double y, double tailleVue);
    // The pixel under a map point.
    QColor pixelAt(double x, double y);
    // Whether some pixel within one pixel of the map point has that colour.
    bool near(double x, double y, const QColor& colour);
    // Whether every pixel of the map is white.
    bool allWhite();

    ListeNoms* list(const char* name);
    QCheckBox* box(const char* name);
    QLabel* label(const char* name);

    std::unique_ptr<frmAccueil> form;
    MapCanvas* canvas = nullptr;
};

}  // namespace sotrix::test
