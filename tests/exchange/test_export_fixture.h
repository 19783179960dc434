#pragma once
// Shared by the export tests: a workspace seeded with waypoints and tracks, a fixed
// clock, an output folder, and small file and process helpers.

#include "Database.h"
#include "ExportEngine.h"
#include "State.h"
#include "Workspace.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <clocale>

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
    QString out, err;
};

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

inline QStringList folderEntries(const QString& dir) {
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

inline QString failureText(const QString& path) {
    return QStringLiteral("Impossible de créer/supprimer le fichier '") + path +
           QStringLiteral("'.\nVérifiez que ce fichier n'est pas en cours d'utilisation.");
}

// LC_NUMERIC under a locale whose decimal separator is "," for one scope.
struct CommaLocale {
    const bool ok = std::setlocale(LC_NUMERIC, "fr_BE.UTF-8") != nullptr;
    ~CommaLocale() { std::setlocale(LC_NUMERIC, "C"); }
};

class ExportTest : public WorkspaceTest {
protected:
    void SetUp() override {
        WorkspaceTest::SetUp();
        context.now = [] { return QDateTime(QDate(2024, 5, 1), QTime(10, 0, 0)); };
    }

    QString out(const QString& name) const { return QDir(out_.path()).filePath(name); }
    QString outDir() const { return out_.path(); }

    // Nom, Lon, Lat, Altitude, Date, Description, Trace, Num_trace, Selected; the map
    // pair is the GPS pair times 1000, so that the two are told apart.
    static void point(Database& db, const QVariantList& v) {
        db.exec(QStringLiteral("INSERT INTO Points (Nom, Lon, Lat, Altitude, Date, Description, Trace, Num_trace, "
                               "Selected, X, Y) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?2 * 1000, ?3 * 1000)"),
                v);
    }
    // Id_trace, Nom, Description, Fermer, Selected.
    static void track(Database& db, const QVariantList& v) {
        db.exec(QStringLiteral("INSERT INTO Trace (Id_trace, Nom, Description, Fermer, Selected) VALUES (?, ?, ?, ?, ?)"),
                v);
    }

    static QString longDescription() {
        QString s;
        for (int i = 0; i < 300; ++i) s += QChar(u'a' + i % 26);
        return s;
    }

    // Waypoints "Café L'église" (selected), "A&B" (no altitude nor date,
    // a 300-character description), "Łódź" (latitude 0). Tracks: 1 "Open"
    // (selected, stored out of Num_trace order, one point selected), 2 "Closed" (a
    // counter-clockwise square), 3 "Empty" (selected, no point), 4 "Dot" (closed, 1 point).
    void seed() {
        DbGuard db;
        const QVariant N;
        point(*db, {"Café L'église", 4.35, 50.85, 123.4, "2004-03-15 10:00:00", "Église Saint-Jean", 0, N, 1});
        point(*db, {"A&B", 4.25, 50.5, N, N, longDescription(), 0, N, 0});
        point(*db, {"Łódź", -4.25, 0.0, 0.0, "2004-03-01 01:30:00", N, 0, N, 0});
        track(*db, {1, "Open", "Chemin", 0, 1});
        track(*db, {2, "Closed", N, 1, 0});
        track(*db, {3, "Empty", N, 0, 1});
        track(*db, {4, "Dot", N, 1, 0});
        point(*db, {N, 5.3, 50.3, 30, "2004-03-15 08:02:00", N, 1, 3, 0});
        point(*db, {N, 5.1, 50.1, 10, "2004-03-15 08:00:00", N, 1, 1, 1});
        point(*db, {N, 5.2, 50.2, N, N, N, 1, 2, 0});
        point(*db, {N, 6.0, 49.0, 1, N, N, 2, 1, 0});
        point(*db, {N, 6.1, 49.0, 1, N, N, 2, 2, 0});
        point(*db, {N, 6.1, 49.1, 1, N, N, 2, 3, 0});
        point(*db, {N, 6.0, 49.1, 1, N, N, 2, 4, 0});
        point(*db, {N, 3.0, 51.0, 1, N, N, 4, 1, 0});
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

    // The one message of a failed export, and its flags untouched.
    void expectFailure(const QString& text) {
        EXPECT_FALSE(state().resultatOk);
        ASSERT_EQ(prompts->prompts().size(), 1u) << prompts->texts().join('\n').toStdString();
        EXPECT_EQ(prompts->prompts()[0].text, text);
        EXPECT_EQ(prompts->prompts()[0].icon, Icon::Exclamation);
        EXPECT_TRUE(state().modifWaypoints && state().modifTraces);
        prompts->clear();
    }

    ExportContext context;

private:
    QTemporaryDir out_;
};

}  // namespace sotrix::test
