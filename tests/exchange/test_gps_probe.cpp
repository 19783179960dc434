// The look into "gps.gpx" that tells a download with no data from one to import.

#include "GpxProbe.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace sotrix {
namespace {

TEST(GpxProbe, TellsAnEmptyGpxFromOneWithData) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("gps.gpx"));
    auto probe = [&](const QByteArray& content) {
        QFile f(file);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
        f.close();
        return gpxSansDonnees(file);
    };
    const QByteArray head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    // What GPSBabel writes from a receiver that sent nothing.
    EXPECT_TRUE(probe(head + "<gpx version=\"1.0\" xmlns=\"http://www.topografix.com/GPX/1/0\">\n"
                             "  <time>2024-01-01T00:00:00Z</time>\n</gpx>\n"));
    EXPECT_TRUE(probe(head + "<gpx/>"));
    // Foreign elements are not data.
    EXPECT_TRUE(probe(head + "<gpx xmlns:x=\"urn:x\"><x:wpt lat=\"1\" lon=\"2\"/><metadata><wpt/></metadata></gpx>"));
    for (const char* kind : {"wpt", "trk", "rte"})
        EXPECT_FALSE(probe(head + "<gpx><time>t</time><" + kind + "/></gpx>")) << kind;
    EXPECT_FALSE(probe(head + "<g:gpx xmlns:g=\"urn:g\"><g:trk/></g:gpx>"));
    // Files the import must judge itself.
    EXPECT_FALSE(probe(head + "<kml/>"));
    EXPECT_FALSE(probe(head + "<gpx><time>"));
    EXPECT_FALSE(probe({}));
    EXPECT_FALSE(gpxSansDonnees(dir.filePath(QStringLiteral("absent.gpx"))));
}

}  // namespace
}  // namespace sotrix
