#include "SelectionChangee.h"

#include "Database.h"

namespace sotrix {

const char* const kRetourWaypoints = " returning Id_point, Selected";
const char* const kRetourTraces = " returning Id_trace, Selected";

void ecritEtNote(Statement& st, Bascules& into) {
    const bool tri = st.columnCount() > 2;
    while (st.step())
        if (!tri || st.intValue(2) != 0)
            (st.intValue(1) != 0 ? into.selectionnees : into.deselectionnees).push_back(st.intValue(0));
    st.reset();
}

void ecritEtNote(Database& db, const QString& sql, const QVariantList& params, Bascules& into) {
    Statement st = db.prepare(sql);
    st.bind(params);
    ecritEtNote(st, into);
}

void effaceSauf(Database& db, SelectionChangee& c, const Garde& waypoints, const Garde& points, const Garde& traces,
                bool seules) {
    // One pass over Points for waypoints and track points alike; the latter are listed
    // through their tracks only.
    const QString efface = QStringLiteral("update Points set Selected = 0 where Selected <> 0 and not coalesce(case when "
                                          "Trace = 0 then (%1) else (%2) end, 0)")
                               .arg(waypoints.sql, points.sql);
    if (seules) {
        db.exec(efface, waypoints.params + points.params);
        c.waypoints.seules = true;
    } else {
        ecritEtNote(db, efface + QStringLiteral(" returning Id_point, Selected, Trace = 0"), waypoints.params + points.params,
                    c.waypoints);
    }
    ecritEtNote(db,
                QStringLiteral("update Trace set Selected = 0 where Selected <> 0 and not coalesce((%1), 0)").arg(traces.sql) +
                    QString::fromLatin1(kRetourTraces),
                traces.params, c.traces);
}

}  // namespace sotrix
