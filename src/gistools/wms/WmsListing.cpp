#include "WmsListing.h"

#include "Database.h"

#include <QLocale>

#include <optional>
#include <unordered_map>

namespace sotrix {
namespace {

std::optional<QString> descProj(Statement& lookup, qint32 epsg) {
    lookup.reset();
    lookup.bind({epsg});
    if (!lookup.step()) return std::nullopt;
    return lookup.value(0).toString();
}

}  // namespace

ListeWms listeWms(Database& db, const WmsCapabilities& caps) {
    Statement lookup = db.prepare(QStringLiteral("SELECT \"Desc\" FROM Proj WHERE Epsg = ?1"));
    std::unordered_map<qint32, std::optional<QString>> descs;
    const auto desc = [&](qint32 code) -> const std::optional<QString>& {
        auto it = descs.find(code);
        if (it == descs.end()) it = descs.emplace(code, descProj(lookup, code)).first;
        return it->second;
    };
    ListeWms out;
    for (std::size_t i = 0; i < caps.layers.size(); ++i) {
        const WmsLayer& l = caps.layers[i];
        if (l.title.isEmpty() || l.name.isEmpty()) continue;
        if (const auto& d = desc(l.srs)) out.lignes.push_back({int(i), *d});
    }
    for (qint32 code : caps.codes)
        if (const auto& d = desc(code)) out.systemes.push_back({*d, code});
    return out;
}

QString texteLigne(const WmsLayer& l, const QString& desc) {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    const auto number = [&](double v) { return locale.toString(v, 'g', 15); };
    return l.title + QStringLiteral(" - projection : ") + desc + QStringLiteral(" - X : ") + number(l.minx) +
           QStringLiteral(" ; ") + number(l.maxx) + QStringLiteral(" - Y : ") + number(l.miny) + QStringLiteral(" ; ") +
           number(l.maxy);
}

}  // namespace sotrix
