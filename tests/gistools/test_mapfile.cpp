// The mapfile of the reference layer, compared byte for byte with the text of each
// layout, and every way a layer cannot be written.
#include "Mapfile.h"

#include <gtest/gtest.h>

#include <optional>

namespace sotrix {
namespace {

// The golden texts are written with "\n"; the file has CR LF.
QByteArray crlf(const char* text) { return QByteArray(text).replace("\n", "\r\n"); }

const char* const kHeader = R"(MAP
  SIZE 900 600
  EXTENT 0 0 1 1
  OUTPUTFORMAT
    NAME jpeg
    DRIVER "AGG/JPEG"
    MIMETYPE "image/jpeg"
    IMAGEMODE RGB
    EXTENSION "jpg"
    FORMATOPTION "QUALITY=100"
  END
  IMAGETYPE jpeg
)";

const char* const kPoints = R"(  SYMBOL
    NAME "circle"
    TYPE ellipse
    FILLED True
    POINTS
      1 1
    END
  END
  LAYER
    NAME "Fond"
    TYPE POINT
    STATUS DEFAULT
    DATA "/cartes/pts.shp"
    CLASS
      STYLE
        SYMBOL "circle"
        COLOR 128 128 128
        SIZE 10
      END
    END
  END
END
)";

// Line and polygon layouts, red.
QByteArray outlined(const char* type) {
    return crlf(kHeader) + crlf(R"(  SYMBOL
    NAME "circle"
    TYPE ellipse
    FILLED True
    POINTS
      1 1
    END
  END
  LAYER
    NAME "Fond"
)") + "    TYPE " + type + "\r\n" +
           crlf(R"(    STATUS DEFAULT
    DATA "/cartes/pts.shp"
    CLASS
      STYLE
        OUTLINECOLOR 255 0 0
        WIDTH 3
      END
    END
  END
END
)");
}

const char* const kRaster = R"(  LAYER
    NAME "Fond"
    DATA "/cartes/l'ortho \"été\" \\ 2.tif"
    TYPE RASTER
    STATUS DEFAULT
  END
END
)";

const char* const kTiles = R"(  LAYER
    NAME "Fond"
    TILEINDEX "/cartes/cat.shp"
    TILEITEM "Location"
    TYPE RASTER
    STATUS DEFAULT
  END
END
)";

const char* const kWms = R"(MAP
  SIZE 60 45
  EXTENT 0 0 1 1
  WEB
    IMAGEPATH "/opt/sotrix"
  END
  OUTPUTFORMAT
    NAME jpeg
    DRIVER "AGG/JPEG"
    MIMETYPE "image/jpeg"
    IMAGEMODE RGB
    EXTENSION "jpg"
    FORMATOPTION "QUALITY=100"
  END
  IMAGETYPE jpeg
  LAYER
    NAME "Fond"
    TYPE RASTER
    STATUS DEFAULT
    PROCESSING "DITHER=YES"
    CONNECTION "http://wms.example/cgi?map=a&x=\"1\"&"
    CONNECTIONTYPE WMS
    METADATA
      "wms_srs" "EPSG:31370"
      "wms_name" "A,B"
      "wms_server_version" "1.1.1"
      "wms_formatlist" "image/png,image/jpeg"
      "wms_exceptions_format" "application/vnd.ogc.se_xml"
    END
  END
END
)";

WmsClientConfig wmsAB() {
    WmsClientConfig w;
    w.onlineResource = QStringLiteral("http://wms.example/cgi?map=a&x=\"1\"&");
    w.srs = QStringLiteral("EPSG:31370");
    w.layers = QStringList{QStringLiteral("A"), QStringLiteral("B")};
    w.version = QStringLiteral("1.1.1");
    w.formats = QStringList{QStringLiteral("image/png"), QStringLiteral("image/jpeg")};
    return w;
}

MapfileRequest vector(qint32 shapeType, qint32 colour) {
    MapfileRequest r;
    r.kind = 1;
    r.path = QStringLiteral("/cartes/pts.shp");
    r.colour = colour;
    r.widthTwips = 9000;
    r.heightTwips = 6005;
    r.shapeType = shapeType;
    return r;
}

MapfileRequest raster(int kind, const QString& path) {
    MapfileRequest r;
    r.kind = kind;
    r.path = path;
    r.widthTwips = 9000;
    r.heightTwips = 6009;
    return r;
}

const QString kOddRaster = QStringLiteral("/cartes/l'ortho \"été\" \\ 2.tif");

TEST(Mapfile, EachLayoutIsWrittenAsItsGoldenText) {
    const WmsClientConfig wms = wmsAB();
    MapfileRequest w;
    w.kind = 7;
    w.path = QStringLiteral("/cartes/serveur.ogc");
    w.widthTwips = 600;  // a 40 x 30 pixel map: 15 twips a pixel, a tenth of them
    w.heightTwips = 450;
    w.wms = &wms;
    w.programFolder = QStringLiteral("/opt/sotrix");

    struct Case {
        const char* what;
        MapfileRequest request;
        QByteArray golden;
    };
    std::vector<Case> cases{
        {"point, grey", vector(1, 8421504), crlf(kHeader) + crlf(kPoints)},
        {"line, red", vector(3, 255), outlined("LINE")},
        {"polygon, red", vector(5, 255), outlined("POLYGON")},
        {"tile index", raster(6, QStringLiteral("/cartes/cat.shp")), crlf(kHeader) + crlf(kTiles)},
        {"WMS", w, crlf(kWms)},
    };
    for (int kind = 2; kind <= 5; ++kind)
        cases.push_back({"raster kinds alike", raster(kind, kOddRaster), crlf(kHeader) + crlf(kRaster)});
    // Types with Z or M take their base type's layout.
    for (qint32 t : {8, 11, 18, 21, 28}) cases.push_back({"point family", vector(t, 8421504), crlf(kHeader) + crlf(kPoints)});
    for (qint32 t : {13, 23}) cases.push_back({"line family", vector(t, 255), outlined("LINE")});
    for (qint32 t : {15, 25}) cases.push_back({"polygon family", vector(t, 255), outlined("POLYGON")});

    for (const Case& c : cases) {
        const auto text = texteMapfile(c.request);
        ASSERT_TRUE(text.has_value()) << c.what;
        EXPECT_EQ(QString::fromUtf8(*text).toStdString(), QString::fromUtf8(c.golden).toStdString())
            << c.what << " (kind " << c.request.kind << ", type " << c.request.shapeType << ")";
    }
}

TEST(Mapfile, ALayerThatCannotBeWrittenIsRefused) {
    const WmsClientConfig full = wmsAB();
    auto wmsWithout = [&](auto&& strip) {
        auto w = std::make_shared<WmsClientConfig>(full);
        strip(*w);
        return w;
    };
    const std::vector<std::pair<const char*, std::shared_ptr<WmsClientConfig>>> missing{
        {"online_resource", wmsWithout([](WmsClientConfig& w) { w.onlineResource.reset(); })},
        {"srs", wmsWithout([](WmsClientConfig& w) { w.srs.reset(); })},
        {"layers", wmsWithout([](WmsClientConfig& w) { w.layers.clear(); })},
        {"wms_version", wmsWithout([](WmsClientConfig& w) { w.version.reset(); })},
        {"formats", wmsWithout([](WmsClientConfig& w) { w.formats.clear(); })},
        {"srs with a line break", wmsWithout([](WmsClientConfig& w) { w.srs = QStringLiteral("EPSG:\n31370"); })},
        {"layer with a NUL", wmsWithout([](WmsClientConfig& w) { w.layers << QString(QChar(0)); })},
    };
    for (const auto& [what, wms] : missing) {
        MapfileRequest r = raster(7, QStringLiteral("/a.ogc"));
        r.wms = wms.get();
        EXPECT_FALSE(texteMapfile(r).has_value()) << what;
    }
    MapfileRequest noConfig = raster(7, QStringLiteral("/a.ogc"));
    EXPECT_FALSE(texteMapfile(noConfig).has_value()) << "WMS without a configuration";
    MapfileRequest crFolder = raster(7, QStringLiteral("/a.ogc"));
    crFolder.wms = &full;
    crFolder.programFolder = QStringLiteral("/opt\r/sotrix");
    EXPECT_FALSE(texteMapfile(crFolder).has_value()) << "program folder with CR";

    for (qint32 t : {0, 2, 7, 31, 9999}) EXPECT_FALSE(texteMapfile(vector(t, 0)).has_value()) << "shape type " << t;
    for (int kind : {0, 8, -1}) EXPECT_FALSE(texteMapfile(raster(kind, QStringLiteral("/a.tif"))).has_value()) << kind;
    for (const QString& path : {QStringLiteral("/a\nb.tif"), QStringLiteral("/a\rb.tif"), QStringLiteral("/a") + QChar(0)})
        EXPECT_FALSE(texteMapfile(raster(2, path)).has_value()) << "path with a control character";
}

}  // namespace
}  // namespace sotrix
