// The field-mapping dialog: its automatic choices, what it loads for a CSV header and for
// an attribute table, the checks of "Ouvrir" in their order, the choices it stores, and
// the main window given back on every way out.
#include "test_import_fixture.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QtTest/qtestspontaneevent.h>

#include <shapefil.h>

using namespace sotrix;
using namespace sotrix::importtest;

namespace {

TEST(ChoixAutomatiques, FirstMatchingWordsAndTheProjectionOfTheLastCoordinate) {
    struct Case {
        const char* header;
        int nom, x, y, projection;
    };
    const Case cases[] = {
        {"Lon;Lat;Nom", 2, 0, 1, 0},
        {"X;Y;Name", 2, 0, 1, 1},
        {"X;LAT", -1, 0, 1, 0},
        {"LONGITUDE;Y", -1, 0, 1, 1},
        {"nom;Name", 0, -1, -1, 1},
        {"NOM1; NOM;label;long;x", 2, 3, -1, 0},
        {"Trace;Nom;X;Y;Altitude;Date;Description", 1, 2, 3, 1},
        {"No;Latitude;Longitude;Name", 3, 2, 1, 0},
        {"a;b;c", -1, -1, -1, 1},
        {"y;Y;lat", -1, -1, 0, 1},
        {"", -1, -1, -1, 1},
    };
    for (const Case& c : cases) {
        const QStringList items = QString::fromLatin1(c.header).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        const ChoixImport got = choixAutomatiques(items, items);
        EXPECT_EQ((std::vector<int>{got.nom, got.x, got.y, got.projection}), (std::vector<int>{c.nom, c.x, c.y, c.projection}))
            << c.header;
    }
    // A shapefile has no coordinate lists: "Affichage" whatever the names.
    EXPECT_EQ(choixAutomatiques({"LON", "LABEL"}, {}).projection, 1);
    EXPECT_EQ(choixAutomatiques({"LON", "LABEL"}, {}).nom, 1);
}

// A main window that can be disabled, and that records how it is given back.
class WindowView final : public MainView {
public:
    QWidget widget;
    QStringList calls;
    QWidget* window() override { return &widget; }
    void majListes() override { calls << QStringLiteral("majListes"); }
    void majNb() override {}
    void zoomGlobal() override { calls << QStringLiteral("zoomGlobal"); }
    void redraw() override { calls << QStringLiteral("redraw"); }
    ViewState& viewState() override { return view_; }
    const ReferenceLayer& referenceLayer() const override { return layer_; }
    void setReferenceLayer(const ReferenceLayer& layer) override { layer_ = layer; }
    void setReferenceRenderer(std::shared_ptr<ReferenceRenderer>) override {}
    void drawShp() override {}
    void setMainWindowEnabled(bool enabled) override {
        calls << QStringLiteral("enabled=%1").arg(enabled);
        widget.setEnabled(enabled);
    }

private:
    ViewState view_;
    ReferenceLayer layer_;
};

class FrmImportTest : public ImportTest {
protected:
    void SetUp() override {
        ImportTest::SetUp();
        state().mainView = &main;
        main.widget.show();
    }
    void TearDown() override {
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(dialog(), nullptr) << "a dialog was left open";
        ImportTest::TearDown();
    }
    static frmImport* dialog() {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("frmImport") && w->isVisible()) return static_cast<frmImport*>(w);
        return nullptr;
    }
    template <class W>
    static W* child(const char* name) {
        return dialog()->findChild<W*>(QLatin1String(name));
    }
    static int index(const char* combo) { return child<QComboBox>(combo)->currentIndex(); }
    static QStringList items(const char* combo) {
        QStringList out;
        for (int i = 0; i < child<QComboBox>(combo)->count(); ++i) out << child<QComboBox>(combo)->itemText(i);
        return out;
    }
    // Opens the dialog on the file; the importer records the choices it was called with.
    bool open(const QString& file, int type) {
        ran = false;
        return ouvreFrmImport(
            file, type, [this](bool r) { ran = r; },
            [this](bool fromGps) {
                const State& s = state();
                EXPECT_FALSE(fromGps);
                stored = QStringList{QString::number(s.projImport), s.champNom, QString::number(s.colonneX),
                                     QString::number(s.colonneY), s.sepDecimalFichier};
                return ImportOutcome::Ok;
            });
    }
    void shapelibTool(const QStringList& args) { runTool(args.front(), args.mid(1)); }

    WindowView main;
    bool ran = false;
    QStringList stored;
};

TEST_F(FrmImportTest, CsvHeaderFillsTheListsAndOuvrirStoresTheChoices) {
    const QString file = writeFile("Lon;\"Lat\";Nom;Desc\n4;50;A;x\n", QStringLiteral("h.csv"));
    ASSERT_TRUE(open(file, typefichier::kOuvrirCsvPointVirgule));
    ASSERT_NE(dialog(), nullptr);
    EXPECT_EQ(dialog()->windowTitle(), QStringLiteral("Importation fichier"));
    EXPECT_FALSE(main.widget.isEnabled());
    EXPECT_TRUE(dialog()->isEnabled());
    EXPECT_EQ(dialog()->windowModality(), Qt::WindowModal);
    for (const char* combo : {"Combo_nom", "Combo_x", "Combo_y"}) {
        EXPECT_EQ(items(combo), (QStringList{"Lon", "Lat", "Nom", "Desc"})) << combo;
        EXPECT_TRUE(child<QComboBox>(combo)->isEnabled());
        EXPECT_FALSE(child<QComboBox>(combo)->isEditable());
    }
    EXPECT_EQ(items("Combo_projection"), (QStringList{"GPS", "Affichage"}));
    EXPECT_EQ((std::vector<int>{index("Combo_x"), index("Combo_y"), index("Combo_nom"), index("Combo_projection")}),
              (std::vector<int>{0, 1, 2, 0}));
    EXPECT_EQ(child<QLineEdit>("txtSep")->text(), QStringLiteral("."));
    const std::pair<const char*, const char*> labels[] = {{"Label3_6", "Champ \"Nom\" :"},
                                                          {"Label3_9", "Champ \"X\" / \"Longitude\" :"},
                                                          {"Label3_7", "Champ \"Y\" / \"Latitude\" :"},
                                                          {"Label3_0", "Séparateur décimal :"},
                                                          {"Label3_1", "Système de projection :"}};
    for (const auto& [name, text] : labels) {
        ASSERT_NE(child<QLabel>(name), nullptr) << name;
        EXPECT_EQ(child<QLabel>(name)->text(), QString::fromUtf8(text));
        EXPECT_TRUE(child<QLabel>(name)->isEnabled());
    }
    EXPECT_EQ(child<QPushButton>("ouvrir_dbf")->text(), QStringLiteral("Ouvrir"));
    EXPECT_EQ(child<QPushButton>("annuler_dbf")->text(), QStringLiteral("Annuler"));

    child<QComboBox>("Combo_nom")->setCurrentIndex(3);
    child<QComboBox>("Combo_projection")->setCurrentIndex(1);
    child<QLineEdit>("txtSep")->setText(QStringLiteral(""));
    state().modifWaypoints = state().modifTraces = true;
    child<QPushButton>("ouvrir_dbf")->click();
    EXPECT_EQ(stored, (QStringList{"1", "3", "0", "1", ""}));
    EXPECT_TRUE(ran);
    EXPECT_FALSE(state().modifWaypoints || state().modifTraces);
    EXPECT_EQ(state().sepChamps, QStringLiteral(";"));
    EXPECT_EQ(main.calls, (QStringList{"zoomGlobal", "redraw"}));
    EXPECT_TRUE(main.widget.isEnabled());
    EXPECT_EQ(dialog(), nullptr);
}

TEST_F(FrmImportTest, ChecksOfOuvrirInTheirOrder) {
    const QString virgule = writeFile("a,b,c\n", QStringLiteral("v.csv"));
    ASSERT_TRUE(open(virgule, typefichier::kOuvrirCsvVirgule));
    EXPECT_EQ((std::vector<int>{index("Combo_x"), index("Combo_y"), index("Combo_nom"), index("Combo_projection")}),
              (std::vector<int>{-1, -1, -1, 1}));
    const QString projection = QString::fromUtf8("Vous devez sélectionner le système de projection des données à importer.");
    const QString columns = QString::fromUtf8("Vous devez sélectionner les champs 'Nom', 'X' et 'Y' avant de pouvoir continuer.");
    const QString separator =
        QString::fromUtf8("Le séparateur décimal doit être différent du délimitateur de champ ('virgule').");
    struct Step {
        const char* combo;
        int index;
        QString refusal;  // "" when the import runs
    };
    child<QComboBox>("Combo_projection")->setCurrentIndex(-1);
    child<QLineEdit>("txtSep")->setText(QStringLiteral(","));
    const std::vector<Step> steps{{"Combo_x", 0, projection}, {"Combo_projection", 0, columns},
                                  {"Combo_y", 1, columns},    {"Combo_nom", 2, separator}};
    for (const Step& s : steps) {
        child<QComboBox>(s.combo)->setCurrentIndex(s.index);
        prompts->clear();
        dialog()->ouvrir_dbf_Click();
        EXPECT_EQ(prompts->texts(), QStringList{s.refusal}) << s.combo;
        EXPECT_EQ(prompts->prompts()[0].icon, Icon::Exclamation);
        ASSERT_NE(dialog(), nullptr);
        EXPECT_EQ(child<QLineEdit>("txtSep")->text(), QStringLiteral(","));
    }
    EXPECT_FALSE(ran);
    child<QLineEdit>("txtSep")->setText(QStringLiteral(" , "));  // not exactly ","
    dialog()->ouvrir_dbf_Click();
    EXPECT_EQ(stored, (QStringList{"0", "2", "0", "1", " , "}));

    // "," in a ";" file is accepted.
    ASSERT_TRUE(open(writeFile("Nom;X;Y\n", QStringLiteral("p.csv")), typefichier::kOuvrirCsvPointVirgule));
    child<QLineEdit>("txtSep")->setText(QStringLiteral(","));
    prompts->clear();
    dialog()->ouvrir_dbf_Click();
    EXPECT_TRUE(prompts->prompts().empty());
    EXPECT_EQ(stored, (QStringList{"1", "0", "1", "2", ","}));
}

TEST_F(FrmImportTest, AttributeTableFillsTheNameListOnly) {
    // Any case of the three files.
    shapelibTool({"shpcreate", "routes", "point"});
    shapelibTool({"dbfcreate", "routes.dbf", "-s", "CODE", "10", "-n", "NUM", "5", "0", "-s", "LABEL", "20"});
    for (const auto& [from, to] : {std::pair{"routes.shp", "ROUTES.SHP"}, {"routes.dbf", "Routes.DBF"}})
        ASSERT_TRUE(QFile::rename(path(QString::fromLatin1(from)), path(QString::fromLatin1(to))));
    ASSERT_TRUE(open(path("ROUTES.SHP"), typefichier::kOuvrirShapefile));
    EXPECT_EQ(items("Combo_nom"), (QStringList{"CODE", "NUM", "LABEL"}));
    EXPECT_EQ(index("Combo_nom"), 2);
    EXPECT_EQ(index("Combo_projection"), 1);
    for (const char* combo : {"Combo_x", "Combo_y"}) {
        EXPECT_TRUE(items(combo).isEmpty());
        EXPECT_FALSE(child<QComboBox>(combo)->isEnabled());
    }
    for (const char* label : {"Label3_9", "Label3_7", "Label3_0"}) EXPECT_FALSE(child<QLabel>(label)->isEnabled());
    EXPECT_TRUE(child<QLabel>("Label3_6")->isEnabled() && child<QLabel>("Label3_1")->isEnabled());
    EXPECT_FALSE(child<QLineEdit>("txtSep")->isEnabled());
    EXPECT_EQ(child<QLineEdit>("txtSep")->text(), QString());

    child<QComboBox>("Combo_nom")->setCurrentIndex(-1);
    prompts->clear();
    dialog()->ouvrir_dbf_Click();
    EXPECT_EQ(prompts->texts(),
              QStringList{QString::fromUtf8("Vous devez sélectionner le champ 'Nom' avant de pouvoir continuer.")});
    child<QComboBox>("Combo_nom")->setCurrentIndex(1);
    state().colonneX = 7;
    dialog()->ouvrir_dbf_Click();
    // The field's name; the CSV choices are left alone.
    EXPECT_EQ(stored, (QStringList{"1", "NUM", "7", "-1", "."}));
}

TEST_F(FrmImportTest, FieldNamesAreReadInTheTablesCodePage) {
    struct Case {
        const char* what;
        QByteArray name;  // as stored
        const char* cpg;  // nullptr: none
        char ldid;
        QString shown;
    };
    const std::vector<Case> cases{
        {"UTF-8 with a .cpg", "D\xC3\xA9signati", "UTF-8", 0, QStringLiteral("Désignati")},
        {"Windows-1252 with a .cpg", "\x8C" "uvre", "1252", 87, QStringLiteral("Œuvre")},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString base = QStringLiteral("t%1").arg(++n);
        shapelibTool({"shpcreate", base, "point"});
        const QString dbf = path(base + QStringLiteral(".dbf"));
        DBFHandle h = DBFCreateEx(QFile::encodeName(dbf).constData(), "");
        ASSERT_NE(h, nullptr);
        ASSERT_EQ(DBFAddField(h, c.name.constData(), FTString, 20, 0), 0);
        DBFClose(h);
        QFile f(dbf);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite) && f.seek(29) && f.putChar(c.ldid));
        f.close();
        if (c.cpg) {
            QFile cpg(path(base + QStringLiteral(".cpg")));
            ASSERT_TRUE(cpg.open(QIODevice::WriteOnly) && cpg.write(c.cpg) > 0);
        }
        // GDAL reads the name so.
        QProcess ogrinfo;
        ogrinfo.start(QStringLiteral("ogrinfo"), {QStringLiteral("-so"), QStringLiteral("-al"), path(base + QStringLiteral(".shp"))});
        ASSERT_TRUE(ogrinfo.waitForFinished(60000));
        EXPECT_TRUE(QString::fromUtf8(ogrinfo.readAllStandardOutput()).contains(c.shown + QStringLiteral(": String")));

        ASSERT_TRUE(open(path(base + QStringLiteral(".shp")), typefichier::kOuvrirShapefile));
        EXPECT_EQ(items("Combo_nom"), QStringList{c.shown});
        dialog()->annuler_dbf_Click();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(FrmImportTest, TablesThatKeepTheDialogFromOpening) {
    shapelibTool({"shpcreate", "dup", "point"});
    shapelibTool({"dbfcreate", "dup.dbf", "-s", "NOM", "10", "-s", "nom", "10"});
    shapelibTool({"shpcreate", "sans", "point"});
    const QString head = QStringLiteral("Une erreur est survenue lors de l'importation du shapefile.");
    struct Case {
        QString file;
        int type;
        QString text;
    };
    const std::vector<Case> cases{
        {path("dup.shp"), typefichier::kOuvrirShapefile, head + QStringLiteral("\nDeux champs de la table d'attribut porte le même nom.")},
        {path("sans.shp"), typefichier::kOuvrirShapefile, head},
        {path("absent.csv"), typefichier::kOuvrirCsvVirgule,
         QStringLiteral("Impossible de lire le fichier '") + path("absent.csv") + kReadFailureTail},
    };
    for (const Case& c : cases) {
        prompts->clear();
        main.calls.clear();
        EXPECT_FALSE(open(c.file, c.type));
        EXPECT_EQ(prompts->texts(), QStringList{c.text});
        EXPECT_EQ(prompts->prompts()[0].icon, Icon::Exclamation);
        EXPECT_EQ(dialog(), nullptr);
        EXPECT_TRUE(stored.isEmpty());
        EXPECT_FALSE(ran);
        EXPECT_EQ(main.calls, QStringList{"enabled=1"});
        EXPECT_TRUE(main.widget.isEnabled());
    }
}

TEST_F(FrmImportTest, WideHeadersKeepTheDialogOnTheScreen) {
    QByteArray binary(2 * 1024 * 1024, '\0');
    for (qsizetype i = 0; i < binary.size(); ++i) binary[i] = char(0x80 + (i * 7919) % 0x80);
    QByteArray numbered;
    for (int i = 0; numbered.size() <= 2 * 1024 * 1024; ++i) numbered += "c" + QByteArray::number(i) + ",";
    const QString longName = QString(300, QChar(u'é'));
    struct Case {
        const char* what;
        QByteArray bytes;
        int items;  // 0: refused with the read-failure message
        QString first;
    };
    const std::vector<Case> cases{
        {"binary, no line end", binary, 0, {}},
        {"a header over 1 MiB", numbered + "\n1,2\n", 0, {}},
        {"1,000,000 columns", "Nom,X,Y" + QByteArray(999997, ',') + "\n", 256, QStringLiteral("Nom")},
        {"a 300-character name", longName.toUtf8() + ",X,Y\n", 3, {}},
    };
    const int screen = QApplication::primaryScreen()->availableGeometry().width();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        prompts->clear();
        const QString file = writeFile(c.bytes, QStringLiteral("large.csv"));
        EXPECT_EQ(open(file, typefichier::kOuvrirCsvVirgule), c.items > 0);
        if (c.items == 0) {
            EXPECT_EQ(prompts->texts(), QStringList{QStringLiteral("Impossible de lire le fichier '") + file + kReadFailureTail});
            EXPECT_EQ(dialog(), nullptr);
            continue;
        }
        ASSERT_NE(dialog(), nullptr);
        EXPECT_TRUE(prompts->texts().isEmpty());
        EXPECT_LE(dialog()->frameGeometry().width(), screen);
        for (const char* combo : {"Combo_nom", "Combo_x", "Combo_y"}) {
            SCOPED_TRACE(combo);
            EXPECT_EQ(child<QComboBox>(combo)->count(), c.items);
            EXPECT_LE(child<QComboBox>(combo)->sizeHint().width(), screen / 2);
            const QString first = child<QComboBox>(combo)->itemText(0);
            if (c.first.isNull()) {
                EXPECT_TRUE(first.endsWith(u'…')) << first.size();
                EXPECT_LE(child<QComboBox>(combo)->fontMetrics().horizontalAdvance(first), screen / 2);
            } else {
                EXPECT_EQ(first, c.first);
            }
        }
        child<QPushButton>("annuler_dbf")->click();
    }
}

TEST_F(FrmImportTest, EveryWayOutGivesTheMainWindowBack) {
    const QString file = writeFile("Nom;X;Y\n", QStringLiteral("p.csv"));
    const std::vector<std::function<void(frmImport&)>> ways{
        [](frmImport& d) { d.findChild<QPushButton*>(QStringLiteral("annuler_dbf"))->click(); },
        [](frmImport& d) {
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(&d, &escape);
        },
        [](frmImport& d) {
            QCloseEvent close;  // from the title bar
            QSpontaneKeyEvent::setSpontaneous(&close);
            static_cast<QObject&>(d).event(&close);
        },
    };
    for (std::size_t i = 0; i < ways.size(); ++i) {
        ASSERT_TRUE(open(file, typefichier::kOuvrirCsvPointVirgule));
        EXPECT_FALSE(main.widget.isEnabled());
        ways[i](*dialog());
        EXPECT_TRUE(main.widget.isEnabled()) << i;
        EXPECT_EQ(dialog(), nullptr) << i;
        EXPECT_FALSE(ran);
        EXPECT_TRUE(stored.isEmpty());
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // The separator's text is selected whole once it has the focus.
    ASSERT_TRUE(open(file, typefichier::kOuvrirCsvPointVirgule));
    dialog()->activateWindow();
    child<QLineEdit>("txtSep")->setText(QStringLiteral("1,5"));
    child<QLineEdit>("txtSep")->deselect();
    QFocusEvent focus(QEvent::FocusIn, Qt::MouseFocusReason);
    QApplication::sendEvent(child<QLineEdit>("txtSep"), &focus);
    EXPECT_FALSE(child<QLineEdit>("txtSep")->hasSelectedText());  // deferred past the click
    QApplication::processEvents();
    EXPECT_EQ(child<QLineEdit>("txtSep")->selectedText(), QStringLiteral("1,5"));
    dialog()->annuler_dbf_Click();
}

}  // namespace
