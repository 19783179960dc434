// The readers behind the reference layer's extent: gdalinfo's report and the WMS
// configuration file, whatever the locale.
#include "FrenchLocale.h"
#include "GdalInfoReport.h"
#include "OgcConfig.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace sotrix {
namespace {

using test::FrenchLocale;

std::string fixture(const char* name) {
    QFile f(QDir(QStringLiteral(SOTRIX_GIS_TEST_DATA)).filePath(QStringLiteral("gdalinfo/") + QLatin1String(name)));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
    return f.readAll().toStdString();
}

void expectExtent(const std::optional<LayerExtent>& got, const std::optional<LayerExtent>& want, const std::string& what) {
    ASSERT_EQ(got.has_value(), want.has_value()) << what;
    if (!want) return;
    EXPECT_DOUBLE_EQ(got->minX, want->minX) << what;
    EXPECT_DOUBLE_EQ(got->minY, want->minY) << what;
    EXPECT_DOUBLE_EQ(got->maxX, want->maxX) << what;
    EXPECT_DOUBLE_EQ(got->maxY, want->maxY) << what;
}

TEST(GdalinfoReport, CornersAreReadFromRealReportsAndRefusedWhenMalformed) {
    const std::string padded = "Corner Coordinates:\nLower Left  (   512.500,   160.250)\nUpper Right (  1024.000,   320.500)\n";
    struct Case {
        std::string what;
        std::string report;
        std::optional<LayerExtent> extent;
    };
    const std::vector<Case> cases{
        {"projected, GDAL 3.6", fixture("projected-3.6.txt"), LayerExtent{150000, 169000, 152000, 170000}},
        {"geographic, GDAL 3.6", fixture("geographic-3.6.txt"), LayerExtent{4.0, 50.9, 4.1, 51.0}},
        {"pixel corners normalised", fixture("pixels-3.6.txt"), LayerExtent{0, 0, 50, 40}},
        {"padded pair", padded, LayerExtent{512.5, 160.25, 1024, 320.5}},
        {"CR line ends and a BOM", "\xEF\xBB\xBFx\rLower Left (1,2)\rUpper Right (3,4)\r", LayerExtent{1, 2, 3, 4}},
        {"CR LF line ends", "Lower Left (-1.5,2e3)\r\nUpper Right (3,4)\r\n", LayerExtent{-1.5, 4, 3, 2000}},
        {"first Lower Left line counts", "Lower Left (1,2)\nUpper Right (3,4)\nLower Left (9,9)\n", LayerExtent{1, 2, 3, 4}},
        {"empty report", "", std::nullopt},
        {"no Lower Left", "Upper Left (1,2)\nUpper Right (3,4)\n", std::nullopt},
        {"lower case", "lower left (1,2)\nUpper Right (3,4)\n", std::nullopt},
        {"Lower Left on the last line", "Lower Left (1,2)\n", std::nullopt},
        {"next line without parentheses", "Lower Left (1,2)\nUpper Right 3,4\n", std::nullopt},
        {"next line empty", "Lower Left (1,2)\n\nUpper Right (3,4)\n", std::nullopt},
        {"no comma", "Lower Left (1 2)\nUpper Right (3,4)\n", std::nullopt},
        {"comma before the parenthesis", "Lower Left, (1 2)\nUpper Right (3,4)\n", std::nullopt},
        {"not a number", "Lower Left (1,abc)\nUpper Right (3,4)\n", std::nullopt},
        {"decimal comma", "Lower Left (1,5;2)\nUpper Right (3,4)\n", std::nullopt},
        {"trailing text in a number", "Lower Left (1,2m)\nUpper Right (3,4)\n", std::nullopt},
        {"empty number", "Lower Left (,2)\nUpper Right (3,4)\n", std::nullopt},
        {"not finite", "Lower Left (nan,2)\nUpper Right (3,inf)\n", std::nullopt},
    };
    for (const bool french : {false, true}) {
        std::optional<FrenchLocale> locale;
        if (french) {
            locale.emplace();
            ASSERT_TRUE(locale->active()) << "fr_BE.UTF-8 is not installed";
        }
        for (const Case& c : cases)
            expectExtent(lireRapportGdalinfo(c.report), c.extent, c.what + (french ? " (fr_BE)" : " (C)"));
    }
}

TEST(GdalinfoReport, TheValuesOfEveryBandAreReadFromItsStatistics) {
    struct Case {
        std::string what;
        std::string report;
        std::optional<std::pair<double, double>> range;
    };
    const std::vector<Case> cases{
        {"two bands, GDAL 3.6", fixture("statistics-3.6.txt"), std::pair{40.0, 1200.0}},
        {"no statistics", fixture("projected-3.6.txt"), std::nullopt},
        {"signs, exponents, CR LF", "  Minimum=-1.5e3, Maximum=2, Mean=0\r\n  Minimum=0, Maximum=7.25\r\n",
         std::pair{-1500.0, 7.25}},
        {"malformed lines left out", "Minimum=5, Maximum=1\nMinimum=x, Maximum=2\nMinimum=3\nMinimum=4, Maximum=6\n",
         std::pair{4.0, 6.0}},
    };
    FrenchLocale french;
    ASSERT_TRUE(french.active());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto got = plageValeurs(c.report);
        ASSERT_EQ(got.has_value(), c.range.has_value());
        if (!got) continue;
        EXPECT_DOUBLE_EQ(got->min, c.range->first);
        EXPECT_DOUBLE_EQ(got->max, c.range->second);
    }
}

TEST(OgcConfig, ExtentsAndServerValuesAreReadWithThePeriodWhateverTheLocale) {
    const QByteArray tool = R"(<wms_client_config>
  <wms_version>1.1.1</wms_version>
  <online_resource>http://h/wms?a=1&amp;b=2&amp;</online_resource>
  <image_format_list>
    <image_format>image/png</image_format>
    <image_format> image/jpeg </image_format>
  </image_format_list>
  <srs>EPSG:31370</srs>
  <extents minx="150000.5" miny="-.5" maxx=" 153500" maxy="1.7e5"></extents>
  <layer_list>
    <layer>ortho</layer>
    <layer>zones</layer>
  </layer_list>
</wms_client_config>
)";
    FrenchLocale french;
    ASSERT_TRUE(french.active());
    const OgcConfig c = lireConfigurationOgc(tool);
    expectExtent(c.extents, LayerExtent{150000.5, -0.5, 153500, 170000}, "extents");
    EXPECT_EQ(c.wms.onlineResource, QStringLiteral("http://h/wms?a=1&b=2&"));
    EXPECT_EQ(c.wms.srs, QStringLiteral("EPSG:31370"));
    EXPECT_EQ(c.wms.version, QStringLiteral("1.1.1"));
    EXPECT_EQ(c.wms.layers, (QStringList{QStringLiteral("ortho"), QStringLiteral("zones")}));
    EXPECT_EQ(c.wms.formats, (QStringList{QStringLiteral("image/png"), QStringLiteral("image/jpeg")}));

    // The form the WMS tool once wrote: titles for layers, a raw "&" in the address.
    const QByteArray old = "<wms_client_config><wms_version>1.1.1</wms_version>"
                           "<online_resource>http://h/wms?a=1&b=2&</online_resource>"
                           "<image_format_list><image_format>image/png</image_format></image_format_list>"
                           "<srs>EPSG:4326</srs><extents minx=\"4\" miny=\"50\" maxx=\"5\" maxy=\"51\"></extents>"
                           "<layer_list><layer>Orthophoto \xC3\xA0 Li\xC3\xA8ge</layer><layer>Zones</layer></layer_list>"
                           "</wms_client_config>";
    const OgcConfig o = lireConfigurationOgc(old);
    expectExtent(o.extents, LayerExtent{4, 50, 5, 51}, "old form");
    EXPECT_EQ(o.wms.onlineResource, QStringLiteral("http://h/wms?a=1&b=2&"));
    EXPECT_EQ(o.wms.layers, (QStringList{QStringLiteral("Orthophoto à Liège"), QStringLiteral("Zones")}));
}

TEST(OgcConfig, MissingPartsAreToldApart) {
    const auto parse = [](const char* body) {
        return lireConfigurationOgc(QByteArray("<wms_client_config>") + body + "</wms_client_config>");
    };
    struct Case {
        const char* what;
        QByteArray bytes;
        std::optional<LayerExtent> extents;
    };
    const std::vector<Case> cases{
        {"leading numbers", "<wms_client_config><extents minx=\"12abc\" miny=\"abc\" maxx=\"+3.e1x\" maxy=\"-7e\"/></wms_client_config>",
         LayerExtent{12, 0, 30, -7}},
        {"fractions without digits before the point", "<wms_client_config><extents minx=\".5\" miny=\"-.5\" maxx=\"-\" maxy=\".\"/></wms_client_config>",
         LayerExtent{0.5, -0.5, 0, 0}},
        {"empty attribute is 0", "<wms_client_config><extents minx=\"\" miny=\"1\" maxx=\"2\" maxy=\"3\"/></wms_client_config>",
         LayerExtent{0, 1, 2, 3}},
        {"an absent attribute", "<wms_client_config><extents minx=\"1\" miny=\"1\" maxx=\"2\"/></wms_client_config>",
         std::nullopt},
        {"a number out of range", "<wms_client_config><extents minx=\"1e999\" miny=\"1\" maxx=\"2\" maxy=\"3\"/></wms_client_config>",
         std::nullopt},
        {"no extents", "<wms_client_config><srs>EPSG:1</srs></wms_client_config>", std::nullopt},
        {"extents not under the root", "<wms_client_config><a><extents minx=\"1\" miny=\"1\" maxx=\"2\" maxy=\"3\"/></a></wms_client_config>",
         std::nullopt},
        {"another root", "<config><extents minx=\"1\" miny=\"1\" maxx=\"2\" maxy=\"3\"/></config>", std::nullopt},
        {"not XML", "\x01 not xml <", std::nullopt},
        {"empty", "", std::nullopt},
    };
    for (const Case& c : cases) expectExtent(lireConfigurationOgc(c.bytes).extents, c.extents, c.what);

    const OgcConfig none = parse("<extents minx=\"1\" miny=\"1\" maxx=\"2\" maxy=\"3\"/>");
    EXPECT_FALSE(none.wms.onlineResource);
    EXPECT_FALSE(none.wms.srs);
    EXPECT_FALSE(none.wms.version);
    EXPECT_TRUE(none.wms.layers.isEmpty());
    EXPECT_TRUE(none.wms.formats.isEmpty());
    const OgcConfig emptyLists = parse("<layer_list></layer_list><image_format_list/><srs></srs>");
    EXPECT_TRUE(emptyLists.wms.layers.isEmpty());
    EXPECT_TRUE(emptyLists.wms.formats.isEmpty());
    EXPECT_EQ(emptyLists.wms.srs, QString()) << "an empty element is present";
}

}  // namespace
}  // namespace sotrix
