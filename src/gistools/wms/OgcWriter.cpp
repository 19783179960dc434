#include "OgcWriter.h"

namespace sotrix {

QString nombreOgc(double v) {
    QString s = QString::number(v, 'g', 15);
    if (s.startsWith(QLatin1String("0.")))
        s.remove(0, 1);
    else if (s.startsWith(QLatin1String("-0.")))
        s.remove(1, 1);
    return s;
}

QString echappeXml(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        switch (c.unicode()) {
        case '&': out += QLatin1String("&amp;"); break;
        case '<': out += QLatin1String("&lt;"); break;
        case '>': out += QLatin1String("&gt;"); break;
        case '"': out += QLatin1String("&quot;"); break;
        default: out += c;
        }
    }
    return out;
}

QByteArray texteOgc(const ContenuOgc& c) {
    QString t;
    const auto line = [&t](const QString& text) { t += text + QLatin1String("\r\n"); };
    const auto element = [&](int indent, const char* name, const QString& value) {
        line(QString(indent, u' ') + u'<' + QLatin1String(name) + u'>' + echappeXml(value) + QLatin1String("</") +
             QLatin1String(name) + u'>');
    };
    line(QStringLiteral("<wms_client_config>"));
    element(2, "wms_version", c.version);
    element(2, "online_resource", c.onlineResource);
    line(QStringLiteral("  <image_format_list>"));
    for (const QString& f : c.formats) element(4, "image_format", f);
    line(QStringLiteral("  </image_format_list>"));
    element(2, "srs", QStringLiteral("EPSG:") + QString::number(c.epsg));
    line(QStringLiteral("  <extents minx=\"%1\" miny=\"%2\" maxx=\"%3\" maxy=\"%4\"></extents>")
             .arg(nombreOgc(c.extent.minX), nombreOgc(c.extent.minY), nombreOgc(c.extent.maxX),
                  nombreOgc(c.extent.maxY)));
    line(QStringLiteral("  <layer_list>"));
    for (const QString& l : c.layers) element(4, "layer", l);
    line(QStringLiteral("  </layer_list>"));
    line(QStringLiteral("</wms_client_config>"));
    return t.toUtf8();
}

}  // namespace sotrix
