// The export options dialog over a real main window, with a recording export: its
// states for each format and selection, the Save dialog and its overwrite question, the
// checks, the five choices handed to the export, the outcome and every way out.

#include "frmExport.h"

#include "State.h"
#include "test_export_fixture.h"
#include "frmAccueil.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QtTest/qtestspontaneevent.h>

namespace sotrix::test {
namespace {

const QString kNoFile = QStringLiteral("Vous devez sélectionner un fichier de destination.");
const QString kNothing = QStringLiteral("Vous devez sélectionner au moins un élément (Waypoint et/ou Trace) à enregistrer.");
const QString kNoShape = QStringLiteral("Vous devez sélectionner la manière d'enregistrer les traces.");

class ExportDialog : public ExportTest {
protected:
    void SetUp() override {
        ExportTest::SetUp();
        window = std::make_unique<frmAccueil>();
        window->show();
    }
    void TearDown() override {
        delete dlg.data();
        window.reset();
        ExportTest::TearDown();
    }

    void open() {
        dlg = new frmExport([this](bool w, bool t, bool l, bool p, bool s) {
            exports << QStringLiteral("%1%2%3%4%5 proj%6").arg(w).arg(t).arg(l).arg(p).arg(s).arg(state().projExport);
            state().resultatOk = exportSucceeds;
        });
        dlg->showOver(window.get());
    }

    // The texts of the message boxes shown, in order.
    QStringList messages() const {
        QStringList out;
        for (const auto& p : prompts->prompts())
            if (p.kind == PromptKind::Message) out << p.text;
        return out;
    }

    QAbstractButton* button(const char* name) { return dlg->findChild<QAbstractButton*>(QString::fromUtf8(name)); }
    void click(const char* name) { button(name)->click(); }
    QString txtFichier() { return dlg->findChild<QLineEdit*>(QStringLiteral("txtFichier"))->text(); }
    QString lblFichier() { return window->findChild<QLabel*>(QStringLiteral("lblFichier"))->text(); }

    // Ticked (1/0) and enabled (+/-) of chkWaypoints, chkTraces, chkTracesLigne,
    // chkTracesPoint, chkSelect, optGps and optAffichage.
    QString etat() {
        QStringList out;
        for (const char* name : {"chkWaypoints", "chkTraces", "chkTracesLigne", "chkTracesPoint", "chkSelect", "optGps",
                                 "optAffichage"}) {
            const QAbstractButton* b = button(name);
            out << QString::number(b->isChecked()) + (b->isEnabled() ? u'+' : u'-');
        }
        return out.join(u' ');
    }

    // "..." answered with path under the filter at position type, then the answers to
    // the questions that follow.
    void choose(const QString& path, int type, std::initializer_list<Answer> then = {}) {
        prompts->answerSave(FileChoice{{path}, type});
        for (const Answer a : then) prompts->answer(a);
        click("cmdFichier");
    }

    std::unique_ptr<frmAccueil> window;
    QPointer<frmExport> dlg;
    QStringList exports;
    bool exportSucceeds = true;
};

TEST_F(ExportDialog, LoadsOverTheMainWindowAndFollowsTheFormatChosen) {
    open();
    EXPECT_EQ(etat(), "1+ 1+ 0- 0- 0- 0+ 1+");  // nothing selected
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Options de l'enregistrement"));
    EXPECT_TRUE(txtFichier().isEmpty());
    EXPECT_FALSE(window->isEnabled());
    EXPECT_TRUE(dlg->isEnabled());
    EXPECT_EQ(dlg->windowModality(), Qt::WindowModal);
    delete dlg.data();

    state().nbTracesSel = 1;
    state().typeFichier = 1;  // the last file command was a shapefile
    open();
    EXPECT_EQ(etat(), "1+ 1+ 0- 0- 0+ 0+ 1+");
    struct Step {
        std::function<void()> action;
        QString etat;
    };
    const Step steps[] = {
        {[this] { click("chkTraces"); }, "1+ 0+ 0- 0- 0+ 0+ 1+"},
        {[this] { click("chkTraces"); }, "1+ 1+ 1+ 0+ 0+ 0+ 1+"},  // before any choice: the last type
        {[this] { choose(out("a.gpx"), 2); }, "1+ 1+ 0- 0- 0+ 1- 0-"},
        {[this] { choose(out("b.csv"), 3); }, "1+ 1+ 0- 0- 0+ 0+ 1+"},
        {[this] { click("optGps"); }, "1+ 1+ 0- 0- 0+ 1+ 0+"},
        {[this] { choose(out("c.shp"), 1); }, "1+ 1+ 1+ 0+ 0+ 0+ 1+"},
        {[this] { click("chkTracesPoint"); }, "1+ 1+ 1+ 1+ 0+ 0+ 1+"},
        {[this] { click("chkTraces"); }, "1+ 0+ 0- 0- 0+ 0+ 1+"},
        {[this] { click("chkTraces"); }, "1+ 1+ 1+ 0+ 0+ 0+ 1+"},
    };
    int i = 0;
    for (const Step& step : steps) {
        step.action();
        EXPECT_EQ(etat(), step.etat) << "step " << i++;
    }
    EXPECT_EQ(txtFichier(), out("c.shp"));
    EXPECT_TRUE(messages().isEmpty()) << "no question: none of the files exists";
}

TEST_F(ExportDialog, SaveDialogAsksBeforeReplacingAndKeepsItsFilter) {
    writeBytes(out("sortie_tw.shp"), "x");
    writeBytes(out("seul.shp"), "x");
    writeBytes(out("x.gpx"), "x");
    state().nomFichier = QStringLiteral("/ancien/chemin.gpx");
    state().typeFichier = 2;
    state().dernierDossier = outDir();
    open();
    click("cmdEnregistrer");  // a path from an earlier command does not count

    prompts->answerSave(std::nullopt);
    click("cmdFichier");  // cancel changes nothing
    EXPECT_EQ(state().nomFichier, QStringLiteral("/ancien/chemin.gpx"));
    EXPECT_EQ(state().typeFichier, 2);

    choose(out("sortie.shp"), 1, {Answer::Yes});  // only a file of its set exists
    EXPECT_EQ(txtFichier(), out("sortie.shp"));
    choose(out("seul.shp"), 1);  // only the chosen name exists: never written, never asked
    EXPECT_EQ(txtFichier(), out("seul.shp"));

    // No: the dialog again; Cancel there leaves no file chosen.
    prompts->answerSave(FileChoice{{out("x.gpx")}, 2});
    prompts->answer(Answer::No);
    prompts->answerSave(std::nullopt);
    click("cmdFichier");
    EXPECT_TRUE(state().nomFichier.isEmpty());
    click("cmdEnregistrer");

    const QString sub = out("sous");
    ASSERT_TRUE(QDir().mkpath(sub));
    choose(sub + QStringLiteral("/sortie"), 2);  // a name without suffix gets the format's
    EXPECT_EQ(state().nomFichier, sub + QStringLiteral("/sortie.gpx"));
    EXPECT_EQ(state().dernierDossier, sub);
    choose(out("sortie"), 1, {Answer::Yes});
    EXPECT_EQ(txtFichier(), out("sortie.shp"));
    EXPECT_TRUE(exports.isEmpty());

    const QString exists = QStringLiteral("' existe déjà.\nVoulez-vous le remplacer ?");
    EXPECT_EQ(messages(),
              (QStringList{kNoFile, QStringLiteral("Le fichier '") + out("sortie.shp") + exists,
                           QStringLiteral("Le fichier '") + out("x.gpx") + exists, kNoFile,
                           QStringLiteral("Le fichier '") + out("sortie.shp") + exists}));
    std::vector<int> offered;
    for (const auto& p : prompts->prompts()) {
        if (p.kind == PromptKind::Message) {
            EXPECT_EQ(p.icon, p.text == kNoFile ? Icon::Exclamation : Icon::Question);
            continue;
        }
        EXPECT_EQ(p.file.title, QStringLiteral("Enregistrer"));
        EXPECT_EQ(p.file.filters, (QStringList{QStringLiteral("Shapefile (*.shp)"), QStringLiteral("GPX (*.gpx)"),
                                               QStringLiteral("CSV : séparateur point virgule (*.csv)")}));
        offered.push_back(p.file.filterIndex);
    }
    EXPECT_EQ(offered, (std::vector<int>{1, 1, 1, 1, 2, 2, 2}));
}

TEST_F(ExportDialog, ChecksThenHandsItsChoicesToTheExportAndTellsTheOutcome) {
    struct Case {
        QString file;
        int type;
        std::vector<const char*> clicks;
        QString exported, message;
    };
    const QString all = QStringLiteral("Les Waypoints et les Traces ont bien été enregistrés.");
    const Case cases[] = {
        {"set.shp", 1, {}, "11100 proj1", all},
        {"set.shp", 1, {"chkTraces"}, "10000 proj1", "Les Waypoints ont bien été enregistrés."},
        {"set.shp", 1, {"chkTracesLigne", "chkTracesPoint", "chkSelect"}, "11011 proj1", all},
        {"w.gpx", 2, {"chkWaypoints", "chkSelect"}, "01001 proj0", "Les Traces ont bien été enregistrées."},
        {"p.csv", 3, {"optGps"}, "11000 proj0", all},
    };
    state().nbTracesSel = 1;

    // The checks, in order, each keeping every choice.
    open();
    choose(out("sortie.shp"), 1);
    for (const char* name : {"chkSelect", "chkWaypoints", "chkTraces", "cmdEnregistrer"}) click(name);
    const QString neither = etat();
    for (const char* name : {"chkTraces", "chkTracesLigne", "cmdEnregistrer"}) click(name);
    EXPECT_EQ(messages(), (QStringList{kNothing, kNoShape}));
    for (const auto& p : prompts->prompts()) {
        if (p.kind == PromptKind::Message) {
            EXPECT_EQ(p.icon, Icon::Exclamation);
        }
    }
    EXPECT_EQ(neither, "0+ 0+ 0- 0- 1+ 0+ 1+");
    EXPECT_EQ(etat(), "0+ 1+ 0+ 0+ 1+ 0+ 1+");
    EXPECT_TRUE(exports.isEmpty());
    delete dlg.data();

    for (const Case& c : cases) {
        prompts->clear();
        exports.clear();
        open();
        choose(out(c.file), c.type);
        for (const char* name : c.clicks) click(name);
        click("cmdEnregistrer");
        EXPECT_EQ(exports, QStringList{c.exported}) << c.file.toStdString();
        ASSERT_EQ(prompts->prompts().size(), 2u);
        EXPECT_EQ(prompts->prompts()[1].text, c.message);
        EXPECT_EQ(prompts->prompts()[1].icon, Icon::Information);
        EXPECT_EQ(lblFichier(), out(c.file));
        EXPECT_TRUE(window->isEnabled());
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(dlg.isNull());
    }
}

TEST_F(ExportDialog, AFailedExportKeepsTheDialogAndEveryWayOutGivesTheMainWindowBack) {
    window->setLblFichier(QStringLiteral("avant.gpx"));
    exportSucceeds = false;
    open();
    choose(out("x.csv"), 3);
    click("cmdEnregistrer");
    EXPECT_EQ(exports.size(), 1);
    EXPECT_TRUE(messages().isEmpty()) << "the export tells its own failure";
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_FALSE(window->isEnabled());
    EXPECT_EQ(lblFichier(), QStringLiteral("avant.gpx"));
    EXPECT_EQ(txtFichier(), out("x.csv"));

    const std::function<void()> ways[] = {
        [this] { click("cmAnnuler"); },
        [this] { dlg->reject(); },  // Escape
        [this] {
            QCloseEvent ev;  // the title bar's close
            QSpontaneKeyEvent::setSpontaneous(&ev);
            static_cast<QObject*>(dlg.data())->event(&ev);
        },
    };
    int way = 0;
    for (const auto& leave : ways) {
        if (way > 0) open();
        leave();
        EXPECT_TRUE(window->isEnabled()) << way;
        EXPECT_FALSE(dlg->isVisible()) << way;
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(dlg.isNull()) << way;
        ++way;
    }
    EXPECT_EQ(exports.size(), 1);
    EXPECT_EQ(lblFichier(), QStringLiteral("avant.gpx"));
}

}  // namespace
}  // namespace sotrix::test
