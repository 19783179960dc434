// The G7ToWin import: waypoints, a track and a route from one export, with every kind of
// line the reader must pass over or count.
#include "test_import_fixture.h"

#include "DecoupeCsv.h"

using namespace sotrix;
using namespace sotrix::importtest;

namespace {

// Lines 1, 3 and 4 are free text; each point line has 15 fields.
const char* const kExport =
    "G7ToWin export\r\nDatum:,WGS 84\r\nlibre\r\ntexte\r\n"
    "T,,50.0,4.0,,,,,,,,,,,\r\n"                          // 5: no current track
    "W,Home,50.85,4.35,3,15,2004,10,0,0,Maison,,,,120\r\n"  // 6
    "w,Forêt/Nord-,50.5,4.25,,,,,,,,,,,\r\n"               // 7
    "\r\n"                                                 // 8
    " W,Blank,50.5,4.25,,,,,,,,,,,\r\n"                    // 9: no kind
    "W,Zero,0,0,,,,,,,,,,,\r\n"                            // 10
    "W,Court,50.5,4.25\r\n"                                // 11: short
    "W,,50.6,4.6,3,15,2004,10,0,,,,,,\r\n"                 // 12: five of six date fields
    "N,Trk,50.1,4.1,12,31,2004,23,30,0,note,,,,100\r\n"    // 13
    "T,,50.2,4.2,,,,,,,,,,,\r\n"                           // 14
    "T,,abc,4.3,,,,,,,,,,,\r\n"                            // 15: unreadable latitude
    "T,,50.4,4.4,,,,,,,,,,,x\r\n"                          // 16
    "R,\r\n"                                               // 17
    "W,rp1,50.6,4.6,,,,,,,desc rp,,,,\r\n"                 // 18
    "W,rp2,50.7,4.7,,,,,,,,,,,\r\n"                        // 19
    "E\r\n"                                                // 20
    "W,After,50.9,4.9,,,,,,,,,,,\r\n"                      // 21
    "N,Seul,50.3,4.3,,,,,,,,,,,\r\n"                       // 22: one point, removed
    "R\r\n"                                                // 23: short
    "W,orph,50.0,4.0,,,,,,,,,,,\r\n"                       // 24: route point without a track
    "E\r\n";

TEST_F(ImportTest, G7ToWinRowsFromEveryKindOfLine) {
    // The point lines have the fields their kind needs.
    QStringList fields;
    const QStringList lines = QString::fromUtf8(kExport).split(QStringLiteral("\r\n"));
    for (int n : {5, 6, 7, 10, 12, 13, 14, 15, 16, 18, 19, 21, 22, 24}) {
        decoupeLigneCsv(lines[n - 1], QLatin1Char(','), fields);
        EXPECT_EQ(fields.size(), 15) << n;
    }
    decoupeLigneCsv(lines[10], QLatin1Char(','), fields);
    EXPECT_EQ(fields.size(), 4);

    seedRows();
    const QString file = writeFile(kExport, QStringLiteral("g7.txt"));
    EXPECT_EQ(importFile(file, false, typefichier::kOuvrirG7ToWin), ImportOutcome::Ok);
    EXPECT_EQ(prompts->texts(), QStringList{QStringLiteral("5 lignes du fichier '") + file +
                                            QStringLiteral("' ont été ignorées (lignes 5, 11, 15, 23, 24).")});
    EXPECT_EQ(prompts->prompts()[0].icon, Icon::Exclamation);
    EXPECT_TRUE(state().modifWaypoints && state().modifTraces);
    EXPECT_EQ(view.calls, QStringList{"majListes"});

    EXPECT_EQ(rows(QStringLiteral("SELECT Id_point, Nom, Lat, Lon, Date, Altitude, Description FROM Points "
                                  "WHERE Trace = 0 ORDER BY Id_point")),
              (QStringList{"1|Home|50.85|4.35|2004-03-15 12:00:00|120|Maison",
                           QString::fromUtf8("2|ForêtXNord|50.5|4.25|NULL|NULL|NULL"), "3|Zero|0|0|NULL|NULL|NULL",
                           "4|4|50.6|4.6|NULL|NULL|NULL", "10|After|50.9|4.9|NULL|NULL|NULL"}));
    EXPECT_EQ(rows(QStringLiteral("SELECT Id_trace, Nom, Nb, Fermer FROM Trace")), (QStringList{"1|Trk|3|0", "2|2|2|0"}));
    EXPECT_EQ(rows(QStringLiteral("SELECT Trace, Num_trace, Lat, Lon, Date, Altitude, Description, Nom FROM Points "
                                  "WHERE Trace > 0 ORDER BY Trace, Num_trace")),
              (QStringList{"1|1|50.1|4.1|2005-01-01 01:30:00|100|NULL|NULL", "1|2|50.2|4.2|NULL|NULL|NULL|NULL",
                           "1|3|50.4|4.4|NULL|NULL|NULL|NULL", "2|1|50.6|4.6|NULL|NULL|desc rp|NULL",
                           "2|2|50.7|4.7|NULL|NULL|NULL|NULL"}));
    DbGuard db;
    // Every pair was projected from the GPS system.
    std::vector<std::pair<double, double>> lonLat, xy;
    Cursor c = db->query(QStringLiteral("SELECT Lon, Lat, X, Y FROM Points ORDER BY Id_point"));
    while (c.next()) {
        lonLat.emplace_back(c.value(0).toDouble(), c.value(1).toDouble());
        xy.emplace_back(c.value(2).toDouble(), c.value(3).toDouble());
    }
    const auto ref = cs2cs(proj4(4326), proj4(31370), lonLat);
    ASSERT_EQ(ref.size(), xy.size());
    for (std::size_t i = 0; i < xy.size(); ++i) EXPECT_NEAR(xy[i].first, ref[i].first, 1e-3) << i;
}

TEST_F(ImportTest, G7ToWinDatesAndShortFiles) {
    struct Case {
        const char* what;
        const char* line;
        const char* date;  // "" for none
    };
    const Case cases[] = {
        {"two-digit year", "W,a,50,4,2,29,04,23,59,59,,,,,", "2004-03-01 01:59:59"},
        {"year 99", "W,a,50,4,1,1,99,0,0,0,,,,,", "1999-01-01 02:00:00"},
        {"one-digit year, blanks", "W,a,50,4, 7 , 4 ,5,8,5,0,,,,,", "2005-07-04 10:05:00"},
        {"29 February of no leap year", "W,a,50,4,2,29,2005,10,0,0,,,,,", ""},
        {"hour 24", "W,a,50,4,1,1,2005,24,0,0,,,,,", ""},
        {"not a number", "W,a,50,4,1,1,2005,10,0,x,,,,,", ""},
        {"sign", "W,a,50,4,1,1,2005,-1,0,0,,,,,", ""},
        {"across a daylight-saving change", "W,a,50,4,3,27,2005,23,30,0,,,,,", "2005-03-28 01:30:00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        prompts->clear();
        EXPECT_EQ(importFile(writeFile(QByteArray("1\n2\n3\n4\n") + c.line + "\n", QStringLiteral("d.txt")), false,
                             typefichier::kOuvrirG7ToWin),
                  ImportOutcome::Ok);
        EXPECT_TRUE(prompts->prompts().empty());
        EXPECT_EQ(rows(QStringLiteral("SELECT Date FROM Points")), QStringList{*c.date ? c.date : "NULL"});
    }
    // Fewer than five lines: nothing, no message; the tail still ran.
    seedRows();
    prompts->clear();
    EXPECT_EQ(importFile(writeFile("1\nW,a,50,4,,,,,,,,,,,\n", QStringLiteral("court.txt")), false,
                         typefichier::kOuvrirG7ToWin),
              ImportOutcome::Ok);
    EXPECT_TRUE(snapshot().isEmpty());
    EXPECT_TRUE(prompts->prompts().empty());

    // A name made twice by a route and a track refuses the whole file.
    seedRows();
    const QStringList before = snapshot();
    EXPECT_EQ(importFile(writeFile("1\n2\n3\n4\nN,A,50,4,,,,,,,,,,,\nT,,50.1,4,,,,,,,,,,,\nR,a\nW,,50,4,,,,,,,,,,,\n"
                                   "W,,50.1,4,,,,,,,,,,,\n",
                                   QStringLiteral("dup.txt")),
                         false, typefichier::kOuvrirG7ToWin),
              ImportOutcome::Refused);
    EXPECT_EQ(snapshot(), before);
}

}  // namespace
