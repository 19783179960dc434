// The shapefile sets: which sets are written for which choices, their contents read by
// our reader, by shapelib and by ogrinfo, and failures that leave older sets intact.

#include "CShapeFile.h"
#include "DbaseTable.h"
#include "ShapeFileAccess.h"
#include "ShapefileSet.h"
#include "test_export_fixture.h"

#include <shapefil.h>

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cerrno>
#include <tuple>

namespace sotrix::test {
namespace {

using shapefile::CShapeFile;

const QStringList kExtensions = {QStringLiteral("shp"), QStringLiteral("shx"), QStringLiteral("dbf")};

QString failureText(const QString& path) {
    return QStringLiteral("Impossible de créer/supprimer le fichier '") + path +
           QStringLiteral("'.\nVérifiez que ce fichier n'est pas en cours d'utilisation.");
}

struct Vertex {
    double x, y;
    bool operator==(const Vertex&) const = default;
};

// The records of a pair as read by our reader: one list of vertices per record (one part
// each in these sets).
struct ReadBack {
    std::int32_t type = 0;
    std::vector<std::vector<Vertex>> records;
};

ReadBack readOurs(const QString& shp) {
    shapefile::CFileName name;
    name.setFileSpec(QFile::encodeName(shp).toStdString());
    CShapeFile f;
    f.setFileSpec(name, CShapeFile::Status::Open);
    ReadBack r{f.fileType(), {}};
    for (std::int32_t i = 1; i <= f.count(); ++i) {
        std::vector<Vertex> v;
        const auto shape = f.item(i);
        if (const auto p = std::dynamic_pointer_cast<shapefile::CPoint>(shape)) {
            v.push_back({p->x(), p->y()});
        } else if (const auto l = std::dynamic_pointer_cast<shapefile::CPolyLine>(shape)) {
            EXPECT_EQ(l->count(), 1);
            for (const auto& part : *l)
                for (const auto& p : *part) v.push_back({p->x(), p->y()});
        } else if (const auto g = std::dynamic_pointer_cast<shapefile::CPolygon>(shape)) {
            EXPECT_EQ(g->count(), 1);
            for (const auto& part : *g)
                for (const auto& p : *part) v.push_back({p->x(), p->y()});
        }
        r.records.push_back(v);
    }
    return r;
}

double signedArea(const std::vector<Vertex>& ring) {
    double a = 0;
    for (std::size_t i = 0; i + 1 < ring.size(); ++i) a += ring[i].x * ring[i + 1].y - ring[i + 1].x * ring[i].y;
    return a / 2;
}

// ------------------------------------------------------------------ which sets

using Choice = std::tuple<bool, bool, bool, bool, bool>;  // waypoints, tracks, lines, points, selectedOnly

class SetMatrix : public ExportTest, public ::testing::WithParamInterface<Choice> {};

TEST_P(SetMatrix, WritesExactlyTheSetsChosenAndClearsOnlyWhatWasSavedWhole) {
    const auto [waypoints, tracks, lines, points, selected] = GetParam();
    seed();
    // Nothing closed is selected: the polygon set is skipped with selectedOnly.
    const QMap<QString, bool> expected = {{QStringLiteral("_w"), waypoints},
                                          {QStringLiteral("_tl"), tracks && lines},
                                          {QStringLiteral("_tp"), tracks && lines && !selected},
                                          {QStringLiteral("_tw"), tracks && points}};
    // Every file of every set already exists, with bytes of its own.
    for (const QString& suffix : expected.keys())
        for (const QString& ext : kExtensions)
            writeBytes(out(QStringLiteral("out%1.%2").arg(suffix, ext)), "old " + suffix.toLatin1() + ext.toLatin1());

    setFlags(true, true);
    run(1, out(QStringLiteral("out.shp")), waypoints, tracks, lines, points, selected);
    EXPECT_TRUE(state().resultatOk);
    EXPECT_TRUE(prompts->prompts().empty());
    EXPECT_EQ(state().modifWaypoints, !(waypoints && !selected));
    EXPECT_EQ(state().modifTraces, !(tracks && !selected && (lines || points)));

    QStringList names;
    for (const QString& suffix : expected.keys()) {
        for (const QString& ext : kExtensions) {
            const QString name = QStringLiteral("out%1.%2").arg(suffix, ext);
            names << name;
            const QByteArray bytes = readBytes(out(name));
            if (expected[suffix])
                EXPECT_NE(bytes, "old " + suffix.toLatin1() + ext.toLatin1()) << name.toStdString();
            else
                EXPECT_EQ(bytes, "old " + suffix.toLatin1() + ext.toLatin1()) << name.toStdString();
        }
    }
    names.sort();
    EXPECT_EQ(folderEntries(outDir()), names);  // nothing temporary left, no .cpg, no .prj
}

INSTANTIATE_TEST_SUITE_P(AllChoices, SetMatrix,
                         ::testing::Combine(::testing::Bool(), ::testing::Bool(), ::testing::Bool(), ::testing::Bool(),
                                            ::testing::Bool()));

TEST_F(ExportTest, SetsAreOnlyWrittenWhenTheyHaveRows) {
    {
        DbGuard db;
        addTrack(*db, 1, QStringLiteral("Vide"), QString(), false, false);
    }
    setFlags(true, true);
    run(1, out(QStringLiteral("data")), true, true, true, true, false);
    EXPECT_TRUE(state().resultatOk);
    EXPECT_TRUE(folderEntries(outDir()).isEmpty());
    EXPECT_FALSE(state().modifWaypoints);
    EXPECT_FALSE(state().modifTraces);
}

TEST(ShapefileSetNames, BaseAndTheFourMainFiles) {
    EXPECT_EQ(shapefileSetBase(QStringLiteral("/d/sortie.shp")), QStringLiteral("/d/sortie"));
    EXPECT_EQ(shapefileSetBase(QStringLiteral("/d/my.data.shp")), QStringLiteral("/d/my.data"));
    EXPECT_EQ(shapefileSetBase(QStringLiteral("/d/data")), QStringLiteral("/d/data"));
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
        const double k = proj == 1 ? 1000 : 1;  // map coordinates are GPS ones times 1000
        const QString base = out(QStringLiteral("p%1").arg(proj));
        run(1, base + QStringLiteral(".shp"), true, true, true, true, false, proj);
        ASSERT_TRUE(state().resultatOk);
        const QString x = proj == 1 ? QStringLiteral("X") : QStringLiteral("Lon");
        const QString y = proj == 1 ? QStringLiteral("Y") : QStringLiteral("Lat");

        const ReadBack w = readOurs(base + QStringLiteral("_w.shp"));
        DbaseTable wt = DbaseTable::open(base + QStringLiteral("_w.dbf"));
        EXPECT_EQ(w.type, 1);
        ASSERT_EQ(w.records.size(), 3u);
        EXPECT_EQ(wt.recordCount(), 3);
        EXPECT_EQ(w.records[0], (std::vector<Vertex>{{4.35 * k, 50.85 * k}}));
        EXPECT_EQ(w.records[2], (std::vector<Vertex>{{-4.25 * k, 0}}));
        EXPECT_EQ(wt.fieldIndex(x), 1);
        EXPECT_EQ(wt.fieldIndex(y), 2);
        EXPECT_EQ(wt.number(0, 1), 4.35 * k);
        EXPECT_EQ(wt.number(2, 2), 0.0);
        EXPECT_EQ(wt.text(0, 0), QStringLiteral("Café L'église"));
        EXPECT_EQ(wt.text(0, 4), QStringLiteral("15/03/2004 10:00:00"));
        EXPECT_EQ(wt.text(0, 5), QStringLiteral("Église Saint-Jean"));
        EXPECT_TRUE(wt.isNull(1, 3));  // no altitude
        EXPECT_TRUE(wt.isNull(1, 4));  // no date
        EXPECT_EQ(wt.text(1, 5), longDescription().left(254));
        EXPECT_EQ(wt.number(2, 3), 0.0);

        const ReadBack tl = readOurs(base + QStringLiteral("_tl.shp"));
        DbaseTable tlt = DbaseTable::open(base + QStringLiteral("_tl.dbf"));
        EXPECT_EQ(tl.type, 3);
        ASSERT_EQ(tl.records.size(), 1u);  // "Empty" has no point and no row
        EXPECT_EQ(tlt.recordCount(), 1);
        EXPECT_EQ(tlt.text(0, 0), QStringLiteral("Open"));
        EXPECT_EQ(tlt.text(0, 1), QStringLiteral("Chemin"));
        EXPECT_EQ(tl.records[0], (std::vector<Vertex>{{5.1 * k, 50.1 * k}, {5.2 * k, 50.2 * k}, {5.3 * k, 50.3 * k}}));

        const ReadBack tp = readOurs(base + QStringLiteral("_tp.shp"));
        DbaseTable tpt = DbaseTable::open(base + QStringLiteral("_tp.dbf"));
        EXPECT_EQ(tp.type, 5);
        ASSERT_EQ(tp.records.size(), 2u);
        EXPECT_EQ(tpt.text(0, 0), QStringLiteral("Closed"));
        EXPECT_EQ(tpt.text(1, 0), QStringLiteral("Dot"));
        const auto& square = tp.records[0];
        ASSERT_EQ(square.size(), 5u);
        EXPECT_EQ(square.front(), (Vertex{6.0 * k, 49.0 * k}));  // the first point stays first
        EXPECT_EQ(square.back(), square.front());
        EXPECT_LT(signedArea(square), 0);  // clockwise
        EXPECT_EQ(square[1], (Vertex{6.0 * k, 49.1 * k}));
        EXPECT_EQ(tp.records[1], (std::vector<Vertex>{{3.0 * k, 51.0 * k}, {3.0 * k, 51.0 * k}}));

        const ReadBack tw = readOurs(base + QStringLiteral("_tw.shp"));
        DbaseTable twt = DbaseTable::open(base + QStringLiteral("_tw.dbf"));
        EXPECT_EQ(tw.type, 1);
        ASSERT_EQ(tw.records.size(), 8u);
        EXPECT_EQ(twt.recordCount(), 8);
        // Id_point order: the first stored point of track 1 is its third.
        EXPECT_EQ(tw.records[0], (std::vector<Vertex>{{5.3 * k, 50.3 * k}}));
        EXPECT_EQ(twt.number(0, 0), 1.0);
        EXPECT_EQ(twt.number(0, 1), 3.0);
        EXPECT_EQ(twt.number(0, 2), 5.3 * k);
        EXPECT_EQ(twt.text(0, 5), QStringLiteral("15/03/2004 08:02:00"));
        EXPECT_TRUE(twt.isNull(2, 4));
        EXPECT_EQ(twt.fields()[2].name, x);
    }
}

TEST_F(ExportTest, SelectedTracksKeepAllTheirPointsAndTheVertexSetOnlySelectedOnes) {
    seed();
    run(1, out(QStringLiteral("s.shp")), true, true, true, true, true);
    ASSERT_TRUE(state().resultatOk);
    EXPECT_EQ(readOurs(out(QStringLiteral("s_w.shp"))).records.size(), 1u);
    EXPECT_EQ(readOurs(out(QStringLiteral("s_tl.shp"))).records.at(0).size(), 3u);
    EXPECT_FALSE(QFile::exists(out(QStringLiteral("s_tp.shp"))));
    const ReadBack tw = readOurs(out(QStringLiteral("s_tw.shp")));
    EXPECT_EQ(tw.records, (std::vector<std::vector<Vertex>>{{{5.1, 50.1}}}));
    EXPECT_EQ(DbaseTable::open(out(QStringLiteral("s_tw.dbf"))).recordCount(), 1);
}

TEST_F(ExportTest, ShapelibReadsEverySet) {
    seed();
    run(1, out(QStringLiteral("o.shp")), true, true, true, true, false);
    ASSERT_TRUE(state().resultatOk);
    struct Expected {
        const char* suffix;
        int type, count, recordLength;
        double minX, minY, maxX, maxY;
        std::vector<const char*> fields;
    };
    const Expected sets[] = {
        {"_w", SHPT_POINT, 3, 588, -4.25, 0, 4.35, 50.85, {"Nom", "Lon", "Lat", "Altitude", "DateMesure", "Descriptio"}},
        {"_tl", SHPT_ARC, 1, 509, 5.1, 50.1, 5.3, 50.3, {"Nom", "Descriptio"}},
        {"_tp", SHPT_POLYGON, 2, 509, 3.0, 49.0, 6.1, 51.0, {"Nom", "Descriptio"}},
        {"_tw", SHPT_POINT, 8, 356, 3.0, 49.0, 6.1, 51.0,
         {"Trace", "Num_trace", "Lon", "Lat", "Altitude", "DateMesure", "Descriptio"}}};
    for (const Expected& e : sets) {
        const QByteArray base = QFile::encodeName(out(QStringLiteral("o") + QLatin1String(e.suffix)));
        SHPHandle shp = SHPOpen(base.constData(), "rb");
        ASSERT_NE(shp, nullptr) << e.suffix;
        int count = 0, type = 0;
        double min[4], max[4];
        SHPGetInfo(shp, &count, &type, min, max);
        EXPECT_EQ(type, e.type) << e.suffix;
        EXPECT_EQ(count, e.count) << e.suffix;
        EXPECT_DOUBLE_EQ(min[0], e.minX);
        EXPECT_DOUBLE_EQ(min[1], e.minY);
        EXPECT_DOUBLE_EQ(max[0], e.maxX);
        EXPECT_DOUBLE_EQ(max[1], e.maxY);
        if (e.type == SHPT_POLYGON) {
            SHPObject* o = SHPReadObject(shp, 0);
            ASSERT_NE(o, nullptr);
            EXPECT_EQ(o->nParts, 1);
            EXPECT_EQ(o->nVertices, 5);
            EXPECT_EQ(o->padfX[0], o->padfX[4]);
            EXPECT_DOUBLE_EQ(o->padfY[1], 49.1);  // clockwise: up the west side first
            SHPDestroyObject(o);
        }
        SHPClose(shp);

        DBFHandle dbf = DBFOpen(base.constData(), "rb");
        ASSERT_NE(dbf, nullptr);
        EXPECT_EQ(DBFGetRecordCount(dbf), e.count);
        EXPECT_STREQ(DBFGetCodePage(dbf), "LDID/87");
        ASSERT_EQ(DBFGetFieldCount(dbf), int(e.fields.size()));
        for (int i = 0; i < int(e.fields.size()); ++i) {
            char name[12] = {};
            int width = 0, decimals = 0;
            DBFGetFieldInfo(dbf, i, name, &width, &decimals);
            EXPECT_STREQ(name, e.fields[std::size_t(i)]);
        }
        DBFClose(dbf);

        const QByteArray b = readBytes(QFile::decodeName(base) + QStringLiteral(".dbf"));
        const int fields = int(e.fields.size());
        EXPECT_EQ(b.left(4).toHex(), QByteArray("037c0501")) << e.suffix;  // the fixed clock's day
        EXPECT_EQ(quint8(b[8]) + 256 * quint8(b[9]), 32 + 32 * fields + 1);
        EXPECT_EQ(quint8(b[10]) + 256 * quint8(b[11]), e.recordLength);
        EXPECT_EQ(quint8(b[29]), 0x57);
        EXPECT_EQ(b.size(), 32 + 32 * fields + 1 + e.recordLength * e.count + 1);
        EXPECT_EQ(quint8(b[b.size() - 1]), 0x1A);
        if (QLatin1String(e.suffix) == QLatin1String("_w")) {
            const int h = 32 + 32 * fields + 1;
            EXPECT_EQ(b.mid(h + 1, 4).toHex(' '), QByteArray("43 61 66 e9"));
            EXPECT_EQ(b.mid(h + 2 * 588 + 1, 4), QByteArray("?\xf3" "d?"));
            EXPECT_EQ(b.mid(h + 588 + 295, 20 + 19), QByteArray(39, ' '));  // NULL altitude and date
            EXPECT_EQ(b.mid(h + 588 + 334, 254), longDescription().left(254).toLatin1());
        }
    }
}

TEST_F(ExportTest, OgrinfoReadsTheSetsWithTheirAccents) {
    seed();
    run(1, out(QStringLiteral("g.shp")), true, true, true, true, false);
    ASSERT_TRUE(state().resultatOk);
    const auto info = [&](const QString& suffix) {
        const ProgramRun r = runProgram(QStringLiteral("ogrinfo"), {QStringLiteral("-ro"), QStringLiteral("-al"),
                                                                    QStringLiteral("-q"),
                                                                    out(QStringLiteral("g") + suffix + ".shp")});
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_FALSE(r.err.contains(QStringLiteral("ERROR"))) << r.err.toStdString();
        return r.out;
    };
    const QString w = info(QStringLiteral("_w"));
    EXPECT_EQ(w.count(QStringLiteral("OGRFeature(")), 3);
    EXPECT_TRUE(w.contains(QStringLiteral("Nom (String) = Café L'église")));
    EXPECT_TRUE(w.contains(QStringLiteral("Nom (String) = ?ód?")));
    EXPECT_TRUE(w.contains(QStringLiteral("POINT (4.35 50.85)")));
    EXPECT_TRUE(w.contains(QStringLiteral("Altitude (Real) = (null)")));
    EXPECT_TRUE(w.contains(QStringLiteral("DateMesure (String) = (null)")));
    EXPECT_TRUE(w.contains(QStringLiteral("Descriptio (String) = Église Saint-Jean")));

    const QString tl = info(QStringLiteral("_tl"));
    EXPECT_EQ(tl.count(QStringLiteral("OGRFeature(")), 1);
    EXPECT_TRUE(tl.contains(QStringLiteral("LINESTRING (5.1 50.1,5.2 50.2,5.3 50.3)")));
    const QString tp = info(QStringLiteral("_tp"));
    EXPECT_EQ(tp.count(QStringLiteral("OGRFeature(")), 2);
    EXPECT_TRUE(tp.contains(QStringLiteral("POLYGON ((6 49,6.0 49.1,6.1 49.1,6.1 49.0,6 49))"))) << tp.toStdString();
    const QString tw = info(QStringLiteral("_tw"));
    EXPECT_EQ(tw.count(QStringLiteral("OGRFeature(")), 8);
    EXPECT_TRUE(tw.contains(QStringLiteral("Num_trace (Integer64) = 3"))) << tw.toStdString();
    EXPECT_TRUE(tw.contains(QStringLiteral("DateMesure (String) = 15/03/2004 08:02:00")));
}

// ------------------------------------------------------------------ failures

class ShapefileFailureTest : public ExportTest {
protected:
    void SetUp() override {
        ExportTest::SetUp();
        seed();
        setFlags(true, true);
    }
    // Files of an earlier export of the waypoint set.
    void oldWaypointSet(const QString& base) {
        for (const QString& ext : kExtensions) writeBytes(base + QStringLiteral("_w.") + ext, "old " + ext.toLatin1());
    }
    void expectOldWaypointSet(const QString& base) {
        for (const QString& ext : kExtensions)
            EXPECT_EQ(readBytes(base + QStringLiteral("_w.") + ext), "old " + ext.toLatin1()) << ext.toStdString();
    }
    void expectFailure(const QString& path) {
        EXPECT_FALSE(state().resultatOk);
        ASSERT_EQ(prompts->prompts().size(), 1u);
        EXPECT_EQ(prompts->prompts()[0].text, failureText(path));
        EXPECT_EQ(prompts->prompts()[0].icon, Icon::Exclamation);
        EXPECT_TRUE(state().modifWaypoints);
        EXPECT_TRUE(state().modifTraces);
        for (const QString& name : folderEntries(outDir()))
            EXPECT_FALSE(name.contains(QStringLiteral(".tmp")) || name.contains(QStringLiteral(".bak")))
                << name.toStdString();
    }
};

TEST_F(ShapefileFailureTest, AFolderInTheWayOfTheDbfKeepsTheOldSet) {
    writeBytes(out(QStringLiteral("x_w.shp")), "old shp");
    writeBytes(out(QStringLiteral("x_w.shx")), "old shx");
    ASSERT_TRUE(QDir().mkpath(out(QStringLiteral("x_w.dbf/keep"))));
    run(1, out(QStringLiteral("x.shp")), true, false, false, false, false);
    expectFailure(out(QStringLiteral("x_w.dbf")));
    EXPECT_EQ(readBytes(out(QStringLiteral("x_w.shp"))), "old shp");
    EXPECT_EQ(readBytes(out(QStringLiteral("x_w.shx"))), "old shx");
    EXPECT_EQ(folderEntries(out(QStringLiteral("x_w.dbf"))), QStringList{QStringLiteral("keep")});
    EXPECT_EQ(folderEntries(outDir()).size(), 3);
}

TEST_F(ShapefileFailureTest, AFileInPlaceOfTheFolderNamesTheShp) {
    writeBytes(out(QStringLiteral("f.txt")), "text");
    run(1, out(QStringLiteral("f.txt/out.shp")), true, true, true, true, false);
    expectFailure(out(QStringLiteral("f.txt/out_w.shp")));
    EXPECT_EQ(readBytes(out(QStringLiteral("f.txt"))), "text");
}

TEST_F(ShapefileFailureTest, AFullDiskWhileWritingTheTableKeepsTheOldSet) {
    oldWaypointSet(out(QStringLiteral("d")));
    context.onDbaseCreated = [](DbaseTable& t) { t.failWritesAfter(700); };
    run(1, out(QStringLiteral("d.shp")), true, false, false, false, false);
    expectFailure(out(QStringLiteral("d_w.dbf")));
    expectOldWaypointSet(out(QStringLiteral("d")));
    EXPECT_EQ(folderEntries(outDir()).size(), 3);
}

TEST_F(ShapefileFailureTest, AFullDiskWhileWritingShapesKeepsTheOldSet) {
    oldWaypointSet(out(QStringLiteral("s")));
    context.onShapeFileCreated = [](CShapeFile& f) { shapefile::ShapeFileAccess::failWrite(f, 1, ENOSPC); };
    run(1, out(QStringLiteral("s.shp")), true, false, false, false, false);
    expectFailure(out(QStringLiteral("s_w.shp")));
    expectOldWaypointSet(out(QStringLiteral("s")));
    EXPECT_EQ(folderEntries(outDir()).size(), 3);
}

TEST_F(ShapefileFailureTest, SetsFinishedBeforeAFailureStay) {
    int tables = 0;
    context.onDbaseCreated = [&tables](DbaseTable& t) {
        if (++tables == 3) t.failWritesAfter(300);  // the polygon set
    };
    run(1, out(QStringLiteral("m.shp")), true, true, true, true, false);
    expectFailure(out(QStringLiteral("m_tp.dbf")));
    QStringList written;
    for (const QString& suffix : {QStringLiteral("_w"), QStringLiteral("_tl")})
        for (const QString& ext : kExtensions) written << QStringLiteral("m%1.%2").arg(suffix, ext);
    written.sort();
    EXPECT_EQ(folderEntries(outDir()), written);
    EXPECT_EQ(readOurs(out(QStringLiteral("m_tl.shp"))).records.size(), 1u);
}

TEST_F(ShapefileFailureTest, ADatabaseErrorRemovesTheSetBeingWritten) {
    {
        DbGuard db;
        db->exec(QStringLiteral("ALTER TABLE Points RENAME COLUMN Description TO Remarque"));
    }
    run(1, out(QStringLiteral("b.shp")), true, false, false, false, false);
    EXPECT_FALSE(state().resultatOk);
    ASSERT_EQ(prompts->prompts().size(), 1u);
    EXPECT_TRUE(prompts->prompts()[0].text.startsWith(
        QStringLiteral("Une erreur est survenue lors de l'enregistrement : no such column: Description")))
        << prompts->prompts()[0].text.toStdString();
    EXPECT_TRUE(folderEntries(outDir()).isEmpty());
    EXPECT_TRUE(state().modifWaypoints);
}

TEST_F(ShapefileFailureTest, AStaleUtf8CodePageFileIsRemoved) {
    writeBytes(out(QStringLiteral("c_w.cpg")), "UTF-8");
    run(1, out(QStringLiteral("c.shp")), true, false, false, false, false);
    EXPECT_TRUE(state().resultatOk);
    EXPECT_FALSE(QFile::exists(out(QStringLiteral("c_w.cpg"))));
    EXPECT_EQ(DbaseTable::open(out(QStringLiteral("c_w.dbf"))).text(0, 0), QStringLiteral("Café L'église"));
}

}  // namespace
}  // namespace sotrix::test
