// The file information tool: the report of the real ogrinfo and gdalinfo, a failing
// tool's errors, the refusals, and the report saved as text.
#include "AppDir.h"
#include "GisData.h"
#include "InfoReport.h"
#include "NomsOctets.h"
#include "State.h"
#include "StubTools.h"
#include "Workspace.h"
#include "frmInfoFile.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QCoreApplication>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

namespace sotrix {
namespace {

using test::GisData;

const QString kIrrecuperable = QStringLiteral(
    "Impossible de récupérer les informations sur ce fichier.\nLe format de fichier sélectionné n'est peut être pas "
    "reconnu.");
constexpr int kVectoriel = 1;
constexpr int kRaster = 2;

class InfoFile : public test::WorkspaceTest {
protected:
    void SetUp() override {
        WorkspaceTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        data = std::make_unique<GisData>(dir.path());
        tool = std::make_unique<frmInfoFile>();
    }
    void TearDown() override {
        tool.reset();
        WorkspaceTest::TearDown();
    }
    void report(const QString& file, int kind, bool resume) {
        tool->findChild<QCheckBox*>(QStringLiteral("chkRésumé"))->setChecked(resume);
        prompts->answerOpen(FileChoice{{file}, kind});
        tool->cmd_destination_Click();
    }
    QString shown() { return tool->findChild<QPlainTextEdit*>(QStringLiteral("txtInfo"))->toPlainText(); }
    QByteArray bytes(const QString& p) {
        QFile f(p);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    void write(const QString& p, const QByteArray& b) {
        QFile f(p);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(b);
    }

    // The message boxes' texts, dialogs left out.
    QStringList messages() const {
        QStringList out;
        for (const test::Prompt& p : prompts->prompts())
            if (p.kind == test::PromptKind::Message) out << p.text;
        return out;
    }

    QTemporaryDir dir;
    std::unique_ptr<GisData> data;
    std::unique_ptr<frmInfoFile> tool;
};

TEST_F(InfoFile, TheRealToolsReportAndAFailingToolShowsItsErrors) {
    const QString shp = data->shapefile(QStringLiteral("poly"), {GisData::polygon()});
    const QString tif = data->raster(QStringLiteral("r.tif"), GisData::tile1());
    const QString latin1 = data->renameToBytes(data->raster(QStringLiteral("l.tif"), GisData::tile1()), "\xE9t\xE9.tif");
    const QString text = data->path(QStringLiteral("x.txt"));
    write(text, "pas un fichier SIG\n");
    struct Case {
        const char* what;
        QString file;
        int kind;
        bool resume;
        std::vector<const char*> contains;
        std::vector<const char*> lacks;
    };
    const std::vector<Case> cases{
        {"summary", shp, kVectoriel, true, {"Feature Count: 1"}, {"OGRFeature(poly):0"}},
        {"every feature", shp, kVectoriel, false, {"OGRFeature(poly):0", "POLYGON"}, {}},
        {"raster, summary ignored", tif, kRaster, true, {"Corner Coordinates:", "Size is 200, 100"}, {}},
        {"raster named in Latin-1", latin1, kRaster, false, {"Size is 200, 100"}, {}},
        {"gdalinfo on text", text, kRaster, false, {"not recognized as a supported file format", "gdalinfo failed"}, {}},
        {"ogrinfo on text", text, kVectoriel, false, {"FAILURE:"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        prompts->clear();
        report(c.file, c.kind, c.resume);
        EXPECT_TRUE(messages().isEmpty()) << messages().join(u'|').toStdString();
        EXPECT_EQ(tool->findChild<QLineEdit*>(QStringLiteral("txtFichier"))->text(), cheminAffiche(c.file));
        for (const char* s : c.contains) EXPECT_TRUE(shown().contains(QString::fromUtf8(s))) << s << "\n" << shown().toStdString();
        for (const char* s : c.lacks) EXPECT_FALSE(shown().contains(QString::fromUtf8(s))) << s;
        EXPECT_FALSE(QFile::exists(appPath(QStringLiteral("info.txt"))));
    }
    EXPECT_EQ(state().dernierDossier, dir.path());
    const test::Prompt& open = prompts->prompts().front();
    EXPECT_EQ(open.file.title, QStringLiteral("Sélectionner un fichier"));
    EXPECT_EQ(open.file.filters.size(), 2);
    EXPECT_EQ(open.file.filterIndex, kRaster) << "the position chosen the time before is offered";
}

TEST_F(InfoFile, ArgumentsStaleReportsAndTheKeptFile) {
    test::StubTools stubs;
    const QString f = data->path(QStringLiteral("l'été \"x\".shp"));
    write(f, "x");
    struct Case {
        int kind;
        bool resume;
        const char* program;
        QStringList args;
    };
    const std::vector<Case> cases{
        {kVectoriel, false, "ogrinfo", {QStringLiteral("-al"), f}},
        {kVectoriel, true, "ogrinfo", {QStringLiteral("-al"), QStringLiteral("-so"), f}},
        {kRaster, true, "gdalinfo", {QStringLiteral("-nogcp"), QStringLiteral("-nomd"), f}},
        {kRaster, false, "gdalinfo", {QStringLiteral("-nogcp"), QStringLiteral("-nomd"), f}},
    };
    stubs.add(QStringLiteral("ogrinfo"), QStringLiteral("echo 'rapport ogr é'"));
    stubs.add(QStringLiteral("gdalinfo"), QStringLiteral("echo 'rapport gdal'"));
    for (bool keep : {false, true}) {
        state().paramSupInt = !keep;
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.program) + (c.resume ? " résumé" : "") + (keep ? " kept" : ""));
            report(f, c.kind, c.resume);
            EXPECT_EQ(stubs.arguments(QString::fromLatin1(c.program)), c.args);
            EXPECT_EQ(shown(), c.kind == kVectoriel ? QStringLiteral("rapport ogr é\n") : QStringLiteral("rapport gdal\n"));
            EXPECT_EQ(QFile::exists(appPath(QStringLiteral("info.txt"))), keep);
        }
    }
    EXPECT_TRUE(messages().isEmpty());

    // A stub that writes nothing, then a missing program: the message and no stale text,
    // even with an old "info.txt" left behind.
    stubs.add(QStringLiteral("gdalinfo"), QStringLiteral("exit 0"));
    report(f, kRaster, false);
    EXPECT_EQ(messages(), QStringList{kIrrecuperable});
    EXPECT_TRUE(shown().isEmpty());
    write(appPath(QStringLiteral("info.txt")), "ancien rapport");
    {
        test::StubTools none;
        none.hideRealTools();
        prompts->clear();
        report(f, kVectoriel, false);
        EXPECT_EQ(messages(), QStringList{kIrrecuperable});
        EXPECT_TRUE(shown().isEmpty());
    }
    // "Sauvegarder" after a failed report does nothing: no dialog is asked for.
    prompts->clear();
    tool->cmdSauvegarder_Click();
    EXPECT_TRUE(prompts->prompts().empty());
}

TEST_F(InfoFile, MissingFilesAskAgainAndTheSavedTextIsTheShownText) {
    tool->cmdSauvegarder_Click();
    EXPECT_TRUE(prompts->prompts().empty()) << "nothing to save before a report";

    test::StubTools stubs;
    stubs.add(QStringLiteral("ogrinfo"), QStringLiteral("printf 'Layer name: é\\nFeature Count: 1\\n'"));
    const QString f = data->path(QStringLiteral("a.shp"));
    write(f, "x");
    const QString missing = data->path(QStringLiteral("absent.shp"));
    prompts->answerOpen(FileChoice{{missing}, kVectoriel});
    prompts->answerOpen(FileChoice{{f}, kVectoriel});
    tool->cmd_destination_Click();
    EXPECT_EQ(messages(), QStringList{QStringLiteral("Le fichier '") + missing + QStringLiteral("' n'existe pas.")});
    EXPECT_EQ(shown(), QStringLiteral("Layer name: é\nFeature Count: 1\n"));

    const QString saved = data->path(QStringLiteral("rapport.txt"));
    prompts->clear();
    prompts->answerSave(FileChoice{{saved}, 1});
    tool->cmdSauvegarder_Click();
    EXPECT_EQ(bytes(saved), shown().toUtf8());
    EXPECT_EQ(messages(), QStringList{QStringLiteral("Les informations ont bien été enregistrées.")});
    EXPECT_EQ(prompts->prompts().front().file.folder, appDir());
    // Replace: No keeps the old bytes; a folder cannot be written.
    write(saved, "ancien");
    prompts->clear();
    prompts->answerSave(FileChoice{{saved}, 1});
    prompts->answer(Answer::No);
    tool->cmdSauvegarder_Click();
    EXPECT_EQ(bytes(saved), QByteArray("ancien"));
    prompts->clear();
    prompts->answerSave(FileChoice{{dir.path()}, 1});
    tool->cmdSauvegarder_Click();
    EXPECT_EQ(messages(), QStringList{QStringLiteral("Impossible de créer le fichier '") + dir.path() +
                                            QStringLiteral("'.\nVérifiez que ce fichier n'est pas en cours d'utilisation.")});
}

TEST_F(InfoFile, ALongReportFillsFromTheEventLoopAndIsSavedWhole) {
    test::StubTools stubs;
    const QString f = data->path(QStringLiteral("a.shp"));
    write(f, "x");
    auto numbers = [](int n) {
        QString out;
        for (int i = 1; i <= n; ++i) out += QString::number(i) + u'\n';
        return out;
    };
    struct Case {
        const char* what;
        QString body;
        QString whole;
        bool fillsLater;
    };
    // The long line has its letters cut between two pieces, inside a character.
    const std::vector<Case> cases{
        {"short", QStringLiteral("seq 1 3"), numbers(3), false},
        {"long", QStringLiteral("seq 1 400000"), numbers(400000), true},
        {"one long accented line", QStringLiteral("yes éa | head -n 150000 | tr -d '\\n'; echo"),
         QString(QStringLiteral("éa")).repeated(150000) + u'\n', true},
    };
    auto* view = tool->findChild<QPlainTextEdit*>(QStringLiteral("txtInfo"));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->lineWrapMode(), QPlainTextEdit::NoWrap);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString& whole = c.whole;
        stubs.add(QStringLiteral("ogrinfo"), c.body);
        report(f, kVectoriel, false);
        // The click returns with the start of the report shown, the rest to come.
        EXPECT_TRUE(whole.startsWith(shown()));
        EXPECT_FALSE(shown().isEmpty());
        EXPECT_EQ(shown().size() < whole.size(), c.fillsLater);
        EXPECT_EQ(tool->remplissage(), c.fillsLater);
        const QString saved = data->path(QStringLiteral("%1.txt").arg(QString::fromUtf8(c.what)));
        prompts->answerSave(FileChoice{{saved}, 1});
        tool->cmdSauvegarder_Click();
        EXPECT_EQ(bytes(saved), whole.toUtf8());
        for (int turns = 0; tool->remplissage() && turns < 100000; ++turns) QCoreApplication::processEvents();
        EXPECT_EQ(shown(), whole);
    }
}

TEST_F(InfoFile, AReportPastTheBoundShowsItsStartAndItsLineCountAndIsSavedWhole) {
    // Numbered lines of 100 bytes, accented, up to size bytes.
    auto lignes = [](qsizetype size) {
        QByteArray out;
        for (int i = 0; out.size() < size; ++i) {
            QByteArray l = "Ligne " + QByteArray::number(i) + " : \xC3\xA9t\xC3\xA9 ";
            out += l.leftJustified(99, '.') + '\n';
        }
        out.truncate(size);
        return out;
    };
    const auto note = [](qint64 n) {
        return QStringLiteral("…\nLe rapport complet compte %1 lignes ; « Sauvegarder » l'enregistre en entier.").arg(n);
    };
    const QByteArray longues = lignes(20'000'000);
    QByteArray uneLigne = "a";  // the bound falls after the first byte of an "é"
    for (int i = 0; i < 9'000'000; ++i) uneLigne += "\xC3\xA9";
    const QByteArray aLaBorne = lignes(kBorneRapport / 100 * 100) + QByteArray(kBorneRapport % 100 - 1, 'x') + '\n';
    const QByteArray latin1 = QByteArray(17'000'000, '\xE9').replace(4096, 1, "\n");
    struct Case {
        const char* what;
        QByteArray info;   // what the tool writes
        QByteArray whole;  // the report saved
        QString view;
        const char* then = "";  // the tool's last commands
    };
    const QByteArray local = QString::fromLocal8Bit(latin1).toUtf8();
    QByteArray courtes;
    for (int i = 0; i < 900'000; ++i) courtes += QByteArray::number(100'000'000 + i) + '\n';  // 9 MB
    test::StubTools stubs;
    const QString f = data->path(QStringLiteral("a.shp"));
    write(f, "x");
    const std::vector<Case> cases{
        {"20 MB of lines", longues, longues,
         QString::fromUtf8(longues.left(kBorneRapport / 100 * 100)) + note(200'000)},
        {"one line longer than the bound", uneLigne, uneLigne,
         QString::fromUtf8(uneLigne.left(kBorneRapport - 1)) + u'\n' + note(1)},
        {"local encoding, converted", latin1, local,
         QString::fromUtf8(local.left(local.lastIndexOf('\n', kBorneRapport) + 1)) + note(2)},
        {"exactly the bound, unchanged", aLaBorne, aLaBorne, QString::fromUtf8(aLaBorne)},
        {"900,000 short lines", courtes, courtes,
         QString::fromUtf8(courtes.left(kLignesMax * 10)) + note(900'000)},
        {"a failing tool's errors after the report", longues, longues + "\nerreur\n",
         QString::fromUtf8(longues.left(kBorneRapport / 100 * 100)) + note(200'002), "; echo erreur >&2; exit 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString info = data->path(QStringLiteral("rapport.txt"));
        write(info, c.info);
        stubs.add(QStringLiteral("ogrinfo"), QStringLiteral("cat '") + info + u'\'' + QLatin1String(c.then));
        report(f, kVectoriel, false);
        for (int turns = 0; tool->remplissage() && turns < 100000; ++turns) QCoreApplication::processEvents();
        const QString shown = this->shown();
        EXPECT_LE(shown.toUtf8().size(), kBorneRapport + 200);
        EXPECT_EQ(shown.size(), c.view.size());
        EXPECT_TRUE(shown == c.view) << shown.right(200).toStdString();
        const QString saved = data->path(QStringLiteral("saved.txt"));
        QFile::remove(saved);
        prompts->answerSave(FileChoice{{saved}, 1});
        tool->cmdSauvegarder_Click();
        EXPECT_TRUE(bytes(saved) == c.whole);
        EXPECT_FALSE(QFile::exists(appPath(QStringLiteral("info.txt"))));
    }
    EXPECT_EQ(messages(), QStringList(6, QStringLiteral("Les informations ont bien été enregistrées.")));
}

}  // namespace
}  // namespace sotrix
