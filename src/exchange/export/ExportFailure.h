#pragma once
// A file step of an export failed: the message (msgEchecFichier, shared with the GPS
// transfers) names the file the user knows of (the final name of the file being
// written, not its temporary name), and the files already replaced when the failure
// came while the new files were being put in place.

#include <QString>
#include <QStringList>

#include <stdexcept>

namespace sotrix {

class ExportFileError : public std::runtime_error {
public:
    ExportFileError(const QString& path, const QString& cause, QStringList replaced = {})
        : std::runtime_error((path + QStringLiteral(": ") + cause).toStdString()), path_(path),
          replaced_(std::move(replaced)) {}
    const QString& path() const { return path_; }
    const QStringList& replaced() const { return replaced_; }

private:
    QString path_;
    QStringList replaced_;
};

}  // namespace sotrix
