#include "WorkspaceData.h"

#include "AppDir.h"
#include "Database.h"

namespace sotrix {

void videTables() {
    DbGuard db;
    Transaction tx(*db);
    db->exec(QStringLiteral("delete from Points"));
    db->exec(QStringLiteral("delete from Trace"));
    db->exec(QStringLiteral("drop table if exists zz"));
    tx.commit();
}

void videDonnees() {
    videTables();
    compacteDb();
}

void compacteDb() {
    try {
        compactDatabase(databasePath(), appPath(QStringLiteral("non_compactee.mdb")));
    } catch (const DbError&) {
        // The database simply stays uncompacted.
    }
}

}  // namespace sotrix
