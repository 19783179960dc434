// The shapefile sets: which sets are written for which choices, their contents read by
// our reader, by shapelib and by ogrinfo, and failures that leave older sets intact.

#include "CShapeFile.h"
#include "DbaseTable.h"
#include "ShapeFileAccess.h"
#include "ShapefileSet.h"
#include "test_export_fixture.h"

#include <shapefil.h>

#include <cerrno>
#include <tuple>

namespace sotrix::test {
namespace {

using shapefile::CShapeFile;
using Ring = std::vector<std::pair<double, double>>;

const QStringList kExtensions = {QStringLiteral("shp"), QStringLiteral("shx"), QStringLiteral("dbf")};

// Type and records (the vertices of their one part) as our reader sees them.
std::pair<std::int32_t, std::vector<Ring>> readOurs(const QString& shp) {
    shapefile::CFileName name;
    name.setFileSpec(QFile::encodeName(shp).toStdString());
    CShapeFile f;
    f.setFileSpec(name, CShapeFile::Status::Open);
    std::vector<Ring> records;
    const auto addParts = [&records](const auto& shape) {
        EXPECT_EQ(shape.count(), 1);
        for (const auto& part : shape)
            for (const auto& p : *part) records.back().emplace_back(p->x(), p->y());
    };
    for (std::int32_t i = 1; i <= f.count(); ++i) {
        records.emplace_back();
        const auto shape = f.item(i);
        if (const auto p = std::dynamic_pointer_cast<shapefile::CPoint>(shape)) records.back().emplace_back(p->x(), p->y());
        if (const auto l = std::dynamic_pointer_cast<shapefile::CPolyLine>(shape)) addParts(*l);
        if (const auto g = std::dynamic_pointer_cast<shapefile::CPolygon>(shape)) addParts(*g);
    }
    return {f.fileType(), records};
}

double signedArea(const Ring& r) {
    double a = 0;
    for (std::size_t i = 0; i + 1 < r.size(); ++i) a += r[i].first * r[i + 1].second - r[i + 1].first * r[i].second;
    return a / 2;
}

// ------------------------------------------------------------------ which sets

using Choice = std::tuple<bool, bool, bool, bool, bool>;  // waypoints, tracks, lines, points, selectedOnly

class SetMatrix : public ExportTest, public ::testing::WithParamInterface<Choice> {};

TEST_P(SetMatrix, WritesExactlyTheChosenSetsAndClearsOnlyWhatWasSavedWhole) {
    const auto [waypoints, tracks, lines, points, selected] = GetParam();
    seed();
    // No closed track is selected: with selectedOnly the polygon set has no row.
    const QMap<QString, bool> written = {{QStringLiteral("_w"), waypoints},
                                         {QStringLiteral("_tl"), tracks && lines},
                                         {QStringLiteral("_tp"), tracks && lines && !selected},
                                         {QStringLiteral("_tw"), tracks && points}};
    QStringList names;
    for (const QString& suffix : written.keys())
        for (const QString& ext : kExtensions) {
            names << QStringLiteral("out%1.%2").arg(suffix, ext);
            writeBytes(out(names.back()), names.back().toLatin1());  // an earlier export's file
        }
    setFlags(true, true);
    run(1, out(QStringLiteral("out.shp")), waypoints, tracks, lines, points, selected);
    EXPECT_TRUE(state().resultatOk);
    EXPECT_TRUE(prompts->prompts().empty());
    EXPECT_EQ(state().modifWaypoints, !(waypoints && !selected));
    EXPECT_EQ(state().modifTraces, !(tracks && !selected && (lines || points)));
    for (const QString& name : names)
        EXPECT_EQ(readBytes(out(name)) != name.toLatin1(), written[name.mid(3, name.indexOf('.') - 3)])
            << name.toStdString();
    for (const QString& suffix : written.keys())
        if (written[suffix]) names << QStringLiteral("out%1.cpg").arg(suffix);
    names.sort();
    EXPECT_EQ(folderEntries(outDir()), names);  // nothing temporary, a .cpg beside each table written
}

INSTANTIATE_TEST_SUITE_P(AllChoices, SetMatrix,
                         ::testing::Combine(::testing::Bool(), ::testing::Bool(), ::testing::Bool(), ::testing::Bool(),
                                            ::testing::Bool()));

TEST(ShapefileSetNames, BaseAndTheFourMainFiles) {
    EXPECT_EQ(shapefileSetBase(QStringLiteral("/d/sortie.shp")), QStringLiteral("/d/sortie"));
    EXPECT_EQ(shapefileSetBase(QStringLiteral("/d/my.data.shp")), QStringLiteral("/d/my.data"));
    EXPECT_EQ(shapefileSetBase(QStringLiteral("/d.x/data")), QStringLiteral("/d.x/data"));
    EXPECT_EQ(shapefileSetShpPaths(QStringLiteral("/d/data")),
              (QStringList{QStringLiteral("/d/data_w.shp"), QStringLiteral("/d/data_tl.shp"),
                           QStringLiteral("/d/data_tp.shp"), QStringLiteral("/d/data_tw.shp")}));
    EXPECT_TRUE(shapefileSetBase(QStringLiteral("rel.shp")).startsWith('/'));
}

// ------------------------------------------------------------------ contents

TEST_F(ExportTest, OurReaderSeesGeometryAndAttributesInBothCoordinatePairs) {
    seed();
    for (int proj : {0, 1}) {
        const double k = proj == 1 ? 1000 : 1;
        const QString base = out(QStringLiteral("p%1").arg(proj));
        run(1, base + QStringLiteral(".shp"), true, true, true, true, false, proj);
        ASSERT_TRUE(state().resultatOk);
        const auto [wType, w] = readOurs(base + QStringLiteral("_w.shp"));
        DbaseTable wt = DbaseTable::open(base + QStringLiteral("_w.dbf"));
        EXPECT_EQ(wType, 1);
        ASSERT_EQ(w.size(), 3u);
        ASSERT_EQ(wt.recordCount(), 3);
        EXPECT_EQ(w[0], (Ring{{4.35 * k, 50.85 * k}}));
        EXPECT_EQ(wt.fields()[1].name, proj ? QStringLiteral("X") : QStringLiteral("Lon"));
        EXPECT_EQ(wt.fields()[2].name, proj ? QStringLiteral("Y") : QStringLiteral("Lat"));
        EXPECT_EQ(wt.number(0, 1), 4.35 * k);
        EXPECT_EQ(wt.number(2, 2), 0.0);
        EXPECT_EQ(wt.text(0, 0), QStringLiteral("Café L'église"));
        EXPECT_EQ(wt.text(0, 4), QStringLiteral("15/03/2004 10:00:00"));
        EXPECT_TRUE(wt.isNull(1, 3) && wt.isNull(1, 4));
        EXPECT_EQ(wt.text(1, 5), longDescription().left(254));

        const auto [lType, l] = readOurs(base + QStringLiteral("_tl.shp"));
        EXPECT_EQ(lType, 3);
        EXPECT_EQ(l, (std::vector<Ring>{{{5.1 * k, 50.1 * k}, {5.2 * k, 50.2 * k}, {5.3 * k, 50.3 * k}}}));
        DbaseTable lt = DbaseTable::open(base + QStringLiteral("_tl.dbf"));  // "Empty" has no row either
        EXPECT_EQ(lt.recordCount(), 1);
        EXPECT_EQ(lt.text(0, 1), QStringLiteral("Chemin"));

        const auto [pType, p] = readOurs(base + QStringLiteral("_tp.shp"));
        EXPECT_EQ(pType, 5);
        ASSERT_EQ(p.size(), 2u);
        EXPECT_EQ(DbaseTable::open(base + QStringLiteral("_tp.dbf")).text(1, 0), QStringLiteral("Dot"));
        ASSERT_EQ(p[0].size(), 5u);
        EXPECT_EQ(p[0].front(), std::pair(6.0 * k, 49.0 * k));  // the first point stays first and last
        EXPECT_EQ(p[0].back(), p[0].front());
        EXPECT_LT(signedArea(p[0]), 0);  // clockwise
        EXPECT_EQ(p[1], (Ring{{3.0 * k, 51.0 * k}, {3.0 * k, 51.0 * k}}));

        const auto [tType, t] = readOurs(base + QStringLiteral("_tw.shp"));
        DbaseTable tt = DbaseTable::open(base + QStringLiteral("_tw.dbf"));
        EXPECT_EQ(tType, 1);
        ASSERT_EQ(t.size(), 8u);
        EXPECT_EQ(tt.recordCount(), 8);
        EXPECT_EQ(t[0], (Ring{{5.3 * k, 50.3 * k}}));  // Id_point order
        EXPECT_EQ(tt.number(0, 0), 1.0);
        EXPECT_EQ(tt.number(0, 1), 3.0);
        EXPECT_EQ(tt.number(0, 2), 5.3 * k);
        EXPECT_EQ(tt.text(0, 5), QStringLiteral("15/03/2004 08:02:00"));
    }
    // A selected track keeps all its points; the vertex set only the selected points.
    run(1, out(QStringLiteral("s.shp")), true, true, true, true, true);
    EXPECT_EQ(readOurs(out(QStringLiteral("s_tl.shp"))).second.at(0).size(), 3u);
    EXPECT_EQ(readOurs(out(QStringLiteral("s_tw.shp"))).second, (std::vector<Ring>{{{5.1, 50.1}}}));
    EXPECT_EQ(DbaseTable::open(out(QStringLiteral("s_tw.dbf"))).recordCount(), 1);

    // A waypoint without coordinates is a null record, not a point at (0, 0).
    {
        DbGuard db;
        point(*db, {"Nulle part", QVariant(), QVariant(), 1, QVariant(), QVariant(), 0, QVariant(), 0});
    }
    run(1, out(QStringLiteral("n.shp")), true, false, false, false, false);
    shapefile::CFileName name;
    name.setFileSpec(QFile::encodeName(out(QStringLiteral("n_w.shp"))).toStdString());
    CShapeFile f;
    f.setFileSpec(name, CShapeFile::Status::Open);
    ASSERT_EQ(f.count(), 4);
    EXPECT_TRUE(f.item(4)->isNull());
    EXPECT_EQ(DbaseTable::open(out(QStringLiteral("n_w.dbf"))).text(3, 0), QStringLiteral("Nulle part"));
}

// A track none of whose vertices has coordinates makes a null record, in both sets: a part
// without points would be refused by the writer and by every reader.
TEST_F(ExportTest, TracksWithoutLocatedVerticesAreNullRecords) {
    {
        DbGuard db;
        const QVariant N;
        track(*db, {1, "Perdue", N, 0, 0});
        track(*db, {2, "Fermée", N, 1, 0});
        track(*db, {3, "Chemin", N, 0, 0});
        for (int t : {1, 2}) {
            point(*db, {N, N, N, N, N, N, t, 1, 0});
            point(*db, {N, N, 50.0, N, N, N, t, 2, 0});
        }
        point(*db, {N, 5.0, 50.0, N, N, N, 3, 1, 0});
        point(*db, {N, N, N, N, N, N, 3, 2, 0});
        point(*db, {N, 5.5, 50.5, N, N, N, 3, 3, 0});
    }
    run(1, out(QStringLiteral("v.shp")), false, true, true, false, false);
    ASSERT_TRUE(state().resultatOk);
    for (const auto& [suffix, count] : {std::pair{"_tl", 2}, std::pair{"_tp", 1}}) {
        SCOPED_TRACE(suffix);
        const QString path = out(QStringLiteral("v%1.shp").arg(QLatin1String(suffix)));
        shapefile::CFileName name;
        name.setFileSpec(QFile::encodeName(path).toStdString());
        CShapeFile f;
        f.setFileSpec(name, CShapeFile::Status::Open);
        ASSERT_EQ(f.count(), count);
        EXPECT_TRUE(f.item(1)->isNull());
        if (count == 2) {
            // The located vertices of a track are kept in order, the others left out.
            const auto line = std::dynamic_pointer_cast<shapefile::CPolyLine>(f.item(2));
            ASSERT_TRUE(line && line->count() == 1);
            Ring ring;
            for (const auto& p : *line->item(1)) ring.emplace_back(p->x(), p->y());
            EXPECT_EQ(ring, (Ring{{5.0, 50.0}, {5.5, 50.5}}));
        }
        SHPHandle h = SHPOpen(QFile::encodeName(path).constData(), "rb");
        ASSERT_NE(h, nullptr);
        SHPObject* o = SHPReadObject(h, 0);
        ASSERT_NE(o, nullptr);
        EXPECT_EQ(o->nSHPType, SHPT_NULL);
        SHPDestroyObject(o);
        SHPClose(h);
    }
}

TEST_F(ExportTest, ShapelibAndOgrinfoReadEverySet) {
    seed();
    run(1, out(QStringLiteral("o.shp")), true, true, true, true, false);
    ASSERT_TRUE(state().resultatOk);
    const struct {
        const char* suffix;
        int type, count, recordLength;
        double minX, maxY;
        std::vector<const char*> fields;
        QStringList ogr;
    } sets[] = {
        {"_w", SHPT_POINT, 3, 588, -4.25, 50.85, {"Nom", "Lon", "Lat", "Altitude", "DateMesure", "Descriptio"},
         {"Nom (String) = Café L'église", "Nom (String) = ?ód?", "POINT (4.35 50.85)", "Altitude (Real) = (null)",
          "DateMesure (String) = (null)", "Descriptio (String) = Église Saint-Jean"}},
        {"_tl", SHPT_ARC, 1, 509, 5.1, 50.3, {"Nom", "Descriptio"}, {"LINESTRING (5.1 50.1,5.2 50.2,5.3 50.3)"}},
        {"_tp", SHPT_POLYGON, 2, 509, 3.0, 51.0, {"Nom", "Descriptio"},
         {"POLYGON ((6 49,6.0 49.1,6.1 49.1,6.1 49.0,6 49))"}},
        {"_tw", SHPT_POINT, 8, 356, 3.0, 51.0, {"Trace", "Num_trace", "Lon", "Lat", "Altitude", "DateMesure", "Descriptio"},
         {"Num_trace (Integer64) = 3", "DateMesure (String) = 15/03/2004 08:02:00"}}};
    for (const auto& e : sets) {
        const QString base = out(QStringLiteral("o") + QLatin1String(e.suffix));
        SHPHandle shp = SHPOpen(QFile::encodeName(base).constData(), "rb");
        ASSERT_NE(shp, nullptr) << e.suffix;
        int count = 0, type = 0;
        double min[4], max[4];
        SHPGetInfo(shp, &count, &type, min, max);
        EXPECT_EQ(std::tuple(type, count, min[0], max[1]), std::tuple(e.type, e.count, e.minX, e.maxY)) << e.suffix;
        SHPObject* o = SHPReadObject(shp, 0);
        EXPECT_EQ(o->nParts, e.type == SHPT_POINT ? 0 : 1);
        EXPECT_EQ(o->nVertices, e.type == SHPT_POLYGON ? 5 : e.type == SHPT_ARC ? 3 : 1);
        SHPDestroyObject(o);
        SHPClose(shp);

        DBFHandle dbf = DBFOpen(QFile::encodeName(base).constData(), "rb");
        ASSERT_NE(dbf, nullptr);
        EXPECT_EQ(DBFGetRecordCount(dbf), e.count);
        EXPECT_STREQ(DBFGetCodePage(dbf), "1252");  // from the .cpg
        EXPECT_EQ(quint8(readBytes(base + QStringLiteral(".dbf"))[29]), 87);  // and the language driver
        ASSERT_EQ(DBFGetFieldCount(dbf), int(e.fields.size()));
        for (int i = 0; i < int(e.fields.size()); ++i) {
            char name[12] = {};
            DBFGetFieldInfo(dbf, i, name, nullptr, nullptr);
            EXPECT_STREQ(name, e.fields[std::size_t(i)]);
        }
        DBFClose(dbf);
        const QByteArray b = readBytes(base + QStringLiteral(".dbf"));
        EXPECT_EQ(b.left(4).toHex(), QByteArray("037c0501")) << e.suffix;  // the fixed clock's day
        EXPECT_EQ(quint8(b[10]) + 256 * quint8(b[11]), e.recordLength);
        EXPECT_EQ(b.size(), 32 * int(e.fields.size()) + 33 + e.recordLength * e.count + 1);

        const ProgramRun r = runProgram(QStringLiteral("ogrinfo"), {QStringLiteral("-ro"), QStringLiteral("-al"),
                                                                    QStringLiteral("-q"), base + ".shp"});
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(r.out.count(QStringLiteral("OGRFeature(")), e.count);
        for (const QString& line : e.ogr) EXPECT_TRUE(r.out.contains(line)) << line.toStdString() << r.out.toStdString();
    }
}

// ------------------------------------------------------------------ failures

class ShapefileFailureTest : public ExportTest {
protected:
    void SetUp() override {
        ExportTest::SetUp();
        seed();
        setFlags(true, true);
        for (const QString& ext : kExtensions) writeBytes(out(QStringLiteral("x_w.") + ext), "old " + ext.toLatin1());
    }
    // The earlier waypoint set is intact and nothing temporary is left.
    void expectOldSet() {
        for (const QString& ext : kExtensions)
            EXPECT_EQ(readBytes(out(QStringLiteral("x_w.") + ext)), "old " + ext.toLatin1()) << ext.toStdString();
        for (const QString& name : folderEntries(outDir()))
            EXPECT_FALSE(name.contains(QStringLiteral(".tmp")) || name.contains(QStringLiteral(".bak")))
                << name.toStdString();
    }
};

TEST_F(ShapefileFailureTest, FilesInTheWayAndFullDisksKeepTheOldSet) {
    // A folder under the .dbf's name.
    QFile::remove(out(QStringLiteral("x_w.dbf")));
    ASSERT_TRUE(QDir().mkpath(out(QStringLiteral("x_w.dbf/keep"))));
    run(1, out(QStringLiteral("x.shp")), true, false, false, false, false);
    expectFailure(failureText(out(QStringLiteral("x_w.dbf"))));
    EXPECT_EQ(folderEntries(out(QStringLiteral("x_w.dbf"))), QStringList{QStringLiteral("keep")});
    QDir(out(QStringLiteral("x_w.dbf"))).removeRecursively();
    writeBytes(out(QStringLiteral("x_w.dbf")), "old dbf");
    expectOldSet();

    context.onDbaseCreated = [](DbaseTable& t) { t.failWritesAfter(700); };
    run(1, out(QStringLiteral("x.shp")), true, false, false, false, false);
    expectFailure(failureText(out(QStringLiteral("x_w.dbf"))));
    expectOldSet();

    context.onDbaseCreated = nullptr;
    context.onShapeFileCreated = [](CShapeFile& f) { shapefile::ShapeFileAccess::failWrite(f, 1, ENOSPC); };
    run(1, out(QStringLiteral("x.shp")), true, false, false, false, false);
    expectFailure(failureText(out(QStringLiteral("x_w.shp"))));
    expectOldSet();
    EXPECT_EQ(folderEntries(outDir()).size(), 3);

    // A file where the folder should be.
    writeBytes(out(QStringLiteral("f.txt")), "text");
    run(1, out(QStringLiteral("f.txt/out.shp")), true, true, true, true, false);
    expectFailure(failureText(out(QStringLiteral("f.txt/out_w.shp"))));
}

// Every set of one export is written before the first one is put in place: a failure in
// any set replaces nothing, and leaves nothing temporary.
TEST_F(ShapefileFailureTest, AFailureInAnySetReplacesNoSet) {
    for (const char* stem : {"m_w", "m_tl", "m_tp", "m_tw"})
        for (const QString& ext : kExtensions) writeBytes(out(QLatin1String(stem) + '.' + ext), stem + ext.toLatin1());
    writeBytes(out(QStringLiteral("m_w.cpg")), "UTF-8");
    const QStringList before = folderEntries(outDir());
    for (int failing = 1; failing <= 4; ++failing) {
        SCOPED_TRACE(failing);
        int tables = 0;
        context.onDbaseCreated = [&tables, failing](DbaseTable& t) {
            if (++tables == failing) t.failWritesAfter(300);
        };
        run(1, out(QStringLiteral("m.shp")), true, true, true, true, false);
        const char* sets[] = {"m_w", "m_tl", "m_tp", "m_tw"};
        expectFailure(failureText(out(QLatin1String(sets[failing - 1]) + QStringLiteral(".dbf"))));
        EXPECT_EQ(folderEntries(outDir()), before);
        for (const char* stem : sets)
            for (const QString& ext : kExtensions)
                EXPECT_EQ(readBytes(out(QLatin1String(stem) + '.' + ext)), stem + ext.toLatin1()) << stem;
        EXPECT_EQ(readBytes(out(QStringLiteral("m_w.cpg"))), "UTF-8");
    }
    expectOldSet();

    // A database error: the message carries the database's, and nothing is replaced.
    {
        DbGuard db;
        db->exec(QStringLiteral("ALTER TABLE Points RENAME COLUMN Description TO Remarque"));
    }
    context.onDbaseCreated = nullptr;
    run(1, out(QStringLiteral("m.shp")), true, false, false, false, false);
    expectFailure(QStringLiteral("Une erreur est survenue lors de l'enregistrement : no such column: Description"));
    EXPECT_EQ(folderEntries(outDir()), before);
}

// A rename that fails once others went through: the message names the files replaced.
TEST_F(ShapefileFailureTest, ARenameRefusedHalfWayNamesTheFilesReplaced) {
    context.beforeRename = [this](const QString& name) {
        if (name == out(QStringLiteral("r_tl.dbf"))) QDir().mkpath(name + QStringLiteral("/keep"));  // in the way
    };
    run(1, out(QStringLiteral("r.shp")), true, true, true, false, false);
    QStringList replaced;
    for (const char* name : {"r_w.shp", "r_w.shx", "r_w.dbf", "r_w.cpg", "r_tl.shp", "r_tl.shx"})
        replaced << out(QLatin1String(name));
    expectFailure(failureText(out(QStringLiteral("r_tl.dbf"))) +
                  QStringLiteral("\nFichiers déjà remplacés par le nouvel enregistrement :\n") + replaced.join('\n'));
    for (const QString& name : folderEntries(outDir())) EXPECT_FALSE(name.startsWith('.')) << name.toStdString();
}

// Outside tools read our accents through the .cpg; what Windows-1252 cannot hold is "?";
// a projection file beside an older set goes, since our sets carry none.
TEST_F(ExportTest, OgrinfoReadsOurAccentsAndNoStaleProjectionStays) {
    const struct {
        const char* stored;
        const char* read;
    } rows[] = {
        {"L’œuvre – 5 € … “cité”", "L’œuvre – 5 € … “cité”"},
        {"Œuvre — ‘š’ • ™", "Œuvre — ‘š’ • ™"},
        {"π ≈ 😀 ok", "? ? ? ok"},
    };
    {
        DbGuard db;
        for (const auto& r : rows) point(*db, {QString::fromUtf8(r.stored), 4.35, 50.85, 1, QVariant(), "d", 0, QVariant(), 0});
    }
    writeBytes(out(QStringLiteral("c_w.prj")), "GEOGCS[\"GCS_WGS_1984\"]");
    writeBytes(out(QStringLiteral("c_w.cpg")), "UTF-8");
    run(1, out(QStringLiteral("c.shp")), true, false, false, false, false);
    ASSERT_TRUE(state().resultatOk);
    EXPECT_EQ(readBytes(out(QStringLiteral("c_w.cpg"))), "1252");
    EXPECT_FALSE(QFile::exists(out(QStringLiteral("c_w.prj"))));
    const ProgramRun r = runProgram(QStringLiteral("ogrinfo"), {QStringLiteral("-al"), out(QStringLiteral("c_w.shp"))});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    for (const auto& row : rows)
        EXPECT_TRUE(r.out.contains(QStringLiteral("  Nom (String) = ") + QString::fromUtf8(row.read) + u'\n'))
            << row.read << "\n" << r.out.toStdString();
}

// A set indexed by GIS tools and then replaced: the files that describe the old content
// go with it, the user's own files beside it stay, and a spatial query finds every new shape.
TEST_F(ExportTest, AReplacedSetTakesItsStaleIndexesAlong) {
    const struct {
        const char* name;
        bool stale;
    } rows[] = {
        {"x_w.prj", true},  {"x_w.qpj", true},  {"x_w.qix", true},     {"x_w.sbn", true},    {"x_w.sbx", true},
        {"x_w.fbn", true},  {"x_w.fbx", true},  {"x_w.ain", true},     {"x_w.aih", true},    {"x_w.atx", true},
        {"x_w.idm", true},  {"x_w.ind", true},  {"x_w.shp.xml", false}, {"x_w.notes", false}, {"x_tl.qix", false},
    };
    seed();
    run(1, out(QStringLiteral("x.shp")), true, false, false, false, false);
    ASSERT_TRUE(state().resultatOk);
    // GDAL's own spatial index over the first content.
    const ProgramRun index = runProgram(QStringLiteral("ogrinfo"), {out(QStringLiteral("x_w.shp")), QStringLiteral("-sql"),
                                                                    QStringLiteral("CREATE SPATIAL INDEX ON x_w")});
    ASSERT_EQ(index.exitCode, 0) << index.err.toStdString();
    ASSERT_TRUE(QFile::exists(out(QStringLiteral("x_w.qix"))));
    for (const auto& row : rows)
        if (!QFile::exists(out(QLatin1String(row.name)))) writeBytes(out(QLatin1String(row.name)), row.name);
    // New waypoints, far from the old ones, from 10.00 to 10.19 east.
    {
        DbGuard db;
        db->exec(QStringLiteral("DELETE FROM Points"));
        for (int i = 0; i < 20; ++i) point(*db, {QStringLiteral("N%1").arg(i), 10 + i * 0.01, 40.0, 1, QVariant(), "d", 0, QVariant(), 0});
    }
    run(1, out(QStringLiteral("x.shp")), true, false, false, false, false);
    ASSERT_TRUE(state().resultatOk);
    for (const auto& row : rows) EXPECT_EQ(QFile::exists(out(QLatin1String(row.name))), !row.stale) << row.name;
    for (const auto& row : rows) {
        if (!row.stale) {
            EXPECT_EQ(readBytes(out(QLatin1String(row.name))), row.name);
        }
    }
    const ProgramRun query = runProgram(QStringLiteral("ogrinfo"),
                                        {QStringLiteral("-ro"), QStringLiteral("-spat"), QStringLiteral("9"), QStringLiteral("39"),
                                         QStringLiteral("10.095"), QStringLiteral("41"), QStringLiteral("-al"),
                                         out(QStringLiteral("x_w.shp"))});
    ASSERT_EQ(query.exitCode, 0) << query.err.toStdString();
    // A query over the whole set would not use the index: this one takes half of it.
    EXPECT_EQ(query.out.count(QStringLiteral("OGRFeature(x_w):")), 10) << query.out.toStdString();
}

}  // namespace
}  // namespace sotrix::test
