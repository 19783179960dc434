// The "Fichier" menu of a real main window: Open with its question, dialog, missing-file
// loop and a GPX file made by GPSBabel; Close with and without its question; Save through
// the export options dialog to each format with the real engine.

#include "FileMenu.h"

#include "frmAccueil.h"
#include "frmExport.h"
#include "WorkspaceData.h"
#include "test_export_fixture.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLabel>

namespace sotrix::test {
namespace {

const QString kReplace = QStringLiteral("Etes-vous sûr de vouloir remplacer les Waypoints/Traces en cours ?");
const QString kUnsaved = QStringLiteral("Les Waypoints et/ou les Traces en cours n'ont pas été enregistrés.\n"
                                        "Voulez-vous néanmoins continuer ?");
const QStringList kOpenFilters{QStringLiteral("Shapefile (*.shp)"), QStringLiteral("GPX (*.gpx)"),
                               QStringLiteral("G7ToWin (*.csv)"), QStringLiteral("CSV : séparateur point virgule (*.csv)"),
                               QStringLiteral("CSV : séparateur virgule (*.csv)")};

// The main window, with the services the File menu calls recorded in order.
class RecordingAccueil final : public frmAccueil {
public:
    QStringList calls;
    void viderDb() override {
        calls << QStringLiteral("viderDb");
        frmAccueil::viderDb();
    }
    void zoomGlobal() override {
        calls << QStringLiteral("zoomGlobal");
        frmAccueil::zoomGlobal();
    }
    void redraw() override {
        calls << QStringLiteral("redraw");
        frmAccueil::redraw();
    }
};

class FileMenu : public ExportTest {
protected:
    void SetUp() override {
        ExportTest::SetUp();
        loadOptions();
        state().dernierDossier = outDir();
        window = std::make_unique<RecordingAccueil>();
        window->show();
        connected = connecteMenuFichier(window.get());
    }
    void TearDown() override {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QStringLiteral("frmExport")) delete w;
        window.reset();
        ExportTest::TearDown();
    }

    void trigger(const char* name) {
        QAction* action = window->findChild<QAction*>(QString::fromUtf8(name));
        ASSERT_NE(action, nullptr) << name;
        action->trigger();
    }
    QString lblFichier() const { return window->findChild<QLabel*>(QStringLiteral("lblFichier"))->text(); }

    // Waypoint names in storage order, then the number of track points.
    static QString rows() {
        DbGuard db;
        QStringList names;
        Cursor c = db->query(QStringLiteral("SELECT Nom FROM Points WHERE Trace = 0 ORDER BY Id_point"));
        while (c.next()) names << c.value(0).toString();
        return names.join(u'|') + QStringLiteral(" +") +
               db->scalar(QStringLiteral("SELECT COUNT(*) FROM Points WHERE Trace > 0")).toString();
    }

    // The seeded rows, listed by the main window, with both flags set.
    void loaded() {
        seed();
        window->majListes();
        setFlags(true, true);
        window->setLblFichier(QStringLiteral("avant.gpx"));
    }

    // Three waypoints, and a track through them, written by GPSBabel.
    QString gpsbabelGpx() {
        const QString csv = out(QStringLiteral("points.csv"));
        writeBytes(csv, "Name,Latitude,Longitude,Altitude\nL'\xc3\xa9glise,50.85,4.35,120\nCaf\xc3\xa9,50.5,4.25,\n"
                        "Troisi\xc3\xa8me,50.6,4.3,10\n");
        const QString gpx = out(QStringLiteral("gpsbabel.gpx"));
        const ProgramRun r = runProgram(QStringLiteral("gpsbabel"), {"-i", "unicsv", "-f", csv, "-x", "transform,trk=wpt",
                                                                     "-o", "gpx", "-F", gpx});
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        return gpx;
    }

    std::unique_ptr<RecordingAccueil> window;
    int connected = 0;
};

TEST_F(FileMenu, OpenAsksAboutDataHeldLoopsOnAMissingFileAndImportsAGpx) {
    EXPECT_EQ(connected, 3);
    const QString gpx = gpsbabelGpx();
    loaded();
    const QString before = rows();
    prompts->answer(Answer::No);
    trigger("fichierOuvrir");
    EXPECT_EQ(prompts->texts(), QStringList{kReplace});
    EXPECT_EQ(prompts->prompts()[0].icon, Icon::Question);
    EXPECT_EQ(prompts->prompts()[0].buttons, Buttons::YesNo);
    EXPECT_EQ(rows(), before);
    EXPECT_EQ(lblFichier(), QStringLiteral("avant.gpx"));

    // Yes, then Cancel: the workspace stays empty and nothing is imported.
    prompts->clear();
    prompts->answer(Answer::Yes);
    prompts->answerOpen(std::nullopt);
    trigger("fichierOuvrir");
    ASSERT_EQ(prompts->prompts().size(), 2u);
    const FileRequest& dialog = prompts->prompts()[1].file;
    EXPECT_EQ(dialog.title, QStringLiteral("Ouvrir un fichier"));
    EXPECT_EQ(dialog.filters, kOpenFilters);
    EXPECT_EQ(dialog.filterIndex, 1);
    EXPECT_EQ(dialog.folder, outDir());
    EXPECT_TRUE(dialog.fileName.isEmpty());
    EXPECT_EQ(rows(), QStringLiteral(" +0"));
    EXPECT_TRUE(lblFichier().isEmpty());

    // Nothing held, flags still set: no question. A missing file is told and the dialog
    // comes again, in its folder and on the filter chosen last.
    prompts->clear();
    window->calls.clear();
    const QString missing = out(QStringLiteral("sous/absent.gpx"));
    prompts->answerOpen(FileChoice{{missing}, 2});
    prompts->answerOpen(FileChoice{{gpx}, 2});
    trigger("fichierOuvrir");
    ASSERT_EQ(prompts->prompts().size(), 3u);
    EXPECT_EQ(prompts->prompts()[1].text, QStringLiteral("Le fichier '") + missing + QStringLiteral("' n'existe pas."));
    EXPECT_EQ(prompts->prompts()[1].icon, Icon::Critical);
    EXPECT_EQ(prompts->prompts()[2].file.filterIndex, 2);
    EXPECT_EQ(prompts->prompts()[2].file.folder, out(QStringLiteral("sous")));
    EXPECT_EQ(rows(), QStringLiteral("L'église|Café|Troisième +3"));
    EXPECT_EQ(lblFichier(), gpx);
    EXPECT_EQ(state().dernierDossier, outDir());
    EXPECT_FALSE(state().modifWaypoints || state().modifTraces);
    EXPECT_EQ(window->calls.first(), QStringLiteral("viderDb"));
    EXPECT_EQ(window->calls.mid(window->calls.size() - 2), (QStringList{"zoomGlobal", "redraw"}));

    // Data just opened from a file close without a question, and keep their flags.
    prompts->clear();
    trigger("fermerFichier");
    EXPECT_TRUE(prompts->prompts().empty());
    EXPECT_EQ(rows(), QStringLiteral(" +0"));
    EXPECT_TRUE(lblFichier().isEmpty());
    EXPECT_FALSE(state().modifWaypoints || state().modifTraces);
}

TEST_F(FileMenu, CloseAsksAboutUnsavedDataHeld) {
    struct Case {
        qint64 waypoints;
        bool modifWaypoints;
        qint64 tracks;
        bool modifTraces;
        bool asks;
    };
    const Case cases[] = {{0, true, 2, true, true},
                          {3, true, 0, false, true},
                          {3, false, 2, false, false},
                          {0, true, 0, true, false}};
    for (const Case& c : cases) {
        for (const Answer answer : {Answer::No, Answer::Yes}) {
            if (!c.asks && answer == Answer::No) continue;
            prompts->clear();
            seed();
            window->setLblFichier(QStringLiteral("avant.gpx"));
            state().nbWaypoints = c.waypoints;
            state().nbTraces = c.tracks;
            setFlags(c.modifWaypoints, c.modifTraces);
            if (c.asks) prompts->answer(answer);
            trigger("fermerFichier");
            EXPECT_EQ(prompts->texts(), c.asks ? QStringList{kUnsaved} : QStringList{}) << c.waypoints << c.tracks;
            if (c.asks) EXPECT_EQ(prompts->prompts()[0].icon, Icon::Question);
            const bool emptied = answer == Answer::Yes;
            EXPECT_EQ(rows() == QStringLiteral(" +0"), emptied);
            EXPECT_EQ(lblFichier().isEmpty(), emptied);
            EXPECT_EQ(state().modifWaypoints, c.modifWaypoints);
            EXPECT_EQ(state().modifTraces, c.modifTraces);
            if (!emptied) videDonnees();
        }
    }
}

TEST_F(FileMenu, SaveWritesEachFormatThroughTheOptionsDialog) {
    prompts->clear();
    trigger("fichierEnregistrer");
    EXPECT_EQ(prompts->texts(), QStringList{QStringLiteral("Aucun Waypoint/Trace n'existe.")});
    EXPECT_EQ(prompts->prompts()[0].icon, Icon::Exclamation);
    const auto dialog = [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QStringLiteral("frmExport") && w->isVisible()) return w;
        return static_cast<QWidget*>(nullptr);
    };
    EXPECT_EQ(dialog(), nullptr);

    loaded();
    writeBytes(out(QStringLiteral("sortie.gpx")), "old");
    struct Case {
        QString file;
        int type;
        QStringList written;
        bool asks;
    };
    const Case cases[] = {
        {"sortie.shp", 1, {"sortie_tl.shp", "sortie_tp.shp", "sortie_w.shp"}, false},
        {"sortie.gpx", 2, {"sortie.gpx"}, true},
        {"sortie.csv", 3, {"sortie.csv"}, false},
    };
    for (const Case& c : cases) {
        prompts->clear();
        setFlags(true, true);
        trigger("fichierEnregistrer");
        QWidget* dlg = dialog();
        ASSERT_NE(dlg, nullptr);
        EXPECT_FALSE(window->isEnabled());
        prompts->answerSave(FileChoice{{out(c.file)}, c.type});
        if (c.asks) prompts->answer(Answer::Yes);
        dlg->findChild<QAbstractButton*>(QStringLiteral("cmdFichier"))->click();
        dlg->findChild<QAbstractButton*>(QStringLiteral("cmdEnregistrer"))->click();
        EXPECT_EQ(prompts->texts().last(), QStringLiteral("Les Waypoints et les Traces ont bien été enregistrés."))
            << prompts->texts().join(u'\n').toStdString();
        for (const QString& name : c.written) EXPECT_TRUE(QFile::exists(out(name))) << name.toStdString();
        EXPECT_EQ(lblFichier(), out(c.file));
        EXPECT_FALSE(state().modifWaypoints || state().modifTraces) << c.type;
        EXPECT_TRUE(window->isEnabled());
        EXPECT_EQ(dialog(), nullptr);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    EXPECT_TRUE(readBytes(out(QStringLiteral("sortie.gpx"))).startsWith("<?xml"));
    EXPECT_TRUE(readBytes(out(QStringLiteral("sortie.csv"))).startsWith("Trace;\"Nom\";X;Y"));
}

}  // namespace
}  // namespace sotrix::test
