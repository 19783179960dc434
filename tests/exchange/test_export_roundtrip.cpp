// A GPX written by the export reads back through our own import, directly and after
// GPSBabel has rewritten it, to the same rows. Every waypoint has a description: GPSBabel
// gives its name as description to one that has none.

#include "ImportEngine.h"
#include "test_export_fixture.h"

#include <algorithm>
#include <string>

namespace sotrix::test {
namespace {

class ExportRoundTrip : public ExportTest {
protected:
    void SetUp() override {
        ExportTest::SetUp();
        loadOptions();
        state().paramDecalage = 2;
        DbGuard db;
        const QVariant N;
        point(*db, {"Café L'église", 4.35, 50.85, 123.4, "2004-03-15 10:00:00", "Église Saint-Jean", 0, N, 0});
        point(*db, {"A&B <x>", 4.123456789, 50.5, N, N, longDescription(), 0, N, 0});
        point(*db, {"Équateur", 0.0, 0.0, -5, "2004-03-01 01:30:00", "Zéro", 0, N, 0});
        track(*db, {7, "Boucle", "Fermée", 1, 0});
        track(*db, {8, "Vide", N, 0, 0});
        track(*db, {9, "Chemin", N, 0, 0});
        point(*db, {N, 5.2, 50.2, 20, "2004-03-15 08:01:00", N, 7, 2, 0});
        point(*db, {N, 5.1, 50.1, 10, "2004-03-15 08:00:00", N, 7, 1, 0});
        point(*db, {N, 5.3, 50.3, N, N, N, 7, 3, 0});
        point(*db, {N, -1.5, 0.0, 1.5, N, N, 9, 1, 0});
        point(*db, {N, -1.6, 0.1, 2.5, N, N, 9, 2, 0});
    }

    // The rows as text: what an export and import cycle keeps (8 decimals, altitudes
    // above 0, tracks with points, Num_trace order), not the keys.
    static std::string rows() {
        DbGuard db;
        QStringList out;
        const auto num = [](const QVariant& v) {
            return v.isNull() ? QStringLiteral("-") : QString::number(v.toDouble(), 'f', 8);
        };
        const auto alt = [](const QVariant& v) {
            return v.isNull() || v.toDouble() <= 0 ? QStringLiteral("-") : QString::number(v.toDouble(), 'g', 15);
        };
        Cursor w = db->query(QStringLiteral("SELECT Nom, Lat, Lon, Altitude, Date, Description FROM Points "
                                            "WHERE Trace = 0 ORDER BY Id_point"));
        while (w.next())
            out << QStringLiteral("wpt|%1|%2|%3|%4|%5|%6")
                       .arg(w.value(0).toString(), num(w.value(1)), num(w.value(2)), alt(w.value(3)),
                            w.value(4).toString(), w.value(5).toString());
        Cursor t = db->query(QStringLiteral("SELECT Id_trace, Nom, Description FROM Trace WHERE EXISTS "
                                            "(SELECT 1 FROM Points WHERE Trace = Id_trace) ORDER BY Id_trace"));
        while (t.next()) {
            out << QStringLiteral("trk|%1|%2").arg(t.value(1).toString(), t.value(2).toString());
            Cursor p = db->query(QStringLiteral("SELECT Num_trace, Lat, Lon, Altitude, Date FROM Points "
                                                "WHERE Trace = ? ORDER BY Num_trace"),
                                 {t.value(0)});
            while (p.next())
                out << QStringLiteral("pt|%1|%2|%3|%4|%5")
                           .arg(p.value(0).toString(), num(p.value(1)), num(p.value(2)), alt(p.value(3)),
                                p.value(4).toString());
        }
        return out.join('\n').toStdString();
    }

    void import(const QString& file) {
        state().nomFichier = file;
        state().typeFichier = 2;
        ASSERT_EQ(importeFichier(false), ImportOutcome::Ok) << prompts->texts().join('\n').toStdString();
    }
};

TEST_F(ExportRoundTrip, OurImportReadsOurGpxToTheSameRows) {
    const std::string before = rows();
    ASSERT_EQ(std::count(before.begin(), before.end(), '\n'), 3 + 2 + 5 - 1);
    run(2, out(QStringLiteral("out.gpx")), true, true, false, false, false);
    ASSERT_TRUE(state().resultatOk);
    import(out(QStringLiteral("out.gpx")));
    EXPECT_EQ(rows(), before);
    DbGuard db;
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT COUNT(*) FROM Trace WHERE Fermer <> 0")).toInt(), 0);
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT COUNT(*) FROM Trace")).toInt(), 2);  // "Vide" is gone
}

TEST_F(ExportRoundTrip, OurImportReadsGpsBabelsRewriteToTheSameRows) {
    const std::string before = rows();
    run(2, out(QStringLiteral("out.gpx")), true, true, false, false, false);
    ASSERT_TRUE(state().resultatOk);
    const ProgramRun r = runProgram(QStringLiteral("gpsbabel"),
                                    {QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("-i"),
                                     QStringLiteral("gpx"), QStringLiteral("-f"), out(QStringLiteral("out.gpx")),
                                     QStringLiteral("-o"), QStringLiteral("gpx,gpxver=1.0"), QStringLiteral("-F"),
                                     out(QStringLiteral("back.gpx"))});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    import(out(QStringLiteral("back.gpx")));
    EXPECT_EQ(rows(), before);
}

}  // namespace
}  // namespace sotrix::test
