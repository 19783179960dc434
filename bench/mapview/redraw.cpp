// Redraw of 100,000 waypoints and 100,000 track points, against a bare QPainter loop that
// draws the same discs and lines on an image of the same size from coordinates in memory.
#include "Database.h"
#include "MapCanvas.h"
#include "NumericLocale.h"
#include "Settings.h"
#include "State.h"
#include "frmAccueil.h"
#include "viewmath.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kWaypoints = 100000;
constexpr int kTracks = 1000;
constexpr int kPointsPerTrack = 100;
constexpr int kRuns = 5;
constexpr int kWidth = 1000;
constexpr int kHeight = 700;

struct Pt {
    double x, y;
    bool selected;
};

double medianMs(const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        times.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    sotrix::useCNumericLocale();
    using namespace sotrix;

    QTemporaryDir home;
    qputenv("SOTRIX_HOME", QFile::encodeName(home.path()));
    const QString dbPath = home.filePath(QStringLiteral("sotrix.mdb"));
    if (!QFile::copy(QStringLiteral(SOTRIX_DELIVERED_DB), dbPath)) {
        std::fprintf(stderr, "cannot copy the delivered database\n");
        return 1;
    }
    QFile::setPermissions(dbPath, QFile::ReadOwner | QFile::WriteOwner);
    options();

    // The data: waypoints scattered over the map, tracks as random walks; one in ten selected.
    QRandomGenerator rng(42);
    std::vector<Pt> waypoints;
    std::vector<std::vector<Pt>> tracks(kTracks);
    {
        DbGuard db;
        Transaction tx(*db);
        Statement wp = db->prepare(QStringLiteral("insert into Points (Nom, X, Y, Trace, Selected) values (?, ?, ?, 0, ?)"));
        for (int i = 0; i < kWaypoints; ++i) {
            const Pt p{rng.bounded(100000.0), rng.bounded(70000.0), i % 10 == 0};
            waypoints.push_back(p);
            wp.run({QStringLiteral("wp%1").arg(i), p.x, p.y, p.selected ? 1 : 0});
        }
        Statement tr = db->prepare(QStringLiteral("insert into Trace (Nom, Fermer, Selected, Nb) values (?, ?, ?, ?)"));
        Statement tp = db->prepare(
            QStringLiteral("insert into Points (Nom, X, Y, Trace, Num_trace, Selected) values (?, ?, ?, ?, ?, ?)"));
        for (int t = 0; t < kTracks; ++t) {
            const bool selected = t % 10 == 0;
            tr.run({QStringLiteral("tr%1").arg(t), t % 7 == 0 ? 1 : 0, selected ? 1 : 0, kPointsPerTrack});
            const qint64 id = db->lastInsertId();
            double x = rng.bounded(100000.0), y = rng.bounded(70000.0);
            for (int n = 1; n <= kPointsPerTrack; ++n) {
                x += rng.bounded(600.0) - 300;
                y += rng.bounded(600.0) - 300;
                tracks[size_t(t)].push_back({x, y, selected});
                tp.run({QStringLiteral("tr%1").arg(t), x, y, id, n, selected ? 1 : 0});
            }
        }
        tx.commit();
    }

    frmAccueil form;
    form.picture1()->setFixedSize(kWidth, kHeight);
    form.show();
    QApplication::processEvents();
    form.zoomGlobal();
    form.redraw();  // warm-up
    const double ours = medianMs([&] { form.redraw(); });

    // The same drawing from memory: the same scale, discs, lines and passes.
    ViewState v = form.viewState();
    const CanvasScale sc = echelleVue(v, kWidth, kHeight, state().facteurTaille);
    const double kx = kWidth / sc.width, ky = kHeight / sc.height;
    const double radius = v.tailleSymbole * kx;
    const int penWidth = drawWidthFor(kHeight, state().facteurTaille);
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    auto px = [&](const Pt& p) { return QPointF((p.x - sc.left) * kx, (p.y - sc.top) * ky); };
    const double bare = medianMs([&] {
        image.fill(Qt::white);
        QPainter painter(&image);
        for (const bool selected : {false, true}) {
            const QColor c = couleurQt(selected ? state().paramCouleurSel : state().paramCouleur);
            painter.setPen(QPen(c, penWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            for (const auto& track : tracks) {
                if (track.front().selected != selected) continue;
                for (size_t i = 1; i < track.size(); ++i) painter.drawLine(px(track[i - 1]), px(track[i]));
            }
        }
        for (const bool selected : {false, true}) {
            const QColor c = couleurQt(selected ? state().paramCouleurSel : state().paramCouleur);
            painter.setPen(QPen(c, penWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            painter.setBrush(c);
            for (const Pt& p : waypoints)
                if (p.selected == selected) painter.drawEllipse(px(p), radius, radius);
        }
    });

    std::printf("redraw of %d waypoints and %d track points on %dx%d, median of %d runs\n", kWaypoints,
                kTracks * kPointsPerTrack, kWidth, kHeight, kRuns);
    std::printf("  frmAccueil::redraw (database + canvas): %8.1f ms\n", ours);
    std::printf("  bare QPainter loop from memory:         %8.1f ms\n", bare);
    std::printf("  ratio: %.2f\n", ours / bare);
    return 0;
}
