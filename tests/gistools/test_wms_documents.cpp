// The pure parts of the WMS tool: the request address, the capabilities reader, the
// listing against the Proj table, and the configuration file writer read back.
#include "Database.h"
#include "FrenchLocale.h"
#include "OgcConfig.h"
#include "OgcWriter.h"
#include "WmsAddress.h"
#include "WmsCapabilities.h"
#include "WmsListing.h"
#include "Workspace.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace sotrix {
namespace {

QByteArray capabilities(const QByteArray& layers, const QByteArray& formats = "<Format>image/png</Format>",
                        const QByteArray& root = "WMT_MS_Capabilities version=\"1.1.1\"") {
    return "HTTP/1.0 200 OK\r\nContent-Type: text/xml\r\n\r\n<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<" + root +
           "><Capability><Request><GetMap>" + formats + "</GetMap></Request>" + layers + "</Capability></" +
           root.left(root.indexOf(' ') < 0 ? root.size() : root.indexOf(' ')) + ">";
}

const QByteArray kBox = "<LatLonBoundingBox minx=\"4\" miny=\"50\" maxx=\"5\" maxy=\"51\"/>";

QByteArray leaf(const QByteArray& name, const QByteArray& srs = {}, const QByteArray& extra = {}) {
    return "<Layer><Name>" + name + "</Name><Title>T " + name + "</Title>" + srs + extra + kBox + "</Layer>";
}

TEST(WmsAddress, TheQueryJoinsTheFirstQuestionMarkAndAMissingSchemeIsHttp) {
    const QString q = QStringLiteral("SERVICE=WMS&VERSION=1.1.1&REQUEST=GetCapabilities");
    struct Case {
        const char* typed;
        QString request;
        QString online;
    };
    const std::vector<Case> cases{
        {"http://h/wms", QStringLiteral("http://h/wms?") + q, QStringLiteral("http://h/wms?")},
        {"http://h/wms?a=1", QStringLiteral("http://h/wms?a=1&") + q, QStringLiteral("http://h/wms?a=1")},
        {"http://h/wms?", QStringLiteral("http://h/wms?") + q, QStringLiteral("http://h/wms?")},
        {"http://h/wms?a=1&", QStringLiteral("http://h/wms?a=1&&") + q, QStringLiteral("http://h/wms?a=1&")},
        {"h:8080/cgi?x", QStringLiteral("http://h:8080/cgi?x&") + q, QStringLiteral("http://h:8080/cgi?x")},
        {"https://h:443/a?b?c", QStringLiteral("https://h:443/a?b?c&") + q, QStringLiteral("https://h:443/a?b?c")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        const auto a = adresseWms(QString::fromUtf8(c.typed));
        ASSERT_TRUE(a);
        EXPECT_EQ(a->requete, c.request);
        EXPECT_EQ(a->onlineResource, c.online);
    }
    for (const char* refused : {"", "http://h:99999/", "http://h:abc/", "http:///x"})
        EXPECT_FALSE(adresseWms(QString::fromUtf8(refused))) << refused;
}

TEST(WmsCapabilitiesReader, SrsTokensGiveTheirWholeNumberCodes) {
    struct Case {
        const char* text;
        std::vector<qint32> codes;
    };
    const std::vector<Case> cases{
        {"EPSG:4326", {4326}},           {"EPSG:4326 EPSG:31370", {4326, 31370}},
        {"EPSG:900913", {900913}},       {"CRS:84", {84}},
        {"AUTO:42001,9001,0,0", {}},     {"EPSG:99999999999", {}},
        {"4326", {4326}},                {"EPSG:", {}},
        {"EPSG:12ab", {}},               {"  EPSG:2154\n", {2154}},
    };
    for (const Case& c : cases) EXPECT_EQ(codesSrs(QString::fromUtf8(c.text)), c.codes) << c.text;
}

TEST(WmsCapabilitiesReader, ContainersLeavesCodesAndDroppedRecords) {
    const QByteArray doc = capabilities(
        "<Layer><Title>racine</Title><SRS>EPSG:31370</SRS><SRS>EPSG:4326 EPSG:2154</SRS>"
        "  <Layer><Title>groupe</Title><SRS>AUTO:42001,9001,0,0</SRS>" +
        leaf("a") + leaf("b", "<SRS>EPSG:900913</SRS><SRS>EPSG:3035</SRS>") +
        "  </Layer>"
        "  <Layer noSubsets=\"1\"><Name>tout</Name><Title>Tout</Title>" + kBox + leaf("cache") +
        "  </Layer>"
        "  <Layer><Name>sansboite</Name><Title>x</Title><SRS>EPSG:3812</SRS></Layer>"
        "  <Layer><Name>coupee</Name><Title>y</Title><LatLonBoundingBox minx=\"1\" miny=\"2\" maxx=\"3\"/></Layer>"
        "  <Layer><Title>anonyme</Title>" + kBox + "</Layer>"
        "  <Layer><Name>n</Name>" + kBox + "</Layer>"
        "</Layer>",
        "<Format>image/png</Format><Format>image/jpeg</Format>");
    const auto caps = lireCapabilities(doc);
    ASSERT_TRUE(caps);
    EXPECT_EQ(caps->version, QStringLiteral("1.1.1"));
    EXPECT_EQ(caps->formats, (QStringList{QStringLiteral("image/png"), QStringLiteral("image/jpeg")}));
    QStringList names, titles;
    std::vector<qint32> srs;
    for (const WmsLayer& l : caps->layers) names << l.name, titles << l.title, srs.push_back(l.srs);
    EXPECT_EQ(names, (QStringList{"a", "b", "tout", "", "n"}));
    EXPECT_EQ(titles, (QStringList{"T a", "T b", "Tout", "anonyme", ""}));
    EXPECT_EQ(srs, (std::vector<qint32>{31370, 900913, 31370, 31370, 31370}));
    // The boxless and the cut box dropped their records, not their codes.
    EXPECT_EQ(caps->codes, (std::vector<qint32>{31370, 4326, 2154, 900913, 3812}));
    EXPECT_DOUBLE_EQ(caps->layers[0].minx, 4);
    EXPECT_DOUBLE_EQ(caps->layers[0].maxy, 51);

    // A leaf with no code anywhere gets 0, which is then a code of the document.
    const auto orphan = lireCapabilities(capabilities(leaf("seule")));
    ASSERT_TRUE(orphan);
    ASSERT_EQ(orphan->layers.size(), 1u);
    EXPECT_EQ(orphan->layers[0].srs, 0);
    EXPECT_EQ(orphan->codes, std::vector<qint32>{0});
}

TEST(WmsCapabilitiesReader, RefusesWhatIsNoCapabilitiesDocument) {
    const std::vector<std::pair<const char*, QByteArray>> cases{
        {"no declaration", "<WMT_MS_Capabilities version=\"1.1.1\"/>"},
        {"truncated", capabilities(leaf("a")).chopped(10)},
        {"exception report",
         "<?xml version=\"1.0\"?><ServiceExceptionReport version=\"1.1.1\"><ServiceException>x</ServiceException>"
         "</ServiceExceptionReport>"},
        {"no version", capabilities(leaf("a"), "<Format>image/png</Format>", "WMT_MS_Capabilities")},
        {"no format", capabilities(leaf("a"), "")},
        {"empty", ""},
    };
    for (const auto& [what, bytes] : cases) EXPECT_FALSE(lireCapabilities(bytes)) << what;
    // Latin-1 is decoded as declared.
    QByteArray latin = capabilities("<Layer><Name>l</Name><Title>Li\xE8ge</Title>" + kBox + "</Layer>");
    latin.replace("UTF-8", "ISO-8859-1");
    const auto caps = lireCapabilities(latin);
    ASSERT_TRUE(caps);
    EXPECT_EQ(caps->layers.at(0).title, QStringLiteral("Liège"));
}

class WmsListingTest : public test::WorkspaceTest {};

TEST_F(WmsListingTest, LinesNeedATitleANameAndAKnownSystemAndFollowTheLocale) {
    const auto caps = lireCapabilities(capabilities(
        "<Layer><SRS>EPSG:31370 EPSG:900913 EPSG:4326</SRS>" + leaf("a") +
        "<Layer><Title>sans nom</Title>" + kBox + "</Layer>" + leaf("b", "<SRS>EPSG:900913</SRS>") +
        "<Layer><Name>c</Name><Title>C</Title><SRS>EPSG:4326</SRS>"
        "<LatLonBoundingBox minx=\"-0.5\" miny=\"50.831963\" maxx=\"1234567.25\" maxy=\"51\"/></Layer></Layer>"));
    ASSERT_TRUE(caps);
    Database db(path(QStringLiteral("sotrix.mdb")));
    for (bool french : {false, true}) {
        SCOPED_TRACE(french ? "fr_BE" : "C");
        QLocale::setDefault(QLocale::c());  // whatever locale the tests run under
        std::unique_ptr<test::FrenchLocale> locale;
        if (french) {
            locale = std::make_unique<test::FrenchLocale>();
            ASSERT_TRUE(locale->active());
        }
        const ListeWms l = listeWms(db, *caps);
        ASSERT_EQ(l.lignes.size(), 2u);
        EXPECT_EQ(l.lignes[0].record, 0);
        EXPECT_EQ(l.lignes[1].record, 3);
        const QString c = french ? QStringLiteral("C - projection : WGS 84 - X : -0,5 ; 1234567,25 - Y : 50,831963 ; 51")
                                 : QStringLiteral("C - projection : WGS 84 - X : -0.5 ; 1234567.25 - Y : 50.831963 ; 51");
        EXPECT_EQ(texteLigne(caps->layers[3], l.lignes[1].desc), c);
        EXPECT_TRUE(texteLigne(caps->layers[0], l.lignes[0].desc).startsWith(QStringLiteral("T a - projection : BD72 / Belgian Lambert 72 - X : 4 ; 5")));
        ASSERT_EQ(l.systemes.size(), 2u);
        EXPECT_EQ(l.systemes[0].epsg, 31370);
        EXPECT_EQ(l.systemes[1].desc, QStringLiteral("WGS 84"));
    }
}

TEST(OgcWriterTest, NumbersEscapesAndTheReaderGetsBackWhatWasWritten) {
    const std::vector<std::pair<double, const char*>> numbers{
        {0.5, ".5"}, {-0.5, "-.5"}, {0, "0"}, {150000.125, "150000.125"}, {-176.25, "-176.25"},
        {1e-7, "1e-07"}, {4.367486, "4.367486"}, {1.0 / 3, ".333333333333333"}};
    for (const auto& [v, text] : numbers) EXPECT_EQ(nombreOgc(v), QString::fromLatin1(text)) << text;

    ContenuOgc c;
    c.version = QStringLiteral("1.1.1");
    c.onlineResource = QStringLiteral("http://h/wms?x=1&y=\"2\"");
    c.formats = {QStringLiteral("image/png"), QStringLiteral("image/svg+xml; mode=<x>")};
    c.epsg = 31370;
    c.extent = {-0.5, 2, 3.25, 0.75};
    c.layers = {QStringLiteral("Zones & <parcs>"), QStringLiteral("Liège")};
    const QByteArray bytes = texteOgc(c);
    EXPECT_TRUE(bytes.startsWith("<wms_client_config>\r\n  <wms_version>1.1.1</wms_version>\r\n"));
    EXPECT_TRUE(bytes.contains("  <online_resource>http://h/wms?x=1&amp;y=&quot;2&quot;</online_resource>\r\n"));
    EXPECT_TRUE(bytes.contains("\r\n  <extents minx=\"-.5\" miny=\"2\" maxx=\"3.25\" maxy=\".75\"></extents>\r\n"));
    EXPECT_TRUE(bytes.contains("    <layer>Zones &amp; &lt;parcs&gt;</layer>\r\n    <layer>Li\xC3\xA8ge</layer>\r\n"));
    EXPECT_TRUE(bytes.endsWith("  </layer_list>\r\n</wms_client_config>\r\n"));
    EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n"));

    const OgcConfig back = lireConfigurationOgc(bytes);
    ASSERT_TRUE(back.extents);
    EXPECT_DOUBLE_EQ(back.extents->minX, -0.5);
    EXPECT_DOUBLE_EQ(back.extents->maxY, 0.75);
    EXPECT_EQ(back.wms.onlineResource, c.onlineResource);
    EXPECT_EQ(back.wms.formats, c.formats);
    EXPECT_EQ(back.wms.layers, c.layers);
    EXPECT_EQ(back.wms.srs, QStringLiteral("EPSG:31370"));
    EXPECT_EQ(back.wms.version, c.version);
}

}  // namespace
}  // namespace sotrix
