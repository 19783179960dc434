// A "Non" to the projection question, wherever the refused point lies in the lots in which
// points are converted: the rows before it stay, as handling the points one at a time
// keeps them, and nothing after it is stored, counted or reported.
#include "test_import_fixture.h"

#include "ImportStore.h"

using namespace sotrix;
using namespace sotrix::importtest;

namespace {

enum class Format { Gpx, G7ToWin, Csv };

constexpr int kLot = int(PointStore::kPointsParLot);
constexpr int kWaypoints = kLot + 800;  // the second lot still waits when the first track starts
constexpr int kPointsTraces[] = {3, kLot + 10};
constexpr int kPoints = kWaypoints + 3 + kLot + 10;

// What a file hands over, in order: waypoints, then tracks of points (waypoints too in a
// CSV file, which has no tracks), with an unreadable line before the first point and
// after some others in the text formats. The first G7ToWin track begins on a line whose
// own point cannot be read.
struct Element {
    enum Kind { Waypoint, Track, Point, Unreadable } kind;
    int point;  // the point's index in the file; for a line, the index of the point before it
};

std::vector<Element> elements(Format format) {
    const std::vector<int> unreadableAfter{-1, 0, 999, 1000, kLot - 1, kLot, kWaypoints - 1, kWaypoints + 103, kPoints - 1};
    const bool lines = format != Format::Gpx;
    std::vector<Element> out;
    auto point = [&](Element::Kind kind, int i) {
        out.push_back({kind, i});
        if (lines && std::find(unreadableAfter.begin(), unreadableAfter.end(), i) != unreadableAfter.end())
            out.push_back({Element::Unreadable, i});
    };
    if (lines) out.push_back({Element::Unreadable, -1});
    int i = 0;
    for (; i < kWaypoints; ++i) point(Element::Waypoint, i);
    for (const int n : kPointsTraces) {
        if (format != Format::Csv) out.push_back({Element::Track, i});
        for (int k = 0; k < n; ++k, ++i) point(format == Format::Csv ? Element::Waypoint : Element::Point, i);
    }
    return out;
}

QByteArray lon(int i, int refused) { return i == refused ? "-176" : QByteArray::number(4 + (i % 100) * 0.001, 'f', 3); }
QByteArray lat(int i, int refused) { return i == refused ? "-50" : QByteArray::number(50 + (i % 37) * 0.001, 'f', 3); }

// The file, and the numbers of its unreadable lines with the index of the point before each.
QByteArray document(Format format, int refused, std::vector<std::pair<qint64, int>>& unreadable) {
    QByteArray doc;
    qint64 line = 0;
    auto add = [&](const QByteArray& text) {
        doc += text + '\n';
        ++line;
    };
    if (format == Format::Gpx)
        add("<?xml version=\"1.0\"?>\n<gpx xmlns=\"http://www.topografix.com/GPX/1/1\">");
    else if (format == Format::G7ToWin)
        for (const char* head : {"G7ToWin export", "Datum:,WGS 84", "libre", "texte"}) add(head);
    else
        add("Lon;Lat;Nom");
    int traces = 0;
    bool open = false;
    bool first = false;  // the next point opens its G7ToWin track
    for (const Element& e : elements(format)) {
        const QByteArray n = QByteArray::number(e.point);
        switch (e.kind) {
        case Element::Waypoint:
            if (format == Format::Gpx)
                add("<wpt lat=\"" + lat(e.point, refused) + "\" lon=\"" + lon(e.point, refused) + "\"><name>W" + n +
                    "</name></wpt>");
            else if (format == Format::G7ToWin)
                add("W,W" + n + "," + lat(e.point, refused) + "," + lon(e.point, refused) + ",,,,,,,,,,,");
            else
                add(lon(e.point, refused) + ";" + lat(e.point, refused) + ";W" + n);
            break;
        case Element::Track:
            ++traces;
            if (format == Format::Gpx) {
                if (open) add("</trkseg></trk>");
                add("<trk><name>T" + QByteArray::number(traces) + "</name><trkseg>");
                open = true;
            } else if (traces == 1) {  // a point that cannot be read: the track stays, the line is counted
                add("N,T1,abc,4,,,,,,,,,,,");
                unreadable.emplace_back(line, e.point - 1);
            } else {
                first = true;
            }
            break;
        case Element::Point:
            if (format == Format::Gpx)
                add("<trkpt lat=\"" + lat(e.point, refused) + "\" lon=\"" + lon(e.point, refused) + "\"/>");
            else
                add((first ? "N,T" + QByteArray::number(traces) : QByteArray("T,")) + "," + lat(e.point, refused) + "," +
                    lon(e.point, refused) + ",,,,,,,,,,,");
            first = false;
            break;
        case Element::Unreadable:
            add(format == Format::Csv ? "x;;" : "W,Court,50.5,4.25");
            unreadable.emplace_back(line, e.point);
            break;
        }
    }
    if (format == Format::Gpx) add(QByteArray(open ? "</trkseg></trk>" : "") + "</gpx>");
    return doc;
}

// The rows that handling one point at a time stores when the user declines `refused`:
// "Id_point|Nom|track|Num_trace|Lon e6|Lat e6" and "track|Nb", after the common tail.
std::pair<QStringList, QStringList> reference(Format format, int refused) {
    struct Row {
        qint64 id;
        QString nom;
        int trace;  // 0: a waypoint
        qint64 num;
        int point;
    };
    std::vector<Row> points;
    std::vector<qint64> nb;  // points of each track begun
    for (const Element& e : elements(format)) {
        if (e.point >= refused && e.kind != Element::Track) break;
        if (e.kind == Element::Track && e.point > refused) break;
        if (e.kind == Element::Track) nb.push_back(0);
        if (e.kind == Element::Waypoint)
            points.push_back({qint64(points.size()) + 1, QStringLiteral("W%1").arg(e.point), 0, 0, e.point});
        if (e.kind == Element::Point)
            points.push_back({qint64(points.size()) + 1, QString(), int(nb.size()), ++nb.back(), e.point});
    }
    QStringList rows, traces;
    for (const Row& r : points) {
        if (r.trace != 0 && nb[std::size_t(r.trace - 1)] < 2) continue;
        rows << QStringLiteral("%1|%2|%3|%4|%5|%6")
                    .arg(r.id)
                    .arg(r.nom, r.trace ? QStringLiteral("T%1").arg(r.trace) : QString())
                    .arg(r.num)
                    .arg(QString::fromLatin1(lon(r.point, refused).replace(".", "")) + QStringLiteral("000"))
                    .arg(QString::fromLatin1(lat(r.point, refused).replace(".", "")) + QStringLiteral("000"));
    }
    for (std::size_t t = 0; t < nb.size(); ++t)
        if (nb[t] >= 2) traces << QStringLiteral("T%1|%2").arg(t + 1).arg(nb[t]);
    return {rows, traces};
}

// The first row where two long lists part, for a readable failure.
void expectSameRows(const QStringList& actual, const QStringList& expected) {
    EXPECT_EQ(actual.size(), expected.size());
    for (qsizetype i = 0; i < std::min(actual.size(), expected.size()); ++i)
        if (actual[i] != expected[i]) {
            ADD_FAILURE() << "row " << i << ": " << actual[i].toStdString() << " instead of " << expected[i].toStdString();
            return;
        }
}

class StopAnywhere : public ImportTest {
protected:
    void SetUp() override {
        ImportTest::SetUp();
        carteOrthographique();
        state().paramDecalage = 0;
        state().champNom = QStringLiteral("2");
        state().colonneX = 0;
        state().colonneY = 1;
        state().sepChamps = QStringLiteral(";");
        state().sepDecimal = QStringLiteral(".");
        state().sepDecimalFichier = QStringLiteral(".");
        state().projImport = 0;
    }
};

TEST_F(StopAnywhere, NoKeepsTheRowsBeforeTheRefusedPointOnly) {
    const struct {
        const char* where;
        int point;
    } cases[] = {
        {"first point", 0},
        {"inside a lot", 1000},
        {"last point of a full lot", kLot - 1},
        {"first point of the next lot", kLot},
        {"just before a track starts", kWaypoints - 1},
        {"first point of a track", kWaypoints},
        {"inside a track", kWaypoints + 103},
        {"last point", kPoints - 1},
    };
    const struct {
        Format format;
        const char* name;
        int type;
    } formats[] = {{Format::Gpx, "GPX", typefichier::kOuvrirGpx},
                   {Format::G7ToWin, "G7ToWin", typefichier::kOuvrirG7ToWin},
                   {Format::Csv, "CSV", typefichier::kOuvrirCsvPointVirgule}};
    for (const auto& f : formats)
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(f.name) + ", " + c.where);
            std::vector<std::pair<qint64, int>> unreadable;
            const QString file = writeFile(document(f.format, c.point, unreadable), QStringLiteral("stop.txt"));
            {
                DbGuard db;  // whatever a failed row left
                db->exec(QStringLiteral("DELETE FROM Points"));
                db->exec(QStringLiteral("DELETE FROM Trace"));
            }
            seedRows();
            prompts->clear();
            view.calls.clear();
            state().modifWaypoints = state().modifTraces = false;
            prompts->answer(Answer::No);

            EXPECT_EQ(importFile(file, false, f.type), ImportOutcome::Stopped);

            const auto [points, traces] = reference(f.format, c.point);
            expectSameRows(rows(QStringLiteral("SELECT p.Id_point, coalesce(p.Nom, ''), coalesce(t.Nom, ''), "
                                               "coalesce(p.Num_trace, 0), CAST(round(p.Lon * 1e6) AS INTEGER), "
                                               "CAST(round(p.Lat * 1e6) AS INTEGER) FROM Points p "
                                               "LEFT JOIN Trace t ON t.Id_trace = p.Trace ORDER BY p.Id_point")),
                           points);
            EXPECT_EQ(rows(QStringLiteral("SELECT Nom, Nb FROM Trace ORDER BY Id_trace")), traces);

            LignesIgnorees before;
            for (const auto& [line, after] : unreadable)
                if (after < c.point) before.ajoute(line);
            QStringList texts{QStringLiteral("Une erreur est survenue lors de la projection : ") +
                              state().derniereErreurProj + QStringLiteral(".\nVoulez-vous continuer ?")};
            if (before.nombre > 0) texts << texteLignesIgnorees(file, before);
            EXPECT_EQ(prompts->texts().join(QLatin1Char('\n')), texts.join(QLatin1Char('\n')));
            EXPECT_TRUE(state().modifWaypoints && state().modifTraces);
            EXPECT_EQ(view.calls, QStringList{"majListes"});
        }
}

}  // namespace
