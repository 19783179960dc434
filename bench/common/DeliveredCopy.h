#pragma once
// Copies of the pristine delivered database: the pristine file itself is never opened.

#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace sotrix::bench {

// A writable copy at path (replacing any file there); false when it cannot be made.
inline bool copyDelivered(const QString& path) {
    QFile::remove(path);
    return QFile::copy(QStringLiteral(SOTRIX_DELIVERED_DB), path) &&
           QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
}

// A copy in a temporary folder, for a benchmark that only reads it.
class DeliveredCopy {
public:
    DeliveredCopy() : path_(dir_.filePath(QStringLiteral("sotrix.mdb"))) {
        if (!dir_.isValid() || !copyDelivered(path_)) {
            std::fprintf(stderr, "cannot copy the delivered database\n");
            std::exit(1);
        }
    }
    const QString& path() const { return path_; }

private:
    QTemporaryDir dir_;
    QString path_;
};

}  // namespace sotrix::bench
