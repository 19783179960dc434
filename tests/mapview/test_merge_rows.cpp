// The rows a merge leaves, every column of every row of Points and Trace, with their
// types: new keys in order, the copied values, the numbering and the selection flags.
#include "Database.h"
#include "EditQueries.h"
#include "Workspace.h"

#include <QStringList>

namespace sotrix {
namespace {

class MergeRows : public test::WorkspaceTest {
protected:
    // Every row of both tables, each column as SQL quotes it (so 1 and 1.0 differ).
    static QStringList rows(Database& db) {
        QStringList out;
        for (const char* sql :
             {"select quote(Id_point), quote(Nom), quote(X), quote(Y), quote(Lat), quote(Lon), quote(Altitude), "
              "quote(\"Date\"), quote(Description), quote(Trace), quote(Num_trace), quote(Selected) "
              "from Points order by Id_point",
              "select quote(Id_trace), quote(Nom), quote(Description), quote(Fermer), quote(Selected), quote(Nb) "
              "from Trace order by Id_trace"}) {
            Cursor c = db.query(QString::fromLatin1(sql));
            while (c.next()) {
                QStringList cols;
                for (int i = 0; i < c.columnCount(); ++i) cols << c.value(i).toString();
                out << cols.join(QLatin1Char('|'));
            }
        }
        return out;
    }
};

// Tracks 1 "A" and 2 "B" open, 3 "C" closed, 4 "D" open; A's points stored out of their
// order, B's numbered with a gap; waypoints 1 (selected) and 9.
const char* const kBase[] = {
    "insert into Trace (Id_trace, Nom, Description, Fermer, Nb) values (1, 'A', 'da', 0, 3), (2, 'B', null, 0, 2), "
    "(3, 'C', null, 1, 1), (4, 'D', null, 0, 1)",
    "insert into Points (Id_point, Nom, X, Y, Lat, Lon, Altitude, \"Date\", Description, Trace, Num_trace, Selected) "
    "values (1, 'w1', 10.0, 20.0, 50.5, 4.5, 3.0, '2024-05-01 06:00:00', 'wp', 0, null, 1), "
    "(2, 'a1', 1.5, 2.5, 50.1, 4.1, 10.0, '2024-05-01 07:00:00', 'x', 1, 1, 0), "
    "(3, null, 1.25, 2.75, null, null, null, null, null, 1, 2, 0), "
    "(4, 'b3', 7, 8, 50.3, 4.3, -1.5, '2024-05-02 08:00:00', null, 2, 3, 0), "
    "(5, 'b1', 5.0, 6.0, 50.2, 4.2, 0.0, '2024-05-02 07:00:00', 'y', 2, 1, 0), "
    "(6, 'c1', 9.0, 9.0, 50.0, 4.0, null, null, null, 3, 1, 0), "
    "(7, 'd1', 11.0, 12.0, 50.0, 4.0, null, null, null, 4, 1, 0), "
    "(8, 'a3', 1.0, 3.0, 50.0, 4.0, 12.5, '2024-05-01 06:30:00', null, 1, 3, 0), "
    "(9, 'w2', 0.0, 0.0, null, null, null, null, null, 0, null, 0)"};

struct MergeCase {
    const char* name;
    std::vector<const char*> setup;
    QStringList expected;
};

TEST_F(MergeRows, TheMergeWritesExactlyTheseRows) {
    // The new track is 5; its points take keys from 10 (11 when a point 10 exists).
    const QStringList mergedAB = {
        "10|'a1'|1.5|2.5|50.1|4.1|10.0|'2024-05-01 07:00:00'|'x'|5|1|1",
        "11|NULL|1.25|2.75|NULL|NULL|NULL|NULL|NULL|5|2|1",
        "12|'a3'|1.0|3.0|50.0|4.0|12.5|'2024-05-01 06:30:00'|NULL|5|3|1",
        "13|'b1'|5.0|6.0|50.2|4.2|0.0|'2024-05-02 07:00:00'|'y'|5|4|1",
        "14|'b3'|7.0|8.0|50.3|4.3|-1.5|'2024-05-02 08:00:00'|NULL|5|5|1",
    };
    const QStringList tracks = {
        "1|'A'|'da'|0|0|3", "2|'B'|NULL|0|0|2", "3|'C'|NULL|1|0|1", "4|'D'|NULL|0|0|1", "5|'Fusion'|NULL|0|1|NULL",
    };
    const QStringList oldPoints = {
        "1|'w1'|10.0|20.0|50.5|4.5|3.0|'2024-05-01 06:00:00'|'wp'|0|NULL|1",
        "2|'a1'|1.5|2.5|50.1|4.1|10.0|'2024-05-01 07:00:00'|'x'|1|1|0",
        "3|NULL|1.25|2.75|NULL|NULL|NULL|NULL|NULL|1|2|0",
        "4|'b3'|7.0|8.0|50.3|4.3|-1.5|'2024-05-02 08:00:00'|NULL|2|3|0",
        "5|'b1'|5.0|6.0|50.2|4.2|0.0|'2024-05-02 07:00:00'|'y'|2|1|0",
        "6|'c1'|9.0|9.0|50.0|4.0|NULL|NULL|NULL|3|1|0",
        "7|'d1'|11.0|12.0|50.0|4.0|NULL|NULL|NULL|4|1|0",
        "8|'a3'|1.0|3.0|50.0|4.0|12.5|'2024-05-01 06:30:00'|NULL|1|3|0",
        "9|'w2'|0.0|0.0|NULL|NULL|NULL|NULL|NULL|0|NULL|0",
    };
    QStringList outOfStep = oldPoints;
    outOfStep.insert(9, "10|NULL|0.0|0.0|NULL|NULL|NULL|NULL|NULL|5|1|1");
    QStringList outOfStepMerged;
    for (QString row : mergedAB) {
        const qsizetype bar = row.indexOf(QLatin1Char('|'));
        outOfStepMerged << QString::number(row.left(bar).toInt() + 1) + row.mid(bar);
    }

    const std::vector<MergeCase> cases = {
        {"A and B selected",
         {"update Trace set Selected = Id_trace in (1, 2)", "update Points set Selected = 1 where Trace in (1, 2)"},
         oldPoints + mergedAB + tracks},
        {"the closed track selected too gives nothing and loses its selection",
         {"update Trace set Selected = Id_trace in (1, 2, 3)",
          "update Points set Selected = 1 where Trace in (1, 2, 3)"},
         oldPoints + mergedAB + tracks},
        // Flags that disagree with their track: every track point but the new track's ends
        // unselected, a point already filed under the new track's key selected.
        {"points out of step with their tracks",
         {"update Trace set Selected = Id_trace in (1, 2)",
          "update Points set Selected = 2 where Trace = 2 or Id_point = 2",
          "update Points set Selected = 1 where Id_point = 7",
          "insert into Points (Id_point, X, Y, Trace, Num_trace) values (10, 0.0, 0.0, 5, 1)"},
         outOfStep + outOfStepMerged + tracks},
    };
    for (const MergeCase& c : cases) {
        SCOPED_TRACE(c.name);
        Database db(databasePath());
        db.exec(QStringLiteral("delete from Points"));
        db.exec(QStringLiteral("delete from Trace"));
        for (const char* sql : kBase) db.exec(QString::fromLatin1(sql));
        for (const char* sql : c.setup) db.exec(QString::fromLatin1(sql));
        EXPECT_EQ(fusionneTraces(db, QStringLiteral("Fusion")), 5);
        EXPECT_EQ(rows(db).join(QLatin1Char('\n')).toStdString(), c.expected.join(QLatin1Char('\n')).toStdString());
    }
}

}  // namespace
}  // namespace sotrix
