#pragma once
// Who may use a file, carried from a file to the new file that replaces it (a save, a
// compaction): its owner and group where the process may set them, its user.* extended
// attributes, its mode and its access ACL. Where the file system takes no ACL, the new
// file gets the mode with the rights the ACL gave the owning group, never the ACL's
// mask, which can be wider. Nothing that fails here stops a save: the new file then keeps
// the narrower rights it has.

#include <QString>

#include <sys/stat.h>

namespace sotrix {

// Gives the file open as fd the rights of the regular file `ancien`, whose stat is st.
void transmetDroits(const QString& ancien, const struct stat& st, int fd);

}  // namespace sotrix
