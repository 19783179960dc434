#pragma once
// The files of one export, written under temporary names beside the files they replace
// and put in place together at the end: until commit() the files under the final names
// stay as they were. A temporary name is fixed by its final name and starts with a dot
// ("/d/.sortie_w.tmp.shp" for "/d/sortie_w.shp"), so that it stays out of the file
// dialogs and the next export to the same name removes what a killed one left.
//
// Other programs may save to the same names at the same time. Each temporary is held
// (its descriptor kept, with an advisory lock) from when it is made to its rename: a
// later export does not remove a temporary that a live one holds, and an export puts in
// place only a file that is still its own. A final name that is a symbolic link is
// written through: the file it leads to is replaced and the link stays. A working file of
// the program is its own: whatever stands at its name is replaced, never followed, and
// lends the new file none of its rights.

#include <QString>
#include <QStringList>

#include <sys/types.h>

#include <functional>
#include <vector>

namespace sotrix {

// The temporary name of finalPath: a dot before its name and ".tmp" before its suffix;
// a stem too long for the file system is cut and ends with a digest of the whole.
QString temporaryPath(const QString& finalPath);
// The file that saving finalPath replaces: finalPath, or the file its links lead to.
// Throws ExportFileError naming finalPath when its links lead nowhere.
QString replacedFile(const QString& finalPath);
// Removes what an earlier export left under the temporary name temp. Throws
// ExportFileError naming finalPath when a live export holds it.
void removeLeftover(const QString& temp, const QString& finalPath);

// Whose file a final name is.
enum class SaveName {
    User,    // the user's: written through a link, its rights kept, not replaced when read-only
    Working  // one of the program's working files
};

class ExportFiles {
public:
    ExportFiles() = default;
    ~ExportFiles();  // removes the temporary files of this export that were not put in place
    ExportFiles(const ExportFiles&) = delete;
    ExportFiles& operator=(const ExportFiles&) = delete;

    // Takes finalPath into the export, makes and holds its temporary file (cleared of an
    // earlier export's leftover) and returns its name.
    QString add(const QString& finalPath, SaveName kind = SaveName::User);
    // The descriptor of a temporary file made by add(), open for writing.
    int descriptor(const QString& temp) const;
    // Takes finalPath into the export for a file that another writer makes under temp
    // (by default the temporary name of the file finalPath replaces); hold() once made.
    QString reserve(const QString& finalPath, const QString& temp = {}, SaveName kind = SaveName::User);
    // Holds a reserved temporary file, now made by its writer.
    void hold(const QString& temp);
    // A file that no longer belongs once the new files are in place (a stale ".prj").
    void removeAfter(const QString& path);

    // Syncs every temporary file to disk, then renames each over the file it replaces,
    // removes the stale files and syncs the folders. A replaced file's rights go to its
    // new file (DroitsFichier.h); a file the process may not write is not replaced.
    // Throws ExportFileError naming the file that failed and the files replaced before
    // it. Returns the stale files that could not be removed.
    QStringList commit();

    // Test seam: called with the final name before each rename.
    std::function<void(const QString&)> beforeRename;

private:
    struct Entry {
        QString path;    // the name the user chose
        QString target;  // the file it replaces
        QString temp;
        SaveName kind = SaveName::User;
        int fd = -1;
        dev_t dev = 0;
        ino_t ino = 0;
        bool placed = false;
    };
    Entry& entryOf(const QString& temp);
    // Locks and identifies the file open as e.fd.
    void take(Entry& e);
    // Throws unless temp still names the file this export made.
    void checkOwn(const Entry& e, const QStringList& replaced) const;
    bool own(const Entry& e) const;

    std::vector<Entry> entries_;
    QStringList stale_;
};

}  // namespace sotrix
