#pragma once
// The program folder: where "sotrix.mdb" and the working files live.
//
// - SOTRIX_HOME when set (tests, or a user who wants the workspace elsewhere);
// - else the folder of the executable when it holds "sotrix.mdb" (a build: the build
//   puts a copy of the pristine delivered database there);
// - else, for an installed program (the pristine database installed beside it, under
//   share/sotrix), the user's data folder, seeded once from that pristine database;
// - else the folder of the executable, where the start-up finds no database and says so.
// The pristine delivered database itself is only ever copied, never opened.

#include <QString>

namespace sotrix {

// Name of the workspace database in the program folder.
inline constexpr char kNomBd[] = "sotrix.mdb";

struct AppDirChoice {
    QString dir;       // the program folder
    QString seedFrom;  // the installed pristine database when dir is the user's data folder
};

// The choice above from its inputs: SOTRIX_HOME ("" when unset), the executable's folder
// and the user's data folder.
AppDirChoice choisitAppDir(const QString& sotrixHome, const QString& exeDir, const QString& userDataDir);

// The installed pristine database that a program in exeDir would seed from.
QString pristineInstallee(const QString& exeDir);

// The program folder of this process: chosen at the first call, as an absolute path, and
// kept for the life of the process (the start-up makes that call before it changes the
// current folder).
QString appDir();
// Forgets the folder chosen, so that the next appDir() chooses again from SOTRIX_HOME
// (tests give every case a fresh program folder).
void resetAppDir();
// A file of the program folder.
QString appPath(const QString& name);

// Copies choice.seedFrom into choice.dir as "sotrix.mdb" when the folder has none yet
// (made on the way, written under a temporary name, then renamed, so a failed copy leaves
// nothing half-written). An existing workspace is never replaced. False when the copy
// failed; the start-up then reports the missing database.
bool seedAppDir(const AppDirChoice& choice);
// seedAppDir for this process's program folder; called once at start-up.
bool seedAppDir();

}  // namespace sotrix
