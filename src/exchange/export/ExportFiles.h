#pragma once
// The files of one export, written under temporary names beside their final names and
// put in place together at the end: until commit() the files under the final names stay
// as they were. A temporary name is fixed by its final name and starts with a dot
// ("/d/.sortie_w.tmp.shp" for "/d/sortie_w.shp"), so that it stays out of the file
// dialogs and the next export to the same name removes what a killed one left.

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace sotrix {

// The temporary name of finalPath: a dot before its name and ".tmp" before its suffix.
QString temporaryPath(const QString& finalPath);
// Removes what an earlier export left under the temporary name of finalPath.
void removeTemporary(const QString& finalPath);

class ExportFiles {
public:
    ExportFiles() = default;
    ~ExportFiles();  // removes the temporary files that were not put in place
    ExportFiles(const ExportFiles&) = delete;
    ExportFiles& operator=(const ExportFiles&) = delete;

    // Takes finalPath into the export and returns the temporary name to write it under,
    // cleared of an earlier export's leftover.
    QString add(const QString& finalPath);
    // A file that no longer belongs once the new files are in place (a stale ".prj").
    void removeAfter(const QString& path);

    // Syncs every temporary file to disk, then renames each over its final name (which
    // keeps an older file's permissions), removes the stale files and syncs the folders.
    // Throws ExportFileError naming the file that failed and the files replaced before it.
    void commit();

    // Test seam: called with the final name before each rename.
    std::function<void(const QString&)> beforeRename;

private:
    struct Entry {
        QString path;
        QString temp;
        bool placed = false;
    };
    std::vector<Entry> entries_;
    QStringList stale_;
};

}  // namespace sotrix
