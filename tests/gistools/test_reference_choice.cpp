// Choosing a reference layer of each kind through the dialog: its extent, its mapfile,
// and the real map2img picture under the GPS data.
#include "test_reference_fixture.h"

#include "AppDir.h"
#include "FileDialogs.h"
#include "Mapfile.h"
#include "MapservWms.h"
#include "OgcConfig.h"
#include "State.h"
#include "StubTools.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointF>

#include <functional>

namespace sotrix {
namespace {

using test::GisData;
using test::kOrange;
using test::MapservWms;

const QColor kGrey(128, 128, 128);
const QColor kRedLine(255, 0, 0);
const QColor kWmsBlue(0, 0, 255);
const QPointF kWaypoint(151500, 169750);

class ReferenceChoice : public test::ReferenceTest {};

struct Probe {
    QPointF at;
    QColor colour;
    int tolerance = 4;
};

// JPEG keeps colour at half resolution: a 3-pixel stroke comes back much paler.
constexpr int kStroke = 80;

struct KindCase {
    const char* what;
    int kind;
    std::function<QString()> make;
    LayerExtent extent;
    qint32 colour;  // paramCouleurShp
    std::vector<Probe> probes;
};

TEST_F(ReferenceChoice, EachKindSetsItsLayerWritesItsMapfileAndIsDrawnUnderTheData) {
    MapservWms wms;
    const QString ortho = data->raster(QStringLiteral("ortho.tif"), GisData::tile1());
    const QString zones = data->shapefile(QStringLiteral("zones"), {GisData::polygon()});
    ASSERT_TRUE(wms.start(data->folder(), [&](quint16 port) { return MapservWms::testMapfile(port, ortho, zones); }));

    const QColor white = test::kWhite;
    const std::vector<KindCase> cases{
        {"points", 1, [&] { return data->shapefile(QStringLiteral("pts"), GisData::points()); },
         {151000, 169500, 153000, 169500}, 8421504,
         {{{151000, 169500}, kGrey}, {{153000, 169500}, kGrey}, {{152000, 169500}, white}}},
        {"points with Z", 1, [&] { return data->shapefile(QStringLiteral("ptz"), GisData::points(), QStringLiteral("XYZ")); },
         {151000, 169500, 153000, 169500}, 8421504, {{{151000, 169500}, kGrey}, {{153000, 169500}, kGrey}}},
        {"multipoint with M", 1,
         [&] {
             return data->shapefile(QStringLiteral("mpm"), {QStringLiteral("MULTIPOINT ((151000 169500),(153000 169500))")},
                                    QStringLiteral("XYM"));
         },
         {151000, 169500, 153000, 169500}, 8421504, {{{151000, 169500}, kGrey}, {{153000, 169500}, kGrey}}},
        {"line", 1, [&] { return data->shapefile(QStringLiteral("ligne"), {GisData::line()}); },
         {150000, 169500, 154000, 169500}, 255, {{{152000, 169500}, kRedLine, kStroke}, {{152000, 169700}, white}}},
        {"polygon with M", 1, [&] { return data->shapefile(QStringLiteral("zone"), {GisData::polygon()}, QStringLiteral("XYM")); },
         {152500, 169200, 153500, 169800}, 255, {{{152500, 169500}, kRedLine, kStroke}, {{153000, 169500}, white}}},
        {"GeoTIFF with an odd name", 2,
         [&] { return data->raster(QStringLiteral("l'été \"x\" \\ 2.tif"), GisData::tile1()); },
         {150000, 169000, 152000, 170000}, 8421504, {{{150500, 169300}, kOrange}, {{153000, 169300}, white}}},
        {"JPEG", 3, [&] { return data->raster(QStringLiteral("gris.jpg"), GisData::greyTile(QStringLiteral("JPEG"), 30)); },
         {150000, 169000, 152000, 170000}, 8421504, {{{150500, 169300}, QColor(30, 30, 30)}}},
        {"Erdas Imagine", 4, [&] { return data->raster(QStringLiteral("gris.img"), GisData::greyTile(QStringLiteral("HFA"), 40)); },
         {150000, 169000, 152000, 170000}, 8421504, {{{150500, 169300}, QColor(40, 40, 40)}}},
        {"ESRI BIL", 5, [&] { return data->raster(QStringLiteral("gris.bil"), GisData::greyTile(QStringLiteral("EHdr"), 30)); },
         {150000, 169000, 152000, 170000}, 8421504, {{{150500, 169300}, QColor(30, 30, 30)}}},
        {"catalogue of two tiles", 6,
         [&] {
             const QString t1 = data->raster(QStringLiteral("t1.tif"), GisData::tile1());
             const QString t2 = data->raster(QStringLiteral("t 2.tif"), GisData::tile2());
             return data->catalogue(QStringLiteral("cat.shp"), {t1, t2});
         },
         {150000, 169000, 154000, 170000}, 8421504,
         {{{150500, 169300}, kOrange}, {{153500, 169300}, QColor(7, 7, 7)}, {{152000, 170500}, white}}},
        {"WMS", 7,
         [&] {
             const QString ogc = data->path(QStringLiteral("serveur.ogc"));
             writeFile(ogc, MapservWms::testOgc(wms.port(), {QStringLiteral("ortho"), QStringLiteral("zones")}));
             return ogc;
         },
         {150000, 169000, 153500, 170000}, 8421504,
         {{{150500, 169300}, kOrange}, {{153000, 169500}, kWmsBlue}, {{153000, 170500}, white}}},
    };

    insertWaypoint(QStringLiteral("dessus"), kWaypoint.x(), kWaypoint.y());
    standardView();
    for (const KindCase& c : cases) {
        SCOPED_TRACE(c.what);
        form->setReferenceLayer({});
        prompts->clear();
        state().paramCouleurShp = c.colour;
        const QString layer = c.make();
        ASSERT_FALSE(layer.isEmpty());
        choose(layer, c.kind);
        if (c.kind == 7) prompts->answer(Answer::Yes);
        cmdAddShp_Click(*form);

        QStringList trail{QStringLiteral("open")};
        if (c.kind == 7) trail << test::kQuestionWms;
        EXPECT_EQ(promptTrail(), trail);
        EXPECT_EQ(form->coucheRef, layer);
        EXPECT_EQ(form->typeCoucheRef, c.kind);
        EXPECT_EQ(label("lblRéférence")->text(), layer);
        EXPECT_DOUBLE_EQ(form->refMinX, c.extent.minX);
        EXPECT_DOUBLE_EQ(form->refMinY, c.extent.minY);
        EXPECT_DOUBLE_EQ(form->refMaxX, c.extent.maxX);
        EXPECT_DOUBLE_EQ(form->refMaxY, c.extent.maxY);
        EXPECT_EQ(state().dernierDossier, data->folder());
        EXPECT_FALSE(QFile::exists(path(QStringLiteral("info.txt")))) << "working files are not kept";

        // The mapfile is the layout's text for this layer and the 400 x 300 map.
        const OgcConfig ogc = lireConfigurationOgc(fileBytes(layer));
        MapfileRequest request;
        request.kind = c.kind;
        request.path = layer;
        request.colour = c.colour;
        request.widthTwips = 400 * 15;
        request.heightTwips = 300 * 15;
        request.shapeType = c.kind == 1 ? qint32(fileBytes(layer).at(32)) : 0;
        request.wms = &ogc.wms;
        request.programFolder = home();
        const auto golden = texteMapfile(request);
        ASSERT_TRUE(golden);
        EXPECT_EQ(fileBytes(path(QStringLiteral("sotrix.map"))), *golden);
        EXPECT_TRUE(golden->contains("SIZE 600 450\r\n"));

        for (const Probe& p : c.probes) EXPECT_TRUE(colourAt(p.at.x(), p.at.y(), p.colour, p.tolerance));
        EXPECT_EQ(pixelAt(kWaypoint.x(), kWaypoint.y()), test::kBlue) << "the waypoint is drawn on top";
    }
    bool layersAsked = false;
    for (const QString& r : wms.requests())
        layersAsked |= r.startsWith(QStringLiteral("GET /cgi-bin/mapserv?x=1&y=2&")) &&
                       r.contains(QStringLiteral("LAYERS=ortho,zones")) && r.contains(QStringLiteral("REQUEST=GetMap"));
    EXPECT_TRUE(layersAsked) << wms.requests().join(QLatin1Char('\n')).toStdString();
}

TEST_F(ReferenceChoice, RastersWiderThanEightBitsAreScaledAndEightBitOnesKeepTheirMapfile) {
    // Three stripes over tile 1's extent, 30, 120 and 220 in 8 bits.
    QByteArray grid = "ncols 200\nnrows 100\nxllcorner 150000\nyllcorner 169000\ncellsize 10\n";
    for (int row = 0; row < 100; ++row) {
        for (int col = 0; col < 200; ++col) grid += col < 66 ? "30 " : col < 133 ? "120 " : "220 ";
        grid += '\n';
    }
    const QString asc = data->path(QStringLiteral("motif.asc"));
    writeFile(asc, grid);
    const QString byte = data->path(QStringLiteral("motif8.tif"));
    ASSERT_TRUE(test::runTool(QStringLiteral("gdal_translate"),
                              {QStringLiteral("-q"), QStringLiteral("-ot"), QStringLiteral("Byte"), QStringLiteral("-a_srs"),
                               QStringLiteral("EPSG:31370"), asc, byte}));
    struct Case {
        const char* what;
        QStringList translate;  // from the 8-bit picture; none: the picture itself
        QColor left, middle, right;
        int kind = 2;
    };
    // An elevation model: the middle stripe is NoData, left transparent over the canvas.
    const auto noData = [](const char* format) {
        return QStringList{QStringLiteral("-of"), QString::fromLatin1(format), QStringLiteral("-ot"), QStringLiteral("Int16"),
                           QStringLiteral("-a_nodata"), QStringLiteral("120")};
    };
    const std::vector<Case> cases{
        {"8-bit", {}, QColor(30, 30, 30), QColor(120, 120, 120), QColor(220, 220, 220)},
        {"UInt16", {QStringLiteral("-ot"), QStringLiteral("UInt16"), QStringLiteral("-scale"), QStringLiteral("0"),
                    QStringLiteral("255"), QStringLiteral("0"), QStringLiteral("65535")},
         QColor(0, 0, 0), QColor(121, 121, 121), test::kWhite},
        {"Int16", {QStringLiteral("-ot"), QStringLiteral("Int16"), QStringLiteral("-scale"), QStringLiteral("0"),
                   QStringLiteral("255"), QStringLiteral("-20000"), QStringLiteral("20000")},
         QColor(0, 0, 0), QColor(121, 121, 121), test::kWhite},
        {"Float32", {QStringLiteral("-ot"), QStringLiteral("Float32"), QStringLiteral("-scale"), QStringLiteral("0"),
                     QStringLiteral("255"), QStringLiteral("0"), QStringLiteral("1")},
         QColor(0, 0, 0), QColor(121, 121, 121), test::kWhite},
        {"GeoTIFF with NoData", noData("GTiff"), QColor(0, 0, 0), test::kWhite, test::kWhite},
        {"BIL with NoData", noData("EHdr"), QColor(0, 0, 0), test::kWhite, test::kWhite, 5},
    };
    standardView();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QString raster = byte;
        if (!c.translate.isEmpty()) {
            raster = data->path(QString::fromLatin1(c.what) + (c.kind == 5 ? QStringLiteral(".bil") : QStringLiteral(".tif")));
            ASSERT_TRUE(test::runTool(QStringLiteral("gdal_translate"),
                                      QStringList{QStringLiteral("-q")} << c.translate << byte << raster));
        }
        prompts->clear();
        form->setReferenceLayer({});
        choose(raster, c.kind);
        cmdAddShp_Click(*form);
        EXPECT_EQ(promptTrail(), QStringList{QStringLiteral("open")});
        QByteArray expected = "MAP\r\n  SIZE 600 450\r\n  EXTENT 0 0 1 1\r\n  OUTPUTFORMAT\r\n    NAME jpeg\r\n"
                              "    DRIVER \"AGG/JPEG\"\r\n    MIMETYPE \"image/jpeg\"\r\n    IMAGEMODE RGB\r\n"
                              "    EXTENSION \"jpg\"\r\n    FORMATOPTION \"QUALITY=100\"\r\n  END\r\n"
                              "  IMAGETYPE jpeg\r\n  LAYER\r\n    NAME \"Fond\"\r\n    DATA \"" +
                              raster.toUtf8() + "\"\r\n    TYPE RASTER\r\n    STATUS DEFAULT\r\n";
        if (!c.translate.isEmpty()) expected += "    PROCESSING \"SCALE=AUTO\"\r\n";
        expected += "  END\r\nEND\r\n";
        EXPECT_EQ(fileBytes(path(QStringLiteral("sotrix.map"))), expected);
        EXPECT_TRUE(colourAt(150300, 169500, c.left, 6));
        EXPECT_TRUE(colourAt(151000, 169500, c.middle, 6));
        EXPECT_TRUE(colourAt(151700, 169500, c.right, 6));
    }
}

TEST_F(ReferenceChoice, GdalinfoGetsTheRasterAsOneArgumentAndItsReportIsKeptWhenAsked) {
    test::StubTools stubs;
    const QString report = QStringLiteral(SOTRIX_GIS_TEST_DATA) + QStringLiteral("/gdalinfo/geographic-3.6.txt");
    stubs.add(QStringLiteral("gdalinfo"), QStringLiteral("cat '%1'").arg(report));
    const QString odd = data->path(QStringLiteral("a $(x) 'b' \"c\".tif"));
    writeFile(odd, "pas une image");
    box("chkRef")->setChecked(false);  // the report is canned: the file is no raster to draw
    state().paramSupInt = false;
    choose(odd, 5);
    cmdAddShp_Click(*form);
    EXPECT_EQ(stubs.arguments(QStringLiteral("gdalinfo")),
              (QStringList{QStringLiteral("-nogcp"), QStringLiteral("-nomd"), odd}));
    EXPECT_EQ(form->coucheRef, odd);
    EXPECT_DOUBLE_EQ(form->refMinY, 50.9);
    EXPECT_DOUBLE_EQ(form->refMaxX, 4.1);
    EXPECT_EQ(fileBytes(path(QStringLiteral("info.txt"))), fileBytes(report));
}

TEST_F(ReferenceChoice, TheDialogOpensWhereTheLastOneWasLeftAndAsksBeforeReplacing) {
    const QString shp = data->shapefile(QStringLiteral("pts"), GisData::points());
    state().dernierDossier = QStringLiteral("/");
    state().positionFiltre[QString::fromUtf16(kDialogueAccueil)] = 3;
    choose(shp, 1);
    cmdAddShp_Click(*form);
    ASSERT_EQ(prompts->prompts().size(), 1u);
    const FileRequest& first = prompts->prompts()[0].file;
    EXPECT_EQ(first.title, QStringLiteral("Sélectionner une couche de référence"));
    EXPECT_EQ(first.filters, (QStringList{QStringLiteral("Shapefile (*shp)"), QStringLiteral("Tiff/Geotiff (*.tif)"),
                                          QStringLiteral("Jpeg (*.jpg)"), QStringLiteral("Erdas imagine (*.img)"),
                                          QStringLiteral("ESRI BIL (*.bil)"), QStringLiteral("Raster catalog (*.shp)"),
                                          QStringLiteral("Serveur WMS (*.ogc)")}));
    EXPECT_EQ(first.filterIndex, 3);
    EXPECT_EQ(first.folder, QStringLiteral("/"));
    EXPECT_TRUE(first.fileName.isEmpty());
    EXPECT_EQ(state().positionFiltre.value(QString::fromUtf16(kDialogueAccueil)), 1);
    EXPECT_EQ(state().dernierDossier, data->folder());

    // No to the replacement: the dialog is not shown and the layer stays.
    state().modeOutil = 5;
    prompts->clear();
    prompts->answer(Answer::No);
    cmdAddShp_Click(*form);
    EXPECT_EQ(promptTrail(),
              QStringList{QStringLiteral("Voulez-vous remplacer la couche de référence actuellement affichée ?")});
    EXPECT_EQ(prompts->prompts()[0].icon, Icon::Question);
    EXPECT_EQ(state().modeOutil, 0) << "the map tool is reset first";
    EXPECT_EQ(form->coucheRef, shp);

    // Yes, then Cancel: the layer and its label stay.
    prompts->clear();
    prompts->answer(Answer::Yes);
    cancel();
    cmdAddShp_Click(*form);
    EXPECT_EQ(prompts->prompts().size(), 2u);
    EXPECT_EQ(prompts->prompts()[1].file.filterIndex, 1) << "opens on the position chosen last";
    EXPECT_EQ(form->coucheRef, shp);
    EXPECT_EQ(label("lblRéférence")->text(), shp);
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("sotrix.map"))));
}

}  // namespace
}  // namespace sotrix
