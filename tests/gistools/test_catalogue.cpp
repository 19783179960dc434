// The raster catalogue tool: the folder walk, the list's commands, and catalogues built
// by the real gdaltindex (or a stub) with their failures, drawn as the reference layer.
#include "test_reference_fixture.h"

#include "RasterCatalogue.h"
#include "ShapeFileAccess.h"
#include "State.h"
#include "StubTools.h"
#include "frmCatalogue.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QCheckBox>

#include <algorithm>

namespace sotrix {
namespace {

using test::GisData;

const QString kCree = QStringLiteral("Le catalogue a été créé.");

class Catalogue : public test::ReferenceTest {
protected:
    void SetUp() override {
        ReferenceTest::SetUp();
        tool = std::make_unique<frmCatalogue>();
    }
    void TearDown() override {
        tool.reset();
        ReferenceTest::TearDown();
    }
    QListWidget* files() { return tool->findChild<QListWidget*>(QStringLiteral("lst_fichiers")); }
    QStringList items() {
        QStringList out;
        for (int i = 0; i < files()->count(); ++i) out << files()->item(i)->text();
        return out;
    }
    QLineEdit* destination() { return tool->findChild<QLineEdit*>(QStringLiteral("txt_destination")); }
    // The tree: a.tif, B.TIF; sub/carte_motif, d.tiff, e.jpg; sub/deeper/f.img; sub/boucle -> root.
    void tree() {
        QDir root(data->folder());
        ASSERT_TRUE(root.mkpath(QStringLiteral("arbre/sub/deeper")));
        const auto tile = [&](const QString& name, const QStringList& options) {
            ASSERT_FALSE(data->raster(QStringLiteral("arbre/") + name, options).isEmpty()) << name.toStdString();
        };
        tile(QStringLiteral("a.tif"), GisData::tile1());
        tile(QStringLiteral("B.TIF"), GisData::tile2());
        tile(QStringLiteral("sub/carte_motif"), GisData::tile1());
        tile(QStringLiteral("sub/d.tiff"), GisData::tile1());
        tile(QStringLiteral("sub/e.jpg"), GisData::tile1(QStringLiteral("JPEG")));
        tile(QStringLiteral("sub/deeper/f.img"), GisData::tile1(QStringLiteral("HFA")));
        ASSERT_TRUE(QFile::link(data->path(QStringLiteral("arbre")), data->path(QStringLiteral("arbre/sub/boucle"))));
    }
    QString arbre(const QString& name) const { return data->path(QStringLiteral("arbre/") + name); }
    // The catalogue's location values, in record order, through ogrinfo.
    QStringList locations(const QString& shp) {
        QByteArray out;
        if (!test::runTool(QStringLiteral("ogrinfo"), {QStringLiteral("-al"), QStringLiteral("-q"), shp}, &out)) return {};
        QStringList values;
        for (const QString& line : QString::fromUtf8(out).split(u'\n'))
            if (line.trimmed().startsWith(QStringLiteral("location (String) = ")))
                values << line.trimmed().mid(QStringLiteral("location (String) = ").size());
        return values;
    }
    // The message boxes' texts, dialogs left out.
    QStringList messages() const {
        QStringList out;
        for (const test::Prompt& p : prompts->prompts())
            if (p.kind == test::PromptKind::Message) out << p.text;
        return out;
    }

    std::unique_ptr<frmCatalogue> tool;
};

TEST_F(Catalogue, FoldersFilesAndTheListCommands) {
    tree();
    const QStringList deep{arbre("a.tif"), arbre("B.TIF"), arbre("sub/carte_motif"), arbre("sub/e.jpg"),
                           arbre("sub/deeper/f.img")};
    for (bool sub : {false, true}) {
        SCOPED_TRACE(sub);
        const FichiersDossier found = fichiersInDossier(data->path(QStringLiteral("arbre")), sub);
        EXPECT_EQ(found.rasters, sub ? deep : deep.mid(0, 2));
        EXPECT_TRUE(found.illisibles.isEmpty());
    }
    // Through the form: a folder with its sub-folders, then two files picked at once.
    tool->findChild<QCheckBox*>(QStringLiteral("chk_sous"))->setChecked(true);
    prompts->answerFolder(data->path(QStringLiteral("arbre/")));
    tool->cmd_repertoire_Click();
    prompts->answerOpen(FileChoice{{arbre("sub/d.tiff"), arbre("a.tif")}, 1});
    tool->cmd_fichier_Click();
    EXPECT_EQ(items(), deep + QStringList({arbre("sub/d.tiff"), arbre("a.tif")}));
    EXPECT_EQ(state().dernierDossier, arbre("sub"));
    const test::Prompt& open = prompts->prompts().back();
    EXPECT_EQ(open.file.title, QStringLiteral("Ajouter un fichier"));
    EXPECT_TRUE(open.file.multiple);
    EXPECT_EQ(open.file.filters.size(), 5);
    EXPECT_EQ(open.file.filters.at(1), QStringLiteral("Tiff (*.tif)"));
    prompts->answerFolder(std::nullopt);
    tool->cmd_repertoire_Click();
    EXPECT_EQ(items().size(), 7);

    // "Effacer" removes every selected item and keeps the order of the rest.
    for (int row : {0, 3, 6}) files()->item(row)->setSelected(true);
    tool->cmd_effacer_Click();
    EXPECT_EQ(items(), (QStringList{deep[1], deep[2], deep[4], arbre("sub/d.tiff")}));
    tool->cmd_effacer_tout_Click();
    EXPECT_TRUE(items().isEmpty());

    // Unreadable folders are told after the walk, which goes on.
    if (::geteuid() != 0) {
        QFile::setPermissions(arbre("sub/deeper"), QFileDevice::WriteOwner);
        const FichiersDossier found = fichiersInDossier(data->path(QStringLiteral("arbre")), true);
        EXPECT_EQ(found.illisibles, QStringList{arbre("sub/deeper")});
        EXPECT_EQ(found.rasters.size(), 4);
        QFile::setPermissions(arbre("sub/deeper"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
}

TEST_F(Catalogue, TheRealGdaltindexIndexesEachListedRasterAndReplacesAnOldCatalogue) {
    tree();
    prompts->answerFolder(data->path(QStringLiteral("arbre")));
    tool->cmd_repertoire_Click();
    const QStringList listed = items();
    prompts->answerSave(FileChoice{{data->path(QStringLiteral("cat"))}, 1});
    tool->cmd_destination_Click();
    tool->cmd_convert_Click();
    const QString shp = data->path(QStringLiteral("cat.shp"));
    EXPECT_EQ(destination()->text(), shp);
    EXPECT_EQ(messages(), QStringList{kCree});
    EXPECT_EQ(locations(shp), listed);

    // Replace: the old records are gone, the new one alone is there.
    tool->cmd_effacer_tout_Click();
    prompts->answerOpen(FileChoice{{arbre("B.TIF")}, 1});
    tool->cmd_fichier_Click();
    prompts->clear();
    prompts->answer(Answer::No);
    tool->cmd_convert_Click();
    EXPECT_EQ(locations(shp), listed) << "No keeps the old catalogue";
    prompts->clear();
    prompts->answer(Answer::Yes);
    tool->cmd_convert_Click();
    EXPECT_EQ(messages(), (QStringList{QStringLiteral("Le fichier '") + shp +
                                                 QStringLiteral("' existe déjà.\nVoulez-vous le remplacer ?"),
                                             kCree}));
    EXPECT_EQ(locations(shp), QStringList{arbre("B.TIF")});

    // Drawn as a raster catalogue: both tile colours from a catalogue of both tiles.
    tool->cmd_effacer_tout_Click();
    prompts->answerOpen(FileChoice{{arbre("a.tif"), arbre("B.TIF")}, 1});
    tool->cmd_fichier_Click();
    prompts->clear();
    prompts->answer(Answer::Yes);
    tool->cmd_convert_Click();
    prompts->clear();
    standardView();
    choose(shp, 6);
    cmdAddShp_Click(*form);
    EXPECT_EQ(form->typeCoucheRef, 6);
    EXPECT_TRUE(colourAt(150500, 169300, test::kOrange));
    EXPECT_TRUE(colourAt(153500, 169300, QColor(7, 7, 7)));
}

TEST_F(Catalogue, TilesUnderAccentedPathsAreDrawn) {
    struct Case {
        const char* tile;  // under the data folder
        QStringList options;
        QColor colour;
        QByteArray latin1 = {};  // the tile renamed to these bytes, and its folder added
        const char* shown = nullptr;  // then the end of the list's text
    };
    const std::vector<Case> cases{
        {"Données été/tuile.tif", GisData::tile1(), test::kOrange},
        {"Œuvres/carte à l'échelle.tif", GisData::greyTile(QStringLiteral("GTiff"), 90), QColor(90, 90, 90)},
        {"plain/tile.tif", GisData::greyTile(QStringLiteral("GTiff"), 20), QColor(20, 20, 20)},
        {"archive/x.tif", GisData::greyTile(QStringLiteral("GTiff"), 60), QColor(60, 60, 60), "archive/\xE9t\xE9.tif",
         "/archive/été.tif"},
    };
    standardView();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tile);
        QString tile = data->path(QString::fromUtf8(c.tile));
        ASSERT_TRUE(QDir().mkpath(QFileInfo(tile).absolutePath()));
        ASSERT_FALSE(data->raster(QString::fromUtf8(c.tile), c.options).isEmpty());
        const QString shp = QFileInfo(tile).absolutePath() + QStringLiteral("/catalogue été.shp");
        tool->cmd_effacer_tout_Click();
        prompts->clear();
        if (c.latin1.isEmpty()) {
            prompts->answerOpen(FileChoice{{tile}, 1});
            tool->cmd_fichier_Click();
        } else {
            tile = data->renameToBytes(tile, c.latin1);
            prompts->answerFolder(QFileInfo(tile).absolutePath());
            tool->cmd_repertoire_Click();
            ASSERT_EQ(items().size(), 1);
            EXPECT_TRUE(items().front().endsWith(QString::fromUtf8(c.shown))) << items().front().toStdString();
        }
        destination()->setText(shp);
        tool->cmd_convert_Click();
        EXPECT_EQ(messages(), QStringList{kCree});

        prompts->clear();
        form->setReferenceLayer({});
        choose(shp, 6);
        cmdAddShp_Click(*form);
        EXPECT_EQ(promptTrail(), QStringList{QStringLiteral("open")});
        EXPECT_EQ(form->coucheRef, shp);
        EXPECT_TRUE(colourAt(150500, 169300, c.colour));
        EXPECT_TRUE(colourAt(153500, 169300, test::kWhite)) << "nothing beside the tile";
    }
}

TEST_F(Catalogue, TilesWiderThanEightBitsShareOneScaleWithoutASeam) {
    // Two tiles side by side, each a ramp from west to east: 1000..1995 and 2000..2995.
    const auto ramp = [&](const char* name, int base, int west) {
        QByteArray grid = "ncols 200\nnrows 100\nxllcorner " + QByteArray::number(west) + "\nyllcorner 169000\ncellsize 10\n";
        for (int row = 0; row < 100; ++row) {
            for (int col = 0; col < 200; ++col) grid += QByteArray::number(base + 5 * col) + ' ';
            grid += '\n';
        }
        writeFile(data->path(QString::fromLatin1(name)), grid);
        return data->path(QString::fromLatin1(name));
    };
    const QStringList grids{ramp("ouest.asc", 1000, 150000), ramp("est.asc", 2000, 152000)};
    // A tile drawn alone over the catalogue's range: MapServer's stretch of a value.
    const auto grey = [](int value) { return std::clamp((value - 1000) * 256 / 1995, 0, 255); };
    standardView();
    for (const char* type : {"Int16", "Float32"}) {
        SCOPED_TRACE(type);
        QStringList tiles;
        for (const QString& grid : grids) {
            tiles << grid + QLatin1String(type) + QStringLiteral(".tif");
            ASSERT_TRUE(test::runTool(QStringLiteral("gdal_translate"),
                                      {QStringLiteral("-q"), QStringLiteral("-ot"), QString::fromLatin1(type),
                                       QStringLiteral("-a_srs"), QStringLiteral("EPSG:31370"), grid, tiles.back()}));
        }
        form->setReferenceLayer({});
        prompts->clear();
        choose(data->catalogue(QStringLiteral("rampe") + QLatin1String(type) + QStringLiteral(".shp"), tiles), 6);
        cmdAddShp_Click(*form);
        EXPECT_EQ(promptTrail(), QStringList{QStringLiteral("open")});
        EXPECT_TRUE(fileBytes(path(QStringLiteral("sotrix.map"))).contains("PROCESSING \"SCALE=1000,2995\"\r\n"));
        // Every column of the view, across the edge between the tiles.
        for (int column = 0; column < 400; ++column) {
            const int g = grey(1000 + (column / 200) * 1000 + 5 * (column % 200));
            ASSERT_TRUE(colourAt(150005 + 10 * column, 169500, QColor(g, g, g), 4)) << column;
        }
    }
}

TEST_F(Catalogue, RefusalsAndFailuresGiveTheirMessages) {
    const QString tif = data->raster(QStringLiteral("t.tif"), GisData::tile1());
    const auto erreur = [](const QString& cat, const QString& raster) {
        return QStringLiteral("Une erreur est survenue lors de la création du catalogue '") + cat +
               QStringLiteral("' avec le fichier '") + raster + QStringLiteral("'.");
    };
    tool->cmd_convert_Click();
    destination()->setText(data->path(QStringLiteral("c.shp")));
    tool->cmd_convert_Click();
    destination()->clear();
    files()->addItem(tif);
    tool->cmd_convert_Click();
    EXPECT_EQ(messages(), (QStringList{QStringLiteral("Vous devez sélectionner un fichier."),
                                             QStringLiteral("Vous devez sélectionner un fichier."),
                                             QStringLiteral("Vous devez saisir non de fichier pour le catalogue.")}));

    QDir(data->folder()).mkdir(QStringLiteral("dossier.shp"));
    struct Case {
        const char* what;
        QString catalogue;
        bool hide;
        bool withStderr;
    };
    const std::vector<Case> cases{
        {"a folder that does not exist", data->path(QStringLiteral("nulle/part/c.shp")), false, true},
        {"a .shp that is a folder", data->path(QStringLiteral("dossier.shp")), false, false},
        {"no gdaltindex", data->path(QStringLiteral("c.shp")), true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::StubTools stubs;
        if (c.hide) stubs.hideRealTools();
        prompts->clear();
        destination()->setText(c.catalogue);
        tool->cmd_convert_Click();
        ASSERT_EQ(messages().size(), 1);
        const QString text = messages().front();
        EXPECT_TRUE(text.startsWith(erreur(c.catalogue, tif))) << text.toStdString();
        if (c.withStderr) {
            EXPECT_GT(text.count(u'\n'), 0) << "the tool's standard error follows";
        }
        EXPECT_EQ(prompts->prompts().front().icon, Icon::Exclamation);
    }
}

TEST_F(Catalogue, OneRunPerRasterInListOrderWithTheSameCatalogue) {
    test::StubTools stubs;
    stubs.add(QStringLiteral("gdaltindex"), QStringLiteral("A1=$(sed -n 1p \"$LOG.args\"); A2=$(sed -n 2p \"$LOG.args\")\n"
                                                          "echo \"$A1|$A2\" >> \"$STUBS/calls\"; touch \"$A1\""));
    const QStringList rasters{QStringLiteral("/x/un.tif"), QStringLiteral("/x/deux\\.tif"), QStringLiteral("/x/un.tif")};
    int steps = 0;
    const QString cat = data->path(QStringLiteral("k.shp"));
    const ResultatCatalogue r = creeCatalogue(cat, rasters, [&] { ++steps; });
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(steps, 3);
    QFile calls(stubs.folder() + QStringLiteral("/calls"));
    ASSERT_TRUE(calls.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(calls.readAll()).split(u'\n', Qt::SkipEmptyParts),
              (QStringList{cat + "|/x/un.tif", cat + "|/x/deux\\.tif", cat + "|/x/un.tif"}));
    // A run that exits non-zero stops the rest and brings its standard error.
    stubs.add(QStringLiteral("gdaltindex"), QStringLiteral("echo \"mauvais $(sed -n 2p \"$LOG.args\")\" >&2; exit 1"));
    steps = 0;
    const qsizetype before = stubs.runs(QStringLiteral("gdaltindex")).size();
    const ResultatCatalogue failed = creeCatalogue(cat, rasters, [&] { ++steps; });
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.raster, rasters[0]);
    EXPECT_EQ(failed.erreur, QStringLiteral("mauvais /x/un.tif"));
    EXPECT_EQ(steps, 0);
    EXPECT_EQ(stubs.runs(QStringLiteral("gdaltindex")).size(), before + 2) << "one run, started and ended";
}

}  // namespace
}  // namespace sotrix
