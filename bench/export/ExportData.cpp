#include "ExportData.h"

#include "Database.h"
#include "DeliveredCopy.h"
#include "Fail.h"

#include <QDateTime>
#include <QFile>

#include <cmath>
#include <random>

namespace sotrix::bench {

void fillWorkspace(const QString& dbPath) {
    if (!copyDelivered(dbPath)) fail(QStringLiteral("cannot copy the database to ") + dbPath);
    std::mt19937_64 rng(20240501);
    std::uniform_real_distribution<double> lat(49.6, 51.4), lon(2.6, 6.3), alt(0, 700);
    Database db(dbPath);
    Transaction tx(db);
    Statement track(db, QStringLiteral("INSERT INTO Trace (Id_trace, Nom, Fermer, Nb) VALUES (?, ?, ?, ?)"));
    Statement point(db, QStringLiteral("INSERT INTO Points (Lon, Lat, X, Y, Altitude, Date, Trace, Num_trace) "
                                       "VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
    const QDateTime start(QDate(2024, 5, 1), QTime(6, 0), Qt::UTC);
    for (int t = 1; t <= kTracks; ++t) {
        track.run({t, QStringLiteral("Trace %1").arg(t), t % 2, kPointsPerTrack});
        for (int n = 1; n <= kPointsPerTrack; ++n) {
            const double x = lon(rng), y = lat(rng), z = std::round(alt(rng) * 10) / 10;
            const QDateTime when = start.addSecs(qint64(t) * 86400 + n);
            point.run({x, y, x * 100000, y * 100000, z, when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), t, n});
        }
    }
    tx.commit();
}

void writeTrackPointsVrt(const QString& vrtPath, const QString& dbName) {
    // strftime gives Null for a date it cannot read, as our export leaves the field blank.
    const QByteArray vrt =
        "<OGRVRTDataSource>\n"
        "  <OGRVRTLayer name=\"out_tw\">\n"
        "    <SrcDataSource relativeToVRT=\"1\">" +
        dbName.toHtmlEscaped().toUtf8() +
        "</SrcDataSource>\n"
        "    <SrcSQL dialect=\"sqlite\">SELECT Trace, Num_trace, Lon, Lat, Altitude, "
        "strftime('%d/%m/%Y %H:%M:%S', \"Date\") AS DateMesure, Description "
        "FROM Points WHERE Trace &gt; 0 ORDER BY Id_point</SrcSQL>\n"
        "    <GeometryType>wkbPoint</GeometryType>\n"
        "    <GeometryField encoding=\"PointFromColumns\" x=\"Lon\" y=\"Lat\"/>\n"
        "    <Field name=\"Trace\" type=\"Integer\" width=\"11\"/>\n"
        "    <Field name=\"Num_trace\" type=\"Integer\" width=\"11\"/>\n"
        "    <Field name=\"Lon\" type=\"Real\" width=\"20\" precision=\"8\"/>\n"
        "    <Field name=\"Lat\" type=\"Real\" width=\"20\" precision=\"8\"/>\n"
        "    <Field name=\"Altitude\" type=\"Real\" width=\"20\" precision=\"8\"/>\n"
        "    <Field name=\"DateMesure\" type=\"String\" width=\"19\"/>\n"
        // Cut to the 10 characters of a dBASE name here, as our writer cuts it.
        "    <Field name=\"Descriptio\" src=\"Description\" type=\"String\" width=\"254\"/>\n"
        "  </OGRVRTLayer>\n"
        "</OGRVRTDataSource>\n";
    QFile f(vrtPath);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(vrt) != vrt.size())
        fail(QStringLiteral("cannot write ") + vrtPath);
}

}  // namespace sotrix::bench
