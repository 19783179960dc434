#pragma once
// Shared by the export tests: a workspace seeded with waypoints and tracks, a fixed
// clock, an output folder, and small file and process helpers.

#include "Database.h"
#include "ExportEngine.h"
#include "State.h"
#include "Workspace.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <clocale>
#include <optional>

namespace sotrix::test {

inline QByteArray readBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

struct ProgramRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs an outside program to its end (no shell).
inline ProgramRun runProgram(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    ProgramRun r;
    if (!p.waitForFinished(120000)) return r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

// The names in a folder, sorted.
inline QStringList folderEntries(const QString& dir) {
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

// Puts LC_NUMERIC under a locale whose decimal separator is "," for one scope.
class CommaLocale {
public:
    CommaLocale() : ok_(std::setlocale(LC_NUMERIC, "fr_BE.UTF-8") != nullptr) {}
    ~CommaLocale() { std::setlocale(LC_NUMERIC, "C"); }
    bool ok() const { return ok_; }

private:
    bool ok_;
};

class ExportTest : public WorkspaceTest {
protected:
    void SetUp() override {
        WorkspaceTest::SetUp();
        ASSERT_TRUE(out_.isValid());
        context.now = [] { return QDateTime(QDate(2024, 5, 1), QTime(10, 0, 0)); };
    }

    QString out(const QString& name) const { return QDir(out_.path()).filePath(name); }
    QString outDir() const { return out_.path(); }

    static qint64 addPoint(Database& db, const QString& nom, double lon, double lat, double x, double y,
                           std::optional<double> alt, const QString& date, const QString& desc, qint64 trace,
                           std::optional<qint64> num, bool selected) {
        return db.insert(QStringLiteral("Points"),
                         {{QStringLiteral("Nom"), nom.isNull() ? QVariant() : QVariant(nom)},
                          {QStringLiteral("Lon"), lon},
                          {QStringLiteral("Lat"), lat},
                          {QStringLiteral("X"), x},
                          {QStringLiteral("Y"), y},
                          {QStringLiteral("Altitude"), alt ? QVariant(*alt) : QVariant()},
                          {QStringLiteral("Date"), date.isNull() ? QVariant() : QVariant(date)},
                          {QStringLiteral("Description"), desc.isNull() ? QVariant() : QVariant(desc)},
                          {QStringLiteral("Trace"), trace},
                          {QStringLiteral("Num_trace"), num ? QVariant(*num) : QVariant()},
                          {QStringLiteral("Selected"), selected ? 1 : 0}});
    }

    static qint64 addTrack(Database& db, qint64 id, const QString& nom, const QString& desc, bool closed,
                           bool selected) {
        return db.insert(QStringLiteral("Trace"),
                         {{QStringLiteral("Id_trace"), id},
                          {QStringLiteral("Nom"), nom},
                          {QStringLiteral("Description"), desc.isNull() ? QVariant() : QVariant(desc)},
                          {QStringLiteral("Fermer"), closed ? 1 : 0},
                          {QStringLiteral("Selected"), selected ? 1 : 0}});
    }

    // Waypoints: "Café L'église" (selected), "A&B" (no altitude, no date, a 300-character
    // description), "Łódź". Tracks: 1 "Open" (selected, points stored out of Num_trace
    // order, one of them selected), 2 "Closed" (counter-clockwise square), 3 "Empty"
    // (open, no point), 4 "Dot" (closed, one point). Map coordinates are the GPS ones
    // times 1000, so that the two pairs are told apart.
    void seed() {
        DbGuard db;
        addPoint(*db, QStringLiteral("Café L'église"), 4.35, 50.85, 4350, 50850, 123.4,
                 QStringLiteral("2004-03-15 10:00:00"), QStringLiteral("Église Saint-Jean"), 0, {}, true);
        addPoint(*db, QStringLiteral("A&B"), 4.25, 50.5, 4250, 50500, std::nullopt, QString(), longDescription(), 0,
                 {}, false);
        addPoint(*db, QStringLiteral("Łódź"), -4.25, 0.0, -4250, 0, 0.0, QStringLiteral("2004-03-01 01:30:00"),
                 QString(), 0, {}, false);
        addTrack(*db, 1, QStringLiteral("Open"), QStringLiteral("Chemin"), false, true);
        addTrack(*db, 2, QStringLiteral("Closed"), QString(), true, false);
        addTrack(*db, 3, QStringLiteral("Empty"), QString(), false, true);
        addTrack(*db, 4, QStringLiteral("Dot"), QString(), true, false);
        // Id_point order 3, 1, 2 against Num_trace.
        addPoint(*db, QString(), 5.3, 50.3, 5300, 50300, 30, QStringLiteral("2004-03-15 08:02:00"), QString(), 1, 3,
                 false);
        addPoint(*db, QString(), 5.1, 50.1, 5100, 50100, 10, QStringLiteral("2004-03-15 08:00:00"), QString(), 1, 1,
                 true);
        addPoint(*db, QString(), 5.2, 50.2, 5200, 50200, std::nullopt, QString(), QString(), 1, 2, false);
        // Counter-clockwise: (0,0) (1,0) (1,1) (0,1).
        addPoint(*db, QString(), 6.0, 49.0, 6000, 49000, 1, QString(), QString(), 2, 1, false);
        addPoint(*db, QString(), 6.1, 49.0, 6100, 49000, 1, QString(), QString(), 2, 2, false);
        addPoint(*db, QString(), 6.1, 49.1, 6100, 49100, 1, QString(), QString(), 2, 3, false);
        addPoint(*db, QString(), 6.0, 49.1, 6000, 49100, 1, QString(), QString(), 2, 4, false);
        addPoint(*db, QString(), 3.0, 51.0, 3000, 51000, 1, QString(), QString(), 4, 1, false);
    }

    static QString longDescription() {
        QString s;
        for (int i = 0; i < 30; ++i) s += QStringLiteral("abcdefghi%1").arg(i % 10);
        return s;  // 300 characters
    }

    // Runs the engine as the dialog does, with the fixed clock.
    void run(int type, const QString& nomFichier, bool waypoints, bool tracks, bool lines, bool points,
             bool selectedOnly, int projExport = 0) {
        state().typeFichier = type;
        state().nomFichier = nomFichier;
        state().projExport = projExport;
        exporteFichier(context, waypoints, tracks, lines, points, selectedOnly);
    }

    void setFlags(bool w, bool t) {
        state().modifWaypoints = w;
        state().modifTraces = t;
    }

    ExportContext context;

private:
    QTemporaryDir out_;
};

}  // namespace sotrix::test
