// The WMS tool end to end: the real mapserv WMS on loopback listed, a configuration file
// written for it and drawn as the reference layer; and every refusal of "Créer".
#include "test_reference_fixture.h"

#include "Database.h"
#include "FakeHttpServer.h"
#include "FrenchLocale.h"
#include "MapservWms.h"
#include "OgcConfig.h"
#include "State.h"
#include "GisToolCommands.h"
#include "frmCatalogue.h"
#include "frmInfoFile.h"
#include "frmWms.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QItemSelectionModel>
#include <QListView>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>

#include <algorithm>
#include <cstring>
#include <functional>

namespace sotrix {
namespace {

using test::GisData;
using test::MapservWms;

const QString kCree = QStringLiteral("Le fichier de configuration a bien été créé.");
const QString kEtendue = QStringLiteral("Une erreur est survenue lors de la détermination de l'étendue de la carte ?");

class WmsTool : public test::ReferenceTest {
protected:
    void SetUp() override {
        ReferenceTest::SetUp();
        state().reachability = std::make_shared<FixedReachability>(true);
        tool = std::make_unique<frmWms>(5000);
    }
    void TearDown() override {
        tool.reset();
        ReferenceTest::TearDown();
    }
    template <class W>
    W* child(const char* name) {
        return tool->findChild<W*>(QString::fromUtf8(name));
    }
    void retrieve(const QString& url) {
        child<QLineEdit>("txtUrl")->setText(url);
        tool->cmdRecuperer_Click();
        QElapsedTimer clock;
        clock.start();
        while (tool->retrieving() && clock.elapsed() < 30000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        ASSERT_FALSE(tool->retrieving());
    }
    QStringList lines() {
        const QAbstractItemModel* model = child<QListView>("lstLayers")->model();
        QStringList out;
        for (int i = 0; i < model->rowCount(); ++i) out << model->index(i, 0).data().toString();
        return out;
    }
    QStringList combo() {
        QStringList out;
        for (int i = 0; i < child<QComboBox>("cboProjection")->count(); ++i) out << child<QComboBox>("cboProjection")->itemText(i);
        return out;
    }
    // Selects the lines, the system, the destination, then clicks "Créer".
    void create(const std::vector<int>& rows, const QString& system, const QString& destination) {
        auto* list = child<QListView>("lstLayers");
        list->clearSelection();
        for (int r : rows) list->selectionModel()->select(list->model()->index(r, 0), QItemSelectionModel::Select);
        child<QComboBox>("cboProjection")->setCurrentIndex(child<QComboBox>("cboProjection")->findText(system));
        child<QLineEdit>("txtDestination")->setText(destination);
        tool->cmd_convert_Click();
    }
    QStringList messages() const { return prompts->texts(); }
    std::unique_ptr<frmWms> tool;
};

TEST_F(WmsTool, TheRealServerIsListedWrittenAndDrawn) {
    MapservWms wms;
    const QString ortho = data->raster(QStringLiteral("ortho.tif"), GisData::tile1());
    const QString zones = data->shapefile(QStringLiteral("zones"), {GisData::polygon()});
    ASSERT_TRUE(wms.start(data->folder(), [&](quint16 port) { return MapservWms::testMapfile(port, ortho, zones); }));
    const QString typed = QStringLiteral("http://127.0.0.1:%1/cgi-bin/mapserv?x=1&y=2").arg(wms.port());

    for (bool french : {false, true}) {
        SCOPED_TRACE(french ? "fr_BE" : "C");
        QLocale::setDefault(QLocale::c());  // whatever locale the tests run under
        std::unique_ptr<test::FrenchLocale> locale;
        if (french) locale = std::make_unique<test::FrenchLocale>();
        tool = std::make_unique<frmWms>(5000);
        retrieve(typed);
        EXPECT_TRUE(prompts->texts().isEmpty()) << prompts->texts().join(u'|').toStdString();
        QStringList expected{
            QStringLiteral("Orthophoto à Liège - projection : BD72 / Belgian Lambert 72 - X : 4.367486 ; 4.395881 - Y : "
                           "50.831963 ; 50.840956"),
            QStringLiteral("Zones & parcs - projection : BD72 / Belgian Lambert 72 - X : 4.402974 ; 4.417174 - Y : "
                           "50.833754 ; 50.839153")};
        if (french) expected.replaceInStrings(QStringLiteral("."), QStringLiteral(","));
        EXPECT_EQ(lines(), expected);
        EXPECT_EQ(combo(), (QStringList{QStringLiteral("BD72 / Belgian Lambert 72"), QStringLiteral("WGS 84")}));
    }
    ASSERT_FALSE(wms.requests().isEmpty());
    EXPECT_TRUE(wms.requests().front().startsWith(
        QStringLiteral("GET /cgi-bin/mapserv?x=1&y=2&SERVICE=WMS&VERSION=1.1.1&REQUEST=GetCapabilities ")));

    // WGS 84: the boxes as the server gives them, and every GetMap format.
    const QString golden = data->path(QStringLiteral("golden.ogc"));
    create({0, 1}, QStringLiteral("WGS 84"), golden);
    EXPECT_EQ(prompts->texts(), QStringList{kCree});
    const QByteArray bytes = fileBytes(golden);
    const QByteArray head = "<wms_client_config>\r\n  <wms_version>1.1.1</wms_version>\r\n  <online_resource>" +
                            typed.toUtf8().replace("&", "&amp;") +
                            "</online_resource>\r\n  <image_format_list>\r\n    <image_format>image/png</image_format>\r\n"
                            "    <image_format>image/jpeg</image_format>\r\n";
    EXPECT_TRUE(bytes.startsWith(head)) << bytes.toStdString();
    EXPECT_EQ(bytes.count("    <image_format>"), 13);
    EXPECT_TRUE(bytes.endsWith("  </image_format_list>\r\n  <srs>EPSG:4326</srs>\r\n"
                               "  <extents minx=\"4.367486\" miny=\"50.831963\" maxx=\"4.417174\" maxy=\"50.840956\">"
                               "</extents>\r\n  <layer_list>\r\n    <layer>ortho</layer>\r\n    <layer>zones</layer>\r\n"
                               "  </layer_list>\r\n</wms_client_config>\r\n"))
        << bytes.toStdString();

    // Lambert 72: the boxes converted along their edges.
    const QString lambert = data->path(QStringLiteral("lambert.ogc"));
    prompts->clear();
    create({0, 1}, QStringLiteral("BD72 / Belgian Lambert 72"), lambert);
    EXPECT_EQ(prompts->texts(), QStringList{kCree});
    const OgcConfig ogc = lireConfigurationOgc(fileBytes(lambert));
    ASSERT_TRUE(ogc.extents);
    EXPECT_NEAR(ogc.extents->minX, 149910.811, 0.05);
    EXPECT_NEAR(ogc.extents->minY, 169060.209, 0.05);
    EXPECT_NEAR(ogc.extents->maxX, 153411.095, 0.05);
    EXPECT_NEAR(ogc.extents->maxY, 170060.961, 0.05);
    EXPECT_EQ(ogc.wms.srs, QStringLiteral("EPSG:31370"));

    // That file as the reference layer: the raster and the blue polygon where they lie.
    prompts->clear();
    standardView();
    choose(lambert, 7);
    cmdAddShp_Click(*form);
    EXPECT_EQ(form->typeCoucheRef, 7);
    EXPECT_TRUE(fileBytes(path(QStringLiteral("sotrix.map"))).contains("\"wms_name\" \"ortho,zones\""));
    EXPECT_TRUE(colourAt(150500, 169300, test::kOrange));
    EXPECT_TRUE(colourAt(153000, 169500, QColor(0, 0, 255)));
}

QByteArray capabilities(const QByteArray& layers) {
    return "HTTP/1.0 200 OK\r\n\r\n<?xml version=\"1.0\"?><WMT_MS_Capabilities version=\"1.1.1\"><Capability><Request>"
           "<GetMap><Format>image/png</Format></GetMap></Request><Layer><SRS>EPSG:4326 EPSG:990001 EPSG:31370</SRS>" +
           layers + "</Layer></Capability></WMT_MS_Capabilities>";
}

QByteArray layer(const QByteArray& name, const QByteArray& box, const QByteArray& srs = {}) {
    return "<Layer><Name>" + name + "</Name><Title>" + name + "</Title>" + srs + "<LatLonBoundingBox " + box +
           "/></Layer>";
}

TEST_F(WmsTool, CreerChecksAsksAndWritesOnlyWhatItMay) {
    {
        Database db(path(QStringLiteral("sotrix.mdb")));
        db.exec(QStringLiteral("INSERT INTO Proj (Epsg, \"Desc\", Proj4) VALUES (990001, 'Orthographique', "
                               "'+proj=ortho +lat_0=50 +lon_0=4 +datum=WGS84 +units=m +no_defs')"));
    }
    test::FakeHttpServer server;
    // The second record has a system outside Proj: no line, so lines 2 and 4 are records 3 and 5.
    server.serve({}, {{{capabilities(layer("un", "minx=\"4\" miny=\"50\" maxx=\"4.5\" maxy=\"50.5\"") +
                                     layer("cache", "minx=\"0\" miny=\"0\" maxx=\"1\" maxy=\"1\"", "<SRS>EPSG:1</SRS>") +
                                     layer("deux", "minx=\"-0.5\" miny=\"-0.25\" maxx=\"0.5\" maxy=\"0.75\"") +
                                     layer("trois", "minx=\"10\" miny=\"10\" maxx=\"11\" maxy=\"11\"") +
                                     layer("quatre", "minx=\"-176\" miny=\"20\" maxx=\"5\" maxy=\"51\"") +
                                     layer("loin", "minx=\"-176\" miny=\"-60\" maxx=\"-175\" maxy=\"-59\""))}}});
    const QString dest = data->path(QStringLiteral("x.ogc"));
    // The checks, in order.
    struct Check {
        std::vector<int> rows;
        const char* system;
        QString destination;
        QString message;
    };
    const std::vector<Check> checks{
        {{}, "WGS 84", dest, QStringLiteral("Vous devez sélectionner au moins une couche.")},
        {{0}, "", dest, QStringLiteral("Vous devez sélectionner le système de projection à utiliser.")},
        {{0}, "WGS 84", {}, QStringLiteral("Vous devez spécifier un fichier de destination.")},
        {{0}, "WGS 84", data->folder(),
         QStringLiteral("Impossible de créer le fichier de configuration '") + data->folder() +
             QStringLiteral("'.\nVérifiez que ce fichier n'est pas en cours d'utilisation.")},
    };
    tool->cmd_convert_Click();
    EXPECT_EQ(prompts->texts(),
              QStringList{QStringLiteral("Vous devez d'abord récupérer la liste des couches disponibles sur le serveur WMS.")});
    retrieve(server.url(QStringLiteral("/wms")));
    ASSERT_EQ(lines().size(), 5);
    for (const Check& c : checks) {
        prompts->clear();
        create(c.rows, QString::fromUtf8(c.system), c.destination);
        EXPECT_EQ(prompts->texts(), QStringList{c.message});
    }
    EXPECT_FALSE(QFile::exists(dest));

    // Lines 2 and 4 (records "deux" and "quatre") in WGS 84; the union and the leading point.
    prompts->clear();
    create({1, 3}, "WGS 84", dest);
    const OgcConfig both = lireConfigurationOgc(fileBytes(dest));
    EXPECT_EQ(both.wms.layers, (QStringList{QStringLiteral("deux"), QStringLiteral("quatre")}));
    EXPECT_TRUE(fileBytes(dest).contains("<extents minx=\"-176\" miny=\"-.25\" maxx=\"5\" maxy=\"51\">"));

    // An existing file kept on No, whatever the answer would have written.
    const QByteArray old = fileBytes(dest);
    prompts->clear();
    prompts->answer(Answer::No);
    create({0}, "WGS 84", dest);
    EXPECT_EQ(fileBytes(dest), old);

    // The far points of "quatre" fail in the orthographic system: No writes nothing, Yes
    // counts the points that converted; a layer none of whose points convert adds nothing.
    const QString ortho = data->path(QStringLiteral("ortho.ogc"));
    prompts->clear();
    prompts->answer(Answer::No);
    create({3}, "Orthographique", ortho);
    EXPECT_EQ(prompts->texts(), QStringList{kEtendue});
    EXPECT_FALSE(QFile::exists(ortho));
    prompts->clear();
    prompts->answer(Answer::Yes);
    prompts->answer(Answer::Yes);
    create({0, 3, 4}, "Orthographique", ortho);
    EXPECT_EQ(prompts->texts(), (QStringList{kEtendue, kEtendue, kCree}));
    const OgcConfig partial = lireConfigurationOgc(fileBytes(ortho));
    ASSERT_TRUE(partial.extents);
    // The visible points of "quatre" reach over the pole, far beyond "un" alone.
    EXPECT_LT(partial.extents->minX, 0);
    EXPECT_GT(partial.extents->maxX, 0);
    EXPECT_GT(partial.extents->maxY, 1e6);
    EXPECT_LT(partial.extents->minY, 1e5);
    // Only the failing layer: nothing converted at all, nothing written.
    const QString none = data->path(QStringLiteral("rien.ogc"));
    prompts->clear();
    prompts->answer(Answer::Yes);
    create({4}, "Orthographique", none);
    EXPECT_EQ(prompts->texts(), QStringList{kEtendue});
    EXPECT_FALSE(QFile::exists(none));
}

TEST_F(WmsTool, ALargeListHoldsEveryLineInOrderWithItsWidestInReachAndWritesTheChosenLayers) {
    // Leaves with a system outside Proj or without a title get no line; one title is far
    // longer than the others.
    struct Case {
        const char* what;
        int layers;
        int groupe;  // leaves per nested group, 0 for none
        int longue;  // the leaf with the long title
    };
    const std::vector<Case> cases{
        {"30,000 leaves, the longest in the middle", 30000, 0, 15000},
        {"groups of 1,000, the longest last", 20000, 1000, 19999},
    };
    QLocale::setDefault(QLocale::c());  // whatever locale the tests run under
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QByteArray layers;
        QStringList expected, names;
        for (int i = 0; i < c.layers; ++i) {
            if (c.groupe > 0 && i % c.groupe == 0) layers += i == 0 ? "<Layer><Title>g</Title>" : "</Layer><Layer><Title>g</Title>";
            const QByteArray n = QByteArray::number(i);
            const QByteArray title = i == c.longue ? "Longue " + QByteArray(300, 'W') : i % 11 == 5 ? "" : "Couche " + n;
            const bool lambert = i % 3 == 1, ailleurs = i % 7 == 3;
            const QByteArray srs = ailleurs ? "<SRS>EPSG:1</SRS>" : lambert ? "<SRS>EPSG:31370</SRS>" : "";
            const QByteArray a = QByteArray::number(i % 80);
            const QByteArray box = "minx=\"" + a + ".25\" miny=\"-50.5\" maxx=\"" + a + ".75\" maxy=\"" + a + ".5\"";
            layers += "<Layer><Name>c" + n + "</Name><Title>" + title + "</Title>" + srs + "<LatLonBoundingBox " + box +
                      "/></Layer>";
            if (title.isEmpty() || ailleurs) continue;
            expected << QString::fromUtf8(title) +
                            (lambert ? QStringLiteral(" - projection : BD72 / Belgian Lambert 72")
                                     : QStringLiteral(" - projection : WGS 84")) +
                            QStringLiteral(" - X : %1.25 ; %1.75 - Y : -50.5 ; %1.5").arg(i % 80);
            names << QStringLiteral("c%1").arg(i);
        }
        if (c.groupe > 0) layers += "</Layer>";
        test::FakeHttpServer server;
        server.serve({}, {{{capabilities(layers)}}});
        tool = std::make_unique<frmWms>(5000);
        tool->show();
        prompts->clear();
        retrieve(server.url(QStringLiteral("/wms")));
        EXPECT_TRUE(messages().isEmpty()) << messages().join(u'|').toStdString();
        ASSERT_EQ(lines().size(), expected.size());
        EXPECT_TRUE(lines() == expected);

        // The sideways scroll bar reaches the end of the widest line.
        QCoreApplication::processEvents();
        auto* list = child<QListView>("lstLayers");
        int widest = 0;
        for (const QString& l : expected) widest = std::max(widest, list->fontMetrics().horizontalAdvance(l));
        EXPECT_GE(list->horizontalScrollBar()->maximum() + list->viewport()->width(), widest);

        // The first, a middle and the last line, in the list's order whatever the order chosen.
        const int last = int(expected.size()) - 1;
        const QString dest = data->path(QStringLiteral("grande.ogc"));
        QFile::remove(dest);
        create({last, 0, last / 2}, QStringLiteral("WGS 84"), dest);
        EXPECT_EQ(messages(), QStringList{kCree});
        EXPECT_EQ(lireConfigurationOgc(fileBytes(dest)).wms.layers, (QStringList{names[0], names[last / 2], names[last]}));
    }
}

TEST_F(WmsTool, ANameWithoutSuffixIsSavedWithOgc) {
    test::FakeHttpServer server;
    server.serve({}, {{{capabilities(layer("un", "minx=\"4\" miny=\"50\" maxx=\"4.5\" maxy=\"50.5\""))}}});
    retrieve(server.url(QStringLiteral("/wms")));
    ASSERT_EQ(lines().size(), 1);
    ASSERT_TRUE(QDir(data->folder()).mkdir(QStringLiteral("v1.0")));
    struct Case {
        const char* typed;  // under the data folder
        const char* saved;
    };
    const std::vector<Case> cases{
        {"serveur", "serveur.ogc"},
        {"v1.0/serveur", "v1.0/serveur.ogc"},
        {"autre.ogc", "autre.ogc"},
        {"carte.xml", "carte.xml"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        prompts->clear();
        create({0}, QStringLiteral("WGS 84"), data->path(QString::fromUtf8(c.typed)));
        EXPECT_EQ(messages(), QStringList{kCree});
        const QString saved = data->path(QString::fromUtf8(c.saved));
        EXPECT_EQ(child<QLineEdit>("txtDestination")->text(), saved);
        EXPECT_TRUE(lireConfigurationOgc(fileBytes(saved)).extents.has_value());
        if (std::strcmp(c.typed, c.saved) != 0) {
            EXPECT_FALSE(QFile::exists(data->path(QString::fromUtf8(c.typed))));
        }
    }
    // An existing file under the completed name is asked about.
    prompts->clear();
    prompts->answer(Answer::No);
    create({0}, QStringLiteral("WGS 84"), data->path(QStringLiteral("serveur")));
    EXPECT_EQ(messages(), QStringList{QStringLiteral("Le fichier '") + data->path(QStringLiteral("serveur.ogc")) +
                                      QStringLiteral("' existe déjà.\nVoulez-vous le remplacer ?")});
}

TEST_F(WmsTool, TheToolsDialogsShowTheirFilterCaptionsAsWritten) {
    frmCatalogue catalogue;
    frmInfoFile info;
    struct Case {
        const char* what;
        std::function<void()> open;
        bool save;
        QStringList captions;
    };
    const std::vector<Case> cases{
        {"raster catalogue, files", [&] { catalogue.cmd_fichier_Click(); }, false,
         {QStringLiteral("Tous les fichiers (*.tif, *.jpg, *.ecw, *.img)"), QStringLiteral("Tiff (*.tif)"),
          QStringLiteral("Jpeg (*.jpg)"), QStringLiteral("ERMapper Compress Wavelets (*.ecw)"),
          QStringLiteral("Erdas Imagine (*.img)")}},
        {"raster catalogue, destination", [&] { catalogue.cmd_destination_Click(); }, true,
         {QStringLiteral("Shapefile (*.shp)")}},
        {"file information", [&] { info.cmd_destination_Click(); }, false,
         {QStringLiteral("Vectoriel"), QStringLiteral("Raster")}},
        {"WMS destination", [&] { tool->cmdDestination_Click(); }, true,
         {QStringLiteral("Fichier de configuration WMS (*.ogc)")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        prompts->clear();
        if (c.save)
            prompts->answerSave(std::nullopt);
        else
            prompts->answerOpen(std::nullopt);
        c.open();
        ASSERT_FALSE(prompts->prompts().empty());
        EXPECT_EQ(prompts->prompts().front().file.filters, c.captions);
    }
    prompts->clear();
}

TEST_F(WmsTool, EdgesNotCornersGiveTheProjectedExtent) {
    test::FakeHttpServer server;
    server.serve({}, {{{capabilities(layer("be", "minx=\"2.5\" miny=\"49.5\" maxx=\"6.4\" maxy=\"51.5\""))}}});
    retrieve(server.url(QStringLiteral("/wms")));
    const QString dest = data->path(QStringLiteral("be.ogc"));
    create({0}, "BD72 / Belgian Lambert 72", dest);
    const OgcConfig c = lireConfigurationOgc(fileBytes(dest));
    ASSERT_TRUE(c.extents);
    EXPECT_NEAR(c.extents->minX, 14637.2, 1);
    EXPECT_NEAR(c.extents->minY, 20909.2, 1);
    EXPECT_NEAR(c.extents->maxX, 297133.1, 1);
    EXPECT_GE(c.extents->maxY, 245312.0);
}

TEST_F(WmsTool, EachOutilsItemOpensItsWindowOverADisabledMainWindowUntilQuitter) {
    ASSERT_EQ(connecteMenuOutils(form.get()), 3);
    struct Item {
        const char* action;
        const char* window;
        const char* caption;
        const char* shortcut;
    };
    const std::vector<Item> items{
        {"outilsWMS", "frmWms", "Fichier de configuration WMS", "Ctrl+W"},
        {"outilsCatalogue", "frmCatalogue", "Création d'un catalogue de rasters", "Ctrl+C"},
        {"outilsInfo", "frmInfoFile", "Informations fichier", "Ctrl+I"},
    };
    for (const Item& item : items) {
        SCOPED_TRACE(item.action);
        QAction* action = form->findChild<QAction*>(QString::fromLatin1(item.action));
        ASSERT_TRUE(action);
        EXPECT_EQ(action->shortcut().toString(), QString::fromLatin1(item.shortcut));
        action->trigger();
        QPointer<QWidget> window;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QString::fromLatin1(item.window) && w->isVisible()) window = w;
        ASSERT_TRUE(window);
        EXPECT_EQ(window->windowTitle(), QString::fromUtf8(item.caption));
        EXPECT_EQ(window->windowModality(), Qt::WindowModal);
        EXPECT_FALSE(form->isEnabled());
        window->findChild<QPushButton*>(QStringLiteral("cmdAnnuler"))->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(window.isNull());
        EXPECT_TRUE(form->isEnabled());
    }
    EXPECT_TRUE(messages().isEmpty());
}

}  // namespace
}  // namespace sotrix
