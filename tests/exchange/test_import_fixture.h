#pragma once
// Shared by the import tests: a workspace with a recording main window, GPX files
// written into the program folder, the rows of Points and Trace as text, and cs2cs.

#include "Database.h"
#include "ImportEngine.h"
#include "MainView.h"
#include "State.h"
#include "TypeFichier.h"
#include "Workspace.h"
#include "WorkspaceData.h"
#include "frmImport.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

// Texts in failure messages as text, not as bytes.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace sotrix::importtest {

// The rows fixture. "@" stands for the element prefix; trkFirst puts the tracks before
// the waypoints in the document.
inline QByteArray rowsFixture(const QByteArray& prefix = "", bool trkFirst = false) {
    const QByteArray wpts =
        "<@wpt lat=\"50.85\" lon=\"4.35\"><@ele>120.5</@ele><@time>2004-03-15T10:00:00Z</@time>"
        "<@name> A/B-- </@name><@cmt></@cmt><@desc>Maison</@desc></@wpt>\n"
        "<@wpt lat=\"0\" lon=\"0\"><x:name>n</x:name></@wpt>\n"
        "<@wpt lon=\"4.3\"><@name>NoLat</@name></@wpt>\n"
        "<@wpt lat=\"abc\" lon=\"4\"/>\n"
        "<@wpt lat=\"50.8\" lon=\"4.3\"><@name>L'église</@name><@desc>ligne 1\r\nligne 2</@desc></@wpt>\n";
    const QByteArray trks =
        "<@trk><@name>T</@name><@cmt/><@trkseg>\n"
        "<@trkpt lat=\"50.1\" lon=\"4.1\"><@ele>10</@ele><@time>2007-11-25T17:58:00+01:00</@time></@trkpt>\n"
        "<@trkpt lat=\"50.2\" lon=\"4.2\"><@ele>20</@ele><@time>2002-05-25T17:06:21.250Z</@time></@trkpt>\n"
        "<@trkpt lat=\"50.3\" lon=\"4.3\"><@ele>30</@ele></@trkpt>\n"
        "</@trkseg><@trkseg>\n"
        "<@trkpt lat=\"50.4\" lon=\"4.4\"/><@trkpt lat=\"50.5\" lon=\"4.5\"/>"
        "<@trkpt lat=\"50.6\" lon=\"4.6\"/><@trkpt lat=\"50.7\" lon=\"4.7\"/>\n"
        "</@trkseg></@trk>\n"
        "<@trk><@name>Court</@name><@trkseg><@trkpt lat=\"51.0\" lon=\"5.0\"/></@trkseg></@trk>\n";
    const QByteArray rte =
        "<@rte>\n<@rtept lat=\"50.01\" lon=\"5.01\"><@name>R1</@name></@rtept>"
        "<@rtept lat=\"50.02\" lon=\"5.02\"><@name>R2</@name></@rtept>"
        "<@rtept lat=\"50.03\" lon=\"5.03\"><@name>R3</@name></@rtept>"
        "<@rtept lat=\"50.04\" lon=\"5.04\"><@name>R4</@name></@rtept>"
        "<@rtept lat=\"50.05\" lon=\"5.05\"><@name>R5</@name></@rtept>\n</@rte>\n";
    QByteArray doc = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<@gpx version=\"1.1\" creator=\"test\" " +
                     QByteArray(prefix.isEmpty() ? "xmlns" : "xmlns:g") +
                     "=\"http://www.topografix.com/GPX/1/1\" xmlns:x=\"urn:x\">\n" + (trkFirst ? trks + wpts : wpts + trks) +
                     rte + "</@gpx>\n";
    doc.replace("@", prefix);
    return doc;
}

// The main window's services, recorded in call order.
class RecordingMainView final : public MainView {
public:
    QStringList calls;
    qint64 pointsSeenByMajListes = -1;  // through a connection of its own
    QWidget* window() override { return nullptr; }
    void majListes() override {
        calls << QStringLiteral("majListes");
        Database own(databasePath());
        pointsSeenByMajListes = own.scalar(QStringLiteral("SELECT COUNT(*) FROM Points")).toLongLong();
    }
    void majNb() override { calls << QStringLiteral("majNb"); }
    void zoomGlobal() override { calls << QStringLiteral("zoomGlobal"); }
    void redraw() override { calls << QStringLiteral("redraw"); }
    ViewState& viewState() override { return view_; }
    const ReferenceLayer& referenceLayer() const override { return layer_; }
    void setReferenceLayer(const ReferenceLayer& layer) override { layer_ = layer; }
    void setReferenceRenderer(std::shared_ptr<ReferenceRenderer>) override {}
    void drawShp() override {}

private:
    ViewState view_;
    ReferenceLayer layer_;
};

class ImportTest : public test::WorkspaceTest {
protected:
    void SetUp() override {
        test::WorkspaceTest::SetUp();
        state().paramProjGps = 4326;
        state().paramProjCarto = 31370;
        state().paramDecalage = 2;
        state().mainView = &view;
    }
    void TearDown() override {
        state().mainView = nullptr;
        test::WorkspaceTest::TearDown();
    }

    QString writeFile(const QByteArray& bytes, const QString& name = QStringLiteral("in.gpx")) {
        const QString p = path(name);
        QFile f(p);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        return p;
    }

    ImportOutcome importFile(const QString& file, bool fromGps = false, int type = typefichier::kOuvrirGpx) {
        state().nomFichier = file;
        state().typeFichier = type;
        return importeFichier(fromGps);
    }

    ImportOutcome importGpx(const QByteArray& bytes, bool fromGps = false) {
        return importFile(writeFile(bytes), fromGps);
    }

    // The rows of a query, columns joined by "|", NULL as "NULL".
    static QStringList rows(const QString& sql, const QVariantList& params = {}) {
        DbGuard db;
        QStringList out;
        Cursor c = db->query(sql, params);
        while (c.next()) {
            QStringList cols;
            for (int i = 0; i < c.columnCount(); ++i)
                cols << (c.value(i).isNull() ? QStringLiteral("NULL") : c.value(i).toString());
            out << cols.join(QLatin1Char('|'));
        }
        return out;
    }

    // Every row of both tables, every column, as text.
    static QStringList snapshot() {
        return rows(QStringLiteral("SELECT * FROM Points ORDER BY Id_point")) +
               rows(QStringLiteral("SELECT * FROM Trace ORDER BY Id_trace"));
    }

    // Two waypoints and a track of two points, as an earlier import would leave them.
    static void seedRows() {
        DbGuard db;
        db->exec(QStringLiteral("INSERT INTO Trace (Id_trace, Nom, Nb) VALUES (7, 'Ancienne', 2)"));
        db->exec(QStringLiteral("INSERT INTO Points (Nom, Lon, Lat, X, Y) VALUES ('Vieux', 4.0, 50.0, 1.0, 2.0), "
                                "('Autre', 4.1, 50.1, 3.0, 4.0)"));
        db->exec(QStringLiteral("INSERT INTO Points (Trace, Num_trace, Lon, Lat, X, Y) VALUES (7, 1, 4.2, 50.2, 5, 6), "
                                "(7, 2, 4.3, 50.3, 7, 8)"));
    }

    // An orthographic map system centred on Belgium: a point on the far side of the
    // globe (-176, -50) cannot be converted, and asks whether to go on.
    static void carteOrthographique() {
        DbGuard db;
        db->exec(QStringLiteral("INSERT INTO Proj (Epsg, \"Desc\", Proj4) VALUES (990010, 'ortho', "
                                "'+proj=ortho +lat_0=50 +lon_0=4 +datum=WGS84 +units=m +no_defs')"));
        state().paramProjCarto = 990010;
    }

    static QString proj4(qint32 epsg) {
        DbGuard db;
        return db->scalar(QStringLiteral("SELECT Proj4 FROM Proj WHERE Epsg = ?"), {epsg}).toString();
    }

    // (lon, lat) pairs converted by PROJ's cs2cs between two PROJ.4 strings.
    static std::vector<std::pair<double, double>> cs2cs(const QString& from, const QString& to,
                                                        const std::vector<std::pair<double, double>>& points) {
        QStringList args{QStringLiteral("-f"), QStringLiteral("%.6f")};
        args << from.split(QLatin1Char(' '), Qt::SkipEmptyParts) << QStringLiteral("+to")
             << to.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        QProcess p;
        p.start(QStringLiteral("cs2cs"), args);
        EXPECT_TRUE(p.waitForStarted());
        for (const auto& [x, y] : points) p.write(QByteArray::number(x, 'g', 17) + ' ' + QByteArray::number(y, 'g', 17) + '\n');
        p.closeWriteChannel();
        EXPECT_TRUE(p.waitForFinished());
        std::vector<std::pair<double, double>> out;
        for (const QByteArray& line : p.readAllStandardOutput().split('\n')) {
            const QList<QByteArray> f = line.simplified().split(' ');
            if (f.size() >= 2) out.emplace_back(f[0].toDouble(), f[1].toDouble());
        }
        EXPECT_EQ(out.size(), points.size());
        return out;
    }

    // Runs an outside program in the program folder; its failure fails the test.
    void runTool(const QString& program, const QStringList& args) const {
        QProcess p;
        p.setWorkingDirectory(home());
        p.start(program, args);
        ASSERT_TRUE(p.waitForFinished(60000)) << program.toStdString();
        ASSERT_EQ(p.exitCode(), 0) << program.toStdString() << ": " << p.readAllStandardError().toStdString();
    }

    // The field-mapping dialog opened on the file as File > Open opens it, its controls
    // set by `choose`, then "Ouvrir" pressed. The import's outcome; nothing when the
    // dialog did not open or "Ouvrir" ran no import.
    std::optional<ImportOutcome> importViaDialog(const QString& file, int type,
                                                 const std::function<void(QWidget&)>& choose = {}) {
        std::optional<ImportOutcome> outcome;
        const auto importer = [&outcome](bool fromGps) { return *(outcome = importeFichier(fromGps)); };
        if (!ouvreFrmImport(file, type, {}, importer)) return std::nullopt;
        frmImport* dialog = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("frmImport") && w->isVisible()) dialog = static_cast<frmImport*>(w);
        EXPECT_NE(dialog, nullptr);
        if (!dialog) return std::nullopt;
        if (choose) choose(*dialog);
        dialog->ouvrir_dbf_Click();
        if (dialog->isVisible()) dialog->annuler_dbf_Click();  // refused: leave no dialog behind
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return outcome;
    }
    static void setCombo(QWidget& dialog, const char* name, int index) {
        dialog.findChild<QComboBox*>(QLatin1String(name))->setCurrentIndex(index);
    }
    static void setSep(QWidget& dialog, const QString& text) {
        dialog.findChild<QLineEdit*>(QStringLiteral("txtSep"))->setText(text);
    }

    const QString kReadFailureTail = QStringLiteral("'.\nVérifiez que ce fichier n'est pas en cours d'utilisation.");
    RecordingMainView view;
};

}  // namespace sotrix::importtest
