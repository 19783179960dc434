// The "Projection" tab of the settings dialog: lists, lookups, saving and restoring
// PROJ.4 strings.
#include "OptionRules.h"
#include "State.h"
#include "proj4.h"
#include "test_options_fixture.h"

#include <sqlite3.h>

namespace sotrix::test {
namespace {

const QString kSaveQuestion = QStringLiteral(
    "Vous avez modifié la commande proj.4 associée au système de projection sélectionné.\n"
    "Voulez-vous sauvegarder ces modifications ?");

class ProjectionTab : public OptionsTest {
protected:
    // Counts the look-ups of a system by code or by name, run through the connection
    // the test holds (nested guards share it).
    void countLookups() {
        held_ = std::make_unique<DbGuard>();
        sqlite3_trace_v2(
            (*held_)->handle(), SQLITE_TRACE_STMT,
            [](unsigned, void* self, void*, void* sql) {
                if (std::string_view(static_cast<const char*>(sql)).starts_with("select Epsg, \"Desc\", Proj4 from Proj where"))
                    ++static_cast<ProjectionTab*>(self)->lookups;
                return 0;
            },
            this);
    }
    void TearDown() override {
        if (held_) sqlite3_trace_v2((*held_)->handle(), 0, nullptr, nullptr);
        held_.reset();
        OptionsTest::TearDown();
    }
    QString nameOf(int epsg) {
        DbGuard db;
        return db->scalar(QStringLiteral("select \"Desc\" from Proj where Epsg = ?"), {epsg}).toString();
    }
    // X of lon 4.35, lat 50.85 in the display system through the projection service.
    double lambertX() {
        ProjSystems systems(4326, 31370);
        EXPECT_TRUE(systems.ok());
        double x = 4.35, y = 50.85;
        EXPECT_TRUE(systems.transforme(x, y));
        return x;
    }
    void editAndLeave(const QString& text) {
        edit("txtProj4")->setText(text);
        focusThenLeave("txtProj4", "cboEpsg");
    }

    int lookups = 0;

private:
    std::unique_ptr<DbGuard> held_;
};

TEST_F(ProjectionTab, SortedListsAndOneLookupEachWay) {
    {
        DbGuard db;
        db->exec(QStringLiteral("insert into Proj (Epsg, \"Desc\", Proj4) values (1, null, '+proj=longlat +datum=WGS84')"));
    }
    ASSERT_TRUE(open());
    QComboBox* codes = combo("cboEpsg");
    QComboBox* names = combo("cboProjection");
    DbGuard db;
    EXPECT_EQ(codes->count(), db->scalar(QStringLiteral("select count(*) from Proj")).toInt());
    EXPECT_EQ(names->count(), codes->count() - 1);  // the row without a name
    EXPECT_EQ(codes->itemText(0), QStringLiteral("1"));
    for (int i = 1; i < codes->count(); ++i)
        ASSERT_LT(codes->itemText(i - 1).toInt(), codes->itemText(i).toInt()) << i;
    // Names in the database's own order of names, the unnamed row left out.
    QStringList sorted;
    Cursor c = db->query(QStringLiteral("select \"Desc\" from Proj where \"Desc\" is not null order by \"Desc\""));
    while (c.next()) sorted << c.value(0).toString();
    QStringList shown;
    for (int i = 0; i < names->count(); ++i) shown << names->itemText(i);
    EXPECT_TRUE(shown == sorted);
    EXPECT_FALSE(shown.contains(QString()));
    EXPECT_EQ(codes->currentText(), QStringLiteral("31370"));
    EXPECT_EQ(names->currentText(), nameOf(31370));

    countLookups();
    pick("cboProjection", nameOf(2154));
    EXPECT_EQ(lookups, 1);
    EXPECT_EQ(codes->currentText(), QStringLiteral("2154"));
    EXPECT_EQ(edit("txtProj4")->text(), proj4(2154));
    EXPECT_EQ(dialog->codeCarto, 2154);
    EXPECT_FALSE(dialog->proj4Modifie);

    pick("cboEpsg", QStringLiteral("4326"));
    EXPECT_EQ(lookups, 2);
    EXPECT_EQ(names->currentText(), nameOf(4326));
    pick("cboEpsg", QStringLiteral("1"));
    EXPECT_EQ(names->currentIndex(), -1);
    EXPECT_EQ(dialog->codeCarto, 1);

    // The GPS system is edited apart; the display system comes back as it was left.
    clickOption("optGps");
    EXPECT_EQ(codes->currentText(), QStringLiteral("4326"));
    pick("cboEpsg", QStringLiteral("2154"));
    EXPECT_EQ(dialog->codeGps, 2154);
    EXPECT_EQ(dialog->codeCarto, 1);
    clickOption("optCarto");
    EXPECT_EQ(codes->currentText(), QStringLiteral("1"));
    EXPECT_EQ(dialog->codeGps, 2154);
    EXPECT_TRUE(prompts->prompts().empty());
}

TEST_F(ProjectionTab, AStringWithoutDatumOrWithoutTextAsksAtOk) {
    {
        DbGuard db;
        db->exec(QStringLiteral("update Proj set Proj4 = null where Epsg = 2000"));
    }
    ASSERT_TRUE(open());
    pick("cboEpsg", QStringLiteral("2000"));
    EXPECT_EQ(edit("txtProj4")->text(), QString());
    const QVariantList before = row();
    prompts->answer(Answer::No);
    click("cmdOk");
    EXPECT_EQ(prompts->texts(), QStringList{questionDatum()});
    EXPECT_FALSE(closed());
    EXPECT_EQ(row(), before);
}

TEST_F(ProjectionTab, EditedStringIsSavedAsTypedOrPutBack) {
    const QString stored = proj4(31370);
    const double before = lambertX();
    const QString shifted = QString(stored).replace(QStringLiteral("+x_0=150000.013"), QStringLiteral("+x_0=150100.013"));
    ASSERT_NE(shifted, stored);
    ASSERT_TRUE(open());

    prompts->answer(Answer::No);
    editAndLeave(shifted);
    EXPECT_EQ(prompts->texts(), QStringList{kSaveQuestion});
    EXPECT_EQ(edit("txtProj4")->text(), stored);
    EXPECT_FALSE(dialog->proj4Modifie);
    EXPECT_EQ(proj4(31370), stored);

    prompts->answer(Answer::Yes);
    editAndLeave(shifted);
    EXPECT_EQ(proj4(31370), shifted);
    EXPECT_FALSE(dialog->proj4Modifie);
    // The next conversion uses the saved string: 100 m further east.
    EXPECT_NEAR(lambertX() - before, 100.0, 1e-6);
    EXPECT_NEAR(lambertX(), 148779.45, 0.05);

    // Yes, then No to the datum question: nothing saved, asked again at the next focus-out.
    const QString noDatum = QStringLiteral("+proj=lcc +lat_1=51.1 +lat_2=49.8 +ellps=intl +units=m 'à'");
    prompts->clear();
    prompts->answer(Answer::Yes);
    prompts->answer(Answer::No);
    editAndLeave(noDatum);
    EXPECT_EQ(prompts->texts(), (QStringList{kSaveQuestion, questionDatum()}));
    EXPECT_EQ(proj4(31370), shifted);
    EXPECT_TRUE(dialog->proj4Modifie);
    EXPECT_EQ(edit("txtProj4")->text(), noDatum);
    // A click that follows that focus-out does not ask a second time.
    prompts->clear();
    prompts->answer(Answer::No);
    click("cmdDefaut");
    EXPECT_EQ(prompts->texts(),
              QStringList{QStringLiteral("Etês-vous sûr de vouloir restaurer la commande proj.4 par défaut ?")});
    prompts->clear();
    prompts->answer(Answer::Yes);
    prompts->answer(Answer::Yes);
    focusThenLeave("txtProj4", "cboEpsg");
    EXPECT_EQ(prompts->texts(), (QStringList{kSaveQuestion, questionDatum()}));
    EXPECT_EQ(proj4(31370), noDatum);  // the apostrophes stored as typed
    click("cmdAnnuler");
    EXPECT_TRUE(closed());
    EXPECT_EQ(proj4(31370), noDatum);  // cancelling keeps what was saved
}

TEST_F(ProjectionTab, PendingQuestionIsAnsweredBeforeTheClickedControlActs) {
    ASSERT_TRUE(open());
    const QString stored = proj4(31370);
    edit("txtProj4")->setText(stored + QStringLiteral(" +wktext"));
    prompts->answer(Answer::Yes);
    clickOption("optGps");  // the edit belongs to the display system shown so far
    EXPECT_EQ(prompts->texts(), QStringList{kSaveQuestion});
    EXPECT_EQ(proj4(31370), stored + QStringLiteral(" +wktext"));
    EXPECT_EQ(proj4(4326), edit("txtProj4")->text());
}

TEST_F(ProjectionTab, FactoryRestoreStaysAfterCancel) {
    {
        DbGuard db;
        db->exec(QStringLiteral("update Proj set Proj4 = '+proj=lcc +towgs84=1,2,3' where Epsg in (31370, 2154)"));
        db->exec(QStringLiteral("delete from projbackup where epsg = 2154"));
    }
    ASSERT_TRUE(open());
    const QString restore = QStringLiteral("Etês-vous sûr de vouloir restaurer la commande proj.4 par défaut ?");
    prompts->answer(Answer::No);
    click("cmdDefaut");
    EXPECT_EQ(proj4(31370), QStringLiteral("+proj=lcc +towgs84=1,2,3"));
    prompts->answer(Answer::Yes);
    click("cmdDefaut");
    DbGuard db;
    const QString factory =
        db->scalar(QStringLiteral("select proj4 from projbackup where epsg = 31370")).toString();
    EXPECT_EQ(proj4(31370), factory);
    EXPECT_EQ(edit("txtProj4")->text(), factory);
    EXPECT_FALSE(dialog->proj4Modifie);

    pick("cboEpsg", QStringLiteral("2154"));
    prompts->answer(Answer::Yes);
    click("cmdDefaut");
    EXPECT_EQ(proj4(2154), QStringLiteral("+proj=lcc +towgs84=1,2,3"));
    EXPECT_EQ(prompts->texts(), QStringList(3, restore));
    click("cmdAnnuler");
    EXPECT_TRUE(closed());
    EXPECT_EQ(proj4(31370), factory);
}

TEST_F(ProjectionTab, StoredCodeMissingFromProjIsReportedAndRefusedAtOk) {
    setOptions(QStringLiteral("ProjCarto = 999999"));
    ASSERT_TRUE(open());
    EXPECT_EQ(prompts->texts(), QStringList{QString::fromUtf8(kMsgLectureProj)});
    EXPECT_EQ(prompts->prompts()[0].icon, Icon::Exclamation);
    EXPECT_EQ(combo("cboEpsg")->currentIndex(), -1);
    EXPECT_EQ(combo("cboProjection")->currentIndex(), -1);
    EXPECT_EQ(edit("txtProj4")->text(), QString());
    EXPECT_EQ(dialog->codeCarto, 0);

    // With no system shown, an edit is not offered for saving.
    prompts->clear();
    editAndLeave(QStringLiteral("+proj=longlat +datum=WGS84"));
    EXPECT_FALSE(dialog->proj4Modifie);
    click("cmdOk");
    EXPECT_EQ(prompts->texts(),
              QStringList{QStringLiteral("Vous devez sélectionner un système de projection pour l'affichage.")});
    EXPECT_FALSE(closed());
}

}  // namespace
}  // namespace sotrix::test
