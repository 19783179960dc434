// The import engine with the GPX reader: rows, variants of the same document, failures
// that must leave the workspace as it was, the common tail and projection failures.
#include "test_import_fixture.h"

#include "Divers.h"
#include "ImportInserts.h"

#include <QDir>
#include <QFileInfo>
#include <QAbstractButton>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>

#include <cmath>

using namespace sotrix;
using namespace sotrix::importtest;

namespace {

QByteArray smallGpx(const QByteArray& body, const QByteArray& declaration = "encoding=\"UTF-8\"") {
    return "<?xml version=\"1.0\" " + declaration + "?>\n<gpx xmlns=\"http://www.topografix.com/GPX/1/0\">" + body +
           "</gpx>\n";
}

QByteArray waypoints(std::initializer_list<const char*> names) {
    QByteArray body;
    double lon = 4.0;
    for (const char* n : names) {
        lon += 0.01;
        body += "<wpt lat=\"50.5\" lon=\"" + QByteArray::number(lon) + "\"><name>" + n + "</name></wpt>";
    }
    return smallGpx(body);
}

}  // namespace

class RowsFixture : public ImportTest {
protected:
    // Checks the rows the fixture gives, X and Y against cs2cs.
    void expectFixtureRows(const char* firstName = "AXB") {
        const std::vector<std::pair<double, double>> lonLat{
            {4.35, 50.85}, {0, 0},       {4.3, 50.8},   {4.1, 50.1},   {4.2, 50.2},   {4.3, 50.3},
            {4.4, 50.4},   {4.5, 50.5},  {4.6, 50.6},   {4.7, 50.7},   {5.01, 50.01}, {5.02, 50.02},
            {5.03, 50.03}, {5.04, 50.04}, {5.05, 50.05}};
        const auto xy = cs2cs(proj4(4326), proj4(31370), lonLat);
        ASSERT_EQ(xy.size(), lonLat.size());
        EXPECT_NEAR(xy[0].first, 148679.447, 0.01);
        EXPECT_NEAR(xy[0].second, 171066.810, 0.01);

        DbGuard db;
        Cursor c = db->query(QStringLiteral(
            "SELECT Id_point, Nom, Lon, Lat, X, Y, Altitude, Date, Description, Trace, Num_trace, Selected "
            "FROM Points ORDER BY Id_point"));
        const std::vector<qint64> ids{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 13, 14, 15, 16};
        const QStringList names{QString::fromUtf8(firstName), "2", QString::fromUtf8("L'église")};
        const QStringList dates{"2004-03-15 12:00:00", "", "", "2007-11-25 18:58:00", "2002-05-25 19:06:21"};
        std::size_t i = 0;
        for (; c.next(); ++i) {
            ASSERT_LT(i, ids.size());
            SCOPED_TRACE(i);
            EXPECT_EQ(c.value("Id_point").toLongLong(), ids[i]);
            EXPECT_DOUBLE_EQ(c.value("Lon").toDouble(), lonLat[i].first);
            EXPECT_DOUBLE_EQ(c.value("Lat").toDouble(), lonLat[i].second);
            EXPECT_NEAR(c.value("X").toDouble(), xy[i].first, 1e-3);
            EXPECT_NEAR(c.value("Y").toDouble(), xy[i].second, 1e-3);
            EXPECT_EQ(c.value("Selected").toInt(), 0);
            if (i < 3) {
                EXPECT_EQ(c.value("Nom").toString(), names[int(i)]);
                EXPECT_EQ(c.value("Trace").toLongLong(), 0);
                EXPECT_TRUE(c.isNull("Num_trace"));
            } else {
                EXPECT_TRUE(c.isNull("Nom"));
                EXPECT_TRUE(c.isNull("Description"));
                EXPECT_EQ(c.value("Trace").toLongLong(), i < 10 ? 1 : 3);
                EXPECT_EQ(c.value("Num_trace").toLongLong(), i < 10 ? qint64(i) - 2 : qint64(i) - 9);
            }
            const QString date = int(i) < dates.size() ? dates[int(i)] : QString();
            if (date.isEmpty())
                EXPECT_TRUE(c.isNull("Date"));
            else
                EXPECT_EQ(c.value("Date").toString(), date);
            const double altitudes[] = {120.5, 0, 0, 10, 20, 30};
            if (i == 0 || (i >= 3 && i <= 5))
                EXPECT_DOUBLE_EQ(c.value("Altitude").toDouble(), altitudes[i]);
            else
                EXPECT_TRUE(c.isNull("Altitude"));
        }
        EXPECT_EQ(i, ids.size());
        EXPECT_TRUE(db->scalar(QStringLiteral("SELECT Description FROM Points WHERE Id_point = 1")).isNull());
        EXPECT_EQ(db->scalar(QStringLiteral("SELECT Description FROM Points WHERE Id_point = 3")).toString(),
                  QStringLiteral("ligne 1 ligne 2"));

        Cursor t = db->query(QStringLiteral("SELECT Id_trace, Nom, Description, Nb, Fermer, Selected FROM Trace ORDER BY Id_trace"));
        ASSERT_TRUE(t.next());
        EXPECT_EQ(t.value("Id_trace").toLongLong(), 1);
        EXPECT_EQ(t.value("Nom").toString(), QStringLiteral("T"));
        EXPECT_FALSE(t.isNull("Description"));
        EXPECT_EQ(t.value("Description").toString(), QString());
        EXPECT_EQ(t.value("Nb").toLongLong(), 7);
        EXPECT_EQ(t.value("Fermer").toInt(), 0);
        ASSERT_TRUE(t.next());
        EXPECT_EQ(t.value("Id_trace").toLongLong(), 3);
        EXPECT_EQ(t.value("Nom").toString(), QStringLiteral("3"));
        EXPECT_TRUE(t.isNull("Description"));
        EXPECT_EQ(t.value("Nb").toLongLong(), 5);
        EXPECT_FALSE(t.next());
    }

    void expectCleanSuccess(ImportOutcome outcome) {
        EXPECT_EQ(outcome, ImportOutcome::Ok);
        EXPECT_TRUE(prompts->prompts().empty()) << prompts->texts().join("; ").toStdString();
        EXPECT_TRUE(state().modifWaypoints);
        EXPECT_TRUE(state().modifTraces);
        EXPECT_EQ(view.calls, QStringList{"majListes"});
        EXPECT_EQ(view.pointsSeenByMajListes, 15) << "the lists must be refilled after the commit";
        EXPECT_TRUE(state().resultatOk);
    }
};

TEST_F(RowsFixture, RowsOfTheFixture) {
    seedRows();
    expectCleanSuccess(importGpx(rowsFixture()));
    expectFixtureRows();
}

TEST_F(RowsFixture, SameRowsWhateverTheForm) {
    struct Variant {
        const char* what;
        QByteArray bytes;
    };
    QByteArray utf16("\xFF\xFE", 2);
    const QString text = QString::fromUtf8(rowsFixture()).replace(QStringLiteral("UTF-8"), QStringLiteral("UTF-16"));
    utf16.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    const std::vector<Variant> variants{
        {"tracks first", rowsFixture("", true)},
        {"prefixed root", rowsFixture("g:")},
        {"UTF-16 with BOM", utf16},
        {"UTF-8 BOM", "\xEF\xBB\xBF" + rowsFixture()},
    };
    for (const Variant& v : variants) {
        SCOPED_TRACE(v.what);
        view.calls.clear();
        prompts->clear();
        expectCleanSuccess(importGpx(v.bytes));
        expectFixtureRows();
    }
    view.calls.clear();
    EXPECT_EQ(importGpx(rowsFixture(), true), ImportOutcome::Ok);
    expectFixtureRows("A/B");
}

TEST_F(ImportTest, NamesAndDatesComeThroughUnchanged) {
    const QString e = QString::fromUtf8("é");
    for (const char* encoding : {"ISO-8859-1", "windows-1252"}) {
        EXPECT_EQ(importGpx(smallGpx("<wpt lat=\"50\" lon=\"4\"><name>\xE9</name></wpt>",
                                     QByteArray("encoding=\"") + encoding + "\"")),
                  ImportOutcome::Ok);
        DbGuard db;
        EXPECT_EQ(db->scalar(QStringLiteral("SELECT Nom FROM Points")).toString(), e) << encoding;
    }
    EXPECT_EQ(importGpx(smallGpx("<wpt lat=\"50\" lon=\"4\"><name>A&amp;B &#233;</name></wpt>"
                                 "<wpt lat=\"50\" lon=\"4.1\"><name>L'église</name><time>2004-03-15t10:00:00z</time></wpt>"
                                 "<wpt lat=\"50\" lon=\"4.2\"><name>C</name><cmt>15-JUL-04 10:00:00</cmt></wpt>"
                                 "<wpt lat=\"50\" lon=\"4.3\"><name>S</name><time>2004-03-15T10:00:00Z</time></wpt>")),
              ImportOutcome::Ok);
    DbGuard db;
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT Nom FROM Points WHERE Id_point = 1")).toString(), QStringLiteral("A&B ") + e);
    // Found again through a bound name.
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT Id_point FROM Points WHERE Nom = ?"), {QString::fromUtf8("L'église")})
                  .toLongLong(),
              2);
    EXPECT_TRUE(db->scalar(QStringLiteral("SELECT Date FROM Points WHERE Id_point = 2")).isNull());
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT Date FROM Points WHERE Nom = 'C'")).toString(),
              QStringLiteral("2004-07-15 12:00:00"));
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT Date FROM Points WHERE Nom = 'S'")).toString(),
              QStringLiteral("2004-03-15 12:00:00"));
    EXPECT_TRUE(db->scalar(QStringLiteral("SELECT Altitude FROM Points WHERE Nom = 'S'")).isNull());

    // A date shift that crosses a daylight-saving change and a year end.
    state().paramDecalage = 3;
    EXPECT_EQ(importGpx(smallGpx("<wpt lat=\"50\" lon=\"4\"><time>2004-03-28T00:30:00Z</time></wpt>"
                                 "<wpt lat=\"50\" lon=\"4.1\"><time>2004-12-31T22:00:00Z</time></wpt>")),
              ImportOutcome::Ok);
    EXPECT_EQ(snapshot().join("\n").count("2004-03-28 03:30:00"), 1);
    EXPECT_EQ(snapshot().join("\n").count("2005-01-01 01:00:00"), 1);
}

TEST_F(ImportTest, EmptyGpxCommitsEmptyTables) {
    seedRows();
    EXPECT_EQ(importGpx(smallGpx("<metadata><name>x</name></metadata><extensions/>")), ImportOutcome::Ok);
    EXPECT_TRUE(snapshot().isEmpty());
    EXPECT_TRUE(prompts->prompts().empty());
    EXPECT_TRUE(state().modifWaypoints && state().modifTraces);
    EXPECT_EQ(view.calls, QStringList{"majListes"});
}

TEST_F(ImportTest, ReadFailuresLeaveTheWorkspace) {
    seedRows();
    const QStringList before = snapshot();
    const QByteArray good = waypoints({"A", "B"});
    QDir(home()).mkdir(QStringLiteral("dossier.gpx"));
    // Large enough that rows were written and the file was read in many pieces before
    // the fault.
    QByteArray body = QByteArray("<wpt lat=\"50\" lon=\"4\"/>").repeated(ImportInserts::kLignesParLot + 1000) +
                      "<trk><name>T</name><trkseg>";
    for (int i = 0; i < 6000; ++i) body += "<trkpt lat=\"50.5\" lon=\"4." + QByteArray::number(i) + "\"/>";
    body += "</trkseg></trk>";
    const QByteArray many = smallGpx(body);
    const QByteArray badBytes = smallGpx(body + "<rte><name>\x82</name></rte>", "encoding=\"Shift_JIS\"");
    struct Case {
        const char* what;
        QString file;
    };
    const std::vector<Case> cases{
        {"truncated", writeFile(good.left(good.size() - 10), "truncated.gpx")},
        {"truncated in its middle", writeFile(many.left(many.size() / 2), "middle.gpx")},
        {"bytes invalid in the encoding far into the file", writeFile(badBytes, "bytes.gpx")},
        {"mismatched end tag", writeFile(smallGpx("<wpt lat=\"1\" lon=\"1\"><name>a</desc></wpt>"), "mismatch.gpx")},
        {"two roots", writeFile(good + "<gpx/>", "two.gpx")},
        {"not gpx", writeFile("<kml><wpt lat=\"1\" lon=\"1\"/></kml>", "doc.kml")},
        {"empty file", writeFile("", "empty.gpx")},
        {"unknown encoding", writeFile(smallGpx("", "encoding=\"x-unknown\""), "enc.gpx")},
        {"missing", path(QStringLiteral("missing.gpx"))},
        {"folder", path(QStringLiteral("dossier.gpx"))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        prompts->clear();
        EXPECT_EQ(importFile(c.file), ImportOutcome::ReadFailure);
        ASSERT_EQ(prompts->prompts().size(), 1u);
        EXPECT_EQ(prompts->prompts()[0].icon, Icon::Exclamation);
        EXPECT_EQ(prompts->prompts()[0].text, QStringLiteral("Impossible de lire le fichier '") + c.file + kReadFailureTail);
        EXPECT_EQ(snapshot(), before);
        EXPECT_FALSE(state().modifWaypoints || state().modifTraces);
        EXPECT_TRUE(view.calls.isEmpty());
    }
}

TEST_F(ImportTest, DuplicateNamesRefuseTheWholeFile) {
    seedRows();
    const QStringList before = snapshot();
    const QString head = QStringLiteral("Une erreur est survenue lors de l'importation du fichier '") + path("in.gpx") +
                         QStringLiteral("'.\n");
    EXPECT_EQ(importGpx(waypoints({"B", "A", "C", "A", "b", "A"})), ImportOutcome::Refused);
    EXPECT_EQ(prompts->texts(), QStringList{head + QString::fromUtf8("Plusieurs waypoints ont le même nom : A (3X), B (2X).")});
    EXPECT_EQ(prompts->prompts()[0].icon, Icon::Exclamation);
    EXPECT_EQ(snapshot(), before);
    EXPECT_FALSE(state().modifWaypoints || state().modifTraces);
    EXPECT_TRUE(view.calls.isEmpty());

    for (const char* accented : {"École", "ÉCOLE"}) {
        prompts->clear();
        EXPECT_EQ(importGpx(waypoints({"Home", "HOME", "école", accented})), ImportOutcome::Refused);
        ASSERT_EQ(prompts->texts().size(), 1);
        EXPECT_TRUE(prompts->texts()[0].contains(QString::fromUtf8("(2X), ")));
        EXPECT_TRUE(prompts->texts()[0].contains(QStringLiteral("(2X).")));
    }
    prompts->clear();
    EXPECT_EQ(importGpx(waypoints({"ecole", "école", ""})), ImportOutcome::Ok);
    prompts->clear();
    EXPECT_EQ(importGpx(waypoints({"", ""})), ImportOutcome::Refused);
    EXPECT_EQ(prompts->texts(), QStringList{head + QString::fromUtf8("Plusieurs waypoints ont le même nom :  (2X).")});

    seedRows();
    const QStringList seeded = snapshot();
    prompts->clear();
    const QByteArray trk = "<trk><name>T</name><trkseg><trkpt lat=\"50\" lon=\"4\"/><trkpt lat=\"50.1\" lon=\"4\"/></trkseg></trk>";
    EXPECT_EQ(importGpx(smallGpx(trk + trk + "<rte><name>T</name></rte>")), ImportOutcome::Refused);
    EXPECT_EQ(prompts->texts(), QStringList{head + QString::fromUtf8("Plusieures traces ont le même nom : T (3X).")});
    EXPECT_EQ(snapshot(), seeded);
}

namespace {

// The size of the real message box showing text, closed by its OK button once shown.
QSize boxSize(const QString& text) {
    QSize size;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&size] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (!box || !box->isVisible()) continue;
            size = box->frameGeometry().size();
            box->button(QMessageBox::Ok)->click();
        }
    });
    poll.start(20);
    QtPrompter().message(text, Icon::Exclamation, Buttons::Ok, Answer::Ok);
    return size;
}

}  // namespace

TEST_F(ImportTest, ManyDuplicatesNameTheFirstTwentyInABoxThatFits) {
    const QString head = QStringLiteral("Une erreur est survenue lors de l'importation du fichier '") + path("in.gpx") +
                         QStringLiteral("'.\nPlusieurs waypoints ont le même nom : ");
    auto names = [](int from, int to) {
        QStringList out;
        for (int i = from; i <= to; ++i) out << QStringLiteral("N%1 (2X)").arg(i, 4, 10, QLatin1Char('0'));
        return out.join(QStringLiteral(", "));
    };
    struct Case {
        int duplicates;
        QString list;
    };
    const std::vector<Case> cases{
        {20, names(1, 20)},
        {21, names(1, 20) + QStringLiteral(", …")},
        {1500, names(1, 20) + QStringLiteral(", …")},
    };
    const QRect screen = QApplication::primaryScreen()->availableGeometry();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.duplicates);
        QByteArray body;
        for (int i = 1; i <= c.duplicates; ++i)
            for (int twice = 0; twice < 2; ++twice)
                body += "<wpt lat=\"50.5\" lon=\"4.5\"><name>N" + QByteArray::number(i).rightJustified(4, '0') +
                        "</name></wpt>";
        prompts->clear();
        EXPECT_EQ(importGpx(smallGpx(body)), ImportOutcome::Refused);
        ASSERT_EQ(prompts->texts().size(), 1);
        EXPECT_EQ(prompts->texts()[0], head + c.list + u'.');
        const QSize box = boxSize(prompts->texts()[0]);
        EXPECT_TRUE(box.isValid()) << "the box was shown";
        EXPECT_LE(box.width(), screen.width());
        EXPECT_LE(box.height(), screen.height());
    }
}

TEST_F(ImportTest, DuplicateLongNamesAreNamedBounded) {
    const QString head = QStringLiteral("Une erreur est survenue lors de l'importation du fichier '") + path("in.gpx") +
                         QStringLiteral("'.\n");
    const QByteArray name(1 << 20, 'n');
    const QString bounded = QString(kLongueurAffichee - 1, QLatin1Char('n')) + QChar(0x2026) + QStringLiteral(" (2X).");
    const QByteArray wpt = "<wpt lat=\"50.5\" lon=\"4.5\"><name>" + name + "</name></wpt>";
    const QByteArray trk = "<trk><name>" + name +
                           "</name><trkseg><trkpt lat=\"50\" lon=\"4\"/><trkpt lat=\"50.1\" lon=\"4\"/></trkseg></trk>";
    struct Case {
        const char* what;
        QByteArray body;
        QString message;
    };
    const Case cases[] = {
        {"waypoints", wpt + wpt, head + QString::fromUtf8("Plusieurs waypoints ont le même nom : ") + bounded},
        {"tracks", trk + trk, head + QString::fromUtf8("Plusieures traces ont le même nom : ") + bounded},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        prompts->clear();
        EXPECT_EQ(importGpx(smallGpx(c.body)), ImportOutcome::Refused);
        ASSERT_EQ(prompts->texts().size(), 1);
        EXPECT_TRUE(prompts->texts()[0] == c.message) << prompts->texts()[0].size() << " characters";
    }
}

TEST_F(ImportTest, ShortTracksGoAndCountsAreWritten) {
    QByteArray big = "<trk><name>Longue</name><trkseg>";
    for (int i = 0; i < 40000; ++i)
        big += "<trkpt lat=\"" + QByteArray::number(50 + i * 1e-5, 'f', 6) + "\" lon=\"4.5\"/>";
    big += "</trkseg></trk>";
    EXPECT_EQ(importGpx(smallGpx("<trk><name>Un</name><trkseg><trkpt lat=\"50\" lon=\"4\"/></trkseg></trk>"
                                 "<trk><name>Vide</name></trk>"
                                 "<trk><name>Deux</name><trkseg><trkpt lat=\"50\" lon=\"4\"/></trkseg>"
                                 "<trkseg><trkpt lat=\"50.1\" lon=\"4\"/></trkseg></trk>" +
                                 big)),
              ImportOutcome::Ok);
    EXPECT_TRUE(prompts->prompts().empty());
    DbGuard db;
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT group_concat(Nom || ':' || Nb, ' ') FROM Trace")).toString(),
              QStringLiteral("Deux:2 Longue:40000"));
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT COUNT(*) FROM Points")).toLongLong(), 40002);
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT MAX(Num_trace) FROM Points WHERE Trace = "
                                        "(SELECT Id_trace FROM Trace WHERE Nom = 'Longue')"))
                  .toLongLong(),
              40000);
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT COUNT(*) FROM Points p LEFT JOIN Trace t ON p.Trace = t.Id_trace "
                                        "WHERE p.Trace > 0 AND t.Id_trace IS NULL"))
                  .toLongLong(),
              0);
}

TEST_F(ImportTest, TrackHeadersAfterTheirPointsAreStored) {
    // The second track's row is written before its name comes; the first's is not yet.
    const int kLong = ImportInserts::kLignesParLot + 452;
    auto track = [](int points, const QByteArray& after) {
        QByteArray t = "<trk><trkseg>";
        for (int i = 0; i < points; ++i) t += "<trkpt lat=\"50." + QByteArray::number(i) + "\" lon=\"4\"/>";
        return t + "</trkseg>" + after + "</trk>";
    };
    EXPECT_EQ(importGpx(smallGpx("<wpt lat=\"50\" lon=\"4\"><name>W</name></wpt>" +
                                 track(3, "<name> Court- </name><desc>a\nb</desc>") + track(kLong, "<cmt>c</cmt>") +
                                 track(2, ""))),
              ImportOutcome::Ok);
    EXPECT_EQ(rows(QStringLiteral("SELECT Id_trace, Nom, Description, Nb FROM Trace ORDER BY Id_trace")),
              (QStringList{"1|Court|a b|3", QStringLiteral("2|2|c|%1").arg(kLong), "3|3|NULL|2"}));
    EXPECT_EQ(rows(QStringLiteral("SELECT MIN(Id_point), MAX(Id_point), COUNT(*) FROM Points WHERE Trace > 0")),
              QStringList{QStringLiteral("2|%1|%2").arg(kLong + 6).arg(kLong + 5)});
}

TEST_F(ImportTest, CoordinateSystemsThatCannotBeSetUp) {
    seedRows();
    {
        DbGuard db;
        db->exec(QStringLiteral("INSERT INTO Proj (Epsg, \"Desc\", Proj4) VALUES (990001, 'vide', ''), "
                                "(990002, 'faux', '+proj=nonsense')"));
    }
    const QStringList before = snapshot();
    for (qint32 code : {990001, 990003}) {
        prompts->clear();
        state().paramProjCarto = code;
        EXPECT_EQ(importGpx(waypoints({"A"})), ImportOutcome::SetupFailure);
        EXPECT_EQ(prompts->texts(),
                  QStringList{QString::fromUtf8("Impossible de récupérer les paramètres du système de projection.")});
        EXPECT_EQ(prompts->prompts()[0].icon, Icon::Exclamation);
    }
    prompts->clear();
    state().paramProjCarto = 990002;
    EXPECT_EQ(importGpx(waypoints({"A"})), ImportOutcome::SetupFailure);
    ASSERT_EQ(prompts->prompts().size(), 1u);
    EXPECT_EQ(prompts->prompts()[0].icon, Icon::None);
    EXPECT_TRUE(prompts->texts()[0].startsWith(QString::fromUtf8(
        "Une erreur est survenue lors de la définition des systèmes de projection : erreur de projection [")));
    EXPECT_EQ(snapshot(), before);
    EXPECT_FALSE(state().modifWaypoints || state().modifTraces);
    EXPECT_TRUE(view.calls.isEmpty());
}

class ProjectionFailure : public ImportTest {
protected:
    void SetUp() override {
        ImportTest::SetUp();
        carteOrthographique();
    }
    static QString question() {
        return QStringLiteral("Une erreur est survenue lors de la projection : ") + state().derniereErreurProj +
               QStringLiteral(".\nVoulez-vous continuer ?");
    }
    static QByteArray far() { return "lat=\"-50\" lon=\"-176\""; }
};

TEST_F(ProjectionFailure, YesPassesThePointOver) {
    prompts->answer(Answer::Yes);
    prompts->answer(Answer::Yes);
    EXPECT_EQ(importGpx(smallGpx("<wpt lat=\"50\" lon=\"4\"><name>A</name></wpt><wpt " + far() + "><name>B</name></wpt>"
                                 "<wpt lat=\"50.1\" lon=\"4.1\"/>"
                                 "<trk><trkseg><trkpt lat=\"50\" lon=\"4\"/><trkpt " + far() + "/>"
                                 "<trkpt lat=\"50.2\" lon=\"4.2\"/></trkseg></trk>")),
              ImportOutcome::Ok);
    ASSERT_EQ(prompts->prompts().size(), 2u);
    EXPECT_EQ(prompts->prompts()[0].icon, Icon::Question);
    EXPECT_EQ(prompts->prompts()[0].buttons, Buttons::YesNo);
    EXPECT_TRUE(state().derniereErreurProj.startsWith(QStringLiteral("erreur de projection [")));
    EXPECT_EQ(prompts->prompts()[1].text, question());
    EXPECT_EQ(snapshot().size(), 5);
    DbGuard db;
    // The nameless waypoint takes its own key, which the skipped point did not use.
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT group_concat(Id_point || ':' || Nom, ' ') FROM Points WHERE Trace = 0"))
                  .toString(),
              QStringLiteral("1:A 2:2"));
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT group_concat(Num_trace, ',') FROM Points WHERE Trace = 1")).toString(),
              QStringLiteral("1,2"));
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT Nb FROM Trace")).toLongLong(), 2);
}

TEST_F(ProjectionFailure, NoAtTheFirstPointKeepsNothing) {
    seedRows();
    prompts->answer(Answer::No);
    EXPECT_EQ(importGpx(smallGpx("<wpt " + far() + "/><wpt lat=\"50\" lon=\"4\"/>")), ImportOutcome::Stopped);
    EXPECT_EQ(prompts->prompts().size(), 1u);
    EXPECT_TRUE(snapshot().isEmpty());
    EXPECT_FALSE(state().resultatOk);
    EXPECT_TRUE(state().modifWaypoints && state().modifTraces);
    EXPECT_EQ(view.calls, QStringList{"majListes"});
}

TEST_F(ProjectionFailure, NoLaterKeepsWhatWasStored) {
    prompts->answer(Answer::No);
    EXPECT_EQ(importGpx(smallGpx("<wpt lat=\"50\" lon=\"4\"><name>A</name></wpt>"
                                 "<trk><name>Deux</name><trkseg><trkpt lat=\"50\" lon=\"4\"/><trkpt lat=\"50.1\" lon=\"4\"/>"
                                 "</trkseg></trk>"
                                 "<trk><name>Un</name><trkseg><trkpt lat=\"50\" lon=\"4\"/><trkpt " + far() + "/>"
                                 "<trkpt lat=\"50.2\" lon=\"4\"/></trkseg></trk>"
                                 "<rte><name>R</name><rtept lat=\"50\" lon=\"4\"/><rtept lat=\"50.1\" lon=\"4\"/></rte>")),
              ImportOutcome::Stopped);
    DbGuard db;
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT group_concat(Nom || ':' || Nb, ' ') FROM Trace")).toString(),
              QStringLiteral("Deux:2"));
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT COUNT(*) FROM Points")).toLongLong(), 3);
    EXPECT_EQ(view.calls, QStringList{"majListes"});
}

TEST_F(ImportTest, DatabaseFailureRollsBack) {
    seedRows();
    {
        DbGuard db;
        db->exec(QStringLiteral("CREATE TRIGGER boom BEFORE INSERT ON Points WHEN NEW.Nom = 'BOOM' "
                                "BEGIN SELECT RAISE(ABORT, 'boom'); END"));
    }
    const QStringList before = snapshot();
    // The failing row among the last ones, written once the file is read, or far into a
    // large file, written by the writer thread while the file is still read.
    QByteArray many;
    for (int i = 0; i < ImportInserts::kLignesParLot + 1000; ++i)
        many += "<wpt lat=\"50.5\" lon=\"4\"><name>" + (i == 700 ? QByteArray("BOOM") : "W" + QByteArray::number(i)) +
                "</name></wpt>";
    for (const QByteArray& file : {waypoints({"A", "BOOM", "C"}), smallGpx(many)}) {
        prompts->clear();
        EXPECT_EQ(importGpx(file), ImportOutcome::DatabaseFailure);
        EXPECT_EQ(prompts->texts(), QStringList{QStringLiteral("Une erreur est survenue lors de l'importation du fichier '") +
                                                path("in.gpx") + QStringLiteral("'.\nboom")});
        EXPECT_EQ(prompts->prompts()[0].icon, Icon::Exclamation);
        EXPECT_EQ(snapshot(), before);
        EXPECT_FALSE(state().modifWaypoints || state().modifTraces);
        EXPECT_TRUE(view.calls.isEmpty());
    }
}

TEST_F(ImportTest, VideDonneesEmptiesTheWorkspace) {
    seedRows();
    {
        DbGuard db;
        db->exec(QStringLiteral("CREATE TABLE zz (a TEXT)"));
        db->exec(QStringLiteral("INSERT INTO zz VALUES (?)"), {QString(100000, QLatin1Char('x'))});
    }
    const qint64 sizeBefore = QFileInfo(path("sotrix.mdb")).size();
    videDonnees();
    EXPECT_TRUE(snapshot().isEmpty());
    DbGuard db;
    EXPECT_FALSE(db->tableExists(QStringLiteral("zz")));
    EXPECT_LT(QFileInfo(path("sotrix.mdb")).size(), sizeBefore);
    EXPECT_FALSE(QFileInfo::exists(path("non_compactee.mdb")));
    // With the database still open the compaction is skipped without a sound.
    db->exec(QStringLiteral("INSERT INTO Points (Nom) VALUES ('x')"));
    videDonnees();
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT COUNT(*) FROM Points")).toLongLong(), 0);
}
