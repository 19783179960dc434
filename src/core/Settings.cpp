#include "Settings.h"

#include "AppDir.h"
#include "Database.h"
#include "State.h"

#include <limits>
#include <optional>

namespace sotrix {

const char* const kDefaultUrlUpdate = "http://www.sotrix.org/update/";

namespace {

// The integer a column holds, or nothing when it is Null, a fraction, a text that is
// not a whole number, or a blob.
std::optional<qint64> integerOf(const QVariant& v) {
    if (v.isNull()) return std::nullopt;
    switch (v.typeId()) {
    case QMetaType::LongLong:
        return v.toLongLong();
    case QMetaType::Double: {
        const double d = v.toDouble();
        if (d != d || d < -9.2e18 || d > 9.2e18 || d != static_cast<double>(static_cast<qint64>(d)))
            return std::nullopt;
        return static_cast<qint64>(d);
    }
    case QMetaType::QString: {
        bool ok = false;
        const qint64 n = v.toString().trimmed().toLongLong(&ok);
        return ok ? std::optional<qint64>(n) : std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

qint64 loadInt(const Cursor& c, const char* column, qint64 def, qint64 lo, qint64 hi) {
    const auto n = integerOf(c.value(QString::fromLatin1(column)));
    return (n && *n >= lo && *n <= hi) ? *n : def;
}

QString loadText(const Cursor& c, const char* column, const QString& def) {
    const QVariant v = c.value(QString::fromLatin1(column));
    if (v.isNull()) return def;
    return v.toString();
}

constexpr qint64 kMin32 = std::numeric_limits<qint32>::min();
constexpr qint64 kMax32 = std::numeric_limits<qint32>::max();

}  // namespace

double facteurPourTaille(qint64 taille) {
    if (taille == 1) return 0.8;
    if (taille == 3) return 1.2;
    return 1.0;
}

void options() {
    State& s = state();
    const QString folder = appDir();
    const QString url = QString::fromLatin1(kDefaultUrlUpdate);
    DbGuard db;
    Cursor c = db->query(QStringLiteral("select * from Options order by rowid limit 1 ;"));
    if (!c.next()) {
        Transaction tx(*db);
        db->exec(QStringLiteral(
                     "insert into Options (Gps, Port, Vitesse, Decalage, ProjGps, ProjCarto, Dossier, Taille, "
                     "Couleur, CouleurSel, CouleurShp, CouleurEdit, SupInt, checkUpdate, urlUpdate) "
                     "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                 {1, 1, 0, 0, 4326, 31370, folder, 2, 0xFF0000, 255, 0x808080, 0, 1, 1, url});
        tx.commit();
        s.paramGps = 1;
        s.paramPort = 1;
        s.paramVitesse = 0;
        s.paramDecalage = 0;
        s.paramProjGps = 4326;
        s.paramProjCarto = 31370;
        s.paramDossier = folder;
        s.facteurTaille = 1.0;
        s.paramCouleur = 0xFF0000;
        s.paramCouleurSel = 255;
        s.paramCouleurShp = 0x808080;
        s.paramCouleurEdit = 0;
        s.paramSupInt = true;
        s.paramCheckUpdate = true;
        s.paramUrlUpdate = url;
        return;
    }
    // A value that is missing, does not convert or lies outside its range loads as the
    // default; the row itself is never changed by loading.
    s.paramGps = int(loadInt(c, "Gps", 1, 1, 3));
    s.paramPort = int(loadInt(c, "Port", 1, 1, 9));
    s.paramVitesse = int(loadInt(c, "Vitesse", 0, 0, 8));
    s.paramDecalage = int(loadInt(c, "Decalage", 0, -32768, 32767));
    s.paramProjGps = qint32(loadInt(c, "ProjGps", 4326, kMin32, kMax32));
    s.paramProjCarto = qint32(loadInt(c, "ProjCarto", 31370, kMin32, kMax32));
    s.paramDossier = loadText(c, "Dossier", folder);
    s.facteurTaille = facteurPourTaille(loadInt(c, "Taille", 2, std::numeric_limits<qint64>::min(),
                                                std::numeric_limits<qint64>::max()));
    s.paramCouleur = qint32(loadInt(c, "Couleur", 0xFF0000, kMin32, kMax32));
    s.paramCouleurSel = qint32(loadInt(c, "CouleurSel", 255, kMin32, kMax32));
    s.paramCouleurShp = qint32(loadInt(c, "CouleurShp", 0x808080, kMin32, kMax32));
    s.paramCouleurEdit = qint32(loadInt(c, "CouleurEdit", 0, kMin32, kMax32));
    const qint64 any = std::numeric_limits<qint64>::max();
    s.paramSupInt = loadInt(c, "SupInt", 1, -any, any) != 0;
    s.paramCheckUpdate = loadInt(c, "checkUpdate", 1, -any, any) != 0;
    s.paramUrlUpdate = loadText(c, "urlUpdate", url);
}

}  // namespace sotrix
