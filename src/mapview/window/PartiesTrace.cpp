#include "PartiesTrace.h"

#include "Database.h"

#include <sqlite3.h>

#include <algorithm>
#include <thread>

namespace sotrix {

namespace {
// The first or last Num_trace of the track in index order, Nulls aside.
QVariant numTraceExtreme(Database& db, qint64 idTrace, bool dernier) {
    return db.scalar(QStringLiteral("select Num_trace from Points where Trace = ? and Num_trace is not null "
                                    "order by Num_trace %1 limit 1")
                         .arg(dernier ? QLatin1String("desc") : QLatin1String("asc")),
                     {idTrace});
}
}  // namespace

qint64 partiesSimultanees() { return std::clamp<qint64>(std::thread::hardware_concurrency(), 2, 8); }

std::vector<std::pair<qint64, qint64>> partiesNumTrace(Database& db, qint64 idTrace, qint64 pointsParPartie,
                                                        qint64 partiesMax) {
    if (!sqlite3_get_autocommit(db.handle())) return {};
    const QVariant premier = numTraceExtreme(db, idTrace, false);
    const QVariant dernier = numTraceExtreme(db, idTrace, true);
    if (premier.typeId() != QMetaType::LongLong || dernier.typeId() != QMetaType::LongLong) return {};
    const qint64 debut = premier.toLongLong();
    const qint64 etendue = dernier.toLongLong() - debut + 1;
    const qint64 parties = std::min(etendue / std::max<qint64>(pointsParPartie, 1), partiesMax);
    if (parties < 2) return {};
    std::vector<std::pair<qint64, qint64>> plages;
    for (qint64 i = 0; i < parties; ++i)
        plages.emplace_back(debut + etendue * i / parties, debut + etendue * (i + 1) / parties);
    return plages;
}

}  // namespace sotrix
