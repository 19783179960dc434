#include "DateSelection.h"

#include "Database.h"

#include <QRegularExpression>

namespace sotrix {

namespace {

int fenetreAnnee(int twoDigits) { return twoDigits < 30 ? 2000 + twoDigits : 1900 + twoDigits; }

const char* const kClause = " date(\"Date\") >= :d1 and date(\"Date\") <= :d2";

}  // namespace

std::optional<QDate> litDate(const QString& text, const QLocale& locale) {
    QString day = text.trimmed();
    if (const qsizetype blank = day.indexOf(QRegularExpression(QStringLiteral("\\s"))); blank >= 0)
        day.truncate(blank);
    if (day.isEmpty()) return std::nullopt;

    static const QRegularExpression dayFirst(QStringLiteral("^(\\d{1,2})([/.-])(\\d{1,2})\\2(\\d{4}|\\d{2})$"));
    static const QRegularExpression yearFirst(QStringLiteral("^(\\d{4})-(\\d{1,2})-(\\d{1,2})$"));
    if (const auto m = dayFirst.match(day); m.hasMatch()) {
        const QString year = m.captured(4);
        // Two-digit years only in the d/M/yy form.
        if (year.size() == 2 && m.captured(2) != QLatin1String("/")) return std::nullopt;
        const int y = year.size() == 2 ? fenetreAnnee(year.toInt()) : year.toInt();
        const QDate d(y, m.captured(3).toInt(), m.captured(1).toInt());
        return d.isValid() ? std::optional<QDate>(d) : std::nullopt;
    }
    if (const auto m = yearFirst.match(day); m.hasMatch()) {
        const QDate d(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
        return d.isValid() ? std::optional<QDate>(d) : std::nullopt;
    }
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    QDate d = locale.toDate(day, format);
    if (!d.isValid()) return std::nullopt;
    if (!format.contains(QLatin1String("yyyy")) && format.contains(QLatin1String("yy")))
        d = QDate(fenetreAnnee(d.year() % 100), d.month(), d.day());
    return d.isValid() ? std::optional<QDate>(d) : std::nullopt;
}

qint64 litNombreJours(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    qint64 n = 0;
    // The decimals after "." never count: the count is truncated toward zero.
    for (; i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i)
        n = std::min(kMaxJours, n * 10 + (text[i].unicode() - '0'));
    return negative ? -n : n;
}

std::optional<std::pair<QDate, QDate>> etendueDates(Database& db) {
    Cursor c = db.query(QStringLiteral("select min(\"Date\") as minDate, max(\"Date\") as maxDate from Points"));
    if (!c.next() || c.isNull(QStringLiteral("minDate")) || c.isNull(QStringLiteral("maxDate"))) return std::nullopt;
    const auto day = [&](const char* column) {
        return QDate::fromString(c.value(QString::fromLatin1(column)).toString().left(10), QStringLiteral("yyyy-MM-dd"));
    };
    const QDate first = day("minDate");
    const QDate last = day("maxDate");
    if (!first.isValid() || !last.isValid()) return std::nullopt;
    return std::make_pair(first, last);
}

std::optional<SelectionChangee> selectionneDates(Database& db, const QDate& d1, const QDate& d2, bool waypoints,
                                                 bool tracks, bool selectionExiste,
                                                 const std::function<bool()>& nouvelleSelection) {
    const QString clause = QString::fromLatin1(kClause);
    const QVariantList period{d1.toString(QStringLiteral("yyyy-MM-dd")), d2.toString(QStringLiteral("yyyy-MM-dd"))};
    const QString waypointDate = QStringLiteral("(Trace = 0 and") + clause + QLatin1Char(')');
    // The tracks with a point in the period, worked out once by the database.
    const QString traceDatee = QStringLiteral("(Trace in (select Trace from Points where Trace > 0 and") + clause +
                               QStringLiteral("))");
    const QString idDate = QStringLiteral("(Id_trace in (select Trace from Points where Trace > 0 and") + clause +
                           QStringLiteral("))");

    const bool waypointsFound =
        waypoints && db.scalar(QStringLiteral("select 1 from Points where") + waypointDate + QStringLiteral(" limit 1"),
                               period)
                         .isValid();
    const bool replace = waypointsFound && selectionExiste && nouvelleSelection();

    SelectionChangee c;
    Transaction tx(db);
    const bool tracksFound =
        tracks && db.scalar(QStringLiteral("select 1 from Points where Trace > 0 and") + clause + QStringLiteral(" limit 1"),
                            period)
                      .isValid();
    // What the period selects stays as it is rather than being unselected, then selected again.
    if (replace)
        effaceSauf(db, c, {waypointDate, period}, tracksFound ? Garde{traceDatee, {}} : Garde{},
                   tracksFound ? Garde{idDate, period} : Garde{});
    if (waypointsFound)
        ecritEtNote(db, QStringLiteral("update Points set Selected = 1 where Selected is not 1 and") + waypointDate +
                            QString::fromLatin1(kRetourWaypoints),
                    period, c.waypoints);
    if (tracksFound) {
        // A track is selected whole, its row and all its points, through any one point.
        db.exec(QStringLiteral("update Points set Selected = 1 where Selected is not 1 and") + traceDatee, period);
        ecritEtNote(db, QStringLiteral("update Trace set Selected = 1 where Selected is not 1 and") + idDate +
                            QString::fromLatin1(kRetourTraces),
                    period, c.traces);
    }
    tx.commit();
    if (!waypointsFound && !tracksFound) return std::nullopt;
    return c;
}

}  // namespace sotrix
