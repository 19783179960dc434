#pragma once
// A file step of an export failed: the message (msgEchecFichier, shared with the GPS
// transfers) names the file the user knows of (the final name of the file being
// written, not its temporary name).

#include <QString>

#include <stdexcept>

namespace sotrix {

class ExportFileError : public std::runtime_error {
public:
    ExportFileError(const QString& path, const QString& cause)
        : std::runtime_error((path + QStringLiteral(": ") + cause).toStdString()), path_(path) {}
    const QString& path() const { return path_; }

private:
    QString path_;
};

}  // namespace sotrix
