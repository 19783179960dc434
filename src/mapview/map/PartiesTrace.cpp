#include "PartiesTrace.h"

#include <sqlite3.h>

#include <algorithm>
#include <thread>

namespace sotrix {

namespace {
// The first or last Num_trace of the track in index order, Nulls aside.
Statement numTraceExtreme(Database& db, bool dernier) {
    return db.prepare(QStringLiteral("select Num_trace from Points where Trace = ? and Num_trace is not null "
                                     "order by Num_trace %1 limit 1")
                          .arg(dernier ? QLatin1String("desc") : QLatin1String("asc")));
}

QVariant valeur(Statement& st, qint64 idTrace) {
    st.reset();
    st.bindInt(1, idTrace);
    return st.step() ? st.value(0) : QVariant();
}
}  // namespace

qint64 partiesSimultanees() { return std::clamp<qint64>(std::thread::hardware_concurrency(), 2, 8); }

DecoupageTraces::DecoupageTraces(Database& db)
    : db_(db), premier_(numTraceExtreme(db, false)), dernier_(numTraceExtreme(db, true)) {}

std::vector<std::pair<qint64, qint64>> DecoupageTraces::plages(qint64 idTrace, qint64 pointsParPartie,
                                                                qint64 partiesMax) {
    if (!sqlite3_get_autocommit(db_.handle())) return {};
    const QVariant premier = valeur(premier_, idTrace);
    const QVariant dernier = valeur(dernier_, idTrace);
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

std::vector<std::pair<qint64, qint64>> partiesNumTrace(Database& db, qint64 idTrace, qint64 pointsParPartie,
                                                        qint64 partiesMax) {
    return DecoupageTraces(db).plages(idTrace, pointsParPartie, partiesMax);
}

}  // namespace sotrix
