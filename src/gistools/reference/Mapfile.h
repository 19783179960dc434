#pragma once
// The MapServer mapfile of the reference layer ("sotrix.map"), built in memory: one map
// with a JPEG output format and one layer named "Fond", in one of four layouts chosen by
// the layer kind: vector (1), raster (2 to 5), tile index (6) and WMS (7). Lines end
// with CR LF and are indented two blanks per level; the text is UTF-8. The extent is a
// placeholder: each rendering gives the visible one.

#include "GdalInfoReport.h"
#include "OgcConfig.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace sotrix {

// The layer kinds, as the positions of the reference layer's file filters.
enum class LayerKind : int {
    Shapefile = 1,
    GeoTiff = 2,
    Jpeg = 3,
    ErdasImagine = 4,
    EsriBil = 5,
    RasterCatalog = 6,
    Wms = 7,
};

enum class VectorStyle { Point, Line, Polygon };

// The style of a shapefile's stored shape type: types with Z or M take the style of
// their base type (11, 21, 18, 28 point; 13, 23 line; 15, 25 polygon). nullopt for
// every other type, which cannot be drawn.
std::optional<VectorStyle> styleVecteur(qint32 shapeType);

struct MapfileRequest {
    int kind = 0;            // typeCoucheRef
    QString path;            // the layer's file
    qint32 colour = 0;       // 0x00BBGGRR, the vector layer's colour
    int widthTwips = 0;      // the map picture's size, in twips (15 per pixel)
    int heightTwips = 0;
    qint32 shapeType = 0;    // kind 1: the shapefile's type
    bool huitBits = true;    // kinds 2 to 5: every band is 8-bit; others are scaled to it
    std::optional<PlageValeurs> echelle;  // kind 6: the values stretched to 8 bits, if any
    const WmsClientConfig* wms = nullptr;  // kind 7
    QString programFolder;   // kind 7: where MapServer may keep its temporary files
};

// The text of the mapfile; nullopt when the layer cannot be written: an unknown kind, a
// shape type without style, a WMS element missing, or a quoted value holding CR, LF or
// NUL. Quoted values have "\" and "\"" escaped with a backslash.
std::optional<QByteArray> texteMapfile(const MapfileRequest& request);

}  // namespace sotrix
