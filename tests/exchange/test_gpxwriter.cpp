// The GPX export: the file byte for byte, GPSBabel reading it back, the selection and
// bounds, locale independence and failures.

#include "GpxWriterText.h"
#include "test_export_fixture.h"

#include <QRegularExpression>

namespace sotrix::test {
namespace {

const char* const kGolden =
    "<?xml version=\"1.0\"?>\r\n"
    "<gpx\r\n"
    "version=\"1.0\"\r\n"
    "creator=\"Pavone - http://www.sotrix.org\"\r\n"
    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"\r\n"
    "xmlns=\"http://www.topografix.com/GPX/1/0\"\r\n"
    "xsi:schemaLocation=\"http://www.topografix.com/GPX/1/0 http://www.topografix.com/GPX/1/0/gpx.xsd\">\r\n"
    "<time>2024-05-01T08:00:00Z</time>\r\n"
    "<bounds minlat=\"50.50000000\" minlon =\"-4.25000000\" maxlat=\"50.85000000\" maxlon=\"4.35000000\" />\r\n"
    "<wpt lat=\"50.50000000\" lon=\"4.25000000\">\r\n"
    "  <ele>123.4</ele>\r\n"
    "  <time>2004-03-15T08:00:00Z</time>\r\n"
    "  <name>A&amp;B</name>\r\n"
    "  <cmt>Caf\xc3\xa9</cmt>\r\n"
    "  <desc>Caf\xc3\xa9</desc>\r\n"
    "</wpt>\r\n"
    "<wpt lat=\"50.85000000\" lon=\"-4.25000000\">\r\n"
    "  <name>\xc3\xa9&lt;&apos;&quot;&gt;</name>\r\n"
    "</wpt>\r\n"
    "<trk>\r\n"
    "  <name>T1</name>\r\n"
    "  <cmt>Boucle</cmt>\r\n"
    "  <desc>Boucle</desc>\r\n"
    "  <number>2</number>\r\n"
    "  <trkseg>\r\n"
    "    <trkpt lat=\"50.85000000\" lon=\"4.35000000\">\r\n"
    "      <ele>100</ele>\r\n"
    "      <time>2004-02-29T23:30:00Z</time>\r\n"
    "    </trkpt>\r\n"
    "    <trkpt lat=\"50.84000000\" lon=\"4.34000000\">\r\n"
    "    </trkpt>\r\n"
    "  </trkseg>\r\n"
    "</trk>\r\n"
    "</gpx>\r\n";

class GpxExportTest : public ExportTest {
protected:
    // The golden file's data: a closed track stored out of Num_trace order, a track
    // without points, a name holding a control character that XML 1.0 cannot carry, and
    // points without coordinates, which have no place in the file (nor in the bounds).
    void seedGolden() {
        DbGuard db;
        const QVariant N;
        point(*db, {"A&B", 4.25, 50.5, 123.40, "2004-03-15 10:00:00", "Café", 0, N, 0});
        point(*db, {QStringLiteral("é<'\u0001\">"), -4.25, 50.85, 0.0, N, "", 0, N, 0});
        point(*db, {"Nulle part", N, 60.0, 5, N, N, 0, N, 0});
        track(*db, {1, "T1", "Boucle", 1, 0});
        track(*db, {2, "Vide", N, 0, 0});
        track(*db, {3, "Sans coordonnées", N, 0, 0});
        point(*db, {N, 4.34, 50.84, N, N, N, 1, 2, 0});
        point(*db, {N, 4.35, 50.85, 100, "2004-03-01 01:30:00", N, 1, 1, 0});
        point(*db, {N, -9.0, N, N, N, N, 1, 3, 0});
        point(*db, {N, N, N, N, N, N, 3, 1, 0});
        state().paramDecalage = 2;
    }
    QStringList gpsbabel(QStringList args) {
        args << QStringLiteral("-o") << QStringLiteral("unicsv") << QStringLiteral("-F") << QStringLiteral("-");
        const ProgramRun r = runProgram(QStringLiteral("gpsbabel"), args);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        return r.out.split(QRegularExpression(QStringLiteral("\r?\n")), Qt::SkipEmptyParts);
    }
    QString text(const QString& name) { return QString::fromUtf8(readBytes(out(name))); }
};

TEST_F(GpxExportTest, WritesTheFileByteForByteInAnyLocaleAndGpsBabelReadsIt) {
    seedGolden();
    setFlags(true, true);
    {
        CommaLocale comma;
        ASSERT_TRUE(comma.ok);
        run(2, out(QStringLiteral("out.gpx")), true, true, false, false, false);
    }
    EXPECT_TRUE(state().resultatOk);
    EXPECT_TRUE(prompts->prompts().empty());
    EXPECT_EQ(readBytes(out(QStringLiteral("out.gpx"))), QByteArray(kGolden));
    EXPECT_FALSE(state().modifWaypoints || state().modifTraces);
    EXPECT_EQ(folderEntries(outDir()), QStringList{QStringLiteral("out.gpx")});

    const QString file = out(QStringLiteral("out.gpx"));
    const QStringList w = gpsbabel({QStringLiteral("-i"), QStringLiteral("gpx"), QStringLiteral("-f"), file});
    ASSERT_EQ(w.size(), 3) << w.join('\n').toStdString();
    EXPECT_EQ(w[0], QStringLiteral("No,Latitude,Longitude,Name,Altitude,Description,Date,Time"));
    EXPECT_TRUE(w[1].startsWith(QStringLiteral("1,50.500000,4.250000,\"A&B\",123.4,\"Café\",2004/03/15,08:00:00")));
    EXPECT_TRUE(w[2].startsWith(QStringLiteral("2,50.850000,-4.250000,\"é<'\"\">\"")));
    const QStringList t =
        gpsbabel({QStringLiteral("-t"), QStringLiteral("-i"), QStringLiteral("gpx"), QStringLiteral("-f"), file});
    EXPECT_EQ(t, (QStringList{QStringLiteral("No,Latitude,Longitude,Altitude,Date,Time"),
                              QStringLiteral("1,50.850000,4.350000,100.0,2004/02/29,23:30:00"),
                              QStringLiteral("2,50.840000,4.340000,,,")}));
}

TEST_F(GpxExportTest, SelectionAndKindsLimitTheBlocksTheBoundsAndTheFlagsCleared) {
    {
        DbGuard db;
        for (int i = 0; i < 5; ++i) point(*db, {QStringLiteral("W%1").arg(i), 4.0 + i, 50.0 + i, 10, QVariant(), QVariant(), 0, QVariant(), int(i == 1 || i == 3)});
        track(*db, {1, "T", QVariant(), 0, 0});
        point(*db, {QVariant(), -1, -1, 1, QVariant(), QVariant(), 1, 1, 1});
    }
    setFlags(true, true);
    run(2, out(QStringLiteral("sel.gpx")), true, true, false, false, true);
    const QString sel = text(QStringLiteral("sel.gpx"));
    EXPECT_EQ(sel.count(QStringLiteral("<wpt ")), 2);
    EXPECT_TRUE(sel.contains(QStringLiteral("<name>W1</name>")) && sel.contains(QStringLiteral("<name>W3</name>")));
    EXPECT_FALSE(sel.contains(QStringLiteral("<trk>")));  // its point is selected, the track is not
    EXPECT_TRUE(sel.contains(QStringLiteral(
        "<bounds minlat=\"51.00000000\" minlon =\"5.00000000\" maxlat=\"53.00000000\" maxlon=\"7.00000000\" />")));
    EXPECT_TRUE(state().modifWaypoints && state().modifTraces);  // nothing saved whole

    run(2, out(QStringLiteral("tracks.gpx")), false, true, false, false, false);
    const QString tracks = text(QStringLiteral("tracks.gpx"));
    EXPECT_FALSE(tracks.contains(QStringLiteral("<wpt ")));
    EXPECT_TRUE(tracks.contains(QStringLiteral("<bounds minlat=\"-1.00000000\" minlon =\"-1.00000000\" maxlat")));
    EXPECT_TRUE(state().modifWaypoints);
    EXPECT_FALSE(state().modifTraces);

    {
        DbGuard db;
        db->exec(QStringLiteral("DELETE FROM Points"));
    }
    run(2, out(QStringLiteral("empty.gpx")), true, false, false, false, false);
    EXPECT_TRUE(state().resultatOk);
    EXPECT_TRUE(text(QStringLiteral("empty.gpx")).endsWith(QStringLiteral("</time>\r\n</gpx>\r\n")));  // no bounds
    EXPECT_FALSE(state().modifWaypoints);
}

TEST_F(GpxExportTest, FailuresKeepTheFlagsAndWhatWasThere) {
    seedGolden();
    setFlags(true, true);
    const QString orphan = out(QStringLiteral("missing/out.gpx"));
    run(2, orphan, true, true, false, false, false);
    expectFailure(failureText(orphan));

    const QString folder = out(QStringLiteral("dir.gpx"));
    ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/inside")));
    run(2, folder, true, true, false, false, false);
    expectFailure(failureText(folder));
    EXPECT_EQ(folderEntries(folder), QStringList{QStringLiteral("inside")});

    run(9, out(QStringLiteral("x.gpx")), true, true, false, false, false);
    expectFailure(QStringLiteral("Une erreur est survenue lors de l'enregistrement : type de fichier inconnu."));

    {
        DbGuard db;
        db->exec(QStringLiteral("DROP TABLE Trace"));
    }
    run(2, out(QStringLiteral("db.gpx")), true, true, false, false, false);
    expectFailure(QStringLiteral("Une erreur est survenue lors de l'enregistrement : no such table: Trace"));
    EXPECT_EQ(folderEntries(outDir()), QStringList{QStringLiteral("dir.gpx")});
}

TEST(GpxWriterText, NumbersAndTexts) {
    const auto coordinate = [](double v) {
        QByteArray b;
        appendCoordinate(b, v);
        return b;
    };
    EXPECT_EQ(coordinate(-0.000000001), "0.00000000");
    EXPECT_EQ(coordinate(-0.000000006), "-0.00000001");
    const auto altitude = [](double v) {
        QByteArray b;
        appendAltitude(b, v);
        return b;
    };
    EXPECT_EQ(altitude(0.5), "0.5");
    EXPECT_EQ(altitude(0.00001), "0.00001");
    EXPECT_EQ(altitude(1e20), "100000000000000000000");
    EXPECT_EQ(altitude(1.0 / 3 * 1e-5), "0.00000333333333333333");
    QByteArray text;
    appendEscaped(text, u"a\tb\u0008c\u000Bd\uFFFEe\U0001F600&\r\n");
    EXPECT_EQ(text, QByteArray("a\tbcde\xf0\x9f\x98\x80&amp;\r\n"));
}

}  // namespace
}  // namespace sotrix::test
