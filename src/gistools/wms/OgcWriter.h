#pragma once
// Writes a WMS configuration file (".ogc"), the document OgcConfig.h reads: one element a
// line, CR LF line ends, UTF-8 without declaration or byte-order mark, every text escaped.

#include "LayerExtent.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace sotrix {

struct ContenuOgc {
    QString version;
    QString onlineResource;
    QStringList formats;
    qint32 epsg = 0;
    LayerExtent extent;
    QStringList layers;  // the layers' names, as the server knows them
};

QByteArray texteOgc(const ContenuOgc& c);

// A number of the file: "." as separator, up to 15 significant digits, and no zero
// before the point (0.5 gives ".5", -0.5 "-.5").
QString nombreOgc(double v);

// Text or attribute value with &, <, > and " escaped.
QString echappeXml(const QString& text);

}  // namespace sotrix
