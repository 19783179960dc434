#include "WorkspaceData.h"

#include "AppDir.h"
#include "Database.h"

namespace sotrix {

void videDonnees() {
    {
        DbGuard db;
        Transaction tx(*db);
        db->exec(QStringLiteral("DELETE FROM Points"));
        db->exec(QStringLiteral("DELETE FROM Trace"));
        db->exec(QStringLiteral("DROP TABLE IF EXISTS zz"));
        tx.commit();
    }
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
