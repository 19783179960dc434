// The delimited-CSV import through the field-mapping dialog: files written by GDAL and
// GPSBabel with the dialog's own choices, hand-written files with the decimal separator
// of either locale, skipped lines and their one report, a projection refusal.
#include "test_import_fixture.h"

#include "Divers.h"

using namespace sotrix;
using namespace sotrix::importtest;

namespace {

class CsvImportTest : public ImportTest {
protected:
    // Waypoints as "Id:Nom:Lon:Lat", in key order.
    static QStringList waypoints() {
        return rows(QStringLiteral("SELECT Id_point, Nom, Lon, Lat FROM Points WHERE Trace = 0 ORDER BY Id_point"))
            .replaceInStrings(QStringLiteral("|"), QStringLiteral(":"));
    }
    // The map pairs stored against cs2cs for the GPS pairs stored.
    static void expectMapPairsFromCs2cs() {
        DbGuard db;
        std::vector<std::pair<double, double>> lonLat, xy;
        Cursor c = db->query(QStringLiteral("SELECT Lon, Lat, X, Y FROM Points ORDER BY Id_point"));
        while (c.next()) {
            lonLat.emplace_back(c.value(0).toDouble(), c.value(1).toDouble());
            xy.emplace_back(c.value(2).toDouble(), c.value(3).toDouble());
        }
        const auto expected = cs2cs(proj4(4326), proj4(31370), lonLat);
        ASSERT_EQ(expected.size(), xy.size());
        for (std::size_t i = 0; i < xy.size(); ++i) {
            EXPECT_NEAR(xy[i].first, expected[i].first, 1e-3) << i;
            EXPECT_NEAR(xy[i].second, expected[i].second, 1e-3) << i;
        }
    }
    QString skippedText(const QString& file, const QString& list, int n) const {
        return n == 1 ? QStringLiteral("1 ligne du fichier '") + file + QStringLiteral("' a été ignorée (ligne ") + list +
                            QStringLiteral(").")
                      : QString::number(n) + QStringLiteral(" lignes du fichier '") + file +
                            QStringLiteral("' ont été ignorées (lignes ") + list + QStringLiteral(").");
    }
};

TEST_F(CsvImportTest, FilesOfGdalAndGpsbabelWithTheDialogsChoices) {
    for (const QString& sep : {QStringLiteral("."), QStringLiteral(",")}) {  // the C and the French locale
        SCOPED_TRACE(sep.toStdString());
        state().sepDecimal = sep;
        writeFile("WKT,Nom,Desc\n\"POINT (4.35 50.85)\",Lion,\"Café \"\"Le Lion\"\"; Bruxelles\"\n"
                  "\"POINT (4.1 50.1)\",Forêt/Nord-,\n\"POINT (0 0)\",Zéro,x\n",
                  QStringLiteral("src.csv"));
        QFile::remove(path(QStringLiteral("semi.csv")));
        runTool(QStringLiteral("ogr2ogr"), {"-f", "CSV", "-oo", "KEEP_GEOM_COLUMNS=NO", "-lco", "GEOMETRY=AS_XY", "-lco",
                                            "SEPARATOR=SEMICOLON", "semi.csv", "src.csv"});
        seedRows();
        prompts->clear();
        // The header X;Y;Nom;Desc gives "Affichage"; the file holds degrees, so the user picks "GPS".
        const auto outcome = importViaDialog(path("semi.csv"), typefichier::kOuvrirCsvPointVirgule, [](QWidget& d) {
            EXPECT_EQ(d.findChild<QComboBox*>(QStringLiteral("Combo_projection"))->currentIndex(), 1);
            EXPECT_EQ(d.findChild<QComboBox*>(QStringLiteral("Combo_x"))->currentIndex(), 0);
            EXPECT_EQ(d.findChild<QComboBox*>(QStringLiteral("Combo_y"))->currentIndex(), 1);
            EXPECT_EQ(d.findChild<QComboBox*>(QStringLiteral("Combo_nom"))->currentIndex(), 2);
            setCombo(d, "Combo_projection", 0);
        });
        EXPECT_EQ(outcome, ImportOutcome::Ok);
        EXPECT_TRUE(prompts->prompts().empty()) << prompts->texts().join("; ").toStdString();
        EXPECT_EQ(waypoints(), (QStringList{"1:Lion:4.35:50.85", QString::fromUtf8("2:ForêtXNord:4.1:50.1"),
                                            QString::fromUtf8("3:Zéro:0:0")}));
        expectMapPairsFromCs2cs();
        EXPECT_FALSE(state().modifWaypoints || state().modifTraces);

        writeFile("<?xml version=\"1.0\"?>\n<gpx version=\"1.0\" xmlns=\"http://www.topografix.com/GPX/1/0\">"
                  "<wpt lat=\"50.85\" lon=\"4.35\"><ele>120</ele><name>Lion</name><desc>Café, \"Lion\"</desc></wpt>"
                  "<wpt lat=\"50.1\" lon=\"4.1\"><name>B/C</name></wpt></gpx>\n");
        runTool(QStringLiteral("gpsbabel"), {"-i", "gpx", "-f", "in.gpx", "-o", "unicsv", "-F", "u.csv"});
        EXPECT_TRUE(QFile(path("u.csv")).open(QIODevice::ReadOnly));
        EXPECT_EQ(importViaDialog(path("u.csv"), typefichier::kOuvrirCsvVirgule, [](QWidget& d) {
                      EXPECT_EQ(d.findChild<QComboBox*>(QStringLiteral("Combo_nom"))->currentIndex(), 3);
                      EXPECT_EQ(d.findChild<QComboBox*>(QStringLiteral("Combo_x"))->currentIndex(), 2);
                      EXPECT_EQ(d.findChild<QComboBox*>(QStringLiteral("Combo_y"))->currentIndex(), 1);
                      EXPECT_EQ(d.findChild<QComboBox*>(QStringLiteral("Combo_projection"))->currentIndex(), 0);
                  }),
                  ImportOutcome::Ok);
        EXPECT_EQ(waypoints(), (QStringList{"1:Lion:4.35:50.85", "2:BXC:4.1:50.1"}));
        expectMapPairsFromCs2cs();
    }
}

TEST_F(CsvImportTest, HandWrittenFilesInEitherLocale) {
    const QString cafe = QString::fromUtf8("Café");
    // Rows and skipped lines with sepDecimal "." and with ","; the second of each pair is
    // the first when left out.
    struct Case {
        const char* what;
        QByteArray bytes;
        int type;
        const char* txtSep;
        QStringList rows;
        std::optional<QStringList> rowsVirgule;
        QString skipped;  // the numbers of the report; "" for none
        std::optional<QString> skippedVirgule = std::nullopt;
    };
    const QStringList lion{"1:Lion:4.35:50.85"};
    const std::vector<Case> cases{
        {"quotes, doubled quotes, delimiters inside", "Nom;X;Y\n\"Le \"\"Lion\"\"; B\";4.35;50.85\n\"a;b\";\"4.1\";50.1\n",
         4, ".", {"1:Le \"Lion\"; B:4.35:50.85", "2:a;b:4.1:50.1"}, {}, ""},
        {"decimal comma typed", "Nom;X;Y\nLion;4,35;50,85\n", 4, ",", lion, {}, ""},
        {"decimal comma left as the dot", "Nom;X;Y\nLion;4,35;50,85\n", 4, ".", {}, lion, "2", ""},
        {"no separator typed", "Nom;X;Y\nLion; 4.35 ;50.85\n", 4, "", lion, QStringList(), "", "2"},
        {"header only", "Nom;X;Y\n", 4, ".", {}, {}, ""},
        {"Windows-1252 bytes", "Nom;X;Y\nCaf\xE9;4.35;50.85\n", 4, ".", {"1:" + cafe + ":4.35:50.85"}, {}, ""},
        {"BOM and CR LF", "\xEF\xBB\xBFNom,X,Y\r\nLion,4.35,50.85\r\n\r\n", 5, ".", lion, {}, ""},
        {"short line and empty X", "Nom;X;Y\nLion;4.35;50.85\n\nCourt;4.1\n;;\nVide;;50\nN;4;x\n \n", 4, ".", lion, {},
         "4, 5, 6, 7, 8"},
        {"blank names take their key", "Nom;X;Y\n ;4;50\n---;4.1;50\n;4.2;50\n", 4, ".",
         {"1:1:4:50", "2::4.1:50", "3:3:4.2:50"}, {}, ""},
        {"higher type reads as ';'", "Nom;X;Y\nLion;4.35;50.85\n", 9, ".", lion, {}, ""},
    };
    QByteArray many = "Nom;X;Y\n";
    for (int i = 0; i < 12; ++i) many += "x;;\n";
    for (const QString& sep : {QStringLiteral("."), QStringLiteral(",")}) {
        state().sepDecimal = sep;
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + " with sepDecimal " + sep.toStdString());
            const QString file = writeFile(c.bytes, QStringLiteral("h.csv"));
            prompts->clear();
            const auto outcome = importViaDialog(file, c.type, [&](QWidget& d) {
                setSep(d, QString::fromUtf8(c.txtSep));
                setCombo(d, "Combo_projection", 0);
            });
            EXPECT_EQ(outcome, ImportOutcome::Ok);
            const bool virgule = sep == QLatin1String(",");
            EXPECT_EQ(waypoints(), virgule && c.rowsVirgule ? *c.rowsVirgule : c.rows);
            const QString skipped = virgule && c.skippedVirgule ? *c.skippedVirgule : c.skipped;
            const int count = skipped.isEmpty() ? 0 : int(skipped.count(QLatin1Char(','))) + 1;
            EXPECT_EQ(prompts->texts(), count ? QStringList{skippedText(file, skipped, count)} : QStringList());
            if (count) {
                EXPECT_EQ(prompts->prompts()[0].icon, Icon::Exclamation);
            }
            EXPECT_EQ(view.calls.last(), QStringLiteral("redraw"));
        }
        prompts->clear();
        const QString file = writeFile(many, QStringLiteral("many.csv"));
        EXPECT_EQ(importViaDialog(file, 4), ImportOutcome::Ok);
        EXPECT_EQ(prompts->texts(), QStringList{skippedText(file, "2, 3, 4, 5, 6, 7, 8, 9, 10, 11, …", 12)});
    }
}

TEST_F(CsvImportTest, NoAtTheThirdLinesProjectionKeepsTheTwoBefore) {
    carteOrthographique();
    prompts->answer(Answer::No);
    const QString file = writeFile("Lon;Lat;Nom\n4;50;A\n4.1;50.1;B\n-176;-50;C\n4.2;50.2;D\n", QStringLiteral("p.csv"));
    EXPECT_EQ(importViaDialog(file, 4), ImportOutcome::Stopped);
    ASSERT_EQ(prompts->prompts().size(), 1u);
    EXPECT_EQ(prompts->prompts()[0].icon, Icon::Question);
    EXPECT_EQ(waypoints(), (QStringList{"1:A:4:50", "2:B:4.1:50.1"}));
    EXPECT_TRUE(QFile(file).open(QIODevice::ReadWrite));  // closed again
}

// Points are converted many at a time: the question about a failed one still comes in
// its place, and the lines after a refusal are neither stored nor counted.
TEST_F(CsvImportTest, AProjectionQuestionComesInItsPlaceAmongSkippedLines) {
    carteOrthographique();
    const QString file =
        writeFile("Lon;Lat;Nom\n4;50;A\nx;;\n-176;-50;C\ny;;\n4.2;50.2;D\n-177;-51;E\nz;;\n", QStringLiteral("p.csv"));
    const struct {
        const char* what;
        std::vector<Answer> answers;
        ImportOutcome outcome;
        QStringList rows;
        QString skipped;
        int n;
    } cases[] = {
        {"no at the first failure", {Answer::No}, ImportOutcome::Stopped, {"1:A:4:50"}, "3", 1},
        {"yes, then no", {Answer::Yes, Answer::No}, ImportOutcome::Stopped, {"1:A:4:50", "2:D:4.2:50.2"}, "3, 5", 2},
        {"yes to both", {Answer::Yes, Answer::Yes}, ImportOutcome::Ok, {"1:A:4:50", "2:D:4.2:50.2"}, "3, 5, 8", 3},
    };
    for (const auto& c : cases) {
        prompts->clear();
        for (const Answer a : c.answers) prompts->answer(a);
        EXPECT_EQ(importViaDialog(file, 4), c.outcome) << c.what;
        EXPECT_EQ(waypoints(), c.rows) << c.what;
        const QStringList texts = prompts->texts();
        ASSERT_EQ(texts.size(), qsizetype(c.answers.size()) + 1) << c.what;
        for (size_t i = 0; i < c.answers.size(); ++i)
            EXPECT_TRUE(texts[qsizetype(i)].endsWith(QStringLiteral("Voulez-vous continuer ?"))) << c.what;
        EXPECT_EQ(texts.back(), skippedText(file, c.skipped, c.n)) << c.what;
    }
}

TEST_F(CsvImportTest, UnreadableFilesLeaveTheWorkspace) {
    seedRows();
    const QStringList before = snapshot();
    QDir(home()).mkdir(QStringLiteral("dossier.csv"));
    state().champNom = QStringLiteral("0");
    state().colonneX = 1;
    state().colonneY = 2;
    for (const QString& file : {path("dossier.csv"), path("absent.csv")}) {
        prompts->clear();
        // Through the engine (the file went between the dialog and the import) and the dialog.
        EXPECT_EQ(importFile(file, false, typefichier::kOuvrirCsvPointVirgule), ImportOutcome::ReadFailure);
        EXPECT_EQ(importViaDialog(file, typefichier::kOuvrirCsvPointVirgule), std::nullopt);
        const QString text = QStringLiteral("Impossible de lire le fichier '") + file + kReadFailureTail;
        EXPECT_EQ(prompts->texts(), (QStringList{text, text}));
        EXPECT_EQ(snapshot(), before);
    }
    // Duplicate names refuse the whole file.
    prompts->clear();
    // A refused import shows its refusal only, not the lines it skipped.
    const QString dup = writeFile("Nom;X;Y\nA;4;50\ncourt\na;4.1;50\n", QStringLiteral("dup.csv"));
    EXPECT_EQ(importViaDialog(dup, 4, [](QWidget& d) { setCombo(d, "Combo_projection", 0); }), ImportOutcome::Refused);
    EXPECT_EQ(snapshot(), before);
    ASSERT_EQ(prompts->texts().size(), 1);
    EXPECT_TRUE(prompts->texts()[0].endsWith(QString::fromUtf8("Plusieurs waypoints ont le même nom : A (2X).")));
}

// Bytes of a literal, NULs included.
template <std::size_t N>
QByteArray withNuls(const char (&text)[N]) {
    return QByteArray(text, qsizetype(N - 1));
}

// UTF-16 without a byte-order mark, and control characters in names and descriptions,
// through the CSV reader (by the field-mapping dialog) and the G7ToWin reader.
TEST_F(CsvImportTest, Utf16WithoutMarkAndControlCharactersInCsvAndG7ToWin) {
    const auto utf16 = [](const QString& text, bool littleEndian) {
        QByteArray bytes;
        for (const QChar c : text) {
            const char low = char(c.unicode() & 0xFF), high = char(c.unicode() >> 8);
            bytes.append(littleEndian ? low : high).append(littleEndian ? high : low);
        }
        return bytes;
    };
    const QString g7Head = QStringLiteral("G7ToWin\r\nDatum:,WGS 84\r\nlibre\r\ntexte\r\n");
    const QString g7 = g7Head + QString::fromUtf8("W,Forêt,50.85,4.35,,,,,,,Près du lac,,,,\r\n"
                                                  "W,Court,50.5\r\n"
                                                  "R,Route\r\nW,rp1,50.6,4.6,,,,,,,,,,,\r\nW,rp2,50.7,4.7,,,,,,,,,,,\r\nE\r\n");
    const QStringList g7Rows{QString::fromUtf8("0|Forêt|4.35|50.85|Près du lac"), "1|NULL|4.6|50.6|NULL",
                             "1|NULL|4.7|50.7|NULL", "Route|2"};
    const QString csv = QString::fromUtf8("Nom;X;Y\r\nForêt;4.35;50.85\r\nCourt;4.1\r\nLion;4.1;50.1\r\n");
    const QStringList csvRows{QString::fromUtf8("0|Forêt|4.35|50.85|NULL"), "0|Lion|4.1|50.1|NULL"};
    const QString r = QString(QChar::ReplacementCharacter);
    struct Case {
        const char* what;
        QByteArray bytes;
        bool g7ToWin;
        QStringList rows;     // Trace|Nom|Lon|Lat|Description of Points, then Nom|Nb of Trace
        QString skippedLine;  // the one line reported as skipped; "" for no message
    };
    const std::vector<Case> cases{
        {"CSV in UTF-16 LE", utf16(csv, true), false, csvRows, "3"},
        {"CSV in UTF-16 BE", utf16(csv, false), false, csvRows, "3"},
        {"G7ToWin in UTF-16 LE", utf16(g7, true), true, g7Rows, "6"},
        {"G7ToWin in UTF-16 BE", utf16(g7, false), true, g7Rows, "6"},
        {"NULs in CSV names", withNuls("Nom;X;Y\na\0b;4.35;50.85\n\0\0\0;4.1;50.1\n"), false,
         {"0|a" + r + "b|4.35|50.85|NULL", "0|" + r + r + r + "|4.1|50.1|NULL"}, ""},
        {"NUL in a G7ToWin name, control characters in descriptions",
         g7Head.toUtf8() + withNuls("W,a\0b,50.85,4.35,,,,,,,un\x07\tdeux\x1B,,,,\r\n"
                                 "R,Route\r\nW,rp1,50.6,4.6,,,,,,,\x01,,,,\r\nW,rp2,50.7,4.7,,,,,,,,,,,\r\nE\r\n"),
         true, {"0|a" + r + "b|4.35|50.85|un" + r + "\tdeux" + r, "1|NULL|4.6|50.6|" + r, "1|NULL|4.7|50.7|NULL",
                "Route|2"},
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        seedRows();
        prompts->clear();
        const QString file = writeFile(c.bytes, QStringLiteral("texte.txt"));
        if (c.g7ToWin) {
            EXPECT_EQ(importFile(file, false, typefichier::kOuvrirG7ToWin), ImportOutcome::Ok);
        } else {
            EXPECT_EQ(importViaDialog(file, typefichier::kOuvrirCsvPointVirgule, [](QWidget& d) {
                          setSep(d, QStringLiteral("."));
                          setCombo(d, "Combo_projection", 0);
                      }),
                      ImportOutcome::Ok);
        }
        EXPECT_EQ(rows(QStringLiteral("SELECT Trace, Nom, Lon, Lat, Description FROM Points ORDER BY Id_point")) +
                      rows(QStringLiteral("SELECT Nom, Nb FROM Trace ORDER BY Id_trace")),
                  c.rows);
        EXPECT_EQ(prompts->texts(),
                  c.skippedLine.isEmpty() ? QStringList() : QStringList{skippedText(file, c.skippedLine, 1)});
    }
}

}  // namespace
