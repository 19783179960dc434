#include "CsvData.h"

#include "Database.h"
#include "DeliveredCopy.h"
#include "Fail.h"

#include <QDateTime>
#include <QFile>

#include <cmath>
#include <random>

namespace sotrix::bench {

void fillCsvWorkspace(const QString& dbPath) {
    if (!copyDelivered(dbPath)) fail(QStringLiteral("cannot copy the database to ") + dbPath);
    std::mt19937_64 rng(20240501);
    std::uniform_real_distribution<double> x(20000, 290000), y(20000, 250000), alt(0, 700);
    Database db(dbPath);
    Transaction tx(db);
    Statement track(db, QStringLiteral("INSERT INTO Trace (Id_trace, Nom, Nb) VALUES (?, ?, ?)"));
    Statement point(db, QStringLiteral("INSERT INTO Points (X, Y, Lon, Lat, Altitude, Date, Trace, Num_trace) "
                                       "VALUES (?, ?, 4.5, 50.5, ?, ?, ?, ?)"));
    const QDateTime start(QDate(2024, 5, 1), QTime(6, 0), Qt::UTC);
    for (int t = 1; t <= kCsvTracks; ++t) {
        track.run({t, QStringLiteral("Trace %1").arg(t), kCsvPointsPerTrack});
        for (int n = 1; n <= kCsvPointsPerTrack; ++n) {
            const double px = std::round(x(rng) * 1000) / 1000, py = std::round(y(rng) * 1000) / 1000;
            const double z = std::round(alt(rng) * 10) / 10;
            const QDateTime when = start.addSecs(qint64(t) * 86400 + n);
            point.run({px, py, z, when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), t, n});
        }
    }
    tx.commit();
}

void writeCsvVrt(const QString& vrtPath, const QString& dbName) {
    // strftime gives Null for a date it cannot read, as our export leaves the field blank.
    const QByteArray vrt =
        "<OGRVRTDataSource>\n"
        "  <OGRVRTLayer name=\"out\">\n"
        "    <SrcDataSource relativeToVRT=\"1\">" +
        dbName.toHtmlEscaped().toUtf8() +
        "</SrcDataSource>\n"
        "    <SrcSQL dialect=\"sqlite\">SELECT Trace, CASE WHEN Trace = 0 THEN Nom ELSE Num_trace END AS Nom, "
        "X, Y, Altitude, strftime('%d/%m/%Y %H:%M:%S', \"Date\") AS \"Date\", Description "
        "FROM Points ORDER BY Id_point</SrcSQL>\n"
        "    <GeometryType>wkbNone</GeometryType>\n"
        "    <Field name=\"Trace\" type=\"Integer\"/>\n"
        "    <Field name=\"Nom\" type=\"String\"/>\n"
        "    <Field name=\"X\" type=\"Real\"/>\n"
        "    <Field name=\"Y\" type=\"Real\"/>\n"
        "    <Field name=\"Altitude\" type=\"Real\"/>\n"
        "    <Field name=\"Date\" type=\"String\"/>\n"
        "    <Field name=\"Description\" type=\"String\"/>\n"
        "  </OGRVRTLayer>\n"
        "</OGRVRTDataSource>\n";
    QFile f(vrtPath);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(vrt) != vrt.size())
        fail(QStringLiteral("cannot write ") + vrtPath);
}

}  // namespace sotrix::bench
