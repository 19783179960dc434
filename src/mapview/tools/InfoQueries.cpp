#include "InfoQueries.h"

#include "Database.h"
#include "PartiesTrace.h"

#include <future>
#include <vector>

namespace sotrix {

namespace {
const char* const kColonnesWaypoint =
    "select Nom, X, Y, Lat, Lon, Altitude, \"Date\", Description from Points where Trace = 0 and ";

std::optional<InfoWaypoint> litWaypoint(Cursor c) {
    if (!c.next()) return std::nullopt;
    return InfoWaypoint{c.value(0), c.value(1), c.value(2), c.value(3),
                        c.value(4), c.value(5), c.value(6), c.value(7)};
}
}  // namespace

std::optional<InfoWaypoint> infoWaypointProche(Database& db, double x, double y, double r) {
    return litWaypoint(db.query(QString::fromLatin1(kColonnesWaypoint) +
                                    QStringLiteral("(X-:x)*(X-:x)+(Y-:y)*(Y-:y) <= :r2 "
                                                   "order by (X-:x)*(X-:x)+(Y-:y)*(Y-:y), Id_point limit 1"),
                                {x, y, r * r}));
}

std::optional<InfoWaypoint> infoWaypointCle(Database& db, qint64 idPoint) {
    return litWaypoint(db.query(QString::fromLatin1(kColonnesWaypoint) + QStringLiteral("Id_point = ?"), {idPoint}));
}

namespace {
// The figures of a track's points, in the order of InfoTrace from minDate on; the combining
// query below sums the count and takes the min or max of the others.
const char* const kFiguresTrace =
    "min(Points.\"Date\"), max(Points.\"Date\"), min(Points.Altitude), max(Points.Altitude), "
    "count(Points.Id_point), min(Points.X), max(Points.X), min(Points.Y), max(Points.Y), "
    "min(Points.Lat), max(Points.Lat), min(Points.Lon), max(Points.Lon)";
const char* const kCombinaison =
    "select min(column1), max(column2), min(column3), max(column4), sum(column5), min(column6), max(column7), "
    "min(column8), max(column9), min(column10), max(column11), min(column12), max(column13) from (values ";
constexpr int kNbFigures = 13;

using Figures = std::vector<QVariant>;

Figures litFigures(Database& db, const QString& where, const QVariantList& params) {
    Cursor c = db.query(QStringLiteral("select %1 from Points where %2").arg(QLatin1String(kFiguresTrace), where),
                        params);
    Figures f(kNbFigures);
    if (c.next())
        for (int i = 0; i < kNbFigures; ++i) f[i] = c.value(i);
    return f;
}

// A long track is read in ranges of Num_trace side by side; SQLite then combines the
// ranges' figures, so that they are the one query's to the bit.
std::optional<Figures> figuresEnParallele(Database& db, qint64 idTrace, qint64 pointsParPartie) {
    const auto plages = partiesNumTrace(db, idTrace, pointsParPartie, partiesSimultanees());
    if (plages.empty()) return std::nullopt;
    std::vector<std::future<Figures>> lectures;
    for (const auto& [de, a] : plages) {
        // Structured bindings are captured as copies: clang before 16 cannot capture them.
        lectures.push_back(std::async(std::launch::async, [path = db.path(), idTrace, de = de, a = a] {
            Database lecteur(path);
            return litFigures(lecteur, QStringLiteral("Trace = ? and Num_trace >= ? and Num_trace < ?"),
                              {idTrace, de, a});
        }));
    }
    std::vector<Figures> resultats{litFigures(db, QStringLiteral("Trace = ? and Num_trace is null"), {idTrace})};
    for (auto& lecture : lectures) resultats.push_back(lecture.get());

    QString sql = QString::fromLatin1(kCombinaison);
    QVariantList params;
    const QString ligne = QStringLiteral("(%1)").arg(QStringLiteral("?, ").repeated(kNbFigures - 1) + u'?');
    for (std::size_t i = 0; i < resultats.size(); ++i) {
        sql += (i ? QStringLiteral(", ") : QString()) + ligne;
        for (const QVariant& v : resultats[i]) params.push_back(v);
    }
    Cursor c = db.query(sql + u')', params);
    c.next();
    Figures f(kNbFigures);
    for (int i = 0; i < kNbFigures; ++i) f[i] = c.value(i);
    return f;
}
}  // namespace

std::optional<InfoTrace> infoTraceCle(Database& db, qint64 idTrace, qint64 pointsParPartie) {
    Cursor trace = db.query(
        QStringLiteral("select Nom, Description, Fermer from Trace where Id_trace = ?"), {idTrace});
    if (!trace.next()) return std::nullopt;
    std::optional<Figures> f = figuresEnParallele(db, idTrace, pointsParPartie);
    if (!f) f = litFigures(db, QStringLiteral("Trace = ?"), {idTrace});
    if ((*f)[4].toLongLong() == 0) return std::nullopt;
    InfoTrace t;
    t.nomTrace = trace.value(0);
    t.descriptionTrace = trace.value(1);
    t.fermerTrace = trace.value(2);
    QVariant* fields[] = {&t.minDate, &t.maxDate, &t.minAltitude, &t.maxAltitude, &t.nb, &t.minX, &t.maxX,
                          &t.minY, &t.maxY, &t.minLat, &t.maxLat, &t.minLon, &t.maxLon};
    for (int i = 0; i < kNbFigures; ++i) *fields[i] = (*f)[i];
    return t;
}

}  // namespace sotrix
