#pragma once
// The files of one shapefile set, written under temporary names in the target folder and
// put in place together at the end: until commit() succeeds the files already under the
// final names stay as they were, and the temporary files never outlive this object.

#include <QString>
#include <QStringList>

namespace sotrix {

class ExportFileSet {
public:
    // finalBase is the set's path without extension ("/d/sortie_w").
    explicit ExportFileSet(const QString& finalBase);
    ~ExportFileSet();
    ExportFileSet(const ExportFileSet&) = delete;
    ExportFileSet& operator=(const ExportFileSet&) = delete;

    QString finalPath(const QString& extension) const;
    QString tempPath(const QString& extension) const;

    // Puts the .shx, the .dbf and then the .shp in place and removes a stale .cpg. On a
    // failure the earlier files are restored and ExportFileError names the file in the way.
    void commit();

private:
    QString backupPath(const QString& extension) const;

    QString finalBase_;
    QString tempBase_;
    QString backupBase_;
    bool committed_ = false;
};

}  // namespace sotrix
