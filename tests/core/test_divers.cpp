// Shared procedures: text conversions, colour split, existence tests, separators,
// replacement and flattening.
#include "Database.h"
#include "Divers.h"
#include "State.h"
#include "Workspace.h"

#include <QDir>
#include <QFile>
#include <QLocale>

namespace sotrix {
namespace {

using test::WorkspaceTest;

TEST(Divers, Utf8ConversionsRoundTripAndNeverFail) {
    EXPECT_EQ(encodeUtf8(QStringLiteral("é")), QByteArray("\xC3\xA9"));
    EXPECT_EQ(decodeUtf8(QByteArray("\xC3\xA9")), QStringLiteral("é"));
    EXPECT_EQ(decodeUtf8(QByteArray()), QString());
    EXPECT_EQ(decodeUtf8(QByteArray("a\xFF" "b")), QStringLiteral("a\uFFFDb"));
}

TEST(Divers, ColourSplitUsesFloorDivision) {
    struct Case {
        qint32 colour, r, g, b;
    } cases[] = {
        {0xFF0000, 0, 0, 255}, {255, 255, 0, 0}, {0x808080, 128, 128, 128},
        {0, 0, 0, 0},          {-1, 255, 255, -1}, {0x01020304, 4, 3, 0x0102},
    };
    for (const auto& c : cases) {
        qint32 r = -9, g = -9, b = -9;
        couleurRVB(c.colour, r, g, b);
        EXPECT_EQ(r, c.r) << c.colour;
        EXPECT_EQ(g, c.g) << c.colour;
        EXPECT_EQ(b, c.b) << c.colour;
    }
}

TEST(Divers, RemplaceSwapsThenTrimsSpacesOnly) {
    struct Case {
        QString text, find, repl, expected;
    } cases[] = {
        {QStringLiteral("  1,5 "), QStringLiteral(","), QStringLiteral("."), QStringLiteral("1.5")},
        {QStringLiteral(" 1.5 "), QStringLiteral("."), QStringLiteral("."), QStringLiteral("1.5")},
        {QStringLiteral(" ab "), QString(), QStringLiteral("x"), QStringLiteral("ab")},
        {QStringLiteral("\t1,5\t"), QStringLiteral(","), QStringLiteral("."), QStringLiteral("\t1.5\t")},
        {QStringLiteral("aAa"), QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("bAb")},
        {QStringLiteral("   "), QStringLiteral(","), QStringLiteral("."), QString()},
    };
    for (const auto& c : cases) EXPECT_EQ(remplace(c.text, c.find, c.repl), c.expected) << c.text.toStdString();
}

TEST(Divers, SupprimeDoublonsAndUneLigne) {
    EXPECT_EQ(supprimeDoublons(QStringLiteral("  a   b  "), QStringLiteral(" ")), QStringLiteral("a b"));
    EXPECT_EQ(supprimeDoublons(QStringLiteral(" "), QStringLiteral(" ")), QString());
    EXPECT_EQ(supprimeDoublons(QStringLiteral("ababxab"), QStringLiteral("ab")), QStringLiteral("x"));
    EXPECT_EQ(supprimeDoublons(QStringLiteral("a") + QChar(u'\0') + QStringLiteral("b"), QStringLiteral(";")),
              QStringLiteral("a;b"));
    EXPECT_EQ(supprimeDoublons(QString(), QStringLiteral(" ")), QString());
    EXPECT_EQ(uneLigne(QStringLiteral("a\r\nb")), QStringLiteral("a b"));
    EXPECT_EQ(uneLigne(QStringLiteral("\n  ligne 1\r\r\nligne 2 \n")), QStringLiteral("ligne 1 ligne 2"));
}

TEST(Divers, SeparatorsFollowTheUserLocale) {
    const QLocale saved;
    struct Case {
        const char* locale;
        const char* decimal;
        const char* date;
    } cases[] = {{"fr_BE", ",", "/"}, {"en_US", ".", "/"}, {"sv_SE", ",", "-"}};
    for (const auto& c : cases) {
        QLocale::setDefault(QLocale(QString::fromLatin1(c.locale)));
        separateurDecimal();
        separateurDate();
        EXPECT_EQ(state().sepDecimal, QString::fromLatin1(c.decimal)) << c.locale;
        EXPECT_EQ(state().sepDate, QString::fromLatin1(c.date)) << c.locale;
    }
    QLocale::setDefault(saved);
}

class DiversFiles : public WorkspaceTest {};

TEST_F(DiversFiles, FichierExisteFindsRegularFilesOnly) {
    EXPECT_TRUE(fichierExiste(path(QStringLiteral("sotrix.mdb"))));
    EXPECT_FALSE(fichierExiste(home()));
    EXPECT_FALSE(fichierExiste(path(QStringLiteral("absent.txt"))));
    EXPECT_FALSE(fichierExiste(path(QStringLiteral("*.mdb"))));  // no wildcards
    EXPECT_FALSE(fichierExiste(QString()));
    QFile f(path(QStringLiteral("l'été $x.txt")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_TRUE(fichierExiste(f.fileName()));
}

TEST_F(DiversFiles, ChampExisteBeforeAndAfterTheColumnExists) {
    DbGuard db;
    db->exec(QStringLiteral("create table Old (Version text)"));
    EXPECT_FALSE(champExiste(*db, QStringLiteral("Old"), QStringLiteral("Db")));
    db->exec(QStringLiteral("alter table Old add column Db smallint"));
    EXPECT_TRUE(champExiste(*db, QStringLiteral("Old"), QStringLiteral("Db")));
    EXPECT_FALSE(champExiste(*db, QStringLiteral("Missing"), QStringLiteral("Db")));
}

}  // namespace
}  // namespace sotrix
