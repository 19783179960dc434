// Redraw of a workspace, at full extent and zoomed to a quarter and a sixteenth of the
// data's area, against its floor (the same rows read through the sqlite3 C API, nothing
// drawn) and two bare QPainter loops on an image of the same size from coordinates in
// memory: one that draws only what can be seen, one that draws every point. Each run
// checks the redraw's picture against the exact one the loops draw. Workspaces:
//   logs   1M waypoints and 1,000 tracks of 1,000 points shaped like GPS logs (default);
//   far    500,000 waypoints and 5,000 tracks of 100 points far apart;
//   track  one GPS log of 5,000,000 points, with the costs of selecting it in its list and
//          of F1 on it beside the redraw.
// Sizes may follow the name: waypoints, tracks, points per track.
#include "BareDraw.h"
#include "Database.h"
#include "DeliveredCopy.h"
#include "FloorRead.h"
#include "InfoQueries.h"
#include "ListeNoms.h"
#include "MapCanvas.h"
#include "MapData.h"
#include "Median.h"
#include "NumericLocale.h"
#include "PictureCheck.h"
#include "Settings.h"
#include "State.h"
#include "Stopwatch.h"
#include "frmAccueil.h"
#include "viewmath.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

namespace {

using namespace sotrix;
using namespace sotrix::bench;
using sotrix::test::checkPicture;
using sotrix::test::PictureCheck;

constexpr int kRuns = 5;
constexpr int kWidth = 1000;
constexpr int kHeight = 700;

struct Spread {
    double min, median, max;
};

Spread spread(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return {v.front(), median(v), v.back()};
}

// CPU time of this thread, which does both sides' work: what else runs on the machine
// weighs on neither.
double threadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

struct Time {
    double wall, cpu;
};

template <class Work>
Time timed(Work&& work) {
    const double cpu = threadSeconds();
    Stopwatch sw;
    work();
    return {sw.seconds(), threadSeconds() - cpu};
}

void line(const char* what, const std::vector<double>& cpu, const std::vector<double>& wall) {
    const Spread c = spread(cpu);
    std::printf("  %-40s %8.1f ms median (%.1f-%.1f), %8.1f ms wall median\n", what, c.median * 1e3, c.min * 1e3,
                c.max * 1e3, median(wall) * 1e3);
}

// The areas the redraw reads for the canvas's scale: waypoints whose disc can reach the
// picture, tracks whose lines can.
FloorAreas areasOf(const CanvasScale& sc, double radiusPixels, int penWidth) {
    const double perPixel = std::abs(sc.width) / kWidth;
    const QRectF picture = QRectF(QPointF(sc.left, sc.top), QPointF(sc.left + sc.width, sc.top + sc.height)).normalized();
    auto widened = [&](double pixels) {
        const double m = pixels * perPixel;
        return picture.adjusted(-m, -m, m, m);
    };
    return {widened(radiusPixels + penWidth + 4), widened(penWidth + 4)};
}

void ratios(const char* what, const std::vector<double>& r, const char* goal) {
    const Spread s = spread(r);
    std::printf("  ratio to %-22s %.2f / %.2f / %.2f%s%s\n", what, s.min, s.median, s.max, goal ? "   goal: " : "",
                goal ? goal : "");
}

// The redraw at the full view and zoomed in, against the floor and both loops; true when
// every picture is faithful to the exact one.
bool compareViews(frmAccueil& form, const MapData& data, const QString& databasePath) {
    ViewState& v = form.viewState();
    form.zoomGlobal();
    const ViewState global = v;
    bool allFaithful = true;
    for (const int zoom : {1, 4, 16}) {
        // Zoomed views show 1/zoom of the data's area around its centre (the canvas and the data
        // have the same proportions); the full view is the program's own.
        v = global;
        if (zoom > 1) v.tailleVue = (global.vueMaxY - global.vueMinY) / std::sqrt(double(zoom));
        form.redraw();  // warm-up

        BareStyle style;
        const CanvasScale sc = echelleVue(v, kWidth, kHeight, state().facteurTaille);
        style.left = sc.left;
        style.top = sc.top;
        style.kx = kWidth / sc.width;
        style.ky = kHeight / sc.height;
        style.radius = std::abs(v.tailleSymbole * style.kx);
        style.penWidth = drawWidthFor(kHeight, state().facteurTaille);
        style.colours[0] = unsigned(state().paramCouleur);
        style.colours[1] = unsigned(state().paramCouleurSel);
        const QRectF canvasRect(0, 0, kWidth, kHeight);
        const BareScene visible = sceneOf(data, style, &canvasRect);
        const BareScene every = sceneOf(data, style, nullptr);
        QImage bareImage(kWidth, kHeight, QImage::Format_RGB32);
        drawBare(bareImage, every, style);  // warm-up
        const FloorRead floor(databasePath, areasOf(sc, style.radius, style.penWidth));

        std::vector<double> ours, floors, bareVisible, bareAll, rFloor, rVisible, rAll, wallOurs, wallFloor,
            wallVisible, wallAll;
        PictureCheck worst;
        long long rows = 0;
        for (int run = 0; run < kRuns; ++run) {
            const Time o = timed([&] { form.redraw(); });
            const QImage picture = form.picture1()->image().copy();
            const Time f = timed([&] { rows = floor.read(); });
            const Time bv = timed([&] { drawBare(bareImage, visible, style); });
            const Time ba = timed([&] { drawBare(bareImage, every, style); });
            const PictureCheck check = checkPicture(picture, bareImage);
            if (run == 0 || !check.faithful() || check.differing > worst.differing) worst = check;
            ours.push_back(o.cpu);
            floors.push_back(f.cpu);
            bareVisible.push_back(bv.cpu);
            bareAll.push_back(ba.cpu);
            wallOurs.push_back(o.wall);
            wallFloor.push_back(f.wall);
            wallVisible.push_back(bv.wall);
            wallAll.push_back(ba.wall);
            // A long track is read on other threads too: our side counts its wall time.
            rFloor.push_back(o.wall / f.cpu);
            rVisible.push_back(o.wall / bv.cpu);
            rAll.push_back(o.wall / ba.cpu);
        }
        allFaithful = allFaithful && worst.faithful();
        const size_t discs = visible.discs[0].size() + visible.discs[1].size();
        const size_t segments = visible.segments[0].size() + visible.segments[1].size();
        std::printf("\nview 1/%d of the extent (%zu discs and %zu segments can be seen; the floor reads %lld rows)\n",
                    zoom, discs, segments, rows);
        line("frmAccueil::redraw (database + canvas):", ours, wallOurs);
        line("floor, the same rows read by sqlite3:", floors, wallFloor);
        line("bare loop, visible items only:", bareVisible, wallVisible);
        line("bare loop, every item:", bareAll, wallAll);
        ratios("the floor:", rFloor, "at most 2.5");
        ratios("the visible-only loop:", rVisible, zoom > 1 ? "at most 3" : nullptr);
        ratios("the every-item loop:", rAll, zoom == 1 ? "at most 0.3" : nullptr);
        std::printf("  pixels differing from the exact picture: %lld of %lld drawn (%.3f %%), %lld off its drawing: %s\n",
                    worst.differing, worst.drawn, worst.drawn ? 100.0 * double(worst.differing) / double(worst.drawn) : 0.0,
                    worst.offDrawing, worst.faithful() ? "faithful" : "NOT FAITHFUL");
    }
    v = global;
    return allFaithful;
}

// Selecting the first track in its list and clearing it again, and F1 on it: each
// command's own work, apart from the redraw that follows it.
void trackCommands(frmAccueil& form) {
    auto* list = form.findChild<ListeNoms*>(QStringLiteral("lstTrace"));
    if (!list || list->count() == 0) return;
    auto setRow = [&](bool selected) {
        form.remplissageListes = true;
        list->setRowSelected(0, selected);
        form.remplissageListes = false;
    };
    std::vector<double> select, clear, info, redraws, cpu, wall;
    for (int run = 0; run < kRuns; ++run) {
        setRow(true);
        const Time s = timed([&] { form.selectListes(); });
        const Time r = timed([&] { form.redraw(); });
        const Time f = timed([&] {
            DbGuard db;
            if (!infoTraceCle(*db, list->key(0))) std::fprintf(stderr, "no information on the track\n");
        });
        setRow(false);
        const Time c = timed([&] { form.selectListes(); });
        form.redraw();
        select.push_back(s.wall);
        clear.push_back(c.wall);
        info.push_back(f.wall);
        redraws.push_back(r.wall);
    }
    std::printf("\ncommands on the track, wall time of their own work (goal: at most 500 ms):\n");
    line("select it in its list:", select, select);
    line("clear its selection in its list:", clear, clear);
    line("F1 on it (its information):", info, info);
    line("the redraw after selecting it:", redraws, redraws);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    useCNumericLocale();
    const char* name = argc > 1 ? argv[1] : "logs";
    struct Workspace {
        const char* name;
        int waypoints, tracks, perTrack;
        TrackShape shape;
    };
    static const Workspace kWorkspaces[] = {
        {"logs", 1000000, 1000, 1000, TrackShape::GpsLog},
        {"far", 500000, 5000, 100, TrackShape::FarApart},
        {"track", 0, 1, 5000000, TrackShape::GpsLog},
    };
    const Workspace* w = nullptr;
    for (const Workspace& k : kWorkspaces)
        if (std::strcmp(k.name, name) == 0) w = &k;
    if (!w) {
        std::fprintf(stderr, "usage: bench_mapview [logs|far|track] [waypoints tracks points-per-track]\n");
        return 2;
    }
    const int nWaypoints = argc > 2 ? std::atoi(argv[2]) : w->waypoints;
    const int nTracks = argc > 3 ? std::atoi(argv[3]) : w->tracks;
    const int perTrack = argc > 4 ? std::atoi(argv[4]) : w->perTrack;

    QTemporaryDir home;
    qputenv("SOTRIX_HOME", QFile::encodeName(home.path()));
    if (!copyDelivered(home.filePath(QStringLiteral("sotrix.mdb")))) {
        std::fprintf(stderr, "cannot copy the delivered database\n");
        return 1;
    }
    options();
    MapData data;
    {
        DbGuard db;
        data = writeMapData(*db, nWaypoints, nTracks, perTrack, w->shape);
        if (std::strcmp(w->name, "track") == 0) {
            // The track is opened unselected, and selected by the commands measured.
            db->exec(QStringLiteral("update Trace set Selected = 0"));
            db->exec(QStringLiteral("update Points set Selected = 0"));
            for (MapTrack& t : data.tracks) t.selected = false;
        }
    }

    frmAccueil form;
    form.picture1()->setFixedSize(kWidth, kHeight);
    form.show();
    QApplication::processEvents();
    form.majListes();

    std::printf("%s: redraw of %d waypoints and %d track points (%d tracks) on %dx%d, %d runs\n", w->name,
                nWaypoints, nTracks * perTrack, nTracks, kWidth, kHeight, kRuns);
    std::printf("times on this thread's CPU clock (wall medians beside them); ratios per run, min / median / max,\n"
                "of our wall time to the other side's CPU time (the redraw may read on other threads);\n"
                "the picture compared on every run with the exact one, which both loops draw\n");
    const bool allFaithful = compareViews(form, data, home.filePath(QStringLiteral("sotrix.mdb")));
    if (std::strcmp(w->name, "track") == 0) trackCommands(form);
    std::printf("\npictures %s\n", allFaithful ? "faithful to the exact one on every run" : "NOT FAITHFUL");
    return allFaithful ? 0 : 1;
}
