#include "MergeData.h"

#include "Database.h"
#include "DeliveredCopy.h"
#include "EditQueries.h"
#include "Fail.h"

#include <QDateTime>
#include <QFile>

#include <sqlite3.h>

#include <unistd.h>

#include <cmath>
#include <random>

namespace sotrix::bench {

namespace {

constexpr int kOtherTracks = 5;
constexpr int kPointsPerOtherTrack = 1000;
constexpr int kWaypoints = 1000;

// Appends the statement that starts running, with its values, to the script.
int recordStatement(unsigned type, void* script, void* statement, void* text) {
    const char* sql = static_cast<const char*>(text);
    if (type != SQLITE_TRACE_STMT || (sql && sql[0] == '-' && sql[1] == '-')) return 0;  // not a trigger's
    char* expanded = sqlite3_expanded_sql(static_cast<sqlite3_stmt*>(statement));
    if (!expanded) fail(QStringLiteral("cannot write out a statement of the merge"));
    static_cast<QByteArray*>(script)->append(expanded).append(";\n");
    sqlite3_free(expanded);
    return 0;
}

QString rowDifference(Database& a, Database& b, const QString& sql) {
    Cursor x = a.query(sql), y = b.query(sql);
    for (qint64 row = 1;; ++row) {
        const bool more = x.next();
        if (more != y.next()) return QStringLiteral("%1: not as many rows").arg(sql);
        if (!more) return {};
        for (int i = 0; i < x.columnCount(); ++i) {
            const QVariant u = x.value(i), v = y.value(i);
            if (u.typeId() != v.typeId() || u != v)
                return QStringLiteral("%1: row %2, %3: %4 / %5")
                    .arg(sql)
                    .arg(row)
                    .arg(x.columnName(i), u.toString(), v.toString());
        }
    }
}

}  // namespace

void fillMergeWorkspace(const QString& dbPath) {
    if (!copyDelivered(dbPath)) fail(QStringLiteral("cannot copy the database to ") + dbPath);
    std::mt19937_64 rng(20240501);
    std::uniform_real_distribution<double> lat(49.6, 51.4), lon(2.6, 6.3), alt(0, 700);
    Database db(dbPath);
    Transaction tx(db);
    Statement track(db, QStringLiteral("INSERT INTO Trace (Id_trace, Nom, Selected, Nb) VALUES (?, ?, ?, ?)"));
    Statement point(db, QStringLiteral("INSERT INTO Points (Nom, Lon, Lat, X, Y, Altitude, Date, Description, "
                                       "Trace, Num_trace, Selected) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    const QDateTime start(QDate(2024, 5, 1), QTime(6, 0), Qt::UTC);
    const auto addPoint = [&](const QVariant& nom, qint64 trace, qint64 num, bool selected) {
        const double x = lon(rng), y = lat(rng), z = std::round(alt(rng) * 10) / 10;
        const QString when = start.addSecs(trace * 86400 + num).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        point.run({nom, x, y, x * 100000, y * 100000, z, when, num % 100 == 0 ? QVariant(QStringLiteral("note"))
                                                                              : QVariant(),
                   trace, trace == 0 ? QVariant() : QVariant(num), selected});
    };
    for (int t = 1; t <= kMergedTracks + kOtherTracks; ++t) {
        const bool merged = t <= kMergedTracks;
        const int points = merged ? kPointsPerMergedTrack : kPointsPerOtherTrack;
        track.run({t, QStringLiteral("Trace %1").arg(t), merged, points});
        for (int n = 1; n <= points; ++n) addPoint(QVariant(), t, n, merged);
    }
    for (int w = 1; w <= kWaypoints; ++w) addPoint(QStringLiteral("WPT%1").arg(w), 0, w, w % 2 == 0);
    tx.commit();
}

void copySynced(const QString& from, const QString& to) {
    QFile::remove(to);
    QFile copy(to);
    if (!QFile::copy(from, to) || !copy.open(QIODevice::ReadWrite) || ::fsync(copy.handle()) != 0)
        fail(QStringLiteral("cannot copy %1 to %2").arg(from, to));
}

QByteArray mergeStatements(const QString& dbPath, const QString& nom) {
    QByteArray script;
    Database db(dbPath);
    sqlite3_trace_v2(db.handle(), SQLITE_TRACE_STMT, recordStatement, &script);
    fusionneTraces(db, nom);
    sqlite3_trace_v2(db.handle(), 0, nullptr, nullptr);
    return script;
}

QString firstDifference(const QString& a, const QString& b) {
    Database x(a), y(b);
    for (const char* sql : {"select * from Points order by Id_point", "select * from Trace order by Id_trace"})
        if (QString d = rowDifference(x, y, QString::fromLatin1(sql)); !d.isEmpty()) return d;
    return {};
}

}  // namespace sotrix::bench
