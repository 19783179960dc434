#include "WmsAddress.h"

#include <QUrl>

namespace sotrix {

std::optional<AdresseWms> adresseWms(const QString& typed) {
    if (typed.isEmpty()) return std::nullopt;
    const QString address = typed.contains(QLatin1String("://")) ? typed : QStringLiteral("http://") + typed;
    const QUrl url(address);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || url.port() == 0 ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return std::nullopt;

    static const QString query = QStringLiteral("SERVICE=WMS&VERSION=1.1.1&REQUEST=GetCapabilities");
    const qsizetype mark = address.indexOf(u'?');
    AdresseWms out;
    if (mark < 0)
        out.requete = address + u'?' + query;
    else if (mark < address.size() - 1)
        out.requete = address + u'&' + query;
    else
        out.requete = address + query;
    out.onlineResource = mark < 0 ? address + u'?' : address;
    return out;
}

}  // namespace sotrix
