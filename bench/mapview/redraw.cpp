// Redraw of a workspace, at full extent and zoomed to a quarter and a sixteenth of the
// data's area, against two bare QPainter loops on an image of the same size from
// coordinates in memory: one that draws only what can be seen, one that draws every point.
// Each run compares the pixels of the three pictures. Workspaces:
//   logs   1M waypoints and 1,000 tracks of 1,000 points shaped like GPS logs (default);
//   far    500,000 waypoints and 5,000 tracks of 100 points far apart;
//   track  one GPS log of 5,000,000 points, with the costs of selecting it in its list and
//          of F1 on it beside the redraw.
// Sizes may follow the name: waypoints, tracks, points per track.
#include "BareDraw.h"
#include "Database.h"
#include "DeliveredCopy.h"
#include "InfoQueries.h"
#include "ListeNoms.h"
#include "MapCanvas.h"
#include "MapData.h"
#include "Median.h"
#include "NumericLocale.h"
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

constexpr int kRuns = 5;
constexpr int kWidth = 1000;
constexpr int kHeight = 700;

// Pixels that differ between two pictures of the same size (all of them when sizes differ).
qint64 differingPixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return qint64(std::max(a.width() * a.height(), b.width() * b.height()));
    const QImage ca = a.convertToFormat(QImage::Format_RGB32), cb = b.convertToFormat(QImage::Format_RGB32);
    qint64 n = 0;
    for (int y = 0; y < ca.height(); ++y) {
        const auto* ra = reinterpret_cast<const quint32*>(ca.constScanLine(y));
        const auto* rb = reinterpret_cast<const quint32*>(cb.constScanLine(y));
        for (int x = 0; x < ca.width(); ++x) n += (ra[x] & 0xFFFFFF) != (rb[x] & 0xFFFFFF);
    }
    return n;
}

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

// The redraw at the full view and zoomed in, against both loops; true when every picture
// is the same.
bool compareViews(frmAccueil& form, const MapData& data) {
    ViewState& v = form.viewState();
    form.zoomGlobal();
    const ViewState global = v;
    bool allSame = true;
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

        std::vector<double> ours, bareVisible, bareAll, rVisible, rAll, wallOurs, wallVisible, wallAll;
        qint64 diffVisible = 0, diffAll = 0;
        for (int run = 0; run < kRuns; ++run) {
            const Time o = timed([&] { form.redraw(); });
            const QImage picture = form.picture1()->image().copy();
            const Time bv = timed([&] { drawBare(bareImage, visible, style); });
            diffVisible = std::max(diffVisible, differingPixels(picture, bareImage));
            const Time ba = timed([&] { drawBare(bareImage, every, style); });
            diffAll = std::max(diffAll, differingPixels(picture, bareImage));
            ours.push_back(o.cpu);
            bareVisible.push_back(bv.cpu);
            bareAll.push_back(ba.cpu);
            wallOurs.push_back(o.wall);
            wallVisible.push_back(bv.wall);
            wallAll.push_back(ba.wall);
            // A long track is read on other threads too: our side counts its wall time.
            rVisible.push_back(o.wall / bv.cpu);
            rAll.push_back(o.wall / ba.cpu);
        }
        allSame = allSame && diffVisible == 0 && diffAll == 0;
        const size_t discs = visible.discs[0].size() + visible.discs[1].size();
        const size_t segments = visible.segments[0].size() + visible.segments[1].size();
        std::printf("\nview 1/%d of the extent (%zu discs and %zu segments can be seen)\n", zoom, discs, segments);
        line("frmAccueil::redraw (database + canvas):", ours, wallOurs);
        line("bare loop, visible items only:", bareVisible, wallVisible);
        line("bare loop, every item:", bareAll, wallAll);
        const Spread sv = spread(rVisible), sa = spread(rAll);
        std::printf("  ratio to the visible-only loop: %.2f / %.2f / %.2f%s\n", sv.min, sv.median, sv.max,
                    zoom == 16 ? "   (goal: at most 3)" : "");
        std::printf("  ratio to the every-item loop:   %.2f / %.2f / %.2f%s\n", sa.min, sa.median, sa.max,
                    zoom == 1 ? "   (goal: at most 1.0)" : "");
        std::printf("  pixels differing: %lld from the visible-only loop, %lld from the every-item loop\n",
                    static_cast<long long>(diffVisible), static_cast<long long>(diffAll));
    }
    v = global;
    return allSame;
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
                "of our wall time to the bare loop's CPU time (the redraw may read on other threads);\n"
                "pixels compared with both loops on every run\n");
    const bool allSame = compareViews(form, data);
    if (std::strcmp(w->name, "track") == 0) trackCommands(form);
    std::printf("\npictures %s\n", allSame ? "identical on every run" : "DIFFER");
    return allSame ? 0 : 1;
}
