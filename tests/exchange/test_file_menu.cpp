// The "Fichier" menu of a real main window: Open with its question, dialog, missing-file
// loop, the layout checks and a file of each kind made by an outside tool; our own CSV
// export opened back; Close with and without its question; Save through the export
// options dialog to each format with the real engine.

#include "FileMenu.h"

#include "FileOpenKinds.h"
#include "ListeNoms.h"
#include "TransferCommands.h"
#include "TypeFichier.h"
#include "frmAccueil.h"
#include "frmExport.h"
#include "WorkspaceData.h"
#include "test_export_fixture.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QLabel>

#include <optional>

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
    void redraw() override {
        calls << QStringLiteral("redraw");
        busy << busyNow();
        frmAccueil::redraw();
    }
    void majListes() override {
        busy << busyNow();
        frmAccueil::majListes();
    }
    void zoomGlobal() override {
        calls << QStringLiteral("zoomGlobal");
        busy << busyNow();
        frmAccueil::zoomGlobal();
    }

    // At each list refresh, zoom and redraw: whether the hourglass showed and the window
    // had been painted since paints was last cleared.
    QStringList busy;
    int paints = 0;

protected:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::Paint) ++paints;
        return frmAccueil::event(e);
    }

private:
    QString busyNow() const {
        const QCursor* c = QApplication::overrideCursor();
        return QStringLiteral("%1 %2").arg(c && c->shape() == Qt::WaitCursor ? "hourglass" : "arrow",
                                           paints > 0 ? "painted" : "unpainted");
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
            if (w->objectName() == QStringLiteral("frmExport") || w->objectName() == QStringLiteral("frmImport"))
                delete w;
        window.reset();
        ExportTest::TearDown();
    }

    void trigger(const char* name) {
        QAction* action = window->findChild<QAction*>(QString::fromUtf8(name));
        ASSERT_NE(action, nullptr) << name;
        action->trigger();
    }
    QString lblFichier() const { return window->findChild<QLabel*>(QStringLiteral("lblFichier"))->text(); }

    // Open from an empty workspace with the file and filter given to the dialog.
    void open(const QString& file, int type) {
        window->viderDb();
        prompts->clear();
        window->calls.clear();
        prompts->answerOpen(FileChoice{{file}, type});
        trigger("fichierOuvrir");
    }
    // The texts of the message boxes shown, in order.
    QStringList messages() const {
        QStringList texts;
        for (const Prompt& p : prompts->prompts())
            if (p.kind == PromptKind::Message) texts << p.text;
        return texts;
    }
    static QWidget* importDialog() {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QStringLiteral("frmImport") && w->isVisible()) return w;
        return nullptr;
    }
    static void clickImport(const char* button) {
        importDialog()->findChild<QAbstractButton*>(QString::fromLatin1(button))->click();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // Waypoint names with their GPS coordinates, in storage order.
    static QString places() {
        DbGuard db;
        QStringList out;
        Cursor c = db->query(QStringLiteral("SELECT Nom, Lon, Lat FROM Points WHERE Trace = 0 ORDER BY Id_point"));
        while (c.next())
            out << c.value(0).toString() + u'@' + QString::number(c.value(1).toDouble(), 'f', 6) + u',' +
                       QString::number(c.value(2).toDouble(), 'f', 6);
        return out.join(u'|');
    }

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

TEST_F(FileMenu, OpenOfAGpxPaintsOverTheDialogThenShowsTheHourglassUntilTheMapIsDrawn) {
    const QString gpx = gpsbabelGpx();
    window->viderDb();
    prompts->answerOpen(FileChoice{{gpx}, typefichier::kOuvrirGpx});
    QApplication::processEvents();
    window->busy.clear();
    window->paints = 0;
    trigger("fichierOuvrir");
    EXPECT_EQ(rows(), QStringLiteral("L'église|Café|Troisième +3"));
    // The workspace is emptied before the dialog; after it, the lists are refreshed by the
    // import, then the view is built and drawn.
    EXPECT_EQ(window->busy, (QStringList{"arrow unpainted", "arrow unpainted", "hourglass painted",
                                         "hourglass painted", "hourglass painted"}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the pointer comes back once the map is drawn";
}

TEST_F(FileMenu, OpenOfEachKindImportsAFileMadeByAnOutsideTool) {
    gpsbabelGpx();
    const QString csv = out(QStringLiteral("points.csv"));
    const auto tool = [](const char* program, const QStringList& args) {
        const ProgramRun r = runProgram(QString::fromLatin1(program), args);
        EXPECT_EQ(r.exitCode, 0) << program << r.err.toStdString();
    };
    const QString shp = out(QStringLiteral("ogr.shp"));
    tool("ogr2ogr", {"-f", "ESRI Shapefile", shp, csv, "-oo", "X_POSSIBLE_NAMES=Longitude", "-oo",
                     "Y_POSSIBLE_NAMES=Latitude"});
    const QString semicolon = out(QStringLiteral("s.csv"));
    tool("ogr2ogr", {"-f", "CSV", semicolon, csv, "-lco", "SEPARATOR=SEMICOLON"});
    const QString comma = out(QStringLiteral("c.csv"));
    tool("gpsbabel", {"-i", "gpx", "-f", out(QStringLiteral("gpsbabel.gpx")), "-o", "unicsv", "-F", comma});
    // Four header lines, then the same places; line 6 is too short and is passed over.
    const QString g7 = out(QStringLiteral("g7.csv"));
    writeBytes(g7, "G7ToWin export\r\nDatum:,WGS 84\r\nlibre\r\ntexte\r\n"
                   "W,L'\xc3\xa9glise,50.85,4.35,,,,,,,,,,,120\r\nW,Court,50.5\r\n"
                   "W,Caf\xc3\xa9,50.5,4.25,,,,,,,,,,,\r\nW,Troisi\xc3\xa8me,50.6,4.3,,,,,,,,,,,10\r\n");

    struct Case {
        QString file;
        int type;
        bool viaDialog;
        QStringList messages;
    };
    const std::vector<Case> cases{
        {shp, typefichier::kOuvrirShapefile, true, {}},
        {g7,
         typefichier::kOuvrirG7ToWin,
         false,
         {QStringLiteral("Le système de projection associé au fichier 'G7ToWin' est supposé être celui du GPS."),
          QStringLiteral("1 ligne du fichier '") + g7 + QStringLiteral("' a été ignorée (ligne 6).")}},
        {semicolon, typefichier::kOuvrirCsvPointVirgule, true, {}},
        {comma, typefichier::kOuvrirCsvVirgule, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        setFlags(true, true);
        open(c.file, c.type);
        EXPECT_EQ(lblFichier(), c.file);
        if (c.viaDialog) {
            ASSERT_NE(importDialog(), nullptr);
            EXPECT_FALSE(window->isEnabled());
            EXPECT_TRUE(places().isEmpty());
            // An attribute table does not say its coordinate system; these are GPS ones.
            if (c.type == typefichier::kOuvrirShapefile)
                importDialog()->findChild<QComboBox*>(QStringLiteral("Combo_projection"))->setCurrentIndex(0);
            clickImport("ouvrir_dbf");
            EXPECT_EQ(importDialog(), nullptr);
            EXPECT_TRUE(window->isEnabled());
        }
        EXPECT_EQ(messages(), c.messages);
        EXPECT_EQ(places(), QStringLiteral("L'église@4.350000,50.850000|Café@4.250000,50.500000|"
                                           "Troisième@4.300000,50.600000"));
        EXPECT_FALSE(state().modifWaypoints || state().modifTraces);
        EXPECT_EQ(window->calls.first(), QStringLiteral("viderDb"));
        EXPECT_EQ(window->calls.mid(window->calls.size() - 2), (QStringList{"zoomGlobal", "redraw"}));
    }
}

TEST_F(FileMenu, OpenRefusesAFileWithoutTheLayoutOfItsKind) {
    const QString notG7 = QStringLiteral(
        "Le fichier csv sélectionné n'a pas été créé à l'aide de l'application G7ToWin.\nPour importer un fichier "
        "CSV classique, vous devez sélectionner 'CSV (séparateur: point virgule)' ou 'CSV (séparateur: virgule)' "
        "comme type de fichier.");
    const QString notSemicolon =
        QStringLiteral("Le séparateur utilisé dans le fichier CSV sélectionné n'est pas le point-virgule (';').");
    const QString notComma = QStringLiteral("Le séparateur utilisé dans le fichier CSV sélectionné n'est pas la virgule (',').");
    const QString g7Info = QStringLiteral("Le système de projection associé au fichier 'G7ToWin' est supposé être celui du GPS.");
    struct Case {
        const char* what;
        QByteArray bytes;
        int type;
        QString refusal;  // "" when the file passes
    };
    const std::vector<Case> cases{
        {"';' file under the ',' filter", "Name;Lat;Lon\r\nA,B;50;4\r\n", typefichier::kOuvrirCsvVirgule, notComma},
        {"a ',' in the first line of a ';' file", "Nom;Note, libre;X;Y\n", typefichier::kOuvrirCsvVirgule, ""},
        {"',' file under the ';' filter", "Nom,X,Y\n", typefichier::kOuvrirCsvPointVirgule, notSemicolon},
        {"empty file", "", typefichier::kOuvrirCsvPointVirgule, notSemicolon},
        {"keyword in lower case between blanks", "G7ToWin\r\n  datum: ,WGS 84\r\n", typefichier::kOuvrirG7ToWin, ""},
        {"quoted keyword", "G7ToWin\n\"Datum:\",WGS 84\n", typefichier::kOuvrirG7ToWin, ""},
        {"longer keyword", "G7ToWin\nDATUMS:,WGS 84\n", typefichier::kOuvrirG7ToWin, notG7},
        {"keyword not first", "G7ToWin\nWGS 84,Datum:\n", typefichier::kOuvrirG7ToWin, notG7},
        {"one line", "Datum:,WGS 84\n", typefichier::kOuvrirG7ToWin, notG7},
        {"empty second line", "G7ToWin\n\nDatum:,WGS 84\n", typefichier::kOuvrirG7ToWin, notG7},
    };
    const QString file = out(QStringLiteral("layout.csv"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeBytes(file, c.bytes);
        open(file, c.type);
        if (!c.refusal.isEmpty()) {
            EXPECT_EQ(messages(), QStringList{c.refusal});
            EXPECT_EQ(prompts->prompts().back().icon, Icon::Exclamation);
            EXPECT_TRUE(state().nomFichier.isEmpty());
            EXPECT_TRUE(lblFichier().isEmpty());
            EXPECT_EQ(importDialog(), nullptr);
            continue;
        }
        EXPECT_EQ(lblFichier(), file);
        if (c.type == typefichier::kOuvrirG7ToWin) {
            // Too short to hold a point: nothing imported, nothing more said.
            EXPECT_EQ(messages(), QStringList{g7Info});
            EXPECT_EQ(prompts->prompts().back().icon, Icon::Information);
        } else {
            EXPECT_TRUE(messages().isEmpty());
            ASSERT_NE(importDialog(), nullptr);
            clickImport("annuler_dbf");
        }
        EXPECT_EQ(rows(), QStringLiteral(" +0"));
    }
    // A file that cannot be read is told apart from a refused one.
    EXPECT_EQ(verifieG7ToWin(out(QStringLiteral("absent.csv"))), Disposition::Unreadable);
    EXPECT_EQ(verifieSeparateurCsv(outDir(), QStringLiteral(";")), Disposition::Unreadable);
}

TEST_F(FileMenu, CsvExportOpensBackToTheSameNamesAndCoordinates) {
    struct Place {
        const char* name;
        const char* read;  // the name read back
        double x, y;
    };
    const Place placesWritten[] = {
        {"Café \"Lion\"; Bxl", "Café \"Lion\"; Bxl", 150123.456789012345, 170234.5},
        {"L'église", "L'église", -0.5, 1.2345678901234567e-05},
        {"\"Łódź\";", "\"Łódź\";", 98765.4321098765, 234567.890123456},
        // A line break inside a field is one blank, whatever its form.
        {"Sur\r\ntrois\nlignes\r;", "Sur trois lignes ;", 1.5, 2.5},
    };
    const auto number = [](double v) { return QString::number(v, 'g', 15); };
    QStringList expected;
    for (const Place& p : placesWritten) expected << QString::fromUtf8(p.read) + u'|' + number(p.x) + u'|' + number(p.y);
    const QString file = out(QStringLiteral("aller-retour.csv"));
    for (const bool commaLocale : {false, true}) {
        SCOPED_TRACE(commaLocale ? "comma locale" : "C locale");
        std::optional<CommaLocale> locale;
        if (commaLocale) locale.emplace();
        state().sepDecimal = commaLocale ? QStringLiteral(",") : QStringLiteral(".");
        window->viderDb();
        {
            DbGuard db;
            for (const Place& p : placesWritten)
                db->exec(QStringLiteral("INSERT INTO Points (Nom, Lon, Lat, X, Y, Trace) VALUES (?, 0, 0, ?, ?, 0)"),
                         {QString::fromUtf8(p.name), p.x, p.y});
        }
        run(typefichier::kEnregistrerCsv, file, true, false, false, false, false, 1);
        ASSERT_TRUE(state().resultatOk);
        EXPECT_EQ(readBytes(file).contains(",5;"), commaLocale);

        open(file, typefichier::kOuvrirCsvPointVirgule);
        ASSERT_NE(importDialog(), nullptr);
        std::vector<int> chosen;
        for (const char* combo : {"Combo_nom", "Combo_x", "Combo_y", "Combo_projection"})
            chosen.push_back(importDialog()->findChild<QComboBox*>(QString::fromLatin1(combo))->currentIndex());
        EXPECT_EQ(chosen, (std::vector<int>{1, 2, 3, 1}));
        clickImport("ouvrir_dbf");
        EXPECT_TRUE(messages().isEmpty()) << messages().join(u'\n').toStdString();

        QStringList got;
        DbGuard db;
        Cursor c = db->query(QStringLiteral("SELECT Nom, X, Y FROM Points ORDER BY Id_point"));
        while (c.next())
            got << c.value(0).toString() + u'|' + number(c.value(1).toDouble()) + u'|' + number(c.value(2).toDouble());
        EXPECT_EQ(got, expected);
    }
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
            if (c.asks) {
                EXPECT_EQ(prompts->prompts()[0].icon, Icon::Question);
            }
            const bool emptied = answer == Answer::Yes;
            EXPECT_EQ(rows() == QStringLiteral(" +0"), emptied);
            EXPECT_EQ(lblFichier().isEmpty(), emptied);
            EXPECT_EQ(state().modifWaypoints, c.modifWaypoints);
            EXPECT_EQ(state().modifTraces, c.modifTraces);
            if (!emptied) videDonnees();
        }
    }
}

TEST_F(FileMenu, ADatabaseLockedElsewhereLosesNoRowAndEveryCommandThatEmptiesTheWorkspaceStillAsks) {
    struct Transfers final : TransferService {
        void telechargeGps(bool, bool, bool) override { ++runs; }
        void envoieGps(bool, bool, bool) override { ++runs; }
        int runs = 0;
    };
    const auto transfers = std::make_shared<Transfers>();
    ASSERT_EQ(connecteMenuTransferts(window.get(), transfers), 7);
    const QString locked =
        QStringLiteral("Une erreur est survenue lors de l'accès à la base de données : database is locked");
    // Another program's lock is let go of when the failed zoom's message shows, before the
    // command under test, or after it.
    enum class Release { AtTheMessage, BeforeTheCommand, AfterTheCommand };
    struct Case {
        const char* command;
        Release release;
        Answer answer;
        QStringList prompts;  // after the failed zoom's message
    };
    const Case cases[] = {
        {"fichierOuvrir", Release::AtTheMessage, Answer::No, {kReplace}},
        {"fermerFichier", Release::BeforeTheCommand, Answer::No, {kUnsaved}},
        {"fichierQuitter", Release::AfterTheCommand, Answer::No, {kUnsaved}},
        {"gpsTéléchargerTout", Release::AfterTheCommand, Answer::No, {kReplace}},
        {"fichierOuvrir", Release::AfterTheCommand, Answer::Yes, {kReplace, locked}},
    };
    const auto shown = [this] {
        QStringList out;
        for (const char* name : {"lblWaypoints", "lblTraces"})
            out << window->findChild<QLabel*>(QString::fromLatin1(name))->text();
        for (const char* name : {"lstWaypoint", "lstTrace"}) {
            const auto* list = window->findChild<ListeNoms*>(QString::fromLatin1(name));
            for (int row = 0; row < list->count(); ++row) out << list->text(row);
        }
        return out;
    };
    loaded();
    const QString before = rows();
    const QStringList listed = shown();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        std::optional<Database> other(std::in_place, databasePath());
        other->exec(QStringLiteral("begin exclusive"));
        prompts->clear();
        prompts->onMessage = [&](const Prompt& p) {
            if (c.release == Release::AtTheMessage && p.text == locked) other.reset();
        };
        window->findChild<QAbstractButton*>(QStringLiteral("cmdExtentAll"))->click();
        EXPECT_EQ(shown(), listed);
        if (c.release == Release::BeforeTheCommand) other.reset();
        prompts->answer(c.answer);
        trigger(c.command);
        other.reset();
        prompts->onMessage = {};
        EXPECT_EQ(prompts->texts(), QStringList{locked} + c.prompts);
        EXPECT_EQ(rows(), before);
        EXPECT_EQ(shown(), listed);
        EXPECT_EQ(transfers->runs, 0);
        EXPECT_TRUE(window->isVisible());
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
