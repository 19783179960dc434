// Schema upgrade and the settings store.
#include "AppDir.h"
#include "Database.h"
#include "Schema.h"
#include "Settings.h"
#include "State.h"
#include "Workspace.h"

#include <map>

namespace sotrix {
namespace {

using test::WorkspaceTest;

class SchemaTest : public WorkspaceTest {
protected:
    // Rebuilds [A propos de] as a database of an older schema would have it.
    void makeOldSchema(bool withRow) {
        DbGuard db;
        db->exec(QStringLiteral("drop table [A propos de]"));
        db->exec(QStringLiteral("create table [A propos de] (Version text)"));
        if (withRow) db->exec(QStringLiteral("insert into [A propos de] (Version) values ('2.5')"));
    }
    QVariant version() {
        DbGuard db;
        return db->scalar(QStringLiteral("select Db from [A propos de]"));
    }
    qint64 schemaVersion() {
        DbGuard db;
        return db->scalar(QStringLiteral("pragma schema_version")).toLongLong();
    }
};

TEST_F(SchemaTest, OlderSchemaIsBroughtToVersionOneOnce) {
    makeOldSchema(true);
    updateDb();
    EXPECT_EQ(version().toLongLong(), 1);
    const qint64 after = schemaVersion();
    updateDb();
    EXPECT_EQ(version().toLongLong(), 1);
    EXPECT_EQ(schemaVersion(), after);

    // Descriptions are unbounded in both tables.
    const QString longText(100000, QLatin1Char('d'));
    DbGuard db;
    db->exec(QStringLiteral("insert into Trace (Nom, Description) values ('t', ?)"), {longText});
    db->exec(QStringLiteral("insert into Points (Nom, X, Y, Description) values ('p', 1, 2, ?)"), {longText});
    EXPECT_EQ(db->scalar(QStringLiteral("select Description from Trace")).toString(), longText);
    EXPECT_EQ(db->scalar(QStringLiteral("select Description from Points")).toString(), longText);
    Cursor c = db->query(QStringLiteral("select Trace, Selected from Points"));
    ASSERT_TRUE(c.next());
    EXPECT_EQ(c.value(QStringLiteral("Trace")).toLongLong(), 0);
    EXPECT_EQ(c.value(QStringLiteral("Selected")).toLongLong(), 0);
}

TEST_F(SchemaTest, NullVersionBecomesOneOtherVersionsStay) {
    {
        DbGuard db;
        db->exec(QStringLiteral("update [A propos de] set Db = null"));
    }
    updateDb();
    EXPECT_EQ(version().toLongLong(), 1);
    {
        DbGuard db;
        db->exec(QStringLiteral("update [A propos de] set Db = 7"));
    }
    const qint64 before = schemaVersion();
    updateDb();
    EXPECT_EQ(version().toLongLong(), 7);
    EXPECT_EQ(schemaVersion(), before);
}

TEST_F(SchemaTest, EmptyAboutTableStaysEmpty) {
    makeOldSchema(false);
    updateDb();
    updateDb();
    DbGuard db;
    EXPECT_EQ(db->scalar(QStringLiteral("select count(*) from [A propos de]")).toLongLong(), 0);
    EXPECT_TRUE(db->columnExists(QStringLiteral("A propos de"), QStringLiteral("Db")));
}

TEST_F(SchemaTest, FactorySystemsOfAnOlderWorkspaceGetTodaysAndEditedOnesStay) {
    // An older workspace's factory strings, without the datum shifts of today's.
    const QString rd = QStringLiteral("+proj=sterea +lat_0=52.1561605555556 +lon_0=5.38763888888889 +k=0.9999079 "
                                      "+x_0=155000 +y_0=463000 +ellps=bessel +units=m +no_defs");
    const QString bng = QStringLiteral("+proj=tmerc +lat_0=49 +lon_0=-2 +k=0.9996012717 +x_0=400000 +y_0=-100000 "
                                       "+ellps=airy +units=m +no_defs");
    struct Case {
        qint32 epsg;
        QString factory;  // projbackup
        QString proj;     // Proj: the factory string, or the user's own
        bool edited;
    };
    const std::vector<Case> cases{
        {28992, rd, rd, false},
        {27700, bng, bng + QStringLiteral(" +towgs84=446,-125,542"), true},
    };
    std::map<qint32, QString> delivered;
    {
        DbGuard db;
        for (const Case& c : cases) {
            delivered[c.epsg] = db->scalar(QStringLiteral("select proj4 from projbackup where epsg = ?"), {c.epsg}).toString();
            db->exec(QStringLiteral("update Proj set Proj4 = ? where Epsg = ?"), {c.proj, c.epsg});
            db->exec(QStringLiteral("update projbackup set proj4 = ? where epsg = ?"), {c.factory, c.epsg});
        }
    }
    updateDb();
    updateDb();
    DbGuard db;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.epsg);
        EXPECT_TRUE(delivered[c.epsg].contains(QStringLiteral("+towgs84="))) << delivered[c.epsg].toStdString();
        EXPECT_EQ(db->scalar(QStringLiteral("select Proj4 from Proj where Epsg = ?"), {c.epsg}).toString(),
                  c.edited ? c.proj : delivered[c.epsg]);
        EXPECT_EQ(db->scalar(QStringLiteral("select proj4 from projbackup where epsg = ?"), {c.epsg}).toString(),
                  delivered[c.epsg]);
    }
}

class SettingsTest : public WorkspaceTest {
protected:
    void SetUp() override {
        withOptions_ = false;
        WorkspaceTest::SetUp();
    }
    void setRow(const QString& assignments, const QVariantList& params = {}) {
        DbGuard db;
        if (db->scalar(QStringLiteral("select count(*) from Options")).toLongLong() == 0) addDefaultOptions();
        db->exec(QStringLiteral("update Options set ") + assignments, params);
    }
    QVariantList row() {
        DbGuard db;
        Cursor c = db->query(QStringLiteral("select * from Options"));
        QVariantList out;
        if (c.next())
            for (int i = 0; i < c.columnCount(); ++i) out << c.value(i);
        return out;
    }
};

TEST_F(SettingsTest, EmptyTableGetsOneRowOfDefaults) {
    options();
    DbGuard db;
    EXPECT_EQ(db->scalar(QStringLiteral("select count(*) from Options")).toLongLong(), 1);
    Cursor c = db->query(QStringLiteral("select * from Options"));
    ASSERT_TRUE(c.next());
    const QVariantList expected{1, 1, 0, 0, 4326, 31370, appDir(), 2, 0xFF0000, 255, 0x808080, 0, 1, 1,
                                QString::fromLatin1(kDefaultUrlUpdate)};
    ASSERT_EQ(c.columnCount(), expected.size());
    for (int i = 0; i < c.columnCount(); ++i)
        EXPECT_EQ(c.value(i).toString(), expected[i].toString()) << c.columnName(i).toStdString();
    const State& s = state();
    EXPECT_EQ(s.paramGps, 1);
    EXPECT_EQ(s.paramVitesse, 0);
    EXPECT_EQ(s.paramProjGps, 4326);
    EXPECT_EQ(s.paramProjCarto, 31370);
    EXPECT_EQ(s.paramDossier, appDir());
    EXPECT_DOUBLE_EQ(s.facteurTaille, 1.0);
    EXPECT_EQ(s.paramCouleur, 0xFF0000);
    EXPECT_EQ(s.paramCouleurShp, 0x808080);
    EXPECT_TRUE(s.paramSupInt);
    EXPECT_TRUE(s.paramCheckUpdate);
    EXPECT_EQ(s.paramUrlUpdate, QString::fromLatin1(kDefaultUrlUpdate));
}

TEST_F(SettingsTest, SizeFactorRule) {
    const std::pair<QVariant, double> cases[] = {{QVariant(), 1.0}, {1, 0.8}, {2, 1.0}, {3, 1.2}, {7, 1.0}};
    for (const auto& [taille, factor] : cases) {
        setRow(QStringLiteral("Taille = ?"), {taille});
        options();
        EXPECT_DOUBLE_EQ(state().facteurTaille, factor) << taille.toString().toStdString();
    }
}

TEST_F(SettingsTest, NullTakesTheDefaultWhileEmptyTextStaysEmpty) {
    setRow(QStringLiteral("urlUpdate = null, Dossier = ?, Vitesse = 0"), {QString()});
    const QVariantList before = row();
    options();
    EXPECT_EQ(state().paramUrlUpdate, QString::fromLatin1(kDefaultUrlUpdate));
    EXPECT_EQ(state().paramDossier, QString());
    EXPECT_EQ(state().paramVitesse, 0);
    EXPECT_EQ(row(), before);

    setRow(QStringLiteral("urlUpdate = '', Dossier = null"));
    options();
    EXPECT_EQ(state().paramUrlUpdate, QString());
    EXPECT_EQ(state().paramDossier, appDir());
}

TEST_F(SettingsTest, OnlyTheFirstRowIsRead) {
    setRow(QStringLiteral("Gps = 2"));
    {
        DbGuard db;
        db->exec(QStringLiteral("insert into Options (Gps, Port) values (3, 5)"));
    }
    options();
    EXPECT_EQ(state().paramGps, 2);
    EXPECT_EQ(state().paramPort, 1);
}

TEST_F(SettingsTest, ValuesOutOfRangeOrUnreadableLoadAsDefaultsAndRowIsKept) {
    setRow(QStringLiteral("Gps = 300, Port = 10, Vitesse = 9, Decalage = 40000, ProjGps = 'abc', "
                          "ProjCarto = 2.5, Couleur = x'00', SupInt = 0, checkUpdate = -1"));
    const QVariantList before = row();
    options();
    const State& s = state();
    EXPECT_EQ(s.paramGps, 1);
    EXPECT_EQ(s.paramPort, 1);
    EXPECT_EQ(s.paramVitesse, 0);
    EXPECT_EQ(s.paramDecalage, 0);
    EXPECT_EQ(s.paramProjGps, 4326);
    EXPECT_EQ(s.paramProjCarto, 31370);
    EXPECT_EQ(s.paramCouleur, 0xFF0000);
    EXPECT_FALSE(s.paramSupInt);
    EXPECT_TRUE(s.paramCheckUpdate);
    EXPECT_EQ(row(), before);

    setRow(QStringLiteral("Gps = 'abc', Port = 9, Vitesse = 8, Decalage = -5, ProjGps = '2154', SupInt = null"));
    options();
    EXPECT_EQ(s.paramGps, 1);
    EXPECT_EQ(s.paramPort, 9);
    EXPECT_EQ(s.paramVitesse, 8);
    EXPECT_EQ(s.paramDecalage, -5);
    EXPECT_EQ(s.paramProjGps, 2154);
    EXPECT_TRUE(s.paramSupInt);
}

TEST_F(SettingsTest, FolderAndAddressWithQuotesRoundTrip) {
    const QString folder = QStringLiteral("/tmp/l'été \"x\"");
    const QString url = QStringLiteral("http://127.0.0.1:9/a'b\"c/");
    setRow(QStringLiteral("Dossier = ?, urlUpdate = ?"), {folder, url});
    options();
    EXPECT_EQ(state().paramDossier, folder);
    EXPECT_EQ(state().paramUrlUpdate, url);
}

}  // namespace
}  // namespace sotrix
