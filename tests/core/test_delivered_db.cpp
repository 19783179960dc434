// The delivered database: its tables, its coordinate systems, and that the stored
// strings convert as PROJ's own tools do.
#include "Database.h"
#include "Workspace.h"
#include "proj4.h"

#include <QProcess>

#include <proj.h>

#include <cmath>
#include <memory>

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

TEST_F(DeliveredDb, NationalSystemsLandWithinTheirShiftsAccuracyOfPROJsBestOperation) {
    struct Case {
        int epsg;
        double lon, lat;  // inside the system's area
        double accuracy;  // what PROJ states for the system's shift, in metres
    };
    const std::vector<Case> cases{
        {28992, 5.12, 52.09, 1},  {27700, -0.1276, 51.5072, 2}, {23031, 2.17, 41.39, 10}, {23030, -3.70, 40.42, 10},
        {3003, 9.19, 45.46, 4},   {3035, 4.35, 50.85, 1},       {31370, 4.35, 50.85, 1},  {2154, 2.35, 48.85, 1},
        {25832, 11.58, 48.14, 1}, {2100, 23.73, 37.98, 1},      {31467, 8.68, 50.11, 3},  {2056, 7.44, 46.95, 1},
    };
    DbGuard db;
    const ProjHandle wgs84(projOf(*db, 4326));
    const std::unique_ptr<PJ_CONTEXT, PJ_CONTEXT* (*)(PJ_CONTEXT*)> ctx(proj_context_create(), proj_context_destroy);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.epsg);
        const ProjHandle system(projOf(*db, c.epsg));
        double x = c.lon, y = c.lat;
        ASSERT_TRUE(projTransformePoint(wgs84.get(), system.get(), x, y));
        // PROJ's own choice for the point, longitude first and easting first.
        const std::string target = "EPSG:" + std::to_string(c.epsg);
        const std::unique_ptr<PJ, PJ* (*)(PJ*)> chosen(
            proj_create_crs_to_crs(ctx.get(), "EPSG:4326", target.c_str(), nullptr), proj_destroy);
        ASSERT_TRUE(chosen);
        const std::unique_ptr<PJ, PJ* (*)(PJ*)> best(proj_normalize_for_visualization(ctx.get(), chosen.get()),
                                                     proj_destroy);
        ASSERT_TRUE(best);
        const PJ_COORD ref = proj_trans(best.get(), PJ_FWD, proj_coord(c.lon, c.lat, 0, 0));
        EXPECT_LE(std::hypot(x - ref.xy.x, y - ref.xy.y), c.accuracy) << x << " " << y;
    }
}

}  // namespace
}  // namespace sotrix
