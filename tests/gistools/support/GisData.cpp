#include "GisData.h"

#include "NomsOctets.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <cstdio>

namespace sotrix::test {

bool runTool(const QString& program, const QStringList& args, QByteArray* output) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForStarted() || !p.waitForFinished(120000)) {
        ADD_FAILURE() << program.toStdString() << " did not run: " << p.errorString().toStdString();
        return false;
    }
    if (output) *output = p.readAllStandardOutput();
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString() << " " << args.join(QLatin1Char(' ')).toStdString()
                      << " failed: " << p.readAllStandardError().toStdString();
        return false;
    }
    return true;
}

QString GisData::path(const QString& name) const { return QDir(folder_).filePath(name); }

QString GisData::raster(const QString& name, const QStringList& options) {
    const QString out = path(name);
    return runTool(QStringLiteral("gdal_create"), QStringList(options) << QStringLiteral("-ot")
                                                                         << QStringLiteral("Byte") << out)
               ? out
               : QString();
}

namespace {
QStringList tileOptions(const QString& driver, const QStringList& bands, const char* ulx, const char* lrx) {
    QStringList o{QStringLiteral("-of"), driver, QStringLiteral("-outsize"), QStringLiteral("200"),
                  QStringLiteral("100"), QStringLiteral("-bands"), QString::number(bands.size())};
    for (const QString& b : bands) o << QStringLiteral("-burn") << b;
    o << QStringLiteral("-a_srs") << QStringLiteral("EPSG:31370") << QStringLiteral("-a_ullr")
      << QString::fromLatin1(ulx) << QStringLiteral("170000") << QString::fromLatin1(lrx) << QStringLiteral("169000");
    return o;
}
}  // namespace

QStringList GisData::tile1(const QString& driver) {
    return tileOptions(driver, {QStringLiteral("200"), QStringLiteral("100"), QStringLiteral("50")}, "150000",
                       "152000");
}

QStringList GisData::tile2(const QString& driver) {
    return tileOptions(driver, {QStringLiteral("7")}, "152000", "154000");
}

QStringList GisData::greyTile(const QString& driver, int value) {
    return tileOptions(driver, {QString::number(value)}, "150000", "152000");
}

QString GisData::shapefile(const QString& name, const QStringList& wkts, const QString& dim) {
    const QString csv = path(name + QStringLiteral(".csv"));
    QFile f(csv);
    if (!f.open(QIODevice::WriteOnly)) {
        ADD_FAILURE() << "cannot write " << csv.toStdString();
        return {};
    }
    f.write("id,WKT\n");
    for (int i = 0; i < wkts.size(); ++i) f.write(QStringLiteral("%1,\"%2\"\n").arg(i + 1).arg(wkts[i]).toUtf8());
    f.close();
    const QString out = path(name + QStringLiteral(".shp"));
    QStringList args{QStringLiteral("-f"), QStringLiteral("ESRI Shapefile"), out, csv,
                     QStringLiteral("-oo"), QStringLiteral("GEOM_POSSIBLE_NAMES=WKT"),
                     QStringLiteral("-oo"), QStringLiteral("KEEP_GEOM_COLUMNS=NO"),
                     QStringLiteral("-a_srs"), QStringLiteral("EPSG:31370")};
    if (!dim.isEmpty()) args << QStringLiteral("-dim") << dim;
    return runTool(QStringLiteral("ogr2ogr"), args) ? out : QString();
}

QStringList GisData::points() {
    return {QStringLiteral("POINT (151000 169500)"), QStringLiteral("POINT (153000 169500)")};
}

QString GisData::line() { return QStringLiteral("LINESTRING (150000 169500,154000 169500)"); }

QString GisData::polygon() {
    return QStringLiteral("POLYGON ((152500 169200,152500 169800,153500 169800,153500 169200,152500 169200))");
}

QString GisData::catalogue(const QString& name, const QStringList& rasters) {
    const QString out = path(name);
    return runTool(QStringLiteral("gdaltindex"), QStringList{out} << rasters) ? out : QString();
}

QString GisData::renameToBytes(const QString& file, const QByteArray& name) {
    const QByteArray to = QFile::encodeName(folder_) + '/' + name;
    if (::rename(QFile::encodeName(file).constData(), to.constData()) != 0) {
        ADD_FAILURE() << "cannot rename " << file.toStdString();
        return {};
    }
    return nomDepuisOctets(to);
}

}  // namespace sotrix::test
