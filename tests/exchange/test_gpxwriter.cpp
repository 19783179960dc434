// The GPX export: the file byte for byte, GPSBabel reading it back, the selection and
// bounds, locale independence and failures.

#include "GpxWriterText.h"
#include "test_export_fixture.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

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
    // The data of the golden file: a closed track stored out of Num_trace order, a track
    // without points, a name holding a control character that XML 1.0 cannot carry.
    void seedGolden() {
        DbGuard db;
        addPoint(*db, QStringLiteral("A&B"), 4.25, 50.5, 1, 1, 123.40, QStringLiteral("2004-03-15 10:00:00"),
                 QStringLiteral("Café"), 0, {}, false);
        addPoint(*db, QStringLiteral("é<'\u0001\">"), -4.25, 50.85, 1, 1, 0.0, QString(), QStringLiteral(""), 0, {},
                 false);
        addTrack(*db, 1, QStringLiteral("T1"), QStringLiteral("Boucle"), true, false);
        addTrack(*db, 2, QStringLiteral("Vide"), QString(), false, false);
        addPoint(*db, QString(), 4.34, 50.84, 1, 1, std::nullopt, QString(), QString(), 1, 2, false);
        addPoint(*db, QString(), 4.35, 50.85, 1, 1, 100, QStringLiteral("2004-03-01 01:30:00"), QString(), 1, 1,
                 false);
    }

    QStringList gpsbabel(const QStringList& args) {
        const ProgramRun r = runProgram(QStringLiteral("gpsbabel"), args);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        return r.out.split(QRegularExpression(QStringLiteral("\r?\n")), Qt::SkipEmptyParts);
    }
};

TEST_F(GpxExportTest, WritesTheFileByteForByteInAnyLocale) {
    seedGolden();
    state().paramDecalage = 2;
    setFlags(true, true);
    CommaLocale comma;
    ASSERT_TRUE(comma.ok());
    run(2, out(QStringLiteral("out.gpx")), true, true, false, false, false);
    EXPECT_TRUE(state().resultatOk);
    EXPECT_TRUE(prompts->prompts().empty());
    EXPECT_EQ(readBytes(out(QStringLiteral("out.gpx"))), QByteArray(kGolden));
    EXPECT_FALSE(state().modifWaypoints);
    EXPECT_FALSE(state().modifTraces);
    EXPECT_EQ(folderEntries(outDir()), QStringList{QStringLiteral("out.gpx")});
}

TEST_F(GpxExportTest, GpsBabelReadsWaypointsAndTrackPointsBack) {
    seedGolden();
    state().paramDecalage = 2;
    const QString file = out(QStringLiteral("out.gpx"));
    run(2, file, true, true, false, false, false);
    ASSERT_TRUE(state().resultatOk);

    const QStringList w = gpsbabel({QStringLiteral("-i"), QStringLiteral("gpx"), QStringLiteral("-f"), file,
                                    QStringLiteral("-o"), QStringLiteral("unicsv"), QStringLiteral("-F"),
                                    QStringLiteral("-")});
    ASSERT_EQ(w.size(), 3) << w.join('\n').toStdString();
    EXPECT_EQ(w[0], QStringLiteral("No,Latitude,Longitude,Name,Altitude,Description,Date,Time"));
    EXPECT_TRUE(w[1].startsWith(QStringLiteral("1,50.500000,4.250000,\"A&B\",123.4,\"Café\",2004/03/15,08:00:00")))
        << w[1].toStdString();
    EXPECT_TRUE(w[2].startsWith(QStringLiteral("2,50.850000,-4.250000,\"é<'\"\">\""))) << w[2].toStdString();

    const QStringList t = gpsbabel({QStringLiteral("-t"), QStringLiteral("-i"), QStringLiteral("gpx"),
                                    QStringLiteral("-f"), file, QStringLiteral("-o"), QStringLiteral("unicsv"),
                                    QStringLiteral("-F"), QStringLiteral("-")});
    ASSERT_EQ(t.size(), 3) << t.join('\n').toStdString();
    EXPECT_EQ(t[0], QStringLiteral("No,Latitude,Longitude,Altitude,Date,Time"));
    EXPECT_EQ(t[1], QStringLiteral("1,50.850000,4.350000,100.0,2004/02/29,23:30:00"));
    EXPECT_EQ(t[2], QStringLiteral("2,50.840000,4.340000,,,"));

    // GPSBabel's own GPX 1.0 of the file still holds both tracks points and waypoints.
    const ProgramRun back = runProgram(QStringLiteral("gpsbabel"),
                                       {QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("-i"),
                                        QStringLiteral("gpx"), QStringLiteral("-f"), file, QStringLiteral("-o"),
                                        QStringLiteral("gpx,gpxver=1.0"), QStringLiteral("-F"), QStringLiteral("-")});
    EXPECT_EQ(back.exitCode, 0) << back.err.toStdString();
    EXPECT_EQ(back.out.count(QStringLiteral("<trkpt")), 2);
    EXPECT_EQ(back.out.count(QStringLiteral("<wpt")), 2);
}

TEST_F(GpxExportTest, SelectionAndKindsLimitTheBlocksAndTheBounds) {
    {
        DbGuard db;
        for (int i = 0; i < 5; ++i)
            addPoint(*db, QStringLiteral("W%1").arg(i), 4.0 + i, 50.0 + i, 0, 0, 10, QString(), QString(), 0, {},
                     i == 1 || i == 3);
        addTrack(*db, 1, QStringLiteral("T"), QString(), false, false);
        addPoint(*db, QString(), -1, -1, 0, 0, 1, QString(), QString(), 1, 1, true);
    }
    setFlags(true, true);
    run(2, out(QStringLiteral("sel.gpx")), true, true, false, false, true);
    const QString sel = QString::fromUtf8(readBytes(out(QStringLiteral("sel.gpx"))));
    EXPECT_EQ(sel.count(QStringLiteral("<wpt ")), 2);
    EXPECT_TRUE(sel.contains(QStringLiteral("<name>W1</name>")) && sel.contains(QStringLiteral("<name>W3</name>")));
    EXPECT_FALSE(sel.contains(QStringLiteral("<trk>")));  // the track is not selected, its point is
    EXPECT_TRUE(sel.contains(QStringLiteral(
        "<bounds minlat=\"51.00000000\" minlon =\"5.00000000\" maxlat=\"53.00000000\" maxlon=\"7.00000000\" />")));
    EXPECT_TRUE(state().modifWaypoints);  // a selection saves nothing whole
    EXPECT_TRUE(state().modifTraces);

    run(2, out(QStringLiteral("tracks.gpx")), false, true, false, false, false);
    const QString tracks = QString::fromUtf8(readBytes(out(QStringLiteral("tracks.gpx"))));
    EXPECT_EQ(tracks.count(QStringLiteral("<wpt ")), 0);
    EXPECT_TRUE(tracks.contains(QStringLiteral(
        "<bounds minlat=\"-1.00000000\" minlon =\"-1.00000000\" maxlat=\"-1.00000000\" maxlon=\"-1.00000000\" />")));
    EXPECT_TRUE(state().modifWaypoints);
    EXPECT_FALSE(state().modifTraces);
}

TEST_F(GpxExportTest, AFileWithoutPointsHasNoBounds) {
    setFlags(true, false);
    run(2, out(QStringLiteral("empty.gpx")), true, false, false, false, false);
    EXPECT_TRUE(state().resultatOk);
    const QByteArray b = readBytes(out(QStringLiteral("empty.gpx")));
    EXPECT_TRUE(b.endsWith("</time>\r\n</gpx>\r\n")) << b.toStdString();
    EXPECT_FALSE(b.contains("<bounds"));
    EXPECT_FALSE(state().modifWaypoints);
    const ProgramRun r = runProgram(QStringLiteral("xmllint"), {QStringLiteral("--noout"), out(QStringLiteral("empty.gpx"))});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
}

TEST_F(GpxExportTest, AFailureKeepsOldFilesAndFlagsAndNamesTheFile) {
    seedGolden();
    const QString expected =
        QStringLiteral("Impossible de créer/supprimer le fichier '%1'.\nVérifiez que ce fichier n'est pas en cours "
                       "d'utilisation.");
    // The parent folder does not exist.
    setFlags(true, true);
    const QString orphan = out(QStringLiteral("missing/out.gpx"));
    run(2, orphan, true, true, false, false, false);
    EXPECT_FALSE(state().resultatOk);
    ASSERT_EQ(prompts->prompts().size(), 1u);
    EXPECT_EQ(prompts->prompts()[0].text, expected.arg(orphan));
    EXPECT_EQ(prompts->prompts()[0].icon, Icon::Exclamation);
    EXPECT_TRUE(state().modifWaypoints);
    EXPECT_TRUE(state().modifTraces);

    // The target is a folder: it stays as it was.
    prompts->clear();
    const QString folder = out(QStringLiteral("dir.gpx"));
    ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/inside")));
    run(2, folder, true, true, false, false, false);
    EXPECT_FALSE(state().resultatOk);
    ASSERT_EQ(prompts->prompts().size(), 1u);
    EXPECT_EQ(prompts->prompts()[0].text, expected.arg(folder));
    EXPECT_EQ(folderEntries(folder), QStringList{QStringLiteral("inside")});
    EXPECT_EQ(folderEntries(outDir()), QStringList{QStringLiteral("dir.gpx")});

    // Unknown format: nothing written.
    prompts->clear();
    run(9, out(QStringLiteral("x.gpx")), true, true, false, false, false);
    EXPECT_FALSE(state().resultatOk);
    ASSERT_EQ(prompts->prompts().size(), 1u);
    EXPECT_EQ(prompts->prompts()[0].text,
              QStringLiteral("Une erreur est survenue lors de l'enregistrement : type de fichier inconnu."));
    EXPECT_EQ(folderEntries(outDir()), QStringList{QStringLiteral("dir.gpx")});
    EXPECT_TRUE(state().modifWaypoints);
}

TEST_F(GpxExportTest, ADatabaseErrorIsReportedAndWritesNothing) {
    {
        DbGuard db;
        db->exec(QStringLiteral("DROP TABLE Trace"));
    }
    setFlags(true, true);
    run(2, out(QStringLiteral("db.gpx")), true, true, false, false, false);
    EXPECT_FALSE(state().resultatOk);
    ASSERT_EQ(prompts->prompts().size(), 1u);
    EXPECT_TRUE(prompts->prompts()[0].text.startsWith(
        QStringLiteral("Une erreur est survenue lors de l'enregistrement : no such table")))
        << prompts->prompts()[0].text.toStdString();
    EXPECT_TRUE(folderEntries(outDir()).isEmpty());
    EXPECT_TRUE(state().modifWaypoints);
}

TEST(GpxWriterText, NumbersAndTexts) {
    const auto coordinate = [](double v) {
        QByteArray b;
        appendCoordinate(b, v);
        return b;
    };
    EXPECT_EQ(coordinate(50.5), "50.50000000");
    EXPECT_EQ(coordinate(-4.25), "-4.25000000");
    EXPECT_EQ(coordinate(-0.000000001), "0.00000000");
    EXPECT_EQ(coordinate(-0.000000006), "-0.00000001");
    const auto altitude = [](double v) {
        QByteArray b;
        appendAltitude(b, v);
        return b;
    };
    EXPECT_EQ(altitude(123.40), "123.4");
    EXPECT_EQ(altitude(100), "100");
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
