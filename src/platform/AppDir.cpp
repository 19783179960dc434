#include "AppDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstdio>
#include <mutex>
#include <optional>

namespace sotrix {

namespace {
const QString& nomBd() {
    static const QString name = QString::fromLatin1(kNomBd);
    return name;
}
}  // namespace

QString pristineInstallee(const QString& exeDir) {
    return QDir::cleanPath(QDir(exeDir).filePath(QStringLiteral(SOTRIX_PRISTINE_FROM_BIN)));
}

AppDirChoice choisitAppDir(const QString& sotrixHome, const QString& exeDir, const QString& userDataDir) {
    if (!sotrixHome.isEmpty()) return {QDir(sotrixHome).absolutePath(), {}};
    if (QFileInfo(QDir(exeDir).filePath(nomBd())).isFile()) return {exeDir, {}};
    const QString pristine = pristineInstallee(exeDir);
    if (!userDataDir.isEmpty() && QFileInfo(pristine).isFile()) return {userDataDir, pristine};
    return {exeDir, {}};
}

namespace {
// The choice made at the first call, kept: the start-up changes the current folder later,
// and a relative SOTRIX_HOME names the folder it named before.
struct ChoixRetenu {
    std::mutex verrou;
    std::optional<AppDirChoice> choix;
};

ChoixRetenu& retenu() {
    static ChoixRetenu r;
    return r;
}

AppDirChoice currentChoice() {
    ChoixRetenu& r = retenu();
    const std::lock_guard<std::mutex> lock(r.verrou);
    if (!r.choix)
        r.choix = choisitAppDir(qEnvironmentVariable("SOTRIX_HOME"), QCoreApplication::applicationDirPath(),
                                QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    return *r.choix;
}
}  // namespace

void resetAppDir() {
    ChoixRetenu& r = retenu();
    const std::lock_guard<std::mutex> lock(r.verrou);
    r.choix.reset();
}

QString appDir() { return currentChoice().dir; }

QString appPath(const QString& name) { return QDir(appDir()).filePath(name); }

bool seedAppDir(const AppDirChoice& choice) {
    if (choice.seedFrom.isEmpty()) return true;
    const QDir dir(choice.dir);
    const QString target = dir.filePath(nomBd());
    if (QFileInfo::exists(target)) return true;
    if (!QDir().mkpath(choice.dir)) return false;
    const QString part = target + QStringLiteral(".part");
    QFile::remove(part);
    // QFile::copy reads the source through a read-only handle.
    bool ok = QFile::copy(choice.seedFrom, part) &&
              QFile::setPermissions(part, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther) &&
              std::rename(QFile::encodeName(part).constData(), QFile::encodeName(target).constData()) == 0;
    if (!ok) QFile::remove(part);
    return ok;
}

bool seedAppDir() { return seedAppDir(currentChoice()); }

}  // namespace sotrix
