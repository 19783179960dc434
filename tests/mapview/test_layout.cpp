// The main window's controls: names, French captions, tool tips, shortcuts and the
// initial state of the boxes and lists.
#include "test_fixture.h"

#include "MapCanvas.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>

namespace sotrix {
namespace {

using test::MapviewTest;

struct Item {
    const char* name;
    const char* caption;
    const char* shortcut;
};

TEST_F(MapviewTest, MenusHoldEveryCommandWithItsCaptionAndShortcut) {
    QStringList titles;
    for (QAction* a : form->menuBar()->actions()) titles << a->menu()->objectName() + QLatin1Char('=') + a->text();
    EXPECT_EQ(titles, (QStringList{"menuFichier=Fichier", "menuGps=Transferts", "menuOutils=Outils", "menuAide=?"}));

    const Item items[] = {
        {"fichierOuvrir", "Ouvrir", "Ctrl+O"},
        {"fermerFichier", "Fermer", "Ctrl+F"},
        {"fichierEnregistrer", "Enregistrer", "Ctrl+E"},
        {"fichierQuitter", "Quitter", "Ctrl+Q"},
        {"gpsTéléchargerTout", "Tout", "Ctrl+D"},
        {"gpsTéléchargerWaypoints", "Waypoints", ""},
        {"gpsTéléchargerTraces", "Traces", ""},
        {"gpsTéléchargerRoutes", "Routes", ""},
        {"gpsEnvoyerTout", "Tout", "Ctrl+U"},
        {"gpsEnvoyerWaypoints", "Waypoints", ""},
        {"gpsEnvoyerTraces", "Traces", ""},
        {"gpsOptions", "Options", "Ctrl+P"},
        {"outilsUpdate", "Vérifier les mises à jour", "Ctrl+M"},
        {"outilsCatalogue", "Catalogue rasters", "Ctrl+C"},
        {"outilsInfo", "Informations fichier", "Ctrl+I"},
        {"outilsWMS", "Fichier configuration WMS", "Ctrl+W"},
        {"a_propos_de", "A propos de", ""},
    };
    for (const Item& item : items) {
        auto* a = form->findChild<QAction*>(QString::fromUtf8(item.name));
        ASSERT_NE(a, nullptr) << item.name;
        EXPECT_EQ(a->text(), QString::fromUtf8(item.caption)) << item.name;
        EXPECT_EQ(a->shortcut(), QKeySequence(QString::fromLatin1(item.shortcut))) << item.name;
        EXPECT_TRUE(a->isVisible() && a->isEnabled()) << item.name;
    }

    auto* fichier = form->findChild<QMenu*>(QStringLiteral("menuFichier"));
    QStringList fichierItems;
    for (QAction* a : fichier->actions()) fichierItems << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(fichierItems, (QStringList{"Ouvrir", "Fermer", "-", "Enregistrer", "-", "Quitter"}));

    const std::pair<const char*, const char*> subMenus[] = {{"gpsTélécharger", "GPS -> PC"}, {"gpsEnvoyer", "PC -> GPS"}};
    for (const auto& [name, caption] : subMenus) {
        auto* m = form->findChild<QMenu*>(QString::fromUtf8(name));
        ASSERT_NE(m, nullptr) << name;
        EXPECT_EQ(m->title(), QString::fromUtf8(caption));
    }
    for (const char* sep : {"espace4", "espace5"}) {
        auto* s = form->findChild<QAction*>(QString::fromLatin1(sep));
        ASSERT_NE(s, nullptr) << sep;
        EXPECT_TRUE(s->isSeparator());
    }
    auto* telecharger = form->findChild<QMenu*>(QStringLiteral("gpsTélécharger"));
    EXPECT_EQ(telecharger->actions().at(1)->objectName(), QStringLiteral("espace4"));
}

TEST_F(MapviewTest, NoCommandTakesF1) {
    for (QAction* a : form->findChildren<QAction*>()) {
        for (const QKeySequence& k : a->shortcuts()) {
            EXPECT_NE(k, QKeySequence(Qt::Key_F1)) << a->objectName().toStdString();
            EXPECT_NE(k, QKeySequence(QKeySequence::HelpContents)) << a->objectName().toStdString();
        }
    }
}

TEST_F(MapviewTest, ToolButtonsCarryTheirToolTips) {
    const std::pair<const char*, const char*> buttons[] = {
        {"cmdZoomIn", "Zoom avant"},
        {"cmdZoomOut", "Zoom arrière"},
        {"cmdPan", "Pan"},
        {"cmdExtentAll", "Zoom global"},
        {"cmdZoomSelect", "Zoom sur la sélection"},
        {"cmdDistance", "Mesure la distance entre 2 points"},
        {"cmdSelectWaypoint", "Sélectionner un Waypoint en cliquant sur la carte"},
        {"cmdSelectTrace", "Sélectionner une Trace en cliquant sur la carte"},
        {"cmdInfoWaypoint", "Informations sur un waypoint"},
        {"cmdInfoTrace", "Informations sur la trace"},
        {"cmdSelectDate", "Sélectionner les waypoints et/ou les traces sur base de la date"},
        {"cmdUnselect", "Supprimer la sélection"},
        {"cmdEdit", "Ajouter un waypoint"},
        {"cmdCalcMoyenneSelect", "Calcule le point moyen des waypoints sélectionnés"},
        {"cmdFusionner", "Fusionner plusieurs traces"},
        {"cmdFermer", "Fermer/Ouvrir une trace"},
        {"cmdSupprimer", "Supprimer les wapoints et/ou les traces sélectionnés"},
        {"cmdAddShp", "Ajouter un shapefile de référence"},
        {"cmdSupShp", "Supprimer le shapefile de référence"},
    };
    for (const auto& [name, tip] : buttons) {
        auto* b = form->findChild<QToolButton*>(QString::fromUtf8(name));
        ASSERT_NE(b, nullptr) << name;
        EXPECT_EQ(b->toolTip(), QString::fromUtf8(tip)) << name;
        EXPECT_FALSE(b->isCheckable()) << name;
        EXPECT_TRUE(b->isVisible()) << name;
        EXPECT_TRUE(!b->text().isEmpty() || !b->icon().isNull()) << name;
    }
}

TEST_F(MapviewTest, ListsBoxesAndLabelsStartAsDesigned) {
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Sotrix"));
    EXPECT_EQ(form->findChild<MapCanvas*>(QStringLiteral("Picture1")), canvas);
    for (const char* name : {"lstWaypoint", "lstTrace"}) {
        ListeNoms* l = list(name);
        ASSERT_NE(l, nullptr) << name;
        EXPECT_EQ(l->selectionMode(), QAbstractItemView::MultiSelection);
        EXPECT_NE(qobject_cast<ModeleNoms*>(l->model()), nullptr) << "rows shown as read, through no sorting proxy";
    }
    const std::tuple<const char*, const char*, bool> boxes[] = {
        {"chkToutWaypoints", "Tout sélectionner", false},
        {"chkToutTrace", "Tout sélectionner", false},
        {"chkRef", "Couche de référence", true},
        {"chkTrace", "Traces", true},
        {"chkWaypoint", "Waypoints", true},
    };
    for (const auto& [name, caption, checked] : boxes) {
        QCheckBox* b = box(name);
        ASSERT_NE(b, nullptr) << name;
        EXPECT_EQ(b->text(), QString::fromUtf8(caption)) << name;
        EXPECT_EQ(b->isChecked(), checked) << name;
    }
    EXPECT_EQ(label("lblWaypoints")->text(), QStringLiteral("Waypoints :"));
    EXPECT_EQ(label("lblTraces")->text(), QStringLiteral("Traces :"));
    for (const char* name : {"lblDistance", "lblFichier", "lblRéférence", "lblVersion"}) {
        ASSERT_NE(label(name), nullptr) << name;
        EXPECT_TRUE(label(name)->text().isEmpty()) << name;
    }
    // A long path is shown whole without widening the window.
    const int width = form->width();
    label("lblFichier")->setText(QStringLiteral("/très/long/").repeated(80) + QStringLiteral("l'été.gpx"));
    QApplication::processEvents();
    EXPECT_EQ(form->width(), width);
    EXPECT_TRUE(label("lblFichier")->text().endsWith(QStringLiteral("l'été.gpx")));
}

}  // namespace
}  // namespace sotrix
