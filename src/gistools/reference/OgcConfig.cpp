#include "OgcConfig.h"

#include "NumberText.h"
#include "Xml.h"

#include <array>

namespace sotrix {
namespace {

// The first child element of that name, or an empty node.
pugi::xml_node child(const XmlNames& names, pugi::xml_node parent, std::string_view name) {
    for (pugi::xml_node n = parent.first_child(); n; n = n.next_sibling())
        if (names.matches(n, name)) return n;
    return {};
}

QString text(pugi::xml_node element) { return QString::fromStdString(xmlText(element)).trimmed(); }

std::optional<QString> optionalText(const XmlNames& names, pugi::xml_node root, std::string_view name) {
    const pugi::xml_node n = child(names, root, name);
    if (!n) return std::nullopt;
    return text(n);
}

// The texts of every root/list/item, in document order.
QStringList texts(const XmlNames& names, pugi::xml_node root, std::string_view list, std::string_view item) {
    QStringList out;
    for (pugi::xml_node parent = root.first_child(); parent; parent = parent.next_sibling()) {
        if (!names.matches(parent, list)) continue;
        for (pugi::xml_node n = parent.first_child(); n; n = n.next_sibling())
            if (names.matches(n, item)) out << text(n);
    }
    return out;
}

std::optional<LayerExtent> extents(pugi::xml_node element) {
    if (!element) return std::nullopt;
    std::array<double, 4> values{};
    const std::array<const char*, 4> attributes{"minx", "miny", "maxx", "maxy"};
    for (std::size_t i = 0; i < attributes.size(); ++i) {
        const pugi::xml_attribute a = element.attribute(attributes[i]);
        if (!a) return std::nullopt;
        const auto v = nombreEnTete(a.value());
        if (!v) return std::nullopt;
        values[i] = *v;
    }
    return LayerExtent{values[0], values[1], values[2], values[3]};
}

}  // namespace

OgcConfig lireConfigurationOgc(const QByteArray& bytes) {
    OgcConfig config;
    XmlDocument doc;
    if (doc.loadBytes(bytes.constData(), std::size_t(bytes.size())) != XmlLoad::Ok) return config;
    const pugi::xml_node root = doc.root();
    const XmlNames names(root);
    if (!names.matches(root, "wms_client_config")) return config;
    config.extents = extents(child(names, root, "extents"));
    config.wms.onlineResource = optionalText(names, root, "online_resource");
    config.wms.srs = optionalText(names, root, "srs");
    config.wms.layers = texts(names, root, "layer_list", "layer");
    config.wms.version = optionalText(names, root, "wms_version");
    config.wms.formats = texts(names, root, "image_format_list", "image_format");
    return config;
}

}  // namespace sotrix
