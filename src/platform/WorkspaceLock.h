#pragma once
// One program per workspace: an exclusive advisory lock on a file beside the database,
// taken before the workspace is opened and held as long as the object lives (the main
// window keeps it to the end of the program). The kernel frees it when the process
// ends, however it ends, so a crash leaves no stale lock. The lock file stays on disk:
// removing it would let two programs lock two different files of one name. It is made
// readable by every user of the workspace, and only a regular file at its name serves.

#include <QString>

namespace sotrix {

class WorkspaceLock {
public:
    enum class State {
        Held,          // this program has the workspace
        InUse,         // another program has it
        Unverifiable,  // the lock file is not one (a link, a pipe) or cannot be opened
        Unavailable    // no lock can be taken here (a file system without locks, a read-only folder)
    };

    explicit WorkspaceLock(const QString& databasePath);
    ~WorkspaceLock();
    WorkspaceLock(const WorkspaceLock&) = delete;
    WorkspaceLock& operator=(const WorkspaceLock&) = delete;

    State state() const { return state_; }

    // The lock file of a database: beside the file the database's links lead to, as a
    // compaction replaces that file, and named after it (".sotrix.mdb.lock").
    static QString lockPath(const QString& databasePath);

private:
    int fd_ = -1;
    State state_ = State::Unavailable;
};

}  // namespace sotrix
