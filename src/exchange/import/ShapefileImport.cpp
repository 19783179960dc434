#include "ShapefileImport.h"

#include "FichierVoisin.h"
#include "State.h"

#include <QFile>
#include <QFileInfo>

#include <charconv>

namespace sotrix {

namespace {

using shapefile::CPart;
using shapefile::CPoint;
using shapefile::CPolygon;
using shapefile::CPolyLine;
using shapefile::IShape;

constexpr std::int32_t kPoints = 1;
constexpr std::int32_t kLignes = 3;
constexpr std::int32_t kPolygones = 5;

// The points of a part as they are stored: a ring loses the closing copy of its first
// vertex, unless it is all there is to the ring besides that vertex.
std::int32_t pointsGardes(const CPart& part, bool anneau) {
    const std::int32_t n = part.count();
    if (!anneau || n < 3) return n;
    const CPoint& premier = *part.item(1);
    const CPoint& dernier = *part.item(n);
    return premier.x() == dernier.x() && premier.y() == dernier.y() ? n - 1 : n;
}

template <class Shape>
Flow parties(const Shape& shape, const std::optional<QString>& nom, bool anneaux, LectureSink& sink) {
    const std::int32_t n = shape.count();
    std::int32_t numero = 0;
    for (const auto& part : shape) {
        ++numero;
        TraceLue trace;
        trace.nom = nom;
        trace.fermer = anneaux;
        if (n >= 2) trace.suffixe = QString::number(numero);
        if (sink.trackStart(trace) == Flow::Stop) return Flow::Stop;
        const std::int32_t gardes = pointsGardes(*part, anneaux);
        std::int32_t k = 0;
        for (const auto& p : *part) {
            if (++k > gardes) break;
            PointLu lu;
            lu.a = p->x();
            lu.b = p->y();
            if (sink.trackPoint(lu) == Flow::Stop) return Flow::Stop;
        }
    }
    return Flow::Continue;
}

}  // namespace

std::optional<QString> texteNomDbase(const DbaseTable& table, std::int64_t ligne, int champ) {
    if (table.isNull(ligne, champ)) return std::nullopt;
    const char type = table.fields()[std::size_t(champ)].type;
    if (type == 'N' || type == 'F') {
        if (const auto v = table.number(ligne, champ)) {
            char chiffres[400];
            const auto r = std::to_chars(chiffres, chiffres + sizeof chiffres, *v, std::chars_format::fixed);
            if (r.ec == std::errc()) return QString::fromLatin1(chiffres, r.ptr - chiffres);
        }
    }
    QString texte = table.text(ligne, champ);
    if (type != 'C') texte = texte.trimmed();
    if (texte.trimmed().isEmpty()) return std::nullopt;
    return texte;
}

bool typeShapefileLu(const shapefile::CShapeFile& shp) {
    const std::int32_t type = shp.baseType();
    return type == kPoints || type == kLignes || type == kPolygones;
}

Flow parcourtShapefile(shapefile::CShapeFile& shp, const DbaseTable& table, int champNom, LectureSink& sink) {
    const std::int32_t type = shp.baseType();
    const std::int64_t lignes = table.recordCount();
    for (std::int32_t i = 1; i <= shp.count(); ++i) {
        const std::shared_ptr<IShape> shape = shp.itemXY(i);
        if (!shape || shape->isNull()) continue;
        const std::int64_t ligne = i - 1;
        const std::optional<QString> nom =
            ligne < lignes ? texteNomDbase(table, ligne, champNom) : std::optional<QString>();
        Flow flow = Flow::Continue;
        if (type == kPoints) {
            const auto& p = static_cast<const CPoint&>(*shape);
            WaypointLu w;
            w.a = p.x();
            w.b = p.y();
            w.nom = nom;
            flow = sink.waypoint(w);
        } else if (type == kLignes) {
            flow = parties(static_cast<const CPolyLine&>(*shape), nom, false, sink);
        } else if (type == kPolygones) {
            flow = parties(static_cast<const CPolygon&>(*shape), nom, true, sink);
        }
        if (flow == Flow::Stop) return Flow::Stop;
    }
    return Flow::Continue;
}

bool ShapefileImport::ouvre(const QString& path) {
    const QString absolu = QFileInfo(path).absoluteFilePath();
    shapefile::CFileName nom;
    nom.setFileSpec(QFile::encodeName(absolu).toStdString());
    shp_.setFileSpec(nom, shapefile::CShapeFile::Status::Open);
    if (!typeShapefileLu(shp_)) return false;
    const auto dbf = fichierVoisin(absolu, QStringLiteral("dbf"));
    if (!dbf) return false;
    table_.emplace(DbaseTable::open(*dbf));
    champ_ = table_->fieldIndex(state().champNom);
    return champ_ >= 0;
}

Flow ShapefileImport::lit(PointStore& store, bool) {
    LignesIgnorees aucune;  // a shapefile has no lines to pass over
    StoreLectureSink sink(store, state().projImport == 1 ? SourceSysteme::Carte : SourceSysteme::Gps, aucune);
    return parcourtShapefile(shp_, *table_, champ_, sink);
}

}  // namespace sotrix
