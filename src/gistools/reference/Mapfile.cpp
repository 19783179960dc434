#include "Mapfile.h"

#include "Divers.h"
#include "NumberText.h"

#include <initializer_list>

namespace sotrix {
namespace {

// Accumulates the lines; a value that cannot be quoted spoils the whole text.
class MapText {
public:
    void line(int level, const QString& text) {
        text_ += QString(level * 2, QLatin1Char(' '));
        text_ += text;
        text_ += QStringLiteral("\r\n");
    }
    void lines(int level, std::initializer_list<const char*> texts) {
        for (const char* t : texts) line(level, QString::fromLatin1(t));
    }
    // A double-quoted string for MapServer's parser.
    QString quoted(const QString& value) {
        if (value.contains(QLatin1Char('\r')) || value.contains(QLatin1Char('\n')) || value.contains(QChar(0)))
            ok_ = false;
        QString v = value;
        v.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
        v.replace(QLatin1Char('"'), QStringLiteral("\\\""));
        return QLatin1Char('"') + v + QLatin1Char('"');
    }
    std::optional<QByteArray> result() const {
        if (!ok_) return std::nullopt;
        return text_.toUtf8();
    }

private:
    QString text_;
    bool ok_ = true;
};

void header(MapText& m, const MapfileRequest& r, bool webBlock) {
    m.line(0, QStringLiteral("MAP"));
    m.line(1, QStringLiteral("SIZE %1 %2").arg(r.widthTwips / 10).arg(r.heightTwips / 10));
    m.line(1, QStringLiteral("EXTENT 0 0 1 1"));
    if (webBlock) {
        m.line(1, QStringLiteral("WEB"));
        m.line(2, QStringLiteral("IMAGEPATH ") + m.quoted(r.programFolder));
        m.line(1, QStringLiteral("END"));
    }
    m.line(1, QStringLiteral("OUTPUTFORMAT"));
    m.lines(2, {"NAME jpeg", "DRIVER \"AGG/JPEG\"", "MIMETYPE \"image/jpeg\"", "IMAGEMODE RGB", "EXTENSION \"jpg\"",
                "FORMATOPTION \"QUALITY=100\""});
    m.line(1, QStringLiteral("END"));
    m.line(1, QStringLiteral("IMAGETYPE jpeg"));
}

QString rgb(qint32 colour) {
    qint32 red = 0, green = 0, blue = 0;
    couleurRVB(colour, red, green, blue);
    return QStringLiteral("%1 %2 %3").arg(red).arg(green).arg(blue);
}

void vectorLayer(MapText& m, const MapfileRequest& r, VectorStyle style) {
    m.line(1, QStringLiteral("SYMBOL"));
    m.lines(2, {"NAME \"circle\"", "TYPE ellipse", "FILLED True", "POINTS"});
    m.line(3, QStringLiteral("1 1"));
    m.line(2, QStringLiteral("END"));
    m.line(1, QStringLiteral("END"));
    m.line(1, QStringLiteral("LAYER"));
    m.line(2, QStringLiteral("NAME \"Fond\""));
    switch (style) {
    case VectorStyle::Point: m.line(2, QStringLiteral("TYPE POINT")); break;
    case VectorStyle::Line: m.line(2, QStringLiteral("TYPE LINE")); break;
    case VectorStyle::Polygon: m.line(2, QStringLiteral("TYPE POLYGON")); break;
    }
    m.line(2, QStringLiteral("STATUS DEFAULT"));
    m.line(2, QStringLiteral("DATA ") + m.quoted(r.path));
    m.line(2, QStringLiteral("CLASS"));
    m.line(3, QStringLiteral("STYLE"));
    if (style == VectorStyle::Point) {
        m.line(4, QStringLiteral("SYMBOL \"circle\""));
        m.line(4, QStringLiteral("COLOR ") + rgb(r.colour));
        m.line(4, QStringLiteral("SIZE 10"));
    } else {
        m.line(4, QStringLiteral("OUTLINECOLOR ") + rgb(r.colour));
        m.line(4, QStringLiteral("WIDTH 3"));
    }
    m.line(3, QStringLiteral("END"));
    m.line(2, QStringLiteral("END"));
    m.line(1, QStringLiteral("END"));
}

void rasterLayer(MapText& m, const MapfileRequest& r, bool tileIndex) {
    m.line(1, QStringLiteral("LAYER"));
    m.line(2, QStringLiteral("NAME \"Fond\""));
    if (tileIndex) {
        m.line(2, QStringLiteral("TILEINDEX ") + m.quoted(r.path));
        m.line(2, QStringLiteral("TILEITEM \"Location\""));
    } else {
        m.line(2, QStringLiteral("DATA ") + m.quoted(r.path));
    }
    m.line(2, QStringLiteral("TYPE RASTER"));
    m.line(2, QStringLiteral("STATUS DEFAULT"));
    // MapServer draws only 8-bit values as they stand; wider ones are stretched over the
    // range the view holds, or for a catalogue over the range of all its tiles, so that
    // neighbouring tiles match.
    if (!tileIndex && !r.huitBits) m.line(2, QStringLiteral("PROCESSING \"SCALE=AUTO\""));
    if (tileIndex && r.echelle)
        m.line(2, QStringLiteral("PROCESSING \"SCALE=%1,%2\"")
                      .arg(nombreCommande(r.echelle->min), nombreCommande(r.echelle->max)));
    m.line(1, QStringLiteral("END"));
}

// False when the configuration lacks an element.
bool wmsLayer(MapText& m, const WmsClientConfig& wms) {
    if (!wms.onlineResource || !wms.srs || wms.layers.isEmpty() || !wms.version || wms.formats.isEmpty())
        return false;
    m.line(1, QStringLiteral("LAYER"));
    m.lines(2, {"NAME \"Fond\"", "TYPE RASTER", "STATUS DEFAULT", "PROCESSING \"DITHER=YES\""});
    m.line(2, QStringLiteral("CONNECTION ") + m.quoted(*wms.onlineResource));
    m.line(2, QStringLiteral("CONNECTIONTYPE WMS"));
    m.line(2, QStringLiteral("METADATA"));
    m.line(3, QStringLiteral("\"wms_srs\" ") + m.quoted(*wms.srs));
    m.line(3, QStringLiteral("\"wms_name\" ") + m.quoted(wms.layers.join(QLatin1Char(','))));
    m.line(3, QStringLiteral("\"wms_server_version\" ") + m.quoted(*wms.version));
    m.line(3, QStringLiteral("\"wms_formatlist\" ") + m.quoted(wms.formats.join(QLatin1Char(','))));
    // A server's error comes back as an exception, not as a picture of its text.
    m.line(3, QStringLiteral("\"wms_exceptions_format\" \"application/vnd.ogc.se_xml\""));
    m.line(2, QStringLiteral("END"));
    m.line(1, QStringLiteral("END"));
    return true;
}

}  // namespace

std::optional<VectorStyle> styleVecteur(qint32 shapeType) {
    switch (shapeType) {
    case 1: case 8: case 11: case 18: case 21: case 28: return VectorStyle::Point;
    case 3: case 13: case 23: return VectorStyle::Line;
    case 5: case 15: case 25: return VectorStyle::Polygon;
    default: return std::nullopt;
    }
}

std::optional<QByteArray> texteMapfile(const MapfileRequest& r) {
    MapText m;
    switch (LayerKind(r.kind)) {
    case LayerKind::Shapefile: {
        const auto style = styleVecteur(r.shapeType);
        if (!style) return std::nullopt;
        header(m, r, false);
        vectorLayer(m, r, *style);
        break;
    }
    case LayerKind::GeoTiff:
    case LayerKind::Jpeg:
    case LayerKind::ErdasImagine:
    case LayerKind::EsriBil:
        header(m, r, false);
        rasterLayer(m, r, false);
        break;
    case LayerKind::RasterCatalog:
        header(m, r, false);
        rasterLayer(m, r, true);
        break;
    case LayerKind::Wms:
        if (!r.wms) return std::nullopt;
        header(m, r, true);
        if (!wmsLayer(m, *r.wms)) return std::nullopt;
        break;
    default:
        return std::nullopt;
    }
    m.line(0, QStringLiteral("END"));
    return m.result();
}

}  // namespace sotrix
