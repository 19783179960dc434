// Every file the reference layer cannot use: the refusal, the layer given up with its
// mapfile, and the dialog shown again.
#include "test_reference_fixture.h"

#include "MapservWms.h"
#include "State.h"
#include "StubTools.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>

#include <functional>
#include <optional>

namespace sotrix {
namespace {

using test::GisData;
using test::kRefus;
using test::StubTools;

const QString kReplace = QStringLiteral("Voulez-vous remplacer la couche de référence actuellement affichée ?");

class ReferenceRefusal : public test::ReferenceTest {
protected:
    // A copy of a shapefile pair under another base name, with its header's shape type
    // optionally changed.
    QString copyPair(const QString& shp, const QString& base, bool withIndex, std::optional<qint32> type = {}) {
        const QString to = data->path(base + QStringLiteral(".shp"));
        for (const char* ext : {"shp", "shx"}) {
            if (!withIndex && QByteArray(ext) == "shx") continue;
            QByteArray bytes = fileBytes(QString(shp).replace(QStringLiteral(".shp"), QLatin1Char('.') + QLatin1String(ext)));
            if (type) bytes[32] = char(*type);
            writeFile(data->path(base + QLatin1Char('.') + QLatin1String(ext)), bytes);
        }
        return to;
    }
    QString ogc(const QByteArray& body) {
        const QString p = data->path(QStringLiteral("c%1.ogc").arg(++ogcCount_));
        writeFile(p, "<wms_client_config>" + body + "</wms_client_config>");
        return p;
    }

private:
    int ogcCount_ = 0;
};

const QByteArray kServer = "<wms_version>1.1.1</wms_version><online_resource>http://127.0.0.1:9/?</online_resource>"
                           "<image_format_list><image_format>image/png</image_format></image_format_list>";
const QByteArray kExtents = "<extents minx=\"1\" miny=\"2\" maxx=\"3\" maxy=\"4\"></extents>";
const QByteArray kLayers = "<layer_list><layer>a</layer></layer_list>";

struct RefusalCase {
    const char* what;
    int kind;
    std::function<QString()> make;
    std::optional<Answer> connectionAnswer = std::nullopt;  // kind 7: the answer to the offline question
    int gdalinfoTimeoutMs = kDelaiGdalinfoMs;
};

TEST_F(ReferenceRefusal, EachCauseShowsTheRefusalGivesUpTheLayerAndReturnsToTheDialog) {
    const QString pts = data->shapefile(QStringLiteral("pts"), GisData::points());
    const QString tif = data->raster(QStringLiteral("r1.tif"), GisData::tile1());
    std::optional<StubTools> stubs;
    const std::vector<RefusalCase> cases{
        {"a name the file name rules refuse", 1,
         [&] {
             const QString shp = copyPair(pts, QStringLiteral("vide"), true);
             return shp.left(shp.lastIndexOf(u'/')) + QStringLiteral("//vide.shp");  // an empty component
         }},
        {"no index beside the main file", 1, [&] { return copyPair(pts, QStringLiteral("seul"), false); }},
        {"not a shapefile", 6,
         [&] {
             writeFile(data->path(QStringLiteral("faux.shx")), QByteArray(100, '\0'));
             writeFile(data->path(QStringLiteral("faux.shp")), QByteArray(100, '\0'));
             return data->path(QStringLiteral("faux.shp"));
         }},
        {"a raster under the shapefile filter", 1, [&] { return tif; }},
        {"shape type 31", 1, [&] { return copyPair(pts, QStringLiteral("t31"), true, 31); }},
        {"shape type 0", 1, [&] { return copyPair(pts, QStringLiteral("t0"), true, 0); }},
        {"a file gdalinfo cannot read", 2,
         [&] {
             writeFile(data->path(QStringLiteral("texte.tif")), "pas une image");
             return data->path(QStringLiteral("texte.tif"));
         }},
        {"gdalinfo times out", 3,
         [&] {
             stubs.emplace();
             stubs->add(QStringLiteral("gdalinfo"), QStringLiteral("sleep 3"));
             return tif;
         },
         std::nullopt, 300},
        {"no gdalinfo, with a report left by an earlier run", 4,
         [&] {
             stubs.emplace();
             stubs->hideRealTools();
             writeFile(path(QStringLiteral("info.txt")), "Lower Left (1,2)\nUpper Right (3,4)\n");
             return tif;
         }},
        {"No to the connection question", 7, [&] { return ogc(kServer + "<srs>EPSG:31370</srs>" + kExtents + kLayers); },
         Answer::No},
        {"no extents", 7, [&] { return ogc(kServer + "<srs>EPSG:31370</srs>" + kLayers); }, Answer::Yes},
        {"an extents attribute absent", 7,
         [&] { return ogc(kServer + "<srs>EPSG:31370</srs><extents minx=\"1\" miny=\"2\" maxx=\"3\"/>" + kLayers); },
         Answer::Yes},
        {"no srs", 7, [&] { return ogc(kServer + kExtents + kLayers); }, Answer::Yes},
        {"no layer", 7, [&] { return ogc(kServer + "<srs>EPSG:31370</srs>" + kExtents + "<layer_list/>"); }, Answer::Yes},
        {"a report without corners", 5,
         [&] {
             stubs.emplace();
             stubs->add(QStringLiteral("gdalinfo"), QStringLiteral("echo 'Driver: EHdr'"));
             return tif;
         }},
        {"a WMS configuration that is not XML", 7,
         [&] {
             writeFile(data->path(QStringLiteral("bruit.ogc")), "<<< \x01");
             return data->path(QStringLiteral("bruit.ogc"));
         },
         Answer::Yes},
        {"a value the mapfile cannot hold", 7,
         [&] { return ogc(kServer + "<srs>EPSG:\n31370</srs>" + kExtents + kLayers); }, Answer::Yes},
        {"a raster path holding a line break", 2,
         [&] { return data->raster(QStringLiteral("ligne\ncoupée.tif"), GisData::tile1()); }},
        {"a mapfile that cannot be written", 2,
         [&] {
             QFile::remove(path(QStringLiteral("sotrix.map")));
             // A folder that holds something cannot give way to the program's file.
             EXPECT_TRUE(QDir(home()).mkpath(QStringLiteral("sotrix.map/dedans")));
             return tif;
         }},
    };

    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.what);
        stubs.reset();
        prompts->clear();
        setLayer(QStringLiteral("/cartes/ancienne.tif"), 2);
        if (!QFileInfo(path(QStringLiteral("sotrix.map"))).isDir()) writeFile(path(QStringLiteral("sotrix.map")), "ancienne");
        const QString file = c.make();
        ASSERT_FALSE(file.isEmpty());
        prompts->answer(Answer::Yes);
        choose(file, c.kind);
        if (c.connectionAnswer) prompts->answer(*c.connectionAnswer);
        cancel();
        cmdAddShp_Click(*form, c.gdalinfoTimeoutMs);

        QStringList trail{kReplace, QStringLiteral("open")};
        if (c.connectionAnswer) trail << test::kQuestionWms;
        trail << kRefus << QStringLiteral("open");
        EXPECT_EQ(promptTrail(), trail);
        EXPECT_EQ(prompts->prompts()[trail.indexOf(kRefus)].icon, Icon::Exclamation);
        EXPECT_TRUE(form->coucheRef.isEmpty());
        EXPECT_TRUE(label("lblRéférence")->text().isEmpty());
        EXPECT_EQ(form->typeCoucheRef, c.kind) << "the type chosen stays";
        EXPECT_FALSE(QFileInfo(path(QStringLiteral("sotrix.map"))).isFile()) << "no mapfile is left";
    }
}

TEST_F(ReferenceRefusal, AMissingFileIsToldAndTheDialogShownAgain) {
    const QString shp = data->shapefile(QStringLiteral("pts"), GisData::points());
    const QString gone = data->path(QStringLiteral("parti.shp"));
    choose(gone, 1);
    choose(shp, 1);
    cmdAddShp_Click(*form);
    const QStringList trail{QStringLiteral("open"), QStringLiteral("Le fichier '") + gone + QStringLiteral("' n'existe pas."),
                            QStringLiteral("open")};
    EXPECT_EQ(promptTrail(), trail);
    EXPECT_EQ(prompts->prompts()[1].icon, Icon::Exclamation);
    EXPECT_EQ(form->coucheRef, shp) << "the second choice is accepted";
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("sotrix.map"))));

    // Missing, then Cancel: no layer, no mapfile.
    prompts->clear();
    prompts->answer(Answer::Yes);
    choose(gone, 2);
    cancel();
    cmdAddShp_Click(*form);
    EXPECT_EQ(prompts->prompts().size(), 4u);
    EXPECT_TRUE(form->coucheRef.isEmpty());
    EXPECT_TRUE(label("lblRéférence")->text().isEmpty());
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("sotrix.map"))));
}

}  // namespace
}  // namespace sotrix
