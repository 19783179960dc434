#include "FloorRead.h"

#include "Fail.h"
#include "MapIndexSql.h"
#include "Stopwatch.h"

#include <QFile>

#include <sqlite3.h>

#include <memory>

namespace sotrix::bench {

namespace {

struct CloseDb {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct Finalize {
    void operator()(sqlite3_stmt* st) const { sqlite3_finalize(st); }
};
using Connection = std::unique_ptr<sqlite3, CloseDb>;
using Query = std::unique_ptr<sqlite3_stmt, Finalize>;

Query prepare(sqlite3* db, const QByteArray& sql, const QRectF& area) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &st, nullptr) != SQLITE_OK)
        fail(QStringLiteral("floor: ") + QString::fromUtf8(sqlite3_errmsg(db)));
    Query q(st);
    sqlite3_bind_double(st, 1, area.left());
    sqlite3_bind_double(st, 2, area.right());
    sqlite3_bind_double(st, 3, area.top());
    sqlite3_bind_double(st, 4, area.bottom());
    return q;
}

}  // namespace

FloorRead::FloorRead(const QString& databasePath, const FloorAreas& areas) : path_(databasePath), areas_(areas) {
    readWith(false);  // warm-up
    Stopwatch scan;
    readWith(false);
    const double scanSeconds = scan.seconds();
    Stopwatch index;
    readWith(true);
    byIndex_ = index.seconds() < scanSeconds;
}

long long FloorRead::read() const { return readWith(byIndex_); }

long long FloorRead::readWith(bool byIndex) const {
    sqlite3* raw = nullptr;
    const QByteArray file = QFile::encodeName(path_);
    if (sqlite3_open_v2(file.constData(), &raw, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK)
        fail(QStringLiteral("floor: cannot open ") + path_);
    const Connection db(raw);
    const QByteArray waypoints = QByteArray("select X, Y, Selected from Points ") +
                                 (byIndex ? QByteArray("indexed by ") + kIndexPositions : QByteArray("not indexed")) +
                                 " where Trace = 0 and X between ?1 and ?2 and Y between ?3 and ?4";
    const QByteArray tracks =
        "select P.X, P.Y from EtendueTrace B cross join Points P on P.Trace = B.Id_trace "
        "where B.maxX >= ?1 and B.minX <= ?2 and B.maxY >= ?3 and B.minY <= ?4 order by P.Trace, P.Num_trace";
    long long rows = 0;
    double sum = 0;  // what the loop reads is used
    const Query w = prepare(db.get(), waypoints, areas_.waypoints);
    while (sqlite3_step(w.get()) == SQLITE_ROW) {
        sum += sqlite3_column_double(w.get(), 0) + sqlite3_column_double(w.get(), 1) + sqlite3_column_int(w.get(), 2);
        ++rows;
    }
    const Query t = prepare(db.get(), tracks, areas_.tracks);
    while (sqlite3_step(t.get()) == SQLITE_ROW) {
        sum += sqlite3_column_double(t.get(), 0) + sqlite3_column_double(t.get(), 1);
        ++rows;
    }
    return sum == -1 ? -rows : rows;
}

}  // namespace sotrix::bench
