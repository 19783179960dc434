#pragma once
// A copy of the pristine delivered database in a temporary folder, for a benchmark that
// only reads it: the pristine file itself is never opened.

#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace sotrix::bench {

class DeliveredCopy {
public:
    DeliveredCopy() : path_(dir_.filePath(QStringLiteral("sotrix.mdb"))) {
        if (!dir_.isValid() || !QFile::copy(QStringLiteral(SOTRIX_DELIVERED_DB), path_) ||
            !QFile::setPermissions(path_, QFile::ReadOwner | QFile::WriteOwner)) {
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
