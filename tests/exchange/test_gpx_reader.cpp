// The XML layer and the GPX walker, on documents written by the tests.
#include "GpxReader.h"
#include "Xml.h"
#include "XmlStream.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace sotrix;

namespace {

QString opt(const std::optional<QString>& s) { return s ? QStringLiteral("\"") + *s + QStringLiteral("\"") : QStringLiteral("-"); }

QString point(const GpxPoint& p) {
    return QStringLiteral("%1,%2 ele=%3 date=%4")
        .arg(p.lon)
        .arg(p.lat)
        .arg(p.altitude ? QString::number(*p.altitude) : QStringLiteral("-"))
        .arg(p.date.isEmpty() ? QStringLiteral("-") : p.date);
}

// Keeps every item as a line of text; stops after `stopAfter` items when set.
class RecordingSink final : public GpxSink {
public:
    QStringList items;
    int stopAfter = -1;

    Flow waypoint(const GpxWaypoint& w) override {
        return add(QStringLiteral("wpt %1 name=%2 desc=%3").arg(point(w.point), opt(w.name), opt(w.description)));
    }
    Flow trackStart(const GpxTrack& t) override {
        return add(QStringLiteral("trk name=%1 desc=%2").arg(opt(t.name), opt(t.description)));
    }
    Flow trackHeader(const GpxTrack& t) override {
        return add(QStringLiteral("hdr name=%1 desc=%2").arg(opt(t.name), opt(t.description)));
    }
    Flow trackPoint(const GpxPoint& p) override { return add(QStringLiteral("pt ") + point(p)); }

private:
    Flow add(const QString& item) {
        items << item;
        return int(items.size()) == stopAfter ? Flow::Stop : Flow::Continue;
    }
};

XmlLoad load(XmlDocument& doc, const QByteArray& bytes) { return doc.loadBytes(bytes.constData(), std::size_t(bytes.size())); }

std::string_view view(const QByteArray& bytes) { return {bytes.constData(), std::size_t(bytes.size())}; }

class NoHandler final : public XmlHandler {
public:
    void startElement(const char*, const char**, int) override {}
    void endElement(const char*) override {}
    bool wantsText() const override { return false; }
    void text(std::string_view) override {}
};

XmlLoad streamLoad(const XmlSource& source) {
    NoHandler handler;
    XmlStream stream;
    return stream.parse(source, handler);
}

// Walks the document handed on whole and a byte at a time: both must give the same items.
QStringList walk(const QByteArray& bytes, int decalage = 0) {
    QStringList items[2];
    const std::size_t chunks[] = {XmlSource::kChunk, 1};
    for (int i = 0; i < 2; ++i) {
        const XmlSource source = XmlSource::bytes(view(bytes), chunks[i]);
        EXPECT_TRUE(estRacineGpx(source)) << bytes.left(200).toStdString();
        RecordingSink sink;
        EXPECT_EQ(parcourtGpx(source, decalage, sink), Flow::Continue) << bytes.left(200).toStdString();
        items[i] = sink.items;
    }
    EXPECT_EQ(items[0], items[1]);
    return items[0];
}

QByteArray gpx(const QByteArray& body, const QByteArray& root = "gpx xmlns=\"http://www.topografix.com/GPX/1/1\"") {
    const QByteArray name = root.split(' ').first();
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<" + root + " xmlns:x=\"urn:x\">" + body + "</" + name + ">";
}

}  // namespace

TEST(GpxReader, OrderDescriptionsAndNames) {
    const QByteArray body =
        "<rte><name>R</name><desc>rd</desc><rtept lat=\"1\" lon=\"2\"><name>ignored</name></rtept></rte>"
        "<trk><name>T</name><cmt/><desc>td</desc><number>4</number>"
        "<trkseg><trkpt lat=\"3\" lon=\"4\"><name>n</name><ele>5</ele></trkpt></trkseg>"
        "<trkseg><trkpt lat=\"6\" lon=\"7\"/><trkpt lon=\"7\"/><trkpt lat=\"x\" lon=\"7\"/></trkseg>"
        "<x:trkseg><trkpt lat=\"8\" lon=\"8\"/></x:trkseg></trk>"
        "<wpt lat=\"50.5\" lon=\"4.25\"><x:name>foreign</x:name><cmt></cmt><desc>d</desc></wpt>"
        "<wpt lat=\"0\" lon=\"0\"><name></name><name>second</name><desc>one\ntwo</desc></wpt>"
        "<wpt lat=\"1\" lon=\"1\"><cmt>c</cmt><desc>d</desc></wpt>"
        "<wpt lat=\"1\" lon=\"1\"><desc></desc></wpt>"
        "<x:wpt lat=\"9\" lon=\"9\"/>"
        "<trk><desc>only desc</desc></trk>"
        "<rte/>";
    const QStringList expected{
        "wpt 4.25,50.5 ele=- date=- name=- desc=-",
        "wpt 0,0 ele=- date=- name=\"\" desc=\"one\ntwo\"",
        "wpt 1,1 ele=- date=- name=- desc=\"c\"",
        "wpt 1,1 ele=- date=- name=- desc=-",
        "trk name=\"T\" desc=\"\"",
        "pt 4,3 ele=5 date=-",
        "pt 7,6 ele=- date=-",
        "trk name=- desc=\"only desc\"",
        "trk name=\"R\" desc=\"rd\"",
        "pt 2,1 ele=- date=-",
        "trk name=- desc=-",
    };
    EXPECT_EQ(walk(gpx(body)), expected);
}

TEST(GpxReader, DatesAndStop) {
    const QByteArray body =
        "<wpt lat=\"1\" lon=\"1\"><time> 2004-03-15T10:00:00Z </time><desc>15/01/2000</desc></wpt>"
        "<wpt lat=\"1\" lon=\"1\"><time>bad</time><desc>15/01/2000</desc></wpt>"
        "<wpt lat=\"1\" lon=\"1\"><desc>plain</desc><cmt>15/01/2000</cmt></wpt>"
        "<wpt lat=\"1\" lon=\"1\"><cmt>15-JUL-04 10:00:00</cmt></wpt>"
        "<wpt lat=\"1\" lon=\"1\"><time>2004-03-15t10:00:00z</time></wpt>"
        "<trk><trkseg><trkpt lat=\"1\" lon=\"1\"><desc><![CDATA[15/]]>01/2000 <![CDATA[23:30]]></desc></trkpt>"
        "</trkseg></trk>";
    const QStringList items = walk(gpx(body), 2);
    ASSERT_EQ(items.size(), 7);
    EXPECT_TRUE(items[0].contains("date=2004-03-15 12:00:00"));
    EXPECT_TRUE(items[1].contains("date=-"));
    EXPECT_TRUE(items[2].contains("date=-"));
    EXPECT_TRUE(items[3].contains("date=2004-07-15 12:00:00"));
    EXPECT_TRUE(items[4].contains("date=-"));
    EXPECT_TRUE(items[6].contains("date=2000-01-16 01:30:00")) << items[6].toStdString();

    const QByteArray bytes = gpx(body);
    RecordingSink sink;
    sink.stopAfter = 2;
    EXPECT_EQ(parcourtGpx(XmlSource::bytes(view(bytes)), 0, sink), Flow::Stop);
    EXPECT_EQ(sink.items.size(), 2);
}

TEST(GpxReader, PrefixedRootAndEntities) {
    const QByteArray doc = "<g:gpx xmlns:g=\"http://www.topografix.com/GPX/1/0\" xmlns:x=\"urn:x\">"
                           "<g:wpt lat=\"1\" lon=\"2\"><g:name>A&amp;B &#233;&lt;</g:name><name>bare</name></g:wpt>"
                           "<wpt lat=\"3\" lon=\"4\"/><x:wpt lat=\"5\" lon=\"6\"/></g:gpx>";
    EXPECT_EQ(walk(doc), (QStringList{QString::fromUtf8("wpt 2,1 ele=- date=- name=\"A&B é<\" desc=-"),
                                      "wpt 4,3 ele=- date=- name=- desc=-"}));

    for (const auto& [text, isGpx] : {std::pair{"<x:gpx xmlns:x=\"urn:x\"/>", true},
                                      std::pair{"<kml><wpt lat=\"1\" lon=\"1\"/></kml>", false},
                                      std::pair{"<gpxx/>", false}})
        EXPECT_EQ(estRacineGpx(XmlSource::bytes(text)), isGpx) << text;

    // Entities of an internal DTD are not expanded, and nothing is fetched.
    const QByteArray dtd = "<!DOCTYPE gpx [<!ENTITY e \"expanded\">]><gpx><wpt lat=\"1\" lon=\"1\"><name>&e;</name></wpt></gpx>";
    const QStringList items = walk(dtd);
    ASSERT_EQ(items.size(), 1);
    EXPECT_FALSE(items[0].contains("expanded"));
}

TEST(GpxReader, Encodings) {
    const QString e = QString::fromUtf8("é");
    const QByteArray wpt = "<wpt lat=\"1\" lon=\"1\"><name>\xE9</name></wpt></gpx>";
    for (const char* encoding : {"ISO-8859-1", "windows-1252", "latin1", "ISO-8859-15"}) {
        const QByteArray bytes = QByteArray("<?xml version=\"1.0\" encoding=\"") + encoding + "\"?><gpx>" + wpt;
        const QStringList items = walk(bytes);
        ASSERT_EQ(items.size(), 1) << encoding;
        EXPECT_TRUE(items[0].contains("name=\"" + e + "\"")) << encoding << " " << items[0].toStdString();
    }
    // Single quotes, and a declaration that also says standalone.
    EXPECT_TRUE(walk("<?xml version='1.0' encoding = 'CP1252' standalone='yes'?><gpx>" + wpt)[0].contains(e));
    // windows-1252 is not Latin-1: 0x80 is the euro sign.
    EXPECT_TRUE(walk("<?xml version=\"1.0\" encoding=\"windows-1252\"?><gpx><wpt lat=\"1\" lon=\"1\"><name>\x80</name>"
                     "</wpt></gpx>")[0]
                    .contains(QString::fromUtf8("€")));

    const QString utf8Doc = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-16\"?><gpx><wpt lat=\"1\" lon=\"1\"><name>") + e +
                            QStringLiteral("</name></wpt></gpx>");
    QByteArray utf16("\xFF\xFE", 2);
    utf16.append(reinterpret_cast<const char*>(utf8Doc.utf16()), utf8Doc.size() * 2);
    EXPECT_TRUE(walk(utf16)[0].contains(e));
    EXPECT_TRUE(walk("\xEF\xBB\xBF<gpx><wpt lat=\"1\" lon=\"1\"><name>\xC3\xA9</name></wpt></gpx>")[0].contains(e));
    EXPECT_TRUE(walk("<gpx><wpt lat=\"1\" lon=\"1\"><name>\xC3\xA9</name></wpt></gpx>")[0].contains(e));

    // Refused by both readers, the stream's also when the bad bytes come far into the file.
    const QByteArray far = QByteArray("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><gpx>") +
                           QByteArray("<wpt lat=\"1\" lon=\"1\"/>").repeated(5000) + "<name>\x82</name></gpx>";
    for (const QByteArray& bytes : {QByteArray("<?xml version=\"1.0\" encoding=\"no-such-encoding\"?><gpx/>"),
                                    QByteArray("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><gpx><name>\x82</name></gpx>"),
                                    far,
                                    // An empty or malformed name is no encoding, whatever the user's locale.
                                    QByteArray("<?xml version=\"1.0\" encoding=\"\"?><gpx/>"),
                                    QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8//IGNORE\"?><gpx/>")}) {
        XmlDocument doc;
        EXPECT_EQ(load(doc, bytes), XmlLoad::BadEncoding) << bytes.left(60).toStdString();
        EXPECT_FALSE(doc.root());
        for (const std::size_t chunk : {XmlSource::kChunk, std::size_t(3)})
            EXPECT_EQ(streamLoad(XmlSource::bytes(view(bytes), chunk)), XmlLoad::BadEncoding) << bytes.left(60).toStdString();
    }
}

TEST(GpxReader, MalformedAndUnreadable) {
    const QByteArray good = gpx("<wpt lat=\"1\" lon=\"1\"><name>a</name></wpt>");
    const std::vector<std::pair<QByteArray, XmlLoad>> cases{
        {good.left(good.size() - 3), XmlLoad::Malformed}, {good.left(40), XmlLoad::Malformed},
        {"<gpx><wpt></trk></gpx>", XmlLoad::Malformed},   {"<gpx/><gpx/>", XmlLoad::Malformed},
        {"", XmlLoad::Malformed},                         {"   \n", XmlLoad::Malformed},
        {"plain text", XmlLoad::Malformed},               {"<!-- c --><gpx/><!-- d -->", XmlLoad::Ok},
        {good, XmlLoad::Ok},
    };
    for (const auto& [bytes, expected] : cases) {
        XmlDocument doc;
        EXPECT_EQ(load(doc, bytes), expected) << bytes.toStdString();
        EXPECT_EQ(bool(doc.root()), expected == XmlLoad::Ok);
        for (const std::size_t chunk : {XmlSource::kChunk, std::size_t(1)})
            EXPECT_EQ(streamLoad(XmlSource::bytes(view(bytes), chunk)), expected) << bytes.toStdString();
    }

    // A walk that meets the fault after items were handed on ends in a read failure.
    RecordingSink sink;
    const QByteArray cut = gpx(QByteArray("<trk><trkseg>") + QByteArray("<trkpt lat=\"1\" lon=\"2\"/>").repeated(20000));
    EXPECT_TRUE(estRacineGpx(XmlSource::bytes(view(cut))));
    EXPECT_EQ(parcourtGpx(XmlSource::bytes(view(cut)), 0, sink), Flow::ReadFailure);

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    XmlDocument doc;
    EXPECT_EQ(doc.loadFile(dir.filePath("missing.gpx")), XmlLoad::Unreadable);
    EXPECT_EQ(doc.loadFile(dir.path()), XmlLoad::Unreadable);
    EXPECT_EQ(streamLoad(XmlSource::file(dir.filePath("missing.gpx"))), XmlLoad::Unreadable);
    EXPECT_EQ(streamLoad(XmlSource::file(dir.path())), XmlLoad::Unreadable);
    const QString path = dir.filePath(QString::fromUtf8("l'été.gpx"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(good);
    f.close();
    ASSERT_EQ(doc.loadFile(path), XmlLoad::Ok);
    EXPECT_TRUE(estRacineGpx(XmlSource::file(path)));
    RecordingSink fromFile;
    EXPECT_EQ(parcourtGpx(XmlSource::file(path, 5), 0, fromFile), Flow::Continue);
    EXPECT_EQ(fromFile.items, QStringList{"wpt 1,1 ele=- date=- name=\"a\" desc=-"});
}

TEST(GpxReader, WaypointsBeforeTracksAreReadInFileOrderAndLateHeadersFollow) {
    const QByteArray tracks = "<trk><desc>d</desc><trkseg><trkpt lat=\"1\" lon=\"2\"/></trkseg><name>late</name></trk>"
                              "<trk><name>N</name></trk>";
    const QByteArray routes = "<rte><rtept lat=\"5\" lon=\"6\"/><name>R</name></rte>";
    const QStringList waypoint{"wpt 4,3 ele=- date=- name=- desc=-"};
    const QStringList inOrder{"trk name=- desc=\"d\"", "pt 2,1 ele=- date=-", "hdr name=\"late\" desc=\"d\"",
                              "trk name=\"N\" desc=-", "trk name=\"R\" desc=-", "pt 6,5 ele=- date=-"};
    const QStringList byKind{"trk name=\"late\" desc=\"d\"", "pt 2,1 ele=- date=-", "trk name=\"N\" desc=-",
                             "trk name=\"R\" desc=-", "pt 6,5 ele=- date=-"};
    const QByteArray wpt = "<wpt lat=\"3\" lon=\"4\"/>";
    // Any "<wpt" after the first track, even in a comment, has each kind read on its own.
    EXPECT_EQ(walk(gpx(routes + wpt + tracks)), waypoint + inOrder);
    EXPECT_EQ(walk(gpx(wpt + tracks + "<!-- <wpt -->" + routes)), waypoint + byKind);
    EXPECT_EQ(walk(gpx(tracks + routes + wpt)), waypoint + byKind);
    EXPECT_EQ(walk(gpx(tracks + "<g:wpt lat=\"3\" lon=\"4\"/>" + routes, "g:gpx xmlns:g=\"urn:g\"")), waypoint + byKind);
}

// Files from careless writers: the stream mends what a strict parser refuses, and reads
// the name that the whole-document reader reads.
TEST(GpxReader, MendedFaultsReadAsTheWholeDocumentReaderReadsThem) {
    const std::vector<QByteArray> names{
        "Fish & Chips", "A&B", "&", "a &nbsp; b", "&unknown;", "&amp;&lt;&gt;&quot;&apos;", "&#233;&#xE9;",
        "caf\xE9",  // Latin-1 in a UTF-8 file
        "\xC3\xA9t\xC3", "<![CDATA[a & b]]>", "a<!-- & -->b", "x<?pi & ?>y", " lead", "&#;", "&#x;", "&a b;",
        "\xF0\x9F\x98\x80",
    };
    for (const QByteArray& name : names) {
        const QByteArray doc = "<gpx><wpt lat=\"1\" lon=\"1\"><name>" + name + "</name></wpt></gpx>";
        XmlDocument whole;
        ASSERT_EQ(load(whole, doc), XmlLoad::Ok) << name.toStdString();
        const QString expected =
            QString::fromStdString(xmlText(whole.root().child("wpt").child("name")));
        const QStringList items = walk(doc);
        ASSERT_EQ(items.size(), 1) << name.toStdString();
        EXPECT_EQ(items[0], QStringLiteral("wpt 1,1 ele=- date=- name=\"%1\" desc=-").arg(expected)) << name.toStdString();
    }
    // Control characters and references to them, which the whole-document reader keeps,
    // become U+FFFD rather than refuse the file.
    for (const QByteArray& name : {QByteArray("a\x01" "b"), QByteArray("a&#1;b"), QByteArray("a&#xFFFE;b")})
        EXPECT_EQ(walk("<gpx><wpt lat=\"1\" lon=\"1\"><name>" + name + "</name></wpt></gpx>"),
                  QStringList{QString::fromUtf8("wpt 1,1 ele=- date=- name=\"a\xEF\xBF\xBD" "b\" desc=-")})
            << name.toStdString();
}
