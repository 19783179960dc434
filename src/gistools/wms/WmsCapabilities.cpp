#include "WmsCapabilities.h"

#include "NumberText.h"
#include "Xml.h"

#include <algorithm>
#include <array>

namespace sotrix {
namespace {

constexpr int kProfondeurMax = 64;

class Reader {
public:
    explicit Reader(pugi::xml_node root) : names_(root) {}

    bool is(pugi::xml_node n, std::string_view name) const { return n.type() == pugi::node_element && names_.matches(n, name); }

    pugi::xml_node child(pugi::xml_node parent, std::string_view name) const {
        for (pugi::xml_node n = parent.first_child(); n; n = n.next_sibling())
            if (is(n, name)) return n;
        return {};
    }

    // Every parent/child... path below start, in document order.
    void collect(pugi::xml_node start, const std::vector<std::string_view>& path, std::size_t depth,
                 std::vector<pugi::xml_node>& out) const {
        if (depth == path.size()) {
            out.push_back(start);
            return;
        }
        for (pugi::xml_node n = start.first_child(); n; n = n.next_sibling())
            if (is(n, path[depth])) collect(n, path, depth + 1, out);
    }

    // The Layer elements the walk can reach from layer, itself included: room enough for
    // its records, so that the list of a large document is never copied as it grows.
    std::size_t count(pugi::xml_node layer, int depth = 0) const {
        std::size_t n = 1;
        if (depth < kProfondeurMax)
            for (pugi::xml_node c = layer.first_child(); c; c = c.next_sibling())
                if (is(c, "Layer")) n += count(c, depth + 1);
        return n;
    }

    // Each child layer leaves the document once walked, so that the records fill the
    // room it gave back rather than adding to the whole document.
    void walk(pugi::xml_node layer, WmsCapabilities& caps, int depth = 0) const {
        if (isContainer(layer)) {
            // Nesting beyond any real server's is not followed, so that no document can
            // exhaust the stack.
            if (depth >= kProfondeurMax) return;
            for (pugi::xml_node n = layer.first_child(); n; n = n.next_sibling())
                if (is(n, "SRS"))
                    for (qint32 code : codesSrs(text(n))) addCode(caps, code);
            for (pugi::xml_node n = layer.first_child(), next; n; n = next) {
                next = n.next_sibling();
                if (!is(n, "Layer")) continue;
                walk(n, caps, depth + 1);
                layer.remove_child(n);
            }
            return;
        }
        WmsLayer record;
        record.title = text(child(layer, "Title"));
        record.name = text(child(layer, "Name"));
        const std::vector<qint32> own = codesSrs(text(child(layer, "SRS")));
        record.srs = !own.empty() ? own.front() : caps.codes.empty() ? 0 : caps.codes.front();
        addCode(caps, record.srs);
        const pugi::xml_node box = child(layer, "LatLonBoundingBox");
        if (!box) return;
        const std::array<std::pair<const char*, double*>, 4> fields{
            {{"minx", &record.minx}, {"maxx", &record.maxx}, {"miny", &record.miny}, {"maxy", &record.maxy}}};
        for (const auto& [attribute, field] : fields) {
            const pugi::xml_attribute a = box.attribute(attribute);
            if (!a) return;
            const auto v = nombreEnTete(a.value());
            if (!v) return;
            *field = *v;
        }
        caps.layers.push_back(record);
    }

    static QString text(pugi::xml_node element) {
        return element ? QString::fromStdString(xmlText(element)).trimmed() : QString();
    }

private:
    // A Layer child, and noSubsets absent or reading as 0.
    bool isContainer(pugi::xml_node layer) const {
        if (!child(layer, "Layer")) return false;
        const pugi::xml_attribute noSubsets = layer.attribute("noSubsets");
        if (!noSubsets) return true;
        const auto v = nombreEnTete(noSubsets.value());
        return v && *v == 0;
    }

    static void addCode(WmsCapabilities& caps, qint32 code) {
        if (std::find(caps.codes.begin(), caps.codes.end(), code) == caps.codes.end()) caps.codes.push_back(code);
    }

    XmlNames names_;
};

}  // namespace

std::vector<qint32> codesSrs(const QString& text) {
    std::vector<qint32> out;
    const auto blank = [](QChar c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); };
    for (qsizetype end = 0, start = 0; start < text.size(); start = end) {
        while (start < text.size() && blank(text[start])) ++start;
        for (end = start; end < text.size() && !blank(text[end]);) ++end;
        if (end == start) break;
        const QStringView token = QStringView(text).sliced(start, end - start);
        const qsizetype colon = token.indexOf(u':');
        const QStringView digits = colon < 0 ? token : token.sliced(colon + 1);
        bool ok = false;
        const qint32 code = digits.toInt(&ok);
        // toInt takes a sign and nothing else beyond digits; a "+" or blank would not pass.
        if (ok && !digits.isEmpty() && (digits[0].isDigit() || digits[0] == u'-')) out.push_back(code);
    }
    return out;
}

std::optional<WmsCapabilities> lireCapabilities(const QByteArray& reply) {
    const qsizetype start = reply.indexOf("<?xml");
    if (start < 0) return std::nullopt;
    XmlDocument doc;
    if (doc.loadBytes(reply.constData() + start, std::size_t(reply.size() - start)) != XmlLoad::Ok) return std::nullopt;
    const pugi::xml_node root = doc.root();
    const Reader reader(root);
    if (!reader.is(root, "WMT_MS_Capabilities")) return std::nullopt;
    const pugi::xml_attribute version = root.attribute("version");
    if (!version) return std::nullopt;

    WmsCapabilities caps;
    caps.version = QString::fromUtf8(version.value());
    std::vector<pugi::xml_node> nodes;
    reader.collect(root, {"Capability", "Request", "GetMap", "Format"}, 0, nodes);
    for (pugi::xml_node n : nodes) caps.formats << Reader::text(n);
    if (caps.formats.isEmpty()) return std::nullopt;
    nodes.clear();
    reader.collect(root, {"Capability", "Layer"}, 0, nodes);
    std::size_t room = 0;
    for (pugi::xml_node n : nodes) room += reader.count(n);
    caps.layers.reserve(room);
    for (pugi::xml_node n : nodes) reader.walk(n, caps);
    return caps;
}

}  // namespace sotrix
