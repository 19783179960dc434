#include "Settings.h"

#include "AppDir.h"
#include "Database.h"
#include "State.h"

#include <limits>

namespace sotrix {

const char* const kDefaultUrlUpdate = defaut::urlUpdate;

std::optional<qint64> valeurEntiere(const QVariant& v) {
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

namespace {

qint64 loadInt(const Cursor& c, const char* column, qint64 def, qint64 lo, qint64 hi) {
    const auto n = valeurEntiere(c.value(QString::fromLatin1(column)));
    return (n && *n >= lo && *n <= hi) ? *n : def;
}

QString loadText(const Cursor& c, const char* column, const QString& def) {
    const QVariant v = c.value(QString::fromLatin1(column));
    if (v.isNull()) return def;
    return v.toString();
}

constexpr qint64 kMin32 = std::numeric_limits<qint32>::min();
constexpr qint64 kMax32 = std::numeric_limits<qint32>::max();
constexpr qint64 kAny = std::numeric_limits<qint64>::max();

}  // namespace

Parametres parametresDefaut() {
    Parametres p;
    p.dossier = appDir();
    p.urlUpdate = QString::fromLatin1(kDefaultUrlUpdate);
    return p;
}

double facteurPourTaille(qint64 taille) {
    if (taille == 1) return 0.8;
    if (taille == 3) return 1.2;
    return 1.0;
}

void ecritOptions(Database& db, const Parametres& p) {
    const QVariantList values{p.gps,      p.port,       p.vitesse,    p.decalage,    p.projGps,
                              p.projCarto, p.dossier,   p.taille,     p.couleur,     p.couleurSel,
                              p.couleurShp, p.couleurEdit, p.supInt ? 1 : 0, p.checkUpdate ? 1 : 0, p.urlUpdate};
    Transaction tx(db);
    if (db.scalar(QStringLiteral("select count(*) from Options")).toLongLong() == 0)
        db.exec(QStringLiteral("insert into Options (Gps, Port, Vitesse, Decalage, ProjGps, ProjCarto, Dossier, Taille, "
                               "Couleur, CouleurSel, CouleurShp, CouleurEdit, SupInt, checkUpdate, urlUpdate) "
                               "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                values);
    else
        db.exec(QStringLiteral("update Options set Gps = ?, Port = ?, Vitesse = ?, Decalage = ?, ProjGps = ?, "
                               "ProjCarto = ?, Dossier = ?, Taille = ?, Couleur = ?, CouleurSel = ?, CouleurShp = ?, "
                               "CouleurEdit = ?, SupInt = ?, checkUpdate = ?, urlUpdate = ?"),
                values);
    tx.commit();
}

void appliqueParametres(const Parametres& p) {
    State& s = state();
    s.paramGps = p.gps;
    s.paramPort = p.port;
    s.paramVitesse = p.vitesse;
    s.paramDecalage = p.decalage;
    s.paramProjGps = p.projGps;
    s.paramProjCarto = p.projCarto;
    s.paramDossier = p.dossier;
    s.facteurTaille = facteurPourTaille(p.taille);
    s.paramCouleur = p.couleur;
    s.paramCouleurSel = p.couleurSel;
    s.paramCouleurShp = p.couleurShp;
    s.paramCouleurEdit = p.couleurEdit;
    s.paramSupInt = p.supInt;
    s.paramCheckUpdate = p.checkUpdate;
    s.paramUrlUpdate = p.urlUpdate;
}

void options() {
    const Parametres d = parametresDefaut();
    DbGuard db;
    Cursor c = db->query(QStringLiteral("select * from Options order by rowid limit 1 ;"));
    if (!c.next()) {
        ecritOptions(*db, d);
        appliqueParametres(d);
        return;
    }
    // A value that is missing, does not convert or lies outside its range loads as the
    // default; the row itself is never changed by loading.
    Parametres p;
    p.gps = int(loadInt(c, "Gps", d.gps, 1, 3));
    p.port = int(loadInt(c, "Port", d.port, 1, 9));
    p.vitesse = int(loadInt(c, "Vitesse", d.vitesse, 0, 8));
    p.decalage = int(loadInt(c, "Decalage", d.decalage, -32768, 32767));
    p.projGps = qint32(loadInt(c, "ProjGps", d.projGps, kMin32, kMax32));
    p.projCarto = qint32(loadInt(c, "ProjCarto", d.projCarto, kMin32, kMax32));
    p.dossier = loadText(c, "Dossier", d.dossier);
    p.taille = int(loadInt(c, "Taille", d.taille, kMin32, kMax32));
    p.couleur = qint32(loadInt(c, "Couleur", d.couleur, kMin32, kMax32));
    p.couleurSel = qint32(loadInt(c, "CouleurSel", d.couleurSel, kMin32, kMax32));
    p.couleurShp = qint32(loadInt(c, "CouleurShp", d.couleurShp, kMin32, kMax32));
    p.couleurEdit = qint32(loadInt(c, "CouleurEdit", d.couleurEdit, kMin32, kMax32));
    p.supInt = loadInt(c, "SupInt", d.supInt ? 1 : 0, -kAny, kAny) != 0;
    p.checkUpdate = loadInt(c, "checkUpdate", d.checkUpdate ? 1 : 0, -kAny, kAny) != 0;
    p.urlUpdate = loadText(c, "urlUpdate", d.urlUpdate);
    appliqueParametres(p);
}

}  // namespace sotrix
