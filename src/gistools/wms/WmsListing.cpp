#include "WmsListing.h"

#include "Database.h"

#include <QLocale>

#include <optional>

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
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    const auto number = [&](double v) { return locale.toString(v, 'g', 15); };

    Statement lookup = db.prepare(QStringLiteral("SELECT \"Desc\" FROM Proj WHERE Epsg = ?1"));
    ListeWms out;
    for (std::size_t i = 0; i < caps.layers.size(); ++i) {
        const WmsLayer& l = caps.layers[i];
        if (l.title.isEmpty() || l.name.isEmpty()) continue;
        const auto desc = descProj(lookup, l.srs);
        if (!desc) continue;
        out.lignes.push_back({l.title + QStringLiteral(" - projection : ") + *desc + QStringLiteral(" - X : ") +
                                  number(l.minx) + QStringLiteral(" ; ") + number(l.maxx) + QStringLiteral(" - Y : ") +
                                  number(l.miny) + QStringLiteral(" ; ") + number(l.maxy),
                              int(i)});
    }
    for (qint32 code : caps.codes)
        if (const auto desc = descProj(lookup, code)) out.systemes.push_back({*desc, code});
    return out;
}

}  // namespace sotrix
