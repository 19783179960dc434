#include "Schema.h"

#include "Database.h"
#include "Divers.h"
#include "MapIndexSql.h"
#include "ProjUpgrade.h"

namespace sotrix {

void updateDb() {
    DbGuard db;
    Transaction tx(*db);
    qint64 version = 0;
    if (champExiste(*db, QStringLiteral("A propos de"), QStringLiteral("Db"))) {
        Cursor c = db->query(QStringLiteral("select Db from [A propos de] ;"));
        if (c.next() && !c.isNull(QStringLiteral("Db"))) version = c.value(QStringLiteral("Db")).toLongLong();
    } else {
        db->exec(QStringLiteral("alter table [A propos de] add column Db smallint ;"));
    }
    // Description columns are already unbounded text: there is nothing to widen.
    if (version == 0) db->exec(QStringLiteral("update [A propos de] set Db=1 ;"));
    db->execScript(QString::fromUtf8(kMapIndexSql));
    majSystemesUsine(*db);
    tx.commit();
}

}  // namespace sotrix
