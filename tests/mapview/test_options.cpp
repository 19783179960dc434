// The settings dialog: loading, rules, validation, notices, storage and effect.
#include "AppDir.h"
#include "CommandGuard.h"
#include "MapCanvas.h"
#include "OptionRules.h"
#include "Settings.h"
#include "State.h"
#include "test_options_fixture.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QCloseEvent>
#include <QtTest/qtestspontaneevent.h>

namespace sotrix::test {
namespace {

const QStringList kRefusals{
    QStringLiteral("Vous devez spécifier un type de GPS."),
    QStringLiteral("Vous devez spécifier un port de communication avec le GPS."),
    QStringLiteral("Vous devez spécifier une vitesse de communication avec les GPS."),
    QStringLiteral("Vous devez sépécifier le décalage entre l'heure locale et l'heure fournie par le GPS."),
    QStringLiteral("Vous devez sélectionner un système de projection pour l'affichage."),
    QStringLiteral("Vous devez sélectionner le système de projection du GPS."),
    QStringLiteral("Le répertoire de travail sélectionné n'existe pas."),
    QStringLiteral("Vous devez sélectionner une taille des éléments graphiques."),
};

TEST_F(OptionsTest, OffsetAndValidationRulesWithoutWidgets) {
    const QLocale fr(QLocale::French, QLocale::Belgium);
    const std::pair<const char*, std::optional<int>> offsets[] = {
        {"-1,5", -2}, {"2", 2}, {"0,5", 0}, {" 3 ", 3}, {"-32768", -32768}, {"32767,9", 32767},
        {"40000", std::nullopt}, {"-32769", std::nullopt}, {"abc", std::nullopt}, {"", std::nullopt}};
    for (const auto& [text, hours] : offsets) EXPECT_EQ(litDecalage(QString::fromUtf8(text), fr), hours) << text;
    EXPECT_EQ(litDecalage(QStringLiteral("-1.5"), QLocale::c()), -2);

    const std::pair<const char*, bool> datum[] = {{"+proj=longlat +datum=WGS84", true},
                                                  {"+proj=lcc +towgs84=0,0,0", true},
                                                  {"+proj=lcc +TOWGS84=0,0,0", false},
                                                  {"+proj=lcc +ellps=intl", false},
                                                  {"", false}};
    for (const auto& [text, carries] : datum) EXPECT_EQ(porteDatum(QString::fromUtf8(text)), carries) << text;

    // Garmin needs no speed; an empty folder passes.
    EXPECT_EQ(valideOptions({0, 0, -1, QStringLiteral("0"), 31370, 4326, QString(), 1}, fr), std::nullopt);
    EXPECT_EQ(valideOptions({2, 0, -1, QStringLiteral("0"), 31370, 4326, QString(), 1}, fr), kRefusals[2]);
}

TEST_F(OptionsTest, LoadShowsStoredValuesDefaultsForNullAndNothingOutsideTheLists) {
    setOptions(QStringLiteral("Gps = 2, Vitesse = 3, Taille = 0, Couleur = null, SupInt = 0"));
    ASSERT_TRUE(open());
    EXPECT_EQ(combo("cboGps")->currentText(), QStringLiteral("Magellan"));
    EXPECT_EQ(combo("cboVitesse")->currentText(), QStringLiteral("4800"));
    EXPECT_TRUE(combo("cboVitesse")->isVisibleTo(dialog));
    EXPECT_TRUE(control<QLabel>("Label4")->isVisibleTo(dialog));
    EXPECT_EQ(combo("cboTaille")->currentText(), QStringLiteral("Moyenne"));
    EXPECT_EQ(colourOf("cmdCouleur"), defaut::couleur);
    EXPECT_FALSE(control<QCheckBox>("chkInt")->isChecked());
    EXPECT_FALSE(dialog->proj4Modifie || dialog->urlModifiee);
    click("cmdAnnuler");
    ASSERT_TRUE(closed());

    setOptions(QStringLiteral("Gps = null, Port = null, Vitesse = null, Decalage = null, ProjGps = null, "
                              "ProjCarto = null, Dossier = null, Taille = null, Couleur = null, CouleurSel = null, "
                              "CouleurShp = null, CouleurEdit = null, SupInt = null, checkUpdate = null, "
                              "urlUpdate = null"));
    ASSERT_TRUE(open());
    EXPECT_EQ(combo("cboGps")->currentText(), QStringLiteral("Garmin"));
    EXPECT_EQ(combo("cboPort")->currentText(), QStringLiteral("COM1"));
    EXPECT_EQ(combo("cboVitesse")->currentIndex(), -1);
    EXPECT_FALSE(combo("cboVitesse")->isVisibleTo(dialog));
    EXPECT_EQ(edit("txtDate")->text(), QStringLiteral("0"));
    EXPECT_EQ(dialog->codeCarto, 31370);
    EXPECT_EQ(dialog->codeGps, 4326);
    EXPECT_EQ(combo("cboEpsg")->currentText(), QStringLiteral("31370"));
    EXPECT_EQ(edit("txtDossier")->text(), appDir());
    EXPECT_EQ(combo("cboTaille")->currentText(), QStringLiteral("Moyenne"));
    EXPECT_EQ(colourOf("cmdCouleurSel"), defaut::couleurSel);
    EXPECT_EQ(colourOf("cmdCouleurShp"), defaut::couleurShp);
    EXPECT_TRUE(control<QCheckBox>("chkUpdate")->isChecked());
    EXPECT_EQ(edit("txtUpdate")->text(), QString::fromLatin1(kDefaultUrlUpdate));
    click("cmdAnnuler");
    ASSERT_TRUE(closed());

    // Values outside their lists show nothing chosen, and "Ok" asks for them in order.
    setOptions(QStringLiteral("Gps = 4, Port = 10, Taille = 7"));
    ASSERT_TRUE(open());
    for (const char* list : {"cboGps", "cboPort", "cboTaille"}) EXPECT_EQ(combo(list)->currentIndex(), -1) << list;
    click("cmdOk");
    pick("cboGps", QStringLiteral("Garmin"));
    click("cmdOk");
    pick("cboPort", QStringLiteral("COM1"));
    click("cmdOk");
    EXPECT_EQ(prompts->texts(), (QStringList{kRefusals[0], kRefusals[1], kRefusals[7]}));
    EXPECT_FALSE(closed());
}

TEST_F(OptionsTest, ReceiverPortAndColourRules) {
    // A stored speed under Garmin shows none, and is stored as 0.
    setOptions(QStringLiteral("Vitesse = 5"));
    ASSERT_TRUE(open());
    EXPECT_EQ(combo("cboVitesse")->currentIndex(), -1);
    click("cmdOk");
    ASSERT_TRUE(closed());
    EXPECT_EQ(row().value(2).toInt(), 0);

    ASSERT_TRUE(open());
    const QString usb = QString::fromUtf8(kMsgPortUsb);
    pick("cboPort", QStringLiteral("USB"));  // Garmin over USB is fine
    EXPECT_TRUE(prompts->prompts().empty());
    pick("cboGps", QStringLiteral("Magellan"));
    EXPECT_EQ(combo("cboPort")->currentText(), QStringLiteral("COM1"));
    EXPECT_EQ(combo("cboVitesse")->currentText(), QStringLiteral("9600"));
    EXPECT_TRUE(combo("cboVitesse")->isVisibleTo(dialog));
    pick("cboVitesse", QStringLiteral("4800"));
    pick("cboPort", QStringLiteral("USB"));
    EXPECT_EQ(combo("cboPort")->currentText(), QStringLiteral("COM1"));
    EXPECT_EQ(prompts->texts(), (QStringList{usb, usb}));
    pick("cboGps", QStringLiteral("Garmin"));
    EXPECT_FALSE(combo("cboVitesse")->isVisibleTo(dialog));
    EXPECT_FALSE(control<QLabel>("Label4")->isVisibleTo(dialog));

    // Colours: a cancelled dialog changes nothing; the reference-layer notice only for a
    // shapefile layer and a changed colour.
    prompts->clear();
    prompts->answerColor(std::nullopt);
    click("cmdCouleur");
    EXPECT_EQ(colourOf("cmdCouleur"), defaut::couleur);
    struct LayerCase {
        const char* layer;
        qint32 colour;
        bool notice;
    };
    const LayerCase layers[] = {{"/fonds/communes.SHP", 0x112233, true},
                                {"/fonds/communes.SHP", 0x112233, false},  // same colour again
                                {"/fonds/communes.shp", 0x445566, true},
                                {"/fonds/ortho.tif", 0x778899, false},
                                {"", 0x000001, false}};
    for (const LayerCase& c : layers) {
        ReferenceLayer layer;
        layer.coucheRef = QString::fromUtf8(c.layer);
        form->setReferenceLayer(layer);
        prompts->clear();
        prompts->answerColor(c.colour);
        click("cmdCouleurShp");
        EXPECT_EQ(colourOf("cmdCouleurShp"), c.colour);
        EXPECT_EQ(prompts->texts().size(), c.notice ? 2 : 1) << c.layer;
        if (c.notice) {
            EXPECT_EQ(prompts->texts()[1], QString::fromUtf8(kMsgNoticeCouleurShp));
        }
    }

    // The address: No puts the default back, whatever the box held before.
    edit("txtUpdate")->setText(QStringLiteral("http://127.0.0.1:9/autre/"));
    prompts->clear();
    prompts->answer(Answer::No);
    focusThenLeave("txtUpdate", "txtDossier");
    EXPECT_EQ(prompts->texts(),
              QStringList{QStringLiteral("Etes-vous sûr de vouloir changer l'adresse du serveur de mise à jour ?")});
    EXPECT_EQ(edit("txtUpdate")->text(), QString::fromLatin1(kDefaultUrlUpdate));
    EXPECT_FALSE(dialog->urlModifiee);

    // The speed picked under Magellan stays chosen, hidden, under Garmin.
    prompts->clear();
    click("cmdOk");
    EXPECT_TRUE(closed());
    EXPECT_EQ(row().value(2).toInt(), 3);
    EXPECT_EQ(row().value(10).toInt(), 0x000001);
}

TEST_F(OptionsTest, OkRefusesEachWrongControlInTurnThenAsksTheDatumAndStoresTheFifteenValues) {
    insertWaypoint(QStringLiteral("Borne"), 150000, 170000);
    form->majListes();
    setOptions(QStringLiteral("Gps = 4, Port = 10, Vitesse = 0, Decalage = 'abc', ProjCarto = 999999, "
                              "ProjGps = 999998, Dossier = ?, Taille = 7"),
               {path(QStringLiteral("absent"))});
    ASSERT_TRUE(open());
    // Showing each system in turn finds neither.
    clickOption("optGps");
    clickOption("optCarto");
    EXPECT_EQ(prompts->texts(), QStringList(3, QString::fromUtf8(kMsgLectureProj)));
    EXPECT_EQ(dialog->codeGps, 0);
    const QVariantList before = row();

    const std::vector<std::function<void()>> fixes = {
        [&] { combo("cboGps")->setCurrentIndex(1); },  // Magellan, its speed still unchosen
        [&] { combo("cboPort")->setCurrentIndex(0); },
        [&] { combo("cboVitesse")->setCurrentIndex(2); },
        [&] { edit("txtDate")->setText(QStringLiteral("40000")); },
        [&] { edit("txtDate")->setText(QStringLiteral("abc")); },
        [&] { edit("txtDate")->setText(QStringLiteral("-1,5")); },
        [&] { pick("cboEpsg", QStringLiteral("31370")); },
        [&] {
            clickOption("optGps");
            pick("cboEpsg", QStringLiteral("4326"));
        },
        [&] { edit("txtDossier")->setText(home()); },
        [&] { pick("cboTaille", QStringLiteral("Grande")); },
    };
    QStringList refusals;
    for (const auto& fix : fixes) {
        prompts->clear();
        click("cmdOk");
        ASSERT_EQ(prompts->prompts().size(), 1u);
        EXPECT_EQ(prompts->prompts()[0].icon, Icon::Exclamation);
        refusals << prompts->texts();
        EXPECT_EQ(row(), before);
        fix();
    }
    QStringList expected = kRefusals;
    expected.insert(3, 2, kRefusals[3]);  // three wrong offsets: empty, 40000, abc
    EXPECT_EQ(refusals, expected);

    // A GPS system without datum: No keeps the dialog and stores nothing.
    pick("cboEpsg", QStringLiteral("2000"));
    prompts->clear();
    prompts->answer(Answer::No);
    click("cmdOk");
    EXPECT_EQ(prompts->texts(), QStringList{questionDatum()});
    EXPECT_EQ(row(), before);
    EXPECT_FALSE(closed());
    EXPECT_FALSE(form->isEnabled());

    pick("cboEpsg", QStringLiteral("4326"));
    prompts->clear();
    click("cmdOk");
    // The offset changed while the data came from the receiver: its notice alone.
    EXPECT_EQ(prompts->texts(), QStringList{QString::fromUtf8(kMsgNoticeDecalage)});
    EXPECT_TRUE(closed());
    EXPECT_TRUE(form->isEnabled());
    const QVariantList stored{2, 1, 3, -2, 4326, 31370, home(), 3, 0xFF0000, 255, 0x808080, 0, 1, 0,
                              QStringLiteral("http://127.0.0.1:9/")};
    const QVariantList now = row();
    ASSERT_EQ(now.size(), stored.size());
    for (int i = 0; i < now.size(); ++i) EXPECT_EQ(now[i].toString(), stored[i].toString()) << i;
    const State& s = state();
    EXPECT_EQ(s.paramGps, 2);
    EXPECT_EQ(s.paramVitesse, 3);
    EXPECT_EQ(s.paramDecalage, -2);
    EXPECT_DOUBLE_EQ(s.facteurTaille, 1.2);
    EXPECT_EQ(QDir::currentPath(), QDir(home()).canonicalPath());
    EXPECT_EQ(s.dernierDossier, home());
}

TEST_F(OptionsTest, NoticesFollowTheChangeAndWhereTheDataCameFrom) {
    struct Case {
        const char* name;
        bool data;
        const char* file;
        bool system, offset;
        QStringList notices;
    };
    const QString gps = QString::fromUtf8(kMsgNoticeProjGps);
    const QString fichier = QString::fromUtf8(kMsgNoticeProjFichier);
    const QString decalage = QString::fromUtf8(kMsgNoticeDecalage);
    const Case cases[] = {
        {"system, from the receiver", true, "", true, false, {gps}},
        {"system, from a file", true, "/d/a.gpx", true, false, {fichier}},
        {"offset, from the receiver", true, "", false, true, {decalage}},
        {"offset, from a file", true, "/d/a.gpx", false, true, {}},
        {"both, from the receiver", true, "", true, true, {gps, decalage}},
        {"colours only", true, "", false, false, {}},
        {"no data", false, "", true, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        addDefaultOptions();
        loadOptions();
        {
            DbGuard db;
            db->exec(QStringLiteral("delete from Points"));
        }
        if (c.data) insertWaypoint(QStringLiteral("Borne"), 150000, 170000);
        form->majListes();
        form->setLblFichier(QString::fromUtf8(c.file));
        ASSERT_TRUE(open());
        if (c.system) pick("cboEpsg", QStringLiteral("2154"));
        if (c.offset) edit("txtDate")->setText(QStringLiteral("3"));
        prompts->answerColor(0x123456);
        click("cmdCouleur");
        prompts->clear();
        click("cmdOk");
        EXPECT_EQ(prompts->texts(), c.notices);
        EXPECT_TRUE(closed());
        EXPECT_EQ(state().paramCouleur, 0x123456);
    }
}

TEST_F(OptionsTest, NewSettingsShowAtOnceInTheMap) {
    insertWaypoint(QStringLiteral("Borne"), 150000, 170000);
    form->majListes();
    viewAt(150000, 170000, 1000);
    const auto count = [&](const QColor& colour) {
        int n = 0;
        const QImage& img = canvas->image();
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) n += img.pixelColor(x, y) == colour;
        return n;
    };
    const int mediumDisc = count(kBlue);
    ASSERT_GT(mediumDisc, 0);

    const QString work = path(QStringLiteral("travail"));
    ASSERT_TRUE(QDir().mkpath(work));
    ASSERT_TRUE(open());
    prompts->answerColor(0x00FF00);
    click("cmdCouleur");
    pick("cboTaille", QStringLiteral("Grande"));
    prompts->answerFolder(work);
    click("cmdDossier");
    click("cmdOk");
    ASSERT_TRUE(closed());
    const QColor green(0, 255, 0);
    EXPECT_TRUE(near(150000, 170000, green));
    EXPECT_EQ(count(kBlue), 0);
    EXPECT_GT(count(green), mediumDisc);
    EXPECT_EQ(QDir::currentPath(), QDir(work).canonicalPath());
}

TEST_F(OptionsTest, CancelRestoreAndTheCloseBoxStoreNothing) {
    const QVariantList before = row();
    for (const char* way : {"Annuler", "close box", "Escape"}) {
        ASSERT_TRUE(open());
        pick("cboGps", QStringLiteral("Generic NMEA"));
        prompts->answerColor(0x010203);
        click("cmdCouleurEdit");
        prompts->answer(Answer::Yes);
        click("cmdRestaurer");
        EXPECT_EQ(combo("cboGps")->currentText(), QStringLiteral("Garmin"));
        EXPECT_EQ(colourOf("cmdCouleurEdit"), defaut::couleurEdit);
        EXPECT_EQ(edit("txtUpdate")->text(), QString::fromLatin1(kDefaultUrlUpdate));
        EXPECT_FALSE(dialog->urlModifiee);
        EXPECT_EQ(row(), before);
        if (std::string(way) == "Annuler")
            click("cmdAnnuler");
        else if (std::string(way) == "Escape")
            QTest::keyClick(dialog, Qt::Key_Escape);
        else {
            QCloseEvent closeBox;
            QSpontaneKeyEvent::setSpontaneous(&closeBox);
            static_cast<QObject*>(dialog.data())->event(&closeBox);
        }
        EXPECT_TRUE(closed()) << way;
        EXPECT_TRUE(form->isEnabled()) << way;
        EXPECT_EQ(row(), before) << way;
        EXPECT_EQ(state().paramGps, 1);
    }
}

TEST_F(OptionsTest, StorageFailureWarnsOnceAndKeepsTheDialog) {
    ASSERT_TRUE(open());
    EXPECT_FALSE(form->isEnabled());
    {
        DbGuard db;
        db->exec(QStringLiteral("alter table Options rename to OptionsAilleurs"));
    }
    pick("cboTaille", QStringLiteral("Petite"));
    click("cmdOk");
    ASSERT_EQ(prompts->prompts().size(), 1u);
    EXPECT_TRUE(prompts->texts()[0].startsWith(QString::fromUtf8(kMsgErreurBase)));
    EXPECT_FALSE(closed());
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(form->isEnabled());
    EXPECT_DOUBLE_EQ(state().facteurTaille, 1.0);
}

TEST_F(OptionsTest, FolderAndAddressWithQuotesAreStoredAsTyped) {
    const QString folder = path(QStringLiteral("l'été \"x\""));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString url = QStringLiteral("http://127.0.0.1:9/a'b\"c/");
    form->findChild<QAction*>(QStringLiteral("gpsOptions"))->trigger();
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<frmOption*>(w); d && d->isVisible()) dialog = d;
    ASSERT_TRUE(dialog);
    edit("txtDossier")->setText(folder);
    edit("txtUpdate")->setText(url);
    prompts->answer(Answer::Yes);  // change the address
    click("cmdOk");
    ASSERT_TRUE(closed());
    EXPECT_EQ(row().value(6).toString(), folder);
    EXPECT_EQ(row().value(14).toString(), url);
    EXPECT_EQ(state().paramUrlUpdate, url);
}

}  // namespace
}  // namespace sotrix::test
