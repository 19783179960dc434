// Drawing the reference layer with map2img at each redraw, what a failed drawing does,
// the command line, redraws asked for while a drawing runs, and the removal.
#include "test_reference_fixture.h"

#include "FrenchLocale.h"
#include "MapCanvas.h"
#include "MapServerRenderer.h"
#include "MapservWms.h"
#include "State.h"
#include "StubTools.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTimer>

#include <functional>

namespace sotrix {
namespace {

using test::GisData;
using test::kEchecRendu;
using test::MapservWms;
using test::StubTools;

const QColor kStubGreen(0, 160, 0);  // the stubs' picture

class ReferenceRender : public test::ReferenceTest {
protected:
    // A waypoint and a track inside the standard view.
    void addData() {
        insertWaypoint(QStringLiteral("w"), 151500, 169750);
        addTrack(QStringLiteral("t"), {{150500, 170500}, {153500, 170500}});
    }
    void expectDroppedWithDataDrawn() {
        EXPECT_EQ(promptTrail().count(kEchecRendu), 1);
        EXPECT_EQ(prompts->prompts().back().icon, Icon::Exclamation);
        EXPECT_TRUE(form->coucheRef.isEmpty());
        EXPECT_TRUE(label("lblRéférence")->text().isEmpty());
        EXPECT_EQ(pixelAt(151500, 169750), test::kBlue);
        EXPECT_TRUE(near(152000, 170500, test::kBlue)) << "the track is drawn";
        EXPECT_EQ(pixelAt(150500, 169300), test::kWhite) << "no picture is painted";
    }
};

quint16 closedPort() {
    QTcpServer probe;
    EXPECT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

TEST_F(ReferenceRender, ARealFailureDropsTheLayerWhileTheDataAreStillDrawn) {
    MapservWms wms;
    const QString ortho = data->raster(QStringLiteral("ortho.tif"), GisData::tile1());
    const QString zones = data->shapefile(QStringLiteral("zones"), {GisData::polygon()});
    ASSERT_TRUE(wms.start(data->folder(), [&](quint16 port) { return MapservWms::testMapfile(port, ortho, zones); }));
    addData();
    standardView();

    struct Case {
        const char* what;
        int kind;
        std::function<QString()> make;
        std::function<void(const QString&)> afterChoice;  // breaks an accepted layer
    };
    const std::vector<Case> cases{
        {"an unknown WMS layer", 7,
         [&] {
             writeFile(data->path(QStringLiteral("inconnue.ogc")), MapservWms::testOgc(wms.port(), {QStringLiteral("inconnue")}));
             return data->path(QStringLiteral("inconnue.ogc"));
         },
         {}},
        {"a WMS on a closed port", 7,
         [&] {
             writeFile(data->path(QStringLiteral("ferme.ogc")), MapservWms::testOgc(closedPort(), {QStringLiteral("ortho")}));
             return data->path(QStringLiteral("ferme.ogc"));
         },
         {}},
        {"a deleted raster", 2, [&] { return data->raster(QStringLiteral("efface.tif"), GisData::tile1()); },
         [&](const QString& file) {
             EXPECT_TRUE(colourAt(150500, 169300, test::kOrange)) << "drawn while it exists";
             EXPECT_TRUE(QFile::remove(file));
             form->redraw();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        prompts->clear();
        form->setReferenceLayer({});
        const QString file = c.make();
        choose(file, c.kind);
        if (c.kind == 7) prompts->answer(Answer::Yes);
        cmdAddShp_Click(*form);
        if (c.afterChoice) c.afterChoice(file);
        expectDroppedWithDataDrawn();
        EXPECT_FALSE(QFile::exists(path(QStringLiteral("sotrix.map"))));
        EXPECT_FALSE(QFile::exists(path(QStringLiteral("sotrix.jpg"))));
    }
}

TEST_F(ReferenceRender, AStubbedRendererFailsByExitImageErrorLineAbsenceOrTimeOut) {
    addData();
    struct Case {
        const char* what;
        QString body;  // "" : no renderer at all
        bool drawn;
        int timeoutMs = kDelaiRenduMs;
    };
    const std::vector<Case> cases{
        {"a picture", StubTools::writesImage(), true},
        {"a GDAL warning on standard error", StubTools::writesImage() + QStringLiteral("\necho 'Warning 1: TIFFReadDirectory' >&2"), true},
        {"a MapServer warning", StubTools::writesImage() + QStringLiteral("\necho 'LoadGDALImage(Fond): NODATA value 0 in GDAL' >&2"), true},
        {"exit 1 after a picture", StubTools::failsAfterImage(), false},
        {"no picture", StubTools::writesNothing(), false},
        {"a MapServer error line", StubTools::imageWithError(), false},
        {"a time-out", StubTools::sleepsThenWritesImage(3), false, 300},
        {"no renderer", QString(), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StubTools stubs;
        stubs.hideRealTools();
        if (!c.body.isEmpty()) stubs.add(QStringLiteral("map2img"), c.body);
        form->setReferenceRenderer(std::make_shared<MapServerRenderer>(c.timeoutMs));
        prompts->clear();
        setLayer(QStringLiteral("/cartes/r.tif"), 2);
        standardView();
        if (c.drawn) {
            EXPECT_TRUE(prompts->prompts().empty());
            EXPECT_EQ(pixelAt(150500, 169300), kStubGreen);
            EXPECT_EQ(pixelAt(151500, 169750), test::kBlue) << "the waypoint is drawn on top";
            EXPECT_EQ(form->coucheRef, QStringLiteral("/cartes/r.tif"));
        } else {
            expectDroppedWithDataDrawn();
        }
    }
}

TEST_F(ReferenceRender, TheCommandLineUsesThePeriodAndTheCanvasSize) {
    test::FrenchLocale french;
    ASSERT_TRUE(french.active());
    const auto file = [&](const char* name) { return path(QString::fromLatin1(name)); };
    {
        StubTools stubs;
        stubs.add(QStringLiteral("map2img"), StubTools::writesImage());
        setLayer(QStringLiteral("/cartes/r.tif"), 2);
        viewAt(12.375, 0, 37.3125);  // -12.5 .. 37.25 across, -18.65625 .. 18.65625 up
        EXPECT_EQ(stubs.arguments(QStringLiteral("map2img")),
                  (QStringList{QStringLiteral("-m"), file("sotrix.map"), QStringLiteral("-o"), file("sotrix.jpg"),
                               QStringLiteral("-e"), QStringLiteral("-12.5"), QStringLiteral("-18.65625"),
                               QStringLiteral("37.25"), QStringLiteral("18.65625"), QStringLiteral("-s"),
                               QStringLiteral("400"), QStringLiteral("300"), QStringLiteral("-all_debug"),
                               QStringLiteral("0"), QStringLiteral("-conf"), file("sotrix.conf")}));
        EXPECT_EQ(fileBytes(file("sotrix.conf")), QByteArray("CONFIG\r\nEND\r\n"));
        EXPECT_EQ(canvas->image().pixelColor(200, 150), kStubGreen);
    }
    {
        // An older MapServer: shp2img, which takes no configuration file.
        writeFile(file("sotrix.conf"), "CONFIG\r\n  MS_ERRORFILE \"stderr\"\r\nEND\r\n");
        StubTools stubs;
        stubs.hideRealTools();
        stubs.add(QStringLiteral("shp2img"), StubTools::writesImage());
        form->redraw();
        const QStringList args = stubs.arguments(QStringLiteral("shp2img"));
        EXPECT_EQ(args.size(), 14);
        EXPECT_FALSE(args.contains(QStringLiteral("-conf")));
        EXPECT_EQ(args.mid(4, 5).join(QLatin1Char(' ')), QStringLiteral("-e -12.5 -18.65625 37.25 18.65625"));
        EXPECT_EQ(canvas->image().pixelColor(200, 150), kStubGreen);
        EXPECT_EQ(fileBytes(file("sotrix.conf")), QByteArray("CONFIG\r\n  MS_ERRORFILE \"stderr\"\r\nEND\r\n"))
            << "an existing configuration is left alone";
    }
    EXPECT_TRUE(prompts->prompts().empty());
}

TEST_F(ReferenceRender, TheConfigurationIsWrittenAnewWhateverStandsAtItsName) {
    const QString outside = data->path(QStringLiteral("ailleurs"));
    ASSERT_TRUE(QDir().mkdir(outside));
    const QString conf = path(QStringLiteral("sotrix.conf"));
    const QString errors = outside + QStringLiteral("/erreurs.log");
    const QByteArray planted = "CONFIG\r\n  ENV\r\n    MS_ERRORFILE \"" + QFile::encodeName(errors) +
                               "\"\r\n    GDAL_DRIVER_PATH \"" + QFile::encodeName(outside) + "\"\r\n  END\r\nEND\r\n";
    struct Case {
        const char* what;
        std::function<bool()> plant;
        QString reached;  // what map2img or the program would make outside
    };
    const std::vector<Case> cases{
        {"a file naming an error file and plugins",
         [&] {
             QFile f(conf);
             return f.open(QIODevice::WriteOnly) && f.write(planted) == planted.size();
         },
         errors},
        {"a dangling link", [&] { return QFile::link(outside + QStringLiteral("/lien.conf"), conf); },
         outside + QStringLiteral("/lien.conf")},
        {"an empty folder", [&] { return QDir().mkdir(conf); }, QString()},
    };
    standardView();
    choose(data->raster(QStringLiteral("ortho.tif"), GisData::tile1()), 2);
    cmdAddShp_Click(*form);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(QFile::remove(conf));
        ASSERT_TRUE(c.plant());
        prompts->clear();
        form->redraw();
        EXPECT_TRUE(prompts->prompts().empty());
        EXPECT_TRUE(colourAt(150500, 169300, test::kOrange));
        EXPECT_FALSE(QFileInfo(conf).isSymLink());
        EXPECT_EQ(fileBytes(conf), QByteArray("CONFIG\r\nEND\r\n"));
        if (!c.reached.isEmpty()) {
            EXPECT_FALSE(QFileInfo::exists(c.reached));
        }
    }
}

TEST_F(ReferenceRender, ARedrawAskedForDuringADrawingFollowsIt) {
    StubTools stubs;
    stubs.add(QStringLiteral("map2img"), StubTools::sleepsThenWritesImage(1));
    setLayer(QStringLiteral("/cartes/r.tif"), 2);
    QSignalSpy redrawn(form.get(), &frmAccueil::redrawn);
    QTimer::singleShot(300, form.get(), [this] { form->redraw(); });
    standardView();
    const QStringList runs = stubs.runs(QStringLiteral("map2img"));
    ASSERT_EQ(runs.size(), 4) << runs.join(QLatin1Char(',')).toStdString();
    EXPECT_TRUE(runs[0].startsWith(QStringLiteral("start")) && runs[1].startsWith(QStringLiteral("end")) &&
                runs[2].startsWith(QStringLiteral("start")) && runs[3].startsWith(QStringLiteral("end")));
    EXPECT_LE(runs[1].section(QLatin1Char(' '), 1).toLongLong(), runs[2].section(QLatin1Char(' '), 1).toLongLong())
        << "the second drawing starts after the first ended";
    EXPECT_EQ(redrawn.count(), 2);
    EXPECT_EQ(canvas->image().pixelColor(200, 150), kStubGreen);
    EXPECT_TRUE(prompts->prompts().empty());
}

TEST_F(ReferenceRender, RemovalAsksThenClearsTheLayerAndItsFilesWhenTheyAreNotKept) {
    const QStringList files{QStringLiteral("sotrix.map"), QStringLiteral("sotrix.conf"), QStringLiteral("sotrix.jpg")};
    ASSERT_EQ(connecteCoucheReference(form.get(), *form), 2);
    QAbstractButton* remove = form->findChild<QAbstractButton*>(QStringLiteral("cmdSupShp"));
    ASSERT_TRUE(remove);
    form->setReferenceRenderer(nullptr);
    box("chkRef")->setChecked(false);
    standardView();

    QSignalSpy redrawn(form.get(), &frmAccueil::redrawn);
    remove->click();
    EXPECT_TRUE(prompts->prompts().empty()) << "no layer: nothing is asked";
    EXPECT_EQ(redrawn.count(), 0);

    for (const bool keep : {false, true})
        for (const Answer answer : {Answer::No, Answer::Yes}) {
            SCOPED_TRACE(std::string(keep ? "kept" : "deleted") + (answer == Answer::Yes ? ", Yes" : ", No"));
            state().paramSupInt = !keep;
            prompts->clear();
            redrawn.clear();
            setLayer(QStringLiteral("/cartes/r.tif"), 2);
            for (const QString& f : files) writeFile(path(f), "x");
            prompts->answer(answer);
            remove->click();
            ASSERT_EQ(prompts->prompts().size(), 1u);
            EXPECT_EQ(prompts->prompts()[0].text, QStringLiteral("Voulez-vous vraiment supprimer la couche de référence ?"));
            EXPECT_EQ(prompts->prompts()[0].icon, Icon::Question);
            const bool yes = answer == Answer::Yes;
            EXPECT_EQ(form->coucheRef.isEmpty(), yes);
            EXPECT_EQ(form->typeCoucheRef, yes ? 0 : 2);
            EXPECT_EQ(label("lblRéférence")->text().isEmpty(), yes);
            EXPECT_EQ(redrawn.count(), yes ? 1 : 0);
            for (const QString& f : files) EXPECT_EQ(QFile::exists(path(f)), !yes || keep) << f.toStdString();
        }

    // The other button opens the dialog.
    cancel();
    form->findChild<QAbstractButton*>(QStringLiteral("cmdAddShp"))->click();
    EXPECT_EQ(promptTrail().last(), QStringLiteral("open"));
}

}  // namespace
}  // namespace sotrix
