#include "MapDrawing.h"

#include "Database.h"
#include "MapCanvas.h"
#include "MapIndexSql.h"
#include "PartiesTrace.h"
#include "TraceEnPixels.h"

#include <QRectF>

#include <algorithm>
#include <cmath>
#include <deque>
#include <future>
#include <limits>
#include <optional>
#include <vector>

namespace sotrix {

namespace {

// Beyond a shape's own size, how far past the picture's edge an item is still read, in
// pixels: what the canvas may paint of it is judged there.
constexpr double kReadMargin = 4;
// Discs handed to the canvas at a time.
constexpr size_t kBatch = 65536;

// The bounds of a query: the area, or everything when there is none.
void bindArea(Statement& st, const std::optional<QRectF>& area) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    st.bindDouble(1, area ? area->left() : -inf);
    st.bindDouble(2, area ? area->right() : inf);
    st.bindDouble(3, area ? area->top() : -inf);
    st.bindDouble(4, area ? area->bottom() : inf);
}

// A waypoint read through the position index costs about this many rows of a pass over
// the whole table: the index's entries in the view's band of X, then the row itself, far
// from the one before (measured on a table of a million waypoints and as many track
// points).
constexpr qint64 kLookupPerRowRead = 40;

// Whether the waypoints of the area are best read through the position index: when they
// are few beside the rows of the table. Counting them stops at that bound.
bool parIndex(Database& db, const std::optional<QRectF>& area) {
    if (!area) return false;
    // Each bound on its own, which SQLite reads from an end of the table; together in one
    // aggregate, they would cost a pass over it.
    const qint64 rows =
        db.scalar(QStringLiteral("select (select max(Id_point) from Points) - (select min(Id_point) from Points) + 1"))
            .toLongLong();
    const qint64 bound = rows / kLookupPerRowRead;
    Statement st = db.prepare(QStringLiteral("select count(*) from (select 1 from Points indexed by ") +
                              QLatin1String(kIndexPositions) +
                              QStringLiteral(" where Trace = 0 and X between ?1 and ?2 and Y between ?3 and ?4 "
                                             "limit ?5)"));
    bindArea(st, area);
    st.bindInt(5, bound);
    return st.step() && st.intValue(0) < bound;
}

const char* const kPointsTrace = "select X, Y from Points where Trace = ?1 and X is not null and Y is not null ";

// Every point of st into trace.
void parcourt(Statement& st, TraceEnPixels& trace) {
    while (st.step()) trace.ajoute(QPointF(st.doubleValue(0), st.doubleValue(1)));
    trace.termine();
}

// The parts of a long track in their order, read a few ahead of the caller on connections
// of their own, each turned into its runs of pixels there, so that memory stays bounded;
// the points without a Num_trace come first, as the track's order puts them.
class LecturePartiesTrace {
public:
    LecturePartiesTrace(Database& db, qint64 idTrace, std::vector<std::pair<qint64, qint64>> plages,
                        const MapCanvas::Painter::PixelScale& scale, double tolerance,
                        const std::optional<QRectF>& area)
        : path_(db.path()), idTrace_(idTrace), plages_(std::move(plages)), scale_(scale), tolerance_(tolerance),
          area_(area), sansNumero_(scale, tolerance, area) {
        while (lancees_ < plages_.size() && enCours_.size() < size_t(partiesSimultanees())) lance();
        Statement st = db.prepare(QLatin1String(kPointsTrace) + QStringLiteral("and Num_trace is null order by Id_point"));
        st.bindInt(1, idTrace);
        parcourt(st, sansNumero_);
    }
    // Calls f on each part in order.
    template <typename F>
    void pourChaque(F&& f) {
        f(sansNumero_);
        while (!enCours_.empty()) {
            const TraceEnPixels partie = enCours_.front().get();
            enCours_.pop_front();
            if (lancees_ < plages_.size()) lance();
            f(partie);
        }
    }

private:
    void lance() {
        const std::pair<qint64, qint64> plage = plages_[lancees_++];
        enCours_.push_back(std::async(std::launch::async, [this, plage] {
            Database lecteur(path_);
            Statement st = lecteur.prepare(QLatin1String(kPointsTrace) +
                                           QStringLiteral("and Num_trace >= ?2 and Num_trace < ?3 "
                                                          "order by Num_trace, Id_point"));
            st.bindInt(1, idTrace_);
            st.bindInt(2, plage.first);
            st.bindInt(3, plage.second);
            TraceEnPixels partie(scale_, tolerance_, area_);
            parcourt(st, partie);
            return partie;
        }));
    }
    const QString path_;
    const qint64 idTrace_;
    const std::vector<std::pair<qint64, qint64>> plages_;
    const MapCanvas::Painter::PixelScale scale_;
    const double tolerance_;
    const std::optional<QRectF> area_;
    TraceEnPixels sansNumero_;
    size_t lancees_ = 0;
    std::deque<std::future<TraceEnPixels>> enCours_;
};

}  // namespace

void afficheWaypoints(Database& db, MapCanvas& canvas, const DrawColours& colours, double tailleSymbole) {
    // One read of the waypoints that can reach the picture. Discs go to the canvas in
    // batches of one colour; the selected ones wait until every unselected one is drawn.
    // Any non-zero Selected is a selection.
    MapCanvas::Painter painter(canvas);
    std::vector<QPointF> batch, selected;
    auto flush = [&] {
        painter.circles(batch, tailleSymbole, colours.couleur);
        batch.clear();
    };
    const std::optional<QRectF> area =
        painter.userArea(painter.pixels(tailleSymbole) + painter.penWidth() + kReadMargin);
    Statement st = db.prepare(QStringLiteral("select X, Y, Selected <> 0 from Points ") +
                              (parIndex(db, area) ? QStringLiteral("indexed by ") + QLatin1String(kIndexPositions)
                                                  : QStringLiteral("not indexed")) +
                              QStringLiteral(" where Trace = 0 and X between ?1 and ?2 and Y between ?3 and ?4"));
    bindArea(st, area);
    canvas.setFill(true, colours.couleur);
    while (st.step()) {
        const QPointF p(st.doubleValue(0), st.doubleValue(1));
        if (st.intValue(2)) {
            selected.push_back(p);
        } else {
            batch.push_back(p);
            if (batch.size() == kBatch) flush();
        }
    }
    flush();
    canvas.setFill(true, colours.couleurSel);
    painter.circles(selected, tailleSymbole, colours.couleurSel);
}

void afficheTraces(Database& db, MapCanvas& canvas, const DrawColours& colours, qint64 pointsParPartie) {
    // One pass per selection state: the tracks of that state whose box reaches the picture,
    // then the points of each in their order, merged pixel by pixel and drawn in runs. A
    // track without a stored box has it worked out here: a redraw only reads. A point
    // without coordinates is left out and its neighbours joined.
    Statement tracks = db.prepare(QStringLiteral(
        "select T.Id_trace, T.Fermer <> 0 from EtendueTrace B join Trace T on T.Id_trace = B.Id_trace "
        "where B.maxX >= ?1 and B.minX <= ?2 and B.maxY >= ?3 and B.minY <= ?4 and (T.Selected <> 0) = ?5 "
        "union all "
        "select T.Id_trace, T.Fermer <> 0 from Trace T join Points P on P.Trace = T.Id_trace "
        "where T.Id_trace not in (select Id_trace from EtendueTrace) and (T.Selected <> 0) = ?5 "
        "and P.X is not null and P.Y is not null group by T.Id_trace "
        "having max(P.X) >= ?1 and min(P.X) <= ?2 and max(P.Y) >= ?3 and min(P.Y) <= ?4 "
        "order by 1"));
    Statement points = db.prepare(QLatin1String(kPointsTrace) + QStringLiteral("order by Num_trace, Id_point"));
    DecoupageTraces decoupage(db);
    MapCanvas::Painter painter(canvas);
    const MapCanvas::Painter::PixelScale& scale = painter.pixelScale();
    const double tolerance = painter.mergeTolerance();
    const std::optional<QRectF> area = painter.userArea(painter.penWidth() + kReadMargin);
    for (const bool selected : {false, true}) {
        const qint32 colour = selected ? colours.couleurSel : colours.couleur;
        auto dessine = [&](const TraceEnPixels& trace) {
            trace.pourChaqueSuite([&](const QPointF* run, size_t n) { painter.polyline(run, n, colour); });
        };
        // A line between two points read apart: the ends of two parts, the closing edge.
        auto joint = [&](QPointF a, QPointF b) {
            if (!atteint(area, a, b)) return;
            const QPointF ends[] = {scale.painterPoint(a.x(), a.y()), scale.painterPoint(b.x(), b.y())};
            painter.polyline(ends, 2, colour);
        };
        tracks.reset();
        bindArea(tracks, area);
        tracks.bindInt(5, selected ? 1 : 0);
        while (tracks.step()) {
            const qint64 idTrace = tracks.intValue(0);
            const bool closed = tracks.intValue(1) != 0;
            qint64 count = 0;
            QPointF first, previous;
            // Each part joins the one before it, then brings its own runs.
            auto suit = [&](const TraceEnPixels& partie) {
                if (partie.count() == 0) return;
                if (count == 0)
                    first = partie.premier();
                else
                    joint(previous, partie.premier());
                dessine(partie);
                count += partie.count();
                previous = partie.dernier();
            };
            auto plages = decoupage.plages(idTrace, pointsParPartie, std::numeric_limits<qint64>::max());
            if (plages.empty()) {
                points.reset();
                points.bindInt(1, idTrace);
                TraceEnPixels entiere(scale, tolerance, area);
                parcourt(points, entiere);
                suit(entiere);
            } else {
                LecturePartiesTrace(db, idTrace, std::move(plages), scale, tolerance, area).pourChaque(suit);
            }
            if (closed && count >= 2) joint(previous, first);
        }
    }
}

}  // namespace sotrix
