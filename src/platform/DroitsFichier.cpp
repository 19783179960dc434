#include "DroitsFichier.h"

#include <QByteArray>
#include <QFile>

#include <acl/libacl.h>
#include <sys/acl.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <optional>

namespace sotrix {

namespace {

// An ACL read by libacl, freed with it.
class Acl {
public:
    explicit Acl(acl_t acl) : acl_(acl) {}
    ~Acl() {
        if (acl_) acl_free(acl_);
    }
    Acl(const Acl&) = delete;
    Acl& operator=(const Acl&) = delete;
    acl_t get() const { return acl_; }

private:
    acl_t acl_;
};

mode_t bits(acl_entry_t entry) {
    acl_permset_t p = nullptr;
    if (acl_get_permset(entry, &p) != 0) return 0;
    return (acl_get_perm(p, ACL_READ) == 1 ? 4 : 0) | (acl_get_perm(p, ACL_WRITE) == 1 ? 2 : 0) |
           (acl_get_perm(p, ACL_EXECUTE) == 1 ? 1 : 0);
}

// What the owning group may do under an ACL that the mode alone cannot say: its entry
// limited by the mask. nullopt for an ACL the mode says whole.
std::optional<mode_t> droitsDuGroupe(acl_t acl) {
    if (acl_equiv_mode(acl, nullptr) == 0) return std::nullopt;
    mode_t groupe = 0, masque = 7;
    acl_entry_t entry = nullptr;
    for (int which = ACL_FIRST_ENTRY; acl_get_entry(acl, which, &entry) == 1; which = ACL_NEXT_ENTRY) {
        acl_tag_t tag = ACL_UNDEFINED_TAG;
        if (acl_get_tag_type(entry, &tag) != 0) continue;
        if (tag == ACL_GROUP_OBJ) groupe = bits(entry);
        if (tag == ACL_MASK) masque = bits(entry);
    }
    return groupe & masque;
}

// The attribute names of a file (each ended by a NUL), or empty.
QByteArray nomsAttributs(const char* nom) {
    for (;;) {
        const ssize_t taille = ::llistxattr(nom, nullptr, 0);
        if (taille <= 0) return {};
        QByteArray noms(taille, '\0');
        const ssize_t lus = ::llistxattr(nom, noms.data(), std::size_t(noms.size()));
        if (lus >= 0) return noms.left(lus);
        if (errno != ERANGE) return {};  // ERANGE: the list grew meanwhile
    }
}

// The user.* attributes of the file ancien onto fd (tags, origin marks); the system's own
// namespaces are not the user's to carry.
void copieAttributs(const char* ancien, int fd) {
    for (const QByteArray& nom : nomsAttributs(ancien).split('\0')) {
        if (!nom.startsWith("user.")) continue;
        const ssize_t taille = ::lgetxattr(ancien, nom.constData(), nullptr, 0);
        if (taille < 0) continue;
        QByteArray valeur(taille, '\0');
        const ssize_t lus = ::lgetxattr(ancien, nom.constData(), valeur.data(), std::size_t(valeur.size()));
        if (lus >= 0) ::fsetxattr(fd, nom.constData(), valeur.constData(), std::size_t(lus), 0);
    }
}

}  // namespace

void transmetDroits(const QString& ancien, const struct stat& st, int fd) {
    const QByteArray nom = QFile::encodeName(ancien);
    // The owner where we may set it (root may), else at least the group where we belong
    // to it; else the new file stays ours. First, since a change of owner clears the
    // set-id bits that the mode restores.
    (void)(::fchown(fd, st.st_uid, st.st_gid) == 0 || ::fchown(fd, uid_t(-1), st.st_gid) == 0);
    // Before the mode: setting a user.* attribute needs write access to the file.
    copieAttributs(nom.constData(), fd);
    const Acl acl(acl_get_file(nom.constData(), ACL_TYPE_ACCESS));
    mode_t mode = st.st_mode & 07777;
    if (acl.get())
        if (const std::optional<mode_t> groupe = droitsDuGroupe(acl.get()))
            mode = (mode & ~mode_t(S_IRWXG)) | (*groupe << 3);
    ::fchmod(fd, mode);
    // The ACL whole (a plain one too, which drops what the folder's default ACL gave the
    // new file); where it cannot be set, the mode above stays.
    if (acl.get()) acl_set_fd(fd, acl.get());
}

}  // namespace sotrix
