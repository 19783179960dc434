#include "CsvWriter.h"

#include "BufferedSaveFile.h"
#include "Database.h"
#include "ExportDates.h"

namespace sotrix {

namespace {

const char* const kHeader = "Trace;\"Nom\";X;Y;Altitude;Date;\"Description\"";

// Which points: waypoints and/or track points, all or only the selected rows.
QString condition(const CsvExport& o) {
    if (o.waypoints && o.tracks) return o.selectedOnly ? QStringLiteral("Selected <> 0") : QStringLiteral("1");
    if (o.waypoints)
        return o.selectedOnly ? QStringLiteral("Trace = 0 AND Selected <> 0") : QStringLiteral("Trace = 0");
    return o.selectedOnly ? QStringLiteral("Trace > 0 AND Selected <> 0") : QStringLiteral("Trace > 0");
}

// Up to 15 significant digits, "-0" written as "0", the decimal point replaced.
void appendNumber(QByteArray& out, const QVariant& v, const QByteArray& separator) {
    if (v.isNull()) return;
    const double d = v.toDouble();
    QByteArray text = QByteArray::number(d == 0 ? 0.0 : d, 'g', 15);
    if (separator != ".") text.replace('.', separator);
    out.append(text);
}

// Between double quotes, each double quote doubled. A line break (CR, LF or CR LF) becomes
// one blank, since a reader of lines would split the record there.
void appendQuoted(QByteArray& out, const QVariant& v) {
    out.append('"');
    if (!v.isNull()) {
        const QByteArray text = v.toString().toUtf8();
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char c = text[i];
            if (c == '"') {
                out.append("\"\"");
            } else if (c == '\r' || c == '\n') {
                out.append(' ');
                if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            } else {
                out.append(c);
            }
        }
    }
    out.append('"');
}

void appendDate(QByteArray& out, const QVariant& v) {
    if (v.isNull()) return;
    if (const auto d = parseStoredDate(v.toString())) out.append(dateMesure(*d).toLatin1());
}

}  // namespace

void ecritCsv(Database& db, const QString& path, const CsvExport& options) {
    const QByteArray separator = options.decimalSeparator.toUtf8();
    // Each case is one fixed statement: the coordinates chosen by column position.
    Cursor c = db.query(
        QStringLiteral("SELECT Trace, Num_trace, Nom, %1, Altitude, Date, Description FROM Points WHERE %2 "
                       "ORDER BY Id_point")
            .arg(options.mapCoordinates ? QStringLiteral("X, Y") : QStringLiteral("Lon, Lat"), condition(options)));
    BufferedSaveFile f(path);
    f.setBeforeRename(options.beforeRename);
    QByteArray& out = f.out();
    out.append(kHeader);
    f.lineDone();
    while (c.next()) {
        const QVariant trace = c.value(0);
        if (!trace.isNull()) out.append(QByteArray::number(trace.toLongLong()));
        out.append(';');
        appendQuoted(out, !trace.isNull() && trace.toLongLong() == 0 ? c.value(2) : c.value(1));
        out.append(';');
        appendNumber(out, c.value(3), separator);
        out.append(';');
        appendNumber(out, c.value(4), separator);
        out.append(';');
        appendNumber(out, c.value(5), separator);
        out.append(';');
        appendDate(out, c.value(6));
        out.append(';');
        appendQuoted(out, c.value(7));
        f.lineDone();
    }
    f.commit();
}

}  // namespace sotrix
