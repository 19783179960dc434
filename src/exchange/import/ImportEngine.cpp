#include "ImportEngine.h"

#include "Database.h"
#include "Divers.h"
#include "FileMessages.h"
#include "ImportReader.h"
#include "ImportStore.h"
#include "MapIndexSql.h"
#include "MainView.h"
#include "NameCollation.h"
#include "State.h"
#include "proj4.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

namespace sotrix {

namespace {

QString failureHead(const QString& path) {
    return QStringLiteral("Une erreur est survenue lors de l'importation du fichier '") + path +
           QStringLiteral("'.\n");
}

constexpr int kDoublonsNommes = 20;

// "A (3X), B (2X)" for the names held more than once, in name order, the first
// kDoublonsNommes of them, each bounded (nomAffiche), then ", …" when there are more;
// "" when none.
QString doublons(Database& db, const QString& sql) {
    Cursor c = db.query(sql);
    QStringList items;
    while (c.next()) {
        if (items.size() == kDoublonsNommes) {
            items << QStringLiteral("…");
            break;
        }
        items << nomAffiche(c.value(0).toString()) + QStringLiteral(" (") +
                     QString::number(c.value(1).toLongLong()) + QStringLiteral("X)");
    }
    return items.join(QStringLiteral(", "));
}

// Whether two names of these fingerprints may be equal. Different fingerprints prove
// every name different; only a shared one leaves the answer to the database's grouping,
// which a million names would make sort.
bool doublonsPossibles(std::vector<std::uint64_t>& empreintes) {
    std::sort(empreintes.begin(), empreintes.end());
    return std::adjacent_find(empreintes.begin(), empreintes.end()) != empreintes.end();
}

// The same for the names the query gives (Null left out).
bool doublonsPossibles(Database& db, const QString& sql) {
    std::vector<std::uint64_t> empreintes;
    Statement st = db.prepare(sql);
    while (st.step()) {
        if (st.isNull(0)) continue;
        const QByteArrayView nom = st.utf8Value(0);
        empreintes.push_back(empreinteNom(std::string_view(nom.data(), size_t(nom.size()))));
    }
    return doublonsPossibles(empreintes);
}

struct Refus {
    QString liste;
    const char* debut;  // what is held twice
};

// Name checks, point counts and removal of the tracks under two points. A refusal is
// returned for the caller to roll back and report. The waypoints' fingerprints are those
// of every waypoint the import stored, which are all the workspace holds.
std::optional<Refus> commonTail(Database& db, std::vector<std::uint64_t>& empreintesWaypoints) {
    if (doublonsPossibles(empreintesWaypoints)) {
        const QString waypoints = doublons(
            db, QStringLiteral("SELECT MIN(Nom) AS doublon, COUNT(Nom) AS nbDoublon FROM Points WHERE Trace = 0 "
                               "GROUP BY Nom HAVING COUNT(Nom) > 1 ORDER BY Nom"));
        if (!waypoints.isEmpty()) return Refus{waypoints, "Plusieurs waypoints ont le même nom : "};
    }
    if (doublonsPossibles(db, QStringLiteral("SELECT Nom FROM Trace"))) {
        const QString traces = doublons(
            db, QStringLiteral("SELECT MIN(Nom) AS doublon, COUNT(Nom) AS nbDoublon FROM Trace "
                               "GROUP BY Nom HAVING COUNT(Nom) > 1 ORDER BY Nom"));
        if (!traces.isEmpty()) return Refus{traces, "Plusieures traces ont le même nom : "};
    }
    db.exec(QStringLiteral("UPDATE Trace SET Nb = c.nb "
                           "FROM (SELECT Trace AS id, COUNT(*) AS nb FROM Points WHERE Trace > 0 GROUP BY Trace) AS c "
                           "WHERE Trace.Id_trace = c.id"));
    db.exec(QStringLiteral("DELETE FROM Points WHERE Trace IN (SELECT Id_trace FROM Trace WHERE Nb IS NULL OR Nb < 2)"));
    db.exec(QStringLiteral("DELETE FROM Trace WHERE Nb IS NULL OR Nb < 2"));
    return std::nullopt;
}

void echecLecture(const QString& path) { prompter().message(msgEchecLecture(path), Icon::Exclamation); }

// Whatever a reader throws but a database failure means the file could not be read.
bool ouvreLecteur(ImportReader& reader, const QString& path) {
    try {
        return reader.ouvre(path);
    } catch (const DbError&) {
        throw;
    } catch (const std::exception&) {
        return false;
    }
}

Flow litLecteur(ImportReader& reader, PointStore& store, bool fromGps) {
    try {
        return reader.lit(store, fromGps);
    } catch (const DbError&) {
        throw;
    } catch (const std::exception&) {
        return Flow::ReadFailure;
    }
}

}  // namespace

QString texteLignesIgnorees(const QString& path, const LignesIgnorees& lignes) {
    if (lignes.nombre == 1)
        return QStringLiteral("1 ligne du fichier '") + path + QStringLiteral("' a été ignorée (ligne ") +
               QString::number(lignes.premieres.front()) + QStringLiteral(").");
    QStringList numeros;
    for (const qint64 n : lignes.premieres) numeros << QString::number(n);
    QString liste = numeros.join(QStringLiteral(", "));
    if (lignes.nombre > qint64(lignes.premieres.size())) liste += QStringLiteral(", …");
    return QString::number(lignes.nombre) + QStringLiteral(" lignes du fichier '") + path +
           QStringLiteral("' ont été ignorées (lignes ") + liste + QStringLiteral(").");
}

QString nettoieNom(const QString& nom, bool fromGps) {
    qsizetype begin = 0;
    qsizetype end = nom.size();
    while (begin < end && nom[begin] == QLatin1Char(' ')) ++begin;
    while (end > begin && nom[end - 1] == QLatin1Char(' ')) --end;
    QString s = nom.mid(begin, end - begin);
    if (!fromGps) s.replace(QLatin1Char('/'), QLatin1Char('X'));
    while (s.endsWith(QLatin1Char('-'))) s.chop(1);
    return s;
}

ImportOutcome importeFichier(bool fromGps) {
    State& st = state();
    const QString path = st.nomFichier;
    Flow flow = Flow::Continue;
    std::unique_ptr<ImportReader> reader;
    try {
        DbGuard db;
        ProjSystems systems(*db, st.paramProjGps, st.paramProjCarto);
        if (systems.status() == ProjSystems::Status::NotFound) {
            prompter().message(QString::fromUtf8(kMsgProjIntrouvable), Icon::Exclamation);
            return ImportOutcome::SetupFailure;
        }
        if (!systems.ok()) return ImportOutcome::SetupFailure;  // already reported

        reader = lecteurImport(st.typeFichier);
        if (!reader || !ouvreLecteur(*reader, path)) {
            echecLecture(path);
            return ImportOutcome::ReadFailure;
        }

        std::optional<Refus> refus;
        {
            Transaction tx(*db);
            db->exec(QStringLiteral("DELETE FROM Points"));
            db->exec(QStringLiteral("DELETE FROM Trace"));
            db->execScript(QString::fromUtf8(kMapIndexAvantChargement));
            PointStore store(*db, systems);
            flow = litLecteur(*reader, store, fromGps);
            if (flow == Flow::ReadFailure) {  // the transaction rolls back on leaving
                echecLecture(path);
                return ImportOutcome::ReadFailure;
            }
            store.termine();
            // The last points wait until the reader is done: their refusal ends the import too.
            if (store.arretee()) flow = Flow::Stop;
            db->execScript(QString::fromUtf8(kMapIndexSql));
            refus = commonTail(*db, store.empreintesWaypoints());
            if (!refus) tx.commit();
        }
        if (refus) {
            prompter().message(failureHead(path) + QString::fromUtf8(refus->debut) + refus->liste + QStringLiteral("."),
                               Icon::Exclamation);
            return ImportOutcome::Refused;
        }
    } catch (const DbError& e) {
        prompter().message(failureHead(path) + e.message(), Icon::Exclamation);
        return ImportOutcome::DatabaseFailure;
    }
    st.modifWaypoints = true;
    st.modifTraces = true;
    if (st.mainView) st.mainView->majListes();
    if (const LignesIgnorees ignorees = reader->lignesIgnorees(); ignorees.nombre > 0)
        prompter().message(texteLignesIgnorees(path, ignorees), Icon::Exclamation);
    return flow == Flow::Stop ? ImportOutcome::Stopped : ImportOutcome::Ok;
}

}  // namespace sotrix
