// The shapefile import through the field-mapping dialog: point, line and polygon files
// written by GDAL in both of its encodings, Z files, names made by part numbers, sibling
// files in other cases, and the files that cannot be read.
#include "ExportEngine.h"
#include "test_import_fixture.h"

#include <QDir>

#include <shapefil.h>

using namespace sotrix;
using namespace sotrix::importtest;

namespace {

class ShapefileImportTest : public ImportTest {
protected:
    // Writes the CSV with a WKT column and converts it; utf8 asks GDAL for UTF-8
    // attributes (and a .cpg) instead of its default Windows code page.
    QString shapefile(const QString& name, const QByteArray& csv, bool utf8, const QStringList& extra = {}) {
        writeFile(csv, name + QStringLiteral(".csv"));
        QStringList args{"-f", "ESRI Shapefile", "-oo", "KEEP_GEOM_COLUMNS=NO"};
        args << extra;
        if (utf8) args << QStringLiteral("-lco") << QStringLiteral("ENCODING=UTF-8");
        args << name + QStringLiteral(".shp") << name + QStringLiteral(".csv");
        runTool(QStringLiteral("ogr2ogr"), args);
        return path(name + QStringLiteral(".shp"));
    }
    // Through the dialog with the automatic choice of name field and the given system.
    std::optional<ImportOutcome> importShp(const QString& file, int projection) {
        return importViaDialog(file, typefichier::kOuvrirShapefile,
                               [projection](QWidget& d) { setCombo(d, "Combo_projection", projection); });
    }
    // Tracks as "Nom:Nb:Fermer", then their points' numbering is checked to run 1..Nb.
    static QStringList tracks() {
        DbGuard db;
        QStringList out;
        Cursor c = db->query(QStringLiteral("SELECT Id_trace, Nom, Nb, Fermer FROM Trace ORDER BY Id_trace"));
        while (c.next()) {
            out << QStringLiteral("%1:%2:%3").arg(c.value(1).toString()).arg(c.value(2).toLongLong()).arg(c.value(3).toInt());
            const QString nums = db->scalar(QStringLiteral("SELECT group_concat(Num_trace, ',') FROM "
                                                           "(SELECT Num_trace FROM Points WHERE Trace = ? ORDER BY Id_point)"),
                                            {c.value(0)})
                                     .toString();
            QStringList expected;
            for (qint64 i = 1; i <= c.value(2).toLongLong(); ++i) expected << QString::number(i);
            EXPECT_EQ(nums, expected.join(QLatin1Char(','))) << c.value(1).toString().toStdString();
        }
        return out;
    }
};

const QByteArray kPoints = "WKT,nom\n\"POINT (4.35 50.85)\",Café L'église\n,Vide\n\"POINT (5.5 51)\",\n"
                           "\"POINT (4.1 50.1)\",Forêt/Nord-\n\"POINT (0 0)\",Zéro\n";

TEST_F(ShapefileImportTest, PointsAndLinesInBothEncodings) {
    for (const bool utf8 : {false, true}) {
        SCOPED_TRACE(utf8 ? "UTF-8" : "default encoding");
        const QString pts = shapefile(QStringLiteral("pts%1").arg(utf8), kPoints, utf8, {"-nlt", "POINT"});
        EXPECT_EQ(QFile::exists(path(QStringLiteral("pts%1.cpg").arg(utf8))), utf8);
        seedRows();
        prompts->clear();
        EXPECT_EQ(importShp(pts, 0), ImportOutcome::Ok);
        EXPECT_TRUE(prompts->prompts().empty()) << prompts->texts().join("; ").toStdString();
        DbGuard db;
        Cursor c = db->query(QStringLiteral("SELECT Id_point, Nom, Lon, Lat, X, Y, Trace FROM Points ORDER BY Id_point"));
        const QStringList names{QString::fromUtf8("Café L'église"), "2", QString::fromUtf8("ForêtXNord"),
                                QString::fromUtf8("Zéro")};
        const std::vector<std::pair<double, double>> lonLat{{4.35, 50.85}, {5.5, 51}, {4.1, 50.1}, {0, 0}};
        const auto xy = cs2cs(proj4(4326), proj4(31370), lonLat);
        for (int i = 0; i < 4; ++i) {
            ASSERT_TRUE(c.next());
            EXPECT_EQ(c.value(0).toLongLong(), i + 1);
            EXPECT_EQ(c.value(1).toString(), names[i]);
            EXPECT_EQ(c.value(2).toDouble(), lonLat[std::size_t(i)].first);
            EXPECT_EQ(c.value(3).toDouble(), lonLat[std::size_t(i)].second);
            EXPECT_NEAR(c.value(4).toDouble(), xy[std::size_t(i)].first, 1e-3);
            EXPECT_NEAR(c.value(5).toDouble(), xy[std::size_t(i)].second, 1e-3);
            EXPECT_EQ(c.value(6).toLongLong(), 0);
        }
        EXPECT_FALSE(c.next());
        EXPECT_EQ(db->scalar(QStringLiteral("SELECT COUNT(*) FROM Trace")).toLongLong(), 0);

        const QString lines = shapefile(
            QStringLiteral("lignes%1").arg(utf8),
            "WKT,name\n\"LINESTRING (4.0 50.0,4.05 50.05,4.1 50.0)\",Forêt\n"
            "\"MULTILINESTRING ((4.0 50.0,4.1 50.1),(4.2 50.2,4.3 50.3,4.4 50.4))\",Route\n,Vide\n"
            "\"LINESTRING (5 51,5.1 51.1)\",\n",
            utf8, {"-nlt", "MULTILINESTRING"});
        EXPECT_EQ(importShp(lines, 0), ImportOutcome::Ok);
        EXPECT_EQ(tracks(), (QStringList{QString::fromUtf8("Forêt:3:0"), "Route1:2:0", "Route2:3:0", "4:2:0"}));
        EXPECT_EQ(db->scalar(QStringLiteral("SELECT group_concat(Lon || ' ' || Lat, ',') FROM "
                                            "(SELECT Lon, Lat FROM Points WHERE Trace = 3 ORDER BY Num_trace)"))
                      .toString(),
                  QStringLiteral("4.2 50.2,4.3 50.3,4.4 50.4"));
        EXPECT_EQ(db->scalar(QStringLiteral("SELECT COUNT(*) FROM Points WHERE Trace = 0 OR Nom IS NOT NULL")).toLongLong(), 0);
    }
}

TEST_F(ShapefileImportTest, PolygonRingsAreClosedTracksWithoutTheRepeatedVertex) {
    const QString file = shapefile(
        QStringLiteral("parcs"),
        "WKT,NOM\n\"POLYGON ((150000 170000,150100 170000,150100 170100,150000 170100,150000 170000),"
        "(150020 170020,150040 170020,150040 170040,150020 170040,150020 170020))\",Parc Élysée\n"
        "\"POLYGON ((151000 171000,151050 171100,151100 171000,151000 171000))\",Tri\n",
        false);
    EXPECT_EQ(importShp(file, 1), ImportOutcome::Ok);
    EXPECT_EQ(tracks(), (QStringList{QString::fromUtf8("Parc Élysée1:4:1"), QString::fromUtf8("Parc Élysée2:4:1"), "Tri:3:1"}));

    // Vertex for vertex as shapelib reads the file (GDAL turns the rings), the closing one left out.
    QStringList expected;
    SHPHandle h = SHPOpen(QFile::encodeName(file).constData(), "rb");
    ASSERT_NE(h, nullptr);
    for (int i = 0; i < 2; ++i) {
        SHPObject* o = SHPReadObject(h, i);
        for (int p = 0; p < o->nParts; ++p) {
            const int end = p + 1 < o->nParts ? o->panPartStart[p + 1] : o->nVertices;
            QStringList ring;
            for (int v = o->panPartStart[p]; v < end - 1; ++v)
                ring << QString::number(o->padfX[v], 'g', 17) + QLatin1Char(' ') + QString::number(o->padfY[v], 'g', 17);
            expected << ring.join(QLatin1Char(','));
        }
        SHPDestroyObject(o);
    }
    SHPClose(h);
    DbGuard db;
    QStringList got;
    for (qint64 t = 1; t <= 3; ++t) {
        Cursor c = db->query(QStringLiteral("SELECT X, Y FROM Points WHERE Trace = ? ORDER BY Num_trace"), {t});
        QStringList ring;
        while (c.next())
            ring << QString::number(c.value(0).toDouble(), 'g', 17) + QLatin1Char(' ') +
                        QString::number(c.value(1).toDouble(), 'g', 17);
        got << ring.join(QLatin1Char(','));
    }
    EXPECT_EQ(got, expected);
    // The other pair from the map system, as cs2cs gives it.
    Cursor c = db->query(QStringLiteral("SELECT X, Y, Lon, Lat FROM Points ORDER BY Id_point"));
    std::vector<std::pair<double, double>> xy, lonLat;
    while (c.next()) {
        xy.emplace_back(c.value(0).toDouble(), c.value(1).toDouble());
        lonLat.emplace_back(c.value(2).toDouble(), c.value(3).toDouble());
    }
    const auto ref = cs2cs(proj4(31370), proj4(4326), xy);
    ASSERT_EQ(ref.size(), lonLat.size());
    for (std::size_t i = 0; i < ref.size(); ++i) {
        EXPECT_NEAR(lonLat[i].first, ref[i].first, 1e-6);
        EXPECT_NEAR(lonLat[i].second, ref[i].second, 1e-6);
    }
}

TEST_F(ShapefileImportTest, ZFilesSiblingCasesAndNumberNames) {
    // Z is left out; the attribute is a number field.
    const QString z = shapefile(QStringLiteral("z"),
                                "WKT,num\n\"POINT Z (4.35 50.85 120)\",168\n\"POINT Z (4.4 50.9 130)\",12.5\n", false,
                                {"-nlt", "POINTZ", "-oo", "AUTODETECT_TYPE=YES"});
    EXPECT_EQ(importViaDialog(z, typefichier::kOuvrirShapefile,
                              [](QWidget& d) {
                                  setCombo(d, "Combo_nom", 0);
                                  setCombo(d, "Combo_projection", 0);
                              }),
              ImportOutcome::Ok);
    DbGuard db;
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT group_concat(Nom || ':' || Lon || ':' || Lat || ':' || "
                                        "coalesce(Altitude, 'NULL'), ' ') FROM Points"))
                  .toString(),
              QStringLiteral("168:4.35:50.85:NULL 12.5:4.4:50.9:NULL"));

    // The point set copied under names of other cases gives the same rows.
    const QString pts = shapefile(QStringLiteral("pts"), kPoints, true, {"-nlt", "POINT"});
    ASSERT_EQ(importShp(pts, 0), ImportOutcome::Ok);
    const QStringList rows = snapshot();
    for (const auto& [from, to] : {std::pair{"pts.shp", "PTS.SHP"}, {"pts.shx", "pts.SHX"}, {"pts.dbf", "Pts.Dbf"},
                                   {"pts.cpg", "pts.CpG"}})
        ASSERT_TRUE(QFile::rename(path(QString::fromLatin1(from)), path(QString::fromLatin1(to))));
    EXPECT_EQ(importShp(path("PTS.SHP"), 0), ImportOutcome::Ok);
    EXPECT_EQ(snapshot(), rows);

    // A two-part A beside a one-part A1 makes A1 twice.
    seedRows();
    const QStringList before = snapshot();
    prompts->clear();
    const QString dup = shapefile(QStringLiteral("dup"),
                                  "WKT,name\n\"MULTILINESTRING ((4 50,4.1 50.1),(4.2 50.2,4.3 50.3))\",A\n"
                                  "\"LINESTRING (5 51,5.1 51.1)\",A1\n",
                                  false, {"-nlt", "MULTILINESTRING"});
    EXPECT_EQ(importShp(dup, 0), ImportOutcome::Refused);
    EXPECT_EQ(prompts->texts(), QStringList{QStringLiteral("Une erreur est survenue lors de l'importation du fichier '") +
                                            dup + QString::fromUtf8("'.\nPlusieures traces ont le même nom : A1 (2X).")});
    EXPECT_EQ(snapshot(), before);
}

TEST_F(ShapefileImportTest, FilesThatCannotBeReadLeaveTheWorkspace) {
    const QString pts = shapefile(QStringLiteral("pts"), kPoints, false, {"-nlt", "POINT"});
    const QString multi = shapefile(QStringLiteral("multi"), "WKT,nom\n\"MULTIPOINT ((4 50),(4.1 50.1))\",M\n", false,
                                    {"-nlt", "MULTIPOINT"});
    const QString noShx = shapefile(QStringLiteral("sansindex"), kPoints, false, {"-nlt", "POINT"});
    QFile::remove(path("sansindex.shx"));
    const QString truncated = shapefile(QStringLiteral("tronque"), kPoints, false, {"-nlt", "POINT"});
    {
        QFile dbf(path("tronque.dbf"));
        ASSERT_TRUE(dbf.open(QIODevice::ReadWrite));
        ASSERT_TRUE(dbf.resize(dbf.size() - 40));
    }
    // The last record cut short: found only partway through the reading.
    const QString cut = shapefile(QStringLiteral("coupe"), kPoints, false, {"-nlt", "POINT"});
    {
        QFile shp(path("coupe.shp"));
        ASSERT_TRUE(shp.open(QIODevice::ReadWrite));
        ASSERT_TRUE(shp.resize(shp.size() - 8));
    }
    QDir(home()).mkdir(QStringLiteral("dossier.shp"));
    seedRows();
    const QStringList before = snapshot();
    state().champNom = QStringLiteral("nom");
    state().projImport = 0;
    for (const QString& file : {multi, noShx, truncated, cut, path("dossier.shp"), path("absent.shp")}) {
        SCOPED_TRACE(file.toStdString());
        prompts->clear();
        EXPECT_EQ(importFile(file, false, typefichier::kOuvrirShapefile), ImportOutcome::ReadFailure);
        EXPECT_EQ(prompts->texts(), QStringList{QStringLiteral("Impossible de lire le fichier '") + file + kReadFailureTail});
        EXPECT_EQ(snapshot(), before);
        EXPECT_TRUE(view.calls.isEmpty());
    }
    // A field that is not in the table (the file changed after the dialog).
    state().champNom = QStringLiteral("absent");
    EXPECT_EQ(importFile(pts, false, typefichier::kOuvrirShapefile), ImportOutcome::ReadFailure);
    EXPECT_EQ(snapshot(), before);
    // The dialog does not open on a table it cannot read.
    prompts->clear();
    EXPECT_EQ(importShp(truncated, 0), std::nullopt);
    EXPECT_EQ(prompts->texts(), QStringList{QStringLiteral("Une erreur est survenue lors de l'importation du shapefile.")});
}

// Folders and names that Linux allows, such as those of desktop network mounts: a set is
// written there and reads back.
TEST_F(ShapefileImportTest, SetsWrittenAndReadBackThroughFoldersLinuxAllows) {
    const char* const folders[] = {"gvfs/smb-share:server=nas,share=gps", "a..b", "../b", "x?*<>|\\\"y"};
    state().champNom = QStringLiteral("Nom");
    state().projImport = 0;
    for (const char* folder : folders) {
        SCOPED_TRACE(folder);
        const QString dir = path(QStringLiteral("d/") + QString::fromUtf8(folder));
        ASSERT_TRUE(QDir().mkpath(dir));
        {
            DbGuard db;
            db->exec(QStringLiteral("DELETE FROM Points"));
            db->exec(QStringLiteral("DELETE FROM Trace"));
        }
        seedRows();
        const QString waypoints = QStringLiteral("SELECT Nom, Lon, Lat FROM Points WHERE Trace = 0 ORDER BY Id_point");
        const QStringList before = rows(waypoints);
        state().typeFichier = typefichier::kEnregistrerShapefile;
        state().nomFichier = dir + QStringLiteral("/t..x.shp");
        state().projExport = 0;
        exporteFichier(true, true, true, false, false);
        ASSERT_TRUE(state().resultatOk) << prompts->texts().join('\n').toStdString();
        EXPECT_EQ(importFile(dir + QStringLiteral("/t..x_w.shp"), false, typefichier::kOuvrirShapefile), ImportOutcome::Ok);
        EXPECT_EQ(rows(waypoints), before);
        EXPECT_TRUE(prompts->prompts().empty()) << prompts->texts().join('\n').toStdString();
    }
}

}  // namespace
