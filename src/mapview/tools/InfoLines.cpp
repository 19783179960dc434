#include "InfoLines.h"

#include "Divers.h"

#include <QDate>
#include <QTime>
#include <QLocale>

#include <initializer_list>

namespace sotrix {

namespace {
const QString kRetrait = QStringLiteral("  ");

QLocale locale() {
    QLocale l;
    l.setNumberOptions(QLocale::OmitGroupSeparator);
    return l;
}

// Map coordinates, altitudes: every significant digit, no fixed decimals.
QString nombre(const QVariant& v) { return locale().toString(v.toDouble(), 'g', 15); }
// Latitudes and longitudes: eight decimals.
QString degres(const QVariant& v) { return locale().toString(v.toDouble(), 'f', 8); }

bool tousPresents(std::initializer_list<const QVariant*> values) {
    for (const QVariant* v : values)
        if (v->isNull()) return false;
    return true;
}
}  // namespace

QString texteDate(const QVariant& date) {
    const QString text = date.toString();
    // Date and time apart: a wall-clock time that the local zone skips is still a time.
    const QDate d = QDate::fromString(text.left(10), QStringLiteral("yyyy-MM-dd"));
    const QTime t = QTime::fromString(text.mid(11), QStringLiteral("HH:mm:ss"));
    if (text.size() != 19 || text.at(10) != QLatin1Char(' ') || !d.isValid() || !t.isValid()) return text;
    return d.toString(QStringLiteral("dd'/'MM'/'yyyy")) + QLatin1Char(' ') + t.toString(QStringLiteral("HH':'mm':'ss"));
}

QStringList lignesWaypoint(const InfoWaypoint& w) {
    QStringList l;
    if (!w.Nom.isNull()) l << QStringLiteral("Nom : ") + nomAffiche(w.Nom.toString());
    if (!w.Date.isNull()) l << QStringLiteral("Date : ") + texteDate(w.Date);
    if (!w.Description.isNull()) l << QStringLiteral("Description : ") + nomAffiche(w.Description.toString());
    if (tousPresents({&w.X, &w.Y})) {
        l << QStringLiteral("Coordonnées cartographiques :");
        l << kRetrait + QStringLiteral("X : ") + nombre(w.X);
        l << kRetrait + QStringLiteral("Y : ") + nombre(w.Y);
    }
    if (tousPresents({&w.Lat, &w.Lon})) {
        l << QStringLiteral("Coordonnées GPS :");
        l << kRetrait + QStringLiteral("Latitude : ") + degres(w.Lat);
        l << kRetrait + QStringLiteral("Longitude : ") + degres(w.Lon);
    }
    if (!w.Altitude.isNull()) l << QStringLiteral("Altitude : ") + nombre(w.Altitude);
    return l;
}

QStringList lignesTrace(const InfoTrace& t) {
    QStringList l;
    if (!t.nomTrace.isNull()) l << QStringLiteral("Nom : ") + nomAffiche(t.nomTrace.toString());
    if (tousPresents({&t.minDate, &t.maxDate}))
        l << QString() << QStringLiteral("Dates : ") << kRetrait + QStringLiteral("Min. : ") + texteDate(t.minDate)
          << kRetrait + QStringLiteral("Max. : ") + texteDate(t.maxDate);
    if (!t.descriptionTrace.isNull())
        l << QString() << QStringLiteral("Description : ") + nomAffiche(t.descriptionTrace.toString());
    if (tousPresents({&t.minAltitude, &t.maxAltitude}))
        l << QString() << QStringLiteral("Altitudes : ") << kRetrait + QStringLiteral("Min. : ") + nombre(t.minAltitude)
          << kRetrait + QStringLiteral("Max. : ") + nombre(t.maxAltitude);
    if (tousPresents({&t.minX, &t.maxX, &t.minY, &t.maxY}))
        l << QString() << QStringLiteral("Coordonnées cartographiques : ")
          << kRetrait + QStringLiteral("X min. : ") + nombre(t.minX)
          << kRetrait + QStringLiteral("X max. : ") + nombre(t.maxX)
          << kRetrait + QStringLiteral("Y min. : ") + nombre(t.minY)
          << kRetrait + QStringLiteral("Y max. : ") + nombre(t.maxY);
    if (tousPresents({&t.minLat, &t.maxLat, &t.minLon, &t.maxLon}))
        l << QString() << QStringLiteral("Coordonnées GPS : ")
          << kRetrait + QStringLiteral("Latitude min. : ") + degres(t.minLat)
          << kRetrait + QStringLiteral("Latitude max. : ") + degres(t.maxLat)
          << kRetrait + QStringLiteral("Longitude min. : ") + degres(t.minLon)
          << kRetrait + QStringLiteral("Longitude max. : ") + degres(t.maxLon);
    if (!t.nb.isNull()) l << QString() << QStringLiteral("Nombre de points dans la trace : ") + QString::number(t.nb.toLongLong());
    if (!t.fermerTrace.isNull())
        l << QString() << (t.fermerTrace.toLongLong() != 0 ? QStringLiteral("Trace fermée : oui")
                                                             : QStringLiteral("Trace fermée : non"));
    return l;
}

}  // namespace sotrix
