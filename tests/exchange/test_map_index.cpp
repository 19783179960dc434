// The map's index after every kind of writer: the waypoints' index agrees with the table,
// and every track has a box that holds all its points (the writers store them: a redraw
// only reads) and no box outlives its track.
#include "test_import_fixture.h"

#include "EditQueries.h"
#include "Schema.h"

using namespace sotrix;
using namespace sotrix::importtest;

namespace {

qint64 count(Database& db, const char* sql) { return db.scalar(QString::fromLatin1(sql)).toLongLong(); }

class MapIndex : public ImportTest {
protected:
    void expectConsistent(const char* writer) {
        DbGuard db;
        EXPECT_EQ(db->scalar(QStringLiteral("pragma integrity_check")).toString(), QStringLiteral("ok")) << writer;
        EXPECT_EQ(count(*db, "select count(*) from Points indexed by Points_XY where Trace = 0 "
                             "and X between -1e308 and 1e308 and Y between -1e308 and 1e308"),
                  count(*db, "select count(*) from Points where Trace = 0 and X is not null and Y is not null"))
            << writer;
        EXPECT_EQ(count(*db, "select count(*) from Trace where Id_trace not in (select Id_trace from EtendueTrace)"), 0)
            << writer << ": a track without a box";
        EXPECT_EQ(count(*db, "select count(*) from EtendueTrace where Id_trace not in (select Id_trace from Trace)"), 0)
            << writer << ": a box without a track";
        EXPECT_EQ(count(*db, "select count(*) from Points P join EtendueTrace B on B.Id_trace = P.Trace "
                             "where P.X is not null and P.Y is not null and (B.minX is null or "
                             "P.X not between B.minX and B.maxX or P.Y not between B.minY and B.maxY)"),
                  0)
            << writer << ": a point outside its track's box";
    }
};

TEST_F(MapIndex, EveryWriterKeepsTheMapIndex) {
    auto selectTracks = [](const char* names) {
        DbGuard db;
        db->exec(QStringLiteral("update Trace set Selected = (Nom in (%1))").arg(QLatin1String(names)));
        db->exec(QStringLiteral("update Points set Selected = (select Selected from Trace where Id_trace = Trace) "
                                "where Trace > 0"));
    };
    const struct {
        const char* writer;
        std::function<void()> write;
    } writers[] = {
        {"a GPX import", [&] { ASSERT_EQ(importGpx(rowsFixture()), ImportOutcome::Ok); }},
        {"a new track",
         [] {
             DbGuard db;
             ajouteTrace(*db, QStringLiteral("neuve"), {{1, 1000, 2000, 4, 50}, {2, 1500, 2500, 4, 50}});
         }},
        {"a point moved far away",
         [] {
             DbGuard db;
             db->exec(QStringLiteral("update Points set X = X + 90000, Y = Y - 70000 where Num_trace = 2 and "
                                     "Trace = (select Id_trace from Trace where Nom = 'neuve')"));
         }},
        {"a point moved to another track",
         [] {
             DbGuard db;
             db->exec(QStringLiteral("update Points set Trace = (select Id_trace from Trace where Nom = 'T'), "
                                     "Num_trace = 99 where Num_trace = 1 and "
                                     "Trace = (select Id_trace from Trace where Nom = 'neuve')"));
         }},
        {"a merge",
         [&] {
             selectTracks("'T', 'neuve'");
             DbGuard db;
             ASSERT_TRUE(fusionPossible(*db));
             fusionneTraces(*db, QStringLiteral("fusion"));
         }},
        {"a deletion",
         [&] {
             selectTracks("'T'");
             DbGuard db;
             supprimeSelection(*db);
         }},
        {"an emptied workspace", [] { videTables(); }},
        {"an older database brought up to date",
         [] {
             {
                 DbGuard db;
                 for (const char* drop : {"drop trigger EtendueTrace_point", "drop trigger EtendueTrace_point_deplace",
                                          "drop trigger EtendueTrace_suppression", "drop table EtendueTrace",
                                          "drop index Points_XY"})
                     db->exec(QString::fromLatin1(drop));
             }
             ImportTest::seedRows();
             updateDb();
         }},
    };
    for (const auto& w : writers) {
        w.write();
        expectConsistent(w.writer);
    }
    DbGuard db;
    EXPECT_EQ(count(*db, "select count(*) from EtendueTrace"), 1);
}

}  // namespace
