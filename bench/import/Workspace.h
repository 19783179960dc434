#pragma once
// A fresh program folder beside the benchmark's data, holding a copy of the delivered
// database: on disk, so that a commit pays for a real disk (a /tmp in memory would not).
// Removed with its contents when it goes out of scope.

#include "DeliveredCopy.h"
#include "Fail.h"

#include <QDir>
#include <QTemporaryDir>

namespace sotrix::bench {

class Workspace {
public:
    explicit Workspace(const QString& folder) : dir_(QDir(folder).filePath(QStringLiteral("home-XXXXXX"))) {
        if (!dir_.isValid() || !copyDelivered(db())) fail(QStringLiteral("cannot make a program folder in ") + folder);
    }
    QString home() const { return dir_.path(); }
    QString db() const { return dir_.filePath(QStringLiteral("sotrix.mdb")); }

private:
    QTemporaryDir dir_;
};

}  // namespace sotrix::bench
