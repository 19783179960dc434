#pragma once
// Reads a WMS configuration file (".ogc"): the root wms_client_config with the
// layer's extent and what a WMS client needs to ask the server for pictures. The
// document is only read: nothing is fetched.
//
//   <wms_client_config>
//     <wms_version>1.1.1</wms_version>
//     <online_resource>http://host/wms?</online_resource>
//     <image_format_list><image_format>image/png</image_format>...</image_format_list>
//     <srs>EPSG:31370</srs>
//     <extents minx="..." miny="..." maxx="..." maxy="..."></extents>
//     <layer_list><layer>name</layer>...</layer_list>
//   </wms_client_config>

#include "LayerExtent.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace sotrix {

// The server's side of a WMS layer. A missing element stays empty (nullopt, or no
// entry in a list); the mapfile refuses a configuration that lacks one.
struct WmsClientConfig {
    std::optional<QString> onlineResource;
    std::optional<QString> srs;
    QStringList layers;  // document order
    std::optional<QString> version;
    QStringList formats;  // document order
};

struct OgcConfig {
    // The extents element; nullopt without it or when one of its four attributes is
    // absent. Each attribute counts by its leading number ("abc" is 0).
    std::optional<LayerExtent> extents;
    WmsClientConfig wms;
};

// Any bytes: a document that cannot be parsed reads as an empty one. Element texts are
// taken with surrounding white space trimmed.
OgcConfig lireConfigurationOgc(const QByteArray& bytes);

}  // namespace sotrix
