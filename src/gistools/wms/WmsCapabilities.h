#pragma once
// Reads a WMS 1.1.1 capabilities document into what the WMS tool offers: the server's
// version, its GetMap formats, the layers it can draw and the coordinate systems met on
// the way. Pure: bytes in, records or a refusal out.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace sotrix {

// One drawable layer of the server, in the order of the walk.
struct WmsLayer {
    QString title;  // its Title, "" when absent
    QString name;   // its Name, the identifier asked of the server; "" when absent
    qint32 srs = 0; // EPSG code of its first system, or the inherited fallback
    double minx = 0, maxx = 0, miny = 0, maxy = 0;  // LatLonBoundingBox, degrees
};

struct WmsCapabilities {
    QString version;
    QStringList formats;            // GetMap formats, document order
    std::vector<WmsLayer> layers;
    std::vector<qint32> codes;      // distinct EPSG codes, order of first appearance
};

// The document starts at the first "<?xml" of the reply (headers or other text before it
// are skipped). Refused: no declaration, text that does not parse, a root other than
// WMT_MS_Capabilities or without a version, no GetMap format.
std::optional<WmsCapabilities> lireCapabilities(const QByteArray& reply);

// The EPSG codes an SRS text names: each blank-separated token's part after its first ":"
// (the whole token without one) when that is a whole number in the 32-bit range.
// "EPSG:4326 EPSG:31370" gives both; "AUTO:42001,9001,0,0" and "CRS:84" give none.
std::vector<qint32> codesSrs(const QString& text);

}  // namespace sotrix
