#include "ShapefileSetWriter.h"

#include "CFileName.h"
#include "CPart.h"
#include "CPoint.h"
#include "CPolyLine.h"
#include "CPolygon.h"
#include "CShapeFile.h"
#include "Database.h"
#include "DbaseTable.h"
#include "ExportDates.h"
#include "ExportFailure.h"
#include "ExportFiles.h"
#include "FichierCible.h"
#include "ShapefileSet.h"
#include "ShapeError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <system_error>
#include <vector>

namespace sotrix {

namespace {

using shapefile::CShapeFile;

constexpr std::int32_t kPoint = 1;
constexpr std::int32_t kPolyLine = 3;
constexpr std::int32_t kPolygon = 5;

constexpr int kTextWidth = 254;

std::optional<double> number(const QVariant& v) {
    if (v.isNull()) return std::nullopt;
    bool ok = false;
    const double d = v.toDouble(&ok);
    return ok ? std::optional<double>(d) : std::nullopt;
}

DbaseValue value(const std::optional<double>& v) { return v ? DbaseValue(*v) : DbaseValue(); }

DbaseValue value(const QVariant& v, const QString& text) { return v.isNull() ? DbaseValue() : DbaseValue(QStringView(text)); }

// DateMesure of a stored date, "dd/MM/yyyy HH:mm:ss"; empty (a blank field) without a date.
QString dateMesureOf(const QVariant& date) {
    const auto stored = date.isNull() ? std::nullopt : parseStoredDate(date.toString());
    return stored ? dateMesure(*stored) : QString();
}

DbaseValue textOrNull(const QString& text) { return text.isEmpty() ? DbaseValue() : DbaseValue(QStringView(text)); }

DbaseField text(const char* name, int width = kTextWidth) { return {QString::fromLatin1(name), 'C', width, 0}; }
DbaseField real(const char* name) { return {QString::fromLatin1(name), 'N', 20, 8}; }
DbaseField integer(const char* name) { return {QString::fromLatin1(name), 'N', 11, 0}; }

// A file of a set and its temporary name. The .shx is made beside the .shp's temporary
// file and the .cpg beside the .dbf's, under the same stem, by their writers.
struct SetFile {
    QString path;
    QString temp;
};

// The .shp, .shx, .dbf and .cpg of the set with that stem ("/d/x_w").
std::array<SetFile, 4> setFiles(const QString& stem) {
    const auto temp = [](const QString& path) { return temporaryPath(fichierCible(path).value_or(path)); };
    const auto beside = [](const QString& t, const char* ext) { return t.left(t.lastIndexOf(u'.') + 1) + QLatin1String(ext); };
    const QString shp = stem + QStringLiteral(".shp"), dbf = stem + QStringLiteral(".dbf");
    const QString shpTemp = temp(shp), dbfTemp = temp(dbf);
    return {{{shp, shpTemp},
             {stem + QStringLiteral(".shx"), beside(shpTemp, "shx")},
             {dbf, dbfTemp},
             {stem + QStringLiteral(".cpg"), beside(dbfTemp, "cpg")}}};
}

// Files that describe a set's content beside it: a projection (our sets carry none), and
// the spatial and attribute indexes of GIS tools. Those of a replaced set would tell of
// its old content: a stale spatial index hides the new shapes from every tool using it.
constexpr const char* kSideFiles[] = {"prj", "qpj", "qix", "sbn", "sbx", "fbn", "fbx", "ain", "aih", "atx", "idm", "ind"};

class SetsWriter {
public:
    SetsWriter(Database& db, const QString& nomFichier, const ShapefileSetExport& o)
        : db_(db), o_(o), base_(shapefileSetBase(nomFichier)),
          selected_(o.selectedOnly ? QStringLiteral(" AND Selected <> 0") : QString()),
          pair_(o.mapCoordinates ? QStringLiteral("X, Y") : QStringLiteral("Lon, Lat")),
          xName_(o.mapCoordinates ? "X" : "Lon"), yName_(o.mapCoordinates ? "Y" : "Lat") {
        files_.beforeRename = o.beforeRename;
    }

    void waypoints();
    void tracks(bool closed);
    void trackPoints();
    // Puts every set written in place at once; returns the side files that stayed.
    QStringList commit() { return files_.commit(); }

private:
    template <class Body>
    void writeSet(const char* suffix, std::int32_t type, const std::vector<DbaseField>& fields, Body body);
    // The record of one track: its points (read by trackPoints, prepared once per set) in
    // Num_trace order as one part, closed and turned clockwise for a polygon ring.
    void addTrackShape(CShapeFile& shp, Statement& trackPoints, qint64 id, bool closed);

    Database& db_;
    const ShapefileSetExport& o_;
    QString base_;
    QString selected_;
    QString pair_;
    const char* xName_;
    const char* yName_;
    ExportFiles files_;
};

template <class Body>
void SetsWriter::writeSet(const char* suffix, std::int32_t type, const std::vector<DbaseField>& fields, Body body) {
    const QString stem = base_ + QLatin1String(suffix);
    const std::array<SetFile, 4> set = setFiles(stem);
    const QString &shpPath = set[0].path, &dbfPath = set[2].path;
    for (const SetFile& f : set) files_.reserve(f.path, f.temp);
    // Beside the names chosen, and beside the files their links lead to.
    QStringList stems{stem};
    for (const QString& path : {shpPath, dbfPath}) {
        const QFileInfo target(replacedFile(path));
        stems << target.dir().filePath(target.completeBaseName());
    }
    stems.removeDuplicates();
    for (const QString& s : stems)
        for (const char* ext : kSideFiles) files_.removeAfter(s + QLatin1Char('.') + QLatin1String(ext));
    try {
        shapefile::CFileName name;
        name.setFileSpec(QFile::encodeName(set[0].temp).toStdString());
        CShapeFile shp;
        shp.setFileSpec(name, CShapeFile::Status::CreateIt, type);
        files_.hold(set[0].temp);
        files_.hold(set[1].temp);
        if (o_.onShapeFileCreated) o_.onShapeFileCreated(shp);
        DbaseTable dbf = DbaseTable::create(set[2].temp, fields, o_.lastModified);
        files_.hold(set[2].temp);
        files_.hold(set[3].temp);
        if (o_.onDbaseCreated) o_.onDbaseCreated(dbf);
        body(shp, dbf);
        shp.close();
        dbf.close();
    } catch (const shapefile::ShapeError& e) {
        throw ExportFileError(shpPath, QString::fromStdString(e.description()));
    } catch (const std::system_error& e) {
        throw ExportFileError(shpPath, QString::fromLocal8Bit(e.what()));
    } catch (const DbaseError& e) {
        throw ExportFileError(dbfPath, e.message());
    }
}

void SetsWriter::waypoints() {
    if (!db_.scalar(QStringLiteral("SELECT EXISTS (SELECT 1 FROM Points WHERE Trace = 0") + selected_ + ')').toBool())
        return;
    const std::vector<DbaseField> fields = {text("Nom"), real(xName_), real(yName_), real("Altitude"),
                                            text("DateMesure", 19), text("Description")};
    writeSet("_w", kPoint, fields, [&](CShapeFile& shp, DbaseTable& dbf) {
        Cursor c = db_.query(QStringLiteral("SELECT Nom, ") + pair_ +
                             QStringLiteral(", Altitude, Date, Description FROM Points WHERE Trace = 0") + selected_ +
                             QStringLiteral(" ORDER BY Id_point"));
        std::vector<DbaseValue> row(fields.size());
        while (c.next()) {
            const QVariant nom = c.value(0), date = c.value(4), description = c.value(5);
            const auto x = number(c.value(1)), y = number(c.value(2));
            shapefile::CPoint point(x.value_or(0), y.value_or(0));
            point.makeNull(!x || !y);
            shp.add(point);
            const QString nomText = nom.toString(), descriptionText = description.toString();
            const QString mesure = dateMesureOf(date);
            row[0] = value(nom, nomText);
            row[1] = value(x);
            row[2] = value(y);
            row[3] = value(number(c.value(3)));
            row[4] = textOrNull(mesure);
            row[5] = value(description, descriptionText);
            dbf.append(row);
        }
    });
}

void SetsWriter::tracks(bool closed) {
    const QString where = QStringLiteral(" FROM Trace WHERE (Fermer <> 0) = ?1") + selected_ +
                          QStringLiteral(" AND EXISTS (SELECT 1 FROM Points WHERE Points.Trace = Trace.Id_trace)");
    if (!db_.scalar(QStringLiteral("SELECT EXISTS (SELECT 1") + where + ')', {int(closed)}).toBool()) return;
    const std::vector<DbaseField> fields = {text("Nom"), text("Description")};
    writeSet(closed ? "_tp" : "_tl", closed ? kPolygon : kPolyLine, fields, [&](CShapeFile& shp, DbaseTable& dbf) {
        Cursor c = db_.query(QStringLiteral("SELECT Id_trace, Nom, Description") + where +
                                 QStringLiteral(" ORDER BY Id_trace"),
                             {int(closed)});
        Statement points = db_.prepare(QStringLiteral("SELECT ") + pair_ +
                                       QStringLiteral(" FROM Points WHERE Trace = ?1 ORDER BY Num_trace, Id_point"));
        std::vector<DbaseValue> row(fields.size());
        while (c.next()) {
            addTrackShape(shp, points, c.value(0).toLongLong(), closed);
            const QVariant nom = c.value(1), description = c.value(2);
            const QString nomText = nom.toString(), descriptionText = description.toString();
            row[0] = value(nom, nomText);
            row[1] = value(description, descriptionText);
            dbf.append(row);
        }
    });
}

void SetsWriter::addTrackShape(CShapeFile& shp, Statement& trackPoints, qint64 id, bool closed) {
    trackPoints.reset();
    trackPoints.bind({id});
    std::vector<double> xs, ys;
    while (trackPoints.step()) {
        const auto x = number(trackPoints.value(0)), y = number(trackPoints.value(1));
        if (x && y) {  // a vertex without coordinates has no place
            xs.push_back(*x);
            ys.push_back(*y);
        }
    }
    if (closed && !xs.empty()) {
        xs.push_back(xs.front());
        ys.push_back(ys.front());
        // Shoelace with Y up: a positive area is a counter-clockwise ring.
        double area2 = 0;
        for (std::size_t i = 0; i + 1 < xs.size(); ++i) area2 += xs[i] * ys[i + 1] - xs[i + 1] * ys[i];
        if (area2 > 0) {
            std::reverse(xs.begin(), xs.end());
            std::reverse(ys.begin(), ys.end());
        }
    }
    // A track without a located vertex is a null record: a part without points is no line.
    auto part = std::make_shared<shapefile::CPart>();
    part->addPoints(xs, ys);
    if (closed) {
        shapefile::CPolygon polygon;
        if (xs.empty()) polygon.makeNull(true);
        else polygon.add(part);
        shp.add(polygon);
    } else {
        shapefile::CPolyLine line;
        if (xs.empty()) line.makeNull(true);
        else line.add(part);
        shp.add(line);
    }
}

void SetsWriter::trackPoints() {
    if (!db_.scalar(QStringLiteral("SELECT EXISTS (SELECT 1 FROM Points WHERE Trace > 0") + selected_ + ')').toBool())
        return;
    const std::vector<DbaseField> fields = {integer("Trace"),  integer("Num_trace"),     real(xName_),       real(yName_),
                                            real("Altitude"), text("DateMesure", 19), text("Description")};
    writeSet("_tw", kPoint, fields, [&](CShapeFile& shp, DbaseTable& dbf) {
        Cursor c = db_.query(QStringLiteral("SELECT Trace, Num_trace, ") + pair_ +
                             QStringLiteral(", Altitude, Date, Description FROM Points WHERE Trace > 0") + selected_ +
                             QStringLiteral(" ORDER BY Id_point"));
        std::vector<DbaseValue> row(fields.size());
        shapefile::CPoint point;
        while (c.next()) {
            const QVariant numTrace = c.value(1), date = c.value(5), description = c.value(6);
            const auto x = number(c.value(2)), y = number(c.value(3));
            point.setX(x.value_or(0));
            point.setY(y.value_or(0));
            point.makeNull(!x || !y);
            shp.add(point);
            const QString descriptionText = description.toString(), mesure = dateMesureOf(date);
            row[0] = DbaseValue(std::int64_t(c.value(0).toLongLong()));
            row[1] = numTrace.isNull() ? DbaseValue() : DbaseValue(std::int64_t(numTrace.toLongLong()));
            row[2] = value(x);
            row[3] = value(y);
            row[4] = value(number(c.value(4)));
            row[5] = textOrNull(mesure);
            row[6] = value(description, descriptionText);
            dbf.append(row);
        }
    });
}

}  // namespace

QStringList ecritShapefiles(Database& db, const QString& nomFichier, const ShapefileSetExport& options) {
    // What a killed export left, also of the sets this one does not write.
    const QString base = shapefileSetBase(nomFichier);
    for (const QString& suffix : shapefileSetSuffixes())
        for (const SetFile& f : setFiles(base + suffix)) removeLeftover(f.temp, f.path);
    SetsWriter w(db, nomFichier, options);
    if (options.waypoints) w.waypoints();
    if (options.tracks) {
        if (options.tracksAsLines) {
            w.tracks(false);
            w.tracks(true);
        }
        if (options.tracksAsPoints) w.trackPoints();
    }
    return w.commit();
}

}  // namespace sotrix
