#include "GpxProbe.h"

#include <QFile>
#include <QXmlStreamReader>

namespace sotrix {

namespace {

// An element matches a GPX name unprefixed, or with the root's own prefix.
bool matches(const QXmlStreamReader& xml, const QString& rootPrefix, QStringView name) {
    if (xml.name() != name) return false;
    return xml.prefix().isEmpty() || xml.prefix() == rootPrefix;
}

}  // namespace

bool gpxSansDonnees(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    QXmlStreamReader xml(&file);
    if (!xml.readNextStartElement()) return false;
    const QString rootPrefix = xml.prefix().toString();
    if (!matches(xml, rootPrefix, u"gpx")) return false;
    while (xml.readNextStartElement()) {
        if (matches(xml, rootPrefix, u"wpt") || matches(xml, rootPrefix, u"trk") ||
            matches(xml, rootPrefix, u"rte"))
            return false;
        xml.skipCurrentElement();
    }
    return !xml.hasError();
}

}  // namespace sotrix
