// The CSV export: its bytes in both decimal conventions and both coordinate pairs, the
// points each choice writes, replacement and failure, and GDAL's CSV reader on the file.

#include "test_export_fixture.h"

#include <map>
#include <optional>

namespace sotrix::test {
namespace {

class CsvExportTest : public ExportTest {
protected:
    // Nom, X, Y, Lon, Lat, Altitude, Date, Description, Trace, Num_trace.
    static void row(Database& db, const QVariantList& v) {
        db.exec(QStringLiteral("INSERT INTO Points (Nom, X, Y, Lon, Lat, Altitude, Date, Description, Trace, Num_trace) "
                               "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                v);
    }

    // Two waypoints, a track point, then a waypoint stored after it.
    void seedGolden() {
        DbGuard db;
        const QVariant N;
        row(*db, {"Café \"Lion\"; Bxl", 150123.456, 170234.5, 4.35, 50.85, 120.5, "2004-03-15 12:00:00", "Maison", 0, N});
        row(*db, {"W2", 150000.0, 170000.0, 4.123456789012345678, 0.00001, N, N, N, 0, N});
        track(*db, {3, "Nom de trace", "Desc de trace", 0, 0});
        row(*db, {"ignoré", 149000.25, 171000.0, -1.5, 51.0, N, N, N, 3, 1});
        row(*db, {"L'église", 1e16, -2.5e-7, 5.0, 50.0, -12.0, "2004-03-16", "dit \"vieux\"", 0, N});
    }

    QByteArray exportCsv(const QString& name, bool waypoints, bool tracks, bool selectedOnly, int projExport = 1) {
        run(3, out(name), waypoints, tracks, false, false, selectedOnly, projExport);
        EXPECT_TRUE(state().resultatOk) << prompts->texts().join('\n').toStdString();
        return readBytes(out(name));
    }
};

const QByteArray kHeader = "Trace;\"Nom\";X;Y;Altitude;Date;\"Description\"\r\n";

struct GoldenCase {
    const char* separator;
    int projExport;
    QByteArray body;
};

TEST_F(CsvExportTest, WritesTheExpectedBytesForEachSeparatorAndCoordinatePair) {
    seedGolden();
    const GoldenCase cases[] = {
        {".", 1,
         "0;\"Caf\xc3\xa9 \"\"Lion\"\"; Bxl\";150123.456;170234.5;120.5;15/03/2004 12:00:00;\"Maison\"\r\n"
         "0;\"W2\";150000;170000;;;\"\"\r\n"
         "3;\"1\";149000.25;171000;;;\"\"\r\n"
         "0;\"L'\xc3\xa9glise\";1e+16;-2.5e-07;-12;16/03/2004 00:00:00;\"dit \"\"vieux\"\"\"\r\n"},
        {",", 1,
         "0;\"Caf\xc3\xa9 \"\"Lion\"\"; Bxl\";150123,456;170234,5;120,5;15/03/2004 12:00:00;\"Maison\"\r\n"
         "0;\"W2\";150000;170000;;;\"\"\r\n"
         "3;\"1\";149000,25;171000;;;\"\"\r\n"
         "0;\"L'\xc3\xa9glise\";1e+16;-2,5e-07;-12;16/03/2004 00:00:00;\"dit \"\"vieux\"\"\"\r\n"},
        {",", 0,
         "0;\"Caf\xc3\xa9 \"\"Lion\"\"; Bxl\";4,35;50,85;120,5;15/03/2004 12:00:00;\"Maison\"\r\n"
         "0;\"W2\";4,12345678901235;1e-05;;;\"\"\r\n"
         "3;\"1\";-1,5;51;;;\"\"\r\n"
         "0;\"L'\xc3\xa9glise\";5;50;-12;16/03/2004 00:00:00;\"dit \"\"vieux\"\"\"\r\n"},
    };
    for (const bool commaLocale : {false, true}) {
        for (const GoldenCase& c : cases) {
            std::optional<CommaLocale> locale;
            if (commaLocale) locale.emplace();
            state().sepDecimal = QString::fromLatin1(c.separator);
            const QByteArray bytes = exportCsv(QStringLiteral("golden.csv"), true, true, false, c.projExport);
            EXPECT_EQ(bytes, kHeader + c.body) << c.separator << c.projExport << " C library locale " << commaLocale;
        }
    }
}

struct Selection {
    bool waypoints, tracks, selectedOnly;
    QStringList written;  // "Trace:Nom" of each line after the header
};

TEST_F(CsvExportTest, EachChoiceWritesItsPointsInStorageOrder) {
    seed();
    {
        DbGuard db;
        point(*db, {"Après", 1.0, 2.0, QVariant(), QVariant(), QVariant(), 0, QVariant(), 2});
    }
    const QStringList waypoints{"0:Café L'église", "0:A&B", "0:Łódź"};
    const QStringList trackPoints{"1:3", "1:1", "1:2", "2:1", "2:2", "2:3", "2:4", "4:1"};
    const Selection cases[] = {
        {true, true, false, waypoints + trackPoints + QStringList{"0:Après"}},
        {true, true, true, {"0:Café L'église", "1:1", "0:Après"}},
        {true, false, false, waypoints + QStringList{"0:Après"}},
        {true, false, true, {"0:Café L'église", "0:Après"}},
        {false, true, false, trackPoints},
        {false, false, false, trackPoints},
        {false, true, true, {"1:1"}},
        {false, false, true, {"1:1"}},
    };
    for (const Selection& c : cases) {
        const QString text = QString::fromUtf8(exportCsv(QStringLiteral("sel.csv"), c.waypoints, c.tracks, c.selectedOnly));
        QStringList lines = text.split(QStringLiteral("\r\n"));
        ASSERT_EQ(lines.takeFirst().toUtf8() + "\r\n", kHeader);
        ASSERT_EQ(lines.takeLast(), QString());
        QStringList written;
        for (const QString& line : lines) {
            const QStringList fields = line.split(u';');
            ASSERT_EQ(fields.size(), 7) << line.toStdString();
            written << fields[0] + u':' + fields[1].mid(1, fields[1].size() - 2);
        }
        EXPECT_EQ(written, c.written) << c.waypoints << c.tracks << c.selectedOnly;
    }
}

TEST_F(CsvExportTest, ReplacesALongerFileAndFailsCleanly) {
    // An empty choice still writes the header, over whatever was there.
    writeBytes(out(QStringLiteral("old.csv")), QByteArray(100000, 'x'));
    seed();
    {
        DbGuard db;
        db->exec(QStringLiteral("UPDATE Points SET Selected = 0"));
    }
    setFlags(true, true);
    EXPECT_EQ(exportCsv(QStringLiteral("old.csv"), true, false, true), kHeader);

    // A folder that is a regular file: the message, the flags kept, no temporary file left.
    writeBytes(out(QStringLiteral("blocker")), "keep");
    const QString target = out(QStringLiteral("blocker/out.csv"));
    run(3, target, true, true, false, false, false, 1);
    expectFailure(failureText(target));
    EXPECT_EQ(folderEntries(outDir()), (QStringList{QStringLiteral("blocker"), QStringLiteral("old.csv")}));
    EXPECT_EQ(readBytes(out(QStringLiteral("blocker"))), "keep");
}

// The features of an ogrinfo listing: field name to text, and "POINT" to the geometry.
std::vector<std::map<QString, QString>> ogrFeatures(const QString& listing) {
    std::vector<std::map<QString, QString>> features;
    for (const QString& raw : listing.split(u'\n')) {
        const QString line = raw.trimmed();
        if (line.startsWith(QStringLiteral("OGRFeature("))) {
            features.emplace_back();
        } else if (!features.empty() && line.startsWith(QStringLiteral("POINT"))) {
            features.back()[QStringLiteral("POINT")] = line;
        } else if (!features.empty() && line.contains(QStringLiteral(" = "))) {
            const qsizetype eq = line.indexOf(QStringLiteral(" = "));
            features.back()[line.left(eq)] = line.mid(eq + 3);
        }
    }
    return features;
}

TEST_F(CsvExportTest, GdalReadsTheSameValuesWithEitherSeparator) {
    seedGolden();
    for (const char* separator : {".", ","}) {
        state().sepDecimal = QString::fromLatin1(separator);
        exportCsv(QStringLiteral("gdal.csv"), true, true, false);
        const ProgramRun r = runProgram(
            QStringLiteral("ogrinfo"),
            {"-ro", "-al", "-q", "-oo", "AUTODETECT_TYPE=YES", "-oo", "X_POSSIBLE_NAMES=X", "-oo", "Y_POSSIBLE_NAMES=Y",
             out(QStringLiteral("gdal.csv"))});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const auto f = ogrFeatures(r.out);
        ASSERT_EQ(f.size(), 4u) << r.out.toStdString();
        const std::map<QString, QString> first{
            {"Trace (Integer)", "0"},          {"Nom (String)", "Café \"Lion\"; Bxl"},
            {"X (Real)", "150123.456"},        {"Y (Real)", "170234.5"},
            {"Altitude (Real)", "120.5"},      {"Date (String)", "15/03/2004 12:00:00"},
            {"Description (String)", "Maison"}, {"POINT", "POINT (150123.456 170234.5)"}};
        EXPECT_EQ(f[0], first) << separator;
        EXPECT_EQ(f[1].count(QStringLiteral("Altitude (Real)")), 0u) << "an empty altitude is null";
        EXPECT_EQ(f[1].at(QStringLiteral("POINT")), QStringLiteral("POINT (150000 170000)"));
        EXPECT_EQ(f[2].at(QStringLiteral("Nom (String)")), QStringLiteral("1"));
        EXPECT_EQ(f[2].at(QStringLiteral("X (Real)")), QStringLiteral("149000.25"));
        EXPECT_EQ(f[3].at(QStringLiteral("Nom (String)")), QStringLiteral("L'église"));
        EXPECT_EQ(f[3].at(QStringLiteral("Description (String)")), QStringLiteral("dit \"vieux\""));
        EXPECT_EQ(f[3].at(QStringLiteral("Y (Real)")).toDouble(), -2.5e-7) << separator;
        EXPECT_EQ(f[3].at(QStringLiteral("Altitude (Real)")), QStringLiteral("-12"));
    }
}

}  // namespace
}  // namespace sotrix::test
