#include "MapDrawing.h"

#include "Database.h"
#include "MapCanvas.h"

namespace sotrix {

void afficheWaypoints(Database& db, MapCanvas& canvas, const DrawColours& colours, double tailleSymbole) {
    // Any non-zero Selected is a selection: the two passes must cover every row.
    Statement st = db.prepare(
        QStringLiteral("select X, Y from Points where Trace = 0 and (Selected <> 0) = ? order by Id_point"));
    for (const bool selected : {false, true}) {
        const qint32 colour = selected ? colours.couleurSel : colours.couleur;
        canvas.setFill(true, colour);
        MapCanvas::Painter painter(canvas);
        st.reset();
        st.bind({selected ? 1 : 0});
        while (st.step()) {
            if (st.isNull(0) || st.isNull(1)) continue;
            painter.circle(st.value(0).toDouble(), st.value(1).toDouble(), tailleSymbole, colour);
        }
    }
}

void afficheTraces(Database& db, MapCanvas& canvas, const DrawColours& colours) {
    // One pass per selection state: the points of every track of that state, track by track
    // in their order. A point without coordinates is left out and its neighbours joined.
    Statement st = db.prepare(QStringLiteral(
        "select T.Id_trace, T.Fermer, P.X, P.Y from Trace T join Points P on P.Trace = T.Id_trace "
        "where (T.Selected <> 0) = ? and P.X is not null and P.Y is not null "
        "order by T.Id_trace, P.Num_trace, P.Id_point"));
    for (const bool selected : {false, true}) {
        const qint32 colour = selected ? colours.couleurSel : colours.couleur;
        MapCanvas::Painter painter(canvas);
        st.reset();
        st.bind({selected ? 1 : 0});

        qint64 track = 0;
        bool closed = false;
        bool havePrevious = false;  // a point of this track has been seen
        int count = 0;
        double firstX = 0, firstY = 0, prevX = 0, prevY = 0;
        auto closeRing = [&] {
            if (closed && count >= 2) painter.line(prevX, prevY, firstX, firstY, colour);
        };
        while (st.step()) {
            const qint64 id = st.value(0).toLongLong();
            const double x = st.value(2).toDouble();
            const double y = st.value(3).toDouble();
            if (!havePrevious || id != track) {
                if (havePrevious) closeRing();
                track = id;
                closed = st.value(1).toLongLong() != 0;
                count = 0;
                firstX = x;
                firstY = y;
            } else {
                painter.line(prevX, prevY, x, y, colour);
            }
            havePrevious = true;
            ++count;
            prevX = x;
            prevY = y;
        }
        if (havePrevious) closeRing();
    }
}

}  // namespace sotrix
