#include "GpxWriter.h"

#include "BufferedSaveFile.h"
#include "Database.h"
#include "ExportDates.h"
#include "GpxWriterText.h"

namespace sotrix {

namespace {

const char* const kHead =
    "<?xml version=\"1.0\"?>\r\n"
    "<gpx\r\n"
    "version=\"1.0\"\r\n"
    "creator=\"Pavone - http://www.sotrix.org\"\r\n"
    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"\r\n"
    "xmlns=\"http://www.topografix.com/GPX/1/0\"\r\n"
    "xsi:schemaLocation=\"http://www.topografix.com/GPX/1/0 http://www.topografix.com/GPX/1/0/gpx.xsd\">\r\n";

// A point without both coordinates has no place in a GPX file (lat and lon are required):
// it is left out of the blocks, the track point counts and the bounds.
constexpr QLatin1String kHasPosition("Lat IS NOT NULL AND Lon IS NOT NULL");

// Dates on or before the zero of the old date scale mean "no date".
const QDateTime& dateZero() {
    static const QDateTime zero(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC);
    return zero;
}

// The optional <ele> and <time> lines of a waypoint or a track point.
void writeEleTime(BufferedSaveFile& f, const char* indent, const QVariant& altitude, const QVariant& date, int decalage) {
    if (!altitude.isNull()) {
        const double a = altitude.toDouble();
        if (a > 0) {
            f.out().append(indent).append("<ele>");
            appendAltitude(f.out(), a);
            f.out().append("</ele>");
            f.lineDone();
        }
    }
    if (!date.isNull()) {
        if (const auto d = parseStoredDate(date.toString())) {
            const QDateTime utc = toUtc(*d);
            if (utc > dateZero()) {
                f.out().append(indent).append("<time>");
                appendGpxTime(f.out(), utc.addSecs(-qint64(decalage) * 3600));
                f.out().append("</time>");
                f.lineDone();
            }
        }
    }
}

void writeTextLine(BufferedSaveFile& f, const char* indent, const char* tag, const QString& text) {
    f.out().append(indent).append('<').append(tag).append('>');
    appendEscaped(f.out(), text);
    f.out().append("</").append(tag).append('>');
    f.lineDone();
}

void writeDescription(BufferedSaveFile& f, const char* indent, const QVariant& description) {
    const QString d = description.toString();
    if (description.isNull() || d.isEmpty()) return;
    writeTextLine(f, indent, "cmt", d);
    writeTextLine(f, indent, "desc", d);
}

void writePointStart(BufferedSaveFile& f, const char* prefix, const QVariant& lat, const QVariant& lon) {
    f.out().append(prefix).append(" lat=\"");
    appendCoordinate(f.out(), lat.toDouble());
    f.out().append("\" lon=\"");
    appendCoordinate(f.out(), lon.toDouble());
    f.out().append("\">");
    f.lineDone();
}

void writeBounds(BufferedSaveFile& f, Database& db, const GpxExport& o) {
    Cursor c = db.query(QStringLiteral(
        "SELECT MIN(Lat), MIN(Lon), MAX(Lat), MAX(Lon) FROM Points WHERE ") + kHasPosition + QStringLiteral(
        " AND ((?1 AND Trace = 0 AND (NOT ?3 OR Selected <> 0)) "
        "OR (?2 AND Trace > 0 AND Trace IN (SELECT Id_trace FROM Trace WHERE NOT ?3 OR Selected <> 0)))"),
        {int(o.waypoints), int(o.tracks), int(o.selectedOnly)});
    if (!c.next() || c.value(0).isNull()) return;  // no point in the file: no bounds
    QByteArray& out = f.out();
    out.append("<bounds minlat=\"");
    appendCoordinate(out, c.value(0).toDouble());
    out.append("\" minlon =\"");
    appendCoordinate(out, c.value(1).toDouble());
    out.append("\" maxlat=\"");
    appendCoordinate(out, c.value(2).toDouble());
    out.append("\" maxlon=\"");
    appendCoordinate(out, c.value(3).toDouble());
    out.append("\" />");
    f.lineDone();
}

void writeWaypoints(BufferedSaveFile& f, Database& db, const GpxExport& o) {
    Cursor c = db.query(QStringLiteral("SELECT Nom, Lat, Lon, Altitude, Date, Description FROM Points "
                                       "WHERE Trace = 0 AND ") + kHasPosition +
                        (o.selectedOnly ? QStringLiteral(" AND Selected <> 0") : QString()) +
                        QStringLiteral(" ORDER BY Id_point"));
    while (c.next()) {
        writePointStart(f, "<wpt", c.value(1), c.value(2));
        writeEleTime(f, "  ", c.value(3), c.value(4), o.decalageHours);
        writeTextLine(f, "  ", "name", c.value(0).toString());
        writeDescription(f, "  ", c.value(5));
        f.out().append("</wpt>");
        f.lineDone();
    }
}

void writeTracks(BufferedSaveFile& f, Database& db, const GpxExport& o) {
    Cursor tracks = db.query(QStringLiteral("SELECT Id_trace, Nom, Description FROM Trace") +
                             (o.selectedOnly ? QStringLiteral(" WHERE Selected <> 0") : QString()) +
                             QStringLiteral(" ORDER BY Id_trace"));
    Statement count(db, QStringLiteral("SELECT COUNT(*) FROM Points WHERE Trace = ?1 AND ") + kHasPosition);
    Statement points(db, QStringLiteral("SELECT Lat, Lon, Altitude, Date FROM Points WHERE Trace = ?1 AND ") +
                             kHasPosition + QStringLiteral(" ORDER BY Num_trace, Id_point"));
    while (tracks.next()) {
        const qint64 id = tracks.value(0).toLongLong();
        count.reset();
        count.bind({id});
        const qint64 n = count.step() ? count.value(0).toLongLong() : 0;
        if (n == 0) continue;  // a track without points has no block
        f.out().append("<trk>");
        f.lineDone();
        writeTextLine(f, "  ", "name", tracks.value(1).toString());
        writeDescription(f, "  ", tracks.value(2));
        f.out().append("  <number>").append(QByteArray::number(n)).append("</number>");
        f.lineDone();
        f.out().append("  <trkseg>");
        f.lineDone();
        points.reset();
        points.bind({id});
        while (points.step()) {
            writePointStart(f, "    <trkpt", points.value(0), points.value(1));
            writeEleTime(f, "      ", points.value(2), points.value(3), o.decalageHours);
            f.out().append("    </trkpt>");
            f.lineDone();
        }
        f.out().append("  </trkseg>");
        f.lineDone();
        f.out().append("</trk>");
        f.lineDone();
    }
}

}  // namespace

void ecritGpx(Database& db, const QString& path, const GpxExport& options) {
    BufferedSaveFile f(path, options.kind);
    f.setBeforeRename(options.beforeRename);
    f.out().append(kHead);
    f.out().append("<time>");
    const QDateTime local = options.now;
    appendGpxTime(f.out(), QDateTime(local.date(), local.time(), Qt::UTC).addSecs(-qint64(options.decalageHours) * 3600));
    f.out().append("</time>");
    f.lineDone();
    writeBounds(f, db, options);
    if (options.waypoints) writeWaypoints(f, db, options);
    if (options.tracks) writeTracks(f, db, options);
    f.out().append("</gpx>");
    f.lineDone();
    f.commit();
}

}  // namespace sotrix
