#include "ProjUpgrade.h"

#include "Database.h"
#include "ProjUpgradeTable.h"

#include <string_view>

namespace sotrix {

void majSystemesUsine(Database& db) {
    // projbackup is changed last: the test of Proj reads the factory string it still holds.
    Statement proj = db.prepare(QStringLiteral(
        "update Proj set Proj4 = ?3 where Epsg = ?1 and Proj4 = ?2 "
        "and exists (select 1 from projbackup where epsg = ?1 and proj4 = ?2)"));
    Statement backup = db.prepare(QStringLiteral("update projbackup set proj4 = ?3 where epsg = ?1 and proj4 = ?2"));
    std::string_view rest = kProjUpgradeTsv;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        const std::size_t t1 = line.find('\t');
        const std::size_t t2 = t1 == std::string_view::npos ? t1 : line.find('\t', t1 + 1);
        if (t2 == std::string_view::npos) continue;
        const qint64 code = QByteArrayView(line.substr(0, t1)).toLongLong();
        const QString ancienne = QString::fromUtf8(line.substr(t1 + 1, t2 - t1 - 1));
        const QString nouvelle = QString::fromUtf8(line.substr(t2 + 1));
        for (Statement* st : {&proj, &backup}) {
            st->bindInt(1, code);
            st->bindText(2, ancienne);
            st->bindText(3, nouvelle);
            st->execute();
        }
    }
}

}  // namespace sotrix
