// The delivered database: its tables, its coordinate systems, and that the stored
// strings convert as PROJ's own tools do.
#include "Database.h"
#include "Workspace.h"

#include <QProcess>

namespace sotrix {
namespace {

using test::WorkspaceTest;

class DeliveredDb : public WorkspaceTest {
protected:
    void SetUp() override {
        withOptions_ = false;
        WorkspaceTest::SetUp();
    }
};

QString projOf(Database& db, int code) {
    return db.scalar(QStringLiteral("select proj4 from Proj where epsg = ? and proj4 is not null and proj4 <> '' ;"),
                     {code})
        .toString();
}

TEST_F(DeliveredDb, HoldsTheTablesAndThousandsOfSystems) {
    DbGuard db;
    for (const char* t : {"Points", "Trace", "Options"})
        EXPECT_EQ(db->scalar(QStringLiteral("select count(*) from \"%1\"").arg(QLatin1String(t))).toLongLong(), 0) << t;
    EXPECT_FALSE(db->tableExists(QStringLiteral("zz")));
    Cursor about = db->query(QStringLiteral("select Version, Db from [A propos de]"));
    ASSERT_TRUE(about.next());
    EXPECT_EQ(about.value(QStringLiteral("Version")).toString(), QStringLiteral("2.6.11"));
    EXPECT_EQ(about.value(QStringLiteral("Db")).toLongLong(), 1);
    EXPECT_FALSE(about.next());

    const qint64 systems = db->scalar(QStringLiteral("select count(*) from Proj")).toLongLong();
    EXPECT_GT(systems, 5000);
    // projbackup holds the same codes with the same strings.
    EXPECT_EQ(db->scalar(QStringLiteral("select count(*) from Proj p join projbackup b on b.epsg = p.Epsg "
                                        "and b.proj4 = p.Proj4"))
                  .toLongLong(),
              systems);
    EXPECT_EQ(projOf(*db, 4326), QStringLiteral("+proj=longlat +datum=WGS84 +no_defs"));
    EXPECT_TRUE(projOf(*db, 31370).contains(QStringLiteral("+towgs84=")));
    EXPECT_EQ(db->scalar(QStringLiteral("select [Desc] from Proj where Epsg = 31370")).toString(),
              QStringLiteral("BD72 / Belgian Lambert 72"));
    // Names are unique without regard to case, so a lookup by name finds one row.
    EXPECT_EQ(db->scalar(QStringLiteral("select count(*) from (select [Desc] from Proj group by [Desc] "
                                        "having count(*) > 1)"))
                  .toLongLong(),
              0);
}

TEST_F(DeliveredDb, StoredBelgianLambertMatchesPROJsBestOperation) {
    DbGuard db;
    const QString from = projOf(*db, 4326);
    const QString to = projOf(*db, 31370);
    QStringList args{QStringLiteral("-f"), QStringLiteral("%.4f")};
    args << from.split(QLatin1Char(' ')) << QStringLiteral("+to") << to.split(QLatin1Char(' '));
    QProcess cs2cs;
    cs2cs.start(QStringLiteral("cs2cs"), args);
    ASSERT_TRUE(cs2cs.waitForStarted());
    cs2cs.write("4.35 50.85\n");
    cs2cs.closeWriteChannel();
    ASSERT_TRUE(cs2cs.waitForFinished());
    const QStringList out = QString::fromLatin1(cs2cs.readAllStandardOutput()).split(QRegularExpression(QStringLiteral("\\s+")),
                                                                                        Qt::SkipEmptyParts);
    ASSERT_GE(out.size(), 2);
    EXPECT_NEAR(out[0].toDouble(), 148679.45, 0.5);
    EXPECT_NEAR(out[1].toDouble(), 171066.81, 0.5);

    QProcess best;
    best.start(QStringLiteral("cs2cs"), {QStringLiteral("-f"), QStringLiteral("%.4f"), QStringLiteral("EPSG:4326"),
                                         QStringLiteral("EPSG:31370")});
    ASSERT_TRUE(best.waitForStarted());
    best.write("50.85 4.35\n");
    best.closeWriteChannel();
    ASSERT_TRUE(best.waitForFinished());
    const QStringList ref = QString::fromLatin1(best.readAllStandardOutput()).split(QRegularExpression(QStringLiteral("\\s+")),
                                                                                      Qt::SkipEmptyParts);
    ASSERT_GE(ref.size(), 2);
    EXPECT_NEAR(out[0].toDouble(), ref[0].toDouble(), 0.01);
    EXPECT_NEAR(out[1].toDouble(), ref[1].toDouble(), 0.01);
}

}  // namespace
}  // namespace sotrix
